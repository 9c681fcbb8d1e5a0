#include "framework/wnd.h"

#include <cstdio>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "framework/commctrls.h"
#include "framework/fwexcept.h"
#include "framework/ole.h"
#include "framework/win/fwwin_state.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

AfxThreadState* AfxGetThreadState() {
  static thread_local AfxThreadState state;  // zero-initialised per thread
  return &state;
}

namespace {

// A plain lock that is never destroyed, so windows still bound at process exit
// (global objects) can unbind safely after other statics are gone.
class Lock {
public:
  Lock() { ::InitializeCriticalSection(&m_cs); }
  void Enter() { ::EnterCriticalSection(&m_cs); }
  void Leave() { ::LeaveCriticalSection(&m_cs); }

private:
  CRITICAL_SECTION m_cs;
};

class Guard {
public:
  explicit Guard(Lock& l) : m_l(l) { m_l.Enter(); }
  ~Guard() { m_l.Leave(); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

private:
  Lock& m_l;
};

// The module-wide handle map.
struct HandleMap {
  Lock lock;
  std::unordered_map<HWND, CWnd*> map;
};

HandleMap& Handles() {
  static HandleMap* p = new HandleMap;
  return *p;
}

CWnd* LookupPermanent(HWND hWnd) {
  HandleMap& h = Handles();
  Guard g(h.lock);
  auto it = h.map.find(hWnd);
  return it == h.map.end() ? nullptr : it->second;
}

// FALSE when the handle is bound to another object already. bNewWindow: the
// window was created just now, so an entry under its handle value is stale (left
// by a window that died with its thread, without WM_NCDESTROY) and is replaced.
bool BindPermanent(HWND hWnd, CWnd* pWnd, bool bNewWindow) {
  HandleMap& h = Handles();
  Guard g(h.lock);
  auto it = h.map.find(hWnd);
  if (it != h.map.end()) {
    if (it->second != pWnd && !bNewWindow && ::IsWindow(hWnd))
      return false;
    it->second = pWnd;
    return true;
  }
  h.map.emplace(hWnd, pWnd);
  return true;
}

void UnbindPermanent(HWND hWnd, CWnd* pWnd) {
  HandleMap& h = Handles();
  Guard g(h.lock);
  auto it = h.map.find(hWnd);
  if (it != h.map.end() && it->second == pWnd)
    h.map.erase(it);
}

struct ClassRegistry {
  Lock lock;
  std::set<std::string> names;  // node-based: a name's text never moves
};

ClassRegistry& Classes() {
  static ClassRegistry* p = new ClassRegistry;
  return *p;
}

bool IsOurProc(HWND hWnd) {
  return (WNDPROC)::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == &AfxWndProc;
}

}  // namespace

// ---- window classes ----

BOOL AfxRegisterClass(WNDCLASSA* lpWndClass) {
  ClassRegistry& r = Classes();
  Guard g(r.lock);
  WNDCLASSA wc;
  if (::GetClassInfoA(lpWndClass->hInstance, lpWndClass->lpszClassName, &wc))
    return TRUE;
  if (::RegisterClassA(lpWndClass))
    return TRUE;
  return ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  HINSTANCE hInst = AfxGetInstanceHandle();
  char szName[128];
  std::snprintf(szName, sizeof szName, "ZarnWnd:%p:%x:%p:%p:%p", (void*)hInst, nClassStyle, (void*)hCursor,
                (void*)hbrBackground, (void*)hIcon);
  ClassRegistry& r = Classes();
  Guard g(r.lock);
  auto it = r.names.find(szName);
  if (it != r.names.end())
    return it->c_str();
  WNDCLASSA wc = {};
  wc.style = nClassStyle;
  wc.lpfnWndProc = &AfxWndProc;
  wc.hInstance = hInst;
  wc.hCursor = hCursor;
  wc.hbrBackground = hbrBackground;
  wc.hIcon = hIcon;
  wc.lpszClassName = szName;
  WNDCLASSA existing;
  if (!::GetClassInfoA(hInst, szName, &existing) && !::RegisterClassA(&wc) &&
      ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    AfxThrowResourceException();
  return r.names.insert(szName).first->c_str();
}

// ---- creation hook ----

namespace {

bool MatchesPendingCreate(AfxThreadState* st, HWND hWnd, const CREATESTRUCTA* lpcs) {
  char szClass[256] = "";
  ::GetClassNameA(hWnd, szClass, sizeof szClass);
  LPCTSTR lpszWant = st->lpszInitClass;
  if (lpszWant == nullptr)  // any window but the input-method helpers the system makes
    return lstrcmpiA(szClass, "IME") != 0 && lstrcmpiA(szClass, "MSCTFIME UI") != 0;
  if (lpcs != nullptr && lpcs->lpCreateParams != st->lpInitParam)
    return false;
  if (IS_INTRESOURCE(lpszWant))
    return (ATOM)::GetClassLongPtrA(hWnd, GCW_ATOM) == (ATOM)(ULONG_PTR)lpszWant;
  return lstrcmpiA(szClass, lpszWant) == 0;
}

}  // namespace

LRESULT CALLBACK AfxCbtFilterHook(int nCode, WPARAM wParam, LPARAM lParam) {
  AfxThreadState* st = AfxGetThreadState();
  if (nCode == HCBT_CREATEWND && st->pWndInit != nullptr) {
    HWND hWnd = (HWND)wParam;
    const CBT_CREATEWNDA* pCbt = reinterpret_cast<const CBT_CREATEWNDA*>(lParam);
    if (MatchesPendingCreate(st, hWnd, pCbt ? pCbt->lpcs : nullptr)) {
      CWnd* pWnd = st->pWndInit;
      st->pWndInit = nullptr;
      pWnd->BindCreated(hWnd);
    }
  }
  return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

namespace {

void HookCreate(CWnd* pWnd, LPCTSTR lpszClass, LPVOID lpParam) {
  AfxThreadState* st = AfxGetThreadState();
  if (st->hHookCbt == nullptr) {
    st->hHookCbt = ::SetWindowsHookExA(WH_CBT, &AfxCbtFilterHook, nullptr, ::GetCurrentThreadId());
    if (st->hHookCbt == nullptr)
      AfxThrowResourceException();
  }
  st->pWndInit = pWnd;
  st->lpszInitClass = lpszClass;
  st->lpInitParam = lpParam;
}

}  // namespace

void AfxHookWindowCreate(CWnd* pWnd) { HookCreate(pWnd, nullptr, nullptr); }

BOOL AfxUnhookWindowCreate() {
  AfxThreadState* st = AfxGetThreadState();
  if (st->hHookCbt != nullptr) {
    ::UnhookWindowsHookEx(st->hHookCbt);
    st->hHookCbt = nullptr;
  }
  BOOL bBound = st->pWndInit == nullptr;
  st->pWndInit = nullptr;
  st->lpszInitClass = nullptr;
  st->lpInitParam = nullptr;
  return bBound;
}

void CWnd::BindCreated(HWND hWnd) {
  BindPermanent(hWnd, this, true);
  m_hWnd = hWnd;
  m_bRouted = TRUE;
  // A class of another procedure (a common control) is subclassed right here,
  // before its first message.
  if (!IsOurProc(hWnd))
    m_pfnSuper = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
}

// ---- window procedure ----

LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  AfxThreadState* st = AfxGetThreadState();
  MSG msgSaved = st->msgCur;
  st->msgCur.hwnd = hWnd;
  st->msgCur.message = message;
  st->msgCur.wParam = wParam;
  st->msgCur.lParam = lParam;
  LRESULT lResult = 0;
  // Exceptions must not unwind through the system's message dispatch.
  try {
    lResult = pWnd->WindowProc(message, wParam, lParam);
  } catch (CException* e) {
    char sz[256] = "";
    e->GetErrorMessage(sz, sizeof sz);
    ::OutputDebugStringA(sz);
    e->Delete();
  } catch (const std::exception& e) {
    ::OutputDebugStringA(e.what());
  }
  // The object may be gone already if a handler deleted it; then it is unbound.
  if (message == WM_NCDESTROY && LookupPermanent(hWnd) == pWnd)
    pWnd->FinishNcDestroy(hWnd);
  st->msgCur = msgSaved;
  return lResult;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* pWnd = LookupPermanent(hWnd);
  if (pWnd == nullptr || pWnd->m_hWnd != hWnd)
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
  return AfxCallWndProc(pWnd, hWnd, message, wParam, lParam);
}

void CWnd::FinishNcDestroy(HWND hWnd) {
  if (m_pDropTarget != nullptr)
    m_pDropTarget->Revoke();
  if (m_pfnSuper != nullptr) {
    if (IsOurProc(hWnd))
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
  }
  UnbindPermanent(hWnd, this);
  m_hWnd = nullptr;
  m_bRouted = FALSE;
  // A thread's main window going away ends that thread's message loop.
  CWinThread* pThread = AfxGetThread();
  if (pThread != nullptr && pThread->m_pMainWnd == this) {
    pThread->m_pMainWnd = nullptr;
    AfxPostQuitMessage(0);
  }
  PostNcDestroy();
}

void AfxDestroyThreadWindows() {
  DWORD dwThread = ::GetCurrentThreadId();
  std::vector<HWND> mine;
  {
    HandleMap& h = Handles();
    Guard g(h.lock);
    for (const auto& kv : h.map)
      if (::GetWindowThreadProcessId(kv.first, nullptr) == dwThread)
        mine.push_back(kv.first);
  }
  for (HWND hWnd : mine) {
    // Destroying a parent took its children with it.
    CWnd* pWnd = LookupPermanent(hWnd);
    if (pWnd == nullptr)
      continue;
    if (::IsWindow(hWnd)) {
      bool bRouted = pWnd->m_bRouted;
      ::DestroyWindow(hWnd);
      if (bRouted)
        continue;  // unbound (and perhaps deleted) at its WM_NCDESTROY
    }
    if (LookupPermanent(hWnd) == pWnd)
      pWnd->Detach();
  }
}

// ---- CWnd ----

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
  if (m_pDropTarget != nullptr)
    m_pDropTarget->Revoke();
  HWND hWnd = m_hWnd;
  if (hWnd == nullptr || LookupPermanent(hWnd) != this)
    return;  // unbound, or a temporary wrapper
  // Deleted while its window lives: unbind first, so the window's last messages
  // never reach this half-destroyed object.
  if (m_pfnSuper != nullptr && IsOurProc(hWnd))
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
  UnbindPermanent(hWnd, this);
  m_hWnd = nullptr;
  if (!::IsWindow(hWnd))
    return;
  if (::GetWindowThreadProcessId(hWnd, nullptr) == ::GetCurrentThreadId())
    ::DestroyWindow(hWnd);
  else if ((WNDPROC)::GetClassLongPtrA(hWnd, GCLP_WNDPROC) == &AfxWndProc)
    ::PostMessageA(hWnd, WM_CLOSE, 0, 0);  // its own thread destroys it
}

HWND CWnd::GetSafeHwnd() const {
  const CWnd* p = this;
  // Callers of the classic framework call this on null pointers; keep the
  // compiler from assuming `this` is never null.
  __asm__("" : "+r"(p));
  return p == nullptr ? nullptr : p->m_hWnd;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd == nullptr ? nullptr : LookupPermanent(hWnd); }

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (hWnd == nullptr)
    return nullptr;
  CWnd* pWnd = LookupPermanent(hWnd);
  if (pWnd != nullptr)
    return pWnd;
  AfxThreadState* st = AfxGetThreadState();
  if (st->pTempMap == nullptr)
    st->pTempMap = new std::unordered_map<HWND, CWnd*>;
  CWnd*& pTemp = (*st->pTempMap)[hWnd];
  if (pTemp == nullptr) {
    pTemp = new CWnd;
    pTemp->m_hWnd = hWnd;
  }
  return pTemp;
}

void CWnd::DeleteTempMap() {
  AfxDeleteTempGdiMaps();
  AfxDeleteTempMenuMap();
  CImageList::DeleteTempMap();
  AfxThreadState* st = AfxGetThreadState();
  if (st->pTempMap == nullptr)
    return;
  std::unordered_map<HWND, CWnd*>* pMap = st->pTempMap;
  st->pTempMap = nullptr;
  for (auto& kv : *pMap) {
    kv.second->m_hWnd = nullptr;
    delete kv.second;
  }
  delete pMap;
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (hWndNew == nullptr || m_hWnd != nullptr)
    return FALSE;
  if (!BindPermanent(hWndNew, this, false))
    return FALSE;
  m_hWnd = hWndNew;
  // A window of a framework class routes to its bound object by itself.
  m_bRouted = IsOurProc(hWndNew);
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hWnd = m_hWnd;
  if (hWnd == nullptr)
    return nullptr;
  if (m_pfnSuper != nullptr) {
    if (IsOurProc(hWnd))
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
  }
  UnbindPermanent(hWnd, this);
  m_hWnd = nullptr;
  m_bRouted = FALSE;
  return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!Attach(hWnd))
    return FALSE;
  PreSubclassWindow();
  WNDPROC pfnOld = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)&AfxWndProc);
  if (pfnOld == nullptr) {  // not ours to take (another process's window)
    Detach();
    return FALSE;
  }
  if (pfnOld != &AfxWndProc)
    m_pfnSuper = pfnOld;
  m_bRouted = TRUE;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (pParent == nullptr || pParent->m_hWnd == nullptr)
    return FALSE;
  HWND hWndControl = ::GetDlgItem(pParent->m_hWnd, (int)nID);
  return hWndControl != nullptr && SubclassWindow(hWndControl);
}

HWND CWnd::UnsubclassWindow() { return Detach(); }

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (cs.lpszClass == nullptr)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW));
  return TRUE;
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, (LPVOID)pContext);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  HWND hParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  // A child's menu handle is its control id.
  HMENU hMenu = (dwStyle & WS_CHILD) ? (HMENU)(UINT_PTR)nID : nullptr;
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, hParent, hMenu, lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd != nullptr)
    return FALSE;  // one window per object
  CREATESTRUCTA cs = {};
  cs.dwExStyle = dwExStyle;
  cs.lpszClass = lpszClassName;
  cs.lpszName = lpszWindowName;
  cs.style = dwStyle;
  cs.x = x;
  cs.y = y;
  cs.cx = nWidth;
  cs.cy = nHeight;
  cs.hwndParent = hWndParent;
  cs.hMenu = nIDorHMenu;
  cs.hInstance = AfxGetInstanceHandle();
  cs.lpCreateParams = lpParam;
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  // Nested creation (a child made in OnCreate) keeps the outer request pending.
  AfxThreadState* st = AfxGetThreadState();
  CWnd* pSavedInit = st->pWndInit;
  LPCTSTR lpszSavedClass = st->lpszInitClass;
  LPVOID lpSavedParam = st->lpInitParam;
  bool bOuterHook = st->hHookCbt != nullptr;
  HookCreate(this, cs.lpszClass, cs.lpCreateParams);
  HWND hWnd = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                                cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  bool bBound = st->pWndInit == nullptr;
  if (bOuterHook) {
    st->pWndInit = pSavedInit;
    st->lpszInitClass = lpszSavedClass;
    st->lpInitParam = lpSavedParam;
  } else {
    AfxUnhookWindowCreate();
  }
  if (!bBound) {
    if (hWnd != nullptr && SubclassWindow(hWnd))  // the hook missed it: bind late
      return TRUE;
    // Never bound, so no WM_NCDESTROY came here: clean up the same way.
    if (hWnd != nullptr)
      ::DestroyWindow(hWnd);
    PostNcDestroy();
    return FALSE;
  }
  // Bound and then destroyed during creation (OnCreate returned -1): already
  // unbound, and PostNcDestroy has run; `this` may be gone.
  return hWnd != nullptr;
}

BOOL CWnd::DestroyWindow() {
  HWND hWnd = m_hWnd;
  if (hWnd == nullptr)
    return FALSE;
  bool bRouted = m_bRouted && LookupPermanent(hWnd) == this;
  BOOL bResult = ::DestroyWindow(hWnd);
  if (bRouted)
    return bResult;  // unbound at WM_NCDESTROY; the object may be deleted
  if (bResult || !::IsWindow(hWnd)) {
    if (m_hWnd == hWnd)
      Detach();
  }
  return bResult;
}

const MSG* CWnd::GetCurrentMessage() { return &AfxGetThreadState()->msgCur; }

LRESULT CWnd::Default() {
  const MSG& m = AfxGetThreadState()->msgCur;
  return DefWindowProc(m.message, m.wParam, m.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr)
    return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if (!OnWndMsg(message, wParam, lParam, &lResult))
    lResult = DefWindowProc(message, wParam, lParam);
  return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  // The seven colour messages share one map entry (ON_WM_CTLCOLOR).
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    if (DispatchMapMessage(WM_CTLCOLOR, wParam, lParam, pResult, (int)(message - WM_CTLCOLORMSGBOX)))
      return TRUE;
    return ReflectChildMsg((HWND)lParam, message, wParam, lParam, pResult);
  }
  if (DispatchMapMessage(message, wParam, lParam, pResult))
    return TRUE;
  switch (message) {
  case WM_COMMAND:
    if (OnCommand(wParam, lParam)) {
      *pResult = 0;
      return TRUE;
    }
    return FALSE;
  case WM_NOTIFY:
    if (lParam != 0) {
      LRESULT lResult = 0;
      if (OnNotify(wParam, lParam, &lResult)) {
        *pResult = lResult;
        return TRUE;
      }
    }
    return FALSE;
  case WM_DRAWITEM:
  case WM_MEASUREITEM:
  case WM_COMPAREITEM:
  case WM_DELETEITEM:
    return ReflectOwnerDraw(message, wParam, lParam, pResult);
  case WM_HSCROLL:
  case WM_VSCROLL:
  case WM_CHARTOITEM:
  case WM_VKEYTOITEM:
    return lParam != 0 && ReflectChildMsg((HWND)lParam, message, wParam, lParam, pResult);
  default:
    return FALSE;
  }
}

BOOL CWnd::ReflectChildMsg(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (hWndChild == nullptr || hWndChild == m_hWnd)
    return FALSE;
  CWnd* pChild = FromHandlePermanent(hWndChild);
  if (pChild == nullptr)
    return FALSE;
  LRESULT lResult = 0;
  if (!pChild->OnChildNotify(message, wParam, lParam, &lResult))
    return FALSE;
  if (pResult != nullptr)
    *pResult = lResult;
  return TRUE;
}

BOOL CWnd::ReflectOwnerDraw(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (lParam == 0)
    return FALSE;
  if (message == WM_DRAWITEM) {
    LPDRAWITEMSTRUCT lpdis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
    if (lpdis->CtlType == ODT_MENU)
      return AfxDrawMenuItem(lpdis, pResult);
    return ReflectChildMsg(lpdis->hwndItem, message, wParam, lParam, pResult);
  }
  if (message == WM_MEASUREITEM) {
    LPMEASUREITEMSTRUCT lpmis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
    if (lpmis->CtlType == ODT_MENU)
      return AfxMeasureMenuItem(lpmis, pResult);
    return ReflectChildMsg(::GetDlgItem(m_hWnd, (int)lpmis->CtlID), message, wParam, lParam, pResult);
  }
  if (message == WM_COMPAREITEM) {
    LPCOMPAREITEMSTRUCT lpcis = reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam);
    return ReflectChildMsg(lpcis->hwndItem, message, wParam, lParam, pResult);
  }
  LPDELETEITEMSTRUCT lpdis = reinterpret_cast<LPDELETEITEMSTRUCT>(lParam);
  return ReflectChildMsg(lpdis->hwndItem, message, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (DispatchReflected(AfxKindReflectCommand, (int)HIWORD(wParam), nullptr)) {
      *pResult = 0;
      return TRUE;
    }
    return FALSE;
  }
  if (message == WM_NOTIFY) {
    AFX_NOTIFY notify = {pResult, reinterpret_cast<NMHDR*>(lParam)};
    return DispatchReflected(AfxKindReflectNotify, (int)notify.pNMHDR->code, &notify);
  }
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC)
    return DispatchMapMessage(WM_REFLECT_BASE + WM_CTLCOLOR, wParam, lParam, pResult,
                              (int)(message - WM_CTLCOLORMSGBOX));
  return DispatchMapMessage(WM_REFLECT_BASE + message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult) {
  CWnd* pChild = FromHandlePermanent(hWndChild);
  if (pChild == nullptr)
    return FALSE;
  const MSG& m = AfxGetThreadState()->msgCur;
  LRESULT lResult = 0;
  if (!pChild->OnChildNotify(m.message, m.wParam, m.lParam, &lResult))
    return FALSE;
  if (pResult != nullptr)
    *pResult = lResult;
  return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT nID = LOWORD(wParam);
  int nCode = HIWORD(wParam);
  if (lParam == 0) {
    nCode = CN_COMMAND;  // menu (0) or accelerator (1)
  } else {
    // A control's notification goes to the control's own class first.
    LRESULT lResult = 0;
    if (ReflectChildMsg((HWND)lParam, WM_COMMAND, wParam, lParam, &lResult))
      return TRUE;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
  if (pNMHDR->hwndFrom != nullptr && ReflectChildMsg(pNMHDR->hwndFrom, WM_NOTIFY, wParam, lParam, pResult))
    return TRUE;
  AFX_NOTIFY notify = {pResult, pNMHDR};
  return OnCmdMsg((UINT)pNMHDR->idFrom, CN_NOTIFY, &notify, nullptr);
}

// ---- wrappers ----

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const {
  return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}
void CWnd::GetWindowText(CString& rString) const {
  int nLen = ::GetWindowTextLengthA(m_hWnd);
  if (nLen <= 0) {
    rString.Empty();
    return;
  }
  char* p = rString.GetBuffer(nLen);
  int nGot = ::GetWindowTextA(m_hWnd, p, nLen + 1);
  rString.ReleaseBuffer(nGot < 0 ? 0 : nGot);
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  HWND hItem = ::GetDlgItem(m_hWnd, nID);
  if (hItem == nullptr)
    return 0;
  int nLen = ::GetWindowTextLengthA(hItem);
  if (nLen > 0) {
    char* p = rString.GetBuffer(nLen);
    int nGot = ::GetWindowTextA(hItem, p, nLen + 1);
    rString.ReleaseBuffer(nGot < 0 ? 0 : nGot);
  }
  return rString.GetLength();
}
DWORD CWnd::GetStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
DWORD CWnd::GetExStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  DWORD dwStyle = GetStyle();
  DWORD dwNew = (dwStyle & ~dwRemove) | dwAdd;
  if (dwStyle == dwNew)
    return FALSE;
  ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (LONG_PTR)dwNew);
  if (nFlags != 0)
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
  return TRUE;
}
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
BOOL CWnd::IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }

// ---- base handlers: default processing ----

int CWnd::OnCreate(LPCREATESTRUCT) { return (int)Default(); }
BOOL CWnd::OnNcCreate(LPCREATESTRUCT) { return (BOOL)Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
void CWnd::OnContextMenu(CWnd*, CPoint) { Default(); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) {
  const MSG& m = AfxGetThreadState()->msgCur;
  LRESULT lResult = 0;
  if (!ReflectOwnerDraw(m.message, m.wParam, m.lParam, &lResult))
    Default();
}
void CWnd::OnMeasureItem(int, LPMEASUREITEMSTRUCT) {
  const MSG& m = AfxGetThreadState()->msgCur;
  LRESULT lResult = 0;
  if (!ReflectOwnerDraw(m.message, m.wParam, m.lParam, &lResult))
    Default();
}
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
LRESULT CWnd::OnNcHitTest(CPoint) { return Default(); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return (BOOL)Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
void CWnd::OnDrawClipboard() { Default(); }
void CWnd::OnChangeCbChain(HWND, HWND) { Default(); }
BOOL CWnd::OnQueryEndSession() { return (BOOL)Default(); }
void CWnd::OnEndSession(BOOL) { Default(); }
void CWnd::OnWindowPosChanging(WINDOWPOS*) { Default(); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
