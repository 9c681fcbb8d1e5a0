// The site manager through the library's export, as the main program opens
// it: the work sites and the site file's labels and spare sites in the tree,
// Enter and Esc leave it open, the controls follow a resize, Exit returns 1.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/siteitem.h"
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

std::string ItemText(HWND tree, HTREEITEM item)
{
  char text[64] = "";
  TVITEMA tv = {};
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = sizeof text;
  ::SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&tv);
  return text;
}

// The tree as "text(child,child...)" lines, depth first.
std::string Dump(HWND tree, HTREEITEM item)
{
  std::string out;
  for (; item != nullptr; item = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item)) {
    if (!out.empty())
      out += ",";
    out += ItemText(tree, item);
    HTREEITEM child = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item);
    if (child != nullptr)
      out += "(" + Dump(tree, child) + ")";
  }
  return out;
}

RECT ClientRectOf(HWND box, int id)
{
  RECT r;
  HWND control = ::GetDlgItem(box, id);
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(SiteManager, ShowsBothPartsStaysOpenOnEnterAndEscAndExitsWithOne)
{
  OpenFn open = LoadExport();
  ASSERT_NE(open, nullptr);

  const std::string folder = testsupport::TempFolder("site_manager");
  const std::string file = folder + "\\zarnsite.ini";
  {
    CIniText ini(std::string("[lone\x0C]\r\nAddress=lone.example\r\n"
                             "[inner\x0C" "top\x0C" "deep\x0C]\r\nAddress=inner.example\r\n"),
                 file.c_str());
    ASSERT_TRUE(ini.Save());
  }
  ASSERT_TRUE(StoreSiteFilePath(file.c_str()));

  CSiteItem* slots[200] = {};
  std::vector<std::unique_ptr<CSiteItem>> owned;
  for (int slot : {3, 199}) {
    owned.push_back(std::make_unique<CSiteItem>());
    CopySiteText(owned.back()->m_name, slot == 3 ? "alpha" : "omega");
    slots[slot] = owned.back().get();
  }

  std::string tree;
  bool openAfterKeys = false;
  RECT exitBefore = {}, exitAfter = {}, treeBefore = {}, treeAfter = {};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN Site Manager");
    ASSERT_NE(box, nullptr);
    HWND treeWnd = ::GetDlgItem(box, IDC_SITE_TREE);
    tree = Dump(treeWnd, (HTREEITEM)::SendMessageA(treeWnd, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    // Enter and Esc as the dialog manager delivers them.
    ::SendMessageA(box, WM_COMMAND, IDOK, 0);
    ::SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
    openAfterKeys = ::IsWindowVisible(box) != FALSE;
    exitBefore = ClientRectOf(box, IDC_SITE_EXIT);
    treeBefore = ClientRectOf(box, IDC_SITE_TREE);
    RECT w;
    ::GetWindowRect(box, &w);
    ::SetWindowPos(box, nullptr, 0, 0, w.right - w.left + 100, w.bottom - w.top + 60, SWP_NOMOVE | SWP_NOZORDER);
    exitAfter = ClientRectOf(box, IDC_SITE_EXIT);
    treeAfter = ClientRectOf(box, IDC_SITE_TREE);
    // Painting after the resize is asynchronous: drawn whole before the shot.
    ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    wintest::Shot("site_manager_tree");
    boxdriver::Click(box, IDC_SITE_EXIT);
  });
  EXPECT_EQ(1, open(slots, nullptr));
  driver.Join();

  EXPECT_EQ("ZARN Work Site(alpha,omega),ZARN Spare Site(lone,top(deep(inner)))", tree);
  EXPECT_TRUE(openAfterKeys);
  // Exit keeps its size and moves with the lower-right corner; the tree stretches.
  EXPECT_EQ(exitBefore.left + 100, exitAfter.left);
  EXPECT_EQ(exitBefore.top + 60, exitAfter.top);
  EXPECT_EQ(exitBefore.right - exitBefore.left, exitAfter.right - exitAfter.left);
  EXPECT_EQ(treeBefore.left, treeAfter.left);
  EXPECT_EQ(treeBefore.right + 100, treeAfter.right);
  EXPECT_EQ(treeBefore.bottom + 60, treeAfter.bottom);
  // The work sites are only read.
  EXPECT_STREQ("alpha", slots[3]->m_name);
}

}  // namespace
