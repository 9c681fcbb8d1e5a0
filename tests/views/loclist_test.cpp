// The local list in the view host beside the real local tree, on the test
// prefix's disk: folders made and renamed by typing, deletes (one operation
// for the longest paths, the list as the disk is after a failure part-way, a
// cancel), the commands at the drive list, uploads queued for pane 1's folder,
// View and Attribute through the shell seams, the list pane's row 1 switched,
// and a user who drags, copies, pastes and deletes with the pointer beside
// both real server panes while the queue workers move the files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "engine/planthread.h"
#include "engine/shellseam.h"
#include "engine/viewslots.h"
#include "framework/ole.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/queue/queuefix.h"
#include "tests/views/viewhost.h"
#include "toolkit/clipboard.h"
#include "views/loclistview.h"
#include "views/loctreeview.h"
#include "views/payloadtransfer.h"
#include "views/sertreeview.h"

CWinApp theApp("views_loclist");

static const int s_unbuffered = setvbuf(stdout, nullptr, _IONBF, 0);

namespace {

using queuetest::Exists;

const uint32_t kBoxBits = (1u << OPTBIT_CONFIRM_UPLOAD) | (1u << OPTBIT_CONFIRM_DOWNLOAD) |
                          (1u << OPTBIT_CONFIRM_DELETE_FILE) | (1u << OPTBIT_CONFIRM_PASTE) |
                          (1u << OPTBIT_CONFIRM_DROP) | (1u << OPTBIT_QUEUE_AUTOSTART) | (1u << OPTBIT_SAVE_LAYOUT);

using viewhost::WithBoxes;
using viewhost::WithErrorBoxes;
using viewhost::NodeCentre;
using viewhost::RowCentre;

// The shell's file operation: forwarded to the real one and counted, or one
// that deletes the first half of its list and then fails.
std::atomic<bool> g_halfThenFail{false};
std::atomic<int> g_fileOps{0};
std::vector<std::string> g_lastList;
int FakeFileOperation(SHFILEOPSTRUCTA* op)
{
  ++g_fileOps;
  g_lastList.clear();
  for (const char* p = op->pFrom; *p != '\0'; p += strlen(p) + 1)
    g_lastList.push_back(p);
  if (!g_halfThenFail)
    return SHFileOperationA(op);
  for (size_t i = 0; i < g_lastList.size() / 2; ++i)
    ::DeleteFileA(g_lastList[i].c_str());
  return 0x78;
}
std::vector<std::string> g_properties;
BOOL FakeProperties(const char* path, HWND)
{
  g_properties.push_back(path);
  return TRUE;
}
const ShellFileRunner kFileRunner = {&FakeFileOperation, &FakeProperties};
std::vector<std::string> g_opened;
INT_PTR RecordOpen(const char* target, int)
{
  g_opened.push_back(target);
  return 33;
}
BOOL RecordRun(const char*, int) { return TRUE; }
const ShellRunner kShellRunner = {&RecordOpen, &RecordRun};

struct Bench {
  queuetest::Harness harness;
  viewhost::CViewHost host;
  CLocTrView* treeView = nullptr;
  CTreeCtrl* tree = nullptr;
  CLocLiView* view = nullptr;
  CFileListCtrl* list = nullptr;
  CSerTrView* server = nullptr;
  std::string dir;

  Bench()
  {
    guitest::BecomeGuiThread();
    AfxOleInit();
    g_optionFlags &= ~kBoxBits;
    // Four colours told apart: local tree, local list, server trees, server lists.
    g_viewColors[0] = RGB(255, 250, 220);
    g_viewColors[1] = RGB(220, 255, 220);
    g_viewColors[2] = RGB(220, 230, 255);
    g_viewColors[3] = RGB(255, 225, 240);
    g_fileOps = 0;
    g_halfThenFail = false;
    g_properties.clear();
    g_opened.clear();
    SetShellFileRunner(&kFileRunner);
    SetShellRunner(&kShellRunner);
  }
  ~Bench()
  {
    SetShellFileRunner(nullptr);
    SetShellRunner(nullptr);
  }
  // allViews: the second server pane and both server lists are real too.
  bool Make(const char* name, bool allViews = false)
  {
    viewhost::HostViews views;
    views.Set(viewhost::kLocTree, RUNTIME_CLASS(CLocTrView))
        .Set(viewhost::kLocList, RUNTIME_CLASS(CLocLiView))
        .Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView));
    if (allViews)
      views.Set(viewhost::kSerTree1, RUNTIME_CLASS(CSerTrView1));
    if (!host.Make(views))
      return false;
    g_pFuncView = &harness.view;
    g_pMainFrame = &harness.frame;
    treeView = DYNAMIC_DOWNCAST(CLocTrView, host.View(viewhost::kLocTree));
    view = DYNAMIC_DOWNCAST(CLocLiView, host.View(viewhost::kLocList));
    server = DYNAMIC_DOWNCAST(CSerTrView, host.View(viewhost::kSerTree));
    if (treeView == nullptr || view == nullptr || server == nullptr)
      return false;
    tree = &treeView->GetTreeCtrl();
    list = &view->m_list;
    host.SetForegroundWindow();
    dir = queuetest::FreshTemp(name);
    return true;
  }
  HTREEITEM Open(const std::string& path)
  {
    treeView->FollowFolder(path.c_str());
    return tree->GetSelectedItem();
  }
  HTREEITEM Child(HTREEITEM parent, const char* label) const
  {
    for (HTREEITEM c = tree->GetChildItem(parent); c != nullptr; c = tree->GetNextSiblingItem(c))
      if (tree->GetItemText(c) == label)
        return c;
    return nullptr;
  }
  int Row(const char* name) const
  {
    for (int i = 0; i < list->GetItemCount(); ++i)
      if (list->GetItemText(i, 0) == name)
        return i;
    return -1;
  }
  std::set<std::string> Rows() const
  {
    std::set<std::string> names;
    for (int i = 0; i < list->GetItemCount(); ++i)
      names.insert(std::string(list->GetItemText(i, 0)));
    return names;
  }
  void Select(const std::vector<std::string>& names)
  {
    list->SetItemState(-1, 0, LVIS_SELECTED);
    for (const std::string& n : names)
      list->SetItemState(Row(n.c_str()), LVIS_SELECTED, LVIS_SELECTED);
  }
  // Types into the row's label edit with the keyboard, then Return.
  bool TypeLabel(const std::string& text)
  {
    if (!wintest::PumpUntil([&] { return list->GetEditControl() != nullptr; }, 5000))
      return false;
    HWND edit = list->GetEditControl()->m_hWnd;
    if (!viewhost::TypeInto(edit, text))
      return false;
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    return wintest::PumpUntil([&] { return list->GetEditControl() == nullptr; }, 5000);
  }
};

TEST(ViewsLocList, FoldersMadeAndRenamedByTypingAndTheDriveList)
{
  Bench b;
  ASSERT_TRUE(b.Make("edit"));
  queuetest::WriteAll(b.dir + "\\a.txt", "aaa");
  queuetest::MakeDirs(b.dir + "\\sub");
  HTREEITEM shown = b.Open(b.dir);
  ASSERT_EQ(b.Rows(), (std::set<std::string>{"a.txt", "sub"}));
  // The rows carry their full paths; the list its colour of the local list.
  EXPECT_EQ(CString(b.view->RowPath(b.Row("a.txt"))).CompareNoCase((b.dir + "\\a.txt").c_str()), 0);
  EXPECT_EQ(b.list->GetBkColor(), (COLORREF)g_viewColors[1]);

  // Typed: the folder, its node and its row (with its full path).
  b.view->OnMakeFolder();
  ASSERT_TRUE(b.TypeLabel("made"));
  EXPECT_TRUE(Exists(b.dir + "\\made"));
  EXPECT_NE(b.Child(shown, "made"), nullptr);
  ASSERT_GE(b.Row("made"), 0);
  EXPECT_EQ(b.list->GetItemKind(b.Row("made")), kEntryFolder);
  EXPECT_EQ(CString(b.view->RowPath(b.Row("made"))).CompareNoCase((b.dir + "\\made").c_str()), 0);
  // An existing file's name and path characters fail as the system's refusal
  // does; blanks make nothing, silently. No row is left behind.
  for (const char* label : {"a.txt", "..\\..\\x", "   "}) {
    const std::vector<std::string> boxes = WithErrorBoxes([&] {
      b.view->OnMakeFolder();
      ASSERT_TRUE(b.TypeLabel(label)) << label;
    });
    EXPECT_EQ(boxes, strcmp(label, "   ") == 0 ? std::vector<std::string>{}
                                                 : std::vector<std::string>{"Create directory failed!"})
        << label;
    EXPECT_EQ(b.Rows(), (std::set<std::string>{"a.txt", "sub", "made"})) << label;
  }
  EXPECT_FALSE(Exists(b.dir + "\\..\\..\\x"));

  // a.txt renamed to " b.txt" is b.txt; a folder's node follows its rename.
  b.Select({"a.txt"});
  b.view->OnRename();
  ASSERT_TRUE(b.TypeLabel(" b.txt"));
  EXPECT_TRUE(Exists(b.dir + "\\b.txt"));
  EXPECT_FALSE(Exists(b.dir + "\\a.txt"));
  ASSERT_GE(b.Row("b.txt"), 0);
  EXPECT_EQ(CString(b.view->RowPath(b.Row("b.txt"))).CompareNoCase((b.dir + "\\b.txt").c_str()), 0);
  HTREEITEM sub = b.Child(shown, "sub");
  b.Select({"sub"});
  b.view->OnRename();
  ASSERT_TRUE(b.TypeLabel("renamed"));
  EXPECT_TRUE(Exists(b.dir + "\\renamed"));
  EXPECT_EQ(std::string(b.tree->GetItemText(sub)), "renamed");
  // Refused: onto an existing name, or out of the folder. Nothing moves.
  for (const char* label : {"b.txt", "..\\up"}) {
    b.Select({"renamed"});
    EXPECT_EQ(WithBoxes("Error", 0xFFFF, IDOK,
                        [&] {
                          b.view->OnRename();
                          ASSERT_TRUE(b.TypeLabel(label));
                        }),
              (std::vector<std::string>{"Rename failed ,"}))
        << label;
  }
  EXPECT_EQ(b.Rows(), (std::set<std::string>{"b.txt", "renamed", "made"}));
  EXPECT_TRUE(Exists(b.dir + "\\renamed"));

  // The drive list: no label edit renames a drive, no command acts on one.
  b.tree->SelectItem(b.tree->GetRootItem());
  ASSERT_GT(b.list->GetItemCount(), 3);
  b.list->SetItemState(-1, 0, LVIS_SELECTED);
  b.list->SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
  std::vector<std::string> boxes = WithErrorBoxes([&] {
    b.list->SetFocus();
    b.list->EditLabel(3);
    ASSERT_TRUE(b.TypeLabel("Q"));
    b.view->OnDelete();
    b.view->OnAttribute();
    b.view->OnAddToQueue();
    b.view->OnMakeFolder();
    b.view->OnCopy();
  });
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "Can't change drive letter here, but you can change it using the tool provided by operating "
                       "system.",
                       "Selection error!  the operation cannot be executed here.",
                       "Selection error!  the operation cannot be executed here.",
                       "Please specify receiving path first!"}));
  EXPECT_EQ(b.list->GetEditControl(), nullptr);
  EXPECT_EQ(g_fileOps.load(), 0);
  EXPECT_TRUE(g_properties.empty());
  // A double click on a drive row opens it in the tree.
  HTREEITEM drive = b.view->RowNode(3);
  ASSERT_NE(drive, nullptr);
  const CPoint p = RowCentre(*b.list, 3);
  viewhost::Xdo(wintest::MoveTo(p.x, p.y) + " click --repeat 2 --delay 80 1");
  EXPECT_TRUE(wintest::PumpUntil([&] { return b.tree->GetSelectedItem() == drive; }, 5000));
}

TEST(ViewsLocList, DeletesLeaveTheListAsTheDiskIs)
{
  Bench b;
  ASSERT_TRUE(b.Make("del"));
  // 50 files whose full paths are 250 to 259 characters long.
  const std::string folder = b.dir + "\\long";
  queuetest::MakeDirs(folder);
  ASSERT_LT(folder.size() + 12, 250u);
  std::set<std::string> names;
  auto makeFiles = [&] {
    for (int i = 0; i < 50; ++i) {
      std::string name = std::to_string(100 + i) + "_";
      name += std::string(250 + i % 10 - folder.size() - 1 - name.size(), (char)('a' + i % 26));
      queuetest::WriteAll(folder + "\\" + name, "x");
      names.insert(name);
    }
    b.view->OnRefresh();
  };
  b.Open(folder);
  makeFiles();
  ASSERT_EQ(b.Rows(), names);
  EXPECT_EQ(b.view->RowPath(b.Row(names.rbegin()->c_str())).GetLength(), 259);

  // Nothing selected: the box. Cancel in the confirmation: nothing changes.
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnDelete(); }),
            (std::vector<std::string>{"Selection error!  the operation cannot be executed here."}));
  b.view->OnSelectAll();
  g_optionFlags |= 1u << OPTBIT_CONFIRM_DELETE_FILE;
  EXPECT_EQ(WithBoxes("Operation Confirmation", 1169, IDCANCEL, [&] { b.view->OnDelete(); }),
            (std::vector<std::string>{"Delete the selection. Please confirm the action!"}));
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_FILE);
  EXPECT_EQ(g_fileOps.load(), 0);
  EXPECT_EQ(b.Rows(), names);

  // All 50 in one operation, to the recycle bin.
  b.view->OnSelectAll();
  b.view->OnDelete();
  EXPECT_EQ(g_fileOps.load(), 1);
  EXPECT_EQ(g_lastList.size(), 50u);
  EXPECT_TRUE(queuetest::EntriesIn(folder).empty());
  EXPECT_EQ(b.list->GetItemCount(), 0);

  // Half of them go, then the operation fails: the list is the folder on disk.
  makeFiles();
  g_halfThenFail = true;
  b.view->OnSelectAll();
  b.view->OnDelete();
  EXPECT_EQ(g_fileOps.load(), 2);
  const std::vector<std::string> left = queuetest::EntriesIn(folder);
  EXPECT_EQ(left.size(), 25u);
  EXPECT_EQ(b.Rows(), std::set<std::string>(left.begin(), left.end()));
}

TEST(ViewsLocList, QueueViewAttributeAndPaste)
{
  const queuetest::PeerLogin peer = queuetest::PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  Bench b;
  CSiteItem* site = b.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  ASSERT_NE(site, nullptr);
  CopySiteText(site->m_remoteFolder, "/");
  ASSERT_TRUE(b.Make("queue"));
  queuetest::WriteAll(b.dir + "\\one.bin", queuetest::Pattern(3000, 1));
  queuetest::WriteAll(b.dir + "\\two.bin", "22");
  queuetest::MakeDirs(b.dir + "\\dir");
  b.Open(b.dir);

  // Pane 1 at its site list: refused, nothing queued.
  b.Select({"one.bin", "two.bin", "dir"});
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnAddToQueue(); }),
            (std::vector<std::string>{"Please specify receiving path first!"}));
  b.harness.Pump(100);
  EXPECT_TRUE(b.harness.view.m_items.empty());
  // Pane 1 at the site's folder: one "->" item per row with that folder and site.
  b.server->GetTreeCtrl().SelectItem(site->m_hTreeNode);
  b.view->OnAddToQueue();
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.harness.view.m_items.size() == 3; }, 5000));
  std::set<std::string> queued;
  for (const CPlanItem* item : b.harness.view.m_items) {
    EXPECT_STREQ(item->m_direction, "->");
    EXPECT_STREQ(item->m_remotePath, "/");
    EXPECT_STREQ(item->m_host, site->m_host);
    EXPECT_EQ(item->m_port, peer.port);
    EXPECT_EQ(CString(item->m_localPath).CompareNoCase(b.dir.c_str()), 0);
    EXPECT_EQ(item->m_kind, strcmp(item->m_fileName, "dir") == 0 ? kEntryFolder : kEntryFile);
    queued.insert(item->m_fileName);
  }
  EXPECT_EQ(queued, (std::set<std::string>{"one.bin", "two.bin", "dir"}));
  EXPECT_EQ(site->m_queueRun.load(), 1);

  // View of a file: its full path to the shell; Attribute: the first row's sheet.
  b.Select({"two.bin"});
  b.view->OnView();
  ASSERT_EQ(g_opened.size(), 1u);
  EXPECT_EQ(CString(g_opened[0].c_str()).CompareNoCase((b.dir + "\\two.bin").c_str()), 0);
  b.Select({"one.bin", "two.bin"});
  b.view->OnAttribute();
  ASSERT_EQ(g_properties.size(), 1u);
  EXPECT_EQ(CString(g_properties[0].c_str()).CompareNoCase((b.dir + "\\one.bin").c_str()), 0);
  // Copy in the list, Paste onto a folder row: copied into that folder.
  b.Select({"one.bin"});
  b.view->OnCopy();
  b.Select({"dir"});
  b.view->OnPaste();
  EXPECT_EQ(queuetest::ReadAll(b.dir + "\\dir\\one.bin"), queuetest::Pattern(3000, 1));
  // View of a folder row opens its node.
  b.Select({"dir"});
  b.view->OnView();
  EXPECT_EQ(b.tree->GetItemText(b.tree->GetSelectedItem()), "dir");
  EXPECT_EQ(b.Rows(), (std::set<std::string>{"one.bin"}));
  b.harness.StopSites();
}

TEST(ViewsLocList, TheListPaneShowsOneListInRowOneAndKeepsTheOther)
{
  // Bit 21 clear: the dual server view starts cleared, whatever was saved.
  g_dualServerView = 1;
  g_savedListSplit = 123;
  Bench b;
  ASSERT_TRUE(b.Make("pane", true));
  CListPaneDlg& pane = b.host.ListPane();
  CWnd* second = pane.List(CListPaneDlg::kSerList1);
  EXPECT_EQ(g_dualServerView, 0);
  EXPECT_TRUE(b.view->IsWindowVisible());
  EXPECT_FALSE(second->IsWindowVisible());
  // Its first row 0.4 of the page as made (the saved height is not kept).
  CRect made(0, 0, 300, 500);
  pane.MapDialogRect(&made);
  int height = 0, minimum = -1;
  pane.m_splitter.GetRowInfo(0, height, minimum);
  EXPECT_EQ(height, made.Height() * 2 / 5);
  EXPECT_EQ(minimum, 0);
  queuetest::WriteAll(b.dir + "\\kept.txt", "k");
  b.Open(b.dir);
  // Switched (twice over), and back: each list keeps its rows.
  for (int dual : {1, 1, 0, 0}) {
    g_dualServerView = dual;
    EXPECT_EQ(pane.SendMessage(UWM_SWITCH_LIST_PANE, 0, 0), 0);
    EXPECT_EQ(second->IsWindowVisible() != FALSE, dual != 0);
    EXPECT_EQ(b.view->IsWindowVisible() != FALSE, dual == 0);
    EXPECT_EQ(b.Rows(), (std::set<std::string>{"kept.txt"}));
  }
}

}  // namespace
