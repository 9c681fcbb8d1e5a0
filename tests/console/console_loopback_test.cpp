// The manual console against real servers (pyftpdlib, vsftpd) and the
// scripted one on 127.0.0.1, under wine64: a driver thread fills the fields,
// clicks Connect, types commands and reads the log as a user would, and the
// files on both sides are compared byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console/commandctrldlg.h"
#include "console/consoleres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/console/consoledriver.h"
#include "tests/framework_gui/guitest.h"
#include "tests/support/peers.h"
#include "tests/support/tempfolder.h"
#include "tests/support/xside.h"

CWinApp theApp("console_loopback");

namespace {

using namespace consoledriver;

struct Peer {
  const char* name;
  int port;
  std::string user, password;
  std::string root;      // the server's root as this process sees it
  std::string writable;  // the folder (relative to the root) a login may write, "" for the root
};

Peer PeerNamed(const std::string& name)
{
  Peer p = {};
  if (name == "pyftpd") {
    p = {"pyftpd", peers::Port("ZARN_PYFTPD_PORT"), peers::Env("ZARN_PYFTPD_USER"), peers::Env("ZARN_PYFTPD_PASS"),
         peers::Env("ZARN_PYFTPD_ROOT_WIN"), ""};
  } else {
    p = {"vsftpd", peers::Port("ZARN_VSFTPD_PORT"), peers::Env("ZARN_VSFTPD_USER"), peers::Env("ZARN_VSFTPD_PASS"),
         peers::Env("ZARN_VSFTPD_ROOT_WIN"), "upload"};
  }
  return p;
}

void Shot(HWND box, const char* name)
{
  const std::string dir = peers::Env("ZARN_BINARY_DIR");
  if (dir.empty())
    return;
  ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  xside::RunUnix("mkdir -p " + dir + "/shots && import -window root " + dir + "/shots/" + name + ".png",
                 "zarn-console", 30000, false);
}

std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// Runs the console modally on this thread while body drives it; Close ends it
// whatever body did.
void RunConsole(CCommandCtrlDlg& dlg, const std::function<void(HWND)>& body)
{
  guitest::BecomeGuiThread();
  peers::StartSockets();
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox(kCaption, 30000);
    ASSERT_NE(box, nullptr);
    body(box);
    boxdriver::Click(box, IDC_CTRL_CLOSE);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
}

std::vector<std::string> DirFiles(const std::string& folder)
{
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA(Join(folder, "*-DIR.txt").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found))
    names.push_back(Join(folder, found.cFileName));
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  return names;
}

void RemoveDirFiles(const std::string& folder)
{
  for (const std::string& f : DirFiles(folder))
    ::DeleteFileA(f.c_str());
}

void SetCombo(HWND settings, int id, int index)
{
  ::SendDlgItemMessageA(settings, id, CB_SETCURSEL, (WPARAM)index, 0);
}

class ConsoleOnPeer : public ::testing::TestWithParam<std::tuple<const char*, bool>> {};

// One login per server and data mode: listings in each of the three ways,
// downloads and uploads byte-exact, refusals that leave the files alone, QUIT.
TEST_P(ConsoleOnPeer, ListsMovesFilesByteExactAndQuits)
{
  const Peer peer = PeerNamed(std::get<0>(GetParam()));
  const bool passive = std::get<1>(GetParam());
  ASSERT_NE(peer.port, 0) << peer.name << " is not running";
  const std::string local = testsupport::TempFolder(std::string("console-") + peer.name + (passive ? "-pasv" : "-port"));
  const std::string remote = peer.writable.empty() ? peer.root : Join(peer.root, peer.writable);
  const std::string big = Pattern(1 << 20);
  const std::string odd = Pattern(8193).substr(0, 8193);
  ASSERT_TRUE(WriteFile(Join(remote, "big.bin"), big));
  ASSERT_TRUE(WriteFile(Join(remote, "odd.bin"), odd));
  // pyftpdlib turns LF into CR LF on an ASCII download; vsftpd sends the bytes.
  ASSERT_TRUE(WriteFile(Join(remote, "text.txt"), peer.writable.empty() ? "one\ntwo\n" : "one\r\ntwo\r\n"));
  ASSERT_TRUE(WriteFile(Join(remote, "kept.bin"), "remote stays"));
  ASSERT_TRUE(WriteFile(Join(local, "gone.bin"), "local stays"));
  const std::string upA = Pattern(300001).substr(7), upB = std::string(20000, 'b') + "\r\n\x1a";
  ::CreateDirectoryA(Join(local, "a").c_str(), nullptr);
  ::CreateDirectoryA(Join(local, "b").c_str(), nullptr);
  ASSERT_TRUE(WriteFile(Join(local, "a\\tail.bin"), upA));
  ASSERT_TRUE(WriteFile(Join(local, "b\\tail.bin"), upB));

  CCommandCtrlDlg dlg;
  dlg.m_folder = local.c_str();
  dlg.m_passive = passive;
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, peer.port, peer.user, peer.password)) << LogText(box);
    EXPECT_EQ(LogText(box).find("PASS " + peer.password), std::string::npos);
    EXPECT_TRUE(HasLine(LogText(box), "PASS ********"));
    if (!peer.writable.empty()) {
      ASSERT_TRUE(HasLine(Reply(box, "CWD " + peer.writable, "250"), "250"));
    }

    // Listings: shown only, shown and saved, saved only.
    RemoveDirFiles(local);
    std::string log = Transfer(box, "LIST");
    EXPECT_NE(log.find("big.bin"), std::string::npos) << log;
    EXPECT_TRUE(DirFiles(local).empty());
    if (passive && peer.writable.empty())
      Shot(box, "console_listing");
    ASSERT_TRUE(Settings(box, [](HWND s) { SetCombo(s, IDC_SET_LISTING, 1); }));
    log = Transfer(box, "NLST");
    EXPECT_TRUE(HasLine(log, "odd.bin")) << log;
    std::vector<std::string> saved = DirFiles(local);
    ASSERT_EQ(saved.size(), 1u);
    // A Windows text file: one listing line each.
    EXPECT_NE(ReadFile(saved[0]).find("odd.bin\r\n"), std::string::npos) << ReadFile(saved[0]);
    RemoveDirFiles(local);
    ASSERT_TRUE(Settings(box, [](HWND s) { SetCombo(s, IDC_SET_LISTING, 2); }));
    log = Transfer(box, "LIST");
    EXPECT_EQ(log.find("big.bin"), std::string::npos) << log;
    saved = DirFiles(local);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(ReadFile(saved[0]).find("big.bin"), std::string::npos);

    // Downloads, binary and ASCII.
    log = Transfer(box, "RETR big.bin");
    EXPECT_TRUE(ReadFile(Join(local, "big.bin")) == big) << log;
    EXPECT_NE(log.find("Total:Received 1,048,576 bytes"), std::string::npos) << log;
    log = Transfer(box, "retr odd.bin");
    EXPECT_TRUE(HasLine(log, "retr odd.bin")) << log;
    EXPECT_TRUE(ReadFile(Join(local, "odd.bin")) == odd) << log;
    ASSERT_TRUE(Settings(box, [](HWND s) { SetCombo(s, IDC_SET_ASCII, 1); }));
    log = Transfer(box, "RETR text.txt");
    EXPECT_TRUE(HasLine(log, "TYPE A")) << log;
    EXPECT_EQ(ReadFile(Join(local, "text.txt")), "one\r\ntwo\r\n");
    ASSERT_TRUE(Settings(box, [](HWND s) { SetCombo(s, IDC_SET_ASCII, 0); }));

    // Uploads: STOR makes the file, APPE of another local path adds to it.
    log = Transfer(box, "STOR " + Join(local, "a\\tail.bin"));
    EXPECT_TRUE(HasLine(log, "STOR tail.bin")) << log;
    EXPECT_TRUE(ReadFile(Join(remote, "tail.bin")) == upA) << log;
    log = Transfer(box, "APPE " + Join(local, "b\\tail.bin"));
    EXPECT_TRUE(HasLine(log, "APPE tail.bin")) << log;
    EXPECT_TRUE(ReadFile(Join(remote, "tail.bin")) == upA + upB) << log;

    // Refusals on either side leave the other side's file as it was.
    Type(box, "STOR " + Join(local, "kept.bin"));
    EXPECT_TRUE(WaitLine(box, "Can't open local file,task terminated."));
    EXPECT_EQ(ReadFile(Join(remote, "kept.bin")), "remote stays");
    log = Transfer(box, "RETR gone.bin", "550");
    EXPECT_TRUE(HasLine(log, "550")) << log;
    EXPECT_EQ(ReadFile(Join(local, "gone.bin")), "local stays");
    // The console carries on after the refusal.
    EXPECT_FALSE(Reply(box, "NOOP", "200").empty());

    log = Reply(box, "QUIT", "221");
    EXPECT_TRUE(HasLine(log, "221")) << log;
    EXPECT_TRUE(WaitLine(box, "status:>Control Socket closed by server"));
    EXPECT_TRUE(xside::WaitFor([&] { return boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT); }, 5000));
    EXPECT_FALSE(boxdriver::ItemEnabled(box, IDC_CTRL_SEND));
  });
}

INSTANTIATE_TEST_SUITE_P(Peers, ConsoleOnPeer,
                         ::testing::Combine(::testing::Values("pyftpd", "vsftpd"), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<ConsoleOnPeer::ParamType>& info) {
                           return std::string(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Pasv" : "Port");
                         });

class ScriptedConsole : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(m_port, 0) << "the scripted server is not running";
    m_local = testsupport::TempFolder("console-scripted");
  }
  int m_port = 0;
  std::string m_local;
};

// The greeting comes late: USER waits for it, and every reply pairs with its
// own command. Typed once through the X server with Enter.
TEST_F(ScriptedConsole, LateGreetingThenUserAndTypedCommand)
{
  ASSERT_TRUE(peers::Scenario("console_late_greeting"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    // The settings box is open while the greeting and the login replies land.
    boxdriver::SetItemText(box, IDC_CTRL_HOST, "127.0.0.1");
    boxdriver::SetItemText(box, IDC_CTRL_PORT, std::to_string(m_port).c_str());
    boxdriver::SetItemText(box, IDC_CTRL_USER, "joe");
    boxdriver::SetItemText(box, IDC_CTRL_PASS, "secret");
    boxdriver::Click(box, IDC_CTRL_CONNECT);
    boxdriver::Click(box, IDC_CTRL_OPTIONS);
    HWND settings = boxdriver::WaitForBox("Settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(WaitLine(box, "230")) << LogText(box);
    EXPECT_TRUE(::IsWindowVisible(settings));
    boxdriver::Click(settings, IDOK);
    ASSERT_TRUE(boxdriver::WaitGone(settings));
    const std::string log = LogText(box);
    const size_t greeting = log.find("220 scripted ready"), user = log.find("USER joe");
    ASSERT_NE(greeting, std::string::npos) << log;
    EXPECT_LT(greeting, user) << log;
    EXPECT_LT(user, log.find("331 password please")) << log;
    EXPECT_LT(log.find("PASS ********"), log.find("230 logged in")) << log;

    ClearLog(box);
    HWND edit = ::GetDlgItem(box, IDC_CTRL_COMMAND);
    const POINT p = xside::WindowCentre(edit);
    xside::RunUnix("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                       " click 1 sleep 0.2 type --delay 40 'SYST'; xdotool key Return",
                   "zarn-console", 20000, false);
    EXPECT_TRUE(WaitLine(box, "200 ok")) << LogText(box);
    EXPECT_TRUE(HasLine(LogText(box), "SYST"));

    ClearLog(box);
    boxdriver::Click(box, IDC_CTRL_DISCONNECT);
    EXPECT_TRUE(WaitLine(box, "status:>Connection is closed by user")) << LogText(box);
    EXPECT_TRUE(boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT));
    EXPECT_FALSE(boxdriver::ItemEnabled(box, IDC_CTRL_COMMAND));
  });
  const std::vector<std::string> got = peers::Received();
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got[0], "USER joe");
  EXPECT_EQ(got[1], "PASS secret");
  EXPECT_EQ(got[2], "SYST");
}

// A 227 that arrives in pieces cut inside its numbers still gives the right
// port; the download is whole.
TEST_F(ScriptedConsole, SplitPasvReplyDownloadsWhole)
{
  ASSERT_TRUE(peers::Scenario("console_split_pasv"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    const std::string log = Transfer(box, "RETR /pub/split.bin");
    EXPECT_TRUE(ReadFile(Join(m_local, "split.bin")) == Pattern(8193)) << log;
  });
}

// A listing longer than the log: the log keeps at most 400 lines, the
// newest ones.
TEST_F(ScriptedConsole, LongListingKeepsTheLogShort)
{
  ASSERT_TRUE(peers::Scenario("console_long_list"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    // The 226 may come before the lines and be cut off with them.
    const std::string log = Transfer(box, "LIST", "Total:Received 12,000 bytes", 15000);
    EXPECT_TRUE(HasLine(log, "entry-0999")) << log.substr(log.size() > 400 ? log.size() - 400 : 0);
    EXPECT_FALSE(HasLine(log, "entry-0000"));
    size_t lines = 1;
    for (size_t p = log.find("\r\n"); p != std::string::npos; p = log.find("\r\n", p + 2))
      ++lines;
    EXPECT_LE(lines, 400u);
    EXPECT_GT(lines, 250u);
  });
}

// A 227 naming no usable address, then (after a reconnect) one naming a port
// where nobody listens: each ends its transfer with its line, nothing else
// of it goes out, and the console carries on.
TEST_F(ScriptedConsole, BadPassiveRepliesEndTheTransferOnly)
{
  ASSERT_TRUE(peers::Scenario("pasv_field_300"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    Type(box, "RETR x.bin");
    EXPECT_TRUE(WaitLine(box, "::Initializing Data Socket error.")) << LogText(box);
    EXPECT_TRUE(HasLine(Reply(box, "NOOP", "200"), "200"));
    EXPECT_FALSE(HasLine(LogText(box), "RETR"));

    boxdriver::Click(box, IDC_CTRL_DISCONNECT);
    ASSERT_TRUE(xside::WaitFor([&] { return boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT); }, 5000));
    ASSERT_TRUE(peers::Scenario("pasv_nobody_listens"));
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    Type(box, "RETR x.bin");
    EXPECT_TRUE(WaitLine(box, "::Connecting error,please check network condition.")) << LogText(box);
    EXPECT_TRUE(HasLine(Reply(box, "NOOP", "200"), "200"));
  });
  for (const std::string& line : peers::Received())
    EXPECT_NE(line.substr(0, 4), "RETR");
  EXPECT_FALSE(consoledriver::Exists(Join(m_local, "x.bin")));
}

// 550 to RETR and STOR: the local file keeps its bytes; nothing more of the
// transfer goes out.
TEST_F(ScriptedConsole, RefusalsLeaveLocalFilesAlone)
{
  ASSERT_TRUE(peers::Scenario("console_refuse"));
  ASSERT_TRUE(WriteFile(Join(m_local, "keep.bin"), "keep me"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    std::string log = Transfer(box, "RETR keep.bin", "550");
    EXPECT_EQ(ReadFile(Join(m_local, "keep.bin")), "keep me") << log;
    log = Transfer(box, "STOR " + Join(m_local, "keep.bin"), "550");
    EXPECT_TRUE(HasLine(log, "STOR keep.bin")) << log;
    EXPECT_FALSE(Reply(box, "NOOP", "200").empty());
  });
  EXPECT_EQ(ReadFile(Join(m_local, "keep.bin")), "keep me");
}

// ABOR during a download that stands still: the data connection goes first,
// ABOR follows in-band and whole, the console goes on.
TEST_F(ScriptedConsole, AbortDuringDownload)
{
  ASSERT_TRUE(peers::Scenario("xfer_stall"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    Type(box, "RETR stall.bin");
    ASSERT_TRUE(WaitLine(box, "150"));
    Shot(box, "console_transfer");
    // A command other than ABOR is ignored while the transfer runs.
    boxdriver::SetItemText(box, IDC_CTRL_COMMAND, "NOOP");
    boxdriver::Click(box, IDC_CTRL_SEND);
    ASSERT_TRUE(xside::WaitFor([&] { return boxdriver::ItemText(box, IDC_CTRL_COMMAND).empty(); }, 5000));
    Type(box, "ABOR");
    EXPECT_TRUE(WaitLine(box, "226")) << LogText(box);
    EXPECT_NE(LogText(box).find("status:>Data Socket already closed."), std::string::npos);
    EXPECT_FALSE(Reply(box, "PWD", "257").empty());
  });
  const std::vector<std::string> got = peers::Received();
  std::string all;
  for (const std::string& line : got)
    all += line + "\n";
  // ABOR arrives whole (no byte of it taken out of band).
  EXPECT_NE(all.find("\nABOR\n"), std::string::npos) << all;
  EXPECT_EQ(all.find("NOOP"), std::string::npos) << all;
}

// The server closes while commands wait: the console is reset at once and
// no time-out line follows later.
TEST_F(ScriptedConsole, ServerCloseResetsTheConsole)
{
  ASSERT_TRUE(peers::Scenario("console_close_queued"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  // The server closes a second after NOOP, before this time-out would end it.
  dlg.m_timeout = 2;
  RunConsole(dlg, [&](HWND box) {
    ASSERT_TRUE(Connect(box, m_port, "u", "p"));
    Type(box, "NOOP");
    boxdriver::SetItemText(box, IDC_CTRL_COMMAND, "PWD");
    boxdriver::Click(box, IDC_CTRL_SEND);
    ASSERT_TRUE(WaitLine(box, "status:>Control Socket closed by server", 20000)) << LogText(box);
    EXPECT_TRUE(boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT));
    const std::string after = LogText(box);
    // Longer than the time-out: a timer left running would have logged by now.
    ::Sleep(2500);
    EXPECT_EQ(LogText(box), after);
  });
}

// A server that never says anything: no USER goes out, the time-out resets
// the console once.
TEST_F(ScriptedConsole, SilenceTimesOut)
{
  ASSERT_TRUE(peers::Scenario("silent"));
  CCommandCtrlDlg dlg;
  dlg.m_folder = m_local.c_str();
  dlg.m_timeout = 1;
  RunConsole(dlg, [&](HWND box) {
    Connect(box, m_port, "u", "p", 100);
    ASSERT_TRUE(WaitLine(box, "status:>Timeout,stopped!", 20000)) << LogText(box);
    EXPECT_EQ(LogText(box).find("USER"), std::string::npos);
    EXPECT_TRUE(boxdriver::ItemEnabled(box, IDC_CTRL_CONNECT));
    const std::string after = LogText(box);
    ::Sleep(2500);
    EXPECT_EQ(LogText(box), after);
  });
}

}  // namespace
