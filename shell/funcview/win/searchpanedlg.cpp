#include "shell/funcview/searchpanedlg.h"

#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/engineutil.h"
#include "engine/fileops.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/funcpages.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/listpagesres.h"
#include "shell/funcview/queueinfodlg.h"
#include "shell/settings/settings.h"
#include "views/contextmenu.h"
#include "views/filerows.h"
#include "views/panelinks.h"

namespace {

CSiteItem* DocSite(int i)
{
  return g_pDoc != nullptr ? g_pDoc->GetSite(i) : nullptr;
}

const ContextMenuItem kSearchMenu[] = {
    {ID_SEARCH_DOWNLOAD, "Download"},
    {ID_SEARCH_DOWNLOAD_ALL, "Download All"},
    {0, nullptr},
    {ID_SEARCH_DELETE, "Delete"},
    {ID_SEARCH_CLEAR, "Clear Queue"},
    {0, nullptr},
    {ID_QUEUE_INFO, "Queue Information"},
    {0, nullptr},
    {ID_QUEUE_SELECT_ALL, "Select All"},
    {ID_QUEUE_INVERT, "Invert Selection"},
};

const char kSitesGone[] = "Some files were not queued: their site has been deleted.";

}  // namespace

// ---- the list ----

IMPLEMENT_DYNCREATE(CMySearchList, CSortListCtrl)

BEGIN_MESSAGE_MAP(CMySearchList, CSortListCtrl)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
  ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
  ON_WM_CHAR()
END_MESSAGE_MAP()

void CMySearchList::Init()
{
  SubclassHeader();
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  SetColumns("Name,100;Site,100;In Folder,200;Size,100;Date,80;Attribute,80");
}

const SearchHit* CMySearchList::GetHit(int row) const
{
  return row >= 0 && row < GetCount() ? m_hits[static_cast<size_t>(row)].get() : nullptr;
}

void CMySearchList::Append(const EntryRecord& entry)
{
  m_hits.emplace_back(new SearchHit(MakeSearchHit(entry, DocSite(entry.m_tag))));
  Changed();
}

void CMySearchList::Changed()
{
  if (GetSafeHwnd() == nullptr)
    return;
  SetItemCountEx(GetCount(), LVSICF_NOSCROLL);
  Invalidate(FALSE);
}

std::vector<int> CMySearchList::SelectedRows() const
{
  return SelectedListRows(*this);
}

void CMySearchList::RemoveRows(const std::vector<int>& rows)
{
  for (auto it = rows.rbegin(); it != rows.rend(); ++it)
    if (*it >= 0 && *it < GetCount())
      m_hits.erase(m_hits.begin() + *it);
  SetItemState(-1, 0, LVIS_SELECTED);
  Changed();
}

void CMySearchList::RemoveAll()
{
  m_hits.clear();
  Changed();
}

void CMySearchList::SetAllSelected(bool selected)
{
  SetItemState(-1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CMySearchList::InvertSelection()
{
  InvertListSelection(*this, GetCount());
}

void CMySearchList::SortBy(int column)
{
  if (column < 0 || column > 5 || GetCount() < 2)
    return;
  m_sortAscending = !m_sortAscending;
  g_sortColumn = column;
  g_sortAscending = m_sortAscending;
  SetSortColumn(column, m_sortAscending);
  std::vector<SearchHit*> rows;
  for (auto& h : m_hits) rows.push_back(h.release());
  SortSearchHits(rows, column, m_sortAscending != FALSE);
  for (size_t i = 0; i < rows.size(); ++i) m_hits[i].reset(rows[i]);
  Invalidate(FALSE);
}

CString CMySearchList::HostText(int row) const
{
  const SearchHit* hit = GetHit(row);
  return hit != nullptr && SearchHitSite(*hit, DocSite) != nullptr ? CString(hit->host) : CString();
}

void CMySearchList::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  LVITEMA& lv = reinterpret_cast<LV_DISPINFOA*>(pNMHDR)->item;
  const SearchHit* hit = GetHit(lv.iItem);
  if (hit == nullptr || (lv.mask & LVIF_TEXT) == 0 || lv.pszText == nullptr || lv.cchTextMax <= 0)
    return;
  const char* text = "";
  switch (lv.iSubItem) {
    case 0: text = hit->entry.m_name; break;
    case 1: m_cellText = HostText(lv.iItem); text = m_cellText; break;
    case 2: text = hit->entry.m_second; break;
    case 3:
      m_cellText = FormatThousands(static_cast<uint64_t>(hit->entry.m_size > 0 ? hit->entry.m_size : 0));
      text = m_cellText;
      break;
    case 4: text = hit->entry.m_date; break;
    case 5: text = hit->entry.m_attributes; break;
    default: break;
  }
  std::snprintf(lv.pszText, static_cast<size_t>(lv.cchTextMax), "%s", text);
}

void CMySearchList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
  SortBy(reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem);
  *pResult = 0;
}

void CMySearchList::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
  if (nChar <= ' ' || nChar > 0xFF) {
    CSortListCtrl::OnChar(nChar, nRepCnt, nFlags);
    return;
  }
  std::vector<SearchHit*> rows;
  for (auto& h : m_hits) rows.push_back(h.get());
  const int row = FindSearchHitByChar(rows, GetNextItem(-1, LVNI_FOCUSED), static_cast<char>(nChar));
  if (row < 0)
    return;
  SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SetSelectionMark(row);
  EnsureVisible(row, FALSE);
}

// ---- the page ----

IMPLEMENT_DYNAMIC(CSearchPaneDlg, CListPaneBase)

BEGIN_MESSAGE_MAP(CSearchPaneDlg, CListPaneBase)
  ON_MESSAGE(UWM_SEARCH_RESULTS, OnSearchResults)
  ON_COMMAND(ID_SEARCH_DOWNLOAD, OnDownload)
  ON_COMMAND(ID_SEARCH_DOWNLOAD_ALL, OnDownloadAll)
  ON_COMMAND(ID_SEARCH_DELETE, OnDelete)
  ON_COMMAND(ID_SEARCH_CLEAR, OnClear)
  ON_COMMAND(ID_QUEUE_INFO, OnInfo)
  ON_COMMAND(ID_QUEUE_SELECT_ALL, OnSelectAll)
  ON_COMMAND(ID_QUEUE_INVERT, OnInvert)
END_MESSAGE_MAP()

CSearchPaneDlg::CSearchPaneDlg(CWnd* pParent) : CListPaneBase(IDD_SEARCH_LIST_PANE, pParent) {}

BOOL CSearchPaneDlg::OnInitDialog()
{
  CListPaneBase::OnInitDialog();
  m_list.SubclassDlgItem(IDC_SEARCH_LIST, this);
  m_list.Init();
  return TRUE;
}

LRESULT CSearchPaneDlg::OnSearchResults(WPARAM, LPARAM lParam)
{
  // The sender waits while its record is copied; nothing of it is kept.
  if (lParam != 0)
    m_list.Append(*reinterpret_cast<const EntryRecord*>(lParam));
  return 0;
}

void CSearchPaneDlg::DownloadRows(bool allRows)
{
  std::vector<const SearchHit*> hits;
  if (allRows) {
    for (int i = 0; i < m_list.GetCount(); ++i) hits.push_back(m_list.GetHit(i));
  } else {
    for (int row : m_list.SelectedRows()) hits.push_back(m_list.GetHit(row));
  }
  if (hits.empty())
    return;
  CString folder;
  if (CLocalTreeLink* local = LocalTreeLink())
    folder = local->SelectedPath();
  if (folder.IsEmpty())
    folder = g_downloadPath;
  if (folder.IsEmpty()) {
    ShowConfirmDlg(this, IDS_NO_RECEIVING_PATH, kConfirmModeError);
    return;
  }
  SearchQueueResult built = BuildSearchDownloads(hits, folder, DocSite);
  CWnd* view = g_pFuncView.load();
  for (CPlanItem* item : built.items) {
    if (view == nullptr || !::PostMessageA(view->GetSafeHwnd(), UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(item)))
      delete item;
  }
  if (!built.items.empty()) {
    if (IsOptionSet(OPTBIT_QUEUE_AUTOSTART))
      if (CWnd* frame = g_pMainFrame.load())
        ::PostMessageA(frame->GetSafeHwnd(), UWM_RUN_QUEUE, 0, 0);
    if (view != nullptr)
      ::PostMessageA(view->GetSafeHwnd(), UWM_SHOW_FUNC_TAB, 0, 3);
  }
  if (built.skipped > 0)
    ShowConfirmDlgText(this, kSitesGone, kConfirmModeError, TRUE);
}

void CSearchPaneDlg::OnDownload() { DownloadRows(false); }
void CSearchPaneDlg::OnDownloadAll() { DownloadRows(true); }
void CSearchPaneDlg::OnDelete() { m_list.RemoveRows(m_list.SelectedRows()); }
void CSearchPaneDlg::OnClear() { m_list.RemoveAll(); }
void CSearchPaneDlg::OnSelectAll() { m_list.SetAllSelected(true); }
void CSearchPaneDlg::OnInvert() { m_list.InvertSelection(); }

const ContextMenuItem* CSearchPaneDlg::PaneMenu(size_t* count) const
{
  *count = sizeof(kSearchMenu) / sizeof(kSearchMenu[0]);
  return kSearchMenu;
}

void CSearchPaneDlg::OnInfo()
{
  CQueueInfoDlg dlg(INFO_SEARCH, &m_list, this);
  dlg.DoModal();
}

void RegisterSearchPane()
{
  RegisterFuncViewPage(IDD_SEARCH_LIST_PANE, &CListPaneBase::Make<CSearchPaneDlg, IDD_SEARCH_LIST_PANE>);
}
