// Image lists, headers, tabs, trees and lists.
#include "framework/commctrls.h"

#include <shellapi.h>

#include <unordered_map>

#include "framework/gdi.h"
#include "framework/module.h"

IMPLEMENT_DYNAMIC(CImageList, CObject)
IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTabCtrl, CWnd)
IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

namespace {
thread_local std::unordered_map<HIMAGELIST, CImageList*>* t_pTempImageLists = nullptr;

// A temporary wrapper of a control the caller has not bound (an edit box the
// tree or list makes for label editing).
CEdit* EditFromHandle(HWND hWnd) {
  if (hWnd == nullptr)
    return nullptr;
  CWnd* p = CWnd::FromHandlePermanent(hWnd);
  if (p != nullptr)
    return static_cast<CEdit*>(p);
  return static_cast<CEdit*>(CWnd::FromHandle(hWnd));
}
}  // namespace

// ---- CImageList ----

CImageList::~CImageList() { DeleteImageList(); }

HIMAGELIST CImageList::GetSafeHandle() const {
  const CImageList* p = this;
  __asm__("" : "+r"(p));
  return p == nullptr ? nullptr : p->m_hImageList;
}

CImageList* CImageList::FromHandle(HIMAGELIST hImageList) {
  if (hImageList == nullptr)
    return nullptr;
  if (t_pTempImageLists == nullptr)
    t_pTempImageLists = new std::unordered_map<HIMAGELIST, CImageList*>;
  CImageList*& p = (*t_pTempImageLists)[hImageList];
  if (p == nullptr) {
    p = new CImageList;
    p->m_hImageList = hImageList;
    p->m_bShared = TRUE;
  }
  return p;
}

void CImageList::DeleteTempMap() {
  auto* p = t_pTempImageLists;
  if (p == nullptr)
    return;
  t_pTempImageLists = nullptr;
  for (auto& kv : *p) {
    kv.second->m_hImageList = nullptr;
    delete kv.second;
  }
  delete p;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
  if (hImageList == nullptr || m_hImageList != nullptr)
    return FALSE;
  m_hImageList = hImageList;
  m_bShared = FALSE;
  return TRUE;
}

HIMAGELIST CImageList::Detach() {
  HIMAGELIST h = m_hImageList;
  m_hImageList = nullptr;
  m_bShared = FALSE;
  return h;
}

BOOL CImageList::AttachSystemImageList(BOOL bSmallIcons) {
  if (m_hImageList != nullptr)
    return FALSE;
  SHFILEINFOA sfi = {};
  HIMAGELIST h = (HIMAGELIST)::SHGetFileInfoA(
      "C:\\", 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX | (bSmallIcons ? SHGFI_SMALLICON : SHGFI_LARGEICON));
  if (h == nullptr)
    return FALSE;
  m_hImageList = h;
  m_bShared = TRUE;
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (m_hImageList == nullptr)
    return FALSE;
  BOOL bShared = m_bShared;
  HIMAGELIST h = Detach();
  return bShared ? TRUE : ImageList_Destroy(h);
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
  return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) {
  return Create(MAKEINTRESOURCEA(nBitmapID), cx, nGrow, crMask);
}

BOOL CImageList::Create(LPCTSTR lpszBitmapID, int cx, int nGrow, COLORREF crMask) {
  if (m_hImageList != nullptr)
    return FALSE;
  HIMAGELIST h = ImageList_LoadImageA(AfxGetResourceHandle(), lpszBitmapID, cx, nGrow, crMask, IMAGE_BITMAP,
                                      LR_CREATEDIBSECTION);
  if (h == nullptr && AfxGetResourceHandle() != AfxGetInstanceHandle())
    h = ImageList_LoadImageA(AfxGetInstanceHandle(), lpszBitmapID, cx, nGrow, crMask, IMAGE_BITMAP,
                             LR_CREATEDIBSECTION);
  return Attach(h);
}

int CImageList::Add(CBitmap* pbmImage, CBitmap* pbmMask) {
  return ImageList_Add(m_hImageList, pbmImage ? (HBITMAP)pbmImage->m_hObject : nullptr,
                       pbmMask ? (HBITMAP)pbmMask->m_hObject : nullptr);
}

int CImageList::Add(CBitmap* pbmImage, COLORREF crMask) {
  return ImageList_AddMasked(m_hImageList, pbmImage ? (HBITMAP)pbmImage->m_hObject : nullptr, crMask);
}

BOOL CImageList::Replace(int nImage, CBitmap* pbmImage, CBitmap* pbmMask) {
  return ImageList_Replace(m_hImageList, nImage, pbmImage ? (HBITMAP)pbmImage->m_hObject : nullptr,
                           pbmMask ? (HBITMAP)pbmMask->m_hObject : nullptr);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
  return pDC && ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
}

BOOL CImageList::DragEnter(CWnd* pWndLock, CPoint point) {
  return ImageList_DragEnter(pWndLock ? pWndLock->m_hWnd : nullptr, point.x, point.y);
}

BOOL CImageList::DragLeave(CWnd* pWndLock) { return ImageList_DragLeave(pWndLock ? pWndLock->m_hWnd : nullptr); }

// ---- CHeaderCtrl ----

BOOL CHeaderCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
  return CWnd::Create(WC_HEADERA, nullptr, dwStyle, rect, pParentWnd, nID);
}

CImageList* CHeaderCtrl::SetImageList(CImageList* pImageList) {
  return CImageList::FromHandle(
      (HIMAGELIST)SendMessage(HDM_SETIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle()));
}

BOOL CHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

// ---- CTabCtrl ----

BOOL CTabCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_TAB_CLASSES);
  return CWnd::Create(WC_TABCONTROLA, nullptr, dwStyle, rect, pParentWnd, nID);
}

CImageList* CTabCtrl::SetImageList(CImageList* pImageList) {
  return CImageList::FromHandle(
      (HIMAGELIST)SendMessage(TCM_SETIMAGELIST, 0, (LPARAM)pImageList->GetSafeHandle()));
}

LONG CTabCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
  TCITEMA item = {};
  item.mask = TCIF_TEXT | TCIF_IMAGE;
  item.pszText = const_cast<LPSTR>(lpszItem ? lpszItem : "");
  item.iImage = nImage;
  return InsertItem(nItem, &item);
}

CSize CTabCtrl::SetItemSize(CSize size) {
  DWORD dw = (DWORD)SendMessage(TCM_SETITEMSIZE, 0, MAKELPARAM(size.cx, size.cy));
  return CSize(LOWORD(dw), HIWORD(dw));
}

BOOL CTabCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}

// ---- CTreeCtrl ----

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_TREEVIEW_CLASSES);
  return CWnd::Create(WC_TREEVIEWA, nullptr, dwStyle, rect, pParentWnd, nID);
}

HTREEITEM CTreeCtrl::InsertItem(LPTVINSERTSTRUCTA lpInsertStruct) {
  return (HTREEITEM)SendMessage(TVM_INSERTITEMA, 0, (LPARAM)lpInsertStruct);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                                UINT nStateMask, LPARAM lParam, HTREEITEM hParent, HTREEITEM hInsertAfter) {
  TVINSERTSTRUCTA tvis = {};
  tvis.hParent = hParent;
  tvis.hInsertAfter = hInsertAfter;
  tvis.item.mask = nMask;
  tvis.item.pszText = const_cast<LPSTR>(lpszItem);
  tvis.item.iImage = nImage;
  tvis.item.iSelectedImage = nSelectedImage;
  tvis.item.state = nState;
  tvis.item.stateMask = nStateMask;
  tvis.item.lParam = lParam;
  return InsertItem(&tvis);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter) {
  return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) {
  return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, lpszItem, nImage, nSelectedImage, 0, 0, 0, hParent,
                    hInsertAfter);
}

// Some tree controls keep the old node marked when asked to clear the drop
// highlight: the mark is cleared here, and a node counts as highlighted only
// while it carries the mark.
BOOL CTreeCtrl::SelectDropTarget(HTREEITEM hItem) {
  HTREEITEM hOld = GetNextItem(nullptr, TVGN_DROPHILITE);
  BOOL bOk = Select(hItem, TVGN_DROPHILITE);
  if (hOld != nullptr && hOld != hItem && (GetItemState(hOld, TVIS_DROPHILITED) & TVIS_DROPHILITED)) {
    SetItemState(hOld, 0, TVIS_DROPHILITED);
    RECT rc;
    if (GetItemRect(hOld, &rc, FALSE))
      ::InvalidateRect(m_hWnd, &rc, TRUE);
  }
  return bOk;
}

HTREEITEM CTreeCtrl::GetDropHilightItem() const {
  HTREEITEM h = GetNextItem(nullptr, TVGN_DROPHILITE);
  return h != nullptr && (GetItemState(h, TVIS_DROPHILITED) & TVIS_DROPHILITED) ? h : nullptr;
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const {
  TVITEMA item = {};
  item.hItem = hItem;
  item.mask = TVIF_CHILDREN;
  if (!GetItem(&item))
    return FALSE;
  return item.cChildren != 0;
}

BOOL CTreeCtrl::SetItem(HTREEITEM hItem, UINT nMask, LPCTSTR lpszItem, int nImage, int nSelectedImage, UINT nState,
                        UINT nStateMask, LPARAM lParam) {
  TVITEMA item = {};
  item.hItem = hItem;
  item.mask = nMask;
  item.pszText = const_cast<LPSTR>(lpszItem);
  item.iImage = nImage;
  item.iSelectedImage = nSelectedImage;
  item.state = nState;
  item.stateMask = nStateMask;
  item.lParam = lParam;
  return SetItem(&item);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
  // The control has no length query: grow the buffer until the text fits.
  CString s;
  for (int nLen = 256; nLen <= 65536; nLen *= 4) {
    TVITEMA item = {};
    item.hItem = hItem;
    item.mask = TVIF_TEXT;
    char* p = s.GetBuffer(nLen);
    p[0] = '\0';
    item.pszText = p;
    item.cchTextMax = nLen;
    if (!GetItem(&item)) {
      s.ReleaseBuffer(0);
      return s;
    }
    int nGot = lstrlenA(p);
    s.ReleaseBuffer(nGot);
    if (nGot < nLen - 1)
      break;
  }
  return s;
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCTSTR lpszItem) {
  return SetItem(hItem, TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const {
  TVITEMA item = {};
  item.hItem = hItem;
  item.mask = TVIF_PARAM;
  if (!GetItem(&item))
    return 0;
  return (DWORD_PTR)item.lParam;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData) {
  return SetItem(hItem, TVIF_PARAM, nullptr, 0, 0, 0, 0, (LPARAM)dwData);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const {
  TVITEMA item = {};
  item.hItem = hItem;
  item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  if (!GetItem(&item))
    return FALSE;
  nImage = item.iImage;
  nSelectedImage = item.iSelectedImage;
  return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage) {
  return SetItem(hItem, TVIF_IMAGE | TVIF_SELECTEDIMAGE, nullptr, nImage, nSelectedImage, 0, 0, 0);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask) {
  return SetItem(hItem, TVIF_STATE, nullptr, 0, 0, nState, nStateMask, 0);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const {
  *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
  return (BOOL)SendMessage(TVM_GETITEMRECT, (WPARAM)bTextOnly, (LPARAM)lpRect);
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const {
  TVHITTESTINFO hti = {};
  hti.pt = pt;
  HTREEITEM h = HitTest(&hti);
  if (pFlags != nullptr)
    *pFlags = hti.flags;
  return h;
}

CEdit* CTreeCtrl::EditLabel(HTREEITEM hItem) {
  return EditFromHandle((HWND)SendMessage(TVM_EDITLABELA, 0, (LPARAM)hItem));
}

CEdit* CTreeCtrl::GetEditControl() const { return EditFromHandle((HWND)SendMessage(TVM_GETEDITCONTROL)); }

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
  return CImageList::FromHandle(
      (HIMAGELIST)SendMessage(TVM_SETIMAGELIST, (WPARAM)nImageListType, (LPARAM)pImageList->GetSafeHandle()));
}

CImageList* CTreeCtrl::CreateDragImage(HTREEITEM hItem) {
  HIMAGELIST h = (HIMAGELIST)SendMessage(TVM_CREATEDRAGIMAGE, 0, (LPARAM)hItem);
  if (h == nullptr)
    return nullptr;
  CImageList* p = new CImageList;
  p->Attach(h);
  return p;
}

// ---- CListCtrl ----

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
  return CWnd::Create(WC_LISTVIEWA, nullptr, dwStyle, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, LPCTSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem) {
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT | LVCF_FMT;
  col.pszText = const_cast<LPSTR>(lpszColumnHeading ? lpszColumnHeading : "");
  col.fmt = nFormat;
  if (nWidth != -1) {
    col.mask |= LVCF_WIDTH;
    col.cx = nWidth;
  }
  if (nSubItem != -1) {
    col.mask |= LVCF_SUBITEM;
    col.iSubItem = nSubItem;
  }
  return InsertColumn(nCol, &col);
}

CHeaderCtrl* CListCtrl::GetHeaderCtrl() const {
  return static_cast<CHeaderCtrl*>(CWnd::FromHandle((HWND)SendMessage(LVM_GETHEADER)));
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem) {
  return InsertItem(LVIF_TEXT, nItem, lpszItem, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int nItem, LPCTSTR lpszItem, int nImage) {
  return InsertItem(LVIF_TEXT | LVIF_IMAGE, nItem, lpszItem, 0, 0, nImage, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, LPCTSTR lpszItem, UINT nState, UINT nStateMask, int nImage,
                          LPARAM lParam) {
  LVITEMA item = {};
  item.mask = nMask;
  item.iItem = nItem;
  item.pszText = const_cast<LPSTR>(lpszItem);
  item.state = nState;
  item.stateMask = nStateMask;
  item.iImage = nImage;
  item.lParam = lParam;
  return InsertItem(&item);
}

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCTSTR lpszItem, int nImage, UINT nState,
                        UINT nStateMask, LPARAM lParam) {
  LVITEMA item = {};
  item.mask = nMask;
  item.iItem = nItem;
  item.iSubItem = nSubItem;
  item.pszText = const_cast<LPSTR>(lpszItem);
  item.iImage = nImage;
  item.state = nState;
  item.stateMask = nStateMask;
  item.lParam = lParam;
  return SetItem(&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  CString s;
  for (int nLen = 256; nLen <= 65536; nLen *= 4) {
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    char* p = s.GetBuffer(nLen);
    p[0] = '\0';
    item.pszText = p;
    item.cchTextMax = nLen;
    int nGot = (int)SendMessage(LVM_GETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
    if (nGot < 0)
      nGot = 0;
    s.ReleaseBuffer(nGot);
    if (nGot < nLen - 1)
      break;
  }
  return s;
}

int CListCtrl::GetItemText(int nItem, int nSubItem, LPTSTR lpszText, int nLen) const {
  LVITEMA item = {};
  item.iSubItem = nSubItem;
  item.pszText = lpszText;
  item.cchTextMax = nLen;
  return (int)SendMessage(LVM_GETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCTSTR lpszText) {
  LVITEMA item = {};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<LPSTR>(lpszText);
  return (BOOL)SendMessage(LVM_SETITEMTEXTA, (WPARAM)nItem, (LPARAM)&item);
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  if (!GetItem(&item))
    return 0;
  return (DWORD_PTR)item.lParam;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
  return SetItem(nItem, 0, LVIF_PARAM, nullptr, 0, 0, 0, (LPARAM)dwData);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
  LVITEMA item = {};
  item.state = nState;
  item.stateMask = nMask;
  return (BOOL)SendMessage(LVM_SETITEMSTATE, (WPARAM)nItem, (LPARAM)&item);
}

BOOL CListCtrl::GetItemRect(int nItem, LPRECT lpRect, UINT nCode) const {
  lpRect->left = (LONG)nCode;
  return (BOOL)SendMessage(LVM_GETITEMRECT, (WPARAM)nItem, (LPARAM)lpRect);
}

BOOL CListCtrl::GetSubItemRect(int iItem, int iSubItem, int nArea, CRect& ref) const {
  ref.top = iSubItem;
  ref.left = nArea;
  return (BOOL)SendMessage(LVM_GETSUBITEMRECT, (WPARAM)iItem, (LPARAM)(LPRECT)&ref);
}

POSITION CListCtrl::GetFirstSelectedItemPosition() const {
  int n = GetNextItem(-1, LVNI_SELECTED);
  return n < 0 ? nullptr : reinterpret_cast<POSITION>((INT_PTR)n + 1);
}

int CListCtrl::GetNextSelectedItem(POSITION& pos) const {
  int nCur = (int)(reinterpret_cast<INT_PTR>(pos) - 1);
  int nNext = GetNextItem(nCur, LVNI_SELECTED);
  pos = nNext < 0 ? nullptr : reinterpret_cast<POSITION>((INT_PTR)nNext + 1);
  return nCur;
}

int CListCtrl::HitTest(CPoint pt, UINT* pFlags) const {
  LVHITTESTINFO hti = {};
  hti.pt = pt;
  int n = HitTest(&hti);
  if (pFlags != nullptr)
    *pFlags = hti.flags;
  return n;
}

CEdit* CListCtrl::EditLabel(int nItem) { return EditFromHandle((HWND)SendMessage(LVM_EDITLABELA, (WPARAM)nItem)); }

CEdit* CListCtrl::GetEditControl() const { return EditFromHandle((HWND)SendMessage(LVM_GETEDITCONTROL)); }

CImageList* CListCtrl::CreateDragImage(int nItem, LPPOINT lpPoint) {
  POINT pt = {0, 0};
  HIMAGELIST h = (HIMAGELIST)SendMessage(LVM_CREATEDRAGIMAGE, (WPARAM)nItem, (LPARAM)(lpPoint ? lpPoint : &pt));
  if (h == nullptr)
    return nullptr;
  CImageList* p = new CImageList;
  p->Attach(h);
  return p;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
  return CImageList::FromHandle(
      (HIMAGELIST)SendMessage(LVM_SETIMAGELIST, (WPARAM)nImageListType, (LPARAM)pImageList->GetSafeHandle()));
}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_DRAWITEM) {
    DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
  }
  if (message == WM_MEASUREITEM) {
    MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam));
    *pResult = TRUE;
    return TRUE;
  }
  return CWnd::OnChildNotify(message, wParam, lParam, pResult);
}
