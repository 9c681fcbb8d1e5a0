#include "shell/app/splashwnd.h"

#include "framework/winthread.h"
#include "shell/app/appres.h"

BOOL CSplashWnd::c_bShowSplashWnd = FALSE;
CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_PAINT()
  ON_WM_TIMER()
END_MESSAGE_MAP()

CSplashWnd::~CSplashWnd() {
  if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplashScreen(BOOL enable) { c_bShowSplashWnd = enable; }

void CSplashWnd::ShowSplashScreen(CWnd* pParent) {
  if (!c_bShowSplashWnd || c_pSplashWnd != nullptr) return;
  c_pSplashWnd = new CSplashWnd;
  if (!c_pSplashWnd->Create(pParent)) {
    delete c_pSplashWnd;  // the destructor clears the pointer
    return;
  }
  c_pSplashWnd->UpdateWindow();
}

BOOL CSplashWnd::Create(CWnd* pParent) {
  if (!m_bitmap.LoadBitmap(IDB_SPLASH)) return FALSE;
  BITMAP bm = {};
  m_bitmap.GetBitmap(&bm);
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW));
  return CreateEx(0, cls, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, bm.bmWidth, bm.bmHeight,
                  pParent != nullptr ? pParent->GetSafeHwnd() : nullptr, nullptr);
}

int CSplashWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  // Translucent where the system has layered windows; opaque elsewhere.
  ModifyStyleEx(0, WS_EX_LAYERED);
  using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
  if (HMODULE user = ::LoadLibraryA("User32.DLL")) {
    auto setLayered = reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user, "SetLayeredWindowAttributes")));
    if (setLayered != nullptr)
      setLayered(m_hWnd, 0, kAlpha, LWA_ALPHA);
    else
      ModifyStyleEx(WS_EX_LAYERED, 0);
    ::FreeLibrary(user);
  }
  CenterWindow();
  SetTimer(kTimerId, kShowMs, nullptr);
  return 0;
}

void CSplashWnd::OnPaint() {
  CPaintDC dc(this);
  CDC memDC;
  if (!memDC.CreateCompatibleDC(&dc)) return;
  BITMAP bm = {};
  m_bitmap.GetBitmap(&bm);
  CBitmap* old = memDC.SelectObject(&m_bitmap);
  dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memDC, 0, 0, SRCCOPY);
  memDC.SelectObject(old);
}

void CSplashWnd::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kTimerId) HideSplashScreen();
}

void CSplashWnd::HideSplashScreen() {
  KillTimer(kTimerId);
  DestroyWindow();  // deletes this object
  if (CWnd* main = AfxGetMainWnd()) {
    main->ShowWindow(SW_SHOW);
    main->UpdateWindow();
  }
}

void CSplashWnd::PostNcDestroy() { delete this; }
