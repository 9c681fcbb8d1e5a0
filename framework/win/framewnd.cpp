// Frame windows, and a window's way to its frame.
#include "framework/docview.h"

#include <cstdio>

#include "framework/archive.h"
#include "framework/bars.h"
#include "framework/commctrls.h"
#include "framework/commdlgs.h"
#include "framework/dialog.h"
#include "framework/file.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/module.h"

// ---- CWnd's frame lookups ----

CFrameWnd* CWnd::GetParentFrame() const {
  if (m_hWnd == nullptr)
    return nullptr;
  for (HWND h = ::GetParent(m_hWnd); h != nullptr; h = ::GetParent(h)) {
    CWnd* p = FromHandlePermanent(h);
    if (p != nullptr && p->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
      return static_cast<CFrameWnd*>(p);
  }
  return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const {
  if (m_hWnd == nullptr)
    return nullptr;
  CFrameWnd* pFrame = const_cast<CWnd*>(this)->IsKindOf(RUNTIME_CLASS(CFrameWnd))
                          ? static_cast<CFrameWnd*>(const_cast<CWnd*>(this))
                          : GetParentFrame();
  while (pFrame != nullptr) {
    CFrameWnd* pNext = pFrame->GetParentFrame();
    if (pNext == nullptr)
      break;
    pFrame = pNext;
  }
  return pFrame;
}

// ---- CFrameWnd ----

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_SETFOCUS()
  ON_WM_INITMENUPOPUP()
  ON_WM_MENUSELECT()
  ON_WM_ERASEBKGND()
  ON_WM_QUERYENDSESSION()
  ON_WM_ENDSESSION()
  ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
  ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

CFrameWnd::CFrameWnd() = default;
CFrameWnd::~CFrameWnd() = default;

void CFrameWnd::PostNcDestroy() { delete this; }

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (cs.lpszClass == nullptr)
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                       (HBRUSH)(COLOR_BTNFACE + 1));
  if ((cs.style & FWS_ADDTOTITLE))
    cs.style |= FWS_PREFIXTITLE;
  cs.dwExStyle |= WS_EX_CLIENTEDGE;
  return TRUE;
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
  HMENU hMenu = nullptr;
  if (lpszMenuName != nullptr) {
    hMenu = ::LoadMenuA(AfxGetResourceHandle(), lpszMenuName);
    if (hMenu == nullptr && AfxGetResourceHandle() != AfxGetInstanceHandle())
      hMenu = ::LoadMenuA(AfxGetInstanceHandle(), lpszMenuName);
    // A frame without a menu of that id simply has none.
  }
  m_strTitle = lpszWindowName ? lpszWindowName : "";
  m_hMenuDefault = hMenu;
  int x = rect.left, y = rect.top, cx = rect.right - rect.left, cy = rect.bottom - rect.top;
  if (CRect(rect) == rectDefault)
    x = y = cx = cy = CW_USEDEFAULT;
  if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, cx, cy,
                pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, hMenu, pContext)) {
    // The object is gone (PostNcDestroy); a menu the window did not take is freed here.
    if (hMenu != nullptr && ::IsMenu(hMenu))
      ::DestroyMenu(hMenu);
    return FALSE;
  }
  return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  m_nIDHelp = nIDResource;
  CString strFull;
  CString strTitle;
  if (strFull.LoadString(nIDResource)) {
    int n = strFull.Find('\n');
    strTitle = n < 0 ? strFull : strFull.Left(n);
  } else if (AfxGetApp() != nullptr && AfxGetApp()->m_pszAppName != nullptr) {
    strTitle = AfxGetApp()->m_pszAppName;
  }
  HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
  if (hIcon == nullptr)
    hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nIDResource));
  LPCTSTR lpszClass = AfxRegisterWndClass(CS_DBLCLKS, ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                                          (HBRUSH)(COLOR_BTNFACE + 1), hIcon);
  HACCEL hAccel = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
  if (hAccel == nullptr)
    hAccel = ::LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nIDResource));
  m_hAccelTable = hAccel;
  if (!Create(lpszClass, strTitle, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCEA(nIDResource), 0,
              pContext))
    return FALSE;  // deleted
  if (pContext == nullptr)
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  if (CWnd::OnCreate(lpcs) == -1)
    return -1;
  CCreateContext* pContext = static_cast<CCreateContext*>(lpcs->lpCreateParams);
  if (!OnCreateClient(lpcs, pContext))
    return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (pContext != nullptr && pContext->m_pNewViewClass != nullptr)
    return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  if (pContext == nullptr || pContext->m_pNewViewClass == nullptr)
    return nullptr;
  CObject* pObject = pContext->m_pNewViewClass->CreateObject();
  CWnd* pView = DYNAMIC_DOWNCAST(CWnd, pObject);
  if (pView == nullptr) {
    delete pObject;
    return nullptr;
  }
  if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(0, 0, 0, 0), this, nID, pContext))
    return nullptr;  // the view deleted itself
  // The view's sunken edge replaces the frame's.
  if (pView->GetExStyle() & WS_EX_CLIENTEDGE)
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
  return pView;
}

void CFrameWnd::OnDestroy() {
  // A menu that an object owns stays with the object; the window would destroy it.
  HMENU hMenu = ::GetMenu(m_hWnd);
  if (hMenu != nullptr && CMenu::FromHandlePermanent(hMenu) != nullptr)
    ::SetMenu(m_hWnd, nullptr);
  if (m_hMenuDefault != nullptr && m_hMenuDefault != hMenu && CMenu::FromHandlePermanent(m_hMenuDefault) == nullptr &&
      ::IsMenu(m_hMenuDefault))
    ::DestroyMenu(m_hMenuDefault);
  m_hMenuDefault = nullptr;
  if (m_hAccelTable != nullptr) {
    ::DestroyAcceleratorTable(m_hAccelTable);
    m_hAccelTable = nullptr;
  }
  if (m_pViewActive != nullptr)
    SetActiveView(nullptr, FALSE);
  CWnd::OnDestroy();
}

void CFrameWnd::OnClose() {
  HWND hWnd = m_hWnd;
  CDocument* pDoc = GetActiveDocument();
  if (pDoc != nullptr && !pDoc->CanCloseFrame(this))
    return;
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr && pApp->m_pMainWnd == this) {
    if (pDoc == nullptr && !pApp->SaveAllModified())
      return;
    pApp->CloseAllDocuments(FALSE);
    // Closing the documents may have destroyed this frame (and deleted it).
    if (!::IsWindow(hWnd) || CWnd::FromHandlePermanent(hWnd) != this)
      return;
    pDoc = GetActiveDocument();
  }
  if (pDoc != nullptr && pDoc->m_bAutoDelete) {
    pDoc->OnCloseDocument();
    if (!::IsWindow(hWnd) || CWnd::FromHandlePermanent(hWnd) != this)
      return;
  }
  DestroyWindow();
}

BOOL CFrameWnd::OnQueryEndSession() {
  CWinApp* pApp = AfxGetApp();
  if (pApp != nullptr && pApp->m_pMainWnd == this)
    return pApp->SaveAllModified();
  return TRUE;
}

void CFrameWnd::OnEndSession(BOOL bEnding) {
  CWinApp* pApp = AfxGetApp();
  if (bEnding && pApp != nullptr && pApp->m_pMainWnd == this)
    pApp->CloseAllDocuments(TRUE);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
  Default();
  if (nType != SIZE_MINIMIZED)
    RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* pOldWnd) {
  if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
    ::SetFocus(m_pViewActive->m_hWnd);
  else
    CWnd::OnSetFocus(pOldWnd);
}

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
  CView* pViewOld = m_pViewActive;
  if (pViewNew == pViewOld)
    return;
  m_pViewActive = nullptr;
  if (pViewOld != nullptr && bNotify)
    pViewOld->OnActivateView(FALSE, pViewNew, pViewOld);
  m_pViewActive = pViewNew;
  if (pViewNew != nullptr && bNotify)
    pViewNew->OnActivateView(TRUE, pViewNew, pViewOld);
}

CDocument* CFrameWnd::GetActiveDocument() {
  if (m_pViewActive != nullptr)
    return m_pViewActive->GetDocument();
  // No active view yet: the document of the first view found.
  CWnd* pPane = GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE);
  CView* pView = DYNAMIC_DOWNCAST(CView, pPane);
  return pView ? pView->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
  CView* pView = nullptr;
  if (GetActiveView() == nullptr) {
    pView = DYNAMIC_DOWNCAST(CView, GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE));
    if (pView != nullptr)
      SetActiveView(pView, FALSE);
  }
  if (bMakeVisible) {
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
    int nCmdShow = -1;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
      nCmdShow = pApp->m_nCmdShow;  // WinMain's, the first time only
      pApp->m_nCmdShow = -1;
    }
    ActivateFrame(nCmdShow);
    if (pView != nullptr)
      pView->OnActivateView(TRUE, pView, pView);
  }
  OnUpdateFrameTitle(TRUE);
  (void)pDoc;
}

void CFrameWnd::ActivateFrame(int nCmdShow) {
  if (nCmdShow == -1) {
    if (!IsWindowVisible())
      nCmdShow = SW_SHOWNORMAL;
    else if (IsIconic())
      nCmdShow = SW_RESTORE;
  }
  if (nCmdShow != -1) {
    ShowWindow(nCmdShow);
    if (nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE && nCmdShow != SW_SHOWMINNOACTIVE)
      BringWindowToTop();
  }
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (m_bInRecalcLayout || m_hWnd == nullptr)
    return;
  m_bInRecalcLayout = TRUE;
  RepositionBars(0, 0xFFFF, AFX_IDW_PANE_FIRST, reposExtra, nullptr, nullptr, TRUE);
  m_bInRecalcLayout = FALSE;
}

void CFrameWnd::RepositionBars(UINT nIDFirst, UINT nIDLast, UINT nIDLeftOver, UINT nFlags, LPRECT lpRectParam,
                               LPCRECT lpRectClient, BOOL bStretch) {
  AFX_SIZEPARENTPARAMS layout = {};
  layout.bStretch = bStretch;
  if (lpRectClient != nullptr)
    layout.rect = *lpRectClient;
  else
    ::GetClientRect(m_hWnd, &layout.rect);
  layout.hDWP = nFlags == reposQuery ? nullptr : ::BeginDeferWindowPos(8);
  HWND hWndLeftOver = nullptr;
  // The frame's own bars take their room in a fixed order (the dock bars of the
  // sides only get what the top and bottom leave); other bars follow in z-order.
  static const UINT kFixedOrder[] = {AFX_IDW_STATUS_BAR, AFX_IDW_REBAR, AFX_IDW_DOCKBAR_TOP,
                                     AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT};
  auto isFixed = [](UINT nID) {
    for (UINT n : kFixedOrder)
      if (n == nID)
        return true;
    return false;
  };
  for (UINT nID : kFixedOrder) {
    HWND hChild = ::GetDlgItem(m_hWnd, (int)nID);
    if (nID != nIDLeftOver && nID >= nIDFirst && nID <= nIDLast && hChild != nullptr &&
        FromHandlePermanent(hChild) != nullptr)
      ::SendMessageA(hChild, WM_SIZEPARENT, 0, (LPARAM)&layout);
  }
  for (HWND hChild = ::GetTopWindow(m_hWnd); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
    UINT nID = (UINT)(WORD)::GetDlgCtrlID(hChild);
    if (nID == nIDLeftOver)
      hWndLeftOver = hChild;
    else if (nID >= nIDFirst && nID <= nIDLast && !isFixed(nID) && FromHandlePermanent(hChild) != nullptr)
      ::SendMessageA(hChild, WM_SIZEPARENT, 0, (LPARAM)&layout);
  }
  if (nFlags == reposQuery) {
    if (lpRectParam != nullptr)
      *lpRectParam = layout.rect;
    return;
  }
  if (nFlags == reposExtra && lpRectParam != nullptr) {
    layout.rect.left += lpRectParam->left;
    layout.rect.top += lpRectParam->top;
    layout.rect.right -= lpRectParam->right;
    layout.rect.bottom -= lpRectParam->bottom;
  }
  if (hWndLeftOver != nullptr) {
    CRect rc(layout.rect);
    if (rc.right < rc.left)
      rc.right = rc.left;
    if (rc.bottom < rc.top)
      rc.bottom = rc.top;
    if (layout.hDWP != nullptr)
      layout.hDWP = ::DeferWindowPos(layout.hDWP, hWndLeftOver, nullptr, rc.left, rc.top, rc.Width(), rc.Height(),
                                     SWP_NOACTIVATE | SWP_NOZORDER);
    else
      ::SetWindowPos(hWndLeftOver, nullptr, rc.left, rc.top, rc.Width(), rc.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
  }
  if (layout.hDWP != nullptr)
    ::EndDeferWindowPos(layout.hDWP);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg);
  return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  // The active view (and through it its document) first, then the frame, then
  // the application.
  CView* pView = GetActiveView();
  if (pView != nullptr && pView->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
    return TRUE;
  CWinApp* pApp = AfxGetApp();
  return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  // The status prompt of a menu command goes away with the menu.
  m_nIDTracking = 0;
  return CWnd::OnCommand(wParam, lParam);
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
  if (bSysMenu || pPopupMenu == nullptr)
    return;
  UpdatePopupMenu(pPopupMenu, m_bAutoMenuEnable);
}

void CFrameWnd::UpdatePopupMenu(CMenu* pPopup, BOOL bDisableIfNoHandler) {
  if (pPopup != nullptr)
    AfxUpdateMenuUI(this, pPopup->m_hMenu, bDisableIfNoHandler);
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu) {
  if (nFlags == 0xFFFF && hSysMenu == nullptr) {
    m_nIDTracking = AFX_IDS_IDLEMESSAGE;  // the menu closed
  } else if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP | MF_MENUBREAK | MF_MENUBARBREAK))) {
    m_nIDTracking = 0;
  } else {
    m_nIDTracking = nItemID;
  }
  SendMessage(WM_SETMESSAGESTRING, m_nIDTracking, 0);
}

void CFrameWnd::GetMessageString(UINT nID, CString& rMessage) const {
  rMessage.Empty();
  CString s;
  if (nID == 0 || !s.LoadString(nID))
    return;
  int n = s.Find('\n');
  rMessage = n < 0 ? s : s.Left(n);
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText) { SendMessage(WM_SETMESSAGESTRING, 0, (LPARAM)lpszText); }

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
  // The message line is the status bar's first pane, when the frame has one.
  HWND hBar = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR);
  if (hBar == nullptr)
    return 0;
  CString s;
  if (lParam != 0)
    s = reinterpret_cast<LPCTSTR>(lParam);
  else if (wParam != 0)
    GetMessageString((UINT)wParam, s);
  ::SetWindowTextA(hBar, s);
  return 0;
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM) {
  OnUpdateFrameTitle(TRUE);
  if (m_bDelayedLayout) {
    m_bDelayedLayout = FALSE;
    RecalcLayout();
  }
  // Floating bars sit in owned windows that the idle broadcast never reaches.
  UpdateControlBarsUI(this, (BOOL)wParam);
  return 0;
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (!(GetStyle() & FWS_ADDTOTITLE))
    return;  // the frame's caption belongs to the program
  CDocument* pDoc = GetActiveDocument();
  CString strTitle = m_strTitle;
  if (bAddToTitle && pDoc != nullptr && !pDoc->GetTitle().IsEmpty()) {
    if (GetStyle() & FWS_PREFIXTITLE)
      strTitle = pDoc->GetTitle() + (m_strTitle.IsEmpty() ? CString() : " - " + m_strTitle);
    else
      strTitle = (m_strTitle.IsEmpty() ? CString() : m_strTitle + " - ") + pDoc->GetTitle();
  }
  CString strOld;
  GetWindowText(strOld);
  if (strOld != strTitle)
    SetWindowText(strTitle);
}
