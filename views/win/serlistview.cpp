// The server lists' window: the two panes' traits, creation, the tree and the
// sites the rows stand for, double click and the end of a label edit.
#include "views/serlistview.h"

#include <cstdio>
#include <cstring>

#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "views/payloadtransfer.h"
#include "views/sertreeres.h"
#include "views/sertreeview.h"

const char kDriveLetterText[] =
    "Can't change drive letter here, but you can change it using the tool provided by operating system.";

namespace {

const char kColumns[] = "Name(Remote),150;Date,150;Size,150;Attribute,120";
// Stored order of the colours: local tree, local list, remote trees, remote lists.
constexpr int kRemoteListColor = 3;

const SerListPane kFirstPane = {1, kSerListId, kListOfSerTree, " can't connect, terminated", true};
const SerListPane kSecondPane = {0, kSerListId1, kListOfSerTree1, "::Can't connect, terminated", false};

FileListSpec SpecOf(const SerListPane& pane)
{
  return FileListSpec{pane.listId, kColumns, kRemoteListColor, FALSE, pane.partnerSlot};
}

ViewSlot& ListSlot(int paneFlag) { return paneFlag != 0 ? g_pSerLiView : g_pSerLiView1; }
ViewSlot& TreeSlot(int paneFlag) { return ServerTreeSlot(paneFlag != 0 ? 1 : 0); }

}  // namespace

IMPLEMENT_DYNAMIC(CSerLiViewBase, CFileListView)
IMPLEMENT_DYNCREATE(CSerLiView, CSerLiViewBase)
IMPLEMENT_DYNCREATE(CSerLiView1, CSerLiViewBase)

BEGIN_MESSAGE_MAP(CSerLiView, CSerLiViewBase)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CSerLiView1, CSerLiViewBase)
END_MESSAGE_MAP()

CSerLiView::CSerLiView() : CSerLiViewBase(kFirstPane, SpecOf(kFirstPane)) {}
CSerLiView1::CSerLiView1() : CSerLiViewBase(kSecondPane, SpecOf(kSecondPane)) {}

CSerLiViewBase::CSerLiViewBase(const SerListPane& pane, const FileListSpec& spec)
    : CFileListView(spec), m_pane(pane)
{
  m_busyCursor = LoadAnimatedCursor(IDR_SERTREE_BUSY);
  if (m_busyCursor == nullptr)
    m_busyCursor = ::LoadCursor(nullptr, IDC_WAIT);
}

CSerLiViewBase::~CSerLiViewBase()
{
  // The system's wait cursor (our own did not load) is shared: not ours to destroy.
  if (m_busyCursor != nullptr && m_busyCursor != ::LoadCursor(nullptr, IDC_WAIT))
    ::DestroyCursor(m_busyCursor);
  CWnd* self = this;
  ListSlot(m_pane.paneFlag).compare_exchange_strong(self, nullptr);
}

int CSerLiViewBase::OnCreate(LPCREATESTRUCT lpcs)
{
  if (CFileListView::OnCreate(lpcs) == -1)
    return -1;
  ListSlot(m_pane.paneFlag) = this;
  return 0;
}

void CSerLiViewBase::OnDestroy()
{
  CWnd* self = this;
  ListSlot(m_pane.paneFlag).compare_exchange_strong(self, nullptr);
  CFileListView::OnDestroy();
}

BOOL CSerLiViewBase::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
  if (CFileListView::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  // The site commands of the site list go up to the document, also from a
  // list that was made without one.
  return GetDocument() == nullptr && g_pDoc != nullptr && g_pDoc->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---- the tree and the sites ----

CSerTrViewBase* CSerLiViewBase::Tree() const
{
  return DYNAMIC_DOWNCAST(CSerTrViewBase, TreeSlot(m_pane.paneFlag).load());
}

CSerTrViewBase* CSerLiViewBase::OtherTree() const
{
  return DYNAMIC_DOWNCAST(CSerTrViewBase, TreeSlot(m_pane.paneFlag != 0 ? 0 : 1).load());
}

CTreeCtrl* CSerLiViewBase::TreeCtrl() const
{
  CSerTrViewBase* tree = Tree();
  return tree != nullptr && tree->GetTreeCtrl().m_hWnd != nullptr ? &tree->GetTreeCtrl() : nullptr;
}

HTREEITEM CSerLiViewBase::SelectedNode() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr ? tree->GetSelectedItem() : nullptr;
}

bool CSerLiViewBase::ShowsSites() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr && tree->GetSelectedItem() != nullptr && tree->GetSelectedItem() == tree->GetRootItem();
}

bool CSerLiViewBase::ShowsFolder() const
{
  CTreeCtrl* tree = TreeCtrl();
  return tree != nullptr && tree->GetSelectedItem() != nullptr && tree->GetSelectedItem() != tree->GetRootItem();
}

HTREEITEM CSerLiViewBase::RowNode(int row)
{
  CTreeCtrl* tree = TreeCtrl();
  if (tree == nullptr || row < 0 || row >= m_list.GetItemCount() || m_list.GetItemKind(row) == kRowFile)
    return nullptr;
  return FindChildOfRow(tree, &m_list, row);
}

int CSerLiViewBase::NodeSite(HTREEITEM node)
{
  CSerTrViewBase* tree = Tree();
  CString path;
  int site = -1;
  if (tree == nullptr || !tree->NodePath(node, &path, &site))
    return -1;
  return site;
}

CSiteItem* CSerLiViewBase::SelectedSite()
{
  const int slot = NodeSite(SelectedNode());
  return g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
}

CSiteItem* CSerLiViewBase::OneSelectedSite(int* slot)
{
  const std::vector<int> rows = SelectedRows();
  if (!ShowsSites() || rows.size() != 1 || g_pDoc == nullptr)
    return nullptr;
  const int index = NodeSite(RowNode(rows[0]));
  if (slot != nullptr)
    *slot = index;
  return g_pDoc->GetSite(index);
}

// ---- double click and label edits ----

void CSerLiViewBase::OnDblClk(UINT id, NMHDR*, LRESULT* pResult)
{
  *pResult = 0;
  const std::vector<int> rows = SelectedRows();
  if (id != m_pane.listId || rows.size() != 1)
    return;
  const int row = rows[0];
  if (ShowsFolder() && m_list.GetItemKind(row) == kRowFile) {
    OpenRemoteFile(SelectedNode(), row);
    return;
  }
  CTreeCtrl* tree = TreeCtrl();
  HTREEITEM node = RowNode(row);
  if (tree == nullptr || node == nullptr)
    return;
  tree->Expand(tree->GetParentItem(node), TVE_EXPAND);
  tree->SelectItem(node);
}

void CSerLiViewBase::OnEndLabelEdit(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
{
  // The list never takes the typed text itself: the tasks report the names.
  *pResult = FALSE;
  if (id != m_pane.listId)
    return;
  const LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
  const bool newFolder = m_newFolderEdit != FALSE;
  if (ShowsSites()) {
    if (newFolder)
      m_list.DeleteItem(EndNewFolderRow());
    ShowConfirmDlgText(this, kDriveLetterText, kConfirmModeError, TRUE);
    return;
  }
  CString text(item.pszText != nullptr ? item.pszText : "");
  text.Trim(" ");
  if (newFolder) {
    NewFolderEditEnded(item.pszText != nullptr ? text : CString());
    return;
  }
  if (item.pszText != nullptr)
    RenameEnded(item.iItem, text);
}

void CSerLiViewBase::NewFolderEditEnded(const CString& text)
{
  // The placeholder is found by its record: rows that came or went during the
  // edit have moved it, and a refill has taken it (then nothing is made).
  const int row = EndNewFolderRow();
  if (row < 0)
    return;
  m_list.DeleteItem(row);
  HTREEITEM node = SelectedNode();
  if (text.IsEmpty() || node == nullptr || !ShowsFolder())
    return;
  if (!AcceptRemoteName(this, text))
    return;
  EntryRecord* entry = new EntryRecord[2]();
  snprintf(entry[0].m_date, sizeof entry[0].m_date, "%s", PayloadDateText().c_str());
  snprintf(entry[0].m_name, sizeof entry[0].m_name, "%s", (const char*)text);
  entry[0].m_kind = kEntryFolder;
  entry[0].m_node = node;
  LaunchMakeFolderTask(m_pane.paneFlag, node, entry);
}

void CSerLiViewBase::RenameEnded(int row, const CString& text)
{
  const CString old = m_list.GetItemText(row, 0);
  HTREEITEM node = SelectedNode();
  // An empty old name is a new-folder row whose edit another edit ended.
  if (text.IsEmpty() || old.IsEmpty() || text == old || node == nullptr || row < 0 || row >= m_list.GetItemCount())
    return;
  if (!AcceptRemoteName(this, text))
    return;
  EntryRecord* entry = RowEntries({row}, false);
  snprintf(entry[0].m_second, sizeof entry[0].m_second, "%s", (const char*)text);
  LaunchRenameTask(m_pane.paneFlag, node, entry);
}

EntryRecord* CSerLiViewBase::RowEntries(const std::vector<int>& rows, bool dated)
{
  const size_t n = rows.size();
  EntryRecord* entries = new EntryRecord[n + 1]();
  const std::string date = dated ? PayloadDateText() : std::string();
  for (size_t i = 0; i < n; ++i) {
    EntryRecord& e = entries[i];
    snprintf(e.m_date, sizeof e.m_date, "%s", date.c_str());
    const CFileListItem* item = m_list.Row(rows[i]);
    if (item == nullptr)
      continue;
    snprintf(e.m_name, sizeof e.m_name, "%s", item->m_name);
    e.m_kind = item->m_kind;
    e.m_size = item->m_kind == kRowFile ? item->m_size : 0;
    if (item->m_kind != kRowFile)
      e.m_node = RowNode(rows[i]);
  }
  return entries;
}
