// Control bars of a frame: the bar base, the dock bars and the floating mini
// frame with the drag machinery, the toolbar, the status bar and the rebar.
//
// A bar keeps a bar style of its own (m_dwStyle, the CBRS_ bits, all inside
// 0x40FFFF); the window style gets the rest. Every bar joins its frame's bar
// list (CFrameWnd::m_listControlBars), wherever its window sits: the frame
// itself, a dock bar, the rebar or a mini frame. The frame runs each visible
// bar's OnUpdateCmdUI at idle and lays the bars out in a fixed order: status
// bar, rebar, top and bottom dock bars, left and right dock bars.
#pragma once

#include <vector>

#include "framework/wnd.h"
#include "framework/collections.h"
#include "framework/fwres.h"
#include "framework/gdi.h"

#include <commctrl.h>

class CFrameWnd;
class CDockBar;
class CDockContext;
class CMiniDockFrameWnd;

// The idle update of a frame's bars: every visible bar's OnUpdateCmdUI with
// the frame as target (run by CFrameWnd on WM_IDLEUPDATECMDUI).
void UpdateControlBarsUI(CFrameWnd* pFrame, BOOL bDisableIfNoHndler);

// Bar style bits.
#define CBRS_FLOATING 0x0001L       // the bar sits in a mini frame
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_SIZE_DYNAMIC 0x0004L   // CalcDynamicLayout gives its size
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_GRIPPER 0x00400000L
#define CBRS_ALL 0x0040FFFFL        // every bar style bit
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_NOALIGN 0x00000000L

// CalcDynamicLayout modes.
#define LM_STRETCH 0x01   // fill the dock bar's length
#define LM_HORZ 0x02      // horizontal layout
#define LM_MRUWIDTH 0x04  // the most recent floating width
#define LM_HORZDOCK 0x08
#define LM_VERTDOCK 0x10
#define LM_LENGTHY 0x20   // the length is a height
#define LM_COMMIT 0x40    // keep the answer

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
public:
  CControlBar();
  ~CControlBar() override;

  // Size of the whole bar window for a docked layout.
  virtual CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz);
  // Size for a length and mode (LM_*). The base: CalcFixedLayout(mode & 1, mode & 2).
  virtual CSize CalcDynamicLayout(int nLength, DWORD dwMode);
  // Runs the update handlers of the bar's items against pTarget.
  virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;
  // TRUE for the bars that hold other bars (dock bars).
  virtual BOOL IsDockBar() const { return FALSE; }

  DWORD GetBarStyle() const { return m_dwStyle; }
  void SetBarStyle(DWORD dwStyle);  // and re-frames the window
  // Sides (CBRS_ALIGN_*) the bar may dock on; 0 keeps it where it is. Needs the
  // frame's EnableDocking.
  void EnableDocking(DWORD dwDockStyle);
  BOOL IsFloating() const;
  BOOL IsHorzDocked() const;
  BOOL IsVisible() const;  // the bar's window, even while its mini frame is hidden
  CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
  CDockBar* GetDockBar() const { return m_pDockBar; }
  CDockContext* GetDockContext() const { return m_pDockContext; }

  // The frame the bar belongs to; set by the creating code (Create does it).
  void SetDockSite(CFrameWnd* pFrame);

  // The painters' room inside the bar window on each side (borders, gripper).
  CRect GetBorders() const;
  // The orientation of the bar's layout: floating and top or bottom bars are horizontal.
  BOOL IsHorz() const;

  CFrameWnd* m_pDockSite = nullptr;
  CDockBar* m_pDockBar = nullptr;
  CDockContext* m_pDockContext = nullptr;
  DWORD m_dwStyle = 0;
  DWORD m_dwDockStyle = 0;
  BOOL m_bAutoDelete = FALSE;
  int m_nMRUWidth = 32767;  // the last floating width of a dynamic bar

protected:
  // Creates the bar window: the bar bits of dwStyle become m_dwStyle, the rest
  // plus dwCtrlStyle the window style.
  BOOL CreateBar(DWORD dwExStyle, LPCTSTR lpszClass, LPCTSTR lpszTitle, DWORD dwStyle, DWORD dwCtrlStyle,
                 CWnd* pParent, UINT nID);
  BOOL m_bRouteToFrame = FALSE;  // commands and notifications of children go to the frame
  void PostNcDestroy() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // The frame lays a bar that sits in it directly out along its alignment.
  virtual void OnSizeParentBar(struct AFX_SIZEPARENTPARAMS* lpLayout);
  void DrawBorders(CDC* pDC, CRect& rect);
  void DrawGripper(CDC* pDC, const CRect& rect);
  // The gripper's rectangle in window coordinates; empty when the bar has none.
  CRect GetGripperRect() const;
  // The window's rectangle at the origin and the client area within it, and a
  // window DC clipped to the non-client part: what every frame painter starts from.
  void PrepareNcPaint(CWindowDC& dc, CRect* window, CRect* client);

  afx_msg LRESULT OnSizeParent(WPARAM, LPARAM lParam);
  afx_msg LRESULT OnIdleUpdate(WPARAM wParam, LPARAM);
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg void OnNcPaint();
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  friend class CDockBar;
  friend class CFrameWnd;
};

// One side of a frame (or the inside of a mini frame): holds docked bars, one
// row per visible bar, in m_arrBars order.
class CDockBar : public CControlBar {
  DECLARE_DYNAMIC(CDockBar)
public:
  explicit CDockBar(BOOL bFloating = FALSE);
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
  BOOL IsDockBar() const override { return TRUE; }

  // Puts pBar in row nRow (-1: a new last row) at offset nOffset along the bar.
  void DockControlBar(CControlBar* pBar, int nRow = -1, int nOffset = 0);
  // Takes pBar out; FALSE when it was not here.
  BOOL RemoveControlBar(CControlBar* pBar);
  int FindBar(const CControlBar* pBar) const;
  int GetBarCount() const { return (int)m_arrBars.GetSize(); }
  CControlBar* GetBar(int i) const { return static_cast<CControlBar*>(m_arrBars[i]); }
  int GetVisibleBarCount() const;
  // Lays the bars out inside the dock bar; returns the thickness taken.
  int LayoutBars(int nLength, BOOL bMove);

  BOOL m_bFloating;
  CPtrArray m_arrBars;
  CDWordArray m_arrOffsets;  // per bar: its offset along the row

protected:
  void OnSizeParentBar(AFX_SIZEPARENTPARAMS* lpLayout) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The floating window of a bar: a tool window owned by the frame with a
// floating dock bar inside. Its close box hides the bar; a caption press drags
// the bar, a caption double click docks it again.
class CMiniDockFrameWnd : public CWnd {
  DECLARE_DYNAMIC(CMiniDockFrameWnd)
public:
  CMiniDockFrameWnd();
  BOOL Create(CFrameWnd* pParent, CControlBar* pBar);
  // Fits the window to the bar (CalcDynamicLayout or CalcFixedLayout) and
  // shows it only while its bar is visible.
  void RecalcLayout();
  CControlBar* GetBar() const;

  CDockBar m_wndDockBar;
  CFrameWnd* m_pFrame = nullptr;

protected:
  void PostNcDestroy() override { delete this; }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnSizing(UINT nSide, LPRECT lpRect);
  BOOL m_bInLayout = FALSE;
};

// Moves a bar with the mouse: a drag rectangle, thin where the bar would dock,
// thick where it would float; button up docks or floats it, Escape or a lost
// capture leaves it where it was.
class CDockContext {
public:
  explicit CDockContext(CControlBar* pBar);
  virtual ~CDockContext() = default;

  // pt: the press in screen coordinates. Returns when the drag is over.
  virtual void StartDrag(CPoint pt);
  // Docked: floats at the last floating place; floating: docks at the last dock
  // bar and row.
  virtual void ToggleDocking();

  CControlBar* m_pBar;
  CFrameWnd* m_pDockSite;
  UINT m_uMRUDockID = 0;     // the last dock bar (0: none yet)
  int m_nMRURow = -1;        // and row there
  int m_nMRUOffset = 0;
  CPoint m_ptMRUFloatPos = CPoint(-1, -1);  // the last floating place (screen; -1: none yet)
  BOOL m_bDragging = FALSE;

protected:
  // The dock bar the point would dock into, or null to float.
  CDockBar* DockBarAt(CPoint pt) const;
  void DrawDragRect(const CRect& rect, int nThickness);
  CRect DragRectFor(CPoint pt, CDockBar* pDock) const;
  CPoint m_ptStart;
  CPoint m_ptLast;
  CSize m_sizeHorz, m_sizeVert, m_sizeFloat;  // the bar's window in each place
  CSize m_sizeOffset;  // the press point within the bar's window
  CRect m_rectDrawn;
  int m_nDrawnThickness = 0;
};

// Docks pBar into pDock at row nRow (-1: a new last row) and offset along the
// row, then lays the frame out; an emptied mini frame goes. For the drag, the
// toggle and the bar state.
void DockControlBarAt(CFrameWnd* pFrame, CControlBar* pBar, CDockBar* pDock, int nRow, int nOffset);
// The mini frame a floating bar sits in; null when it is not floating.
CMiniDockFrameWnd* GetBarMiniFrame(const CControlBar* pBar);

// ---- toolbar ----

// Thin wrappers over the common toolbar control's messages.
class CToolBarCtrl : public CWnd {
public:
  int GetButtonCount() const { return (int)SendMessage(TB_BUTTONCOUNT); }
  BOOL GetButton(int nIndex, TBBUTTON* p) const { return (BOOL)SendMessage(TB_GETBUTTON, nIndex, (LPARAM)p); }
  BOOL AddButtons(int n, TBBUTTON* p) { return (BOOL)SendMessage(TB_ADDBUTTONSA, n, (LPARAM)p); }
  BOOL InsertButton(int nIndex, TBBUTTON* p) { return (BOOL)SendMessage(TB_INSERTBUTTONA, nIndex, (LPARAM)p); }
  BOOL DeleteButton(int nIndex) { return (BOOL)SendMessage(TB_DELETEBUTTON, nIndex); }
  int AddStrings(LPCTSTR lpszStrings) { return (int)SendMessage(TB_ADDSTRINGA, 0, (LPARAM)lpszStrings); }
  int CommandToIndex(UINT nID) const { return (int)SendMessage(TB_COMMANDTOINDEX, nID); }
  BOOL GetItemRect(int nIndex, LPRECT lpRect) const { return (BOOL)SendMessage(TB_GETITEMRECT, nIndex, (LPARAM)lpRect); }
  BOOL IsButtonHidden(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONHIDDEN, nID); }
  BOOL SetBitmapSize(CSize s) { return (BOOL)SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(s.cx, s.cy)); }
  BOOL SetButtonSize(CSize s) { return (BOOL)SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(s.cx, s.cy)); }
  CSize GetButtonSize() const {
    DWORD d = (DWORD)SendMessage(TB_GETBUTTONSIZE);
    return CSize(LOWORD(d), HIWORD(d));
  }
  HIMAGELIST SetImageList(HIMAGELIST h) { return (HIMAGELIST)SendMessage(TB_SETIMAGELIST, 0, (LPARAM)h); }
  HIMAGELIST SetHotImageList(HIMAGELIST h) { return (HIMAGELIST)SendMessage(TB_SETHOTIMAGELIST, 0, (LPARAM)h); }
  DWORD SetExtendedStyle(DWORD dw) { return (DWORD)SendMessage(TB_SETEXTENDEDSTYLE, 0, dw); }
  DWORD GetExtendedStyle() const { return (DWORD)SendMessage(TB_GETEXTENDEDSTYLE); }
  BOOL SetMaxTextRows(int n) { return (BOOL)SendMessage(TB_SETMAXTEXTROWS, n); }
  void AutoSize() { SendMessage(TB_AUTOSIZE); }
  void Customize() { SendMessage(TB_CUSTOMIZE); }
  void SaveState(HKEY hKeyRoot, LPCTSTR lpszSubKey, LPCTSTR lpszValueName) {
    TBSAVEPARAMSA p = {hKeyRoot, lpszSubKey, lpszValueName};
    SendMessage(TB_SAVERESTOREA, TRUE, (LPARAM)&p);
  }
  void RestoreState(HKEY hKeyRoot, LPCTSTR lpszSubKey, LPCTSTR lpszValueName) {
    TBSAVEPARAMSA p = {hKeyRoot, lpszSubKey, lpszValueName};
    SendMessage(TB_SAVERESTOREA, FALSE, (LPARAM)&p);
  }
  UINT GetState(int nID) const { return (UINT)SendMessage(TB_GETSTATE, nID); }
  BOOL SetState(int nID, UINT nState) { return (BOOL)SendMessage(TB_SETSTATE, nID, MAKELPARAM(nState, 0)); }
  BOOL EnableButton(int nID, BOOL bEnable = TRUE) { return (BOOL)SendMessage(TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable, 0)); }
  BOOL CheckButton(int nID, BOOL bCheck = TRUE) { return (BOOL)SendMessage(TB_CHECKBUTTON, nID, MAKELPARAM(bCheck, 0)); }
  BOOL IsButtonEnabled(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONENABLED, nID); }
  BOOL IsButtonChecked(int nID) const { return (BOOL)SendMessage(TB_ISBUTTONCHECKED, nID); }
};

// The toolbar bar: its window is the common toolbar control, subclassed, so the
// bar's map sees the messages sent to the control.
class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)
public:
  CToolBar();
  ~CToolBar() override;
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = AFX_IDW_TOOLBAR);
  // dwCtrlStyle: TBSTYLE_ bits of the control. rcBorders is taken for the
  // callers' sake: the bar's borders follow its CBRS_BORDER_ bits.
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                UINT nID = AFX_IDW_TOOLBAR);

  // The toolbar resource (type 241) and the bitmap of the same id. FALSE for a
  // resource of another version or form, or one whose count overruns it.
  BOOL LoadToolBar(UINT nIDResource);
  BOOL LoadToolBar(LPCTSTR lpszResourceName);
  BOOL LoadBitmap(UINT nIDResource);
  BOOL LoadBitmap(LPCTSTR lpszResourceName);
  // ids: command ids, 0 (ID_SEPARATOR) for a separator; null: n blank buttons.
  BOOL SetButtons(const UINT* lpIDArray, int nIDCount);
  void SetSizes(SIZE sizeButton, SIZE sizeImage);

  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  UINT GetButtonStyle(int nIndex) const;  // TBBS style in the low word, state in the high word
  void SetButtonStyle(int nIndex, UINT nStyle);
  void GetButtonInfo(int nIndex, UINT& nID, UINT& nStyle, int& iImage) const;
  void SetButtonInfo(int nIndex, UINT nID, UINT nStyle, int iImage);
  BOOL SetButtonText(int nIndex, LPCTSTR lpszText);
  CString GetButtonText(int nIndex) const;
  CToolBarCtrl& GetToolBarCtrl() const;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // One row (horizontal) or one column; the bar window's size.
  CSize CalcLayout(BOOL bHorz);
  HBITMAP m_hbmImageWell = nullptr;
  CSize m_sizeImage = CSize(16, 15);
  DECLARE_MESSAGE_MAP()
};

// ---- status bar ----

#define SBPS_NORMAL 0x0000
#define SBPS_NOBORDERS 0x0100
#define SBPS_POPOUT 0x0200
#define SBPS_DISABLED 0x04000000
#define SBPS_STRETCH 0x08000000  // takes the width the other panes leave

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
public:
  CStatusBar();
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = AFX_IDW_STATUS_BAR);

  // One pane per id: its string is its text and gives its width; 0 is an empty
  // separator, and the last separator takes the rest. FALSE (panes unchanged)
  // when an id has no string.
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  int GetCount() const { return (int)m_panes.size(); }
  int CommandToIndex(UINT nIDFind) const;
  UINT GetItemID(int nIndex) const;
  void GetItemRect(int nIndex, LPRECT lpRect) const;
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  UINT GetPaneStyle(int nIndex) const;
  void SetPaneStyle(int nIndex, UINT nStyle);
  CString GetPaneText(int nIndex) const;
  void GetPaneText(int nIndex, CString& s) const { s = GetPaneText(nIndex); }
  BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
  // The width of a text in the bar's font (a pane's width for it).
  int GetTextWidth(LPCTSTR lpszText) const;
  // A child window of the bar kept on pane nIndex's rectangle (null: none).
  void SetPaneChild(int nIndex, HWND hWndChild);

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;

protected:
  struct Pane {
    UINT nID;
    UINT nStyle;
    int cxText;
    CString strText;
    HWND hWndChild;
  };
  std::vector<Pane> m_panes;
  void UpdateParts();  // pushes widths and texts to the control, moves pane children
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg LRESULT OnSetText(WPARAM, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// ---- rebar ----

class CReBarCtrl : public CWnd {
public:
  UINT GetBandCount() const { return (UINT)SendMessage(RB_GETBANDCOUNT); }
  BOOL GetBandInfo(UINT uBand, REBARBANDINFOA* prbbi) const {
    return (BOOL)SendMessage(RB_GETBANDINFOA, uBand, (LPARAM)prbbi);
  }
  BOOL SetBandInfo(UINT uBand, REBARBANDINFOA* prbbi) { return (BOOL)SendMessage(RB_SETBANDINFOA, uBand, (LPARAM)prbbi); }
  BOOL InsertBand(UINT uIndex, REBARBANDINFOA* prbbi) { return (BOOL)SendMessage(RB_INSERTBANDA, uIndex, (LPARAM)prbbi); }
  UINT GetBarHeight() const { return (UINT)SendMessage(RB_GETBARHEIGHT); }
  void MaximizeBand(UINT uBand) { SendMessage(RB_MAXIMIZEBAND, uBand, 0); }
};

class CReBar : public CControlBar {
  DECLARE_DYNAMIC(CReBar)
public:
  CReBar();
  BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = RBS_BANDBORDERS,
              DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
              UINT nID = AFX_IDW_REBAR);
  // Makes a band of pBar (which loses its own borders and gripper). The band's
  // child minimum and ideal size are the bar's horizontal size.
  BOOL AddBar(CControlBar* pBar, LPCTSTR pszText = nullptr, DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);
  CReBarCtrl& GetReBarCtrl() const;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}  // its bars are in the frame's list

protected:
  void OnSizeParentBar(AFX_SIZEPARENTPARAMS* lpLayout) override;
  afx_msg void OnHeightChange(NMHDR*, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()
};
