// The server trees' commands in the view host over a real document and the two
// loopback pyftpdlib servers (127.0.0.2 and .3): folders made in the label
// edit, renamed, moved, deleted and listed afresh on the server; the site
// commands and the three context menus; and a user's right clicks, typing and
// drag copying folders from the first server to the second.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/fileops.h"
#include "engine/listingcache.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/doc/docfix.h"
#include "tests/launch/taskanswerer.h"
#include "tests/task/taskfix.h"
#include "tests/views/sertreefix.h"
#include "tests/views/viewhost.h"
#include "toolkit/clipboard.h"
#include "toolkit/menuupdate.h"
#include "views/sertreecmds.h"

CWinApp theApp("views_treecmds");

namespace {

using namespace sertreetest;
using namespace tasktest;
namespace cmd = sertreecmd;

class TreeCmds : public SerTreeFixture {
protected:
  void SetUp() override
  {
    SerTreeFixture::SetUp();
    g_optionFlags &= ~((1u << OPTBIT_CONFIRM_CONNECT) | (1u << OPTBIT_CONFIRM_DELETE_FILE) |
                       (1u << OPTBIT_CONFIRM_PASTE) | (1u << OPTBIT_CONFIRM_DOWNLOAD) | (1u << OPTBIT_CONFIRM_STOP) |
                       (1u << OPTBIT_CONFIRM_DELETE_SITE) | (1u << OPTBIT_FXP));
    m_doc.TaskThreads().m_reapIntervalMs = 100;
  }

  // Waits until the predicate holds, the tasks pumped along.
  template <class Pred>
  bool Until(Pred pred, DWORD ms = 20000)
  {
    return wintest::PumpUntil(pred, ms);
  }

  launchtest::CScriptedTaskDialogs dialogs;
};

const char kErrorCaption[] = "ZARN ERROR MESSAGE:";

std::vector<std::string> BoxesDuring(const std::function<void()>& body)
{
  return boxdriver::TextsOfBoxesDuring(kErrorCaption, IDC_CONFIRM_TEXT, body);
}

// A popup's items as "id text" lines, a disabled one marked with "-".
std::string MenuText(CMenu* popup)
{
  std::string text;
  BCMenu* own = DYNAMIC_DOWNCAST(BCMenu, popup);
  for (int i = 0; own != nullptr && i < (int)own->GetMenuItemCount(); ++i) {
    const UINT id = own->GetMenuItemID(i);
    if (id == 0) {
      text += "----\n";
      continue;
    }
    CString label;
    own->GetMenuText(i, label, MF_BYPOSITION);
    const bool disabled = (own->GetMenuState(i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) != 0;
    text += std::to_string(id) + (disabled ? "-" : " ") + (const char*)label + "\n";
  }
  return text;
}

// Folders made, renamed, moved and deleted on server 2 from the first tree.
TEST_F(TreeCmds, FolderCommandsActOnTheServerAndTheTreeFollows)
{
  for (const char* f : {"work\\deep", "work\\ren", "work\\mv", "sub", "other"})
    MakeFolder(Root(2), f);
  MakeFile(Root(2), "work\\gone\\a\\b.txt", 10);
  MakeFile(Root(2), "work\\gone\\c.txt", 5);
  ASSERT_NO_FATAL_FAILURE(Make());
  CTreeCtrl& t = one->GetTreeCtrl();
  CSiteItem* a = m_doc.m_sites[0];
  HTREEITEM siteA = a->m_hTreeNode;
  ASSERT_TRUE(SelectAndList(one, siteA));
  HTREEITEM work = Child(one, siteA, "work");
  ASSERT_TRUE(work != nullptr && SelectAndList(one, work) && Idle());

  // Make Folder in the selected folder, typed into the label edit: the server
  // makes it, then its node and row come.
  one->OnMakeFolder();
  ASSERT_TRUE(viewhost::TypeLabel(t, "made here"));
  ASSERT_TRUE(Until([&] { return Child(one, work, "made here") != nullptr; }));
  EXPECT_GE(RowOf(list1->m_list, "made here"), 0);
  EXPECT_TRUE(Exists(Root(2) + "\\work\\made here"));
  // Blanks: the edited node goes, nothing is sent. 300 characters: a box.
  const int mkd = LogCount(2, "<- MKD"), children = Children(one, work);
  one->OnMakeFolder();
  ASSERT_TRUE(viewhost::TypeLabel(t, "   "));
  one->OnMakeFolder();
  ASSERT_TRUE(Until([&] { return t.GetEditControl() != nullptr; }));
  ::SetWindowTextA(t.GetEditControl()->m_hWnd, std::string(300, 'x').c_str());
  const std::vector<std::string> boxes = BoxesDuring([&] { t.SendMessage(TVM_ENDEDITLABELNOW, FALSE, 0); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("The path is too long for this operation:", 0), 0u) << boxes[0];
  ASSERT_TRUE(Idle());
  EXPECT_EQ(LogCount(2, "<- MKD"), mkd);
  EXPECT_EQ(Children(one, work), children);
  EXPECT_FALSE(one->m_newFolderEdit);

  // On a folder never opened and not selected: opening it lists it, and the
  // edit starts once that listing is in (it would have replaced the edit).
  HTREEITEM deep = Child(one, work, "deep");
  ASSERT_NE(deep, nullptr);
  one->SetContextNode(deep);
  one->OnMakeFolder();
  one->SetContextNode(nullptr);
  EXPECT_EQ(one->PendingNewFolder(), deep);
  ASSERT_TRUE(viewhost::TypeLabel(t, "inner"));
  ASSERT_TRUE(Until([&] { return Child(one, deep, "inner") != nullptr; }));
  EXPECT_TRUE(Exists(Root(2) + "\\work\\deep\\inner"));
  EXPECT_EQ(t.GetSelectedItem(), deep);
  EXPECT_EQ(one->PendingNewFolder(), nullptr);
  // A listing replacing the children while a new folder's label is edited
  // ends the edit first (cancelled): nothing made, nothing left.
  ASSERT_TRUE(Idle());
  one->OnMakeFolder();
  ASSERT_TRUE(Until([&] { return t.GetEditControl() != nullptr; }));
  ::SetWindowTextA(t.GetEditControl()->m_hWnd, "pending");
  one->OnRefresh();
  EXPECT_EQ(t.GetEditControl(), nullptr);
  EXPECT_FALSE(one->m_newFolderEdit);
  ASSERT_TRUE(Until([&] { return list1->m_statusText.Find("Folders") >= 0; }) && Idle());
  EXPECT_EQ(Child(one, deep, "pending"), nullptr);
  EXPECT_NE(Child(one, deep, "inner"), nullptr);
  EXPECT_FALSE(Exists(Root(2) + "\\work\\deep\\pending"));

  // Rename: the label changes only once the server renamed.
  ASSERT_TRUE(SelectAndList(one, work) && Idle());
  HTREEITEM ren = Child(one, work, "ren");
  ASSERT_NE(ren, nullptr);
  one->SetContextNode(ren);
  one->OnRename();
  one->SetContextNode(nullptr);
  ASSERT_TRUE(viewhost::TypeLabel(t, "renamed"));
  EXPECT_EQ(std::string(t.GetItemText(ren)), "ren");
  ASSERT_TRUE(Until([&] { return t.GetItemText(ren) == "renamed"; }));
  EXPECT_GE(RowOf(list1->m_list, "renamed"), 0);
  EXPECT_TRUE(Exists(Root(2) + "\\work\\renamed"));
  // The same text or blanks: nothing sent.
  const int rnfr = LogCount(2, "<- RNFR");
  for (const char* same : {"renamed", "  "}) {
    one->SetContextNode(ren);
    one->OnRename();
    one->SetContextNode(nullptr);
    ASSERT_TRUE(viewhost::TypeLabel(t, same));
  }
  ASSERT_TRUE(Idle());
  EXPECT_EQ(LogCount(2, "<- RNFR"), rnfr);
  // A folder whose parent is not shown follows its rename too.
  ASSERT_TRUE(SelectAndList(one, Child(one, siteA, "other")) && Idle());
  deep = Child(one, work, "deep");
  one->SetContextNode(deep);
  one->OnRename();
  one->SetContextNode(nullptr);
  ASSERT_TRUE(viewhost::TypeLabel(t, "deeper"));
  EXPECT_TRUE(Until([&] { return t.GetItemText(deep) == "deeper"; }));
  EXPECT_TRUE(Exists(Root(2) + "\\work\\deeper\\inner"));

  // Delete: the whole folder tree on the server, then its node and row.
  ASSERT_TRUE(SelectAndList(one, work) && Idle());
  HTREEITEM gone = Child(one, work, "gone");
  ASSERT_NE(gone, nullptr);
  one->SetContextNode(gone);
  one->OnDelete();
  EXPECT_EQ(one->m_contextNode, nullptr);
  ASSERT_TRUE(Until([&] { return Child(one, work, "gone") == nullptr; })) << Root(2);
  EXPECT_LT(RowOf(list1->m_list, "gone"), 0);
  EXPECT_FALSE(Exists(Root(2) + "\\work\\gone"));

  // Move: "sub" goes as "/sub"; the folder's own folder sends nothing.
  HTREEITEM mv = Child(one, work, "mv");
  ASSERT_NE(mv, nullptr);
  const int rnto = LogCount(2, "<- RNTO");
  for (const char* target : {"/work", " work "}) {
    dialogs.moveTo.Ok(MoveToValues{target});
    one->SetContextNode(mv);
    one->OnMove();
  }
  ASSERT_TRUE(Idle());
  EXPECT_EQ(LogCount(2, "<- RNTO"), rnto);
  dialogs.moveTo.Ok(MoveToValues{"sub"});
  one->SetContextNode(mv);
  one->OnMove();
  one->SetContextNode(nullptr);
  ASSERT_TRUE(Until([&] { return Child(one, work, "mv") == nullptr; }));
  ASSERT_TRUE(Idle(30000));
  EXPECT_EQ(LogCount(2, "<- RNTO /sub/mv"), 1);
  EXPECT_TRUE(Exists(Root(2) + "\\sub\\mv"));
  EXPECT_FALSE(Exists(Root(2) + "\\work\\mv"));

  // Refresh: with the listing cache on, re-selecting a folder reads its cache
  // file; Refresh removes that file and lists from the server.
  a->SiteOptionDigits[2] = '1';
  char cache[MAX_PATH];
  snprintf(cache, sizeof cache, "%s\\..\\treecmdscache\\", Root(2).c_str());
  ::CreateDirectoryA(cache, nullptr);
  CopySiteText(a->m_cacheFolder, cache);
  ASSERT_TRUE(SelectAndList(one, siteA) && Idle());
  work = Child(one, siteA, "work");  // listed afresh: new nodes
  ASSERT_TRUE(work != nullptr && SelectAndList(one, work) && Idle());
  const std::string file = ListingCacheFileName(cache, reinterpret_cast<intptr_t>(work));
  ASSERT_TRUE(Exists(file));
  const int lists = LogCount(2, "<- LIST");
  ASSERT_TRUE(SelectAndList(one, siteA) && Idle() && SelectAndList(one, work) && Idle());
  EXPECT_EQ(LogCount(2, "<- LIST"), lists) << "from the cache";
  ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteAll(file + ".mark", "");
  one->OnRefresh();
  EXPECT_FALSE(Exists(file)) << "removed before the listing";
  ASSERT_TRUE(Until([&] { return list1->m_statusText.Find("Folders") >= 0; }) && Idle());
  EXPECT_EQ(LogCount(2, "<- LIST"), lists + 1);
  ::DeleteFileA((file + ".mark").c_str());
  // Refresh of the root does nothing.
  one->SetContextNode(t.GetRootItem());
  one->OnRefresh();
  one->SetContextNode(nullptr);
  EXPECT_EQ(t.GetSelectedItem(), work);
}

// The site commands, the small ones and the context menus, both trees.
TEST_F(TreeCmds, SiteCommandsMenusAndTheirStates)
{
  MakeFile(Root(2), "find\\deep\\hit.txt", 4);
  MakeFile(Root(2), "find\\miss.bin", 4);
  ASSERT_NO_FATAL_FAILURE(Make());
  CTreeCtrl& t1 = one->GetTreeCtrl();
  CTreeCtrl& t2 = two->GetTreeCtrl();
  HTREEITEM root1 = t1.GetRootItem(), root2 = t2.GetRootItem();
  CSiteItem* a = m_doc.m_sites[0];
  CSiteItem* b = m_doc.m_sites[1];
  HTREEITEM siteA = a->m_hTreeNode;
  ASSERT_TRUE(SelectAndList(one, siteA) && Idle());
  HTREEITEM find = Child(one, siteA, "find");
  ASSERT_NE(find, nullptr);
  ClearClipboard(one);

  // The three menus, built without tracking, with the update handlers' states
  // (site2 is connected, site3 not; the document's commands are not in the host).
  EXPECT_EQ(MenuText(one->BuildContextMenu(root1)),
            "32849-Site Manager..\tF4\n----\n32828-&Quick Add Site\n----\n32835-&Import Sites..\n"
            "32836-&Export Sites..\n----\n32831-&Find Site..\n32840-Disconnect &All\n----\n"
            "32815 &Manual Control..\tF5\n");
  EXPECT_EQ(one->m_contextNode, root1);
  EXPECT_EQ(MenuText(one->BuildContextMenu(m_doc.m_sites[1]->m_hTreeNode)),
            "57637-&Paste\tCtrl+V\n32860 Copy &Path\n----\n32815 &Manual Control..\tF5\n"
            "32857 &Directory Structure..\n----\n32881 &Connect\n32827-&Stop Work\n32882-&Disconnect\n----\n"
            "32829 &Modify Info..\n----\n32839 Chan&ge Password..\n----\n32830 D&elete Site\tDel\n----\n"
            "32817 Make &Folder\n----\n32820 &Refresh\n----\n32859 &Search..\n");
  const std::string connected = MenuText(one->BuildContextMenu(siteA));
  EXPECT_NE(connected.find("32881-&Connect\n"), std::string::npos) << connected;
  EXPECT_NE(connected.find("32882 &Disconnect\n"), std::string::npos) << connected;
  EXPECT_EQ(MenuText(one->BuildContextMenu(find)),
            "32837 &Back\n----\n32832 &View\n32817 Make &Folder\n----\n32838 Add to Schedule\tF6\n----\n"
            "32819 &Move to..\n----\n57634 &Copy\tCtrl+C\n32860 Copy &Path\n57637-&Paste\tCtrl+V\n----\n"
            "32821 &Delete\tShift+Del\n32818 Re&name\n32820 &Refresh\n----\n32859 &Search..\n");
  // Copy: Paste is offered then.
  one->OnCopy();
  EXPECT_NE(MenuText(one->BuildContextMenu(find)).find("57637 &Paste"), std::string::npos);
  // Make Folder at the root: refused in the first pane only.
  CMenu probe;
  ASSERT_TRUE(probe.CreatePopupMenu());
  probe.AppendMenu(MF_STRING, cmd::kMakeFolder, "x");
  for (CSerTrViewBase* v : {(CSerTrViewBase*)one, (CSerTrViewBase*)two}) {
    v->SetContextNode(v->GetTreeCtrl().GetRootItem());
    UpdatePopupMenuUI(v, &probe);
    EXPECT_EQ((probe.GetMenuState(0, MF_BYPOSITION) & MF_GRAYED) != 0, v == one);
  }
  one->SetContextNode(nullptr);
  two->SetContextNode(nullptr);
  probe.DestroyMenu();

  // Copy Path: the bare path.
  one->SetContextNode(find);
  one->OnCopyPath();
  char text[300] = {};
  ASSERT_TRUE(GetClipboardText(text, sizeof text, one));
  EXPECT_STREQ(text, "/find");

  // Manual Control: the node's site, or no site at the root.
  {
    launchtest::CConsoleRecorder console;
    one->OnManualControl();
    one->SetContextNode(root1);
    one->OnManualControl();
    const auto& calls = launchtest::CConsoleRecorder::s_calls;
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].host + "|" + calls[0].user + "|" + calls[0].password, "127.0.0.2|zarn|secret");
    EXPECT_EQ(calls[0].port, a->m_port);
    EXPECT_EQ(calls[0].passive * 10 + calls[0].anonymous, 10);
    EXPECT_EQ(calls[0].parent, one);
    EXPECT_TRUE(calls[1].nullHost);
    EXPECT_EQ(calls[1].port * 100 + calls[1].passive * 10 + calls[1].anonymous, 1);
  }

  // Add To Queue with no local tree: the download folder, one item, the queue tab.
  one->SetContextNode(find);
  snprintf(g_downloadPath, sizeof g_downloadPath, "%s", "C:\\down");
  one->OnAddToQueue();
  RecordingWnd& func = host.Sinks().funcView;
  ASSERT_TRUE(Until([&] { return !func.Of(UWM_SHOW_FUNC_TAB).empty() && func.Of(UWM_SHOW_FUNC_TAB).back().lParam == 3; }));
  const auto adds = func.Of(UWM_QUEUE_ADD);
  ASSERT_EQ(adds.size(), 1u);
  std::unique_ptr<CPlanItem> item(reinterpret_cast<CPlanItem*>(adds[0].lParam));
  EXPECT_EQ(std::string(item->m_localPath) + "|" + item->m_remotePath + "|" + item->m_fileName + "|" +
                item->m_direction + "|" + item->m_host + "|" + item->m_user + "|" + item->m_password,
            "C:\\down|/|find|<-|127.0.0.2|zarn|secret");
  EXPECT_EQ(item->m_port, a->m_port);
  EXPECT_EQ(item->m_kind, kEntryFolder);
  EXPECT_EQ(item->m_passive * 10 + item->m_anonymous, 10);
  g_downloadPath[0] = '\0';
  // No download folder; commands on the wrong kind of node; a refused connect
  // in either pane.
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;
  std::vector<std::string> texts = BoxesDuring([&] {
    one->OnAddToQueue();
    one->SetContextNode(siteA);
    one->OnDelete();
    one->SetContextNode(find);
    one->OnConnect();
    one->SetContextNode(b->m_hTreeNode);
    one->OnConnect();
    two->SetContextNode(b->m_hTreeNode1);
    two->OnConnect();
    // The copied folder onto itself.
    one->SetContextNode(find);
    one->OnCopy();
    one->OnPaste();
  });
  EXPECT_EQ(texts, std::vector<std::string>({"Please specify receiving path first!",
                                             "Selection error!  the operation cannot be executed here.",
                                             "Selection error!  the operation cannot be executed here.",
                                             "Cant't connect. Back! ",
                                             "::Can't connect, terminated,please check the network",
                                             "Can't paste because the target path is the same as the source path"}));
  EXPECT_EQ(func.Of(UWM_QUEUE_ADD).size(), 1u);
  EXPECT_EQ(b->m_pKeeperThread, nullptr);
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_CONNECT);

  // Search and Directory Structure: preset from the node, run on its site.
  SearchFileValues search;
  search.siteIndex = 0;
  search.startFolder = "/find";
  search.types = "*.txt";
  dialogs.searchFile.Ok(search);
  one->SetContextNode(find);
  one->OnSearch();
  RecordDirValues record;
  record.siteIndex = 0;
  record.remoteText = "/find";
  record.saveTarget = (Root(2) + "\\..\\structure.txt").c_str();
  dialogs.recordDir.Ok(record);
  one->OnDirectoryStructure();
  ASSERT_TRUE(Idle(30000));
  ASSERT_EQ(dialogs.searchFile.asked.size(), 1u);
  EXPECT_EQ(std::string(dialogs.searchFile.asked[0].startFolder) + "|" +
                std::to_string(dialogs.searchFile.asked[0].siteIndex),
            "/find|0");
  EXPECT_EQ(std::string(dialogs.recordDir.asked[0].remoteText), "/find");
  const auto hits = func.Of(UWM_SEARCH_RESULTS);
  ASSERT_EQ(hits.size(), 1u);
  EXPECT_STREQ(hits[0].entries[0].m_name, "hit.txt");
  EXPECT_STREQ(hits[0].entries[0].m_second, "/find/deep");
  // (The record's recursive listing is one pyftpdlib refuses: it was asked for.)
  EXPECT_EQ(LogCount(2, "<- LIST -alR"), 1);

  // Change Password: the dialog for the site, the stored password and the new
  // one to the server (this one refuses it: the stored one stays).
  ChangePasswordValues password;
  password.newPassword = "fresh";
  dialogs.changePassword.Ok(password);
  one->SetContextNode(siteA);
  one->OnChangePassword();
  ASSERT_TRUE(Idle());
  ASSERT_EQ(dialogs.changePassword.asked.size(), 1u);
  EXPECT_EQ(dialogs.changePassword.asked[0].siteIndex, 0);
  EXPECT_EQ(LogCount(2, "<- SITE PSWD secret fresh"), 1);
  EXPECT_STREQ(a->m_password, "secret");

  // Stop Work: the site's tasks are told to stop.
  one->SetContextNode(siteA);
  one->OnStopWork();
  EXPECT_EQ(a->m_queueRun.load(), 0);
  a->m_queueRun = 1;

  // Modify Info with both roots selected: both nodes and both rows renamed.
  t1.SelectItem(root1);
  t2.SelectItem(root2);
  SiteLoginValues values;
  values.host = "127.0.0.3";
  values.port = b->m_port;
  values.name = "renamed3";
  values.user = "zarn";
  values.password = "secret";
  values.passive = '1';
  dialogs.modifyInfo.Ok(values);
  one->SetContextNode(b->m_hTreeNode);
  one->OnModifyInfo();
  EXPECT_EQ(std::string(b->m_name), "renamed3");
  EXPECT_EQ(std::string(t1.GetItemText(b->m_hTreeNode)), "renamed3");
  EXPECT_EQ(std::string(t2.GetItemText(b->m_hTreeNode1)), "renamed3");
  EXPECT_GE(RowOf(list1->m_list, "renamed3"), 0);
  EXPECT_GE(RowOf(list2->m_list, "renamed3"), 0);
  EXPECT_LT(RowOf(list1->m_list, "site3"), 0);

  // Delete Site: refused at the prompt, both trees and lists stay; accepted,
  // the site's nodes and rows go from both.
  g_optionFlags |= 1u << OPTBIT_CONFIRM_DELETE_SITE;
  doctest::g_answer = IDCANCEL;
  two->SetContextNode(b->m_hTreeNode1);
  two->OnDeleteSite();
  ASSERT_NE(m_doc.m_sites[1], nullptr);
  EXPECT_EQ(Children(one, root1) * 10 + Children(two, root2), 22);
  EXPECT_EQ(list1->m_list.GetItemCount() * 10 + list2->m_list.GetItemCount(), 22);
  doctest::g_answer = IDOK;
  two->SetContextNode(b->m_hTreeNode1);
  two->OnDeleteSite();
  EXPECT_EQ(m_doc.m_sites[1], nullptr);
  EXPECT_EQ(Children(one, root1) * 10 + Children(two, root2), 11);
  EXPECT_LT(RowOf(list1->m_list, "renamed3"), 0);
  EXPECT_LT(RowOf(list2->m_list, "renamed3"), 0);
  EXPECT_EQ(list1->m_list.GetItemCount() * 10 + list2->m_list.GetItemCount(), 11);
}

// As a user: a folder made from the context menu, a folder copied and pasted
// from one server to the other by the context menus, another one dragged.
TEST_F(TreeCmds, UserMakesAndCopiesFoldersWithTheMouse)
{
  MakeFile(Root(2), "copy me\\a.bin", 5000);
  MakeFile(Root(2), "copy me\\inner\\b.bin", 70001);
  MakeFile(Root(2), "drag me\\c.bin", 12345);
  MakeFolder(Root(3), "inbox");
  WriteAll(Root(2) + "\\copy me\\a.bin", Pattern(5000, 1));
  WriteAll(Root(2) + "\\copy me\\inner\\b.bin", Pattern(70001, 2));
  WriteAll(Root(2) + "\\drag me\\c.bin", Pattern(12345, 3));
  ASSERT_NO_FATAL_FAILURE(Make());
  host.SetForegroundWindow();
  CTreeCtrl& t1 = one->GetTreeCtrl();
  CTreeCtrl& t2 = two->GetTreeCtrl();
  HTREEITEM siteA = m_doc.m_sites[0]->m_hTreeNode, siteB = m_doc.m_sites[1]->m_hTreeNode1;
  CPoint p = viewhost::NodeCentre(t1, siteA);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return Child(one, siteA, "drag me") != nullptr; }));
  p = viewhost::NodeCentre(t2, siteB);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return Child(two, siteB, "inbox") != nullptr; }));
  ASSERT_TRUE(Idle());
  HTREEITEM copyMe = Child(one, siteA, "copy me"), dragMe = Child(one, siteA, "drag me");
  HTREEITEM inbox = Child(two, siteB, "inbox");
  ASSERT_TRUE(copyMe && dragMe && inbox);

  // Make Folder from the menu of a folder not yet opened, the name typed.
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(t1, copyMe, cmd::kMakeFolder, "views_treecmds_menu"));
  ASSERT_TRUE(viewhost::TypeLabel(t1, "typed name"));
  ASSERT_TRUE(Until([&] { return Child(one, copyMe, "typed name") != nullptr; }));
  EXPECT_TRUE(Exists(Root(2) + "\\copy me\\typed name"));
  EXPECT_EQ(one->m_contextNode, nullptr);

  // Copy in pane 1, Paste onto pane 2's folder, both from the menus.
  p = viewhost::NodeCentre(t2, inbox);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return t2.GetSelectedItem() == inbox; }));
  ASSERT_TRUE(Idle());
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(t1, copyMe, cmd::kCopy));
  ASSERT_TRUE(Until([] { return ::IsClipboardFormatAvailable(g_clipFormat) != FALSE; }, 5000));
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(t2, inbox, cmd::kPaste));
  const std::string in = Root(3) + "\\inbox";
  ASSERT_TRUE(Until([&] { return Exists(in + "\\copy me\\inner\\b.bin") && m_doc.GetTaskThreadCount() == 0; }, 60000));
  // The drag of the other folder onto the same folder.
  viewhost::DragUntil(viewhost::NodeCentre(t1, dragMe), viewhost::NodeCentre(t2, inbox),
                 [&] { return Exists(in + "\\drag me"); });
  ASSERT_TRUE(Until([&] { return Exists(in + "\\drag me\\c.bin") && m_doc.GetTaskThreadCount() == 0; }, 60000));
  for (const char* rel : {"copy me\\a.bin", "copy me\\inner\\b.bin", "drag me\\c.bin"})
    EXPECT_EQ(ReadAll(in + "\\" + rel), ReadAll(Root(2) + "\\" + rel)) << rel;
  EXPECT_TRUE(Exists(in + "\\copy me\\typed name"));
  EXPECT_EQ(LogCount(3, "PORT 127,0,0,2,") + LogCount(2, "PORT 127,0,0,3,"), 0) << "relayed";

  // The new folders show below pane 2's folder.
  ASSERT_TRUE(Until([&] { return Child(two, inbox, "copy me") && Child(two, inbox, "drag me"); }));
  t2.Expand(inbox, TVE_EXPAND);
  t1.Expand(copyMe, TVE_EXPAND);
  host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  viewhost::Shot("views_treecmds");
}

}  // namespace

// A folder node kept across the Delete box: while the box is up the node goes
// and the tree control gives its handle to a new node in another folder, which
// holds an entry of the deleted one's name. Answering the box deletes nothing
// anywhere. A late "entry added" for one folder adds nothing to another folder
// that now has the node the reply names.
TEST_F(TreeCmds, AReusedNodeHandleNamesNoOtherFolder)
{
  MakeFolder(Root(2), "hold\\x");
  MakeFolder(Root(2), "other\\x");
  Make();
  CTreeCtrl& t = one->GetTreeCtrl();
  HTREEITEM siteA = m_doc.m_sites[0]->m_hTreeNode;
  ASSERT_TRUE(SelectAndList(one, siteA) && Idle());
  HTREEITEM hold = Child(one, siteA, "hold"), other = Child(one, siteA, "other");
  ASSERT_TRUE(hold != nullptr && other != nullptr);
  ASSERT_TRUE(SelectAndList(one, other) && Idle());
  ASSERT_TRUE(SelectAndList(one, hold) && Idle());
  HTREEITEM x = Child(one, hold, "x");
  ASSERT_NE(x, nullptr);

  g_optionFlags |= 1u << OPTBIT_CONFIRM_DELETE_FILE;
  HTREEITEM fresh = nullptr;
  std::atomic<bool> boxSeen{false};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Operation Confirmation", 20000);
    if (box == nullptr)
      return;
    boxSeen = true;
    // x goes with its placeholder child: one of the next inserts gets its handle.
    t.DeleteItem(x);
    // Wine hands a freed item's memory to a later insert; which one depends
    // on what else the heap served meanwhile.
    for (int i = 0; i < 32 && fresh != x; ++i)
      fresh = t.InsertItem(("new" + std::to_string(i)).c_str(), other);
    boxdriver::Click(box, IDOK);
  });
  one->SetContextNode(x);
  one->OnDelete();
  driver.Join();
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_FILE);
  ASSERT_TRUE(boxSeen);
  ASSERT_EQ(fresh, x) << "the tree control gave new nodes other handles: nothing here is tested";
  ASSERT_TRUE(Idle());
  EXPECT_TRUE(Exists(Root(2) + "\\other\\x")) << "the entry of the reused node's folder was deleted";
  EXPECT_TRUE(Exists(Root(2) + "\\hold\\x"));

  // Replies name their folder: one for "hold" while "other" is shown adds nothing.
  ASSERT_TRUE(SelectAndList(one, other) && Idle());
  CString holdPath, otherPath;
  ASSERT_TRUE(one->NodePath(hold, &holdPath, nullptr) && one->NodePath(other, &otherPath, nullptr));
  EntryRecord late = Entry("late", kEntryFolder);
  snprintf(late.m_second, sizeof late.m_second, "%s", (const char*)holdPath);
  one->SendMessage(UWM_ENTRY_ADDED, (WPARAM)other, (LPARAM)&late);
  EXPECT_EQ(Child(one, other, "late"), nullptr);
  EXPECT_LT(RowOf(list1->m_list, "late"), 0);
  snprintf(late.m_second, sizeof late.m_second, "%s/", (const char*)otherPath);
  one->SendMessage(UWM_ENTRY_ADDED, (WPARAM)other, (LPARAM)&late);
  EXPECT_NE(Child(one, other, "late"), nullptr);
  EXPECT_GE(RowOf(list1->m_list, "late"), 0);
}
