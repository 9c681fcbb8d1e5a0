#include "toolkit/sortlist.h"

#include <vector>

#include "framework/file.h"
#include "framework/gdi.h"
#include "framework/winthread.h"
#include "toolkit/columntext.h"
#include "toolkit/headerlayout.h"

IMPLEMENT_DYNAMIC(CSortHeaderCtrl, CHeaderCtrl)
IMPLEMENT_DYNAMIC(CSortListCtrl, CListCtrl)

void CSortHeaderCtrl::SetSortArrow(int column, BOOL ascending) {
  m_nSortColumn = column;
  m_bSortAscending = ascending;
  HDITEMA item = {};
  item.mask = HDI_FORMAT;
  if (GetItem(column, &item)) {
    item.fmt |= HDF_OWNERDRAW;
    SetItem(column, &item);
  }
  Invalidate();
}

void CSortHeaderCtrl::Serialize(CArchive& ar) {
  const int n = GetItemCount();
  if (ar.IsStoring()) {
    if (n == -1)
      return;
    std::vector<int> widths((size_t)n);
    for (int i = 0; i < n; i++) {
      HDITEMA item = {};
      item.mask = HDI_WIDTH;
      GetItem(i, &item);
      widths[(size_t)i] = item.cxy;
    }
    StoreHeaderLayout(ar, widths);
    return;
  }
  std::vector<int> widths;
  if (!LoadHeaderLayout(ar, n, &widths))
    return;
  for (int i = 0; i < n; i++) {
    HDITEMA item = {};
    item.mask = HDI_WIDTH;
    item.cxy = widths[(size_t)i];
    SetItem(i, &item);
  }
}

void CSortHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT lpDIS) {
  CDC dc;
  dc.Attach(lpDIS->hDC);
  const int saved = dc.SaveDC();
  const CRect r(lpDIS->rcItem);
  CRgn clip;
  clip.CreateRectRgnIndirect(&r);
  dc.SelectClipRgn(&clip);
  dc.FillSolidRect(&r, ::GetSysColor(COLOR_3DFACE));

  char text[256] = "";
  HDITEMA item = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = text;
  item.cchTextMax = 255;
  GetItem((int)lpDIS->itemID, &item);
  UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER | DT_END_ELLIPSIS;
  if (item.fmt & HDF_CENTER)
    flags |= DT_CENTER;
  else if (item.fmt & HDF_RIGHT)
    flags |= DT_RIGHT;
  else
    flags |= DT_LEFT;

  CRect label = r;
  if (lpDIS->itemState == ODS_SELECTED) {  // pressed
    label.left += 1;
    label.top += 2;
    label.right += 1;
  }
  const int o = r.Height() / 4;
  const bool marked = (int)lpDIS->itemID == m_nSortColumn;
  if (marked)
    label.right -= 3 * o;
  label.left += o;
  label.right -= o;
  if (label.left < label.right) {
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
    dc.DrawText(text, -1, &label, flags);
  }

  if (marked) {
    CPen light(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT));
    CPen shadow(PS_SOLID, 1, ::GetSysColor(COLOR_3DSHADOW));
    CPen* old = dc.SelectObject(&light);
    if (m_bSortAscending) {
      dc.MoveTo(r.right - 2 * o, o);
      dc.LineTo(r.right - o, r.bottom - o - 1);
      dc.LineTo(r.right - 3 * o - 2, r.bottom - o - 1);
      dc.SelectObject(&shadow);
      dc.MoveTo(r.right - 3 * o - 1, r.bottom - o - 1);
      dc.LineTo(r.right - 2 * o, o - 1);
    } else {
      dc.MoveTo(r.right - o - 1, o);
      dc.LineTo(r.right - 2 * o - 1, r.bottom - o);
      dc.SelectObject(&shadow);
      dc.MoveTo(r.right - 2 * o - 2, r.bottom - o);
      dc.LineTo(r.right - 3 * o - 1, o);
      dc.LineTo(r.right - o - 1, o);
    }
    dc.SelectObject(old);
  }
  dc.RestoreDC(saved);
  dc.Detach();
}

BOOL CSortListCtrl::SubclassHeader() {
  HWND hHeader = (HWND)SendMessage(LVM_GETHEADER);
  if (hHeader != nullptr && m_header.m_hWnd == nullptr)
    m_header.SubclassWindow(hHeader);
  return TRUE;
}

namespace {
BOOL InsertSpecColumn(void* context, int index, const char* title, int width) {
  return static_cast<CSortListCtrl*>(context)->InsertColumn(index, title, LVCFMT_LEFT, width, -1) != -1;
}

CString LayoutEntry(const CWnd* list) {
  CString entry;
  entry.Format("%d", list->GetDlgCtrlID());
  return entry;
}
}  // namespace

BOOL CSortListCtrl::SetColumns(const CString& spec) {
  return ApplyColumnSpec(spec, &m_nColumnCount, InsertSpecColumn, this);
}

void CSortListCtrl::DeleteAllColumns() {
  // Until the list has none: the count kept here may lag behind a bare DeleteColumn.
  while (DeleteColumn(0)) {
  }
  m_nColumnCount = 0;
}

void CSortListCtrl::SetSortColumn(int column, BOOL ascending) {
  m_nSortColumn = column;
  m_bSortAscending = ascending;
  if (m_header.m_hWnd != nullptr)
    m_header.SetSortArrow(column, ascending);
}

void CSortListCtrl::LoadLayout() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || m_header.m_hWnd == nullptr)
    return;
  LPBYTE data = nullptr;
  UINT size = 0;
  if (!app->GetProfileBinary(kListLayoutSection, LayoutEntry(this), &data, &size))
    return;
  if (size > 0) {
    CMemFile file(data, size);
    CArchive ar(&file, CArchive::load, kLayoutArchiveBuffer);
    m_header.Serialize(ar);
    ar.Close();
    m_header.Invalidate();
  }
  delete[] data;
}

void CSortListCtrl::SaveLayout() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || m_header.m_hWnd == nullptr)
    return;
  CMemFile file(kLayoutFileGrowth);
  try {
    CArchive ar(&file, CArchive::store, kLayoutArchiveBuffer);
    m_header.Serialize(ar);
    ar.Close();
  } catch (CException* e) {
    e->Delete();
    return;
  }
  if (file.GetLength() > 0)
    app->WriteProfileBinary(kListLayoutSection, LayoutEntry(this), file.GetBufferPtr(), (UINT)file.GetLength());
}

void CSortListCtrl::OnDestroy() {
  SaveLayout();
  CListCtrl::OnDestroy();
}
