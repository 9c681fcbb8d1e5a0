// The local list in the list pane of the view host, beside the real local
// tree, on the test prefix's disk: folders made and renamed by typing and the
// drive list's refusals; deletes (one operation for the longest paths, the
// list as the disk is after a failure part-way, a cancel); and a user of the
// whole host who queues, opens, drags, copies, pastes and deletes beside both
// real server panes while the queue workers move the files, and switches the
// lower rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "engine/shellseam.h"
#include "engine/viewslots.h"
#include "framework/ole.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/queue/queuefix.h"
#include "tests/views/viewhost.h"
#include "toolkit/clipboard.h"
#include "views/loclistview.h"
#include "views/loctreeview.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"
#include "views/viewcmds.h"

CWinApp theApp("views_loclist");

static const int s_unbuffered = setvbuf(stdout, nullptr, _IONBF, 0);

namespace {

using queuetest::Exists;
using viewhost::NodeCentre;
using viewhost::RowCentre;
using viewhost::WithErrorBoxes;

const uint32_t kBoxBits = (1u << OPTBIT_CONFIRM_UPLOAD) | (1u << OPTBIT_CONFIRM_DOWNLOAD) |
                          (1u << OPTBIT_CONFIRM_DELETE_FILE) | (1u << OPTBIT_CONFIRM_PASTE) |
                          (1u << OPTBIT_CONFIRM_DROP) | (1u << OPTBIT_QUEUE_AUTOSTART) | (1u << OPTBIT_SAVE_LAYOUT);

// The shell's file operation: forwarded to the real one and counted, or one
// that deletes the first half of its list and then fails. Properties sheets
// and opened files are recorded.
std::atomic<bool> g_halfThenFail{false};
std::atomic<int> g_fileOps{0};
std::vector<std::string> g_lastList, g_properties, g_opened;
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
BOOL FakeProperties(const char* path, HWND)
{
  g_properties.push_back(path);
  return TRUE;
}
INT_PTR RecordOpen(const char* target, int)
{
  g_opened.push_back(target);
  return 33;
}
BOOL RecordRun(const char*, int) { return TRUE; }
const ShellFileRunner kFileRunner = {&FakeFileOperation, &FakeProperties};
const ShellRunner kShellRunner = {&RecordOpen, &RecordRun};

// The recycle bin of the test's XDG data folder, emptied once per run.
std::string RecycleBin()
{
  const char* xdg = std::getenv("XDG_DATA_HOME");
  static const std::string bin = xdg != nullptr ? std::string("Z:") + xdg + "/Trash" : std::string();
  static const bool emptied = [] {
    std::string from = bin;
    from.append(2, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return bin.empty() || SHFileOperationA(&op) == 0;
  }();
  (void)emptied;
  return bin;
}

bool SameFile(const CString& path, const std::string& expected) { return path.CompareNoCase(expected.c_str()) == 0; }

struct Bench {
  queuetest::Harness harness;
  viewhost::CViewHost host;
  CLocTrView* treeView = nullptr;
  CTreeCtrl* tree = nullptr;
  CLocLiView* view = nullptr;
  CFileListCtrl* list = nullptr;
  std::string dir;

  Bench()
  {
    guitest::BecomeGuiThread();
    AfxOleInit();
    g_optionFlags &= ~kBoxBits;
    viewhost::TellViewColoursApart();
    g_fileOps = 0;
    g_halfThenFail = false;
    RecycleBin();
    SetShellFileRunner(&kFileRunner);
    SetShellRunner(&kShellRunner);
  }
  ~Bench()
  {
    SetShellFileRunner(nullptr);
    SetShellRunner(nullptr);
  }
  // All six views real, or the local pane's alone.
  bool Make(const char* name, bool allViews = false)
  {
    viewhost::HostViews views;
    views.funcView = true;
    views.Set(viewhost::kLocTree, RUNTIME_CLASS(CLocTrView)).Set(viewhost::kLocList, RUNTIME_CLASS(CLocLiView));
    if (allViews)
      views.Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView))
          .Set(viewhost::kSerTree1, RUNTIME_CLASS(CSerTrView1))
          .Set(viewhost::kSerList, RUNTIME_CLASS(CSerLiView))
          .Set(viewhost::kSerList1, RUNTIME_CLASS(CSerLiView1));
    if (!host.Make(views))
      return false;
    g_pMainFrame = &harness.frame;
    treeView = DYNAMIC_DOWNCAST(CLocTrView, host.View(viewhost::kLocTree));
    view = DYNAMIC_DOWNCAST(CLocLiView, host.View(viewhost::kLocList));
    if (treeView == nullptr || view == nullptr)
      return false;
    tree = &treeView->GetTreeCtrl();
    list = &view->m_list;
    host.SetForegroundWindow();
    dir = queuetest::FreshTemp(name);
    return true;
  }
  void Open(const std::string& path) { treeView->FollowFolder(path.c_str()); }
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
  b.Open(b.dir);
  HTREEITEM shown = b.tree->GetSelectedItem();
  ASSERT_EQ(b.Rows(), (std::set<std::string>{"a.txt", "sub"}));

  // Typed: the folder, its node and its row, which carries its full path.
  b.view->OnMakeFolder();
  ASSERT_TRUE(b.TypeLabel("made"));
  EXPECT_TRUE(Exists(b.dir + "\\made"));
  ASSERT_GE(b.Row("made"), 0);
  EXPECT_EQ(b.list->GetItemKind(b.Row("made")), kEntryFolder);
  EXPECT_TRUE(SameFile(b.view->RowPath(b.Row("made")), b.dir + "\\made"));
  HTREEITEM made = b.view->RowNode(b.Row("made"));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(b.tree->GetParentItem(made), shown);
  // An existing file's name and path characters fail as a refusal of the
  // system does; blanks make nothing. No row is left behind.
  for (const char* label : {"a.txt", "..\\..\\x", "   "}) {
    const std::vector<std::string> boxes = WithErrorBoxes([&] {
      b.view->OnMakeFolder();
      EXPECT_TRUE(b.TypeLabel(label)) << label;
    });
    EXPECT_EQ(boxes.size(), label[0] == ' ' ? 0u : 1u) << label;
    for (const std::string& box : boxes)
      EXPECT_EQ(box, "Create directory failed!");
    EXPECT_EQ(b.Rows(), (std::set<std::string>{"a.txt", "sub", "made"})) << label;
  }
  EXPECT_FALSE(Exists(b.dir + "\\..\\..\\x"));

  // a.txt renamed to " b.txt" is b.txt; a folder's node follows its rename.
  HTREEITEM sub = b.view->RowNode(b.Row("sub"));
  for (const char* from : {"a.txt", "sub"}) {
    b.Select({from});
    b.view->OnRename();
    ASSERT_TRUE(b.TypeLabel(from[0] == 'a' ? " b.txt" : "renamed"));
  }
  EXPECT_TRUE(Exists(b.dir + "\\b.txt") && Exists(b.dir + "\\renamed"));
  EXPECT_FALSE(Exists(b.dir + "\\a.txt"));
  EXPECT_TRUE(SameFile(b.view->RowPath(b.Row("b.txt")), b.dir + "\\b.txt"));
  EXPECT_EQ(std::string(b.tree->GetItemText(sub)), "renamed");
  // Refused: onto an existing name, or out of the folder. Nothing moves.
  for (const char* label : {"b.txt", "..\\up"}) {
    b.Select({"renamed"});
    EXPECT_EQ(viewhost::WithBoxes("Error", 0xFFFF, IDOK,
                                  [&] {
                                    b.view->OnRename();
                                    EXPECT_TRUE(b.TypeLabel(label));
                                  }),
              (std::vector<std::string>{"Rename failed ,"}))
        << label;
  }
  EXPECT_EQ(b.Rows(), (std::set<std::string>{"b.txt", "renamed", "made"}));
  EXPECT_TRUE(Exists(b.dir + "\\renamed"));

  // A folder made outside: Refresh (the toolbar's command) lists it, and
  // every folder once in the tree; a double click on its row opens it, also
  // when the folder shown was listed by a click that did not expand it.
  b.tree->Expand(shown, TVE_COLLAPSE);
  queuetest::MakeDirs(b.dir + "\\outside");
  queuetest::WriteAll(b.dir + "\\outside\\in.txt", "in");
  b.view->SendMessage(WM_COMMAND, viewcmd::kRefresh, 0);
  auto labels = [&](HTREEITEM parent) {
    std::vector<std::string> names;
    for (HTREEITEM n = b.tree->GetChildItem(parent); n != nullptr; n = b.tree->GetNextSiblingItem(n))
      names.push_back(std::string(b.tree->GetItemText(n)));
    std::sort(names.begin(), names.end());
    return names;
  };
  EXPECT_EQ(labels(shown), (std::vector<std::string>{"made", "outside", "renamed"}));
  ASSERT_GE(b.Row("outside"), 0);
  HTREEITEM outside = b.view->RowNode(b.Row("outside"));
  ASSERT_NE(outside, nullptr);
  const CPoint o = RowCentre(*b.list, b.Row("outside"));
  viewhost::Xdo(wintest::MoveTo(o.x, o.y) + " click --repeat 2 --delay 80 1");
  EXPECT_TRUE(wintest::PumpUntil([&] { return b.tree->GetSelectedItem() == outside; }, 5000));
  EXPECT_EQ(b.Rows(), (std::set<std::string>{"in.txt"}));
  EXPECT_EQ(labels(shown), (std::vector<std::string>{"made", "outside", "renamed"}));
  EXPECT_EQ(b.tree->GetParentItem(outside), shown);
  b.tree->SelectItem(shown);
  EXPECT_EQ(b.Rows(), (std::set<std::string>{"b.txt", "renamed", "made", "outside"}));

  // The drive list: no label edit renames a drive, no command acts on one.
  b.tree->SelectItem(b.tree->GetRootItem());
  ASSERT_GT(b.list->GetItemCount(), 3);
  b.Select({std::string(b.list->GetItemText(3, 0))});
  const std::vector<std::string> boxes = WithErrorBoxes([&] {
    b.list->SetFocus();
    b.list->EditLabel(3);
    EXPECT_TRUE(b.TypeLabel("Q"));
    b.view->OnDelete();
    b.view->OnAttribute();
    b.view->OnAddToQueue();
    b.view->OnMakeFolder();
    b.view->OnCopy();
  });
  EXPECT_EQ(boxes, (std::vector<std::string>{kDriveLetterText,
                                             "Selection error!  the operation cannot be executed here.",
                                             "Selection error!  the operation cannot be executed here.",
                                             "Please specify receiving path first!"}));
  EXPECT_EQ(g_fileOps.load(), 0);
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
  EXPECT_EQ(viewhost::WithBoxes("Operation Confirmation", 1169, IDCANCEL, [&] { b.view->OnDelete(); }),
            (std::vector<std::string>{"Delete the selection. Please confirm the action!"}));
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_FILE);
  EXPECT_EQ(g_fileOps.load(), 0);
  EXPECT_EQ(b.Rows(), names);

  // All 50 in one operation, into the recycle bin.
  b.view->OnSelectAll();
  b.view->OnDelete();
  EXPECT_EQ(g_fileOps.load(), 1);
  EXPECT_EQ(g_lastList.size(), 50u);
  EXPECT_TRUE(queuetest::EntriesIn(folder).empty());
  EXPECT_EQ(b.list->GetItemCount(), 0);
  const std::vector<std::string> binned = queuetest::EntriesIn(RecycleBin() + "/files");
  const std::set<std::string> inBin(binned.begin(), binned.end());
  EXPECT_TRUE(std::includes(inBin.begin(), inBin.end(), names.begin(), names.end()));

  // Half of them go, then the operation fails: the list is the folder on disk.
  makeFiles();
  g_halfThenFail = true;
  b.view->OnSelectAll();
  b.view->OnDelete();
  EXPECT_EQ(g_fileOps.load(), 2);
  const std::vector<std::string> left = queuetest::EntriesIn(folder);
  EXPECT_EQ(left.size(), 25u);
  EXPECT_EQ(b.Rows(), std::set<std::string>(left.begin(), left.end()));
  g_halfThenFail = false;

  // Past the path limit: "<folder>\dddddddddd.bak" is 263 characters, and cut
  // to 259 it names its neighbour "<folder>\dddddddddd". Delete and Properties
  // name the chosen file whole.
  const std::string deep = b.dir + "\\" + std::string(248 - b.dir.size() - 1, 'p');
  ASSERT_EQ(deep.size(), 248u);
  queuetest::MakeDirs(deep);
  tasktest::MakeFile(deep, "dddddddddd", 1);
  tasktest::MakeFile(deep, "dddddddddd.bak", 1);
  b.Open(deep);
  ASSERT_EQ(b.Rows(), (std::set<std::string>{"dddddddddd", "dddddddddd.bak"}));
  const std::string bak = deep + "\\dddddddddd.bak";
  ASSERT_EQ(bak.size(), 263u);
  b.list->SetItemState(-1, 0, LVIS_SELECTED);
  b.list->SetItemState(b.Row("dddddddddd.bak"), LVIS_SELECTED, LVIS_SELECTED);
  b.view->OnAttribute();
  ASSERT_FALSE(g_properties.empty());
  EXPECT_EQ(g_properties.back(), bak);
  g_properties.clear();
  b.view->OnDelete();
  EXPECT_EQ(g_lastList, std::vector<std::string>{bak});
  EXPECT_TRUE(tasktest::Exists(deep + "\\dddddddddd")) << "the neighbour of the cut path was deleted";
}

// The whole host, as a user meets it: the lower rows start on the local pane
// (bit 21 clear, whatever was saved), uploads are refused while pane 1 shows
// its sites and queued for its folder after; a file opened and its Properties;
// two files dragged onto pane 1's folder and pane 1's files copied and pasted
// into the local list, all moved by the queue workers; a row deleted from its
// context menu into the recycle bin; then the lower rows switched.
TEST(ViewsLocList, RealUseOfTheWholeHost)
{
  const queuetest::PeerLogin peer = queuetest::PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  g_dualServerView = 1;
  g_savedListSplit = 123;
  Bench b;
  CSiteItem* site = b.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  ASSERT_NE(site, nullptr);
  CopySiteText(site->m_remoteFolder, "/");
  site->SiteOptionDigits[3] = '0';  // the local tree stays where the user puts it
  const std::string remote = peer.root + "\\real";
  queuetest::MakeDirs(remote + "\\up");
  queuetest::WriteAll(remote + "\\r1.bin", queuetest::Pattern(70000, 3));
  queuetest::WriteAll(remote + "\\r2.bin", queuetest::Pattern(999, 4));
  ASSERT_TRUE(b.Make("real", true));
  CListPaneDlg& pane = b.host.ListPane();
  auto* second = DYNAMIC_DOWNCAST(CSerLiView1, pane.List(CListPaneDlg::kSerList1));
  auto* serverList = DYNAMIC_DOWNCAST(CSerLiView, pane.List(CListPaneDlg::kSerList));
  auto* server = DYNAMIC_DOWNCAST(CSerTrView, b.host.View(viewhost::kSerTree));
  ASSERT_TRUE(second != nullptr && serverList != nullptr && server != nullptr);
  EXPECT_EQ(g_dualServerView, 0);
  EXPECT_TRUE(b.view->IsWindowVisible() && !second->IsWindowVisible());
  // The first row 0.4 of the page as it was made; the saved height not kept.
  CRect made(0, 0, 300, 500);
  pane.MapDialogRect(&made);
  int height = 0, minimum = -1;
  pane.m_splitter.GetRowInfo(0, height, minimum);
  EXPECT_EQ(height, made.Height() * 2 / 5);
  EXPECT_EQ(minimum, 0);

  const std::string f1 = queuetest::Pattern(50000, 5), f2 = queuetest::Pattern(123, 6);
  queuetest::MakeDirs(b.dir + "\\work\\in");
  queuetest::WriteAll(b.dir + "\\work\\f1.bin", f1);
  queuetest::WriteAll(b.dir + "\\work\\f2.bin", f2);
  queuetest::WriteAll(b.dir + "\\work\\gone.txt", "bin");
  // The local folder opened by a click in the tree.
  b.Open(b.dir);
  HTREEITEM work = nullptr;
  for (HTREEITEM n = b.tree->GetChildItem(b.tree->GetSelectedItem()); n != nullptr; n = b.tree->GetNextSiblingItem(n))
    if (b.tree->GetItemText(n) == "work")
      work = n;
  ASSERT_NE(work, nullptr);
  CPoint p = NodeCentre(*b.tree, work);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return b.Rows().count("f1.bin") == 1; }));

  // Pane 1 at its sites: uploads refused. Then at the site: one "->" per row.
  b.Select({"f1.bin", "in"});
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnAddToQueue(); }),
            (std::vector<std::string>{"Please specify receiving path first!"}));
  CTreeCtrl& st = server->GetTreeCtrl();
  st.SelectItem(site->m_hTreeNode);
  b.view->OnAddToQueue();
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.host.QueuedItems().size() == 2; }, 5000));
  for (const CPlanItem* item : b.host.QueuedItems()) {
    EXPECT_STREQ(item->m_direction, "->");
    EXPECT_STREQ(item->m_remotePath, "/");
    EXPECT_STREQ(item->m_host, site->m_host);
    EXPECT_TRUE(SameFile(item->m_localPath, b.dir + "\\work"));
    EXPECT_EQ(item->m_kind, strcmp(item->m_fileName, "in") == 0 ? kEntryFolder : kEntryFile);
  }
  EXPECT_EQ(site->m_queueRun.load(), 1);
  b.host.FuncView()->QueuePage()->SendMessage(WM_COMMAND, ID_QUEUE_CLEAR, 0);
  // A file opened with its program by its full path; the first row's Properties.
  b.Select({"f2.bin"});
  b.view->OnView();
  EXPECT_EQ(g_opened.size(), 1u);
  EXPECT_TRUE(!g_opened.empty() && SameFile(g_opened[0].c_str(), b.dir + "\\work\\f2.bin"));
  b.Select({"f1.bin", "f2.bin"});
  b.view->OnAttribute();
  EXPECT_EQ(g_properties, (std::vector<std::string>{std::string(b.view->RowPath(b.Row("f1.bin")))}));

  // Pane 1 opened at "real" by clicks.
  auto child = [&](HTREEITEM parent, const char* label) -> HTREEITEM {
    for (HTREEITEM n = st.GetChildItem(parent); n != nullptr; n = st.GetNextSiblingItem(n))
      if (st.GetItemText(n) == label)
        return n;
    return nullptr;
  };
  ASSERT_TRUE(wintest::PumpUntil([&] { return child(site->m_hTreeNode, "real") != nullptr; }, 20000));
  HTREEITEM real = child(site->m_hTreeNode, "real");
  p = NodeCentre(st, real);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return child(real, "up") != nullptr; }));
  HTREEITEM up = child(real, "up");

  // Two files selected by clicks and dragged onto pane 1's folder "up".
  ASSERT_TRUE(viewhost::ClickTwoRows(*b.list, "f1.bin", "f2.bin"));
  const CPoint f2Row = RowCentre(*b.list, b.Row("f2.bin"));
  auto queued = [&](const char* direction) {
    int n = 0;
    for (const CPlanItem* i : b.host.QueuedItems())
      n += strcmp(i->m_direction, direction) == 0;
    return n;
  };
  ASSERT_TRUE(viewhost::DragUntil(f2Row, NodeCentre(st, up), [&] { return queued("->") == 2; }));
  ASSERT_TRUE(b.harness.Run(90000)) << queuetest::QueueLogText();
  EXPECT_TRUE(queuetest::ReadAll(remote + "\\up\\f1.bin") == f1);
  EXPECT_TRUE(queuetest::ReadAll(remote + "\\up\\f2.bin") == f2);

  // Pane 1's two files copied from its context menu, pasted from the local
  // list's (no row under the pointer): downloaded.
  st.SelectItem(real);
  ASSERT_TRUE(wintest::PumpUntil([&] { return serverList->m_list.GetItemCount() == 3; }, 20000));
  serverList->m_list.SetItemState(-1, 0, LVIS_SELECTED);
  int r1 = -1;
  for (int i = 0; i < 3; ++i) {
    if (serverList->m_list.GetItemKind(i) == kRowFile)
      serverList->m_list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    if (serverList->m_list.GetItemText(i, 0) == "r1.bin")
      r1 = i;
  }
  ASSERT_TRUE(::OpenClipboard(b.view->m_hWnd) && ::EmptyClipboard() && ::CloseClipboard());
  // The queue's run brought its tab up: the user goes back to the lists.
  ASSERT_TRUE(b.host.ShowFilesList());
  ASSERT_TRUE(viewhost::MenuCommandAt(RowCentre(serverList->m_list, r1), 57634,
                                      [&] { return ::IsClipboardFormatAvailable(g_clipFormat) != FALSE; }));
  b.list->SetItemState(-1, 0, LVIS_SELECTED);
  CRect frame;
  b.list->GetWindowRect(&frame);
  ASSERT_TRUE(viewhost::MenuCommandAt(CPoint(frame.left + 60, frame.bottom - 30), 57637,
                                      [&] { return queued("<-") == 2; }));
  ASSERT_TRUE(b.harness.Run(90000)) << queuetest::QueueLogText();
  EXPECT_TRUE(queuetest::ReadAll(b.dir + "\\work\\r1.bin") == queuetest::Pattern(70000, 3));
  EXPECT_TRUE(queuetest::ReadAll(b.dir + "\\work\\r2.bin") == queuetest::Pattern(999, 4));

  // A local row deleted from its context menu: in the recycle bin, off the list.
  b.view->OnRefresh();
  b.Select({"gone.txt"});
  ASSERT_TRUE(viewhost::MenuCommandAt(RowCentre(*b.list, b.Row("gone.txt")), 32821,
                                      [&] { return b.Row("gone.txt") < 0; }));
  EXPECT_FALSE(Exists(b.dir + "\\work\\gone.txt"));
  EXPECT_EQ(queuetest::ReadAll(RecycleBin() + "/files/gone.txt"), "bin");

  // The look, before and after the lower rows switch (twice over) to the
  // second server pane; each list keeps its rows.
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.harness.doc->GetTaskThreadCount() == 0; }, 20000));
  const std::set<std::string> rows = b.Rows();
  const int sites = second->m_list.GetItemCount();
  b.host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  viewhost::Shot("views_loclist_local");
  b.host.ShowSecondServer(true);
  EXPECT_EQ(pane.SendMessage(UWM_SWITCH_LIST_PANE, 0, 0), 0);
  EXPECT_TRUE(second->IsWindowVisible() && !b.view->IsWindowVisible());
  b.host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  viewhost::Shot("views_loclist_dual");
  b.host.ShowSecondServer(false);
  EXPECT_TRUE(b.view->IsWindowVisible() && !second->IsWindowVisible());
  EXPECT_EQ(b.Rows(), rows);
  EXPECT_EQ(second->m_list.GetItemCount(), sites);
  b.harness.StopSites();
}

}  // namespace
