// The local folder tree in the view host on the test prefix's disk: the root's
// folders and drives, a folder listed with hidden entries, long names and a
// sparse 5 GiB file, folders made and renamed by typing, deletes that fail,
// local copies through the shell, pastes, and a folder queued for upload that
// the queue workers send to the loopback pyftpdlib server.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "engine/engineutil.h"
#include "engine/launchers.h"
#include "engine/planthread.h"
#include "engine/shellseam.h"
#include "engine/viewslots.h"
#include "framework/ole.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/queue/queuefix.h"
#include "tests/support/tempfolder.h"
#include "tests/views/viewhost.h"
#include "toolkit/clipboard.h"
#include "views/filelistctrl.h"
#include "views/loctreeview.h"
#include "views/payloadtransfer.h"
#include "views/sertreeview.h"

CWinApp theApp("views_loctree");

// Every line out at once: nothing is lost should the program end abruptly.
static const int s_unbuffered = setvbuf(stdout, nullptr, _IONBF, 0);

namespace {

using viewhost::WithErrorBoxes;

using queuetest::Exists;

const uint32_t kBoxBits = (1u << OPTBIT_CONFIRM_UPLOAD) | (1u << OPTBIT_CONFIRM_DELETE_FILE) |
                          (1u << OPTBIT_CONFIRM_PASTE) | (1u << OPTBIT_CONFIRM_DROP) | (1u << OPTBIT_SHOW_HIDDEN) |
                          (1u << OPTBIT_QUEUE_AUTOSTART);


// The queue harness (document, function view and main frame stand-ins) with
// the local tree hosted; the confirmations are off.
struct Bench {
  queuetest::Harness harness;
  viewhost::CViewHost host;
  CLocTrView* view = nullptr;
  CTreeCtrl* tree = nullptr;
  CFileListCtrl* list = nullptr;
  viewhost::CHostListView* listView = nullptr;
  std::string dir;

  ~Bench()
  {
    if (!dir.empty())
      testsupport::RemoveFolderTree(dir);
  }
  // serverTree: the first server tree is the real one (over the harness's
  // document), not a stand-in.
  bool Make(const char* name, bool serverTree = false)
  {
    AfxOleInit();
    g_optionFlags &= ~kBoxBits;
    viewhost::TellViewColoursApart();
    viewhost::HostViews views;
    views.funcView = true;
    views.Set(viewhost::kLocTree, RUNTIME_CLASS(CLocTrView));
    if (serverTree)
      views.Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView));
    if (!host.Make(views))
      return false;
    g_pMainFrame = &harness.frame;
    view = DYNAMIC_DOWNCAST(CLocTrView, host.View(viewhost::kLocTree));
    listView = static_cast<viewhost::CHostListView*>(host.View(viewhost::kLocList));  // a stand-in
    if (view == nullptr || listView == nullptr)
      return false;
    tree = &view->GetTreeCtrl();
    list = &listView->m_list;
    host.SetForegroundWindow();
    dir = queuetest::FreshTemp(name);
    return true;
  }
  HTREEITEM Selected() const { return tree->GetSelectedItem(); }
  std::string SelectedPath() const { return std::string(view->SelectedPath()); }
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
  // Opens dir in the tree (the tree follows it down from the drive).
  HTREEITEM Open(const std::string& path)
  {
    view->FollowFolder(path.c_str());
    return Selected();
  }
  // Clicks a node's label as a user does, until it is selected.
  bool ClickNode(HTREEITEM node)
  {
    tree->EnsureVisible(node);
    RECT r;
    if (!tree->GetItemRect(node, &r, TRUE))
      return false;
    CPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    tree->ClientToScreen(&p);
    return wintest::ClickUntil(p.x, p.y, [&] { return Selected() == node; });
  }
  bool TypeLabel(const std::string& text) { return viewhost::TypeLabel(*tree, text); }
};

void MakeFileOf(const std::string& path, size_t size)
{
  queuetest::WriteAll(path, std::string(size, 'x'));
}

// The shell's file operation as the tests want it: forwarded to the real one
// and counted, or failing in one of three ways.
enum class FileOpMode { kReal, kError, kAborted, kPartial };
std::atomic<FileOpMode> g_fileOpMode{FileOpMode::kReal};
std::atomic<int> g_fileOps{0};
std::string g_lastFrom;

int FakeFileOperation(SHFILEOPSTRUCTA* op)
{
  ++g_fileOps;
  const char* end = op->pFrom;
  while (*end != '\0')
    end += strlen(end) + 1;
  g_lastFrom.assign(op->pFrom, end - op->pFrom + 1);
  switch (g_fileOpMode.load()) {
    case FileOpMode::kReal: return SHFileOperationA(op);
    case FileOpMode::kError: return 0x78;  // the shell's "access denied"
    case FileOpMode::kAborted: op->fAnyOperationsAborted = TRUE; return 0;
    case FileOpMode::kPartial: {
      // One file of the folder goes, then the operation fails.
      ::DeleteFileA((std::string(op->pFrom) + "\\one.txt").c_str());
      return 0x20;
    }
  }
  return 1;
}

std::vector<std::string> g_properties;
BOOL FakeProperties(const char* path, HWND)
{
  g_properties.push_back(path);
  return TRUE;
}
const ShellFileRunner kFakeRunner = {&FakeFileOperation, &FakeProperties};

struct ShellFake {
  ShellFake()
  {
    g_fileOpMode = FileOpMode::kReal;
    g_fileOps = 0;
    g_properties.clear();
    SetShellFileRunner(&kFakeRunner);
  }
  ~ShellFake() { SetShellFileRunner(nullptr); }
};

TEST(ViewsLocTree, RootFoldersAndDrivesListingAndFollowingASite)
{
  guitest::BecomeGuiThread();
  Bench b;
  ASSERT_TRUE(b.Make("listing"));
  HTREEITEM root = b.tree->GetRootItem();
  ASSERT_EQ(b.Selected(), root);
  EXPECT_EQ(std::string(b.tree->GetItemText(root)), "Local Disk");
  std::vector<int> data;
  std::vector<std::string> drives;
  for (HTREEITEM c = b.tree->GetChildItem(root); c != nullptr; c = b.tree->GetNextSiblingItem(c)) {
    data.push_back((int)b.tree->GetItemData(c));
    if (data.back() >= 3)
      drives.push_back(std::string(b.view->NodePath(c)));
  }
  ASSERT_GE(data.size(), 5u);
  EXPECT_EQ(std::vector<int>(data.begin(), data.begin() + 3), (std::vector<int>{0, 1, 2}));
  for (size_t i = 3; i < data.size(); ++i)
    EXPECT_EQ(data[i], (int)i);
  EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
  EXPECT_NE(std::find(drives.begin(), drives.end(), "Z:\\"), drives.end());
  // The root's rows: one per top-level node.
  EXPECT_EQ(b.list->GetItemCount(), (int)data.size());
  EXPECT_EQ(std::string(b.listView->m_statusText), "Total: " + std::to_string(data.size()) + " Disks");

  // A folder with hidden entries, a 200-character name and a sparse 5 GiB file.
  const std::string longName(200, 'n');
  MakeFileOf(b.dir + "\\a.txt", 10);
  MakeFileOf(b.dir + "\\" + longName, 33);
  MakeFileOf(b.dir + "\\hid.txt", 7);
  ::SetFileAttributesA((b.dir + "\\hid.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  queuetest::MakeDirs(b.dir + "\\sub");
  queuetest::MakeDirs(b.dir + "\\hiddir");
  ::SetFileAttributesA((b.dir + "\\hiddir").c_str(), FILE_ATTRIBUTE_HIDDEN);
  const uint64_t big = 5ull << 30;
  HANDLE h = ::CreateFileA((b.dir + "\\big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER at;
  at.QuadPart = (LONGLONG)big;
  ASSERT_TRUE(::SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(h));
  ::CloseHandle(h);

  HTREEITEM node = b.Open(b.dir);
  ASSERT_EQ(CString(b.SelectedPath().c_str()).CompareNoCase(b.dir.c_str()), 0) << b.SelectedPath();
  EXPECT_EQ(b.list->m_folderCount, 1);
  EXPECT_EQ(b.list->m_fileCount, 3);
  EXPECT_EQ(b.list->m_totalBytes, big + 43);
  ASSERT_GE(b.Row("big.bin"), 0);
  EXPECT_EQ(b.list->GetItemSize(b.Row("big.bin")), big);
  EXPECT_GE(b.Row(longName.c_str()), 0);
  EXPECT_EQ(b.Row("hid.txt"), -1);
  EXPECT_EQ(std::string(b.listView->m_statusText),
            "Total: 1 Folders, 3 Files(" + std::string(FormatSize64(big + 43)) + ")");
  EXPECT_NE(b.Child(node, "sub"), nullptr);
  EXPECT_EQ(b.Child(node, "hiddir"), nullptr);
  // Each selection shows the function view's Files List tab.
  b.host.FuncView()->SelectTab(CFuncViewDlg::kQueueTab);
  b.view->OnRefresh();
  EXPECT_TRUE(wintest::PumpUntil([&] { return g_funcViewTab == CFuncViewDlg::kListTab; }, 5000));
  EXPECT_TRUE(b.host.ListPane().IsWindowVisible());
  // Hidden entries only with bit 28.
  g_optionFlags |= 1u << OPTBIT_SHOW_HIDDEN;
  b.view->OnRefresh();
  EXPECT_EQ(b.list->m_folderCount, 2);
  EXPECT_EQ(b.list->m_fileCount, 4);
  EXPECT_NE(b.Child(node, "hiddir"), nullptr);
  g_optionFlags &= ~(1u << OPTBIT_SHOW_HIDDEN);
  // A folder made outside while the node is folded: Refresh lists each folder
  // once; selecting the new one opens the node and lists that folder.
  queuetest::MakeDirs(b.dir + "\\late");
  MakeFileOf(b.dir + "\\late\\l.txt", 3);
  b.tree->Expand(node, TVE_COLLAPSE);
  b.view->OnRefresh();
  std::multiset<std::string> folders;
  for (HTREEITEM c = b.tree->GetChildItem(node); c != nullptr; c = b.tree->GetNextSiblingItem(c))
    folders.insert(std::string(b.tree->GetItemText(c)));
  EXPECT_EQ(folders, (std::multiset<std::string>{"late", "sub"}));
  HTREEITEM late = b.Child(node, "late");
  ASSERT_NE(late, nullptr);
  b.tree->SelectItem(late);
  EXPECT_EQ(b.Selected(), late);
  EXPECT_EQ(b.Child(node, "late"), late);
  EXPECT_EQ(b.list->GetItemCount(), 1);
  EXPECT_EQ(b.Row("l.txt"), 0);
  b.tree->SelectItem(node);

  // Opened by the pointer: a click on a folder lists it.
  HTREEITEM sub = b.Child(b.Selected(), "sub");
  ASSERT_NE(sub, nullptr);
  ASSERT_TRUE(b.ClickNode(sub));
  EXPECT_EQ(b.list->GetItemCount(), 0);
  EXPECT_EQ(std::string(b.listView->m_statusText), "Total: 0 Folders, 0 Files(" + std::string(FormatSize64(0)) + ")");

  // A site's local folder: followed at component boundaries, never when empty.
  queuetest::MakeDirs(b.dir + "\\foobar\\x");
  queuetest::MakeDirs(b.dir + "\\foo");
  CSiteItem* site = b.harness.AddSite(21, "u", "p");
  ASSERT_NE(site, nullptr);
  snprintf(site->m_localFolder, sizeof site->m_localFolder, "%s\\FOO", b.dir.c_str());
  LocalTreeLink()->FollowSiteFolder(1);
  EXPECT_EQ(CString(b.SelectedPath().c_str()).CompareNoCase((b.dir + "\\foo").c_str()), 0) << b.SelectedPath();
  snprintf(site->m_localFolder, sizeof site->m_localFolder, "%s\\foobar\\x\\", b.dir.c_str());
  LocalTreeLink()->FollowSiteFolder(1);
  EXPECT_EQ(CString(b.SelectedPath().c_str()).CompareNoCase((b.dir + "\\foobar\\x").c_str()), 0) << b.SelectedPath();
  site->m_localFolder[0] = '\0';
  const HTREEITEM before = b.Selected();
  LocalTreeLink()->FollowSiteFolder(1);
  EXPECT_EQ(b.Selected(), before);
  // Attributes: the root has no sheet; a folder's goes to the shell.
  ShellFake fake;
  b.view->SetContextNode(root);
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnAttributes(); }),
            (std::vector<std::string>{"Please specify receiving path first!"}));
  b.view->SetContextNode(nullptr);
  b.view->OnAttributes();
  EXPECT_EQ(g_properties, (std::vector<std::string>{b.SelectedPath()}));
}

TEST(ViewsLocTree, FoldersMadeRenamedAndDeletedAsTheDiskSays)
{
  guitest::BecomeGuiThread();
  Bench b;
  ASSERT_TRUE(b.Make("edit"));
  MakeFileOf(b.dir + "\\a.txt", 3);
  queuetest::MakeDirs(b.dir + "\\sub");
  HTREEITEM shown = b.Open(b.dir);
  ASSERT_NE(b.Child(shown, "sub"), nullptr);

  // Typed: the folder is made, its row shows in the folder shown.
  b.view->OnMakeFolder();
  ASSERT_TRUE(b.TypeLabel("made"));
  EXPECT_TRUE(Exists(b.dir + "\\made"));
  HTREEITEM made = b.Child(shown, "made");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(b.Row("made"), 0);
  EXPECT_EQ(b.list->GetItemKind(0), kEntryFolder);

  // Made from the context menu of a folder that is not shown: on disk and in
  // the tree, no row.
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(*b.tree, made, 32817));
  EXPECT_TRUE(wintest::PumpUntil([&] { return b.tree->GetEditControl() != nullptr; }, 10000));
  ASSERT_TRUE(b.TypeLabel("inner"));
  EXPECT_EQ(b.Selected(), shown);
  EXPECT_TRUE(Exists(b.dir + "\\made\\inner"));
  EXPECT_NE(b.Child(made, "inner"), nullptr);
  EXPECT_EQ(b.Row("inner"), -1);

  // Blanks, an existing file's name, path characters: no node, nothing made.
  const int rows = b.list->GetItemCount();
  for (const char* label : {"   ", "a.txt", "..\\..\\x"}) {
    b.view->OnMakeFolder();
    ASSERT_TRUE(b.TypeLabel(label)) << label;
    int children = 0;
    for (HTREEITEM c = b.tree->GetChildItem(shown); c != nullptr; c = b.tree->GetNextSiblingItem(c))
      ++children;
    EXPECT_EQ(children, 2) << label;
    EXPECT_EQ(b.list->GetItemCount(), rows) << label;
  }
  EXPECT_FALSE(Exists(b.dir + "\\..\\..\\x"));

  // A re-listing while a new folder's label is edited ends the edit first:
  // nothing is made, nothing is left.
  b.view->OnMakeFolder();
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.tree->GetEditControl() != nullptr; }, 5000));
  ::SetWindowTextA(b.tree->GetEditControl()->m_hWnd, "pending");
  b.view->ListFolder(shown);
  EXPECT_EQ(b.tree->GetEditControl(), nullptr);
  EXPECT_EQ(b.Child(shown, "pending"), nullptr);
  EXPECT_FALSE(Exists(b.dir + "\\pending"));
  EXPECT_NE(b.Child(shown, "made"), nullptr);

  // A refused rename keeps the label and the folder; a good one renames both.
  HTREEITEM sub = b.Child(shown, "sub");
  b.view->SetContextNode(sub);
  std::vector<std::string> boxes = WithErrorBoxes([&] {
    b.view->OnRename();
    b.TypeLabel("..\\up");
  });
  EXPECT_EQ(boxes, (std::vector<std::string>{"Rename Error. "}));
  EXPECT_EQ(std::string(b.tree->GetItemText(sub)), "sub");
  EXPECT_TRUE(Exists(b.dir + "\\sub"));
  b.view->OnRename();
  ASSERT_TRUE(b.TypeLabel("renamed"));
  b.view->SetContextNode(nullptr);
  EXPECT_EQ(std::string(b.tree->GetItemText(sub)), "renamed");
  EXPECT_TRUE(Exists(b.dir + "\\renamed"));
  EXPECT_GE(b.Row("renamed"), 0);
  EXPECT_EQ(b.Row("sub"), -1);

  // A delete that fails, is cancelled or deletes part keeps folder, node and row.
  MakeFileOf(b.dir + "\\renamed\\one.txt", 1);  // the folder exists: renamed
  MakeFileOf(b.dir + "\\renamed\\two.txt", 1);
  ShellFake fake;
  for (FileOpMode mode : {FileOpMode::kError, FileOpMode::kAborted, FileOpMode::kPartial}) {
    g_fileOpMode = mode;
    HTREEITEM node = b.Child(shown, "renamed");
    ASSERT_NE(node, nullptr);
    b.view->SetContextNode(node);
    b.view->OnDelete();
    EXPECT_TRUE(Exists(b.dir + "\\renamed")) << (int)mode;
    EXPECT_NE(b.Child(shown, "renamed"), nullptr) << (int)mode;
    EXPECT_GE(b.Row("renamed"), 0) << (int)mode;
  }
  EXPECT_EQ(g_fileOps.load(), 3);
  EXPECT_FALSE(Exists(b.dir + "\\renamed\\one.txt"));
  // The real one: to the recycle bin (the private XDG folder), node and row go.
  g_fileOpMode = FileOpMode::kReal;
  b.view->SetContextNode(b.Child(shown, "renamed"));
  b.view->OnDelete();
  EXPECT_FALSE(Exists(b.dir + "\\renamed"));
  EXPECT_EQ(b.Child(shown, "renamed"), nullptr);
  EXPECT_EQ(b.Row("renamed"), -1);
  EXPECT_EQ(b.Selected(), shown);

}

// Puts a payload of rows from folder on the clipboard, as a pane's Copy does.
bool CopyRows(CWnd* owner, int site, const std::string& folder, const std::vector<std::string>& names)
{
  std::vector<PayloadRow> rows;
  for (const std::string& n : names)
    rows.push_back(PayloadRow{n.c_str(), 0, kEntryFile});
  return CopyPayloadRows(rows.data(), (int)rows.size(), site, folder.c_str(), owner) != FALSE;
}

std::vector<int> g_pastes;
HTREEITEM g_pasteNode = nullptr;
std::string g_pasteTarget;
int RecordPaste(int paneFlag, HTREEITEM node, const void* block, size_t size)
{
  g_pastes.push_back(paneFlag);
  g_pasteNode = node;
  if (size >= sizeof(DragPayload))
    g_pasteTarget = static_cast<const DragPayload*>(block)->m_targetPath;
  return 1;
}

TEST(ViewsLocTree, LocalCopiesPastesAndDrops)
{
  guitest::BecomeGuiThread();
  Bench b;
  ASSERT_TRUE(b.Make("copy"));
  ShellFake fake;
  std::vector<std::string> names;
  queuetest::MakeDirs(b.dir + "\\src");
  for (int i = 0; i < 60; ++i) {
    // Long, yet the full paths stay below MAX_PATH in the prefix's temp folder.
    names.push_back(std::string(167, 'a' + i % 26) + std::to_string(100 + i));
    MakeFileOf(b.dir + "\\src\\" + names.back(), (size_t)i);
  }
  queuetest::MakeDirs(b.dir + "\\dst");
  queuetest::MakeDirs(b.dir + "\\tree\\inner");
  HTREEITEM shown = b.Open(b.dir);
  char cwdBefore[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwdBefore);

  // 60 names of 200 characters: one operation, every file, the current folder kept.
  ASSERT_TRUE(CopyRows(b.view, kPayloadLocalSite, b.dir + "\\src", names));
  b.view->SetContextNode(b.Child(shown, "dst"));
  b.view->OnPaste();
  b.view->SetContextNode(nullptr);
  EXPECT_EQ(g_fileOps.load(), 1);
  for (int i = 0; i < 60; ++i)
    EXPECT_EQ(queuetest::FileSizeOf(b.dir + "\\dst\\" + names[i]), i) << i;
  char cwdAfter[MAX_PATH] = {};
  ::GetCurrentDirectoryA(MAX_PATH, cwdAfter);
  EXPECT_STREQ(cwdAfter, cwdBefore);

  // A folder by Copy on its node, pasted into its own subfolder: the box, nothing.
  HTREEITEM treeNode = b.Child(shown, "tree");
  b.view->SetContextNode(treeNode);
  b.view->OnCopy();
  b.tree->Expand(treeNode, TVE_EXPAND);  // lists it
  HTREEITEM inner = b.Child(treeNode, "inner");
  ASSERT_NE(inner, nullptr);
  b.view->SetContextNode(inner);
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnPaste(); }),
            (std::vector<std::string>{"Can't paste because the target path is the same as the source path"}));
  EXPECT_EQ(g_fileOps.load(), 1);
  EXPECT_FALSE(Exists(b.dir + "\\tree\\inner\\tree"));
  // Into the folder it comes from: nothing; into dst: the folder arrives.
  b.view->SetContextNode(shown);
  b.view->OnPaste();
  EXPECT_EQ(g_fileOps.load(), 1);
  b.view->SetContextNode(b.Child(shown, "dst"));
  b.view->OnPaste();
  EXPECT_EQ(g_fileOps.load(), 2);
  EXPECT_TRUE(Exists(b.dir + "\\dst\\tree\\inner"));

  // A foreign block in the private format: nothing is pasted.
  BYTE foreign[kClipBlockSize] = {};
  foreign[0] = 1;
  *reinterpret_cast<uint32_t*>(foreign + kClipProducerOffset) = ::GetCurrentProcessId() + 1;
  ASSERT_TRUE(::OpenClipboard(b.view->m_hWnd));
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, sizeof foreign);
  memcpy(::GlobalLock(block), foreign, sizeof foreign);
  ::GlobalUnlock(block);
  ::SetClipboardData(g_clipFormat, block);
  ::CloseClipboard();
  SetPasteHook(&RecordPaste);
  b.view->OnPaste();
  EXPECT_EQ(g_fileOps.load(), 2);
  EXPECT_TRUE(g_pastes.empty());

  // Entries of a server site go to the paste launcher with pane flag 1.
  ASSERT_TRUE(CopyRows(b.view, 1, "/pub", {"remote.bin"}));
  HTREEITEM dst = b.Child(shown, "dst");
  b.view->SetContextNode(dst);
  b.view->OnPaste();
  b.view->SetContextNode(nullptr);
  SetPasteHook(nullptr);
  EXPECT_EQ(g_pastes, (std::vector<int>{1}));
  EXPECT_EQ(g_pasteNode, dst);
  EXPECT_EQ(CString(g_pasteTarget.c_str()).CompareNoCase((b.dir + "\\dst").c_str()), 0);

  // The root never takes a drop; no node under the pointer, no drop.
  EXPECT_FALSE(b.view->CanDropOn(b.tree->GetRootItem(), 0));
  EXPECT_FALSE(b.view->CanDropOn(nullptr, 0));
  EXPECT_TRUE(b.view->CanDropOn(dst, 0));

  // Real use: the folder "drag" dragged by the pointer onto "dst" is copied there.
  queuetest::MakeDirs(b.dir + "\\drag");
  MakeFileOf(b.dir + "\\drag\\moved.txt", 5);
  b.tree->SelectItem(b.tree->GetRootItem());
  b.tree->SelectItem(shown);
  HTREEITEM dragNode = b.Child(shown, "drag");
  dst = b.Child(shown, "dst");
  ASSERT_NE(dragNode, nullptr);
  ASSERT_NE(dst, nullptr);
  b.tree->EnsureVisible(dst);
  b.tree->EnsureVisible(dragNode);
  b.tree->UpdateWindow();
  const std::string arrived = b.dir + "\\dst\\drag\\moved.txt";
  viewhost::DragUntil(viewhost::NodeCentre(*b.tree, dragNode), viewhost::NodeCentre(*b.tree, dst),
                      [&] { return Exists(arrived); });
  EXPECT_TRUE(Exists(arrived));
  EXPECT_TRUE(Exists(b.dir + "\\drag\\moved.txt"));  // copied, not moved
}

// The first server tree as Add To Queue reads it: a window holding a tree
// control 1078 whose nodes name server folders of site slot 1.
// The tabs this thread's posts asked the function view for, while one lives.
std::set<LPARAM> g_tabsAsked;
struct TabRequests {
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
  {
    const MSG* m = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && m->message == UWM_SHOW_FUNC_TAB && g_pFuncView.load() != nullptr &&
        m->hwnd == g_pFuncView.load()->GetSafeHwnd())
      g_tabsAsked.insert(m->lParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook = ::SetWindowsHookExA(WH_GETMESSAGE, &Hook, nullptr, ::GetCurrentThreadId());
  TabRequests() { g_tabsAsked.clear(); }
  ~TabRequests() { ::UnhookWindowsHookEx(hook); }
};

class FakeServerTree : public CWnd, public CServerTreeAccess {
public:
  CTreeCtrl m_tree;
  HTREEITEM m_root = nullptr, m_folder = nullptr;
  bool Make(CWnd* parent)
  {
    if (!CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD, CRect(0, 0, 10, 10), parent, 4711))
      return false;
    if (!m_tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), this, kSerTreeCtrlId))
      return false;
    m_root = m_tree.InsertItem("FTP Server");
    m_folder = m_tree.InsertItem("up", m_root);
    SetServerTreeAccess(1, this);
    g_pSerTrView = this;
    return true;
  }
  ~FakeServerTree() override
  {
    ClearServerTreeAccess(1, this);
    if (g_pSerTrView.load() == this)
      g_pSerTrView = nullptr;
  }
  bool NodePath(HTREEITEM node, CString* path, int* siteIndex) override
  {
    if (node != m_folder)
      return false;
    *path = "/up";
    *siteIndex = 1;
    return true;
  }
};

TEST(ViewsLocTree, AddToQueueUploadsTheFolderToThePaneOneFolder)
{
  guitest::BecomeGuiThread();
  const queuetest::PeerLogin peer = queuetest::PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  Bench b;
  ASSERT_TRUE(b.Make("queue"));
  CSiteItem* site = b.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  ASSERT_NE(site, nullptr);
  const std::string remote = peer.root + "\\up";
  queuetest::MakeDirs(remote);
  const std::string a = queuetest::Pattern(70000, 7), c = queuetest::Pattern(1234, 9);
  queuetest::MakeDirs(b.dir + "\\qfolder\\deep");
  queuetest::WriteAll(b.dir + "\\qfolder\\a.bin", a);
  queuetest::WriteAll(b.dir + "\\qfolder\\deep\\c.bin", c);
  HTREEITEM shown = b.Open(b.dir);
  HTREEITEM folder = b.Child(shown, "qfolder");
  ASSERT_NE(folder, nullptr);
  ASSERT_TRUE(b.ClickNode(folder));

  // No server folder chosen: the box, nothing queued.
  FakeServerTree server;
  ASSERT_TRUE(server.Make(&b.host));
  EXPECT_EQ(WithErrorBoxes([&] { b.view->OnAddToQueue(); }),
            (std::vector<std::string>{"Please specify receiving path first!"}));
  b.harness.Pump(100);
  EXPECT_TRUE(b.host.QueuedItems().empty());

  server.m_tree.SelectItem(server.m_folder);
  TabRequests tabs;
  g_optionFlags |= 1u << OPTBIT_QUEUE_AUTOSTART;
  // The start the view asks for is only counted here: a started run uploads
  // and tidies the item away before the queue could be read; Run starts it.
  b.harness.frame.m_runQueue = false;
  b.view->OnAddToQueue();
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.host.QueuedItems().size() == 1; }, 5000));
  const CPlanItem* item = b.host.QueuedItems()[0];
  EXPECT_STREQ(item->m_direction, "->");
  EXPECT_STREQ(item->m_fileName, "qfolder");
  EXPECT_EQ(CString(item->m_localPath).CompareNoCase(b.dir.c_str()), 0) << item->m_localPath;
  EXPECT_STREQ(item->m_remotePath, "/up");
  EXPECT_STREQ(item->m_host, site->m_host);
  EXPECT_EQ(item->m_port, peer.port);
  EXPECT_EQ(item->m_kind, kEntryFolder);
  // Bit 4: the queue is started too; the function view shows the Queue tab.
  EXPECT_TRUE(wintest::PumpUntil([&] { return b.harness.frame.Count(UWM_RUN_QUEUE) >= 1; }, 5000));
  // The queue's run may bring the log tab up next (its connection): the
  // tabs asked for are read as the function view takes them.
  EXPECT_TRUE(wintest::PumpUntil([&] { return g_tabsAsked.count(CFuncViewDlg::kQueueTab) != 0; }, 5000));
  ASSERT_TRUE(b.harness.Run(90000)) << queuetest::QueueLogText();
  EXPECT_EQ(queuetest::ReadAll(remote + "\\qfolder\\a.bin"), a);
  EXPECT_EQ(queuetest::ReadAll(remote + "\\qfolder\\deep\\c.bin"), c);
  b.harness.StopSites();
}

// Real use beside the real first server tree: opening a site's folder there
// takes the local tree to the site's local folder (at path boundaries, never
// to ""), a local folder dragged onto a server folder is queued and uploaded,
// and a server folder pasted onto a local folder from the context menu is
// downloaded; both byte-exact, by the queue workers.
TEST(ViewsLocTree, BesideTheServerTreeFoldersFollowUploadByDragAndDownloadByPaste)
{
  guitest::BecomeGuiThread();
  const queuetest::PeerLogin peer = queuetest::PyftpdPeer();
  ASSERT_NE(peer.port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  Bench b;
  CSiteItem* site = b.harness.AddSite(peer.port, peer.user.c_str(), peer.pass.c_str());
  ASSERT_NE(site, nullptr);
  CopySiteText(site->m_remoteFolder, "/");
  site->SiteOptionDigits[2] = '0';
  site->SiteOptionDigits[3] = '1';  // the local tree follows
  ASSERT_TRUE(b.Make("beside", true));
  auto* server = DYNAMIC_DOWNCAST(CSerTrView, b.host.View(viewhost::kSerTree));
  ASSERT_NE(server, nullptr);
  CTreeCtrl& st = server->GetTreeCtrl();
  const std::string remote = peer.root + "\\beside";
  queuetest::MakeDirs(remote + "\\up");
  const std::string a = queuetest::Pattern(90000, 5), c = queuetest::Pattern(777, 11);
  queuetest::MakeDirs(b.dir + "\\qfolder\\deep");
  queuetest::WriteAll(b.dir + "\\qfolder\\a.bin", a);
  queuetest::WriteAll(b.dir + "\\qfolder\\deep\\c.bin", c);
  queuetest::MakeDirs(b.dir + "\\foobar\\x");
  queuetest::MakeDirs(b.dir + "\\foo");
  queuetest::MakeDirs(b.dir + "\\dst");
  snprintf(site->m_localFolder, sizeof site->m_localFolder, "%s\\FOO", b.dir.c_str());

  using viewhost::NodeCentre;
  auto child = [](CTreeCtrl& t, HTREEITEM parent, const char* label) -> HTREEITEM {
    for (HTREEITEM n = t.GetChildItem(parent); n != nullptr; n = t.GetNextSiblingItem(n))
      if (t.GetItemText(n) == label)
        return n;
    return nullptr;
  };
  // The site opened by a click: its folders in pane 1, the local tree at its
  // local folder, not at the folder whose name begins the same.
  CPoint p = NodeCentre(st, site->m_hTreeNode);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return child(st, site->m_hTreeNode, "beside") != nullptr; }));
  EXPECT_EQ(CString(b.SelectedPath().c_str()).CompareNoCase((b.dir + "\\foo").c_str()), 0) << b.SelectedPath();
  // A site without a local folder leaves the local tree where it is.
  site->m_localFolder[0] = '\0';
  HTREEITEM localBefore = b.Selected();
  HTREEITEM beside = child(st, site->m_hTreeNode, "beside");
  p = NodeCentre(st, beside);
  ASSERT_TRUE(wintest::ClickUntil(p.x, p.y, [&] { return child(st, beside, "up") != nullptr; }));
  EXPECT_EQ(b.Selected(), localBefore);
  HTREEITEM up = child(st, beside, "up");

  // A local folder dragged onto the server folder "up": queued and uploaded.
  HTREEITEM shown = b.Open(b.dir);
  HTREEITEM qfolder = b.Child(shown, "qfolder");
  ASSERT_NE(qfolder, nullptr);
  b.host.UpdateWindow();
  // A queued transfer of that direction (the workers may have taken the
  // folder item apart into its files already).
  auto queued = [&](const char* direction) {
    for (const CPlanItem* i : b.host.QueuedItems())
      if (strcmp(i->m_direction, direction) == 0 && strncmp(i->m_remotePath, "/beside/up", 10) == 0)
        return true;
    return false;
  };
  viewhost::DragUntil(NodeCentre(*b.tree, qfolder), NodeCentre(st, up), [&] { return queued("->"); });
  ASSERT_TRUE(queued("->"));
  ASSERT_TRUE(b.harness.Run(90000)) << queuetest::QueueLogText();
  EXPECT_TRUE(queuetest::ReadAll(remote + "\\up\\qfolder\\a.bin") == a);
  EXPECT_TRUE(queuetest::ReadAll(remote + "\\up\\qfolder\\deep\\c.bin") == c);

  // The server folder copied as pane 1's Copy puts it on the clipboard, then
  // Paste from the context menu of the local folder "dst": downloaded.
  const PayloadRow folderRow = {"qfolder", 0, kEntryFolder};
  ASSERT_TRUE(CopyPayloadRows(&folderRow, 1, 1, "/beside/up", server));
  b.view->ListFolder(shown);
  HTREEITEM dst = b.Child(shown, "dst");
  ASSERT_NE(dst, nullptr);
  ASSERT_TRUE(viewhost::ChooseFromContextMenu(*b.tree, dst, 57637));
  ASSERT_TRUE(wintest::PumpUntil([&] { return queued("<-"); }, 10000));
  ASSERT_TRUE(b.harness.Run(90000)) << queuetest::QueueLogText();
  EXPECT_TRUE(queuetest::ReadAll(b.dir + "\\dst\\qfolder\\a.bin") == a);
  EXPECT_TRUE(queuetest::ReadAll(b.dir + "\\dst\\qfolder\\deep\\c.bin") == c);

  // The look: the local tree in colour [0] below the server tree in [2].
  EXPECT_EQ(b.tree->GetBkColor(), (COLORREF)g_viewColors[0]);
  EXPECT_EQ(st.GetBkColor(), (COLORREF)g_viewColors[2]);
  b.tree->SelectItem(dst);
  b.tree->EnsureVisible(dst);
  ASSERT_TRUE(wintest::PumpUntil([&] { return b.harness.doc->GetTaskThreadCount() == 0; }, 20000));
  b.host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  viewhost::Shot("views_loctree");
  b.harness.StopSites();
}

}  // namespace
