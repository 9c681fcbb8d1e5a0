// The server folder trees in the view host over a real document: messages
// about nodes (selected or not, deleted, renamed), listings from two loopback
// pyftpdlib servers, drops by payload and by a user's drag.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/fileops.h"
#include "engine/listingcache.h"
#include "engine/progthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/doc/docfix.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"
#include "tests/views/sertreefix.h"
#include "tests/views/viewhost.h"
#include "toolkit/clipboard.h"
#include "views/sertreeview.h"

CWinApp theApp("views_sertree");

namespace {

using namespace sertreetest;
using viewhost::CHostListView;

struct Paste {
  int calls = 0, pane = -1, target = -2;
  HTREEITEM node = nullptr;
  void* entryNode = nullptr;
  std::string path;
} g_paste;

int RecordPaste(int paneFlag, HTREEITEM node, const void* block, size_t)
{
  const DragPayload* p = static_cast<const DragPayload*>(block);
  g_paste.calls++;
  g_paste.pane = paneFlag;
  g_paste.node = node;
  g_paste.target = p->m_target;
  g_paste.path = p->m_targetPath;
  int n = 0;
  if (EntryRecord* e = ResolvePayloadEntries(p->m_entries, &n))
    g_paste.entryNode = e[0].m_node;
  return 1;
}

// Drops are recorded, not run.
class SerTree : public SerTreeFixture {
protected:
  void SetUp() override
  {
    SerTreeFixture::SetUp();
    g_paste = Paste();
    SetPasteHook(RecordPaste);
  }
};

// A drop of a payload of folder `name` from site `source` at path `from` onto
// node of view v, as OLE hands it over.
int DropPayload(CSerTrViewBase* v, HTREEITEM node, int source, const char* from, const char* name)
{
  DragPayload block;
  PayloadRow row = {name, 0, kEntryFolder};
  if (!BuildDragPayload(block, &row, 1, source, from, ::GetCurrentProcessId(), PayloadDateText().c_str(), nullptr))
    return -1;
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, sizeof block);
  memcpy(::GlobalLock(h), &block, sizeof block);
  ::GlobalUnlock(h);
  COleDataSource src;
  src.CacheGlobalData((CLIPFORMAT)g_clipFormat, h);
  COleDataObject obj;
  obj.Attach(src.GetDataObject(), FALSE);
  v->m_dropNode = v->CanDropOn(node, 0) ? node : nullptr;
  const int result = v->DropEntries(&obj);
  ReleasePayloadEntries(block.m_entries);
  return result;
}

TEST_F(SerTree, MessagesAboutNodesFollowTheSelectionAndTheGuards)
{
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;  // answered Cancel: no listing starts
  ASSERT_NO_FATAL_FAILURE(Make());
  CTreeCtrl& t = one->GetTreeCtrl();
  HTREEITEM root = t.GetRootItem();
  CSiteItem* a = m_doc.m_sites[0];
  HTREEITEM siteA = a->m_hTreeNode, siteB = m_doc.m_sites[1]->m_hTreeNode;
  ASSERT_EQ(Children(one, root), 2);
  EXPECT_EQ(Child(one, root, "site2"), siteA);
  EXPECT_EQ(Child(two, two->GetTreeCtrl().GetRootItem(), "site3"), m_doc.m_sites[1]->m_hTreeNode1);
  EXPECT_EQ(Children(one, siteA), 1) << "the placeholder";
  EXPECT_EQ(std::string(list1->m_statusText), "Total: 2 Sites");
  EXPECT_EQ(list1->m_list.GetItemCount(), 2);

  t.SelectItem(siteA);
  EXPECT_EQ(Children(one, siteA), 0);
  EntryRecord entries[] = {Entry(".", 7), Entry("..", 7), Entry("dir1", 7), Entry("dir 2", 7),
                           Entry("f.txt", 5, 1536), Entry("", 0)};
  // Not the selected node: nothing changes.
  one->SendMessage(UWM_LISTING_READY, (WPARAM)siteB, (LPARAM)entries);
  one->SendMessage(UWM_LISTING_STATUS, (WPARAM)siteB, 3);
  EXPECT_EQ(Children(one, siteB), 1);
  EXPECT_EQ(list1->m_list.GetItemCount(), 0);
  EXPECT_TRUE(list1->m_statusText.IsEmpty() || list1->m_statusText == "Total: 2 Sites");

  one->SendMessage(UWM_LISTING_READY, (WPARAM)siteA, (LPARAM)entries);
  one->SendMessage(UWM_LISTING_STATUS, (WPARAM)siteA, 3);
  HTREEITEM dir1 = Child(one, siteA, "dir1"), dir2 = Child(one, siteA, "dir 2");
  ASSERT_TRUE(dir1 && dir2);
  EXPECT_EQ(Children(one, siteA), 2);
  EXPECT_EQ(Children(one, dir1), 1);
  EXPECT_EQ((int)t.GetItemData(dir1), 0);
  EXPECT_EQ(std::string(list1->m_statusText), "Total: 2 Folders 1 Files(1.50 KBytes)");
  // A cached listing of a listed node keeps its children's handles.
  one->SendMessage(UWM_CACHED_LISTING, (WPARAM)siteA, (LPARAM)entries);
  EXPECT_EQ(Child(one, siteA, "dir1"), dir1);
  EXPECT_EQ(list1->m_list.GetItemCount(), 3);

  // A folder added twice is one node; a row of the same name is not doubled.
  EntryRecord added = Entry("dir 2", 7);
  one->SendMessage(UWM_ENTRY_ADDED, (WPARAM)siteA, (LPARAM)&added);
  EXPECT_EQ(Children(one, siteA), 2);
  EXPECT_EQ(list1->m_list.GetItemCount(), 3);

  // Rename in the selected folder: node and row.
  EntryRecord ren = Entry("dir1", 7);
  strcpy(ren.m_second, "dirX");
  one->SendMessage(UWM_ENTRY_RENAMED, (WPARAM)siteA, (LPARAM)&ren);
  EXPECT_EQ(std::string(t.GetItemText(dir1)), "dirX");
  EXPECT_GE(RowOf(list1->m_list, "dirX"), 0);
  // The record's own node, selected, but bearing another name now (a reused
  // handle): left alone; removal the same.
  t.SelectItem(dir2);
  EntryRecord stale = Entry("old", 7);
  strcpy(stale.m_second, "hijack");
  stale.m_node = dir2;
  one->SendMessage(UWM_ENTRY_RENAMED, (WPARAM)nullptr, (LPARAM)&stale);
  one->SendMessage(UWM_ENTRY_REMOVED, (WPARAM)nullptr, (LPARAM)&stale);
  EXPECT_EQ(std::string(t.GetItemText(dir2)), "dir 2");
  EntryRecord own = Entry("dir 2", 7);
  own.m_node = dir2;
  one->SendMessage(UWM_ENTRY_REMOVED, (WPARAM)nullptr, (LPARAM)&own);
  EXPECT_EQ(Child(one, siteA, "dir 2"), nullptr);
  // The selection went to the folder's parent, which lists afresh.
  ASSERT_EQ(t.GetSelectedItem(), siteA);
  EXPECT_EQ(Children(one, siteA), 0);
  one->SendMessage(UWM_LISTING_READY, (WPARAM)siteA, (LPARAM)entries);

  // Site state: the node's image, at the root also the row's; a handle that is
  // no site node (a folder, or what a post after Delete Site carries) changes nothing.
  HTREEITEM dirX = Child(one, siteA, "dir1");
  ASSERT_NE(dirX, nullptr);
  t.SelectItem(root);
  one->SendMessage(UWM_SITE_STATE, (WPARAM)siteB, 1);
  int image = 0, selected = 0;
  t.GetItemImage(siteB, image, selected);
  EXPECT_EQ(image, g_siteImageBase - 1);
  const int rowB = RowOf(list1->m_list, "site3");
  ASSERT_GE(rowB, 0);
  EXPECT_EQ(list1->m_list.Row(rowB)->m_icon, g_siteImageBase - 1);
  one->SendMessage(UWM_SITE_STATE, (WPARAM)dir2, 1);
  one->SendMessage(UWM_SITE_STATE, (WPARAM)dirX, 1);
  t.GetItemImage(dirX, image, selected);
  EXPECT_NE(image, g_siteImageBase - 1) << "a folder never takes a site's image";

  // Drops: never onto the root (another window's entries would go to site 0);
  // a folder of site2 onto its own subfolder: the box, nothing pasted; onto
  // the other site's node: pasted with its site, path and node.
  EXPECT_FALSE(two->CanDropOn(two->GetTreeCtrl().GetRootItem(), 0));
  EXPECT_EQ(DropPayload(two, two->GetTreeCtrl().GetRootItem(), 1, "/", "x"), 0);
  EXPECT_EQ(g_paste.calls, 0);
  std::string boxText;
  boxdriver::Driver driver([&] {
    if (HWND box = boxdriver::WaitForBox("ZARN ERROR MESSAGE:", 15000)) {
      boxText = boxdriver::ItemText(box, 1169);
      boxdriver::Click(box, IDOK);
    }
  });
  EXPECT_EQ(DropPayload(one, dirX, 0, "/", "dir1"), 0);
  driver.Join();
  EXPECT_EQ(boxText, "Can't paste because the target path is the same as the source path");
  EXPECT_EQ(g_paste.calls, 0);
  HTREEITEM siteB2 = m_doc.m_sites[1]->m_hTreeNode1;
  EXPECT_EQ(DropPayload(two, siteB2, 0, "/", "dir1"), 1);
  EXPECT_EQ(g_paste.calls, 1);
  EXPECT_EQ(g_paste.pane, 0);
  EXPECT_EQ(g_paste.node, siteB2);
  EXPECT_EQ(g_paste.entryNode, (void*)siteB2);
  EXPECT_EQ(g_paste.target, 1);
  EXPECT_EQ(g_paste.path, "/");

  // Find Site: the dialog with its find texts; the site node named exactly
  // so is selected (the text trimmed), a name that only begins one is not.
  auto find = [&](const char* typed) {
    std::string prompt;
    boxdriver::Driver finder([&] {
      if (HWND dlg = boxdriver::WaitForBox("Search FTP", 15000)) {
        prompt = boxdriver::ItemText(dlg, 1068);
        boxdriver::SetItemText(dlg, 1152, typed);
        boxdriver::Click(dlg, IDOK);
      }
    });
    m_doc.OnFindSite();
    finder.Join();
    return prompt;
  };
  t.SelectItem(root);
  EXPECT_EQ(find("site"), "Enter display name:");
  EXPECT_EQ(t.GetSelectedItem(), root);
  EXPECT_EQ(find("  site3 "), "Enter display name:");
  EXPECT_EQ(t.GetSelectedItem(), siteB);
}

// The tree halves of Modify Info and Delete Site, as the server lists call them.
TEST_F(SerTree, SiteNodesRenamedAndRemovedWithTheirRows)
{
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;  // answered Cancel: no listing starts
  ASSERT_NO_FATAL_FAILURE(Make());
  CTreeCtrl& t1 = one->GetTreeCtrl();
  CTreeCtrl& t2 = two->GetTreeCtrl();
  CSiteItem* a = m_doc.m_sites[0];
  HTREEITEM a1 = a->m_hTreeNode, a2 = a->m_hTreeNode1;
  // Pane 2 stands in a folder of the site.
  t2.SelectItem(a2);
  EntryRecord entries[] = {Entry("sub", 7), Entry("", 0)};
  two->SendMessage(UWM_LISTING_READY, (WPARAM)a2, (LPARAM)entries);
  HTREEITEM sub = Child(two, a2, "sub");
  ASSERT_NE(sub, nullptr);
  t2.SelectItem(sub);

  CopySiteText(a->m_name, "renamed");
  one->RenameSiteNode(0);
  two->RenameSiteNode(0);
  EXPECT_EQ(std::string(t1.GetItemText(a1)), "renamed");
  EXPECT_EQ(std::string(t2.GetItemText(a2)), "renamed");
  EXPECT_GE(RowOf(list1->m_list, "renamed"), 0) << "pane 1 shows the sites";
  EXPECT_LT(RowOf(list1->m_list, "site2"), 0);
  EXPECT_LT(RowOf(list2->m_list, "renamed"), 0) << "pane 2 shows a folder";

  // Not a site node: ignored.
  two->RemoveSiteNode(sub);
  EXPECT_EQ(Child(two, a2, "sub"), sub);
  one->RemoveSiteNode(0);
  EXPECT_EQ(Child(one, t1.GetRootItem(), "renamed"), nullptr);
  EXPECT_LT(RowOf(list1->m_list, "renamed"), 0);
  EXPECT_EQ(list1->m_list.GetItemCount(), 1);
  EXPECT_EQ(a->m_hTreeNode, nullptr) << "the site keeps no handle of a gone node";
  // The selection below the node goes to the root, which lists the sites left.
  two->RemoveSiteNode(a2);
  EXPECT_EQ(t2.GetSelectedItem(), t2.GetRootItem());
  EXPECT_EQ(Children(two, t2.GetRootItem()), 1);
  EXPECT_EQ(list2->m_list.GetItemCount(), 1);
  EXPECT_GE(RowOf(list2->m_list, "site3"), 0);

  // The second tree's dual-view button icon is the tree's own: it goes with
  // the tree (the main window closes and makes views again).
  HICON icon = two->m_dualViewIcon;
  ICONINFO info = {};
  ASSERT_TRUE(icon != nullptr && ::GetIconInfo(icon, &info));
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  two->DestroyWindow();  // the view deletes itself
  two = nullptr;
  EXPECT_FALSE(::GetIconInfo(icon, &info)) << "the icon outlived its tree";
}

TEST_F(SerTree, ListingsFromTheServersLandInTheirOwnPaneAndFolder)
{
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_CONNECT);
  for (const char* f : {"pub", "pub\\with blank", "pub\\empty", "other"})
    tasktest::MakeFolder(Root(2), f);
  tasktest::MakeFile(Root(2), "pub\\with blank\\inner.txt", 10);
  tasktest::MakeFile(Root(2), "top.bin", 2048);
  tasktest::MakeFolder(Root(3), "three");
  tasktest::MakeFile(Root(3), "three\\t.txt", 5);
  AddSite(2, 0);  // cannot connect
  ASSERT_NO_FATAL_FAILURE(Make());
  CTreeCtrl& t = one->GetTreeCtrl();
  CSiteItem* a = m_doc.m_sites[0];
  HTREEITEM siteA = a->m_hTreeNode;

  ASSERT_TRUE(SelectAndList(one, siteA)) << list1->m_statusText;
  EXPECT_EQ(std::string(list1->m_statusText), "Total: 2 Folders 1 Files(2.00 KBytes)");
  HTREEITEM pub = Child(one, siteA, "pub"), other = Child(one, siteA, "other");
  ASSERT_TRUE(pub && other);

  // Two quick selections: only the second delivers.
  t.SelectItem(other);
  ASSERT_TRUE(SelectAndList(one, pub));
  ASSERT_TRUE(wintest::PumpUntil([&] { return m_doc.GetTaskThreadCount() == 0; }, 20000));
  wintest::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Children(one, other), 0);
  EXPECT_EQ(list1->m_list.GetItemCount(), 2);
  ASSERT_TRUE(Child(one, pub, "with blank") && Child(one, pub, "empty"));
  // An empty folder: no rows, no children, a totals line.
  ASSERT_TRUE(SelectAndList(one, Child(one, pub, "empty")));
  EXPECT_EQ(list1->m_list.GetItemCount(), 0);
  EXPECT_EQ(std::string(list1->m_statusText), "Total: 0 Folders 0 Files(0.00 Bytes)");

  // Pane 2 selecting its root moves only its own generation.
  const int32_t before = g_listingGeneration.load();
  two->GetTreeCtrl().SelectItem(m_doc.m_sites[1]->m_hTreeNode1);
  two->GetTreeCtrl().SelectItem(two->GetTreeCtrl().GetRootItem());
  EXPECT_EQ(g_listingGeneration.load(), before);
  // (The stale first task's totals line may come first: wait for the node.)
  ASSERT_TRUE(SelectAndList(two, m_doc.m_sites[1]->m_hTreeNode1));
  EXPECT_TRUE(wintest::PumpUntil([&] { return Child(two, m_doc.m_sites[1]->m_hTreeNode1, "three") != nullptr; }, 20000));

  // The cache: digit 2 '1' re-selects with CWD and PWD, no LIST; pane 2 always lists.
  a->SiteOptionDigits[2] = '1';
  char cache[MAX_PATH];
  snprintf(cache, sizeof cache, "%s\\..\\sertreecache\\", Root(2).c_str());
  ::CreateDirectoryA(cache, nullptr);
  CopySiteText(a->m_cacheFolder, cache);
  ASSERT_TRUE(SelectAndList(one, pub));
  ASSERT_TRUE(Idle());
  HTREEITEM blank = Child(one, pub, "with blank");
  ASSERT_TRUE(SelectAndList(one, blank) && Idle());
  ASSERT_TRUE(SelectAndList(one, Child(one, pub, "empty")) && Idle());
  ASSERT_TRUE(SelectAndList(one, other) && Idle());
  const int lists = LogCount(2, "<- LIST"), cwds = LogCount(2, "<- CWD /pub"), pwds = LogCount(2, "<- PWD");
  ASSERT_TRUE(SelectAndList(one, pub) && Idle());
  EXPECT_EQ(Child(one, pub, "with blank"), blank) << "kept from the cached listing";
  EXPECT_EQ(LogCount(2, "<- CWD /pub"), cwds + 1);
  EXPECT_GT(LogCount(2, "<- PWD"), pwds);
  EXPECT_EQ(LogCount(2, "<- LIST"), lists) << "a cached folder sends no LIST";
  EXPECT_EQ(list1->m_list.GetItemCount(), 2);
  // Pane 2 lists whatever digit 2 says.
  ASSERT_TRUE(SelectAndList(two, m_doc.m_sites[0]->m_hTreeNode1) && Idle());
  ASSERT_TRUE(SelectAndList(two, Child(two, m_doc.m_sites[0]->m_hTreeNode1, "pub")) && Idle());
  ASSERT_TRUE(SelectAndList(two, Child(two, Child(two, m_doc.m_sites[0]->m_hTreeNode1, "pub"), "empty")) && Idle());
  EXPECT_EQ(LogCount(2, "<- LIST"), lists + 3);
  // Listed afresh, the new children (on handles the old ones may have had)
  // show their own entries, never another folder's cached ones.
  one->SendMessage(UWM_DROP_LISTING_CACHE, 0, (LPARAM)pub);
  ASSERT_TRUE(SelectAndList(one, other) && Idle());
  ASSERT_TRUE(SelectAndList(one, pub) && Idle());
  EXPECT_EQ(LogCount(2, "<- LIST"), lists + 4) << "pub afresh; other from its cache";
  ASSERT_TRUE(SelectAndList(one, Child(one, pub, "with blank")) && Idle());
  EXPECT_EQ(list1->m_list.GetItemCount(), 1);
  EXPECT_GE(RowOf(list1->m_list, "inner.txt"), 0);
  ASSERT_TRUE(SelectAndList(one, Child(one, pub, "empty")) && Idle());
  EXPECT_EQ(list1->m_list.GetItemCount(), 0);

  // A site that cannot connect: its node stays empty, no box.
  const size_t boxes = doctest::g_boxes.size();
  HTREEITEM dead = m_doc.m_sites[2]->m_hTreeNode;
  t.SelectItem(dead);
  ASSERT_TRUE(wintest::PumpUntil([&] { return m_doc.GetTaskThreadCount() == 0; }, 30000));
  wintest::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(Children(one, dead), 0);
  EXPECT_EQ(doctest::g_boxes.size(), boxes);
  EXPECT_EQ(boxdriver::WaitForBox("ZARN ERROR MESSAGE:", 100), nullptr);

  // A site added at run time shows below both roots and lists its own server.
  t.SelectItem(t.GetRootItem());
  SiteRecord rec = {};
  InitSiteFields(rec);
  CopySiteText(rec.m_password, "secret");
  CopySiteText(rec.m_name, "added3");
  CopySiteText(rec.m_host, "127.0.0.3");
  rec.m_port = peers::Port("ZARN_S2S_PORT_3");
  CopySiteText(rec.m_user, "zarn");
  CopySiteText(rec.m_remoteFolder, "/");
  rec.SiteOptionDigits[1] = '0';  // a user login
  rec.SiteOptionDigits[4] = '1';
  rec.SiteOptionDigits[7] = '0';
  CSiteItem* added = m_doc.AddSite(&rec);
  ASSERT_NE(added, nullptr);
  EXPECT_GE(RowOf(list1->m_list, "added3"), 0);
  ASSERT_EQ(Child(one, t.GetRootItem(), "added3"), added->m_hTreeNode);
  ASSERT_EQ(Child(two, two->GetTreeCtrl().GetRootItem(), "added3"), added->m_hTreeNode1);
  ASSERT_TRUE(SelectAndList(two, added->m_hTreeNode1));
  EXPECT_TRUE(wintest::PumpUntil([&] { return Child(two, added->m_hTreeNode1, "three") != nullptr; }, 20000));
}

// Pane 1's listing held back by the scripted server while pane 2 goes to its
// root: pane 2 moves only its own generation, so pane 1's listing still lands.
TEST_F(SerTree, PaneTwoAtItsRootLeavesPaneOnesHeldListingToLand)
{
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_CONNECT);
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
  const std::string gate = "Z:\\tmp\\zarn_list_gate." + std::to_string(port);  // the scenario's gate
  ::DeleteFileA(gate.c_str());
  ASSERT_TRUE(peers::Scenario("list_gated"));
  CSiteItem* held = AddSite(2, 0);
  keepertest::SetUpSite(*held, port, "zarn", "secret", '0');
  CopySiteText(held->m_host, "127.0.0.1");
  held->SiteOptionDigits[4] = '1';
  ASSERT_NO_FATAL_FAILURE(Make());

  one->GetTreeCtrl().SelectItem(held->m_hTreeNode);
  auto sentList = [] {
    for (const std::string& line : peers::Received())
      if (line.rfind("LIST", 0) == 0)
        return true;
    return false;
  };
  ASSERT_TRUE(wintest::PumpUntil(sentList, 20000)) << "the LIST never reached the server";
  HTREEITEM siteB = m_doc.m_sites[1]->m_hTreeNode1;
  ASSERT_TRUE(SelectAndList(two, siteB));
  two->GetTreeCtrl().SelectItem(two->GetTreeCtrl().GetRootItem());
  EXPECT_EQ(std::string(list2->m_statusText), "Total: 3 Sites");

  ::CloseHandle(::CreateFileA(gate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  const bool landed = wintest::PumpUntil([&] { return list1->m_statusText.Find("Files") >= 0; }, 20000);
  ::DeleteFileA(gate.c_str());
  ASSERT_TRUE(landed) << "pane 1's listing was dropped";
  EXPECT_EQ(one->GetTreeCtrl().GetSelectedItem(), held->m_hTreeNode);
  EXPECT_GE(RowOf(list1->m_list, "held1.txt"), 0);
  EXPECT_GE(RowOf(list1->m_list, "held2.txt"), 0);
  EXPECT_EQ(std::string(list1->m_statusText), "Total: 0 Folders 2 Files(1.95 KBytes)");
  ASSERT_TRUE(wintest::PumpUntil([&] { return m_doc.GetTaskThreadCount() == 0; }, 20000));
}

TEST_F(SerTree, UserOpensFoldersOfBothSitesAndDragsAFolderAcrossPanes)
{
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_CONNECT);
  tasktest::MakeFolder(Root(2), "drag me");
  tasktest::MakeFile(Root(2), "drag me\\a.txt", 3);
  tasktest::MakeFolder(Root(3), "inbox");
  ASSERT_NO_FATAL_FAILURE(Make());
  host.SetForegroundWindow();
  CTreeCtrl& t1 = one->GetTreeCtrl();
  CTreeCtrl& t2 = two->GetTreeCtrl();
  const auto centre = viewhost::NodeCentre;
  HTREEITEM siteA = m_doc.m_sites[0]->m_hTreeNode, siteB = m_doc.m_sites[1]->m_hTreeNode1;
  CPoint p = centre(t1, siteA);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return Child(one, siteA, "drag me") != nullptr; }));
  p = centre(t2, siteB);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return Child(two, siteB, "inbox") != nullptr; }));
  EXPECT_GE(RowOf(list1->m_list, "drag me"), 0);
  EXPECT_GE(RowOf(list2->m_list, "inbox"), 0);
  HTREEITEM dragged = Child(one, siteA, "drag me"), inbox = Child(two, siteB, "inbox");
  t1.Expand(siteA, TVE_EXPAND);
  t2.Expand(siteB, TVE_EXPAND);
  wintest::PumpUntil([] { return false; }, 300);

  // The folder of pane 1 onto pane 2's folder: the paste gets its site, path and node.
  viewhost::DragUntil(centre(t1, dragged), centre(t2, inbox), [] { return g_paste.calls > 0; });
  ASSERT_EQ(g_paste.calls, 1);
  EXPECT_EQ(g_paste.pane, 0);
  EXPECT_EQ(g_paste.node, inbox);
  EXPECT_EQ(g_paste.target, 1);
  EXPECT_EQ(g_paste.path, "/inbox");
  EXPECT_EQ(one->m_dragNode, nullptr);
  // Onto pane 2's root: nothing.
  EXPECT_FALSE(viewhost::DragUntil(centre(t1, dragged), centre(t2, t2.GetRootItem()), [] { return g_paste.calls > 1; }, 1));
  EXPECT_EQ(g_paste.calls, 1);

  // The colours: both trees [2], the lists are the host's; the focused strip on pane 1.
  t1.SelectItem(dragged);
  ASSERT_TRUE(wintest::PumpUntil([&] { return list1->m_statusText.Find("Folders") >= 0; }, 20000));
  t1.SetFocus();
  EXPECT_EQ(one->m_caption.GetColor(), kCaptionFocusColor);
  EXPECT_EQ(TreeView_GetBkColor(t1.m_hWnd), (COLORREF)g_viewColors[2]);
  EXPECT_EQ(TreeView_GetBkColor(t2.m_hWnd), (COLORREF)g_viewColors[2]);
  host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  viewhost::Shot("views_sertree");
}

}  // namespace
