#include "framework/splitter.h"

#include <algorithm>

#include "framework/gdi.h"

IMPLEMENT_DYNAMIC(CSplitterWnd, CWnd)

BEGIN_MESSAGE_MAP(CSplitterWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_SIZE()
  ON_WM_SETCURSOR()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
  ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CSplitterWnd::CSplitterWnd() = default;
CSplitterWnd::~CSplitterWnd() = default;

BOOL CSplitterWnd::CreateStatic(CWnd* pParentWnd, int nRows, int nCols, DWORD dwStyle, UINT nID) {
  if (pParentWnd == nullptr || m_hWnd != nullptr || nRows < 1 || nRows > 16 || nCols < 1 || nCols > 16)
    return FALSE;
  m_rows.assign((size_t)nRows, CRowColInfo{0, 0, 0});
  m_cols.assign((size_t)nCols, CRowColInfo{0, 0, 0});
  // No WS_CLIPCHILDREN: the drag tracker is drawn across the panes.
  LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, nullptr, (HBRUSH)(COLOR_BTNFACE + 1));
  CRect rc;
  pParentWnd->GetClientRect(&rc);
  return CWnd::Create(lpszClass, nullptr, (dwStyle | WS_CHILD) & ~WS_CLIPCHILDREN, rc, pParentWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, CRuntimeClass* pViewClass, SIZE sizeInit,
                              CCreateContext* pContext) {
  if (m_hWnd == nullptr || row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount() ||
      pViewClass == nullptr)
    return FALSE;
  const int nID = IdFromRowCol(row, col);
  if (::GetDlgItem(m_hWnd, nID) != nullptr)
    return FALSE;  // the pane is taken
  m_cols[(size_t)col].nIdealSize = sizeInit.cx;
  m_rows[(size_t)row].nIdealSize = sizeInit.cy;
  // Without a context, the new view joins the document of the active pane.
  CCreateContext contextT;
  BOOL bSendInitialUpdate = FALSE;
  if (pContext == nullptr) {
    CView* pOld = DYNAMIC_DOWNCAST(CView, GetActivePane());
    if (pOld != nullptr) {
      contextT.m_pCurrentFrame = pOld->GetParentFrame();
      contextT.m_pLastView = pOld;
      contextT.m_pCurrentDoc = pOld->GetDocument();
      if (contextT.m_pCurrentDoc != nullptr)
        contextT.m_pNewDocTemplate = contextT.m_pCurrentDoc->GetDocTemplate();
    }
    pContext = &contextT;
    bSendInitialUpdate = TRUE;
  }
  CObject* pObject = pViewClass->CreateObject();
  CWnd* pWnd = DYNAMIC_DOWNCAST(CWnd, pObject);
  if (pWnd == nullptr) {
    delete pObject;
    return FALSE;
  }
  CRect rect(CPoint(0, 0), sizeInit);
  if (!pWnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rect, this, (UINT)nID, pContext))
    return FALSE;  // deleted itself
  if (bSendInitialUpdate)
    pWnd->SendMessage(WM_INITIALUPDATE);
  RecalcLayout();
  return TRUE;
}

void CSplitterWnd::GetRowInfo(int row, int& cyCur, int& cyMin) const {
  cyCur = cyMin = 0;
  if (row >= 0 && row < GetRowCount()) {
    cyCur = m_rows[(size_t)row].nCurSize;
    cyMin = m_rows[(size_t)row].nMinSize;
  }
}

void CSplitterWnd::SetRowInfo(int row, int cyIdeal, int cyMin) {
  if (row < 0 || row >= GetRowCount())
    return;
  m_rows[(size_t)row].nIdealSize = std::max(0, cyIdeal);
  m_rows[(size_t)row].nMinSize = std::max(0, cyMin);
}

void CSplitterWnd::GetColumnInfo(int col, int& cxCur, int& cxMin) const {
  cxCur = cxMin = 0;
  if (col >= 0 && col < GetColumnCount()) {
    cxCur = m_cols[(size_t)col].nCurSize;
    cxMin = m_cols[(size_t)col].nMinSize;
  }
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
  if (col < 0 || col >= GetColumnCount())
    return;
  m_cols[(size_t)col].nIdealSize = std::max(0, cxIdeal);
  m_cols[(size_t)col].nMinSize = std::max(0, cxMin);
}

CWnd* CSplitterWnd::GetPane(int row, int col) const {
  if (m_hWnd == nullptr || row < 0 || row >= GetRowCount() || col < 0 || col >= GetColumnCount())
    return nullptr;
  HWND h = ::GetDlgItem(m_hWnd, IdFromRowCol(row, col));
  return h ? CWnd::FromHandle(h) : nullptr;
}

BOOL CSplitterWnd::IsChildPane(CWnd* pWnd, int* pRow, int* pCol) {
  if (pWnd == nullptr || pWnd->m_hWnd == nullptr || ::GetParent(pWnd->m_hWnd) != m_hWnd)
    return FALSE;
  int nID = ::GetDlgCtrlID(pWnd->m_hWnd) - AFX_IDW_PANE_FIRST;
  int row = nID / 16, col = nID % 16;
  if (nID < 0 || row >= GetRowCount() || col >= GetColumnCount())
    return FALSE;
  if (pRow != nullptr)
    *pRow = row;
  if (pCol != nullptr)
    *pCol = col;
  return TRUE;
}

CWnd* CSplitterWnd::GetActivePane(int* pRow, int* pCol) {
  CFrameWnd* pFrame = GetParentFrame();
  CWnd* pView = pFrame ? pFrame->GetActiveView() : nullptr;
  if (pView == nullptr || !IsChildPane(pView, pRow, pCol))
    return nullptr;
  return pView;
}

void CSplitterWnd::SetActivePane(int row, int col, CWnd* pWnd) {
  CWnd* pPane = pWnd ? pWnd : GetPane(row, col);
  if (pPane == nullptr)
    return;
  CView* pView = DYNAMIC_DOWNCAST(CView, CWnd::FromHandlePermanent(pPane->m_hWnd));
  CFrameWnd* pFrame = GetParentFrame();
  if (pView != nullptr && pFrame != nullptr)
    pFrame->SetActiveView(pView);
  else
    pPane->SetFocus();
}

namespace {
// Sizes along one direction: each takes its ideal size while room lasts, the
// last one takes what is left.
void Distribute(std::vector<int>& cur, const std::vector<int>& ideal, int nTotal, int nGap) {
  int nLeft = nTotal - nGap * ((int)ideal.size() - 1);
  for (size_t i = 0; i < ideal.size(); i++) {
    int n = i + 1 == ideal.size() ? nLeft : std::min(ideal[i], nLeft);
    if (n < 0)
      n = 0;
    cur[i] = n;
    nLeft -= n;
  }
}
}  // namespace

void CSplitterWnd::RecalcLayout() {
  if (m_hWnd == nullptr)
    return;
  CRect rc;
  GetClientRect(&rc);
  std::vector<int> ideal(m_cols.size()), cur(m_cols.size());
  for (size_t i = 0; i < m_cols.size(); i++)
    ideal[i] = m_cols[i].nIdealSize;
  Distribute(cur, ideal, rc.Width(), m_cxSplitter);
  for (size_t i = 0; i < m_cols.size(); i++)
    m_cols[i].nCurSize = cur[i];
  ideal.assign(m_rows.size(), 0);
  cur.assign(m_rows.size(), 0);
  for (size_t i = 0; i < m_rows.size(); i++)
    ideal[i] = m_rows[i].nIdealSize;
  Distribute(cur, ideal, rc.Height(), m_cySplitter);
  for (size_t i = 0; i < m_rows.size(); i++)
    m_rows[i].nCurSize = cur[i];

  HDWP hDWP = ::BeginDeferWindowPos(GetRowCount() * GetColumnCount());
  for (int r = 0; r < GetRowCount(); r++) {
    for (int c = 0; c < GetColumnCount(); c++) {
      HWND hPane = ::GetDlgItem(m_hWnd, IdFromRowCol(r, c));
      if (hPane == nullptr)
        continue;
      CRect cell = CellRect(r, c);
      cell.DeflateRect(m_cxBorder, m_cyBorder);
      if (cell.right < cell.left)
        cell.right = cell.left;
      if (cell.bottom < cell.top)
        cell.bottom = cell.top;
      if (hDWP != nullptr)
        hDWP = ::DeferWindowPos(hDWP, hPane, nullptr, cell.left, cell.top, cell.Width(), cell.Height(),
                                SWP_NOZORDER | SWP_NOACTIVATE);
      else
        ::SetWindowPos(hPane, nullptr, cell.left, cell.top, cell.Width(), cell.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (hDWP != nullptr)
    ::EndDeferWindowPos(hDWP);
  Invalidate();
}

CRect CSplitterWnd::CellRect(int row, int col) const {
  int x = 0;
  for (int c = 0; c < col; c++)
    x += m_cols[(size_t)c].nCurSize + m_cxSplitter;
  int y = 0;
  for (int r = 0; r < row; r++)
    y += m_rows[(size_t)r].nCurSize + m_cySplitter;
  return CRect(x, y, x + m_cols[(size_t)col].nCurSize, y + m_rows[(size_t)row].nCurSize);
}

int CSplitterWnd::HitTest(CPoint pt) const {
  CRect rc;
  GetClientRect(&rc);
  if (!rc.PtInRect(pt))
    return noHit;
  int x = 0;
  for (int c = 0; c + 1 < GetColumnCount(); c++) {
    x += m_cols[(size_t)c].nCurSize;
    if (pt.x >= x && pt.x < x + m_cxSplitter)
      return vSplitterBar1 + c;
    x += m_cxSplitter;
  }
  int y = 0;
  for (int r = 0; r + 1 < GetRowCount(); r++) {
    y += m_rows[(size_t)r].nCurSize;
    if (pt.y >= y && pt.y < y + m_cySplitter)
      return hSplitterBar1 + r;
    y += m_cySplitter;
  }
  return noHit;
}

BOOL CSplitterWnd::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  if (nHitTest == HTCLIENT && pWnd == this) {
    CPoint pt;
    ::GetCursorPos(&pt);
    ScreenToClient(&pt);
    int ht = m_bTracking ? m_htTrack : HitTest(pt);
    if (ht >= vSplitterBar1 && ht < hSplitterBar1) {
      ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_SIZEWE));
      return TRUE;
    }
    if (ht >= hSplitterBar1) {
      ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_SIZENS));
      return TRUE;
    }
    ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
    return TRUE;
  }
  return CWnd::OnSetCursor(pWnd, nHitTest, message);
}

void CSplitterWnd::StartTracking(int ht, CPoint pt) {
  if (ht == noHit)
    return;
  CRect rc;
  GetClientRect(&rc);
  m_htTrack = ht;
  if (ht < hSplitterBar1) {
    int c = ht - vSplitterBar1;
    CRect cell = CellRect(0, c);
    // The bar may move between the column's minimum and the next column's.
    int nLeft = cell.left + m_cols[(size_t)c].nMinSize;
    int nRight = rc.right - m_cxSplitter;
    int x = cell.right;
    for (int k = c + 1; k < GetColumnCount(); k++)
      nRight -= m_cols[(size_t)k].nMinSize + (k + 1 < GetColumnCount() ? m_cxSplitter : 0);
    m_rectLimit.SetRect(nLeft, rc.top, std::max(nLeft, nRight), rc.bottom);
    m_rectTracker.SetRect(x, rc.top, x + m_cxSplitter, rc.bottom);
    m_nTrackOffset = pt.x - x;
  } else {
    int r = ht - hSplitterBar1;
    CRect cell = CellRect(r, 0);
    int nTop = cell.top + m_rows[(size_t)r].nMinSize;
    int nBottom = rc.bottom - m_cySplitter;
    int y = cell.bottom;
    for (int k = r + 1; k < GetRowCount(); k++)
      nBottom -= m_rows[(size_t)k].nMinSize + (k + 1 < GetRowCount() ? m_cySplitter : 0);
    m_rectLimit.SetRect(rc.left, nTop, rc.right, std::max(nTop, nBottom));
    m_rectTracker.SetRect(rc.left, y, rc.right, y + m_cySplitter);
    m_nTrackOffset = pt.y - y;
  }
  m_bTracking = TRUE;
  SetCapture();
  SetFocus();  // Esc cancels
  OnInvertTracker(m_rectTracker);
}

void CSplitterWnd::StopTracking(BOOL bAccept) {
  if (!m_bTracking)
    return;
  OnInvertTracker(m_rectTracker);
  m_bTracking = FALSE;
  if (::GetCapture() == m_hWnd)
    ::ReleaseCapture();
  if (bAccept) {
    if (m_htTrack < hSplitterBar1) {
      int c = m_htTrack - vSplitterBar1;
      m_cols[(size_t)c].nIdealSize = std::max<int>(0, m_rectTracker.left - CellRect(0, c).left);
      // The column after it keeps its right edge.
      if (c + 2 < GetColumnCount()) {
        int nOldRight = CellRect(0, c + 1).right;
        m_cols[(size_t)c + 1].nIdealSize = std::max<int>(0, nOldRight - (m_rectTracker.left + m_cxSplitter));
      }
    } else {
      int r = m_htTrack - hSplitterBar1;
      m_rows[(size_t)r].nIdealSize = std::max<int>(0, m_rectTracker.top - CellRect(r, 0).top);
      if (r + 2 < GetRowCount()) {
        int nOldBottom = CellRect(r + 1, 0).bottom;
        m_rows[(size_t)r + 1].nIdealSize = std::max<int>(0, nOldBottom - (m_rectTracker.top + m_cySplitter));
      }
    }
    RecalcLayout();
  }
  m_htTrack = noHit;
  // The focus goes back to the active pane.
  CWnd* pPane = GetActivePane();
  if (pPane != nullptr)
    pPane->SetFocus();
}

void CSplitterWnd::OnInvertTracker(const CRect& rect) {
  // A halftone bar, drawn and undrawn by inversion over the panes.
  static const WORD pattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  HBITMAP hbm = ::CreateBitmap(8, 8, 1, 1, pattern);
  HBRUSH hbr = hbm ? ::CreatePatternBrush(hbm) : nullptr;
  HDC hdc = ::GetDCEx(m_hWnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (hdc != nullptr) {
    HGDIOBJ hOld = hbr ? ::SelectObject(hdc, hbr) : nullptr;
    ::PatBlt(hdc, rect.left, rect.top, rect.Width(), rect.Height(), PATINVERT);
    if (hOld != nullptr)
      ::SelectObject(hdc, hOld);
    ::ReleaseDC(m_hWnd, hdc);
  }
  if (hbr != nullptr)
    ::DeleteObject(hbr);
  if (hbm != nullptr)
    ::DeleteObject(hbm);
}

void CSplitterWnd::OnLButtonDown(UINT nFlags, CPoint point) {
  if (m_bTracking)
    return;
  int ht = HitTest(point);
  if (ht != noHit)
    StartTracking(ht, point);
  else
    CWnd::OnLButtonDown(nFlags, point);
}

void CSplitterWnd::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bTracking) {
    CWnd::OnMouseMove(nFlags, point);
    return;
  }
  CRect rcNew = m_rectTracker;
  if (m_htTrack < hSplitterBar1) {
    int x = std::min(std::max((int)point.x - m_nTrackOffset, (int)m_rectLimit.left), (int)m_rectLimit.right);
    rcNew.left = x;
    rcNew.right = x + m_cxSplitter;
  } else {
    int y = std::min(std::max((int)point.y - m_nTrackOffset, (int)m_rectLimit.top), (int)m_rectLimit.bottom);
    rcNew.top = y;
    rcNew.bottom = y + m_cySplitter;
  }
  if (rcNew != m_rectTracker) {
    OnInvertTracker(m_rectTracker);
    m_rectTracker = rcNew;
    OnInvertTracker(m_rectTracker);
  }
}

void CSplitterWnd::OnLButtonUp(UINT nFlags, CPoint point) {
  if (m_bTracking) {
    OnMouseMove(nFlags, point);
    StopTracking(TRUE);
  } else {
    CWnd::OnLButtonUp(nFlags, point);
  }
}

void CSplitterWnd::OnCaptureChanged(CWnd* pWnd) {
  // Capture taken away (another window, a menu): the drag is cancelled.
  if (m_bTracking && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd)) {
    OnInvertTracker(m_rectTracker);
    m_bTracking = FALSE;
    m_htTrack = noHit;
  }
  CWnd::OnCaptureChanged(pWnd);
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_bTracking && nChar == VK_ESCAPE) {
    StopTracking(FALSE);
    return;
  }
  CWnd::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CSplitterWnd::OnSize(UINT nType, int, int) {
  if (nType != SIZE_MINIMIZED)
    RecalcLayout();
}

void CSplitterWnd::OnPaint() {
  CPaintDC dc(this);
  OnDrawSplitter(&dc);
}

void CSplitterWnd::OnDrawSplitter(CDC* pDC) {
  CRect rc;
  GetClientRect(&rc);
  pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_BTNFACE));
  for (int r = 0; r < GetRowCount(); r++) {
    for (int c = 0; c < GetColumnCount(); c++) {
      CRect cell = CellRect(r, c);
      if (cell.Width() > 0 && cell.Height() > 0)
        pDC->DrawEdge(&cell, EDGE_SUNKEN, BF_RECT);
    }
  }
}

BOOL CSplitterWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (CWnd::OnCommand(wParam, lParam))
    return TRUE;
  // Commands of the panes' controls go on to the frame.
  HWND hParent = ::GetParent(m_hWnd);
  if (hParent == nullptr)
    return FALSE;
  ::SendMessageA(hParent, WM_COMMAND, wParam, lParam);
  return TRUE;
}

BOOL CSplitterWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (CWnd::OnNotify(wParam, lParam, pResult))
    return TRUE;
  HWND hParent = ::GetParent(m_hWnd);
  if (hParent != nullptr)
    *pResult = ::SendMessageA(hParent, WM_NOTIFY, wParam, lParam);
  return TRUE;
}
