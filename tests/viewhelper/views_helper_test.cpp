// The views' shared helpers in real windows under wine64: row and node paths,
// cache files of deleted nodes, the drop target for plain windows, the payload
// through data objects and the clipboard, and the caption strip.
#include "tests/framework_gui/guitest.h"

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "../doc/docfix.h"
#include "engine/dragpayload.h"
#include "engine/listingcache.h"
#include "engine/viewmessages.h"
#include "framework/docview.h"
#include "shell/settings/settings.h"
#include "tests/support/tempfolder.h"
#include "tests/toolkit/menu/menutest.h"
#include "toolkit/clipboard.h"
#include "views/captionstatic.h"
#include "views/droptarget.h"
#include "views/payloadtransfer.h"
#include "views/viewhelper.h"

CWinApp theApp("views_helper");

namespace {

using guitest::PumpUntil;

std::string TestFolder()
{
  return testsupport::TempFolder("zarn-views");
}

std::unique_ptr<CZarnDoc> NewDoc()
{
  SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\ZARNSITE");
  ResetSettingsDefaults();
  lstrcpynA(g_appPath, TestFolder().c_str(), (int)sizeof(g_appPath));
  g_downloadPath[0] = '\0';
  doctest::RecordBoxes();
  auto doc = std::make_unique<CZarnDoc>();
  EXPECT_TRUE(doc->OnNewDocument());
  return doc;
}

CSiteItem* AddSite(CZarnDoc& doc, const char* name, const char* start)
{
  SiteRecord r;
  memset(&r, 0, sizeof r);
  lstrcpynA(r.m_name, name, sizeof r.m_name);
  lstrcpynA(r.m_host, "127.0.0.1", sizeof r.m_host);
  lstrcpynA(r.m_user, "anonymous", sizeof r.m_user);
  memcpy(r.SiteOptionDigits, "0010000000", sizeof r.SiteOptionDigits);
  r.m_port = 21;
  CSiteItem* site = doc.AddSite(&r);
  if (site != nullptr)
    lstrcpynA(site->m_remoteFolder, start, sizeof site->m_remoteFolder);
  return site;
}

int SlotOf(CZarnDoc& doc, CSiteItem* site)
{
  for (int i = 0; i < MAX_SITES; ++i)
    if (doc.GetSite(i) == site)
      return i;
  return -1;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
void Touch(const std::string& path)
{
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CloseHandle(h);
}

// A host window holding a server tree (TVN_DELETEITEM goes to the cache rule,
// as in the first server tree) and a report list.
class CHost : public CWnd {
public:
  CTreeCtrl m_tree;
  CListCtrl m_list;
  int m_deleted = 0;

protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
  {
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->hwndFrom == m_tree.m_hWnd && hdr->code == TVN_DELETEITEMA) {
      NMTREEVIEWA* tv = reinterpret_cast<NMTREEVIEWA*>(lParam);
      OnCacheNodeDeleted(&m_tree, tv->itemOld.hItem, tv->itemOld.lParam);
      ++m_deleted;
      return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
};

class ViewsHelper : public ::testing::Test {
protected:
  void SetUp() override
  {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(AfxOleInit());
    LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW), (HBRUSH)(COLOR_BTNFACE + 1));
    ASSERT_TRUE(m_host.CreateEx(WS_EX_NOACTIVATE, cls, "views helper", WS_POPUP | WS_BORDER, 40, 40, 640, 400,
                                nullptr, nullptr));
    ASSERT_TRUE(m_host.m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS,
                                     CRect(0, 40, 220, 400), &m_host, 10));
    ASSERT_TRUE(m_host.m_list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(224, 40, 640, 400), &m_host, 11));
    m_host.m_list.InsertColumn(0, "Name", LVCFMT_LEFT, 200);
    m_doc = NewDoc();
  }
  void TearDown() override
  {
    if (m_host.m_hWnd != nullptr)
      m_host.DestroyWindow();
    m_doc.reset();
  }
  HTREEITEM Child(HTREEITEM parent, const char* label, int data)
  {
    CString text(label);
    HTREEITEM node = m_helper.InsertTreeItem(parent, &m_host.m_tree, text, "", FALSE);
    m_host.m_tree.SetItemData(node, (DWORD_PTR)data);
    return node;
  }
  CHost m_host;
  CViewHelper m_helper;
  std::unique_ptr<CZarnDoc> m_doc;
};

TEST_F(ViewsHelper, NodeAndRowPaths)
{
  CSiteItem* site = AddSite(*m_doc, "site", "/home/x/");
  ASSERT_NE(site, nullptr);
  const int slot = SlotOf(*m_doc, site);
  CTreeCtrl& tree = m_host.m_tree;
  g_siteImageBase = 190;
  HTREEITEM root = m_helper.InsertRootItem(&tree, FALSE);
  EXPECT_EQ(tree.GetItemText(root), CString("FTP Server"));
  int image = 0, selected = 0;
  tree.GetItemImage(root, image, selected);
  EXPECT_EQ(image, 188);
  CString siteText("site");
  HTREEITEM siteNode = m_helper.InsertTreeItem(root, &tree, siteText, "site", FALSE);
  tree.SetItemData(siteNode, (DWORD_PTR)slot);
  tree.GetItemImage(siteNode, image, selected);
  EXPECT_EQ(image, 187) << "a site node starts as not connected";
  EXPECT_EQ(selected, 187);
  HTREEITEM data = Child(siteNode, "data", slot);
  HTREEITEM b = Child(data, "b", slot);
  // Each new node has exactly its placeholder until it is listed.
  HTREEITEM ph = tree.GetChildItem(b);
  ASSERT_NE(ph, nullptr);
  EXPECT_EQ(tree.GetItemText(ph), CString("asd"));
  EXPECT_EQ((LPARAM)tree.GetItemData(ph), (LPARAM)-1);
  EXPECT_EQ(tree.GetNextSiblingItem(ph), nullptr);

  int out = -5;
  EXPECT_EQ(m_helper.GetItemPath(&tree, root, &out, FALSE), CString(""));
  EXPECT_EQ(m_helper.GetItemPath(&tree, siteNode, &out, FALSE), CString("/home/x/"));
  EXPECT_EQ(out, slot);
  EXPECT_EQ(m_helper.GetItemPath(&tree, b, &out, FALSE), CString("/home/x/data/b"));

  // "DATA" (a file) beside the folder "data": each row keeps its own path.
  tree.SelectItem(siteNode);
  m_host.m_list.InsertItem(0, "data");
  m_host.m_list.InsertItem(1, "DATA");
  EXPECT_EQ(m_helper.GetRowPath(&m_host.m_list, &tree, 1, &out, FALSE), CString("/home/x/DATA"));
  EXPECT_EQ(m_helper.GetRowPath(&m_host.m_list, &tree, 0, &out, FALSE), CString("/home/x/data"));
  EXPECT_EQ(m_helper.FindChildOfRow(&tree, &m_host.m_list, 1), nullptr);
  EXPECT_EQ(m_helper.FindChildOfRow(&tree, &m_host.m_list, 0), data);
  EntryRecord rec = {};
  strcpy(rec.m_name, "DATA");
  EXPECT_EQ(m_helper.FindListItem(&m_host.m_list, &rec), 1);
  m_helper.OpenRowInTree(&tree, &m_host.m_list, 1);  // the local rule: ignoring case
  EXPECT_EQ(tree.GetSelectedItem(), data);

  // Local form: a top-level node's path comes from the shared buffer.
  tree.DeleteAllItems();
  memset(g_localRootPaths, 0, sizeof g_localRootPaths);
  memcpy(g_localRootPaths, "C:\\desk\0C:\\\0", 12);
  HTREEITEM local = m_helper.InsertRootItem(&tree, TRUE);
  EXPECT_EQ(tree.GetItemText(local), CString("Local Disk"));
  tree.GetItemImage(local, image, selected);
  EXPECT_EQ(image, 186) << "the program's own icon, whatever the shell appended";
  HTREEITEM drive = tree.InsertItem("Drive C", local);
  tree.SetItemData(drive, 1);
  HTREEITEM a = tree.InsertItem("a", drive);
  EXPECT_EQ(m_helper.GetItemPath(&tree, local, nullptr, TRUE), CString(""));
  EXPECT_EQ(m_helper.GetItemPath(&tree, drive, nullptr, TRUE), CString("C:\\"));
  EXPECT_EQ(m_helper.GetItemPath(&tree, a, nullptr, TRUE), CString("C:\\a"));
  tree.SelectItem(drive);
  m_host.m_list.DeleteAllItems();
  m_host.m_list.InsertItem(0, "A");
  EXPECT_EQ(m_helper.GetRowPath(&m_host.m_list, &tree, 0, nullptr, TRUE), CString("C:\\a")) << "local: no case";
}

TEST_F(ViewsHelper, CacheFilesGoWithTheirNodes)
{
  CSiteItem* site = AddSite(*m_doc, "cached", "/");
  ASSERT_NE(site, nullptr);
  const int slot = SlotOf(*m_doc, site);
  const std::string folder = site->m_cacheFolder;
  ASSERT_FALSE(folder.empty());
  CTreeCtrl& tree = m_host.m_tree;
  HTREEITEM root = m_helper.InsertRootItem(&tree, FALSE);
  HTREEITEM siteNode = Child(root, "cached", slot);
  HTREEITEM a = Child(siteNode, "a", slot);
  HTREEITEM a1 = Child(a, "a1", slot);
  HTREEITEM a2 = Child(a1, "a2", slot);
  HTREEITEM b = Child(siteNode, "b", slot);
  auto file = [&](HTREEITEM n) { return ListingCacheFileName(folder.c_str(), reinterpret_cast<intptr_t>(n)); };
  for (HTREEITEM n : {siteNode, a, a1, a2, b})
    Touch(file(n));
  Touch(folder + "notes.txt");

  tree.DeleteItem(a);
  EXPECT_FALSE(Exists(file(a)));
  EXPECT_FALSE(Exists(file(a1)));
  EXPECT_FALSE(Exists(file(a2)));
  EXPECT_TRUE(Exists(file(b)));
  EXPECT_TRUE(Exists(file(siteNode)));
  EXPECT_TRUE(Exists(folder + "notes.txt"));

  // A deleted selected node moves the generation: a listing of it under way
  // writes nothing.
  tree.SelectItem(b);
  const int32_t generation = NextListingGeneration(1);
  tree.DeleteItem(b);
  EXPECT_FALSE(IsListingGenerationCurrent(1, generation));
  EXPECT_FALSE(Exists(file(b)));

  // Files of an earlier run are gone when the next run's document starts
  // over the stored sites; others stay.
  Touch(folder + "123456");
  Touch(folder + "-42");
  m_doc.reset();
  m_doc = std::make_unique<CZarnDoc>();
  ASSERT_TRUE(m_doc->OnNewDocument());
  EXPECT_FALSE(Exists(folder + "123456"));
  EXPECT_FALSE(Exists(folder + "-42"));
  EXPECT_FALSE(Exists(file(siteNode)));
  EXPECT_TRUE(Exists(folder + "notes.txt"));
  DeleteFileA((folder + "notes.txt").c_str());

  // Nothing for the root, a placeholder, node 0 or an empty slot.
  DeleteListingCacheOf(slot, nullptr);
  DeleteListingCacheOf(MAX_SITES, siteNode);
  DeleteListingCache(&tree, tree.GetChildItem(siteNode));
}

// A view that records its drag functions and any drag message reaching it.
class CRecView : public CView {
public:
  std::vector<std::string> calls;
  int messages = 0;
  CMyDropTarget target;
  DROPEFFECT OnDragEnter(COleDataObject*, DWORD, CPoint) override { return Note("enter", DROPEFFECT_COPY); }
  DROPEFFECT OnDragOver(COleDataObject*, DWORD, CPoint) override { return Note("over", DROPEFFECT_COPY); }
  DROPEFFECT OnDropEx(COleDataObject*, DROPEFFECT, DROPEFFECT, CPoint) override { return Note("dropex", -1); }
  BOOL OnDrop(COleDataObject*, DROPEFFECT, CPoint) override { return Note("drop", TRUE); }
  void OnDragLeave() override { calls.push_back("leave"); }
  void OnDraw(CDC*) override {}

protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
  {
    if (message >= UWM_DRAG_ENTER && message <= UWM_DRAG_LEAVE)
      ++messages;
    return CView::OnWndMsg(message, wParam, lParam, pResult);
  }

private:
  DWORD Note(const char* name, DWORD r)
  {
    calls.push_back(name);
    return r;
  }
};

// A plain window taking the drag messages: it reads the payload on a drop.
class CPlainTarget : public CWnd {
public:
  struct Seen {
    UINT message;
    COleDropInfo info;
  };
  std::vector<Seen> seen;
  std::vector<std::string> dropped;
  CMyDropTarget target;

protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
  {
    if (message < UWM_DRAG_ENTER || message > UWM_DRAG_LEAVE)
      return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    COleDropInfo* info = reinterpret_cast<COleDropInfo*>(wParam);
    seen.push_back({message, info != nullptr ? *info : COleDropInfo()});
    switch (message) {
    case UWM_DRAG_ENTER:
    case UWM_DRAG_OVER:
      *pResult = DROPEFFECT_COPY;
      break;
    case UWM_DROP_EX:
      *pResult = (LRESULT)(DROPEFFECT)-1;
      break;
    case UWM_DROP: {
      DragPayload p;
      int count = 0;
      const EntryRecord* e = ReadDroppedPayload(info->m_pDataObject, &p, &count);
      for (int i = 0; e != nullptr && i < count; ++i)
        dropped.push_back(e[i].m_name);
      *pResult = e != nullptr;
      break;
    }
    default:
      *pResult = 0;
    }
    return TRUE;
  }
};

HGLOBAL Block(const void* bytes, size_t size)
{
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, size);
  memcpy(::GlobalLock(h), bytes, size);
  ::GlobalUnlock(h);
  return h;
}

POINTL ScreenAt(CWnd* w, int x, int y)
{
  CPoint pt(x, y);
  w->ClientToScreen(&pt);
  return POINTL{pt.x, pt.y};
}

TEST_F(ViewsHelper, DropTargetServesViewsAndPlainWindows)
{
  CRecView* view = new CRecView;
  ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 40), &m_host, 20));
  ASSERT_TRUE(view->target.Register(view));
  CPlainTarget plain;
  ASSERT_TRUE(plain.Create(nullptr, "plain", WS_CHILD | WS_VISIBLE, CRect(100, 0, 300, 40), &m_host, 21));
  ASSERT_TRUE(plain.target.Register(&plain));
  m_host.ShowWindow(SW_SHOWNOACTIVATE);

  const PayloadRow rows[] = {{"one.txt", 1, kEntryFile}, {"two", 0, kEntryFolder}};
  DragPayload payload;
  ASSERT_TRUE(BuildDragPayload(payload, rows, 2, 0, "/pub", GetCurrentProcessId(), "x", nullptr));
  COleDataSource source;
  source.CacheGlobalData((CLIPFORMAT)g_clipFormat, Block(&payload, sizeof payload));
  IDataObject* data = source.GetDataObject();

  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  IDropTarget* vt = view->target.GetDropTarget();
  vt->DragEnter(data, MK_LBUTTON, ScreenAt(view, 5, 5), &effect);
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  vt->Drop(data, 0, ScreenAt(view, 5, 5), &effect);
  EXPECT_EQ(view->calls, (std::vector<std::string>{"enter", "over", "dropex", "drop"}));
  EXPECT_EQ(view->messages, 0) << "a view gets its functions, no message";

  IDropTarget* pt = plain.target.GetDropTarget();
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(pt->DragEnter(data, MK_LBUTTON | MK_CONTROL, ScreenAt(&plain, 7, 9), &effect), S_OK);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY) << "the window's answer reaches OLE";
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  pt->Drop(data, 0, ScreenAt(&plain, 7, 9), &effect);
  EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
  effect = DROPEFFECT_COPY;
  pt->DragEnter(data, MK_LBUTTON, ScreenAt(&plain, 1, 1), &effect);
  pt->DragLeave();
  ASSERT_EQ(plain.seen.size(), 6u);
  const UINT order[] = {UWM_DRAG_ENTER, UWM_DRAG_OVER, UWM_DROP_EX, UWM_DROP, UWM_DRAG_ENTER, UWM_DRAG_LEAVE};
  for (size_t i = 0; i < 6; ++i)
    EXPECT_EQ(plain.seen[i].message, order[i]) << i;
  const COleDropInfo& enter = plain.seen[0].info;
  EXPECT_NE(enter.m_pDataObject, nullptr);
  EXPECT_EQ(enter.m_dwKeyState, (DWORD)(MK_LBUTTON | MK_CONTROL));
  EXPECT_EQ(enter.m_point, CPoint(7, 9));
  EXPECT_EQ(enter.m_dropEffect, 0u);
  EXPECT_EQ(enter.m_dropEffectList, 0u);
  const COleDropInfo& ex = plain.seen[2].info;
  EXPECT_EQ(ex.m_dropEffect, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(ex.m_dropEffectList, (DWORD)(DROPEFFECT_COPY | DROPEFFECT_MOVE));
  EXPECT_EQ(ex.m_dwKeyState, 0u);
  const COleDropInfo& drop = plain.seen[3].info;
  EXPECT_EQ(drop.m_dropEffect, (DWORD)DROPEFFECT_COPY);
  EXPECT_EQ(drop.m_dropEffectList, 0u);
  EXPECT_EQ(plain.dropped, (std::vector<std::string>{"one.txt", "two"}));

  // Foreign and damaged blocks in a data object: no entries, nothing freed.
  const int live = LivePayloadArrays();
  auto dropsNothing = [&](const void* bytes, size_t size) {
    COleDataSource other;
    other.CacheGlobalData((CLIPFORMAT)g_clipFormat, Block(bytes, size));
    plain.dropped.clear();
    DWORD e = DROPEFFECT_COPY;
    pt->DragEnter(other.GetDataObject(), MK_LBUTTON, ScreenAt(&plain, 2, 2), &e);
    e = DROPEFFECT_COPY;
    pt->Drop(other.GetDataObject(), 0, ScreenAt(&plain, 2, 2), &e);
    return plain.dropped.empty() && e == DROPEFFECT_NONE;
  };
  DragPayload foreign = payload;
  foreign.m_producer ^= 0x5A5A;
  EXPECT_TRUE(dropsNothing(&foreign, sizeof foreign)) << "another instance's drag";
  EXPECT_TRUE(dropsNothing(&payload, 10)) << "10 bytes";
  DragPayload huge = payload;
  huge.m_count = (int32_t)0x80000000u;
  EXPECT_TRUE(dropsNothing(&huge, sizeof huge));
  DragPayload open = payload;
  memset(open.m_sourcePath, 'p', sizeof open.m_sourcePath);
  EXPECT_TRUE(dropsNothing(&open, sizeof open)) << "a path without its NUL";
  EXPECT_EQ(LivePayloadArrays(), live);

  ReleasePayloadEntries(payload.m_entries);
  plain.DestroyWindow();
  view->DestroyWindow();  // the view deletes itself
}

TEST_F(ViewsHelper, ClipboardCopyPastesTwiceAndIsReleasedOnce)
{
  const int live = LivePayloadArrays();
  const PayloadRow rows[] = {{"a.bin", 5, kEntryFile}, {"sub", 0, kEntryFolder}};
  EXPECT_FALSE(CopyPayloadRows(rows, 0, 0, "/", &m_host)) << "nothing selected";
  ASSERT_TRUE(CopyPayloadRows(rows, 2, 0, "/pub", &m_host));
  EXPECT_EQ(LivePayloadArrays(), live + 1);
  for (int paste = 0; paste < 2; ++paste) {
    DragPayload p;
    int count = 0;
    const EntryRecord* e = ReadClipboardPayload(&p, &count, &m_host);
    ASSERT_NE(e, nullptr) << paste;
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(e[0].m_name, "a.bin");
    EXPECT_STREQ(e[1].m_name, "sub");
    EXPECT_STREQ(p.m_sourcePath, "/pub");
  }
  // A text copy releases the copy's entries, once.
  ASSERT_TRUE(CopyTextToClipboard("\r\nftp://127.0.0.1/pub/a.bin", &m_host));
  EXPECT_EQ(LivePayloadArrays(), live);
  DragPayload p;
  int count = 9;
  EXPECT_EQ(ReadClipboardPayload(&p, &count, &m_host), nullptr);
  EXPECT_EQ(count, 0);
  ASSERT_TRUE(CopyTextToClipboard("\r\nagain", &m_host));
  EXPECT_EQ(LivePayloadArrays(), live);

  // A private block put there by another program is never handed on.
  DragPayload foreign = {};
  foreign.m_entries = 1;
  foreign.m_count = 1;
  foreign.m_producer = GetCurrentProcessId() + 4;
  ASSERT_TRUE(OpenClipboard(m_host.m_hWnd));
  EmptyClipboard();
  SetClipboardData(g_clipFormat, Block(&foreign, sizeof foreign));
  CloseClipboard();
  EXPECT_EQ(ReadClipboardPayload(&p, &count, &m_host), nullptr);
  ClearClipboard(&m_host);
  EXPECT_EQ(LivePayloadArrays(), live);
}

// Run by the test below as a second process: another running instance that
// copies entries of its own.
TEST(ViewsHelperChild, CopiesItsEntries)
{
  const char* slot = getenv("ZARN_VIEWS_CHILD");
  if (slot == nullptr)
    GTEST_SKIP() << "only as the second instance";
  const PayloadRow rows[] = {{"theirs.txt", 7, kEntryFile}};
  ASSERT_TRUE(CopyPayloadRows(rows, 1, atoi(slot), "/theirs", nullptr));
}

TEST_F(ViewsHelper, AnotherInstancesCopyIsNeverTaken)
{
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string line = std::string("\"") + self + "\" --gtest_filter=ViewsHelperChild.*";
  CSiteItem* site = AddSite(*m_doc, "named", "/");
  ASSERT_NE(site, nullptr);
  const int slot = SlotOf(*m_doc, site);
  SetEnvironmentVariableA("ZARN_VIEWS_CHILD", std::to_string(slot).c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  SetEnvironmentVariableA("ZARN_VIEWS_CHILD", nullptr);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  ASSERT_EQ(code, 0u);
  ASSERT_TRUE(IsClipboardFormatAvailable(g_clipFormat)) << "the other instance's copy is there";

  const int live = LivePayloadArrays();
  DragPayload p;
  int count = 0;
  EXPECT_EQ(ReadClipboardPayload(&p, &count, &m_host), nullptr) << "a paste takes nothing of it";

  // Its block handed over by a drag instead: refused as well.
  std::string bytes;
  ASSERT_TRUE(OpenClipboard(m_host.m_hWnd));
  if (HANDLE h = GetClipboardData(g_clipFormat)) {
    const char* q = static_cast<const char*>(GlobalLock(h));
    bytes.assign(q, GlobalSize(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  ASSERT_GE(bytes.size(), sizeof(DragPayload));
  DragPayload theirs;
  memcpy(&theirs, bytes.data(), sizeof theirs);
  EXPECT_NE(theirs.m_producer, (uint32_t)GetCurrentProcessId());
  EXPECT_STREQ(theirs.m_sourcePath, "/theirs");
  COleDataSource source;
  source.CacheGlobalData((CLIPFORMAT)g_clipFormat, Block(bytes.data(), bytes.size()));
  COleDataObject object;
  object.Attach(source.GetDataObject(), FALSE);
  EXPECT_EQ(ReadDroppedPayload(&object, &p, &count), nullptr);
  object.Release();

  // Deleting the site it names leaves it; replacing it frees nothing here.
  EXPECT_EQ(theirs.m_source, slot);
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_SITE);
  EXPECT_TRUE(m_doc->DeleteSite(slot));
  EXPECT_TRUE(IsClipboardFormatAvailable(g_clipFormat));
  ASSERT_TRUE(CopyTextToClipboard("\r\nmine", &m_host));
  EXPECT_EQ(LivePayloadArrays(), live);
}

TEST_F(ViewsHelper, CaptionStripsShowTheFocus)
{
  ::SetWindowPos(m_host.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  CCaptionStatic focused, other;
  ASSERT_TRUE(focused.Create("", WS_CHILD | WS_VISIBLE, CRect(224, 34, 640, 37), &m_host, 30));
  ASSERT_TRUE(other.Create("", WS_CHILD | WS_VISIBLE, CRect(0, 34, 220, 37), &m_host, 31));
  EXPECT_NE(GetWindowLongA(focused.m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  // The brush is there from creation on.
  HDC dc = ::GetDC(other.m_hWnd);
  HBRUSH brush = (HBRUSH)::SendMessageA(m_host.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)other.m_hWnd);
  EXPECT_NE(brush, nullptr);
  EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
  ::ReleaseDC(other.m_hWnd, dc);

  EXPECT_EQ(focused.SetColor(kCaptionFocusColor), GetSysColor(COLOR_BTNFACE));
  PumpUntil([&] { return !GetUpdateRect(focused.m_hWnd, nullptr, FALSE); });
  EXPECT_EQ(focused.SetColor(kCaptionFocusColor), kCaptionFocusColor);
  RECT update = {};
  EXPECT_TRUE(GetUpdateRect(focused.m_hWnd, &update, FALSE)) << "the same colour still repaints";

  // For the eye: the host listing rows under the two strips.
  m_host.m_list.InsertItem(0, "one.txt");
  m_host.m_list.InsertItem(1, "two");
  CString label("pub");
  m_helper.InsertTreeItem(m_helper.InsertRootItem(&m_host.m_tree, FALSE), &m_host.m_tree, label, "", FALSE);
  m_host.m_tree.Expand(m_host.m_tree.GetRootItem(), TVE_EXPAND);
  m_host.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpUntil([&] { return !GetUpdateRect(focused.m_hWnd, nullptr, FALSE); });
  if (const char* shot = getenv("ZARN_SHOT")) {
    guitest::PumpFor(500);  // for the eye only: Wine flushes window surfaces to X a little later
    const char* display = getenv("DISPLAY");
    menutest::RunUnix(std::string("DISPLAY=") + (display ? display : ":0") + " import -window root " + shot);
  }
}

}  // namespace
