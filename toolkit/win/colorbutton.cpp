#include "toolkit/colorbutton.h"

#include <commdlg.h>

#include <cstdio>

#include "toolkit/tabrules.h"

IMPLEMENT_DYNAMIC(CColorButton, CButton)

BEGIN_MESSAGE_MAP(CColorButton, CButton)
  ON_WM_ERASEBKGND()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_MESSAGE(CPM_CHOSEN, OnChosen)
  ON_MESSAGE(CPM_FULLDIALOG, OnFullDialog)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// A pipette, its tip at the bottom-left (the hot spot).
HCURSOR MakePickerCursor() {
  int cx = ::GetSystemMetrics(SM_CXCURSOR), cy = ::GetSystemMetrics(SM_CYCURSOR);
  if (cx < 16 || cx > 99 || cy < 16 || cy > 99)
    return nullptr;
  BYTE andMask[32], xorMask[32] = {};
  memset(andMask, 0xFF, sizeof andMask);
  auto black = [&](int x, int y) { andMask[y * 2 + x / 8] &= (BYTE) ~(0x80 >> (x % 8)); };
  for (int i = 0; i < 11; ++i) {
    black(i, 15 - i);
    black(i + 1, 15 - i);
  }
  for (int y = 1; y <= 4; ++y)
    for (int x = 11; x <= 14; ++x)
      black(x, y);
  return ::CreateCursor(AfxGetInstanceHandle(), 0, 15, 16, 16, andMask, xorMask);
}

COLORREF g_customColors[16];

}  // namespace

CColorButton::CColorButton() : m_clr(::GetSysColor(COLOR_3DFACE)), m_hPicker(MakePickerCursor()) {}

CColorButton::~CColorButton() {
  ClosePalette();
  if (m_hPicker != nullptr)
    ::DestroyCursor(m_hPicker);
}

BOOL CColorButton::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style = (cs.style & ~(LONG)BS_TYPEMASK) | BS_OWNERDRAW;
  return CButton::PreCreateWindow(cs);
}

void CColorButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  ::SendMessageA(m_hWnd, BM_SETSTYLE, (GetStyle() & 0xFFFF & ~(DWORD)BS_TYPEMASK) | BS_OWNERDRAW, TRUE);
}

void CColorButton::SetColor(COLORREF clr) {
  m_clr = clr;
  CWnd* pParent = GetParent();
  if (pParent != nullptr)
    pParent->PostMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED), (LPARAM)m_hWnd);
  if (m_pLinked != nullptr && ::IsWindow(m_pLinked->GetSafeHwnd())) {
    char sz[8];
    FormatColorHex(clr, sz);
    m_pLinked->SetWindowText(sz);
  }
  Invalidate();
}

void CColorButton::DrawFace(HDC hdc) {
  CDC* pDC = CDC::FromHandle(hdc);
  CRect rc;
  GetClientRect(&rc);
  COLORREF face = ::GetSysColor(COLOR_3DFACE), dark = ::GetSysColor(COLOR_3DDKSHADOW);
  CRect rcIn = rc;
  rcIn.DeflateRect(1, 1);
  if (m_bPaletteOpen)
    pDC->Draw3dRect(&rc, dark, RGB(255, 255, 255));  // pressed while the palette is open
  else
    pDC->Draw3dRect(&rc, RGB(255, 255, 255), dark);
  pDC->Draw3dRect(&rcIn, face, face);
  rcIn.DeflateRect(1, 1);
  pDC->Draw3dRect(&rcIn, face, face);
  CRect rcColor = rc;
  rcColor.DeflateRect(3, 3);
  pDC->FillSolidRect(&rcColor, m_clr);
  // The corner mark: a small triangle pointing down-right.
  for (int i = 0; i < 4; ++i)
    pDC->FillSolidRect(rc.right - 4 - i, rc.bottom - 4 - (3 - i), i + 1, 1, dark);
}

BOOL CColorButton::OnEraseBkgnd(CDC* pDC) {
  DrawFace(pDC->m_hDC);
  return TRUE;
}

void CColorButton::DrawItem(LPDRAWITEMSTRUCT lpDIS) { DrawFace(lpDIS->hDC); }

void CColorButton::OpenPalette() {
  if (m_pPalette != nullptr)
    return;
  POINT pt;
  ::GetCursorPos(&pt);
  m_pPalette = new CColorPalette(this);
  if (!m_pPalette->Open(m_clr, pt)) {
    delete m_pPalette;
    m_pPalette = nullptr;
    return;
  }
  m_bPaletteOpen = TRUE;
  Invalidate();
}

void CColorButton::ClosePalette() {
  if (m_pPalette == nullptr)
    return;
  m_pPalette->Close();
  delete m_pPalette;
  m_pPalette = nullptr;
  m_bPaletteOpen = FALSE;
  if (m_hWnd != nullptr)
    Invalidate();
}

void CColorButton::OnLButtonDown(UINT, CPoint) {
  if (!m_bPaletteOpen)
    OpenPalette();
}

void CColorButton::OnLButtonDblClk(UINT nFlags, CPoint point) { OnLButtonDown(nFlags, point); }

LRESULT CColorButton::OnChosen(WPARAM wParam, LPARAM) {
  ClosePalette();
  if ((COLORREF)wParam != m_clr)
    SetColor((COLORREF)wParam);
  return 0;
}

LRESULT CColorButton::OnFullDialog(WPARAM, LPARAM) {
  ClosePalette();
  CHOOSECOLORA cc = {};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = ::GetAncestor(m_hWnd, GA_ROOT);
  cc.rgbResult = m_clr;
  cc.lpCustColors = g_customColors;
  cc.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (::ChooseColorA(&cc))
    SetColor(cc.rgbResult);
  return 0;
}

void CColorButton::OnDestroy() {
  ClosePalette();
  CButton::OnDestroy();
}

// ---- CColorPalette ----

BEGIN_MESSAGE_MAP(CColorPalette, CWnd)
  ON_WM_PAINT()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_CAPTURECHANGED()
  ON_WM_ACTIVATE()
  ON_WM_DRAWITEM()
  ON_MESSAGE(CPM_SETCOLOR, OnSetColor)
END_MESSAGE_MAP()

BOOL CColorPalette::Open(COLORREF clr, POINT ptPress) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &AfxWndProc;
  wc.hInstance = AfxGetInstanceHandle();
  wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_3DFACE + 1);
  wc.lpszClassName = ClassName();
  if (!AfxRegisterClass(&wc))
    return FALSE;
  CRect rcButton;
  m_pButton->GetWindowRect(&rcButton);
  int cxScreen = ::GetSystemMetrics(SM_CXSCREEN), cyScreen = ::GetSystemMetrics(SM_CYSCREEN);
  int x = rcButton.left, y = rcButton.bottom;
  if (x + WIDTH > cxScreen)
    x = cxScreen - WIDTH;
  if (y + HEIGHT > cyScreen)
    y = rcButton.top - HEIGHT;
  if (x < 0)
    x = 0;
  if (y < 0)
    y = 0;
  if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ClassName(), "Palatte", WS_POPUP | WS_BORDER, x, y, WIDTH, HEIGHT,
                ::GetAncestor(m_pButton->m_hWnd, GA_ROOT), nullptr)) {
    ::UnregisterClassA(ClassName(), AfxGetInstanceHandle());
    return FALSE;
  }
  m_hMore = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 167, 126, 16, 16, m_hWnd,
                              (HMENU)(UINT_PTR)IDC_MORE, AfxGetInstanceHandle(), nullptr);
  m_hFont = ::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "MS Shell Dlg");
  SendMessage(CPM_SETCOLOR, clr);
  m_ptPress = ptPress;
  ShowWindow(SW_SHOWNOACTIVATE);
  UpdateWindow();
  SetCapture();
  return TRUE;
}

void CColorPalette::Close() {
  m_bDone = TRUE;
  if (m_hWnd != nullptr) {
    if (::GetCapture() == m_hWnd)
      ::ReleaseCapture();
    DestroyWindow();
  }
  if (m_hFont != nullptr) {
    ::DeleteObject(m_hFont);
    m_hFont = nullptr;
  }
  ::UnregisterClassA(ClassName(), AfxGetInstanceHandle());
}

LRESULT CColorPalette::OnSetColor(WPARAM wParam, LPARAM) {
  m_clrCur = m_clrRestore = (COLORREF)wParam;
  m_nSelCol = m_nSelRow = -1;
  Invalidate(FALSE);
  return 0;
}

CRect CColorPalette::CellRect(int col, int row) const {
  return CRect(col * PALETTE_CELL, row * PALETTE_CELL, col * PALETTE_CELL + PALETTE_CELL - 1,
               row * PALETTE_CELL + PALETTE_CELL - 1);
}

void CColorPalette::OnPaint() {
  CPaintDC dc(this);
  CRect rc;
  GetClientRect(&rc);
  const int nGridBottom = PALETTE_ROWS * PALETTE_CELL;
  dc.FillSolidRect(0, 0, rc.right, nGridBottom, RGB(0, 0, 0));  // the grid lines
  for (int col = 0; col < PALETTE_COLUMNS; ++col)
    for (int row = 0; row < PALETTE_ROWS; ++row) {
      CRect rcCell = CellRect(col, row);
      dc.FillSolidRect(&rcCell, PaletteCellColor(col, row));
    }
  if (m_nSelCol >= 0) {
    CRect rcSel = CellRect(m_nSelCol, m_nSelRow);
    ::DrawFocusRect(dc.m_hDC, &rcSel);
  }
  dc.FillSolidRect(0, nGridBottom, rc.right, rc.bottom - nGridBottom, RGB(224, 224, 224));
  CRect rcPreview(5, 125, 40, 143);
  dc.FillSolidRect(&rcPreview, m_clrCur);
  ::FrameRect(dc.m_hDC, &rcPreview, (HBRUSH)::GetStockObject(BLACK_BRUSH));
  char sz[8], szText[16];
  FormatColorHex(m_clrCur, sz);
  snprintf(szText, sizeof szText, "#%s", sz);
  HGDIOBJ hOld = ::SelectObject(dc.m_hDC, m_hFont ? (HGDIOBJ)m_hFont : ::GetStockObject(DEFAULT_GUI_FONT));
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(RGB(0, 0, 0));
  ::TextOutA(dc.m_hDC, 80, 127, szText, lstrlenA(szText));
  ::SelectObject(dc.m_hDC, hOld);
}

void CColorPalette::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDIS) {
  if (nIDCtl != IDC_MORE) {
    CWnd::OnDrawItem(nIDCtl, lpDIS);
    return;
  }
  CDC* pDC = CDC::FromHandle(lpDIS->hDC);
  CRect rc(lpDIS->rcItem);
  pDC->FillSolidRect(&rc, ::GetSysColor(COLOR_3DFACE));
  pDC->Draw3dRect(&rc, RGB(255, 255, 255), ::GetSysColor(COLOR_3DSHADOW));
  pDC->FillSolidRect(3, 3, 5, 5, RGB(255, 0, 0));
  pDC->FillSolidRect(8, 8, 5, 5, RGB(0, 160, 0));
  pDC->FillSolidRect(3, 8, 5, 5, RGB(255, 255, 0));
}

void CColorPalette::SelectAt(POINT pt) {
  CRect rc;
  GetClientRect(&rc);
  int col = -1, row = -1;
  switch (PaletteHitTest(pt.x, pt.y, rc.Width(), rc.Height(), &col, &row)) {
  case PALETTE_HIT_CELL:
    m_nSelCol = col;
    m_nSelRow = row;
    m_clrCur = PaletteCellColor(col, row);
    break;
  case PALETTE_HIT_LINE:
    m_nSelCol = m_nSelRow = -1;
    break;
  case PALETTE_HIT_BELOW:
    m_nSelCol = m_nSelRow = -1;
    m_clrCur = m_clrRestore;
    break;
  case PALETTE_HIT_OUTSIDE: {
    m_nSelCol = m_nSelRow = -1;
    POINT ptScreen = pt;
    ClientToScreen(&ptScreen);
    HDC hdc = ::GetDC(nullptr);
    COLORREF c = ::GetPixel(hdc, ptScreen.x, ptScreen.y);
    ::ReleaseDC(nullptr, hdc);
    if (c != CLR_INVALID)
      m_clrCur = c;
    break;
  }
  }
  Invalidate(FALSE);
}

void CColorPalette::OnMouseMove(UINT, CPoint point) {
  if (m_bDone)
    return;
  POINT ptScreen = point;
  ClientToScreen(&ptScreen);
  if (ptScreen.x != m_ptPress.x || ptScreen.y != m_ptPress.y)
    m_bMoved = TRUE;
  CRect rc;
  GetClientRect(&rc);
  if (!rc.PtInRect(point) && m_pButton->GetPickerCursor() != nullptr)
    ::SetCursor(m_pButton->GetPickerCursor());
  else
    ::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
  SelectAt(point);
}

void CColorPalette::OnLButtonDown(UINT, CPoint point) {
  if (m_bDone)
    return;
  ClientToScreen(&point);
  m_ptPress = point;
  m_bMoved = FALSE;
  m_bOpeningPress = FALSE;
}

void CColorPalette::OnLButtonUp(UINT, CPoint point) {
  if (m_bDone)
    return;
  if (m_bOpeningPress && !m_bMoved) {
    m_bOpeningPress = FALSE;  // the click that opened it: stay open
    return;
  }
  m_bOpeningPress = FALSE;
  RECT rcMore;
  ::GetWindowRect(m_hMore, &rcMore);
  POINT ptScreen = point;
  ClientToScreen(&ptScreen);
  if (::PtInRect(&rcMore, ptScreen)) {
    Finish(CPM_FULLDIALOG, 0);
    return;
  }
  SelectAt(point);
  Finish(CPM_CHOSEN, m_clrCur);
}

void CColorPalette::OnCaptureChanged(CWnd* pWnd) {
  // Someone else took the mouse: the palette ends with what it shows.
  if (!m_bDone && (pWnd == nullptr || pWnd->m_hWnd != m_hWnd))
    Finish(CPM_CHOSEN, m_clrCur);
}

void CColorPalette::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  CWnd::OnActivate(nState, pWndOther, bMinimized);
  if (nState == WA_INACTIVE && !m_bDone)
    Finish(CPM_CHOSEN, m_clrCur);
}

// The button closes (and deletes) the palette when the posted message arrives.
void CColorPalette::Finish(UINT nMessage, WPARAM wParam) {
  m_bDone = TRUE;
  if (::GetCapture() == m_hWnd)
    ::ReleaseCapture();
  m_pButton->PostMessage(nMessage, wParam, 0);
}
