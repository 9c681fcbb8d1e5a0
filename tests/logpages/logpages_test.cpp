// The connection log page and the sites-status page in a window of their own
// under Xvfb: real engine threads writing the log, a keeper connected to the
// s2s server on 127.0.0.2, the menu chosen with the pointer.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/connlog.h"
#include "engine/dialup.h"
#include "engine/localaddr.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/funcpages.h"
#include "shell/funcview/logpagesres.h"
#include "shell/funcview/logpanedlg.h"
#include "shell/funcview/sitestatuspanedlg.h"
#include "shell/settings/osplatform.h"
#include "shell/settings/settings.h"
#include "shell/tools/graphctrl.h"
#include "toolkit/splitterbar.h"
#include "tests/confirm/boxdriver.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"
#include "tests/toolkit/wintest.h"

CWinApp theApp("logpages");

namespace {

using wintest::PumpUntil;

// The window the pages live in, as the function view holds them.
class CHost : public CWnd {
public:
  BOOL Make()
  {
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
    return CreateEx(WS_EX_TOPMOST, cls, "logpages", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 20, 20, 900, 600,
                    nullptr, nullptr);
  }
  ~CHost() override
  {
    if (m_hWnd != nullptr)
      DestroyWindow();
  }
};

template <class Page>
void Place(Page& page, CHost& host)
{
  CRect rc;
  host.GetClientRect(&rc);
  page.MoveWindow(&rc);
  page.ShowWindow(SW_SHOW);
  page.UpdateWindow();
}

// The screen into $ZARN_BINARY_DIR/shots/<name>.png. Only this process's
// windows are painted first: a paint sent to another program's window would
// wait on that program.
void Shot(const char* name)
{
  const std::string dir = peers::Env("ZARN_BINARY_DIR");
  if (dir.empty())
    return;
  for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetNextWindow(w, GW_HWNDNEXT)) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w))
      ::RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  const std::string shots = dir + "/shots";
  wintest::RunHost("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png");
}

CPoint ScreenPointOf(CWnd& w, int x, int y)
{
  CPoint p(x, y);
  w.ClientToScreen(&p);
  return p;
}

HWND ShownMenu()
{
  HWND shown = ::FindWindowA("#32768", nullptr);
  return shown != nullptr && ::IsWindowVisible(shown) ? shown : nullptr;
}

// Right-clicks at p as a user does and clicks the item with id in the popup
// that opens; pumps until that is over. False when no such item was clicked.
// whileOpen, when given, runs on the driver's thread while the popup is up.
bool ChooseFromMenuAt(CPoint p, UINT id, const char* shot = nullptr, const std::function<void()>& whileOpen = nullptr)
{
  std::atomic<bool> clicked{false}, done{false};
  boxdriver::Driver driver([&] {
    for (int attempt = 0; attempt < 3 && !clicked; ++attempt) {
      wintest::Xdo(wintest::MoveTo(p.x, p.y) + " click 3");
      HWND popup = nullptr;
      for (int i = 0; i < 60 && popup == nullptr; ++i, ::Sleep(50))
        popup = ShownMenu();
      HMENU menu = popup != nullptr ? (HMENU)::SendMessageA(popup, MN_GETHMENU, 0, 0) : nullptr;
      if (menu != nullptr && whileOpen)
        whileOpen();
      for (int i = 0; menu != nullptr && i < ::GetMenuItemCount(menu) && !clicked; ++i) {
        if (::GetMenuItemID(menu, i) != id)
          continue;
        RECT item;
        ::GetMenuItemRect(nullptr, menu, i, &item);
        wintest::Xdo(wintest::MoveTo((item.left + item.right) / 2, (item.top + item.bottom) / 2));
        if (shot != nullptr)
          Shot(shot);
        wintest::Xdo("click 1");
        clicked = true;
      }
      if (!clicked && popup != nullptr)
        wintest::Xdo("key Escape");
      for (int i = 0; i < 40 && popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup); ++i)
        ::Sleep(50);
      if (popup != nullptr && ::IsWindow(popup) && ::IsWindowVisible(popup))
        wintest::Xdo("key Escape");
    }
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 30000);
  driver.Join();
  return clicked;
}

CRect InParent(CWnd& w)
{
  CRect r;
  w.GetWindowRect(&r);
  w.GetParent()->ScreenToClient(&r);
  return r;
}

// Drags the bar by (dx, dy) with the pointer as a user does; true once the
// bar's owner has moved its neighbours (moved holds).
bool DragBar(CSplitterBar& bar, int dx, int dy, const std::function<bool()>& moved)
{
  const POINT press = wintest::ScreenCentre(bar.m_hWnd);
  CPoint inParent = press;
  bar.GetParent()->ScreenToClient(&inParent);
  const int target = bar.GetOrientation() == CSplitterBar::kVertical ? inParent.x + dx : inParent.y + dy;
  for (int attempt = 0; attempt < 3; ++attempt) {
    wintest::Xdo(wintest::MoveTo(press.x, press.y) + " mousedown 1 sleep 0.2 mousemove " +
                 std::to_string(press.x + dx) + " " + std::to_string(press.y + dy) + " sleep 0.2");
    const bool held = PumpUntil([&] { return bar.IsTracking() && bar.GetTrackPosition() == target; }, 5000);
    wintest::Xdo("mouseup 1");
    if (held && PumpUntil(moved, 5000))
      return true;
  }
  return false;
}

std::string ClipboardText(CWnd& owner)
{
  std::string text;
  for (int attempt = 0; attempt < 20 && !::OpenClipboard(owner.m_hWnd); ++attempt)
    ::Sleep(50);
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = (const char*)::GlobalLock(data)) {
      text = p;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string RowText(CListCtrl& list, int row)
{
  char text[300] = "";
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = sizeof(text);
  list.SendMessage(LVM_GETITEMTEXTA, (WPARAM)row, (LPARAM)&item);
  return text;
}

class LogPages : public ::testing::Test {
protected:
  void SetUp() override
  {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(host.Make());
  }
  CHost host;
};

TEST_F(LogPages, LogLinesFromManyThreadsShowCopySaveAndClear)
{
  SetLogPaneLowerPageMaker(nullptr);
  ConnLogClear();
  CLogPaneDlg page(&host);
  ASSERT_TRUE(page.Create(IDD_LOG_PANE, &host));
  Place(page, host);
  CRect listRect;
  page.m_list.GetClientRect(&listRect);
  ASSERT_GT(listRect.Height(), 300);  // the list takes 0.8 of the page

  // The one column, its header in the code page's Chinese.
  char header[64] = "";
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header;
  column.cchTextMax = sizeof(header);
  ASSERT_TRUE(page.m_list.SendMessage(LVM_GETCOLUMNA, 0, (LPARAM)&column));
  EXPECT_STREQ(header, "\xB7\xFE\xCE\xF1\xC6\xF7\xB2\xD9\xD7\xF7\xBD\xBB\xBB\xA5\xD0\xC5\xCF\xA2");
  EXPECT_EQ(column.cx, 1000);
  EXPECT_EQ(page.m_list.SendMessage(LVM_GETTEXTCOLOR), (LRESULT)RGB(255, 255, 255));
  EXPECT_EQ(page.m_list.SendMessage(LVM_GETBKCOLOR), (LRESULT)RGB(0, 0, 0));

  // An empty ring: no rows, and a right click opens no menu.
  EXPECT_EQ(page.m_list.GetItemCount(), 0);
  const CPoint inList = ScreenPointOf(page.m_list, 200, 100);
  std::atomic<bool> menuSeen{false}, watched{false};
  boxdriver::Driver watcher([&] {
    wintest::Xdo(wintest::MoveTo(inList.x, inList.y) + " click 3");
    for (int i = 0; i < 30; ++i, ::Sleep(50)) {
      if (ShownMenu() != nullptr) {
        menuSeen = true;
        wintest::Xdo("key Escape");
        break;
      }
    }
    watched = true;
  });
  PumpUntil([&] { return watched.load(); }, 20000);
  watcher.Join();
  EXPECT_FALSE(menuSeen);

  // Eight engine-like threads, then one last line and a line of 258 characters
  // that has no CR LF of its own.
  std::vector<std::thread> writers;
  for (int t = 0; t < 8; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 125; ++i)
        ConnLogPrintf("127.0.0.2::Reply: T%d #%03d\r\n", t, i);
    });
  for (auto& w : writers)
    w.join();
  const std::string longLine(258, 'L');
  ConnLogWrite(longLine.c_str());
  ConnLogWrite("127.0.0.2::last line\r\n");

  // The timer takes them in.
  ASSERT_TRUE(PumpUntil([&] { return g_connLogShown == ConnLogWritten(); }, 10000));
  const std::vector<CString> rows = ConnLogRows();
  ASSERT_EQ(page.m_list.GetItemCount(), (int)rows.size());
  ASSERT_GE(rows.size(), 199u);
  std::set<std::string> distinct;
  for (int i = 0; i < (int)rows.size(); ++i) {
    ASSERT_FALSE(rows[(size_t)i].IsEmpty()) << "row " << i;
    distinct.insert(rows[(size_t)i].GetString());
    std::string shown = rows[(size_t)i].GetString();
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == '\n'))
      shown.pop_back();
    ASSERT_EQ(RowText(page.m_list, i), shown) << i;
  }
  EXPECT_EQ(distinct.size(), rows.size()) << "a line shown twice";
  EXPECT_EQ(RowText(page.m_list, (int)rows.size() - 1), "127.0.0.2::last line");
  // The list is scrolled to its end.
  const int top = (int)page.m_list.SendMessage(LVM_GETTOPINDEX);
  const int perPage = (int)page.m_list.SendMessage(LVM_GETCOUNTPERPAGE);
  EXPECT_GE(top + perPage, (int)rows.size() - 1);
  Shot("logpage_lines");

  // Copy chosen from the menu, with more lines landing while it is open:
  // every line held at the choice once, each with one CR LF, no blanks in
  // front.
  ::OpenClipboard(host.m_hWnd);
  ::EmptyClipboard();
  ::CloseClipboard();
  ASSERT_TRUE(ChooseFromMenuAt(inList, ID_CONNINFO_COPY, "logpage_menu", [] {
    for (int i = 0; i < 150; ++i)
      ConnLogPrintf("127.0.0.2::Reply: while the menu is open #%03d\r\n", i);
  }));
  std::string expected;
  for (const CString& r : ConnLogRows()) {
    expected += r.GetString();
    if (expected.back() != '\n' && expected.back() != '\r')
      expected += "\r\n";
  }
  EXPECT_EQ(ClipboardText(host), expected);
  EXPECT_NE(expected.find("while the menu is open #149\r\n"), std::string::npos);

  // Save: each line at most 257 characters, its own CR LF removed, one added.
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof(temp), temp);
  const std::string path = std::string(temp) + "zarn-logpages-save.log";
  ASSERT_TRUE(SaveConnLog(path.c_str()));
  std::string saved;
  for (const CString& r : ConnLogRows()) {
    std::string line = std::string(r.GetString()).substr(0, 257);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
      line.pop_back();
    saved += line + "\r\n";
  }
  EXPECT_EQ(ReadFile(path), saved);
  EXPECT_NE(saved.find(std::string(257, 'L') + "\r\n"), std::string::npos);
  ::DeleteFileA(path.c_str());
  // A file that cannot be made (no such folder; a folder of that name) gets
  // nothing written.
  const std::string missing = std::string(temp) + "zarn-no-such-folder\\x.log";
  EXPECT_FALSE(SaveConnLog(missing.c_str()));
  EXPECT_EQ(::GetFileAttributesA(missing.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(SaveConnLog(temp));

  // Clear from the menu empties list and ring; a line written after it shows.
  ASSERT_TRUE(ChooseFromMenuAt(inList, ID_CONNINFO_CLEAR));
  EXPECT_EQ(page.m_list.GetItemCount(), 0);
  EXPECT_EQ(ConnLogCount(), 0);
  ConnLogWrite("127.0.0.2::after the clear\r\n");
  ASSERT_TRUE(PumpUntil([&] { return page.m_list.GetItemCount() == 1; }, 10000));
  EXPECT_EQ(RowText(page.m_list, 0), "127.0.0.2::after the clear");
  page.DestroyWindow();
}

// The page below the log comes from the hook, under the splitter.
TEST_F(LogPages, LowerPageFromTheHookFillsTheRestBelowTheSplitter)
{
  static CWnd* made = nullptr;
  SetLogPaneLowerPageMaker([](CWnd* parent) -> CWnd* {
    auto* w = new CStatic();
    w->Create("traffic", WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 10, 10), parent, 197);
    made = w;
    return w;
  });
  {
    CLogPaneDlg page(&host);
    ASSERT_TRUE(page.Create(IDD_LOG_PANE, &host));
    Place(page, host);
    ASSERT_EQ(page.m_pLowerPage, made);
    CRect client, list, lower;
    page.GetClientRect(&client);
    page.m_list.GetWindowRect(&list);
    made->GetWindowRect(&lower);
    page.ScreenToClient(&list);
    page.ScreenToClient(&lower);
    EXPECT_EQ(list.bottom, client.Height() * 4 / 5);
    EXPECT_EQ(lower.top, list.bottom + 3);
    EXPECT_EQ(lower.bottom, client.bottom);

    // Dragged up, the log gives the page below what it loses; the place stays
    // when the page is laid out again.
    ::SetForegroundWindow(host.m_hWnd);
    ASSERT_TRUE(DragBar(page.m_splitter, 0, -50, [&] { return InParent(page.m_list).bottom == list.bottom - 50; }));
    EXPECT_EQ(InParent(*made).top, lower.top - 50);
    EXPECT_EQ(InParent(*made).bottom, client.bottom);
    page.MoveWindow(0, 0, client.Width(), client.Height() - 20);
    EXPECT_EQ(InParent(page.m_list).bottom, list.bottom - 50);
    EXPECT_EQ(InParent(*made).bottom, client.bottom - 20);
    page.DestroyWindow();
  }
  SetLogPaneLowerPageMaker(nullptr);
  delete made;
  made = nullptr;
}

// The function view makes both pages by template id; they go away with
// their windows.
TEST_F(LogPages, BothPagesRegisterWithTheFunctionView)
{
  RegisterLogPanes();
  for (UINT id : {IDD_LOG_PANE, IDD_SITE_STATUS_PANE}) {
    FuncPageMaker maker = FindFuncViewPage(id);
    ASSERT_NE(maker, nullptr) << id;
    CTabPageDialog* page = maker(&host);
    ASSERT_NE(page, nullptr) << id;
    EXPECT_TRUE(id == IDD_LOG_PANE ? page->IsKindOf(RUNTIME_CLASS(CLogPaneDlg))
                                   : page->IsKindOf(RUNTIME_CLASS(CSiteStatusPaneDlg)));
    page->DestroyWindow();  // deletes the page
  }
}

// ---- the sites-status page ----

// The bars of the sites-status page move the controls beside them.
TEST_F(LogPages, SitesStatusSplittersMoveTheirNeighbours)
{
  CSiteStatusPaneDlg page(&host);
  ASSERT_TRUE(page.Create(IDD_SITE_STATUS_PANE, &host));
  Place(page, host);
  const CRect tree = InParent(page.m_tree), list = InParent(page.m_list), text = InParent(page.m_text);
  EXPECT_EQ(tree.Width(), 900 * 2 / 5);
  EXPECT_EQ(list.left, tree.right + 10);
  EXPECT_EQ(list.Height(), 600 * 3 / 5);
  EXPECT_EQ(text.top, list.bottom + 10);
  EXPECT_EQ(text.bottom, 600);

  ::SetForegroundWindow(host.m_hWnd);
  ASSERT_TRUE(DragBar(page.m_vSplit, 60, 0, [&] { return InParent(page.m_tree).right == tree.right + 60; }));
  EXPECT_EQ(InParent(page.m_list).left, list.left + 60);
  EXPECT_EQ(InParent(page.m_list).right, list.right);
  EXPECT_EQ(InParent(page.m_text).left, text.left + 60);
  EXPECT_EQ(InParent(page.m_hSplit).left, list.left + 60);

  ASSERT_TRUE(DragBar(page.m_hSplit, 0, 40, [&] { return InParent(page.m_list).bottom == list.bottom + 40; }));
  EXPECT_EQ(InParent(page.m_text).top, text.top + 40);
  EXPECT_EQ(InParent(page.m_text).bottom, text.bottom);
  page.DestroyWindow();
}

struct FakeDialUp {
  static DWORD WINAPI Enum(RasConnV4* connections, LPDWORD bytes, LPDWORD count)
  {
    if (*bytes < sizeof(RasConnV4))
      return ERROR_BUFFER_TOO_SMALL;
    connections[0].hrasconn = (HRASCONN)(intptr_t)7;
    lstrcpyA(connections[0].szEntryName, "Office line");
    *count = 1;
    return 0;
  }
  static DWORD WINAPI Stats(HRASCONN, RasStatsRecord* stats)
  {
    if (stats->dwSize != 60)
      return ERROR_INVALID_SIZE;
    stats->dwBps = 57600;
    stats->dwBytesXmited = 1234567;
    stats->dwBytesRcved = 89;
    stats->dwConnectDuration = (3600 + 2 * 60 + 3) * 1000;
    return 0;
  }
};

bool PrivateAddress(char* name, size_t nameSize, LocalIPv4* addresses, size_t, size_t* count)
{
  lstrcpynA(name, "testbox", (int)nameSize);
  addresses[0] = LocalIPv4{{192, 168, 1, 9}};
  *count = 1;
  return true;
}

std::string Cell(CListCtrl& list, int row, int column)
{
  return std::string(list.GetItemText(row, column).GetString());
}

int Children(CTreeCtrl& tree, HTREEITEM node)
{
  int n = 0;
  for (HTREEITEM c = tree.GetChildItem(node); c != nullptr; c = tree.GetNextSiblingItem(c))
    ++n;
  return n;
}

CSiteItem* AddSite(CZarnDoc& doc, int slot, const char* name, const char* host, int port)
{
  auto* site = new CSiteItem();
  keepertest::SetUpSite(*site, port, "zarn", "secret", '0');
  CopySiteText(site->m_host, host);
  CopySiteText(site->m_name, name);
  if (doc.m_sites[slot] != nullptr)
    delete doc.m_sites[slot];  // the document's own default site
  else
    ++doc.m_nSites;
  doc.m_sites[slot] = site;
  return site;
}

TEST_F(LogPages, StatusTreeOverTheSlotsItsTimerAndTheMachineRows)
{
  keepertest::FastSettings();
  CZarnDoc doc;
  g_pDoc = &doc;
  AddSite(doc, 0, "alpha", "10.0.0.1", 21);
  AddSite(doc, 3, "beta", "10.0.0.2", 21);
  AddSite(doc, 199, "gamma", "10.0.0.3", 21);
  SetLocalAddressSource(PrivateAddress);
  DialUpApi fake = {};
  fake.enumConnections = FakeDialUp::Enum;
  SetDialUpApi(&fake);
  g_osPlatformId = 2;
  g_funcViewTab = kFuncTabSitesStatus;

  CSiteStatusPaneDlg page(&host);
  ASSERT_TRUE(page.Create(IDD_SITE_STATUS_PANE, &host));
  Place(page, host);
  CServerStatusTree& tree = page.m_tree;

  // A refresh before any rebuild does nothing.
  page.SendMessage(UWM_SITES_STATUS_REFRESH);
  EXPECT_FALSE(tree.TimerRunning());
  EXPECT_EQ(tree.GetCount(), 0u);

  page.SendMessage(UWM_SITES_STATUS_REBUILD);
  HTREEITEM root = tree.GetRootItem();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(std::string(tree.GetItemText(root).GetString()), "Server Detailed Status");
  ASSERT_EQ(Children(tree, root), 3);
  EXPECT_TRUE(tree.GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_EQ(tree.GetSelectedItem(), root);
  EXPECT_TRUE(tree.TimerRunning());
  ASSERT_EQ(page.m_list.GetItemCount(), kMachineRowCount);
  EXPECT_EQ(Cell(page.m_list, 0, 1), "3");
  EXPECT_EQ(Cell(page.m_list, 3, 1), "testbox");
  EXPECT_EQ(Cell(page.m_list, 4, 1), "192.168.1.9");
  EXPECT_EQ(Cell(page.m_list, 7, 1), "Modem");
  // No statistics function: the dial-up figures stay empty.
  for (int row = 8; row <= 12; ++row)
    EXPECT_EQ(Cell(page.m_list, row, 1), "") << row;

  // With it, a tick fills them.
  fake.getStatistics = FakeDialUp::Stats;
  tree.RefreshSelected();
  EXPECT_EQ(Cell(page.m_list, 8, 1), "Office line");
  EXPECT_EQ(Cell(page.m_list, 9, 1), "57600 bps");
  EXPECT_EQ(Cell(page.m_list, 10, 1), "1,234,567");
  EXPECT_EQ(Cell(page.m_list, 12, 1), " 1: 2: 3");

  // Slot 0's node holds 0 as the root does; selecting it shows the site.
  HTREEITEM first = tree.GetChildItem(root);
  EXPECT_EQ(tree.GetItemData(first), 0u);
  tree.SelectItem(first);
  ASSERT_EQ(page.m_list.GetItemCount(), kSiteRowCount);
  EXPECT_EQ(Cell(page.m_list, 0, 1), "10.0.0.1");
  EXPECT_EQ(Cell(page.m_list, 8, 1), "Not");
  // A site whose slot empties while selected shows empty values on the tick.
  CSiteItem* gone = doc.m_sites[0];
  doc.m_sites[0] = nullptr;
  tree.RefreshSelected();
  EXPECT_EQ(Cell(page.m_list, 0, 0), "Server Domain Name");
  EXPECT_EQ(Cell(page.m_list, 0, 1), "");
  doc.m_sites[0] = gone;
  tree.SelectItem(root);
  EXPECT_EQ(page.m_list.GetItemCount(), kMachineRowCount);

  // Another tab shown: the next tick stops the timer; showing the tab again
  // starts it.
  g_funcViewTab = 2;
  ASSERT_TRUE(PumpUntil([&] { return !tree.TimerRunning(); }, 10000));
  page.SendMessage(UWM_SITES_STATUS_REFRESH);
  EXPECT_FALSE(tree.TimerRunning());
  g_funcViewTab = kFuncTabSitesStatus;
  page.SendMessage(UWM_SITES_STATUS_REFRESH);
  EXPECT_TRUE(tree.TimerRunning());

  // No sites: the root alone, not expanded.
  for (int slot : {0, 3, 199}) {
    delete doc.m_sites[slot];
    doc.m_sites[slot] = nullptr;
  }
  doc.m_nSites = 0;
  page.SendMessage(UWM_SITES_STATUS_REBUILD);
  root = tree.GetRootItem();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Children(tree, root), 0);
  EXPECT_FALSE(tree.GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);

  page.DestroyWindow();
  SetDialUpApi(nullptr);
  SetLocalAddressSource(nullptr);
  g_pDoc = nullptr;
}

TEST_F(LogPages, ConnectedSiteShowsItsPeerAndOnlyItsOwnLines)
{
  const int port = peers::Port("ZARN_S2S_PORT_2");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --s2s";
  keepertest::FastSettings();
  ConnLogClear();
  CZarnDoc doc;
  g_pDoc = &doc;
  AddSite(doc, 1, "near", "127.0.0.3", peers::UnusedPort());
  CSiteItem* remote = AddSite(doc, 2, "far", "127.0.0.2", port);
  ConnLogWrite("127.0.0.3::Reply: a line of another site\r\n");
  ConnLogWrite("far::Reply: a line that only names the alias\r\n");
  keepertest::StartKeeper(*remote);
  ASSERT_TRUE(keepertest::WaitFor([&] { return remote->m_connected.load() == 1; }, 15000));
  g_funcViewTab = kFuncTabSitesStatus;

  CSiteStatusPaneDlg page(&host);
  ASSERT_TRUE(page.Create(IDD_SITE_STATUS_PANE, &host));
  Place(page, host);
  page.SendMessage(UWM_SITES_STATUS_REBUILD);
  CServerStatusTree& tree = page.m_tree;
  HTREEITEM node = tree.GetChildItem(tree.GetRootItem());
  while (node != nullptr && std::string(tree.GetItemText(node).GetString()) != "far")
    node = tree.GetNextSiblingItem(node);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(tree.GetItemData(node), 2u);

  // Clicked as a user clicks it.
  CRect label;
  tree.GetItemRect(node, &label, TRUE);
  const CPoint at = ScreenPointOf(tree, label.CenterPoint().x, label.CenterPoint().y);
  EXPECT_TRUE(wintest::ClickUntil(at.x, at.y, [&] { return tree.GetSelectedItem() == node; }));
  ASSERT_EQ(page.m_list.GetItemCount(), kSiteRowCount);
  EXPECT_EQ(Cell(page.m_list, 1, 1), "127.0.0.2");
  EXPECT_EQ(Cell(page.m_list, 3, 1), "127.0.0.1");
  EXPECT_EQ(Cell(page.m_list, 9, 1), "Connected");

  CString text;
  page.m_text.GetWindowText(text);
  std::istringstream lines(std::string(text.GetString()));
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "      ******** far ********\r");
  int own = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line == "\r")
      continue;
    EXPECT_EQ(line.rfind("127.0.0.2::", 0), 0u) << line;
    ++own;
  }
  EXPECT_GT(own, 0);
  Shot("sitestatus_selected");

  keepertest::StopKeeper(*remote);
  page.DestroyWindow();
  g_pDoc = nullptr;
}

// ---- the seven-segment display ----

// A lit pixel lies on a lit segment (within the pen), and every lit segment
// shows lit pixels.
TEST_F(LogPages, SevenSegmentDisplayLightsOnlyItsSegments)
{
  CGraphCtrl graph;
  ASSERT_TRUE(graph.Create("", WS_CHILD | WS_VISIBLE, CRect(40, 40, 100, 60), &host, 300));
  graph.SetText("12.345");
  EXPECT_EQ(std::string(graph.GetText().GetString()), "12.345");
  graph.UpdateWindow();
  // A zero-height display paints without failing.
  CGraphCtrl flat;
  ASSERT_TRUE(flat.Create("", WS_CHILD | WS_VISIBLE, CRect(40, 80, 100, 80), &host, 301));
  flat.SetText("99:99");
  flat.UpdateWindow();

  graph.SetText("12.34");
  graph.UpdateWindow();
  Shot("graphctrl_12_34");
  const std::vector<Segment> segments = ComputeSegments("12.34", 0, 20, true);
  auto onLit = [&](int x, int y) {
    for (const Segment& s : segments) {
      if (!s.lit)
        continue;
      const int left = std::min(s.x1, s.x2) - 1, right = std::max(s.x1, s.x2) + 1;
      const int topY = std::min(s.y1, s.y2) - 1, bottom = std::max(s.y1, s.y2) + 1;
      if (x >= left && x <= right && y >= topY && y <= bottom)
        return true;
    }
    return false;
  };
  CClientDC dc(&graph);
  int lit = 0, stray = 0, rightmost = -1;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 60; ++x) {
      if (dc.GetPixel(x, y) != RGB(0x64, 0xFF, 0x64))
        continue;
      ++lit;
      rightmost = std::max(rightmost, x);
      if (!onLit(x, y))
        ++stray;
    }
  }
  EXPECT_GT(lit, 0);
  EXPECT_EQ(stray, 0);
  for (const Segment& s : segments) {
    if (s.lit) {
      EXPECT_EQ(dc.GetPixel((s.x1 + s.x2) / 2, (s.y1 + s.y2) / 2), RGB(0x64, 0xFF, 0x64))
          << "cell " << s.cell << " at " << s.x1 << "," << s.y1;
    }
  }
  // The four digits and the point, nothing past the last digit's segments.
  int lastX = 0;
  for (const Segment& s : segments)
    lastX = std::max(lastX, std::max(s.x1, s.x2));
  EXPECT_LE(rightmost, lastX + 1);
  // Unlit segments show in a third of the lit colour.
  EXPECT_EQ(dc.GetPixel(segments[0].x1 + 1, segments[0].y1), RGB(0x64 / 3, 0xFF / 3, 0x64 / 3));
}

}  // namespace
