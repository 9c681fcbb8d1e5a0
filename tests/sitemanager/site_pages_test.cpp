// The site manager's property pages through the library's export, with a
// window of the test playing the main program: a work site renamed through the
// name field (two 49-byte names), a refused rename, a name differing only in
// case, a connected site's host and port, the range checks on leaving an edit
// and on Alt+A, a site removed with edits pending, and a spare site's edits
// written to the site file.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/siteitem.h"
#include "framework/wnd.h"
#include "shell/doc/sitemanagermsg.h"
#include "sitemanager/initext.h"
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitesetup.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/tempfolder.h"
#include "tests/toolkit/wintest.h"

namespace {

using OpenFn = int(__stdcall*)(CSiteItem**, CWnd*);

OpenFn LoadExport()
{
  std::string dir = std::getenv("ZARN_BINARY_DIR") ? std::getenv("ZARN_BINARY_DIR") : "";
  std::string path = "Z:" + dir + "/bin/zarnsite.dll";
  for (char& c : path)
    if (c == '/')
      c = '\\';
  HMODULE module = ::LoadLibraryA(path.c_str());
  return module ? reinterpret_cast<OpenFn>(::GetProcAddress(module, MAKEINTRESOURCEA(2))) : nullptr;
}

// The main program's side of UWM_SITE_MANAGER_EDIT.
struct MainProgram {
  CSiteItem** slots = nullptr;
  LRESULT renameAnswer = 1;
  bool boxOnRefusal = false;  // as the main program says why
  int sends[5] = {};
  std::string renamedTo;
};
MainProgram g_main;

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg != UWM_SITE_MANAGER_EDIT || wp > 4)
    return ::DefWindowProcA(h, msg, wp, lp);
  g_main.sends[wp]++;
  if (wp == SITEEDIT_RENAME) {
    auto* request = reinterpret_cast<SiteRenameRequest*>(lp);
    g_main.renamedTo.assign(request->newName, strnlen(request->newName, sizeof request->newName));
    if (g_main.renameAnswer == 1)
      CopySiteText(WorkSiteFields(request->site).m_name, request->newName);
    else if (g_main.boxOnRefusal)
      ::MessageBoxA(h, "refused", "main", MB_OK);
    return g_main.renameAnswer;
  }
  return wp == SITEEDIT_DELETE ? 0 : 1;
}

HWND MakeMainWindow()
{
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZarnSitePagesMain";
  ::RegisterClassA(&wc);
  return ::CreateWindowA("ZarnSitePagesMain", "main", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

std::string ItemText(HWND tree, HTREEITEM item)
{
  char text[128] = "";
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&tv);
  return text;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT how)
{
  return (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
}

// The item reached by these texts from the root, or null.
HTREEITEM FindItem(HWND tree, std::vector<std::string> path)
{
  HTREEITEM item = Next(tree, nullptr, TVGN_ROOT);
  HTREEITEM found = nullptr;
  for (const std::string& name : path) {
    for (found = nullptr; item != nullptr; item = Next(tree, item, TVGN_NEXT))
      if (ItemText(tree, item) == name) {
        found = item;
        break;
      }
    if (found == nullptr)
      return nullptr;
    item = Next(tree, found, TVGN_CHILD);
  }
  return found;
}

// The window's rectangle in the box's client coordinates.
RECT RectIn(HWND box, HWND window)
{
  RECT r = {};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The page (a child of the tab) that holds control id.
HWND PageWith(HWND box, int id)
{
  HWND tab = ::GetDlgItem(box, IDC_SITE_TAB);
  for (HWND page = ::GetWindow(tab, GW_CHILD); page != nullptr; page = ::GetWindow(page, GW_HWNDNEXT))
    if (::GetDlgItem(page, id) != nullptr)
      return page;
  return nullptr;
}

template <class Done>
bool WaitFor(Done done, DWORD timeoutMs = 10000)
{
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs)
      return false;
    ::Sleep(10);
  }
  return true;
}

HWND FocusOf(HWND box)
{
  GUITHREADINFO info = {sizeof info};
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &info);
  return info.hwndFocus;
}

// The focus moved as Tab moves it: the edit left gets its EN_KILLFOCUS.
void FocusOn(HWND box, int id)
{
  HWND page = PageWith(box, id);
  HWND control = ::GetDlgItem(page, id);
  ::PostMessageA(page, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
  WaitFor([&] { return FocusOf(box) == control; }, 3000);
}

void SetText(HWND box, int id, const char* text) { boxdriver::SetItemText(PageWith(box, id), id, text); }
std::string GetText(HWND box, int id) { return boxdriver::ItemText(PageWith(box, id), id); }

// Selects the item by posting, so a question it raises does not hold the driver.
void Select(HWND box, HTREEITEM item)
{
  ::PostMessageA(::GetDlgItem(box, IDC_SITE_TREE), TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
}

void ShowTab(HWND box, int tab)
{
  ::SendMessageA(::GetDlgItem(box, IDC_SITE_TAB), TCM_SETCURFOCUS, tab, 0);
}

// The message box's text, then it is answered with button.
std::string AnswerBox(int button)
{
  HWND box = boxdriver::WaitForBox("ZARN");
  if (box == nullptr)
    return "<no box>";
  const std::string text = boxdriver::ItemText(box, 0xFFFF);
  boxdriver::Click(box, button);
  boxdriver::WaitGone(box);
  return text;
}

// Exit, answering what it asks (No to a question) so a test that went wrong
// still ends.
void ExitDialog(HWND box)
{
  boxdriver::Click(box, IDC_SITE_EXIT);
  const DWORD start = ::GetTickCount();
  while (::IsWindow(box) && ::GetTickCount() - start < 10000) {
    if (HWND question = boxdriver::WaitForBox("ZARN", 200)) {
      boxdriver::Click(question, ::GetDlgItem(question, IDNO) != nullptr ? IDNO : IDOK);
      boxdriver::WaitGone(question, 2000);
    }
  }
}

bool ApplyEnabled(HWND box) { return boxdriver::ItemEnabled(box, IDC_SITE_APPLY); }

class SitePages : public ::testing::Test {
protected:
  void SetUp() override
  {
    open = LoadExport();
    ASSERT_NE(open, nullptr);
    folder = testsupport::TempFolder("site_pages");
    file = folder + "\\zarnsite.ini";
    g_main = MainProgram();
    g_main.slots = slots;
    mainWnd = MakeMainWindow();
    ASSERT_NE(mainWnd, nullptr);
    main.Attach(mainWnd);
  }
  void TearDown() override
  {
    if (paged != nullptr) {
      DWORD old = 0;
      ::VirtualProtect(paged, pagedSize, PAGE_READWRITE, &old);
      paged->~CSiteItem();
      ::VirtualFree(paged, 0, MEM_RELEASE);
    }
    main.Detach();
    ::DestroyWindow(mainWnd);
  }
  void WriteSiteFile(const std::string& text)
  {
    CIniText ini(text, file.c_str());
    ASSERT_TRUE(ini.Save());
    ASSERT_TRUE(StoreSiteFilePath(file.c_str()));
  }
  // pagesOfItsOwn: in pages that Free makes inaccessible, as a deleted
  // site's block is, so a later read or write faults.
  CSiteItem* AddWorkSite(int slot, const char* name, bool pagesOfItsOwn = false)
  {
    CSiteItem* site = nullptr;
    if (pagesOfItsOwn) {
      pagedSize = (sizeof(CSiteItem) + 4095) / 4096 * 4096;
      void* block = ::VirtualAlloc(nullptr, pagedSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
      site = paged = new (block) CSiteItem();
    } else {
      owned.push_back(std::make_unique<CSiteItem>());
      site = owned.back().get();
    }
    CopySiteText(site->m_name, name);
    CopySiteText(site->m_host, "host.example");
    CopySiteText(site->m_user, "joe");
    slots[slot] = site;
    return site;
  }
  // The main program's delete: the slot emptied, the block no longer readable.
  void Free(int slot)
  {
    slots[slot] = nullptr;
    DWORD old = 0;
    ::VirtualProtect(paged, pagedSize, PAGE_NOACCESS, &old);
  }
  void Unfree()
  {
    DWORD old = 0;
    ::VirtualProtect(paged, pagedSize, PAGE_READWRITE, &old);
  }

  OpenFn open = nullptr;
  std::string folder, file;
  CSiteItem* slots[200] = {};
  std::vector<std::unique_ptr<CSiteItem>> owned;
  CSiteItem* paged = nullptr;
  size_t pagedSize = 0;
  HWND mainWnd = nullptr;
  CWnd main;
};

TEST_F(SitePages, WorkSiteRenamesChecksAndLocksAConnectedSite)
{
  WriteSiteFile("");
  const std::string longOld(49, 'o'), longNew(49, 'n');
  CSiteItem* site = AddWorkSite(0, longOld.c_str(), true);
  AddWorkSite(1, "Foo");
  CSiteItem* live = AddWorkSite(2, "live");
  live->m_connected = 1;
  char userBefore[sizeof site->m_user];
  memcpy(userBefore, site->m_user, sizeof userBefore);

  std::string shownName, clashText, rangeText, portText, treeAfterRename, treeAfterRefusal, refusedTimeout;
  bool selectedDuringSend = false, removedQuietly = false;
  std::vector<int> sendsAfterRename;
  std::string pagesAfterRemoval = "?";
  bool liveHost = true, livePort = true, liveUser = false, focusBack = false, portFocus = false;
  int renamesAfterRefusal = 0, changesAfterAltA = -1;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN Site Manager");
    ASSERT_NE(box, nullptr);
    HWND tree = ::GetDlgItem(box, IDC_SITE_TREE);
    HTREEITEM item = FindItem(tree, {"ZARN Work Site", longOld});
    ASSERT_NE(item, nullptr);
    Select(box, item);
    WaitFor([&] { return GetText(box, IDC_SITE_NAME) == longOld; });
    shownName = GetText(box, IDC_SITE_NAME);
    wintest::Shot("site_pages_general");

    // A 49-byte name for another: one rename request, the tree follows.
    FocusOn(box, IDC_SITE_NAME);
    SetText(box, IDC_SITE_NAME, longNew.c_str());
    FocusOn(box, IDC_SITE_USER);
    WaitFor([&] { return ApplyEnabled(box); });
    boxdriver::Click(box, IDC_SITE_APPLY);
    WaitFor([&] { return g_main.sends[SITEEDIT_CHANGED] == 1; });
    treeAfterRename = ItemText(tree, item);
    sendsAfterRename = {g_main.sends[SITEEDIT_RENAME], g_main.sends[SITEEDIT_CHANGED]};

    // Refused: name field and tree keep the name. While the main window's
    // box is up, another Apply or a selection change is not taken.
    g_main.renameAnswer = 0;
    g_main.boxOnRefusal = true;
    FocusOn(box, IDC_SITE_NAME);
    SetText(box, IDC_SITE_NAME, "other");
    FocusOn(box, IDC_SITE_USER);
    WaitFor([&] { return ApplyEnabled(box); });
    boxdriver::Click(box, IDC_SITE_APPLY);
    HWND mainBox = boxdriver::WaitForBox("main");
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)FindItem(tree, {"ZARN Work Site", "Foo"}),
                          SMTO_NORMAL, 3000, &ignored);
    ::SendMessageTimeoutA(::GetDlgItem(box, IDC_SITE_APPLY), BM_CLICK, 0, 0, SMTO_NORMAL, 3000, &ignored);
    selectedDuringSend = Next(tree, nullptr, TVGN_CARET) == item;
    if (mainBox != nullptr) {
      boxdriver::Click(mainBox, IDOK);
      boxdriver::WaitGone(mainBox);
    }
    WaitFor([&] { return g_main.sends[SITEEDIT_RENAME] == 2; });
    treeAfterRefusal = ItemText(tree, item);
    g_main.renameAnswer = 1;
    g_main.boxOnRefusal = false;

    // "foo" beside "Foo": refused before anything is sent.
    SetText(box, IDC_SITE_NAME, "foo");
    FocusOn(box, IDC_SITE_USER);
    boxdriver::Click(box, IDC_SITE_APPLY);
    clashText = AnswerBox(IDOK);
    renamesAfterRefusal = g_main.sends[SITEEDIT_RENAME];

    // Leaving the site asks about the pending name; No drops it.
    Select(box, FindItem(tree, {"ZARN Work Site", "live"}));
    AnswerBox(IDNO);
    WaitFor([&] { return GetText(box, IDC_SITE_NAME) == "live"; });
    liveHost = boxdriver::ItemEnabled(PageWith(box, IDC_SITE_HOST), IDC_SITE_HOST);
    livePort = boxdriver::ItemEnabled(PageWith(box, IDC_SITE_PORT), IDC_SITE_PORT);
    liveUser = boxdriver::ItemEnabled(PageWith(box, IDC_SITE_USER), IDC_SITE_USER);

    // 5 in a time-out: the message, the old value and the focus come back.
    Select(box, item);
    WaitFor([&] { return GetText(box, IDC_SITE_NAME) == longNew; });
    ShowTab(box, 1);
    wintest::Shot("site_pages_option");
    FocusOn(box, IDC_SITE_CONNECT_TIMEOUT);
    SetText(box, IDC_SITE_CONNECT_TIMEOUT, "5");
    ::PostMessageA(PageWith(box, IDC_SITE_RETRY_COUNT), WM_NEXTDLGCTL,
                   (WPARAM)::GetDlgItem(PageWith(box, IDC_SITE_RETRY_COUNT), IDC_SITE_RETRY_COUNT), TRUE);
    rangeText = AnswerBox(IDOK);
    HWND timeoutEdit = ::GetDlgItem(PageWith(box, IDC_SITE_CONNECT_TIMEOUT), IDC_SITE_CONNECT_TIMEOUT);
    focusBack = WaitFor([&] { return FocusOf(box) == timeoutEdit; }, 3000);
    refusedTimeout = GetText(box, IDC_SITE_CONNECT_TIMEOUT);

    // 70000 as port, applied by Alt+A without leaving the edit: refused,
    // nothing stored (the user typed before is not applied either).
    ShowTab(box, 0);
    FocusOn(box, IDC_SITE_USER);
    SetText(box, IDC_SITE_USER, "ann");
    HWND portEdit = ::GetDlgItem(PageWith(box, IDC_SITE_PORT), IDC_SITE_PORT);
    const POINT port = wintest::ScreenCentre(portEdit);
    for (int attempt = 0; attempt < 3 && FocusOf(box) != portEdit; ++attempt) {
      wintest::Xdo(wintest::MoveTo(port.x, port.y) + " click 1");
      WaitFor([&] { return FocusOf(box) == portEdit; }, 3000);
    }
    WaitFor([&] { return ApplyEnabled(box); });
    SetText(box, IDC_SITE_PORT, "");
    wintest::Xdo("type --delay 30 70000");
    WaitFor([&] { return GetText(box, IDC_SITE_PORT) == "70000"; }, 3000);
    const int changes = g_main.sends[SITEEDIT_CHANGED];
    wintest::Xdo("key alt+a");
    portText = AnswerBox(IDOK);
    portFocus = WaitFor([&] { return FocusOf(box) == portEdit; }, 3000);
    changesAfterAltA = g_main.sends[SITEEDIT_CHANGED] - changes;

    // The site goes with the user still pending (as Delete removes it after
    // the main window freed it): no question, no report, nothing touches it.
    Free(0);
    const int changesBefore = g_main.sends[SITEEDIT_CHANGED];
    DWORD_PTR deleted = 0;
    removedQuietly = ::SendMessageTimeoutA(tree, TVM_DELETEITEM, 0, (LPARAM)item, SMTO_NORMAL, 3000, &deleted) != 0 &&
                     deleted != 0 && g_main.sends[SITEEDIT_CHANGED] == changesBefore;
    pagesAfterRemoval = GetText(box, IDC_SITE_NAME);
    ExitDialog(box);
  });
  EXPECT_EQ(1, open(slots, &main));
  driver.Join();
  Unfree();

  EXPECT_TRUE(removedQuietly);
  EXPECT_NE(longNew, pagesAfterRemoval);
  EXPECT_EQ(longOld, shownName);
  EXPECT_EQ(longNew, g_main.renamedTo.empty() ? "" : std::string(site->m_name));
  EXPECT_EQ(longNew, treeAfterRename);
  EXPECT_EQ((std::vector<int>{1, 1}), sendsAfterRename) << "one rename, then one change report";
  EXPECT_EQ(0, memcmp(userBefore, site->m_user, sizeof userBefore)) << "the user field was written";
  EXPECT_EQ(longNew, treeAfterRefusal);
  EXPECT_TRUE(selectedDuringSend);
  EXPECT_EQ("Same site name already exists,please rename it.", clashText);
  EXPECT_EQ(2, renamesAfterRefusal);
  EXPECT_FALSE(liveHost);
  EXPECT_FALSE(livePort);
  EXPECT_TRUE(liveUser);
  EXPECT_EQ("Please enter number: 10 - 600 ", rangeText);
  EXPECT_EQ("0", refusedTimeout);
  EXPECT_TRUE(focusBack);
  EXPECT_EQ(0, site->m_connectTimeout);
  EXPECT_EQ("\xC7\xEB\xBC\xFC\xC8\xEB 1 - 65535 \xD6\xAE\xBC\xE4\xB5\xC4\xD2\xBB\xB8\xF6\xCA\xFD\xD6\xB5", portText);
  EXPECT_TRUE(portFocus);
  EXPECT_EQ(0, changesAfterAltA);
  EXPECT_EQ(21, site->m_port);
  EXPECT_STREQ("joe", site->m_user);
}

TEST_F(SitePages, SpareSiteEditsReachTheSiteFile)
{
  WriteSiteFile("[lone\x0C]\r\nAddress=lone.example\r\nProxyAdd=proxy.example\r\n"
                "Config=0,0,200,0,0,0,0,0,0,0120200103\r\n"
                "[twin\x0C]\r\nAddress=twin.example\r\n"
                "[inner\x0C" "top\x0C]\r\nAddress=inner.example\r\n"
                "[" + std::string(60, 'L') + "\x0C]\r\nAddress=long.example\r\n");
  std::string clashText, savedQuestion;
  std::vector<int> tabMoves, pageMoves;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN Site Manager");
    ASSERT_NE(box, nullptr);
    HWND tree = ::GetDlgItem(box, IDC_SITE_TREE);
    HTREEITEM lone = FindItem(tree, {"ZARN Spare Site", "lone"});
    ASSERT_NE(lone, nullptr);
    Select(box, lone);
    WaitFor([&] { return GetText(box, IDC_SITE_HOST) == "lone.example"; });
    ShowTab(box, 2);
    wintest::Shot("site_pages_advanced");

    // The tab keeps to the lower-right corner and the shown page fills it.
    const RECT tabBefore = RectIn(box, ::GetDlgItem(box, IDC_SITE_TAB));
    const RECT pageBefore = RectIn(box, PageWith(box, IDC_SITE_PROXY_HOST));
    RECT w;
    ::GetWindowRect(box, &w);
    ::SetWindowPos(box, nullptr, 0, 0, w.right - w.left + 100, w.bottom - w.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    const RECT tabAfter = RectIn(box, ::GetDlgItem(box, IDC_SITE_TAB));
    const RECT pageAfter = RectIn(box, PageWith(box, IDC_SITE_PROXY_HOST));
    tabMoves = {tabAfter.left - tabBefore.left, tabAfter.right - tabBefore.right, tabAfter.top - tabBefore.top,
                tabAfter.bottom - tabBefore.bottom};
    pageMoves = {pageAfter.left - pageBefore.left, pageAfter.bottom - pageBefore.bottom};
    ::SetWindowPos(box, nullptr, 0, 0, w.right - w.left, w.bottom - w.top, SWP_NOMOVE | SWP_NOZORDER);

    // Rename and a cleared proxy host in one apply.
    FocusOn(box, IDC_SITE_PROXY_HOST);
    SetText(box, IDC_SITE_PROXY_HOST, "");
    FocusOn(box, IDC_SITE_PROXY_USER);
    ShowTab(box, 0);
    FocusOn(box, IDC_SITE_NAME);
    SetText(box, IDC_SITE_NAME, "solo");
    FocusOn(box, IDC_SITE_HOST);
    WaitFor([&] { return ApplyEnabled(box); });
    boxdriver::Click(box, IDC_SITE_APPLY);
    WaitFor([&] { return ItemText(tree, lone) == "solo"; });

    // A sibling's name is refused with the spare part's text.
    FocusOn(box, IDC_SITE_NAME);
    SetText(box, IDC_SITE_NAME, "twin");
    FocusOn(box, IDC_SITE_HOST);
    boxdriver::Click(box, IDC_SITE_APPLY);
    clashText = AnswerBox(IDOK);
    SetText(box, IDC_SITE_NAME, "solo");
    FocusOn(box, IDC_SITE_USER);

    // A host edit saved by Yes when another site is selected.
    FocusOn(box, IDC_SITE_HOST);
    SetText(box, IDC_SITE_HOST, "moved.example");
    FocusOn(box, IDC_SITE_USER);
    Select(box, FindItem(tree, {"ZARN Spare Site", "top", "inner"}));
    savedQuestion = AnswerBox(IDYES);
    WaitFor([&] { return GetText(box, IDC_SITE_HOST) == "inner.example"; });

    // A name cut on loading: the site is saved once, under the cut name.
    Select(box, FindItem(tree, {"ZARN Spare Site", std::string(49, 'L')}));
    WaitFor([&] { return GetText(box, IDC_SITE_HOST) == "long.example"; });
    FocusOn(box, IDC_SITE_HOST);
    SetText(box, IDC_SITE_HOST, "cut.example");
    FocusOn(box, IDC_SITE_USER);
    WaitFor([&] { return ApplyEnabled(box); });
    boxdriver::Click(box, IDC_SITE_APPLY);
    WaitFor([&] { return !ApplyEnabled(box); });
    ExitDialog(box);
  });
  EXPECT_EQ(1, open(slots, &main));
  driver.Join();

  EXPECT_EQ((std::vector<int>{100, 100, 0, 60}), tabMoves);
  EXPECT_EQ((std::vector<int>{100, 60}), pageMoves);
  EXPECT_EQ("Same site name already exsits,please rename it.", clashText);
  EXPECT_EQ("Do you want to save change?", savedQuestion);
  CIniText ini(file.c_str());
  std::string ignored;
  EXPECT_FALSE(ini.GetValue("lone\x0C", "Address", ignored)) << "the old section stayed";
  EXPECT_EQ("moved.example", ini.GetString("solo\x0C", "Address"));
  EXPECT_EQ("", ini.GetString("solo\x0C", "ProxyAdd"));
  const std::string config = ini.GetString("solo\x0C", "Config");
  EXPECT_EQ("0120200100", config.substr(config.size() >= 10 ? config.size() - 10 : 0));
  EXPECT_EQ("twin.example", ini.GetString("twin\x0C", "Address"));
  EXPECT_EQ("inner.example", ini.GetString("inner\x0C" "top\x0C", "Address"));
  EXPECT_EQ("cut.example", ini.GetString(std::string(49, 'L') + "\x0C", "Address"));
  EXPECT_FALSE(ini.GetValue(std::string(60, 'L') + "\x0C", "Address", ignored)) << "the long section stayed";
  EXPECT_EQ(0, g_main.sends[SITEEDIT_CHANGED] + g_main.sends[SITEEDIT_RENAME]);
}

}  // namespace
