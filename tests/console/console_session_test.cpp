// The console's conversation against scripted control and data streams.
#include "console/consolesession.h"
#include "console/fadeprogresstext.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct FakeHost : ConsoleSessionHost {
  std::string wire;  // every byte sent on the control connection
  std::vector<std::string> log;
  std::map<std::string, std::string> files;
  std::string openPath, openMode, readData;
  size_t readPos = 0;
  std::string dataSent;
  int sendRoom = 1 << 30;
  bool shutdownSent = false, listenOk = true;
  int dataCloses = 0, abortiveCloses = 0, controlCloses = 0;
  std::string connectAddr;
  int connectPort = 0;
  bool pump = false, timeout = false;
  uint32_t tick = 1000;

  bool SendControl(const char* d, size_t n) override { wire.append(d, n); return true; }
  void CloseControl() override { ++controlCloses; }
  bool OpenListen(uint8_t a[4], uint16_t* port) override
  {
    a[0] = 127; a[1] = 0; a[2] = 0; a[3] = 1;
    *port = 0x1234;
    return listenOk;
  }
  bool ConnectData(const char* addr, int port) override { connectAddr = addr; connectPort = port; return true; }
  int SendData(const char* d, size_t n) override
  {
    const size_t take = std::min(n, (size_t)sendRoom);
    sendRoom -= (int)take;
    dataSent.append(d, take);
    return (int)take;
  }
  void ShutdownDataSend() override { shutdownSent = true; }
  void CloseData(bool abortive) override { ++dataCloses; abortiveCloses += abortive; }
  void SetPumpTimer(bool on) override { pump = on; }
  void SetTimeoutTimer(bool on) override { timeout = on; }
  bool OpenLocal(const char* path, const char* mode, uint64_t* size) override
  {
    openPath = path;
    openMode = mode;
    if (mode[0] == 'r') {
      auto it = files.find(path);
      if (it == files.end())
        return false;
      readData = it->second;
      readPos = 0;
      *size = readData.size();
      return true;
    }
    files[path].clear();
    return true;
  }
  size_t ReadLocal(void* b, size_t n) override
  {
    const size_t take = std::min(n, readData.size() - readPos);
    memcpy(b, readData.data() + readPos, take);
    readPos += take;
    return take;
  }
  bool WriteLocal(const void* d, size_t n) override { files[openPath].append((const char*)d, n); return true; }
  void CloseLocal() override {}
  void Log(const std::string& line) override { log.push_back(line); }
  void Progress(int) override {}
  void ConnectedChanged(bool) override {}
  uint32_t TickCount() override { return tick; }
  std::string TimeStamp() override { return "01-02-03"; }

  bool Logged(const std::string& s) const
  {
    for (const auto& l : log)
      if (l.find(s) != std::string::npos)
        return true;
    return false;
  }
};

struct Console : ::testing::Test {
  FakeHost host;
  ConsoleSession s{&host};

  void Reply(const std::string& r) { s.OnControlBytes(r.data(), r.size()); }
  void Tick() { s.OnPumpTick(); }
  // Connects and logs in; the wire is cleared afterwards.
  void LogIn(bool passive = true)
  {
    s.Options().passive = passive;
    s.Options().folder = "C:\\dl";
    s.OnConnected(5, "bob", "secret", false);
    s.Options().passive = passive;
    Tick();
    Reply("220 hi\r\n");
    Tick();
    Reply("331 pass\r\n");
    Tick();
    Reply("230 ok\r\n");
    Tick();
    host.wire.clear();
  }
  // Sends queued commands until the wire ends with want.
  void Expect(const std::string& want)
  {
    Tick();
    ASSERT_GE(host.wire.size(), want.size()) << host.wire;
    EXPECT_EQ(host.wire.substr(host.wire.size() - want.size()), want);
  }
};

TEST_F(Console, GreetingPrecedesUserAndPassIsMasked)
{
  s.OnConnected(5, "bob", "secret", false);
  Tick();
  EXPECT_EQ(host.wire, "");  // nothing goes out before the greeting
  Reply("220-a\r\n");
  Tick();
  EXPECT_EQ(host.wire, "");
  Reply("220 b\r\n");
  Tick();
  EXPECT_EQ(host.wire, "USER bob\r\n");
  Reply("331 p\r\n");
  Tick();
  EXPECT_EQ(host.wire, "USER bob\r\nPASS secret\r\n");
  EXPECT_TRUE(host.Logged("PASS ********"));
  EXPECT_FALSE(host.Logged("secret"));
  // A new connection's socket is never closed by the session taking it up.
  s.OnConnected(6, "", "", true);
  EXPECT_EQ(host.controlCloses, 0);
  Reply("220 again\r\n");
  Tick();
  EXPECT_EQ(host.wire.substr(host.wire.size() - 16), "USER anonymous\r\n");
}

TEST_F(Console, EverySplitOfAMultiLineReplyCompletesOnce)
{
  const std::string reply = "230-Welcome\r\n230-22 6 lines\r\n230 done\r\n";
  for (size_t cut = 1; cut < reply.size(); ++cut) {
    FakeHost h;
    ConsoleSession c(&h);
    c.OnConnected(5, "u", "p", false);
    c.OnPumpTick();
    c.OnControlBytes("220 x\r\n", 7);
    c.OnPumpTick();  // USER out
    c.OnControlBytes(reply.data(), cut);
    c.OnPumpTick();
    ASSERT_EQ(h.wire, "USER u\r\n") << "cut " << cut;
    c.OnControlBytes(reply.data() + cut, reply.size() - cut);
    c.OnPumpTick();
    ASSERT_EQ(h.wire, "USER u\r\nPASS p\r\n") << "cut " << cut;
  }
}

TEST_F(Console, EverySplitOf227ConnectsToTheRightPort)
{
  const std::string reply = "227 Entering Passive Mode (127,0,0,1,200,21)\r\n";
  for (size_t cut = 1; cut < reply.size(); ++cut) {
    FakeHost h;
    ConsoleSession c(&h);
    c.OnConnected(5, "u", "p", false);
    c.Options().folder = "C:\\dl";
    for (const char* r : {"220 x\r\n", "331 p\r\n", "230 ok\r\n"}) {
      c.OnPumpTick();
      c.OnControlBytes(r, strlen(r));
    }
    c.OnPumpTick();
    ASSERT_TRUE(c.OnTyped("LIST"));
    c.OnPumpTick();
    c.OnControlBytes(reply.data(), cut);
    EXPECT_EQ(h.connectPort, 0);
    c.OnControlBytes(reply.data() + cut, reply.size() - cut);
    EXPECT_EQ(h.connectAddr, "127.0.0.1");
    EXPECT_EQ(h.connectPort, 200 * 256 + 21) << "cut " << cut;
  }
}

TEST_F(Console, Bad227EndsTheTransferAndDropsItsCommands)
{
  LogIn();
  ASSERT_TRUE(s.OnTyped("RETR a"));
  Tick();
  Reply("227 nonsense (1,2,3)\r\n");
  EXPECT_TRUE(host.Logged("::Initializing Data Socket error."));
  Tick();
  EXPECT_EQ(host.wire, "PASV\r\n");
  EXPECT_EQ(s.QueuedCount(), 0u);
  EXPECT_EQ(s.TransferKind(), XFER_NONE);
  EXPECT_TRUE(s.OnTyped("NOOP"));
}

TEST_F(Console, UploadRebuildsTheCommandAndWaitsForThe150)
{
  host.files["C:\\a\\b.txt"] = std::string(20000, 'x') + "end";
  LogIn();
  ASSERT_TRUE(s.OnTyped("APPE C:\\a\\b.txt"));
  Expect("PASV\r\n");
  Reply("227 ok (10,0,0,2,1,2)\r\n");
  s.OnDataConnected(9, false);
  s.OnDataWritable();
  EXPECT_EQ(host.dataSent, "");
  Expect("TYPE I\r\n");
  Reply("200 ok\r\n");
  Expect("APPE b.txt\r\n");
  EXPECT_EQ(host.dataSent, "");  // still nothing before the server's go
  EXPECT_FALSE(s.OnTyped("PWD"));  // ignored during a transfer
  Reply("150 go\r\n");
  EXPECT_EQ(host.dataSent, host.files["C:\\a\\b.txt"]);
  EXPECT_TRUE(host.shutdownSent);
  EXPECT_EQ(host.dataCloses, 0);
  Reply("226 done\r\n");
  EXPECT_EQ(host.dataCloses, 1);
  EXPECT_EQ(host.abortiveCloses, 0);
  EXPECT_TRUE(host.Logged("Total:sent 20,003 bytes"));
}

TEST_F(Console, MissingUploadFileQueuesNothing)
{
  LogIn(false);
  EXPECT_FALSE(s.OnTyped("STOR C:\\none.bin"));
  EXPECT_TRUE(host.Logged("Can't open local file,task terminated."));
  EXPECT_EQ(s.QueuedCount(), 0u);
  Tick();
  EXPECT_EQ(host.wire, "");
}

TEST_F(Console, ActiveDownloadSentAsTypedAndRefusalLeavesTheFile)
{
  host.files["C:\\dl\\x"] = "keep me";
  LogIn(false);
  ASSERT_TRUE(s.OnTyped("retr /pub/x"));
  Expect("PORT 127,0,0,1,18,52\r\n");
  Reply("200 ok\r\n");
  Expect("TYPE I\r\n");
  Reply("200 ok\r\n");
  Expect("retr /pub/x\r\n");
  Reply("550 no such file\r\n");
  EXPECT_EQ(host.files["C:\\dl\\x"], "keep me");
  EXPECT_EQ(s.TransferKind(), XFER_NONE);
  EXPECT_TRUE(s.OnTyped("retr ..\\x") == true);  // the last element: x in the folder
  EXPECT_FALSE(s.OnTyped("NOOP"));
}

TEST_F(Console, UnsafeDownloadNameQueuesNothing)
{
  LogIn();
  EXPECT_FALSE(s.OnTyped("RETR /pub/.."));
  EXPECT_FALSE(s.OnTyped("RETR CON"));
  EXPECT_EQ(s.QueuedCount(), 0u);
}

TEST_F(Console, DownloadKeepsEveryByteAndCreatesEmptyFiles)
{
  LogIn();
  s.Options().ascii = true;
  ASSERT_TRUE(s.OnTyped("RETR t.txt"));
  Expect("PASV\r\n");
  Reply("227 ok (10,0,0,2,1,2)\r\n");
  s.OnDataConnected(9, false);
  Expect("TYPE A\r\n");
  Reply("200 ok\r\n");
  Expect("RETR t.txt\r\n");
  std::string body;
  for (int i = 0; i < 3000; ++i)
    body += "line\r\n";
  s.OnDataBytes(body.data(), 7000);
  Reply("150 go\r\n");
  s.OnDataBytes(body.data() + 7000, body.size() - 7000);
  host.tick += 1005;
  s.OnDataClosed();
  EXPECT_EQ(host.files["C:\\dl\\t.txt"], body);
  EXPECT_EQ(host.openMode, "wb");
  EXPECT_TRUE(host.Logged("Total:Received 18,000 bytes \xD3\xDA 1.005 seconds"));

  ASSERT_TRUE(s.OnTyped("RETR empty"));
  Expect("PASV\r\n");
  Reply("227 ok (10,0,0,2,1,2)\r\n");
  s.OnDataConnected(9, false);
  Expect("TYPE A\r\n");
  Reply("200 ok\r\n");
  Expect("RETR empty\r\n");
  Reply("150 go\r\n226 done\r\n");
  s.OnDataClosed();
  EXPECT_EQ(host.files.count("C:\\dl\\empty"), 1u);
}

TEST_F(Console, AborGoesInBandAfterTheDataSideCloses)
{
  LogIn();
  ASSERT_TRUE(s.OnTyped("RETR big"));
  Expect("PASV\r\n");
  Reply("227 ok (10,0,0,2,1,2)\r\n");
  s.OnDataConnected(9, false);
  Expect("TYPE I\r\n");
  Reply("200 ok\r\n");
  Expect("RETR big\r\n");
  Reply("150 go\r\n");
  s.OnDataBytes("abc", 3);
  ASSERT_TRUE(s.OnTyped("abor"));
  EXPECT_EQ(host.abortiveCloses, 1);
  EXPECT_EQ(host.wire.substr(host.wire.size() - 6), "abor\r\n");
  Reply("426 aborted\r\n226 ok\r\n");
  Tick();
  EXPECT_TRUE(s.OnTyped("PWD"));
  Tick();
  EXPECT_EQ(host.wire.substr(host.wire.size() - 5), "PWD\r\n");
}

TEST_F(Console, ServerCloseAndTimeoutResetFully)
{
  LogIn();
  ASSERT_TRUE(s.OnTyped("PWD"));
  ASSERT_TRUE(s.OnTyped("SYST"));
  Tick();
  s.OnControlClosed(5);
  EXPECT_TRUE(host.Logged("status:>Control Socket closed by server (socket 5)"));
  EXPECT_FALSE(s.Connected());
  EXPECT_FALSE(host.pump);
  EXPECT_FALSE(host.timeout);
  const std::string sent = host.wire;
  Tick();
  s.OnTimeout();  // a stale timer message after the reset
  EXPECT_EQ(host.wire, sent);
  EXPECT_EQ(s.QueuedCount(), 0u);
}

TEST(ConsoleText, SummaryAndLogLimit)
{
  EXPECT_EQ(FormatConsoleSummary(true, 1536, 1000), "Total:sent 1,536 bytes \xD3\xDA 1.000 seconds (1.50 Kbytes/sec)");
  // 5 GiB in 5 s: no 32-bit count or rate.
  EXPECT_EQ(FormatConsoleSummary(false, 5368709120ull, 5000),
            "Total:Received 5,368,709,120 bytes \xD3\xDA 5.000 seconds (1048576.00 Kbytes/sec)");
  EXPECT_EQ(FormatConsoleSummary(false, 100, 10), "Total:Received 100 bytes \xD3\xDA 0.027 seconds (3.61 Kbytes/sec)");
  EXPECT_EQ(FormatConsoleSummary(false, 0, 10), "");
  // The bar's range is 1..99: its text is of the upper bound, rounded.
  EXPECT_EQ(FadeProgressText(50, 99), "51%");
  EXPECT_EQ(FadeProgressText(99, 99), "100%");
  EXPECT_EQ(FadeProgressText(5, 0), "0%");
  std::string log;
  for (int i = 0; i < 1000; ++i) {
    AppendConsoleLog(log, "line " + std::to_string(i));
    size_t lines = 0;
    for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2))
      ++lines;
    ASSERT_LE(lines, 400u);
  }
  EXPECT_NE(log.find("line 999\r\n"), std::string::npos);
}

// A download cut off by the server or the time-out keeps every byte received.
TEST_F(Console, CutOffDownloadKeepsItsBytes)
{
  for (bool timeout : {false, true}) {
    LogIn();
    ASSERT_TRUE(s.OnTyped("RETR part"));
    Expect("PASV\r\n");
    Reply("227 ok (10,0,0,2,1,2)\r\n");
    s.OnDataConnected(9, false);
    Expect("TYPE I\r\n");
    Reply("200 ok\r\n");
    Expect("RETR part\r\n");
    Reply("150 go\r\n");
    const std::string bytes(9000, 'x');
    s.OnDataBytes(bytes.data(), bytes.size());
    s.OnDataBytes("tail", 4);
    if (timeout)
      s.OnTimeout();
    else
      s.OnControlClosed(5);
    EXPECT_EQ(host.files["C:\\dl\\part"], bytes + "tail") << timeout;
    EXPECT_FALSE(s.Connected());
    host.files.clear();
  }
}

}  // namespace
