// Relaying a file from one server into another through this machine (RETM on
// the source connection, STOM on the target): byte-exact between two real
// servers, and bounded when the source stalls.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/batchjob.h"
#include "engine/connlog.h"
#include "shell/settings/settings.h"
#include "tests/data/datatest.h"
#include "tests/support/peers.h"

using datatest::Commands;
using datatest::Connection;
using datatest::Server;
using datatest::TransferCommands;
using nettest::LogDump;
using nettest::LogHas;

namespace {

class DataRelay : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(datatest::Pyftpd().port, 0) << "run under tests/peers/with-peers.sh --pyftpd --vsftpd --scripted";
    ASSERT_NE(datatest::Vsftpd().port, 0);
    ASSERT_NE(peers::Port("ZARN_SCRIPTED_PORT"), 0);
  }

  // The target first (its data socket must be ready), then the source, linked
  // by the source's partner field; waits for both.
  void Relay(Connection& source, Connection& target, const std::string& from, const std::string& to,
             BatchJobRecord* job, DWORD waitMs)
  {
    source.Session()->m_pPartner = target.Session()->m_pWnd;
    source.Session()->m_pJob = job;
    datatest::Post(*target.client, TransferCommands(true, VERB_STOM, to));
    datatest::Post(*source.client, TransferCommands(true, VERB_RETM, from));
    const DWORD start = ::GetTickCount();
    sourceWoke = source.client->Wait(waitMs);
    sourceMs = ::GetTickCount() - start;
    targetWoke = target.client->Wait(waitMs);
    source.Session()->m_pPartner = nullptr;
    source.Session()->m_pJob = nullptr;
  }

  bool sourceWoke = false, targetWoke = false;
  DWORD sourceMs = 0;
};

TEST_F(DataRelay, OneMegabyteFromPyftpdlibIntoVsftpdIsByteExact)
{
  const Server from = datatest::Pyftpd();
  const Server to = datatest::Vsftpd();
  const std::string data = datatest::BinaryData(1 << 20, 11);
  ASSERT_TRUE(datatest::WriteBytes(from.root + "\\relay.bin", data));
  Connection source, target;
  ASSERT_TRUE(source.Open(from, true)) << LogDump();
  ASSERT_TRUE(target.Open(to, true)) << LogDump();

  BatchJobRecord job;
  Relay(source, target, "relay.bin", "upload/relayed.bin", &job, 20000);
  ASSERT_TRUE(sourceWoke) << LogDump();
  ASSERT_TRUE(targetWoke) << LogDump();
  EXPECT_TRUE(source.client->Alive()) << LogDump();
  EXPECT_TRUE(target.client->Alive()) << LogDump();
  EXPECT_TRUE(datatest::ReadBytes(to.root + "\\upload\\relayed.bin") == data) << "relayed copy differs";
  EXPECT_EQ(job.m_bytesDone.load(), data.size());
  EXPECT_TRUE(LogHas("127.0.0.1::Total received 1,048,576 bytes in ")) << LogDump();
  EXPECT_TRUE(LogHas("127.0.0.1::Total sent 1,048,576 bytes in "));
  EXPECT_EQ(source.site.m_bytesReceived.load(), data.size());
  EXPECT_EQ(target.site.m_bytesSent.load(), data.size());
  EXPECT_FALSE(LogHas("Relay stalled"));

  // Both connections go on.
  ASSERT_TRUE(source.client->Run(VERB_NOOP, "", 5000));
  EXPECT_TRUE(source.client->Alive());
  ASSERT_TRUE(target.client->Run(VERB_NOOP, "", 5000));
  EXPECT_TRUE(target.client->Alive());
  EXPECT_LT(source.client->Stop(), 3000u);
  EXPECT_LT(target.client->Stop(), 3000u);
}

// The source sends 64 KB and then nothing while keeping its data connection
// open: the pump gives up after the target's upload time-out (g_sendTimeout
// here, 3 s), both connections end not alive, and both threads still stop.
TEST_F(DataRelay, StalledSourceEndsWithinItsTimeOut)
{
  const int32_t savedTimeout = g_sendTimeout;
  g_sendTimeout = 3;
  ASSERT_TRUE(peers::Scenario("retr_stall"));
  Server stalling;
  stalling.name = "scripted";
  stalling.port = peers::Port("ZARN_SCRIPTED_PORT");
  stalling.user = "zarn";
  stalling.password = "secret";
  Connection source, target;
  ASSERT_TRUE(source.Open(stalling, true)) << LogDump();
  ASSERT_TRUE(target.Open(datatest::Pyftpd(), true)) << LogDump();

  BatchJobRecord job;
  Relay(source, target, "big.bin", "stalled.bin", &job, 15000);
  g_sendTimeout = savedTimeout;
  ASSERT_TRUE(sourceWoke) << LogDump();
  EXPECT_GE(sourceMs, 2500u);
  EXPECT_LT(sourceMs, 8000u);
  ASSERT_TRUE(targetWoke) << LogDump();
  EXPECT_FALSE(source.client->Alive());
  EXPECT_FALSE(target.client->Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Relay stalled, transfer aborted.\r\n")) << LogDump();
  EXPECT_EQ(job.m_bytesDone.load(), 65536u);
  // WM_QUIT is read again: both threads stop in the usual time.
  EXPECT_LT(source.client->Stop(), 4000u);
  EXPECT_LT(target.client->Stop(), 4000u);
}

// A target site being stopped ends the pump before it sends anything.
TEST_F(DataRelay, StoppedTargetSiteEndsTheRelay)
{
  const Server from = datatest::Pyftpd();
  ASSERT_TRUE(datatest::WriteBytes(from.root + "\\stopped.bin", datatest::BinaryData(300000, 4)));
  Connection source, target;
  ASSERT_TRUE(source.Open(from, true)) << LogDump();
  ASSERT_TRUE(target.Open(from, true)) << LogDump();
  target.site.m_queueRun = 0;
  BatchJobRecord job;
  // The target's client watches its site's flag itself; only the source's
  // wait is the pump's to end.
  Relay(source, target, "stopped.bin", "never.bin", &job, 3000);
  target.site.m_queueRun = 1;
  ASSERT_TRUE(sourceWoke) << LogDump();
  EXPECT_LT(sourceMs, 5000u);
  EXPECT_FALSE(source.client->Alive());
  EXPECT_FALSE(target.client->Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Relay stalled, transfer aborted.\r\n")) << LogDump();
  EXPECT_EQ(job.m_bytesDone.load(), 0u);
  EXPECT_LT(source.client->Stop(), 3000u);
  EXPECT_LT(target.client->Stop(), 3000u);
}

// A source with no partner to relay into fails at once, as a stall does.
TEST_F(DataRelay, RelayWithoutPartnerFailsAtOnce)
{
  const Server from = datatest::Pyftpd();
  ASSERT_TRUE(datatest::WriteBytes(from.root + "\\lonely.bin", datatest::BinaryData(50000, 2)));
  Connection source;
  ASSERT_TRUE(source.Open(from, true)) << LogDump();
  source.Session()->m_pPartner = nullptr;
  datatest::Post(*source.client, TransferCommands(true, VERB_RETM, "lonely.bin"));
  ASSERT_TRUE(source.client->Wait(10000)) << LogDump();
  EXPECT_LT(source.client->elapsedMs, 5000u);
  EXPECT_FALSE(source.client->Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Relay stalled, transfer aborted.\r\n")) << LogDump();
  EXPECT_LT(source.client->Stop(), 3000u);
}

// The job is stopped while the source pauses longer than the target's close
// ever waited for the pump: the pump lets go of the target's data socket, and
// the next upload over the target connection, still open when the source
// resumes, carries its own bytes and nothing of the relayed file.
TEST_F(DataRelay, PausedSourceNeverWritesIntoTheTargetsNextTransfer)
{
  const int32_t savedTimeout = g_sendTimeout;
  g_sendTimeout = 30;  // the pause is no stall
  ASSERT_TRUE(peers::Scenario("relay_source_pause"));
  Server scripted;
  scripted.name = "scripted";
  scripted.port = peers::Port("ZARN_SCRIPTED_PORT");
  scripted.user = "zarn";
  scripted.password = "secret";
  Connection source, target;
  ASSERT_TRUE(source.Open(scripted, true)) << LogDump();
  ASSERT_TRUE(target.Open(scripted, true)) << LogDump();  // the last connection: its commands are Received()

  BatchJobRecord job;
  source.Session()->m_pPartner = target.Session()->m_pWnd;
  source.Session()->m_pJob = &job;
  datatest::Post(*target.client, TransferCommands(true, VERB_STOM, "relayed.bin"));
  datatest::Post(*source.client, TransferCommands(true, VERB_RETM, "paused.bin"));
  const DWORD start = ::GetTickCount();
  while (job.m_bytesDone.load() < 65536u && ::GetTickCount() - start < 15000)
    ::WaitForSingleObject(source.Session()->m_hDoneEvent, 20);
  ASSERT_EQ(job.m_bytesDone.load(), 65536u) << LogDump();

  // Stopped as the task stops a job: ABOR to the target, then the source.
  ::ResetEvent(target.Session()->m_hDoneEvent);
  ::ResetEvent(source.Session()->m_hDoneEvent);
  ::PostMessageA(target.Session()->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_ABOR, 0);
  ::PostMessageA(source.Session()->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_ABOR, 0);
  ASSERT_TRUE(target.client->Wait(15000)) << LogDump();

  const std::string local = datatest::LocalFolder("relaypause");
  const std::string data = datatest::BinaryData(300001, 21);
  ASSERT_TRUE(datatest::WriteBytes(local + "late.bin", data));
  CFile f;
  ASSERT_TRUE(f.Open((local + "late.bin").c_str(), datatest::kReadFlags));
  const datatest::Outcome o = datatest::RunWithFile(target, f, TransferCommands(true, VERB_STOR, "late.bin"));
  ASSERT_TRUE(o.woke) << LogDump();
  EXPECT_TRUE(o.alive) << LogDump();
  const bool sourceWoke = source.client->Wait(20000);
  g_sendTimeout = savedTimeout;
  source.Session()->m_pPartner = nullptr;
  source.Session()->m_pJob = nullptr;
  ASSERT_TRUE(sourceWoke) << LogDump();
  EXPECT_FALSE(source.client->Alive());
  EXPECT_EQ(job.m_bytesDone.load(), 65536u);
  EXPECT_LT(source.client->Stop(), 4000u);
  EXPECT_LT(target.client->Stop(), 4000u);
  char report[80];
  snprintf(report, sizeof(report), "DATA late.bin %u %08x", (unsigned)data.size(), (unsigned)datatest::Crc32(data));
  bool found = false;
  std::string all;
  for (const std::string& line : peers::Received()) {
    all += line.substr(0, 80) + "\n";
    found = found || line == report;
  }
  EXPECT_TRUE(found) << all;
}

}  // namespace
