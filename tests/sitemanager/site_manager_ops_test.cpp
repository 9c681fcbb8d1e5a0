// The site manager's operations through the library's export, with a window
// of the test playing the main program over 200 slots: work-site renames,
// refusals and deletes go only through its answers (a deleted site's block is
// kept mapped without access, so any later touch faults), spare sites and
// labels made, renamed, dragged and deleted land in the expected sections, a
// refused copy never connects, and a site file that cannot be written is not
// taken.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "engine/siteitem.h"
#include "framework/wnd.h"
#include "shell/doc/sitemanagermsg.h"
#include "sitemanager/initext.h"
#include "sitemanager/siteres.h"
#include "sitemanager/sitesetup.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/tempfolder.h"
#include "tests/toolkit/wintest.h"

namespace {

using OpenFn = int(__stdcall*)(CSiteItem**, void*);

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

// ---- the main program ----

// Each site in pages of its own: a deleted one is destroyed and its pages
// made inaccessible, never reused.
CSiteItem* MakeSite(const char* name)
{
  void* block = ::VirtualAlloc(nullptr, sizeof(CSiteItem), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  auto* site = new (block) CSiteItem();
  CopySiteText(site->m_name, name);
  site->m_hTreeNode = reinterpret_cast<HTREEITEM>(block);  // what the select request carries back
  return site;
}

void FreeSite(CSiteItem* site)
{
  site->~CSiteItem();
  DWORD old = 0;
  ::VirtualProtect(site, sizeof(CSiteItem), PAGE_NOACCESS, &old);
}

struct MainProgram {
  CSiteItem* slots[200] = {};
  int sends[5] = {};
  LPARAM selected = 0;
  bool refuseRename = false;
  bool refuseDelete = false;
  std::vector<std::string> renames;
};
MainProgram* g_main = nullptr;

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg != UWM_SITE_MANAGER_EDIT || wp > 4)
    return ::DefWindowProcA(h, msg, wp, lp);
  MainProgram& m = *g_main;
  m.sends[wp]++;
  switch (wp) {
  case SITEEDIT_ADD: {
    auto* record = reinterpret_cast<SiteRecord*>(lp);
    int free = -1;
    for (int i = 199; i >= 0; --i)
      if (m.slots[i] == nullptr)
        free = i;
    if (free < 0) {
      ::MessageBoxA(h, "Exceeds 200 sites number limit", "main", MB_OK);
      return 0;
    }
    for (CSiteItem* s : m.slots)
      if (s != nullptr && _stricmp(s->m_name, record->m_name) == 0)
        return 0;
    CSiteItem* site = MakeSite("");
    static_cast<SiteFields&>(*site) = static_cast<const SiteFields&>(*record);
    m.slots[free] = site;
    record->m_pNewSite = site;
    return 1;
  }
  case SITEEDIT_DELETE:
    if (m.refuseDelete)
      return 0;  // the user's Cancel
    for (CSiteItem*& s : m.slots)
      if (s == reinterpret_cast<CSiteItem*>(lp)) {
        FreeSite(s);
        s = nullptr;
        return 1;
      }
    return 0;
  case SITEEDIT_SELECT:
    m.selected = lp;
    return 0;
  case SITEEDIT_RENAME: {
    auto* request = reinterpret_cast<SiteRenameRequest*>(lp);
    m.renames.emplace_back(request->newName, strnlen(request->newName, sizeof request->newName));
    if (m.refuseRename)
      return 0;
    CopySiteText(request->site->m_name, request->newName);
    return 1;
  }
  default:
    return 0;
  }
}

HWND MakeMainWindow()
{
  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "site_manager_ops_main";
  ::RegisterClassA(&wc);
  return ::CreateWindowA(wc.lpszClassName, "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

// ---- the tree, from the driver ----

std::string ItemText(HWND tree, HTREEITEM item)
{
  char text[300] = "";
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&tv);
  return text;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT code)
{
  return (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, code, (LPARAM)item);
}

// The item at a path of texts from the root, or null.
HTREEITEM Find(HWND tree, const std::vector<std::string>& path)
{
  HTREEITEM item = nullptr;
  HTREEITEM level = Next(tree, nullptr, TVGN_ROOT);
  for (const std::string& name : path) {
    item = nullptr;
    for (HTREEITEM i = level; i != nullptr; i = Next(tree, i, TVGN_NEXT))
      if (ItemText(tree, i) == name) {
        item = i;
        break;
      }
    if (item == nullptr)
      return nullptr;
    level = Next(tree, item, TVGN_CHILD);
  }
  return item;
}

bool WaitFind(HWND tree, const std::vector<std::string>& path, bool present = true)
{
  return xside::WaitFor([&] { return (Find(tree, path) != nullptr) == present; }, 10000, 20);
}

void Select(HWND tree, HTREEITEM item) { ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item); }

// Edits the item's label as a user would and ends the edit; posted, since the
// end may bring a box.
void Rename(HWND tree, HTREEITEM item, const std::string& text)
{
  HWND edit = (HWND)::SendMessageA(tree, TVM_EDITLABELA, 0, (LPARAM)item);
  ASSERT_NE(edit, nullptr);
  ::SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)text.c_str());
  ::PostMessageA(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
}

// Waits for a box of the library, returns its text and presses the button.
std::string Answer(int button, const char* caption = "ZARN")
{
  HWND box = boxdriver::WaitForBox(caption);
  if (box == nullptr)
    return "(no box)";
  const std::string text = boxdriver::ItemText(box, 0xFFFF);
  boxdriver::Click(box, button);
  boxdriver::WaitGone(box);
  return text;
}

// Names a new site or label in the name box of that caption.
void Name(const char* caption, const char* name)
{
  HWND box = boxdriver::WaitForBox(caption);
  ASSERT_NE(box, nullptr) << caption;
  boxdriver::SetItemText(box, IDC_SITE_NAME_TEXT, name);
  boxdriver::Click(box, IDOK);
  boxdriver::WaitGone(box);
}

// The property page (a child of the tab) that holds control id.
HWND PageWith(HWND box, int id)
{
  HWND tab = ::GetDlgItem(box, IDC_SITE_TAB);
  for (HWND page = ::GetWindow(tab, GW_CHILD); page != nullptr; page = ::GetWindow(page, GW_HWNDNEXT))
    if (::GetDlgItem(page, id) != nullptr)
      return page;
  return nullptr;
}

HWND FocusOf(HWND box)
{
  GUITHREADINFO info = {sizeof info};
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(box, nullptr), &info);
  return info.hwndFocus;
}

std::vector<std::string> Sections(const std::string& file)
{
  CIniText ini(file.c_str());
  std::vector<std::string> names;
  for (int i = 0; i < ini.SectionCount(); ++i) {
    std::string name;
    if (ini.SectionName(i, name))
      names.push_back(name);
  }
  return names;
}

POINT ItemCentre(HWND tree, HTREEITEM item)
{
  RECT r = {};
  *reinterpret_cast<HTREEITEM*>(&r) = item;
  ::SendMessageA(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(tree, &p);
  return p;
}

std::string WriteSiteFile(const char* test, const std::string& text)
{
  const std::string file = testsupport::TempFolder(test) + "\\zarnsite.ini";
  CIniText ini(text, file.c_str());
  EXPECT_TRUE(ini.Save());
  EXPECT_TRUE(StoreSiteFilePath(file.c_str()));
  return file;
}

// Runs body over the open site manager, then closes whatever a failed step
// left open and leaves by Exit, so a failure never hangs the test.
void Drive(const std::function<void(HWND box, HWND tree)>& body)
{
  HWND box = boxdriver::WaitForBox("ZARN Site Manager");
  if (box == nullptr) {
    ADD_FAILURE() << "no site manager";
    return;
  }
  body(box, ::GetDlgItem(box, IDC_SITE_TREE));
  for (const char* caption : {"ZARN", "main", "Create ZARN Spare Site", "Create ZARN Spare Site Label",
                              "Create ZARN Work Site", "Site Manager Settings"})
    if (HWND stray = boxdriver::WaitForBox(caption, 0)) {
      ADD_FAILURE() << "left open: " << caption;
      boxdriver::Click(stray, IDCANCEL);
      boxdriver::Click(stray, IDNO);
      boxdriver::WaitGone(stray, 2000);
    }
  boxdriver::Click(box, IDC_SITE_EXIT);
}

// The file-name field of an open or save box, wherever the box nests it.
HWND FileNameField(HWND box)
{
  struct Find {
    HWND found = nullptr;
    static BOOL CALLBACK Each(HWND h, LPARAM p)
    {
      auto* f = reinterpret_cast<Find*>(p);
      char cls[32] = "";
      ::GetClassNameA(h, cls, sizeof cls);
      if (_stricmp(cls, "Edit") == 0 && (::GetDlgCtrlID(h) == 1152 || ::GetDlgCtrlID(::GetParent(h)) == 1148) &&
          ::IsWindowVisible(h)) {
        f->found = h;
        return FALSE;
      }
      return TRUE;
    }
  } find;
  xside::WaitFor([&] {
    ::EnumChildWindows(box, &Find::Each, reinterpret_cast<LPARAM>(&find));
    return find.found != nullptr;
  }, 10000, 50);
  return find.found;
}

class SiteManagerOps : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_main = &m_program;
    m_open = LoadExport();
    ASSERT_NE(m_open, nullptr);
    m_mainWnd = MakeMainWindow();
    ASSERT_NE(m_mainWnd, nullptr);
  }
  void TearDown() override
  {
    ::DestroyWindow(m_mainWnd);
    for (CSiteItem*& s : m_program.slots)
      if (s != nullptr)
        FreeSite(s);
    g_main = nullptr;
  }
  // The parent goes as the main program passes it: a window object of its own framework.
  int Open() { return m_open(m_program.slots, CWnd::FromHandle(m_mainWnd)); }

  MainProgram m_program;
  OpenFn m_open = nullptr;
  HWND m_mainWnd = nullptr;
};

TEST_F(SiteManagerOps, WorkSiteRenamesAndDeletesGoOnlyThroughTheMainWindowsAnswers)
{
  WriteSiteFile("site_manager_ops_work", "");
  const std::string longOld(49, 'o'), longNew(49, 'N');
  m_program.slots[0] = MakeSite(longOld.c_str());
  m_program.slots[1] = MakeSite("Foo");
  CopySiteText(m_program.slots[0]->m_user, std::string(63, 'u').c_str());
  const SiteFields before = *m_program.slots[0];

  std::string treeAfterRename, clashText, treeAfterRefusal, deleteQuestion, newClashText;
  bool freshShown = false;
  bool keptAfterRefusedDelete = false, goneAfterDelete = false, userKept = false;
  bool applyWhilePending = false, editKeptOnNo = false;
  std::string pendingDeleteQuestion;
  int renamesBeforeClash = 0;
  boxdriver::Driver driver([&] {
    Drive([&](HWND box, HWND tree) {
      // 49 bytes to 49 bytes: one rename request, the tree takes the new name.
      Rename(tree, Find(tree, {"ZARN Work Site", longOld}), longNew);
      ASSERT_TRUE(WaitFind(tree, {"ZARN Work Site", longNew}));
      treeAfterRename = ItemText(tree, Find(tree, {"ZARN Work Site", longNew}));
      userKept = memcmp(before.m_user, m_program.slots[0]->m_user, sizeof before.m_user) == 0;

      // "foo" beside "Foo": refused before anything is sent.
      renamesBeforeClash = static_cast<int>(m_program.renames.size());
      Rename(tree, Find(tree, {"ZARN Work Site", longNew}), "foo");
      clashText = Answer(IDOK);

      // A new work site: a name a work site has in other case is refused, also
      // with a work site selected; another one is asked for and shown.
      Select(tree, Find(tree, {"ZARN Work Site", "Foo"}));
      boxdriver::Click(box, IDC_SITE_NEW_SITE);
      Name("Create ZARN Work Site", "FOO");
      newClashText = Answer(IDOK);
      boxdriver::Click(box, IDC_SITE_NEW_SITE);
      Name("Create ZARN Work Site", "fresh.example");
      freshShown = WaitFind(tree, {"ZARN Work Site", "fresh.example"});

      // The main window refuses: the old name stays in field and tree.
      m_program.refuseRename = true;
      Rename(tree, Find(tree, {"ZARN Work Site", "Foo"}), "Bar");
      xside::WaitFor([&] { return m_program.renames.size() == 2; }, 10000, 20);
      if (Find(tree, {"ZARN Work Site", "Foo"}) != nullptr && Find(tree, {"ZARN Work Site", "Bar"}) == nullptr)
        treeAfterRefusal = "Foo";

      // A refused delete keeps the item.
      m_program.refuseDelete = true;
      Select(tree, Find(tree, {"ZARN Work Site", "Foo"}));
      boxdriver::Click(box, IDC_SITE_DELETE);
      deleteQuestion = Answer(IDYES);
      xside::WaitFor([&] { return m_program.sends[SITEEDIT_DELETE] == 1; }, 10000, 20);
      keptAfterRefusedDelete = Find(tree, {"ZARN Work Site", "Foo"}) != nullptr;

      // A delete done with an edit pending on the site: a No keeps the edit;
      // after a Yes it is dropped, not asked about nor written to the freed
      // block, and the block is gone for good and nothing touches it again.
      m_program.refuseDelete = false;
      Select(tree, Find(tree, {"ZARN Work Site", longNew}));
      // Typed as a user does: in the field that has the focus.
      HWND userPage = PageWith(box, IDC_SITE_USER);
      HWND userField = ::GetDlgItem(userPage, IDC_SITE_USER);
      ::PostMessageA(userPage, WM_NEXTDLGCTL, (WPARAM)userField, TRUE);
      xside::WaitFor([&] { return FocusOf(box) == userField; }, 3000, 10);
      boxdriver::SetItemText(userPage, IDC_SITE_USER, "pending");
      applyWhilePending = xside::WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(box, IDC_SITE_APPLY)); }, 5000, 20);
      boxdriver::Click(box, IDC_SITE_DELETE);
      Answer(IDNO);
      editKeptOnNo = boxdriver::ItemText(userPage, IDC_SITE_USER) == "pending";
      boxdriver::Click(box, IDC_SITE_DELETE);
      pendingDeleteQuestion = Answer(IDYES);
      goneAfterDelete = WaitFind(tree, {"ZARN Work Site", longNew}, false);
      // Selection, timers and the leaving run over the freed block's old place;
      // Connect on a work site asks for it by its first tree node and ends.
      Select(tree, Find(tree, {"ZARN Work Site", "Foo"}));
      boxdriver::Click(box, IDC_SITE_CONNECT);
      boxdriver::WaitGone(box);
    });
  });
  EXPECT_EQ(1, Open());
  driver.Join();

  EXPECT_EQ(longNew, treeAfterRename);
  EXPECT_TRUE(userKept);
  ASSERT_GE(m_program.renames.size(), 1u);
  EXPECT_EQ(longNew, m_program.renames[0]);
  EXPECT_EQ(1, renamesBeforeClash);
  EXPECT_EQ("Same site or label name already exists,please rename it.", clashText);
  EXPECT_EQ("Same site name already exists,please rename it.", newClashText);
  EXPECT_TRUE(freshShown);
  ASSERT_NE(nullptr, m_program.slots[2]);
  EXPECT_STREQ("fresh.example", m_program.slots[2]->m_host);
  EXPECT_EQ(1, m_program.sends[SITEEDIT_ADD]);
  EXPECT_EQ(2u, m_program.renames.size());
  EXPECT_EQ("Foo", treeAfterRefusal);
  EXPECT_STREQ("Foo", m_program.slots[1]->m_name);
  EXPECT_EQ("Are you sure you want to delete Foo", deleteQuestion);
  EXPECT_TRUE(keptAfterRefusedDelete);
  EXPECT_TRUE(applyWhilePending);
  EXPECT_TRUE(editKeptOnNo);
  EXPECT_EQ("Are you sure you want to delete " + longNew, pendingDeleteQuestion);
  EXPECT_TRUE(goneAfterDelete);
  EXPECT_EQ(nullptr, m_program.slots[0]);
  EXPECT_EQ(2, m_program.sends[SITEEDIT_DELETE]);
  // No report of rewritten fields ever names a site (least of all the freed one).
  EXPECT_EQ(0, m_program.sends[SITEEDIT_CHANGED]);
  EXPECT_EQ(1, m_program.sends[SITEEDIT_SELECT]);
  EXPECT_EQ(reinterpret_cast<LPARAM>(m_program.slots[1]->m_hTreeNode), m_program.selected);
}

TEST_F(SiteManagerOps, SpareSitesAndLabelsLandInTheirSections)
{
  const std::string file = WriteSiteFile("site_manager_ops_spare", "");
  std::vector<std::string> afterNew, afterRename, afterDrag, afterDelete;
  std::string labelOnWork, passwordNote;
  bool dragged = false;
  m_program.slots[0] = MakeSite("w1");
  CopySiteText(m_program.slots[0]->m_password, "p\xAA");
  boxdriver::Driver driver([&] {
    Drive([&](HWND box, HWND tree) {
      // A label asked for in the work part is refused.
      Select(tree, Find(tree, {"ZARN Work Site"}));
      boxdriver::Click(box, IDC_SITE_NEW_LABEL);
      labelOnWork = Answer(IDOK);

      Select(tree, Find(tree, {"ZARN Spare Site"}));
      boxdriver::Click(box, IDC_SITE_NEW_SITE);
      Name("Create ZARN Spare Site", "s1");
      ASSERT_TRUE(WaitFind(tree, {"ZARN Spare Site", "s1"}));
      Select(tree, Find(tree, {"ZARN Spare Site"}));
      boxdriver::Click(box, IDC_SITE_NEW_LABEL);
      Name("Create ZARN Spare Site Label", "L1");
      ASSERT_TRUE(WaitFind(tree, {"ZARN Spare Site", "L1"}));
      Select(tree, Find(tree, {"ZARN Spare Site"}));
      boxdriver::Click(box, IDC_SITE_NEW_LABEL);
      Name("Create ZARN Spare Site Label", "L2");
      ASSERT_TRUE(WaitFind(tree, {"ZARN Spare Site", "L2"}));
      boxdriver::Click(box, IDC_SITE_NEW_SITE);  // L2 is selected
      Name("Create ZARN Spare Site", "s2.example");
      ASSERT_TRUE(WaitFind(tree, {"ZARN Spare Site", "L2", "s2.example"}));
      afterNew = Sections(file);

      Rename(tree, Find(tree, {"ZARN Spare Site", "L2"}), "L3");
      ASSERT_TRUE(WaitFind(tree, {"ZARN Spare Site", "L3", "s2.example"}));
      afterRename = Sections(file);

      // s1 dragged onto L1 with the mouse, held past the drag delay first.
      const POINT from = ItemCentre(tree, Find(tree, {"ZARN Spare Site", "s1"}));
      const POINT to = ItemCentre(tree, Find(tree, {"ZARN Spare Site", "L1"}));
      wintest::Xdo(wintest::MoveTo(from.x, from.y) + " mousedown 1 sleep 0.5 mousemove " +
                   std::to_string(from.x + 4) + " " + std::to_string(from.y + 6) + " sleep 0.2 mousemove " +
                   std::to_string(to.x) + " " + std::to_string(to.y) + " sleep 0.3 mousemove " +
                   std::to_string(to.x + 1) + " " + std::to_string(to.y) + " sleep 0.3 mouseup 1");
      dragged = WaitFind(tree, {"ZARN Spare Site", "L1", "s1"});
      afterDrag = Sections(file);

      // A work site dragged to the spare part: its password cannot be carried
      // by the file, and the user is told so by name.
      const POINT work = ItemCentre(tree, Find(tree, {"ZARN Work Site", "w1"}));
      const POINT spare = ItemCentre(tree, Find(tree, {"ZARN Spare Site"}));
      wintest::Xdo(wintest::MoveTo(work.x, work.y) + " mousedown 1 sleep 0.5 mousemove " +
                   std::to_string(work.x + 4) + " " + std::to_string(work.y + 6) + " sleep 0.2 mousemove " +
                   std::to_string(spare.x) + " " + std::to_string(spare.y) + " sleep 0.3 mousemove " +
                   std::to_string(spare.x + 1) + " " + std::to_string(spare.y) + " sleep 0.3 mouseup 1");
      passwordNote = Answer(IDOK);
      WaitFind(tree, {"ZARN Spare Site", "w1"});

      Select(tree, Find(tree, {"ZARN Spare Site", "L1"}));
      boxdriver::Click(box, IDC_SITE_DELETE);
      Answer(IDYES);
      WaitFind(tree, {"ZARN Spare Site", "L1"}, false);
      afterDelete = Sections(file);
    });
  });
  EXPECT_EQ(1, Open());
  driver.Join();

  EXPECT_EQ("Can't create a label on ZARN Work View,please create it on VASK backup view.", labelOnWork);
  EXPECT_EQ((std::vector<std::string>{"s1\x0C", "s2.example\x0CL2\x0C"}), afterNew);
  EXPECT_EQ((std::vector<std::string>{"s1\x0C", "s2.example\x0CL3\x0C"}), afterRename);
  EXPECT_TRUE(dragged);
  EXPECT_EQ((std::vector<std::string>{"s2.example\x0CL3\x0C", "s1\x0CL1\x0C"}), afterDrag);
  EXPECT_EQ("The password of site \"w1\" can't be stored in the site file; it was saved empty.", passwordNote);
  EXPECT_EQ((std::vector<std::string>{"s2.example\x0CL3\x0C", "w1\x0C"}), afterDelete);
  // A name with a dot is the host too.
  CIniText ini(file.c_str());
  EXPECT_EQ("s2.example", ini.GetString("s2.example\x0CL3\x0C", "Address"));
}

TEST_F(SiteManagerOps, RefusedCopyNeverConnectsAndAnUnwritableSiteFileIsNotTaken)
{
  const std::string file = WriteSiteFile("site_manager_ops_full", "[spare\x0C]\r\nAddress=spare.example\r\n");
  for (int i = 0; i < 200; ++i)
    m_program.slots[i] = MakeSite(("w" + std::to_string(i)).c_str());
  const std::string unwritable = testsupport::TempFolder("site_manager_ops_full") + "\\missing\\sub\\x.ini";

  std::string limitText, writeFailed;
  bool openAfterConnect = false, menuShown = false;
  boxdriver::Driver driver([&] {
    Drive([&](HWND box, HWND tree) {
      HTREEITEM spare = Find(tree, {"ZARN Spare Site", "spare"});
      ASSERT_NE(spare, nullptr);

      // The context menu of a spare site, as a right click brings it.
      const POINT at = ItemCentre(tree, spare);
      wintest::Xdo(wintest::MoveTo(at.x, at.y) + " click 3");
      menuShown = xside::WaitFor([] {
        HWND menu = ::FindWindowA("#32768", nullptr);
        return menu != nullptr && ::IsWindowVisible(menu);
      }, 5000, 20);
      wintest::Shot("site_context_menu");
      wintest::Xdo("key Escape");
      xside::WaitFor([] {
        HWND menu = ::FindWindowA("#32768", nullptr);
        return menu == nullptr || !::IsWindowVisible(menu);
      }, 5000, 20);

      Select(tree, spare);
      boxdriver::Click(box, IDC_SITE_CONNECT);
      // While the main window's box is up, the request is in flight: Exit and
      // Delete clicked meanwhile do nothing.
      HWND limitBox = boxdriver::WaitForBox("main");
      for (int id : {IDC_SITE_EXIT, IDC_SITE_DELETE}) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(::GetDlgItem(box, id), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
      }
      limitText = limitBox != nullptr ? boxdriver::ItemText(limitBox, 0xFFFF) : "(no box)";
      if (limitBox != nullptr)
        boxdriver::Click(limitBox, IDOK);
      boxdriver::WaitGone(limitBox);
      xside::WaitFor([&] { return m_program.sends[SITEEDIT_ADD] == 1; }, 10000, 20);
      openAfterConnect = ::IsWindowVisible(box) != FALSE && boxdriver::WaitForBox("ZARN", 0) == nullptr;

      boxdriver::Click(box, IDC_SITE_OPTION);
      HWND settings = boxdriver::WaitForBox("Site Manager Settings");
      ASSERT_NE(settings, nullptr);
      boxdriver::SetItemText(settings, IDC_SITE_FILE_PATH, unwritable.c_str());
      boxdriver::Click(settings, IDOK);
      writeFailed = Answer(IDOK);
    });
  });
  EXPECT_EQ(1, Open());
  driver.Join();

  EXPECT_TRUE(menuShown);
  EXPECT_EQ("Exceeds 200 sites number limit", limitText);
  EXPECT_TRUE(openAfterConnect);
  EXPECT_EQ(0, m_program.sends[SITEEDIT_SELECT]);
  EXPECT_EQ(0, m_program.selected);
  EXPECT_EQ("Write failed! ", writeFailed);
  EXPECT_EQ(0, _stricmp(file.c_str(), ReadSiteManagerSetup().siteFile.c_str()));
}

}  // namespace

namespace {

TEST_F(SiteManagerOps, ImportRebuildsTheSpareSitesFromTheChosenFile)
{
  const std::string first = WriteSiteFile("site_manager_ops_import", "[old\x0C]\r\nAddress=old.example\r\n");
  const std::string label(300, 'L');  // longer than any name the tree makes itself
  const std::string chosen = testsupport::TempFolder("site_manager_ops_import") + "\\chosen.ini";
  {
    CIniText ini("[deep\x0C" + label + "\x0C]\r\nAddress=deep.example\r\n[top\x0C]\r\nAddress=top\r\n", chosen.c_str());
    ASSERT_TRUE(ini.Save());
  }
  bool rebuilt = false, oldGone = false;
  std::vector<std::string> afterDelete;
  boxdriver::Driver driver([&] {
    Drive([&](HWND box, HWND tree) {
      // The spare site shown when its record is freed.
      Select(tree, Find(tree, {"ZARN Spare Site", "old"}));
      boxdriver::Click(box, IDC_SITE_IMPORT);
      HWND open = boxdriver::WaitForBox("Open");
      ASSERT_NE(open, nullptr);
      HWND name = FileNameField(open);
      ASSERT_NE(name, nullptr);
      ::SendMessageA(name, WM_SETTEXT, 0, (LPARAM)chosen.c_str());
      boxdriver::Click(open, IDOK);
      rebuilt = WaitFind(tree, {"ZARN Spare Site", label, "deep"});
      oldGone = Find(tree, {"ZARN Spare Site", "old"}) == nullptr;
      Select(tree, Find(tree, {"ZARN Spare Site", label, "deep"}));
      boxdriver::Click(box, IDC_SITE_DELETE);
      Answer(IDYES);
      WaitFind(tree, {"ZARN Spare Site", label, "deep"}, false);
      afterDelete = Sections(chosen);
    });
  });
  EXPECT_EQ(1, Open());
  driver.Join();
  EXPECT_TRUE(rebuilt);
  EXPECT_TRUE(oldGone);
  EXPECT_EQ((std::vector<std::string>{"top\x0C"}), afterDelete);
  EXPECT_EQ(0, _stricmp(chosen.c_str(), ReadSiteManagerSetup().siteFile.c_str()));
  EXPECT_EQ((std::vector<std::string>{"old\x0C"}), Sections(first));
}

}  // namespace
