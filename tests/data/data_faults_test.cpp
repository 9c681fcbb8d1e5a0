// Data connections that go wrong: local files that cannot be written or read,
// hostile or useless 227 replies, the final reply before or after the data
// close, refused transfers, and REST before APPE in passive mode. Every case
// ends with a woken client, the right alive flag and log line, and no file left
// open.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "shell/settings/settings.h"
#include "tests/data/datatest.h"
#include "tests/support/peers.h"

using namespace datatest;
using nettest::LogCount;
using nettest::LogDump;
using nettest::LogHas;

namespace {

constexpr size_t kPatternSize = 100003;  // the scripted server's DATA_SIZE

Server Scripted()
{
  Server s;
  s.name = "scripted";
  s.port = peers::Port("ZARN_SCRIPTED_PORT");
  s.user = "zarn";
  s.password = "secret";
  return s;
}

int CountReceived(const std::vector<std::string>& lines, const std::string& prefix)
{
  return (int)std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

std::string Joined(const std::vector<std::string>& lines)
{
  std::string all;
  for (const std::string& l : lines)
    all += l.substr(0, 100) + "\n";
  return all;
}

class DataFaults : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(Scripted().port, 0) << "run under tests/peers/with-peers.sh --scripted --pyftpd";
    ASSERT_NE(datatest::Pyftpd().port, 0);
    local = datatest::LocalFolder("faults");
  }
  // A logged-in connection to the scripted server running the scenario.
  bool OpenScripted(Connection& c, const char* scenario, bool passive = true)
  {
    return peers::Scenario(scenario) && c.Open(Scripted(), passive);
  }
  std::string local;
};

TEST_F(DataFaults, LocalFileFailuresEndTheTransferNotAlive)
{
  const std::string data = datatest::BinaryData(200003, 5);
  ASSERT_TRUE(datatest::WriteBytes(local + "readonly.bin", "before"));
  for (const Server& server : {datatest::Pyftpd(), datatest::Vsftpd()}) {
    if (server.port == 0)
      continue;  // vsftpd runs only as root
    const std::string remote = server.writable + "remote.bin";
    ASSERT_TRUE(datatest::WriteBytes(server.root + "\\" + remote, data));
    for (bool passive : {true, false}) {
      SCOPED_TRACE(server.name + (passive ? " PASV" : " PORT"));
      ConnLogClear();
      Connection c;
      ASSERT_TRUE(c.Open(server, passive)) << LogDump();

      // A download into a handle opened for reading only: nothing can be written.
      CFile readOnly;
      ASSERT_TRUE(readOnly.Open((local + "readonly.bin").c_str(), kReadFlags));
      Outcome o = datatest::RunWithFile(c, readOnly, TransferCommands(passive, VERB_RETR, remote));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_LT(o.elapsedMs, 5000u);
      EXPECT_FALSE(o.alive);
      EXPECT_TRUE(o.fileReleased);
      EXPECT_EQ(LogCount("127.0.0.1::Writing the local file failed, transfer aborted.\r\n"), 1) << LogDump();
      EXPECT_EQ(datatest::ReadBytes(local + "readonly.bin"), "before");

      // An upload from a handle opened for writing only: nothing can be read,
      // and the server's answer must not pass for a success. The ABOR after
      // the failure is answered even by a server that had not yet taken the
      // data connection (pyftpdlib's 150 before its accept).
      CFile writeOnly;
      ASSERT_TRUE(writeOnly.Open((local + "writeonly.bin").c_str(), kWriteFlags));
      o = datatest::RunWithFile(c, writeOnly, TransferCommands(passive, VERB_STOR, server.writable + "uploaded.bin"));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_LT(o.elapsedMs, 5000u) << LogDump();
      EXPECT_FALSE(o.alive);
      EXPECT_TRUE(o.fileReleased);
      EXPECT_TRUE(LogHas("127.0.0.1::Reading the local file failed, transfer aborted.\r\n")) << LogDump();

      // The connection still works for the next transfer.
      CFile good;
      ASSERT_TRUE(good.Open((local + "good.bin").c_str(), kWriteFlags));
      o = datatest::RunWithFile(c, good, TransferCommands(passive, VERB_RETR, remote));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_EQ(datatest::ReadBytes(local + "good.bin").size(), data.size()) << LogDump();
      EXPECT_TRUE(datatest::ReadBytes(local + "good.bin") == data);
      EXPECT_LT(c.client->Stop(), 3000u);
    }
  }
}

TEST_F(DataFaults, RefusedTransfersLeaveNoFileOpen)
{
  const Server server = datatest::Pyftpd();
  ASSERT_TRUE(datatest::WriteBytes(local + "up.bin", "some bytes"));
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "PASV" : "PORT");
    Connection c;
    ASSERT_TRUE(c.Open(server, passive)) << LogDump();
    struct Case {
      int verb;
      const char* name;
    };
    for (const Case& k : {Case{VERB_RETR, "no-such-file.bin"}, Case{VERB_STOR, "no-such-folder/x.bin"},
                          Case{VERB_APPE, "no-such-folder/y.bin"}}) {
      SCOPED_TRACE(k.name);
      CFile f;
      if (k.verb == VERB_RETR) {
        ASSERT_TRUE(f.Open((local + "never.bin").c_str(), kWriteFlags));
      } else {
        ASSERT_TRUE(f.Open((local + "up.bin").c_str(), kReadFlags));
      }
      const Outcome o = datatest::RunWithFile(c, f, TransferCommands(passive, k.verb, k.name));
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_LT(o.elapsedMs, 5000u);
      EXPECT_FALSE(o.alive);
      EXPECT_TRUE(o.fileReleased);
    }
    EXPECT_EQ(datatest::ReadBytes(local + "never.bin"), "");
    EXPECT_LT(c.client->Stop(), 3000u);
  }
}

TEST_F(DataFaults, MalformedPassiveRepliesConnectNowhere)
{
  for (const char* scenario : {"pasv_field_300", "pasv_five_numbers", "pasv_huge_number"}) {
    SCOPED_TRACE(scenario);
    ConnLogClear();
    Connection c;
    ASSERT_TRUE(OpenScripted(c, scenario)) << LogDump();
    CFile f;
    ASSERT_TRUE(f.Open((local + "bad227.bin").c_str(), kWriteFlags));
    const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_RETR, "x.bin"), nullptr, 10000);
    ASSERT_TRUE(o.woke) << LogDump();
    EXPECT_LT(o.elapsedMs, 5000u);
    EXPECT_FALSE(o.alive);
    EXPECT_TRUE(o.fileReleased);
    EXPECT_EQ(LogCount("127.0.0.1::Invalid passive mode reply.\r\n"), 1) << LogDump();
    EXPECT_FALSE(LogHas("Connect failed"));
    EXPECT_LT(c.client->Stop(), 3000u);
    const std::vector<std::string> received = peers::Received();
    EXPECT_EQ(CountReceived(received, "RETR"), 0) << Joined(received);
    EXPECT_EQ(CountReceived(received, "ABOR"), 1) << Joined(received);
  }
}

TEST_F(DataFaults, PassiveConnectionThatFailsWakesTheClient)
{
  Connection c;
  ASSERT_TRUE(OpenScripted(c, "pasv_nobody_listens")) << LogDump();
  CFile f;
  ASSERT_TRUE(f.Open((local + "refused.bin").c_str(), kWriteFlags));
  const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_RETR, "x.bin"), nullptr, 10000);
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_LT(o.elapsedMs, 5000u);
  EXPECT_FALSE(o.alive);
  EXPECT_TRUE(o.fileReleased);
  EXPECT_TRUE(LogHas("127.0.0.1::Connect failed, please check network. \r\n")) << LogDump();
  EXPECT_LT(c.client->Stop(), 3000u);
  EXPECT_EQ(CountReceived(peers::Received(), "RETR"), 0);
}

// 226 a second before the data close, or a second after it: each transfer
// ends once, at the later of the two, with every byte in the file; and the
// next transfer is not ended early by anything left of the first.
TEST_F(DataFaults, FinalReplyBeforeOrAfterTheDataCloseEndsOnce)
{
  const std::string expected = datatest::PatternData(kPatternSize);
  for (const char* scenario : {"retr_226_first", "retr_226_last", "retr_no_parens"}) {
    SCOPED_TRACE(scenario);
    ConnLogClear();
    Connection c;
    ASSERT_TRUE(OpenScripted(c, scenario)) << LogDump();
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      const std::string path = local + scenario + std::to_string(round) + ".bin";
      CFile f;
      ASSERT_TRUE(f.Open(path.c_str(), kWriteFlags));
      const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_RETR, "x.bin"), nullptr, 10000);
      ASSERT_TRUE(o.woke) << LogDump();
      EXPECT_TRUE(o.alive) << LogDump();
      EXPECT_TRUE(o.fileReleased);
      EXPECT_GE(o.elapsedMs, 900u);
      EXPECT_TRUE(datatest::ReadBytes(path) == expected);
    }
    EXPECT_EQ(LogCount("127.0.0.1::Data Socket closed. "), 2) << LogDump();
    EXPECT_EQ(LogCount("127.0.0.1::Total received 100,003 bytes in "), 2);
    EXPECT_LT(c.client->Stop(), 3000u);
  }
}

// REST then APPE in passive mode: the connect's FD_WRITE comes while REST is
// current, and the upload must still start when APPE is sent.
TEST_F(DataFaults, RestBeforeAppeInPassiveModeUploads)
{
  const std::string data = datatest::BinaryData(90001, 9);
  const size_t offset = 20000;
  ASSERT_TRUE(datatest::WriteBytes(local + "resume.bin", data));
  Connection c;
  ASSERT_TRUE(OpenScripted(c, "store_and_report")) << LogDump();
  c.site.SiteOptionDigits[8] = '1';
  CFile f;
  ASSERT_TRUE(f.Open((local + "resume.bin").c_str(), kReadFlags));
  f.Seek((LONGLONG)offset, CFile::begin);
  const Outcome o =
      datatest::RunWithFile(c, f, TransferCommands(true, VERB_APPE, "resume.bin", (int64_t)offset), nullptr, 10000);
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_LT(o.elapsedMs, 5000u);
  EXPECT_TRUE(o.alive) << LogDump();
  EXPECT_TRUE(o.fileReleased);
  EXPECT_LT(c.client->Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  const std::string tail = data.substr(offset);
  char report[64];
  snprintf(report, sizeof(report), "DATA %u %08x", (unsigned)tail.size(), (unsigned)datatest::Crc32(tail));
  EXPECT_EQ(CountReceived(received, "REST 20000"), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, "APPE resume.bin"), 1);
  EXPECT_EQ(CountReceived(received, report), 1) << Joined(received);
}

// An upload sends nothing before the server's 1xx: a file that fits the socket
// buffers would otherwise be sent and closed before the server (or an FTP proxy
// between) has taken the data connection up, and be refused or lost.
TEST_F(DataFaults, UploadWaitsForThePreliminaryReply)
{
  const std::string data = datatest::BinaryData(300007, 4);
  ASSERT_TRUE(datatest::WriteBytes(local + "late.bin", data));
  Connection c;
  ASSERT_TRUE(OpenScripted(c, "store_late_150")) << LogDump();
  CFile f;
  ASSERT_TRUE(f.Open((local + "late.bin").c_str(), kReadFlags));
  const Outcome o = datatest::RunWithFile(c, f, TransferCommands(true, VERB_STOR, "late.bin"));
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_TRUE(o.alive) << LogDump();
  EXPECT_TRUE(o.fileReleased);
  EXPECT_LT(c.client->Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  char report[64];
  snprintf(report, sizeof(report), "DATA %u %08x", (unsigned)data.size(), (unsigned)datatest::Crc32(data));
  EXPECT_EQ(CountReceived(received, "EARLY NONE"), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, report), 1) << Joined(received);
}

// A refused RETR is followed by ABOR. Its answer, late or of any code, with
// the data connection closed before the refusal or still open, is never taken
// for the next command's; a server that never answers it fails the connection
// once the idle limit has passed, and nothing more is sent.
TEST_F(DataFaults, ReplyOwedToAborIsNeverTakenForTheNextCommand)
{
  const std::string expected = datatest::PatternData(kPatternSize);
  for (const char* scenario : {"retr_450_abor_late", "retr_550_closed_abor_500", "retr_550_open_abor_500"}) {
    SCOPED_TRACE(scenario);
    ConnLogClear();
    Connection c;
    ASSERT_TRUE(OpenScripted(c, scenario)) << LogDump();
    CFile gone;
    ASSERT_TRUE(gone.Open((local + "gone.bin").c_str(), kWriteFlags));
    Outcome o = datatest::RunWithFile(c, gone, TransferCommands(true, VERB_RETR, "gone.bin"), nullptr, 10000);
    ASSERT_TRUE(o.woke) << LogDump();
    EXPECT_FALSE(o.alive);
    EXPECT_TRUE(o.fileReleased);
    ASSERT_TRUE(c.client->Run(VERB_CWD, "/there", 10000)) << LogDump();
    EXPECT_TRUE(c.client->Alive()) << LogDump();
    ASSERT_TRUE(c.client->Run(VERB_CWD, "/nope", 10000)) << LogDump();
    EXPECT_FALSE(c.client->Alive()) << LogDump();
    const std::string path = local + scenario + ".bin";
    CFile fine;
    ASSERT_TRUE(fine.Open(path.c_str(), kWriteFlags));
    o = datatest::RunWithFile(c, fine, TransferCommands(true, VERB_RETR, "fine.bin"), nullptr, 10000);
    ASSERT_TRUE(o.woke) << LogDump();
    EXPECT_TRUE(o.alive) << LogDump();
    EXPECT_TRUE(datatest::ReadBytes(path) == expected);
    // Acknowledged again, the folder and the type are not asked for twice.
    ASSERT_TRUE(c.client->Run(VERB_CWD, "/there", 10000)) << LogDump();
    CFile again;
    ASSERT_TRUE(again.Open(path.c_str(), kWriteFlags));
    o = datatest::RunWithFile(c, again, TransferCommands(true, VERB_RETR, "fine.bin"), nullptr, 10000);
    ASSERT_TRUE(o.woke) << LogDump();
    EXPECT_TRUE(o.alive) << LogDump();
    ASSERT_TRUE(c.client->Run(VERB_CWD, "/there", 10000)) << LogDump();
    EXPECT_TRUE(c.client->Alive()) << LogDump();
    EXPECT_LT(c.client->Stop(), 3000u);
    const std::vector<std::string> received = peers::Received();
    EXPECT_EQ(CountReceived(received, "ABOR"), 1) << Joined(received);
    EXPECT_EQ(CountReceived(received, "CWD /there"), 2) << Joined(received);
    EXPECT_EQ(CountReceived(received, "CWD /nope"), 1) << Joined(received);
    EXPECT_EQ(CountReceived(received, "RETR fine.bin"), 2) << Joined(received);
    // The type acknowledged before the refusal and its ABOR is asked for again,
    // and once acknowledged, not again.
    EXPECT_EQ(CountReceived(received, "TYPE I"), 2) << Joined(received);
  }

  const int32_t savedTimeout = g_recvTimeout;
  g_recvTimeout = 2;
  ConnLogClear();
  Connection c;
  ASSERT_TRUE(OpenScripted(c, "retr_550_abor_silent")) << LogDump();
  c.site.m_downloadTimeout = 0;
  CFile gone;
  ASSERT_TRUE(gone.Open((local + "gone.bin").c_str(), kWriteFlags));
  const Outcome o = datatest::RunWithFile(c, gone, TransferCommands(true, VERB_RETR, "gone.bin"), nullptr, 10000);
  ASSERT_TRUE(o.woke) << LogDump();
  const bool woke = c.client->Run(VERB_CWD, "/there", 15000);
  g_recvTimeout = savedTimeout;
  ASSERT_TRUE(woke) << LogDump();
  EXPECT_FALSE(c.client->Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Connection failed. Please check the network.\r\n")) << LogDump();
  EXPECT_LT(c.client->Stop(), 3000u);
  const std::vector<std::string> received = peers::Received();
  EXPECT_EQ(CountReceived(received, "ABOR"), 1) << Joined(received);
  EXPECT_EQ(CountReceived(received, "CWD"), 0) << Joined(received);
}

}  // namespace
