// The clipboard monitor of the running main window: addresses copied by
// another program (a thread with its own window here) are parsed, queued and
// downloaded, or remembered for Quick Add Site; the program's own copies and
// anything that is no address are left alone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <sstream>
#include <cstdio>
#include <string>
#include <thread>

#include "engine/planitem.h"
#include "engine/queuerules.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/mainframe/clipmonitor.h"
#include "shell/mainframe/mainframeres.h"
#include "shell/settings/settings.h"
#include "tests/framemsgs/framefix.h"
#include "tests/support/peers.h"
#include "tests/toolkit/wintest.h"
#include "toolkit/clipboard.h"
#include "views/serlistrules.h"

namespace {

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Another program's copy: a thread with its own window owns the clipboard and
// puts the text there. The main thread pumps meanwhile (the notice is sent to it).
void CopyAsAnotherProgram(const std::string& text)
{
  std::atomic<bool> done{false};
  std::thread other([&] {
    HWND owner = ::CreateWindowExA(0, "STATIC", "other program", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    for (int attempt = 0; attempt < 50 && !::OpenClipboard(owner); ++attempt)
      ::Sleep(20);
    ::EmptyClipboard();
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(::GlobalLock(block), text.c_str(), text.size() + 1);
    ::GlobalUnlock(block);
    ::SetClipboardData(CF_TEXT, block);
    ::CloseClipboard();
    ::DestroyWindow(owner);
    done = true;
  });
  framefix::Pump(10000, [&] { return done.load(); });
  other.join();
  // The notice may come after the copy's end: let it in.
  framefix::Pump(400, [] { return false; });
}

int QueueCount()
{
  CQueuePaneDlg* page = framefix::Frame()->m_funcView.QueuePage();
  return page != nullptr ? page->GetQueueCount() : -1;
}

std::string ItemText(HWND dialog, int id)
{
  char text[256] = {};
  ::SendMessageA(::GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, (LPARAM)text);
  return text;
}

// The menus of a thread that are open on the screen: the menu bar's popup and
// each submenu below it.
int OpenMenus(DWORD thread)
{
  int count = 0;
  ::EnumThreadWindows(
      thread,
      [](HWND w, LPARAM p) -> BOOL {
        char name[16] = {};
        ::GetClassNameA(w, name, sizeof name);
        if (std::strcmp(name, "#32768") == 0 && ::IsWindowVisible(w))
          ++*reinterpret_cast<int*>(p);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

// Options > Clipboard > Transfer File with the keyboard. Keys go to the X
// window that has the focus, and each one acts only once the menu it needs is
// on the screen: the main thread runs the menu (so it only pumps), a side
// thread types, step by step, waiting for each menu to open.
bool ChooseTransferFile(CMainFrame* frame)
{
  const DWORD ui = ::GetCurrentThreadId();
  const auto xid = reinterpret_cast<uintptr_t>(::GetPropA(frame->m_hWnd, "__wine_x11_whole_window"));
  std::atomic<bool> gaveUp{false};
  std::thread typist([&] {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (xid != 0)
        wintest::Xdo("windowfocus --sync " + std::to_string(xid));
      wintest::Xdo("key alt+o");
      if (xside::WaitFor([&] { return OpenMenus(ui) >= 1; }, 5000)) {
        wintest::Xdo("key Down Down Down Down Right");
        if (xside::WaitFor([&] { return OpenMenus(ui) >= 2; }, 5000)) {
          wintest::Xdo("key Down Down Return");
          return;
        }
      }
      // Whatever opened goes before the next try.
      wintest::Xdo("key Escape Escape Escape");
      xside::WaitFor([&] { return OpenMenus(ui) == 0; }, 5000);
    }
    gaveUp = true;
  });
  frame->SetForegroundWindow();
  const bool chosen =
      framefix::Pump(60000, [&] { return frame->m_window.clipboardMode == CLIPMODE_FILES || gaveUp.load(); }) &&
      frame->m_window.clipboardMode == CLIPMODE_FILES;
  typist.join();
  return chosen;
}

}  // namespace

TEST(ClipboardMonitor, ParseFtpUrlTable)
{
  struct Case {
    std::string text;
    bool ok;
    const char* host;
    const char* user;
    int port;
    const char* path;
    char anonymous;
  };
  const Case cases[] = {
      {"ftp://joe:pw@ftp.example.org:2121/pub/a%20b.txt", true, "ftp.example.org", "joe", 2121, "/pub/a b.txt", '0'},
      {"  FTP://127.0.0.1/pub/", true, "127.0.0.1", "", 21, "/pub/", '1'},
      {"ftp://" + std::string(60, 'h') + "/f", false, "", "", 0, "", 0},
      {"ftp://" + std::string(70, 'u') + ":p@h/f", false, "", "", 0, "", 0},
      {"ftp://h/" + std::string(253, 'x'), false, "", "", 0, "", 0},  // 261 characters
      {"ftp://", false, "", "", 0, "", 0},
      {"ftp://h/a.txt\r\nftp://h/b.txt", false, "", "", 0, "", 0},
      {"just some words", false, "", "", 0, "", 0},
      {"ftp://h/a%0Ab.txt", false, "", "", 0, "", 0},
  };
  for (const Case& c : cases) {
    SiteRecord r;
    ASSERT_EQ(c.ok, ParseFtpUrl(c.text.c_str(), r)) << c.text << " path [" << r.m_remoteFolder << "]";
    if (!c.ok)
      continue;
    EXPECT_STREQ(c.host, r.m_host);
    EXPECT_STREQ(c.host, r.m_name);
    EXPECT_STREQ(c.user, r.m_user);
    EXPECT_EQ(c.port, r.m_port);
    EXPECT_STREQ(c.path, r.m_remoteFolder);
    EXPECT_EQ(c.anonymous, r.SiteOptionDigits[1]) << c.text;
  }
}

TEST(ClipboardMonitor, QueuesRemembersAndLeavesTheChain)
{
  struct {
    int port;
    std::string root;
  } peer = {peers::Port("ZARN_PYFTPD_PORT"), peers::Env("ZARN_PYFTPD_ROOT_WIN")};
  ASSERT_NE(0, peer.port) << "needs the pyftpdlib peer";
  ASSERT_TRUE(framefix::StartApp());
  CMainFrame* frame = framefix::Frame();
  const uint32_t savedFlags = g_optionFlags;
  const std::string savedDownload = g_downloadPath;

  // The file on the server, and an empty download folder.
  // No line ends: a ".txt" goes in ASCII mode, which would change them.
  std::string body(70000, ' ');
  for (size_t i = 0; i < body.size(); ++i)
    body[i] = (char)(' ' + (i * 131 + i / 251) % 95);
  ::CreateDirectoryA((peer.root + "\\anon").c_str(), nullptr);
  ::CreateDirectoryA((peer.root + "\\anon\\pub").c_str(), nullptr);
  WriteAll(peer.root + "\\anon\\pub\\clipmon.txt", body);
  char temp[MAX_PATH];
  ASSERT_NE(0u, ::GetTempPathA(sizeof temp, temp));
  const std::string target = std::string(temp) + "clipmon-dl";
  ::CreateDirectoryA(target.c_str(), nullptr);
  ::DeleteFileA((target + "\\clipmon.txt").c_str());
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", target.c_str());
  g_optionFlags |= 1u << 4;  // start the queue when an item comes

  // Out of the chain first: a run that was killed may have left a monitor mode
  // in the settings, and the menu choice below must be what joins.
  frame->SendMessage(WM_COMMAND, 32850, 0);
  ASSERT_NE(frame->m_hWnd, ::GetClipboardViewer());

  // An address already on the clipboard is not queued by choosing the mode.
  const std::string url = "ftp://127.0.0.1:" + std::to_string(peer.port) + "/pub/clipmon.txt";
  CopyAsAnotherProgram(url);
  const int before = QueueCount();

  // "Transfer File" through the menu, as a user chooses it.
  ASSERT_TRUE(ChooseTransferFile(frame)) << "the menu's Transfer File";
  EXPECT_EQ(frame->m_hWnd, ::GetClipboardViewer());
  framefix::Pump(500, [] { return false; });
  EXPECT_EQ(before, QueueCount()) << "what lay there before the mode was chosen";
  // The join's own notice came: the next copy is the first one acted on.
  EXPECT_TRUE(g_clipMonitor.noticeSeen);

  // A copy by another program: one item, downloaded byte for byte.
  CopyAsAnotherProgram("");
  CopyAsAnotherProgram(url);
  EXPECT_TRUE(framefix::Pump(5000, [&] { return QueueCount() == before + 1; })) << QueueCount();
  const std::string downloaded = target + "\\clipmon.txt";
  EXPECT_TRUE(framefix::Pump(60000, [&] { return ReadAll(downloaded) == body; }));
  // The same text again queues nothing (the queue no longer starts by itself,
  // so what is queued stays to be counted).
  g_optionFlags &= ~(1u << 4);
  framefix::Pump(20000, [] { return g_queueRunning.load() == 0 && g_planThreadCount.load() == 0; });
  const int afterFirst = QueueCount();
  CopyAsAnotherProgram(url);
  EXPECT_EQ(afterFirst, QueueCount());

  // The program's own Copy URL, plain text and a folder address in mode 2: nothing.
  const std::string own = "ftp://127.0.0.1:" + std::to_string(peer.port) + "/pub/own.txt";
  g_ownClipboardText = own.c_str();
  ASSERT_TRUE(CopyTextToClipboard(("\r\n" + own).c_str(), frame));
  framefix::Pump(500, [] { return false; });
  CopyAsAnotherProgram("plain words, no address");
  CopyAsAnotherProgram("ftp://127.0.0.1:" + std::to_string(peer.port) + "/pub/");
  EXPECT_EQ(afterFirst, QueueCount());
  EXPECT_STRNE(own.c_str(), g_clipMonitor.lastText);

  // Mode 0 leaves the chain: copies are no longer seen.
  frame->SendMessage(WM_COMMAND, 32850, 0);
  EXPECT_NE(frame->m_hWnd, ::GetClipboardViewer());
  EXPECT_EQ(nullptr, frame->m_hNextViewer);
  CopyAsAnotherProgram("ftp://127.0.0.1/pub/unseen.txt");
  EXPECT_STRNE("ftp://127.0.0.1/pub/unseen.txt", g_clipMonitor.lastText);

  // Mode 1 remembers a named login; Quick Add opens with it, and a copy that
  // lands while the box is open changes nothing in it.
  frame->SendMessage(WM_COMMAND, 32846, 0);
  const std::string login = "ftp://joe:pw@127.0.0.1:" + std::to_string(peer.port) + "/pub/";
  CopyAsAnotherProgram(login);
  EXPECT_EQ(afterFirst, QueueCount());
  ASSERT_STREQ(login.c_str(), g_clipMonitor.lastText);
  std::string host, user, password, hostAfter;
  static const char kLater[] = "ftp://later.example.org/pub/";
  std::atomic<bool> seen{false};
  std::thread driver([&] {
    const DWORD start = ::GetTickCount();
    HWND dialog = nullptr;
    while (dialog == nullptr && ::GetTickCount() - start < 15000) {
      HWND w = ::FindWindowA("#32770", nullptr);
      if (w != nullptr && ::GetDlgItem(w, IDC_QA_HOST) != nullptr)
        dialog = w;
      else
        ::Sleep(50);
    }
    if (dialog == nullptr)
      return;
    host = ItemText(dialog, IDC_QA_HOST);
    user = ItemText(dialog, IDC_QA_USER);
    password = ItemText(dialog, IDC_QA_PASSWORD);
    // Another copy lands while the box is open: remembered, the box unchanged.
    HWND owner = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (::OpenClipboard(owner)) {
      ::EmptyClipboard();
      HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof kLater);
      std::memcpy(::GlobalLock(block), kLater, sizeof kLater);
      ::GlobalUnlock(block);
      ::SetClipboardData(CF_TEXT, block);
      ::CloseClipboard();
    }
    ::DestroyWindow(owner);
    xside::WaitFor([] { return std::strcmp(g_clipMonitor.lastText, kLater) == 0; }, 5000);
    hostAfter = ItemText(dialog, IDC_QA_HOST);
    seen = true;
    ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  frame->SendMessage(WM_COMMAND, ID_SITE_QUICK_ADD, 0);
  driver.join();
  ASSERT_TRUE(seen.load()) << "Quick Add did not open";
  EXPECT_EQ("127.0.0.1", host);
  EXPECT_EQ("joe", user);
  EXPECT_EQ("pw", password);
  EXPECT_EQ("127.0.0.1", hostAfter);
  EXPECT_STREQ(kLater, g_clipMonitor.lastText);
  EXPECT_EQ(afterFirst, QueueCount());

  frame->SendMessage(WM_COMMAND, 32850, 0);
  g_optionFlags = savedFlags;
  std::snprintf(g_downloadPath, sizeof g_downloadPath, "%s", savedDownload.c_str());
  // The queue items go, so later runs of this prefix find the queue as it was.
  if (CQueuePaneDlg* page = frame->m_funcView.QueuePage()) {
    page->m_queue.SetAllSelected(true);
    page->SendMessage(WM_COMMAND, 32866, 0);
  }
  EXPECT_TRUE(framefix::ExitApp());
}
