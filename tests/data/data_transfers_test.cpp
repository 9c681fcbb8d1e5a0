// Data connections against real servers (pyftpdlib and vsftpd): byte-exact
// uploads and downloads in passive and active mode, listings, resumes, empty
// files, site totals and a speed-limited transfer.
#include <gtest/gtest.h>

#include <string>

#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/planitem.h"
#include "tests/data/datatest.h"
#include "tests/support/peers.h"

using namespace datatest;
using nettest::LogCount;
using nettest::LogDump;
using nettest::LogHas;

namespace {

class DataTransfers : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(datatest::Pyftpd().port, 0) << "run under tests/peers/with-peers.sh --pyftpd --vsftpd";
    ASSERT_NE(datatest::Vsftpd().port, 0);
    local = datatest::LocalFolder("transfers");
  }
  std::string local;
};

// 300,007 bytes: no multiple of 1460 or 8192.
TEST_F(DataTransfers, UploadAndDownloadAreByteExactInBothModes)
{
  const std::string data = datatest::BinaryData(300007);
  ASSERT_TRUE(datatest::WriteBytes(local + "source.bin", data));
  for (const Server& server : {datatest::Pyftpd(), datatest::Vsftpd()}) {
    for (bool passive : {true, false}) {
      const std::string label = server.name + (passive ? " PASV" : " PORT");
      SCOPED_TRACE(label);
      ConnLogClear();
      Connection c;
      ASSERT_TRUE(c.Open(server, passive)) << LogDump();
      const std::string remote = server.writable + (passive ? "p.bin" : "a.bin");
      const uint64_t sentBefore = c.site.m_bytesSent;
      const uint64_t receivedBefore = c.site.m_bytesReceived;

      BatchJobRecord job;
      CFile up;
      ASSERT_TRUE(up.Open((local + "source.bin").c_str(), kReadFlags));
      Outcome o = datatest::RunWithFile(c, up, TransferCommands(passive, VERB_STOR, remote), &job);
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_EQ(job.m_bytesDone.load(), data.size());
      EXPECT_TRUE(datatest::ReadBytes(server.root + "\\" + remote) == data) << "server copy differs";
      EXPECT_TRUE(LogHas("127.0.0.1::Total sent 300,007 bytes in ")) << LogDump();

      CFile down;
      const std::string copy = local + "copy.bin";
      ASSERT_TRUE(down.Open(copy.c_str(), kWriteFlags));
      o = datatest::RunWithFile(c, down, TransferCommands(passive, VERB_RETR, remote), &job);
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_TRUE(datatest::ReadBytes(copy) == data) << "local copy differs";
      EXPECT_TRUE(LogHas("127.0.0.1::Total received 300,007 bytes in ")) << LogDump();
      EXPECT_EQ(LogCount("127.0.0.1::Data Socket closed. "), 2);
      if (!passive) {
        EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> PORT 127,0,0,1,")) << LogDump();
      }

      // The site's totals grow by what moved each way.
      EXPECT_EQ(c.site.m_bytesSent - sentBefore, data.size());
      EXPECT_EQ(c.site.m_bytesReceived - receivedBefore, data.size());

      // The connection goes on after both.
      ASSERT_TRUE(c.client->Run(VERB_NOOP, "", 5000));
      EXPECT_TRUE(c.client->Alive());
      EXPECT_LT(c.client->Stop(), 3000u);
    }
  }
}

TEST_F(DataTransfers, ListingOverEightKilobytesArrivesWholeAndTerminated)
{
  const Server server = datatest::Pyftpd();
  const std::string folder = server.root + "\\many";
  ::CreateDirectoryA(folder.c_str(), nullptr);
  for (int i = 0; i < 150; ++i) {
    char name[96];
    snprintf(name, sizeof(name), "\\listed_file_with_a_rather_long_name_%03d.txt", i);
    ASSERT_TRUE(datatest::WriteBytes(folder + name, "x"));
  }
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "PASV" : "PORT");
    Connection c;
    ASSERT_TRUE(c.Open(server, passive)) << LogDump();
    NetSession* s = c.Session();
    s->m_pRecord = nullptr;
    Commands commands = {{VERB_TYPE, "A"}, {passive ? VERB_PASV : VERB_PORT, passive ? "PASV" : ""}, {VERB_LIST, "many"}};
    ASSERT_TRUE(c.client->Run(commands, 15000)) << LogDump();
    EXPECT_TRUE(c.client->Alive());
    ASSERT_NE(s->m_pRecord, nullptr);
    const std::string text = static_cast<const char*>(s->m_pRecord);
    free(s->m_pRecord);
    s->m_pRecord = nullptr;
    EXPECT_GT(text.size(), 8192u);
    for (int i = 0; i < 150; ++i) {
      char name[64];
      snprintf(name, sizeof(name), "listed_file_with_a_rather_long_name_%03d.txt", i);
      EXPECT_NE(text.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(s->m_listError, 0);
    EXPECT_TRUE(LogHas("127.0.0.1::Total received " + std::string(FormatThousands(text.size()).GetString()) + " bytes"))
        << LogDump();
    EXPECT_LT(c.client->Stop(), 3000u);
  }
}

TEST_F(DataTransfers, ResumesAreByteExact)
{
  const std::string data = datatest::BinaryData(123457, 7);
  const size_t offset = 50001;
  for (const Server& server : {datatest::Pyftpd(), datatest::Vsftpd()}) {
    SCOPED_TRACE(server.name);
    Connection c;
    ASSERT_TRUE(c.Open(server, true)) << LogDump();
    const std::string whole = server.writable + "whole.bin";
    const std::string part = server.writable + "part.bin";
    ASSERT_TRUE(datatest::WriteBytes(local + "whole.bin", data));

    // The server's whole file to download from, by a plain upload.
    {
      CFile f;
      ASSERT_TRUE(f.Open((local + "whole.bin").c_str(), kReadFlags));
      const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_STOR, whole));
      ASSERT_TRUE(o.woke && o.alive) << LogDump();
    }

    // REST + RETR: the local file already holds the first bytes.
    {
      const std::string path = local + "resumed_down.bin";
      ASSERT_TRUE(datatest::WriteBytes(path, data.substr(0, offset)));
      CFile f;
      ASSERT_TRUE(f.Open(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
      f.SeekToEnd();
      const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_RETR, whole, (int64_t)offset));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(datatest::ReadBytes(path) == data);
    }

    // APPE: the server's file holds the first bytes; the rest follows.
    {
      ASSERT_TRUE(datatest::WriteBytes(local + "head.bin", data.substr(0, offset)));
      CFile head;
      ASSERT_TRUE(head.Open((local + "head.bin").c_str(), kReadFlags));
      Outcome o = datatest::RunWithFile(c, head, TransferCommands(true, VERB_STOR, part));
      ASSERT_TRUE(o.woke && o.alive) << LogDump();
      CFile f;
      ASSERT_TRUE(f.Open((local + "whole.bin").c_str(), kReadFlags));
      f.Seek((LONGLONG)offset, CFile::begin);
      o = datatest::RunWithFile(c, f, TransferCommands(false, VERB_APPE, part));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_TRUE(datatest::ReadBytes(server.root + "\\" + part) == data);
    }

    // REST + APPE: pyftpdlib refuses it (450); the scripted server's case
    // shows it working.
    if (server.name == "pyftpdlib") {
      const std::string target = server.writable + "restappe.bin";
      ASSERT_TRUE(datatest::WriteBytes(local + "head.bin", data.substr(0, offset)));
      CFile head;
      ASSERT_TRUE(head.Open((local + "head.bin").c_str(), kReadFlags));
      Outcome o = datatest::RunWithFile(c, head, TransferCommands(true, VERB_STOR, target));
      ASSERT_TRUE(o.woke && o.alive) << LogDump();
      ConnLogClear();
      CFile f;
      ASSERT_TRUE(f.Open((local + "whole.bin").c_str(), kReadFlags));
      f.Seek((LONGLONG)offset, CFile::begin);
      o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_APPE, target, (int64_t)offset), nullptr, 15000);
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_LT(o.elapsedMs, 5000u);
      EXPECT_TRUE(o.fileReleased);
      EXPECT_FALSE(o.alive);
      EXPECT_TRUE(LogHas("127.0.0.1::The site doesn't resuming upload, please select overwrite if same name "
                         "file exists.\r\n"))
          << LogDump();
    }
    EXPECT_LT(c.client->Stop(), 3000u);
  }
}

TEST_F(DataTransfers, EmptyFilesMoveWithoutSummary)
{
  for (const Server& server : {datatest::Pyftpd(), datatest::Vsftpd()}) {
    for (bool passive : {true, false}) {
      SCOPED_TRACE(server.name + (passive ? " PASV" : " PORT"));
      ConnLogClear();
      Connection c;
      ASSERT_TRUE(c.Open(server, passive)) << LogDump();
      ASSERT_TRUE(datatest::WriteBytes(local + "empty.bin", ""));
      const std::string remote = server.writable + "empty.bin";
      CFile up;
      ASSERT_TRUE(up.Open((local + "empty.bin").c_str(), kReadFlags));
      Outcome o = datatest::RunWithFile(c, up, TransferCommands(passive, VERB_STOR, remote));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_EQ(datatest::ReadBytes(server.root + "\\" + remote), "");

      ASSERT_TRUE(datatest::WriteBytes(local + "fetched.bin", "stale"));
      CFile down;
      ASSERT_TRUE(down.Open((local + "fetched.bin").c_str(), kWriteFlags));
      o = datatest::RunWithFile(c, down, TransferCommands(passive, VERB_RETR, remote));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_EQ(datatest::ReadBytes(local + "fetched.bin"), "");
      EXPECT_FALSE(LogHas("::Total ")) << LogDump();
      EXPECT_EQ(LogCount("127.0.0.1::Data Socket closed. "), 2);
      EXPECT_LT(c.client->Stop(), 3000u);
    }
  }
}

// The queue's verbs within a limit: the bytes arrive whole and the item counts
// them (the limit's timing is the limiter's own test).
TEST_F(DataTransfers, LimitedQueueTransfersAreByteExact)
{
  const std::string data = datatest::BinaryData(150001, 3);
  ASSERT_TRUE(datatest::WriteBytes(local + "limited.bin", data));
  const Server server = datatest::Pyftpd();
  Connection c;
  c.site.m_uploadLimit = 200;
  c.site.m_downloadLimit = 200;
  ASSERT_TRUE(c.Open(server, true)) << LogDump();

  CPlanItem item;
  item.m_status = PLAN_WORKING;
  CFile up;
  ASSERT_TRUE(up.Open((local + "limited.bin").c_str(), kReadFlags));
  Outcome o = datatest::RunWithItem(c, up, TransferCommands(true, VERB_STOW, "limited.bin"), &item, 30000);
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_TRUE(o.alive) << LogDump();
  EXPECT_EQ(item.m_bytesDone, (int64_t)data.size());
  EXPECT_TRUE(datatest::ReadBytes(server.root + "\\limited.bin") == data);

  item.m_bytesDone = 0;
  CFile down;
  ASSERT_TRUE(down.Open((local + "limited_copy.bin").c_str(), kWriteFlags));
  o = datatest::RunWithItem(c, down, TransferCommands(false, VERB_RETW, "limited.bin"), &item, 30000);
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_TRUE(o.alive) << LogDump();
  EXPECT_TRUE(o.fileReleased);
  EXPECT_EQ(item.m_bytesDone, (int64_t)data.size());
  EXPECT_TRUE(datatest::ReadBytes(local + "limited_copy.bin") == data);
  EXPECT_LT(c.client->Stop(), 3000u);
}

}  // namespace

// Small files one after another on one connection, each arriving with its
// close in one receive: each ends once with every byte, and no close left of
// one file reaches the data socket of the next (socket handles are reused).
TEST_F(DataTransfers, SmallFilesInARowEachCloseOnce)
{
  const int kFiles = 40;
  const std::string data = datatest::BinaryData(3001);
  for (const Server& server : {datatest::Vsftpd(), datatest::Pyftpd()}) {
    SCOPED_TRACE(server.name);
    const std::string remote = server.writable + "small.bin";
    ASSERT_TRUE(datatest::WriteBytes(server.root + "\\" + remote, data));
    ConnLogClear();
    Connection c;
    ASSERT_TRUE(c.Open(server, true)) << LogDump();
    const uint64_t receivedBefore = c.site.m_bytesReceived;
    for (int i = 0; i < kFiles; ++i) {
      SCOPED_TRACE(i);
      const std::string copy = local + "small" + std::to_string(i) + ".bin";
      CFile down;
      ASSERT_TRUE(down.Open(copy.c_str(), kWriteFlags));
      const Outcome o = datatest::RunWithFile(c, down, TransferCommands(true, VERB_RETR, remote), nullptr);
      ASSERT_TRUE(o.woke) << LogDump();
      ASSERT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_TRUE(datatest::ReadBytes(copy) == data) << "local copy differs";
    }
    EXPECT_EQ(LogCount("127.0.0.1::Data Socket closed. "), kFiles) << LogDump();
    EXPECT_EQ(LogCount("127.0.0.1::Total received 3,001 bytes in "), kFiles);
    EXPECT_EQ(c.site.m_bytesReceived - receivedBefore, (uint64_t)kFiles * data.size());
    ASSERT_TRUE(c.client->Run(VERB_NOOP, "", 5000));
    EXPECT_TRUE(c.client->Alive());
    EXPECT_LT(c.client->Stop(), 3000u);
  }
}
