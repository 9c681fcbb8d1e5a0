#include "views/filelistctrl.h"

#include <algorithm>
#include <cstring>

#include "engine/shellseam.h"
#include "views/imagelists.h"

IMPLEMENT_DYNAMIC(CFileListCtrl, CSortListCtrl)

BEGIN_MESSAGE_MAP(CFileListCtrl, CSortListCtrl)
  ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
  ON_NOTIFY_REFLECT(LVN_ODCACHEHINT, OnCacheHint)
  ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, OnCustomDraw)
  ON_WM_CHAR()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

// OnDestroy has deleted the rows; the store's destructor finds none left.
CFileListCtrl::~CFileListCtrl() = default;

void CFileListCtrl::UpdateItemCount()
{
  if (m_hWnd != nullptr)
    SetItemCount(RowCount());
}

CFileListCtrl::Marks CFileListCtrl::TakeMarks() const
{
  Marks marks;
  if (m_hWnd == nullptr || GetSelectedCount() == 0)
    return marks;  // nothing chosen: nothing to follow (a large fill stays one pass)
  std::vector<int> rows;
  for (int i = GetNextItem(-1, LVNI_SELECTED); i >= 0; i = GetNextItem(i, LVNI_SELECTED))
    rows.push_back(i);
  marks.selected = ChosenOf(*this, rows);
  const int focused = GetNextItem(-1, LVNI_FOCUSED);
  if (focused >= 0)
    marks.focused = ChosenOf(*this, {focused});
  return marks;
}

void CFileListCtrl::PutMarks(const Marks& marks)
{
  if (m_hWnd == nullptr || marks.selected.empty())
    return;
  SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (int row : RowsOfChosen(*this, marks.selected))
    SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  for (int row : RowsOfChosen(*this, marks.focused))
    SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED);
}

void CFileListCtrl::FillFromChain(CFileListItem* first, int n)
{
  Keeping([&] {
    FillRows(first, n, m_nSortColumn, m_bSortAscending);
    UpdateItemCount();
    return 0;
  });
}

void CFileListCtrl::ReplaceRows(CFileListItem* first, int n)
{
  Keeping([&] {
    ClearRows();
    FillRows(first, n, m_nSortColumn, m_bSortAscending);
    UpdateItemCount();
    return 0;
  });
}

void CFileListCtrl::DeleteAllItems()
{
  ClearRows();
  UpdateItemCount();
}

int CFileListCtrl::InsertItem(int index, const char* name, int kind)
{
  return Keeping([&] {
    const int used = InsertRow(index, name, kind);
    UpdateItemCount();
    return used;
  });
}

BOOL CFileListCtrl::DeleteItem(int index)
{
  return Keeping([&] {
    const bool done = DeleteRow(index);
    UpdateItemCount();
    return done ? TRUE : FALSE;
  });
}

BOOL CFileListCtrl::SetItemKind(int index, int value)
{
  return Keeping([&] { return SetRowKind(index, value); });
}

BOOL CFileListCtrl::SetItemText(int index, int column, const char* text)
{
  const BOOL done = SetRowText(index, column, text);
  UpdateItemCount();
  return done;
}

void CFileListCtrl::SelectAll()
{
  SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

void CFileListCtrl::InvertSelection()
{
  for (int i = 0; i < RowCount(); ++i)
    SetItemState(i, (GetItemState(i, LVIS_SELECTED) & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
}

int CFileListCtrl::SelectByMask(const char* pattern)
{
  SetItemState(-1, 0, LVIS_SELECTED);
  int count = 0;
  int last = -1;
  for (int i = 0; i < RowCount(); ++i) {
    if (MatchWildcard(pattern, m_rows[(size_t)i]->m_name)) {
      SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
      last = i;
      ++count;
    }
  }
  // Scrolling to every match in turn ends where scrolling to the last one does.
  if (last >= 0)
    EnsureVisible(last, TRUE);
  return count;
}

void CFileListCtrl::SelectNextByChar(char c)
{
  const int cur = GetNextItem(-1, LVNI_SELECTED);
  const int next = NextRowByChar(cur, c);
  if (next < 0)
    return;
  EnsureVisible(next, FALSE);
  SetItemState(next, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  if (cur >= 0)
    SetItemState(cur, 0, LVIS_SELECTED);
}

int CFileListCtrl::LookupIcon(CFileListItem* row)
{
  if (row == nullptr)
    return I_IMAGENONE;
  if (!m_isLocal && row->m_kind == kRowSite)
    return g_siteImageBase - 3;
  if (row->m_displayName[0] == '\0')
    std::memcpy(row->m_displayName, row->m_name, sizeof(row->m_displayName));
  int icon = -1;
  if (m_isLocal) {
    const BOOL found = GetShellIconIndex(nullptr, row->m_displayName, &icon, nullptr);
    // Looked up once: a row the shell has no icon for shows none from now on.
    return (found && icon >= 0) ? icon : I_IMAGENONE;
  }
  std::string type = "/";
  if (row->m_kind != kRowFolder) {
    const char* dot = std::strrchr(row->m_name, '.');
    type = dot ? dot : "";
    for (char& c : type)
      c = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
  }
  const auto known = m_iconByType.find(type);
  if (known != m_iconByType.end())
    return known->second;
  if (!GetShellIconIndexByName(row->m_name, &icon, nullptr, row->m_kind) || icon < 0)
    icon = I_IMAGENONE;
  m_iconByType.emplace(type, icon);
  return icon;
}

void CFileListCtrl::PrepareIcons(int first, int last)
{
  first = std::max(first, 0);
  last = std::min(last, RowCount() - 1);
  for (int i = first; i <= last; ++i) {
    CFileListItem* row = m_rows[(size_t)i];
    if (row->m_icon == -1)
      row->m_icon = LookupIcon(row);
  }
}

void CFileListCtrl::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
  const int column = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
  const BOOL ascending = m_bSortAscending ? FALSE : TRUE;
  g_sortColumn = column;
  g_sortAscending = ascending;
  SetSortColumn(column, ascending);
  if (RowCount() > 0) {
    Keeping([&] {
      SortRuns(column, ascending);
      UpdateItemCount();
      return 0;
    });
  }
  *pResult = 0;
}

void CFileListCtrl::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
  CFileListItem* row = Row(item.iItem);
  if (row == nullptr)
    return;
  // Drag images ask for the image alone.
  if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0) {
    if (row->m_icon == -1)
      row->m_icon = LookupIcon(row);
    item.iImage = row->m_icon;
    if (m_painting && row->m_icon >= 0 && StripDraws(item.iItem)) {
      // An index past the image list: the row is laid out as one with an
      // icon (its name where it always is), and the list's draw of it fails
      // at once.
      item.iImage = kPastTheImages;
      m_stripRows.insert(item.iItem);
    }
  }
  if ((item.mask & LVIF_TEXT) && item.pszText != nullptr && item.cchTextMax > 0) {
    const CString text = RowCellText(row, item.iSubItem);
    CopyRowText(item.pszText, (size_t)item.cchTextMax, text, (size_t)text.GetLength());
  }
}

void CFileListCtrl::OnCacheHint(NMHDR* pNMHDR, LRESULT* pResult)
{
  const NMLVCACHEHINT* hint = reinterpret_cast<NMLVCACHEHINT*>(pNMHDR);
  PrepareIcons(hint->iFrom, hint->iTo);
  *pResult = 0;
}

const int CFileListCtrl::kPastTheImages = 0x3FFFFFFF;

bool CFileListCtrl::StripDraws(int index)
{
  // The list blends the icons of these rows itself.
  const UINT blended = LVIS_SELECTED | LVIS_CUT | LVIS_DROPHILITED;
  return (GetItemState(index, blended) & blended) == 0;
}

void CFileListCtrl::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
  NMLVCUSTOMDRAW* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(pNMHDR);
  *pResult = CDRF_DODEFAULT;
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      m_painting = true;
      m_stripRows.clear();
      *pResult = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
      break;
    case CDDS_ITEMPREPAINT:
      *pResult = CDRF_NOTIFYPOSTPAINT;
      break;
    case CDDS_ITEMPOSTPAINT: {
      const int index = static_cast<int>(draw->nmcd.dwItemSpec);
      CFileListItem* row = Row(index);
      HIMAGELIST list = ListView_GetImageList(m_hWnd, LVSIL_SMALL);
      // Only a row the list could not draw the icon of: no icon twice.
      if (m_stripRows.erase(index) == 0 || row == nullptr || row->m_icon < 0 || list == nullptr)
        break;
      RECT icon = {LVIR_ICON, 0, 0, 0};
      RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
      RECT column = {};
      if (!::SendMessageA(m_hWnd, LVM_GETITEMRECT, (WPARAM)index, (LPARAM)&icon) ||
          !::SendMessageA(m_hWnd, LVM_GETITEMRECT, (WPARAM)index, (LPARAM)&bounds) ||
          !Header_GetItemRect(ListView_GetHeader(m_hWnd), 0, &column))
        break;
      // Within the name's column, however narrow the user made it.
      const int width = bounds.left + column.right - icon.left;
      if (width > 0 && !m_iconStrip.Draw(list, row->m_icon, draw->nmcd.hdc, icon.left, icon.top, width)) {
        const int saved = ::SaveDC(draw->nmcd.hdc);
        ::IntersectClipRect(draw->nmcd.hdc, icon.left, icon.top, icon.left + width, icon.bottom);
        ImageList_Draw(list, row->m_icon, draw->nmcd.hdc, icon.left, icon.top, ILD_TRANSPARENT);
        ::RestoreDC(draw->nmcd.hdc, saved);
      }
      break;
    }
    case CDDS_POSTPAINT:
      m_painting = false;
      m_stripRows.clear();
      break;
    default:
      break;
  }
}

LRESULT CFileListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  const LRESULT result = CSortListCtrl::WindowProc(message, wParam, lParam);
  // A paint that ended early sent no post-paint stage: what asks for an icon
  // next (a drag image) gets the real one.
  if (message == WM_PAINT || message == WM_PRINTCLIENT) {
    m_painting = false;
    m_stripRows.clear();
  }
  return result;
}

void CFileListCtrl::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
  if (nChar == ' ') {
    Default();
    return;
  }
  SelectNextByChar((char)nChar);
}

void CFileListCtrl::OnDestroy()
{
  DeleteAllItems();
  CSortListCtrl::OnDestroy();
}
