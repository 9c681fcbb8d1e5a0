// CWnd: a C++ object bound to a window handle, with its messages dispatched
// through the class's message map.
//
// Binding: one map from window handle to object for the whole module, under a
// lock, so any thread finds any window's object; a window's messages still run
// only on the thread that created it. Create/CreateEx bind the object before the
// window's first message (a creation hook on the calling thread), so WM_NCCREATE
// and WM_CREATE already reach the map. The binding ends at WM_NCDESTROY, after
// which PostNcDestroy runs (a self-deleting class deletes itself there).
#pragma once

#include "framework/fwtypes.h"
#include "framework/fwstring.h"
#include "framework/cmdtarget.h"
#include "framework/wintypes.h"

#ifdef UNICODE
#error "the framework uses multibyte text: build without UNICODE"
#endif

struct CCreateContext;  // document/view creation data, passed as lpCreateParams
// The framework's own window messages.
#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019        // every WM_CTLCOLOR* message, in maps
#endif
#define WM_SIZEPARENT 0x0361      // lParam: AFX_SIZEPARENTPARAMS*; bars take their room
#define WM_SETMESSAGESTRING 0x0362
#define WM_IDLEUPDATECMDUI 0x0363 // wParam: disable items without handler; bars update
#define WM_INITIALUPDATE 0x0364   // a view's first update, sent by its frame
#define WM_RECALCPARENT 0x0368
#define WM_KICKIDLE 0x036A        // a modal loop is idle; lParam: idle count

class CDC;
class CFont;
class CMenu;
class CFrameWnd;
class CScrollBar;
class COleDropTarget;

// This module (exe or dll): the copy of the framework linked into it.
HINSTANCE AfxGetInstanceHandle();

// Registers, once per process, a window class with the framework's window
// procedure and returns its name (valid for the life of the process). Thread safe.
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);
// Registers lpWndClass unless a class of that name already exists for its module.
// Thread safe; TRUE when the class exists afterwards.
BOOL AfxRegisterClass(WNDCLASSA* lpWndClass);

// The framework's window procedure (for classes registered by hand).
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)
public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  // Safe on a null pointer, as callers of the classic framework expect.
  HWND GetSafeHwnd() const;
  bool operator==(const CWnd& w) const { return m_hWnd == w.m_hWnd; }
  bool operator!=(const CWnd& w) const { return m_hWnd != w.m_hWnd; }

  // ---- handle map ----
  // The bound object, or a temporary one owned by the calling thread (freed when
  // that thread's message loop goes idle, or when it ends). Null for a null handle.
  static CWnd* FromHandle(HWND hWnd);
  // The bound object only; null when none is bound.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // Frees the calling thread's temporary objects.
  static void DeleteTempMap();

  BOOL Attach(HWND hWndNew);     // binds without taking over the window procedure
  HWND Detach();                 // unbinds (and gives back a subclassed procedure)
  BOOL SubclassWindow(HWND hWnd);  // binds and routes the window's messages here
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();
  virtual void PreSubclassWindow() {}

  // ---- creation and destruction ----
  // lpszClassName null: the framework's default class.
  virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
  virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x,
                        int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                        LPVOID lpParam = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  // Only on the window's own thread (Win32 refuses others). The object may be
  // deleted when this returns if its PostNcDestroy deletes it.
  virtual BOOL DestroyWindow();
  virtual void PostNcDestroy() {}

  // ---- message handling ----
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL PreTranslateMessage(MSG* pMsg) { return FALSE; }
  // Default processing of the message being handled now.
  LRESULT Default();
  // The message being handled on the calling thread.
  static const MSG* GetCurrentMessage();

  // ---- thin wrappers ----
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
  BOOL KillTimer(UINT_PTR nIDEvent);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  BOOL IsWindowEnabled() const;
  BOOL EnableWindow(BOOL bEnable = TRUE);
  void UpdateWindow();
  void Invalidate(BOOL bErase = TRUE);
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const;
  void SetWindowText(LPCTSTR lpszString);
  int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  void SetDlgItemText(int nID, LPCTSTR lpszString);
  int GetDlgItemText(int nID, CString& rString) const;
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  BOOL IsWindow() const;

  // ---- more wrappers ----
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  CWnd* GetOwner() const;
  void SetOwner(CWnd* pOwnerWnd);
  CWnd* SetParent(CWnd* pWndNewParent);
  CWnd* GetTopLevelParent() const;
  CWnd* GetTopLevelOwner() const;
  // The nearest frame window among the ancestors; null when none.
  CFrameWnd* GetParentFrame() const;
  CFrameWnd* GetTopLevelFrame() const;
  // The top-level window that should own a modal box opened over pParent: the
  // parent's top-level window, else the calling thread's (or the application's)
  // main window. Null when there is none.
  static HWND GetSafeOwnerHwnd(CWnd* pParent);
  static CWnd* GetSafeOwner(CWnd* pParent = nullptr);
  CWnd* GetWindow(UINT nCmd) const;
  CWnd* GetTopWindow() const;
  CWnd* GetLastActivePopup() const;
  CWnd* GetDescendantWindow(int nID, BOOL bOnlyPerm = FALSE) const;
  BOOL IsChild(const CWnd* pWnd) const;
  BOOL IsIconic() const;
  BOOL IsZoomed() const;
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                BOOL bOnlyPerm = FALSE);
  LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
  int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;
  UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
  void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
  void CenterWindow(CWnd* pAlternateOwner = nullptr);
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
  void MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const;
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void InvalidateRgn(HRGN hRgn, BOOL bErase = TRUE);
  void ValidateRect(LPCRECT lpRect);
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgnUpdate = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  void SetRedraw(BOOL bRedraw = TRUE);
  BOOL GetUpdateRect(LPRECT lpRect, BOOL bErase = FALSE);
  int ScrollWindowEx(int dx, int dy, LPCRECT lpRectScroll, LPCRECT lpRectClip, HRGN hrgnUpdate, LPRECT lpRectUpdate,
                     UINT flags);
  CWnd* SetActiveWindow();
  BOOL SetForegroundWindow();
  void BringWindowToTop();
  static CWnd* GetActiveWindow();
  static CWnd* GetForegroundWindow();
  static CWnd* GetDesktopWindow();
  static CWnd* FindWindow(LPCTSTR lpszClassName, LPCTSTR lpszWindowName);
  CWnd* SetCapture();
  static CWnd* GetCapture();
  BOOL FlashWindow(BOOL bInvert);
  BOOL ShowOwnedPopups(BOOL bShow = TRUE);
  BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
  BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  HICON GetIcon(BOOL bBigIcon) const;
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  CFont* GetFont() const;  // a temporary object; null when the window uses the system font
  CDC* GetDC();            // release with ReleaseDC
  CDC* GetWindowDC();
  int ReleaseDC(CDC* pDC);
  CMenu* GetMenu() const;  // a temporary object unless bound
  BOOL SetMenu(CMenu* pMenu);
  void DrawMenuBar();
  CMenu* GetSystemMenu(BOOL bRevert) const;
  int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);
  void DragAcceptFiles(BOOL bAccept = TRUE);
  BOOL OpenClipboard();
  HWND SetClipboardViewer();
  BOOL ChangeClipboardChain(HWND hWndNext);
  int GetScrollPos(int nBar) const;
  int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE);
  void GetScrollRange(int nBar, LPINT lpMinPos, LPINT lpMaxPos) const;
  void SetScrollRange(int nBar, int nMinPos, int nMaxPos, BOOL bRedraw = TRUE);
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
  BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
  void ShowScrollBar(UINT nBar, BOOL bShow = TRUE);
  int SetWindowRgn(HRGN hRgn, BOOL bRedraw);
  BOOL IsDialogMessage(LPMSG lpMsg);
  void GotoDlgCtrl(CWnd* pWndCtrl);
  CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
  CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;

  // Runs the update handlers of every child control with a command id (a bar's
  // or a dialog's buttons) against pTarget: enables, checks, sets texts.
  void UpdateDialogControls(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);

  // Sent by a control's parent for notifications the parent did not handle (or
  // before, for WM_COMMAND and WM_NOTIFY): the control's own reflected handlers
  // (ON_NOTIFY_REFLECT, ON_CONTROL_REFLECT, ON_WM_CTLCOLOR_REFLECT...) run here.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Offers the message being handled to the control hWndChild.
  static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = nullptr);

protected:
  // Base handlers: each does the default processing; derived handlers call them.
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg BOOL OnNcCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnNcDestroy();
  afx_msg void OnClose();
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnMove(int x, int y);
  afx_msg void OnPaint();
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
  afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
  afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
  afx_msg void OnDropFiles(HDROP hDropInfo);
  afx_msg void OnDrawClipboard();
  afx_msg void OnChangeCbChain(HWND hWndRemove, HWND hWndAfter);
  afx_msg BOOL OnQueryEndSession();
  afx_msg void OnEndSession(BOOL bEnding);
  afx_msg void OnWindowPosChanging(WINDOWPOS* lpwndpos);
  afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnEnable(BOOL bEnable);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg UINT OnGetDlgCode();
  afx_msg void OnMButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg void OnNcPaint();
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysColorChange();
  afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);
  afx_msg void OnSizing(UINT fwSide, LPRECT pRect);
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg void OnParentNotify(UINT message, LPARAM lParam);
  afx_msg void OnCancelMode();
  afx_msg void OnMouseLeave();
  afx_msg void OnMouseHover(UINT nFlags, CPoint point);

  WNDPROC m_pfnSuper = nullptr;  // the window's own procedure when subclassed

  DECLARE_MESSAGE_MAP()

private:
  friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  friend LRESULT CALLBACK AfxCbtFilterHook(int, WPARAM, LPARAM);
  friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
  friend void AfxDestroyThreadWindows();
  void BindCreated(HWND hWnd);  // from the creation hook
  BOOL ReflectChildMsg(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  BOOL ReflectOwnerDraw(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  void FinishNcDestroy(HWND hWnd);
  BOOL m_bRouted = FALSE;       // its messages come through AfxWndProc
  // Its registered drop target, revoked while the handle still exists.
  friend class COleDropTarget;
  COleDropTarget* m_pDropTarget = nullptr;
};

// Binds pWnd to the next window the calling thread creates (for creation paths
// other than CreateEx, such as dialogs); the unhook returns TRUE when it was bound.
void AfxHookWindowCreate(CWnd* pWnd);
BOOL AfxUnhookWindowCreate();

// ---- window message entries -------------------------------------------------
#define ON_WM_CREATE() AFX_ON_MSG_RESULT(WM_CREATE, pThis->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_NCCREATE() \
  AFX_ON_MSG_RESULT(WM_NCCREATE, pThis->OnNcCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)))
#define ON_WM_DESTROY() AFX_ON_MSG_VOID(WM_DESTROY, pThis->OnDestroy())
#define ON_WM_NCDESTROY() AFX_ON_MSG_VOID(WM_NCDESTROY, pThis->OnNcDestroy())
#define ON_WM_CLOSE() AFX_ON_MSG_VOID(WM_CLOSE, pThis->OnClose())
#define ON_WM_TIMER() AFX_ON_MSG_VOID(WM_TIMER, pThis->OnTimer((UINT_PTR)wParam))
#define ON_WM_SIZE() AFX_ON_MSG_VOID(WM_SIZE, pThis->OnSize((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_MOVE() AFX_ON_MSG_VOID(WM_MOVE, pThis->OnMove((short)LOWORD(lParam), (short)HIWORD(lParam)))
#define ON_WM_PAINT() AFX_ON_MSG_VOID(WM_PAINT, pThis->OnPaint())
#define ON_WM_SHOWWINDOW() AFX_ON_MSG_VOID(WM_SHOWWINDOW, pThis->OnShowWindow((BOOL)wParam, (UINT)lParam))
#define ON_WM_SETFOCUS() AFX_ON_MSG_VOID(WM_SETFOCUS, pThis->OnSetFocus(CWnd::FromHandle((HWND)wParam)))
#define ON_WM_KILLFOCUS() AFX_ON_MSG_VOID(WM_KILLFOCUS, pThis->OnKillFocus(CWnd::FromHandle((HWND)wParam)))
#define ON_WM_ACTIVATE() \
  AFX_ON_MSG_VOID(WM_ACTIVATE, pThis->OnActivate(LOWORD(wParam), CWnd::FromHandle((HWND)lParam), HIWORD(wParam)))
#define ON_WM_ACTIVATEAPP() AFX_ON_MSG_VOID(WM_ACTIVATEAPP, pThis->OnActivateApp((BOOL)wParam, (DWORD)lParam))
#define ON_WM_LBUTTONDOWN() AFX_ON_MSG_VOID(WM_LBUTTONDOWN, pThis->OnLButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_LBUTTONUP() AFX_ON_MSG_VOID(WM_LBUTTONUP, pThis->OnLButtonUp((UINT)wParam, CPoint(lParam)))
#define ON_WM_LBUTTONDBLCLK() \
  AFX_ON_MSG_VOID(WM_LBUTTONDBLCLK, pThis->OnLButtonDblClk((UINT)wParam, CPoint(lParam)))
#define ON_WM_RBUTTONDOWN() AFX_ON_MSG_VOID(WM_RBUTTONDOWN, pThis->OnRButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_RBUTTONUP() AFX_ON_MSG_VOID(WM_RBUTTONUP, pThis->OnRButtonUp((UINT)wParam, CPoint(lParam)))
#define ON_WM_RBUTTONDBLCLK() \
  AFX_ON_MSG_VOID(WM_RBUTTONDBLCLK, pThis->OnRButtonDblClk((UINT)wParam, CPoint(lParam)))
#define ON_WM_MOUSEMOVE() AFX_ON_MSG_VOID(WM_MOUSEMOVE, pThis->OnMouseMove((UINT)wParam, CPoint(lParam)))
#define ON_WM_MOUSEWHEEL() \
  AFX_ON_MSG_RESULT(WM_MOUSEWHEEL, pThis->OnMouseWheel(LOWORD(wParam), (short)HIWORD(wParam), CPoint(lParam)))
#define ON_WM_KEYDOWN() \
  AFX_ON_MSG_VOID(WM_KEYDOWN, pThis->OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_KEYUP() AFX_ON_MSG_VOID(WM_KEYUP, pThis->OnKeyUp((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_CHAR() AFX_ON_MSG_VOID(WM_CHAR, pThis->OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SYSCOMMAND() AFX_ON_MSG_VOID(WM_SYSCOMMAND, pThis->OnSysCommand((UINT)wParam, lParam))
#define ON_WM_GETMINMAXINFO() \
  AFX_ON_MSG_VOID(WM_GETMINMAXINFO, pThis->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)))
#define ON_WM_CONTEXTMENU() \
  AFX_ON_MSG_VOID(WM_CONTEXTMENU, pThis->OnContextMenu(CWnd::FromHandle((HWND)wParam), CPoint(lParam)))
#define ON_WM_DRAWITEM()                                                                             \
  AFX_MSG_ENTRY(WM_DRAWITEM, pThis->OnDrawItem((int)wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); \
                args_.lResult = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM()                                                                                \
  AFX_MSG_ENTRY(WM_MEASUREITEM, pThis->OnMeasureItem((int)wParam, reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); \
                args_.lResult = TRUE; return TRUE;)
#define ON_WM_SETCURSOR()                                                                      \
  AFX_ON_MSG_RESULT(WM_SETCURSOR, pThis->OnSetCursor(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), \
                                                     HIWORD(lParam)))
#define ON_WM_NCHITTEST() AFX_ON_MSG_RESULT(WM_NCHITTEST, pThis->OnNcHitTest(CPoint(lParam)))
#define ON_WM_COPYDATA()                                                                       \
  AFX_ON_MSG_RESULT(WM_COPYDATA, pThis->OnCopyData(CWnd::FromHandle((HWND)wParam),             \
                                                   reinterpret_cast<COPYDATASTRUCT*>(lParam)))
#define ON_WM_DROPFILES() AFX_ON_MSG_VOID(WM_DROPFILES, pThis->OnDropFiles((HDROP)wParam))
#define ON_WM_DRAWCLIPBOARD() AFX_ON_MSG_VOID(WM_DRAWCLIPBOARD, pThis->OnDrawClipboard())
#define ON_WM_CHANGECBCHAIN() AFX_ON_MSG_VOID(WM_CHANGECBCHAIN, pThis->OnChangeCbChain((HWND)wParam, (HWND)lParam))
#define ON_WM_QUERYENDSESSION() AFX_ON_MSG_RESULT(WM_QUERYENDSESSION, pThis->OnQueryEndSession())
#define ON_WM_ENDSESSION() AFX_ON_MSG_VOID(WM_ENDSESSION, pThis->OnEndSession((BOOL)wParam))
#define ON_WM_WINDOWPOSCHANGING() \
  AFX_ON_MSG_VOID(WM_WINDOWPOSCHANGING, pThis->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam)))
#define ON_WM_WINDOWPOSCHANGED() \
  AFX_ON_MSG_VOID(WM_WINDOWPOSCHANGED, pThis->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)))
// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor): every WM_CTLCOLOR* message
// (nCtlColor is CTLCOLOR_EDIT, CTLCOLOR_STATIC and so on).
#define ON_WM_CTLCOLOR()                                                                            \
  AFX_MSG_ENTRY(WM_CTLCOLOR, args_.lResult = (LRESULT)pThis->OnCtlColor(CDC::FromHandle((HDC)wParam), \
                                             CWnd::FromHandle((HWND)lParam), (UINT)args_.nCode); return TRUE;)
#define ON_WM_HSCROLL()                                                                  \
  AFX_ON_MSG_VOID(WM_HSCROLL, pThis->OnHScroll(LOWORD(wParam), (short)HIWORD(wParam),   \
                                               reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)lParam))))
#define ON_WM_VSCROLL()                                                                  \
  AFX_ON_MSG_VOID(WM_VSCROLL, pThis->OnVScroll(LOWORD(wParam), (short)HIWORD(wParam),   \
                                               reinterpret_cast<CScrollBar*>(CWnd::FromHandle((HWND)lParam))))
#define ON_WM_ENABLE() AFX_ON_MSG_VOID(WM_ENABLE, pThis->OnEnable((BOOL)wParam))
#define ON_WM_ERASEBKGND() AFX_ON_MSG_RESULT(WM_ERASEBKGND, pThis->OnEraseBkgnd(CDC::FromHandle((HDC)wParam)))
#define ON_WM_INITMENUPOPUP()                                                                        \
  AFX_ON_MSG_VOID(WM_INITMENUPOPUP, pThis->OnInitMenuPopup(CMenu::FromHandle((HMENU)wParam), LOWORD(lParam), \
                                                           (BOOL)HIWORD(lParam)))
#define ON_WM_MENUCHAR()                                                                         \
  AFX_ON_MSG_RESULT(WM_MENUCHAR, pThis->OnMenuChar(LOWORD(wParam), HIWORD(wParam),              \
                                                   CMenu::FromHandle((HMENU)lParam)))
#define ON_WM_MENUSELECT() \
  AFX_ON_MSG_VOID(WM_MENUSELECT, pThis->OnMenuSelect(LOWORD(wParam), HIWORD(wParam), (HMENU)lParam))
#define ON_WM_CAPTURECHANGED() AFX_ON_MSG_VOID(WM_CAPTURECHANGED, pThis->OnCaptureChanged(CWnd::FromHandle((HWND)lParam)))
#define ON_WM_GETDLGCODE() AFX_ON_MSG_RESULT(WM_GETDLGCODE, pThis->OnGetDlgCode())
#define ON_WM_MBUTTONDOWN() AFX_ON_MSG_VOID(WM_MBUTTONDOWN, pThis->OnMButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_MBUTTONUP() AFX_ON_MSG_VOID(WM_MBUTTONUP, pThis->OnMButtonUp((UINT)wParam, CPoint(lParam)))
#define ON_WM_NCLBUTTONDOWN() AFX_ON_MSG_VOID(WM_NCLBUTTONDOWN, pThis->OnNcLButtonDown((UINT)wParam, CPoint(lParam)))
#define ON_WM_NCLBUTTONDBLCLK() \
  AFX_ON_MSG_VOID(WM_NCLBUTTONDBLCLK, pThis->OnNcLButtonDblClk((UINT)wParam, CPoint(lParam)))
#define ON_WM_NCPAINT() AFX_ON_MSG_VOID(WM_NCPAINT, pThis->OnNcPaint())
#define ON_WM_NCACTIVATE() AFX_ON_MSG_RESULT(WM_NCACTIVATE, pThis->OnNcActivate((BOOL)wParam))
#define ON_WM_NCCALCSIZE() \
  AFX_ON_MSG_VOID(WM_NCCALCSIZE, pThis->OnNcCalcSize((BOOL)wParam, reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)))
#define ON_WM_SYSKEYDOWN() \
  AFX_ON_MSG_VOID(WM_SYSKEYDOWN, pThis->OnSysKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)))
#define ON_WM_SYSCOLORCHANGE() AFX_ON_MSG_VOID(WM_SYSCOLORCHANGE, pThis->OnSysColorChange())
#define ON_WM_SETTINGCHANGE() \
  AFX_ON_MSG_VOID(WM_SETTINGCHANGE, pThis->OnSettingChange((UINT)wParam, reinterpret_cast<LPCTSTR>(lParam)))
#define ON_WM_SIZING() AFX_ON_MSG_VOID(WM_SIZING, pThis->OnSizing((UINT)wParam, reinterpret_cast<LPRECT>(lParam)))
#define ON_WM_MOUSEACTIVATE()                                                                       \
  AFX_ON_MSG_RESULT(WM_MOUSEACTIVATE, pThis->OnMouseActivate(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), \
                                                             HIWORD(lParam)))
#define ON_WM_PARENTNOTIFY() AFX_ON_MSG_VOID(WM_PARENTNOTIFY, pThis->OnParentNotify(LOWORD(wParam), lParam))
#define ON_WM_CANCELMODE() AFX_ON_MSG_VOID(WM_CANCELMODE, pThis->OnCancelMode())
#define ON_WM_MOUSELEAVE() AFX_ON_MSG_VOID(WM_MOUSELEAVE, pThis->OnMouseLeave())
#define ON_WM_MOUSEHOVER() AFX_ON_MSG_VOID(WM_MOUSEHOVER, pThis->OnMouseHover((UINT)wParam, CPoint(lParam)))

// ---- reflected notifications: handled by the control's own class ----------
// Reflected plain messages are numbered WM_REFLECT_BASE + message.
#define WM_REFLECT_BASE 0xBC00
// void memberFxn()
#define ON_CONTROL_REFLECT(code, memberFxn) \
  AFX_CMD_ENTRY(AfxKindReflectCommand, code, 0, 0, pThis->memberFxn(); return TRUE;)
// BOOL memberFxn(): FALSE lets the parent handle it too
#define ON_CONTROL_REFLECT_EX(code, memberFxn) \
  AFX_CMD_ENTRY(AfxKindReflectCommand, code, 0, 0, return pThis->memberFxn() ? TRUE : FALSE;)
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                 \
  AFX_CMD_ENTRY(AfxKindReflectNotify, code, 0, 0,                                          \
                AFX_NOTIFY* afxN_ = static_cast<AFX_NOTIFY*>(args_.pExtra);                \
                pThis->memberFxn(afxN_->pNMHDR, afxN_->pResult); return TRUE;)
// BOOL memberFxn(NMHDR*, LRESULT*): FALSE lets the parent handle it too
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                              \
  AFX_CMD_ENTRY(AfxKindReflectNotify, code, 0, 0,                                          \
                AFX_NOTIFY* afxN_ = static_cast<AFX_NOTIFY*>(args_.pExtra);                \
                return pThis->memberFxn(afxN_->pNMHDR, afxN_->pResult) ? TRUE : FALSE;)
// HBRUSH CtlColor(CDC* pDC, UINT nCtlColor): a null brush lets the parent decide
#define ON_WM_CTLCOLOR_REFLECT()                                                            \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_CTLCOLOR,                                              \
                HBRUSH afxBr_ = pThis->CtlColor(CDC::FromHandle((HDC)wParam), (UINT)args_.nCode); \
                args_.lResult = (LRESULT)afxBr_; return afxBr_ != nullptr ? TRUE : FALSE;)
// void DrawItem(LPDRAWITEMSTRUCT) / void MeasureItem(LPMEASUREITEMSTRUCT)
#define ON_WM_DRAWITEM_REFLECT()                                                                     \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_DRAWITEM,                                                       \
                pThis->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam)); args_.lResult = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM_REFLECT()                                                                  \
  AFX_MSG_ENTRY(WM_REFLECT_BASE + WM_MEASUREITEM,                                                    \
                pThis->MeasureItem(reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam)); args_.lResult = TRUE; return TRUE;)
// void HScroll(UINT nSBCode, UINT nPos) / VScroll
#define ON_WM_HSCROLL_REFLECT() \
  AFX_ON_MSG_VOID(WM_REFLECT_BASE + WM_HSCROLL, pThis->HScroll(LOWORD(wParam), (short)HIWORD(wParam)))
#define ON_WM_VSCROLL_REFLECT() \
  AFX_ON_MSG_VOID(WM_REFLECT_BASE + WM_VSCROLL, pThis->VScroll(LOWORD(wParam), (short)HIWORD(wParam)))
