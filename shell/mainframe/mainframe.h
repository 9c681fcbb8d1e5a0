// CMainFrame: the program's one top-level window. The trees in a splitter, the
// function view docked at the bottom in "Function Information:", the toolbar in
// a rebar, the status bar, the tray icon and the notifier; it loads and saves
// the settings and carries the window-level commands and the close sequence.
#pragma once

#include <atomic>

#include "framework/bars.h"
#include "framework/docview.h"
#include "shell/app/trayicon.h"
#include "shell/doc/threadstatus.h"
#include "shell/mainframe/captionlayout.h"
#include "shell/funcview/funcviewdlg.h"
#include "shell/mainframe/framerules.h"
#include "shell/mainframe/statusrules.h"
#include "shell/settings/settings.h"
#include "shell/tools/taskbarnotifier.h"
#include "toolkit/bcmenu.h"
#include "toolkit/cooldialogbar.h"
#include "toolkit/fontcolor.h"
#include "toolkit/panesplitter.h"
#include "toolkit/toolbarex.h"

class CSpaceUsedDlg;
class CGraphCtrl;

constexpr UINT UWM_TRAY_NOTIFY = 0x803;
constexpr UINT kFuncBarId = 142;
constexpr UINT kCloseTimerId = 100;
constexpr UINT kMainMenuResource = 128;
constexpr UINT kMainToolbarResource = 171;

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)
public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  // The owner-drawn menu of resource 128 with toolbar 171's images.
  HMENU NewMenu();

  // Saves the bar layout, the splitter rows and the window's size, hides the
  // window and saves the settings (before a close).
  void CaptureGeometry();
  // The close sequence: every keeper told at once, the window closed when they
  // ended or once the grace is over. fromExit: Exit rather than the caption.
  void BeginClose(bool fromExit);
  // Tests lower the grace.
  static void SetKeeperGraceForTest(uint32_t ms) { s_keeperGraceMs = ms; }

  // ---- members, in this order ----
  CFontColor m_font;  // the interface font ("FONT")
  BCMenu m_menu;
  CTrayIcon m_trayIcon;
  MainWindowSettings m_window;
  CSpaceUsedDlg* m_pSpaceUsedDlg = nullptr;
  CTaskbarNotifier m_notifier;
  CPaneSplitterWnd m_splitter;
  int m_serTreeId = -1;
  int m_serTree1Id = -1;
  int m_locTreeId = -1;
  ThreadStatusRecord* m_pThreadStatus = nullptr;
  std::atomic<int32_t> m_transfersActive{0};
  CReBar m_reBar;
  CToolBarEx m_toolBar;
  CStatusBar m_statusBar;
  CCoolDialogBar m_funcBar;
  CFuncViewDlg m_funcView;
  HIMAGELIST m_toolImages[2] = {};  // normal and hot images of the toolbar

  // ---- workers' and site manager's messages, status display, clipboard
  // monitor (mainframe_msgs.cpp, statusdisplay.cpp, clipmonitor.cpp) ----
  StatusDisplayState m_status;
  std::atomic<uint64_t> m_uploadTotal{0};    // bound as the queue's running byte totals
  std::atomic<uint64_t> m_downloadTotal{0};
  CGraphCtrl* m_pUploadGraph = nullptr;      // speed displays over panes 7 and 9
  CGraphCtrl* m_pDownloadGraph = nullptr;
  HWND m_hNextViewer = nullptr;              // next window of the clipboard-viewer chain
  void StartStatusDisplay();
  void ResetStatusDisplay();
  void OnStatusTimer();
  // The clipboard mode at start-up (the loaded setting); destruction leaves.
  void StartClipboardMonitor();
  void StopClipboardMonitor();

protected:
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  int RunningKeepers() const;
  void ShowWindowFromTray();
  void HideWindowToTray();

  afx_msg int OnCreate(LPCREATESTRUCT lpcs);
  afx_msg void OnDestroy();
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
  afx_msg LRESULT OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu);
  afx_msg LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSitesChanged(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSaveSite(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnPowerOff(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnUploadBegin(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDownloadBegin(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTaskFinished(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnRunQueue(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNotifyPopup(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSiteManagerEdit(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDrawClipboard(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnChangeCbChain(WPARAM wParam, LPARAM lParam);
  afx_msg void OnClipboardMode(UINT nID);
  afx_msg void OnClipboardModeMonitor();
  afx_msg void OnClipboardModeDefault();
  afx_msg void OnUpdateClipboardMode(CCmdUI* pCmdUI);

  afx_msg void OnDisplayMainWindow();
  afx_msg void OnUpdateDisplayMainWindow(CCmdUI* pCmdUI);
  afx_msg void OnHideMainWindow();
  afx_msg void OnUpdateHideMainWindow(CCmdUI* pCmdUI);
  afx_msg void OnPreferences();
  afx_msg void OnExit();
  afx_msg void OnDualServerView();
  afx_msg void OnUpdateDualServerView(CCmdUI* pCmdUI);
  afx_msg void OnSwitchFuncView();
  afx_msg void OnUpdateSwitchFuncView(CCmdUI* pCmdUI);
  afx_msg void OnHangUp();
  afx_msg void OnUpdateHangUp(CCmdUI* pCmdUI);
  afx_msg void OnDialDefault();
  afx_msg void OnUpdateDialDefault(CCmdUI* pCmdUI);
  afx_msg void OnHelpTopics();
  afx_msg void OnHomePage();
  afx_msg void OnScheduleStart();
  afx_msg void OnToggleFuncTab(UINT nID);
  afx_msg void OnUpdateToggleFuncTab(CCmdUI* pCmdUI);
  afx_msg void OnTransferType(UINT nID);
  afx_msg void OnUpdateTransferType(CCmdUI* pCmdUI);
  afx_msg void OnSpaceUsed();
  afx_msg void OnUpdateSpaceUsed(CCmdUI* pCmdUI);
  afx_msg void OnAfterQueueIdle();
  afx_msg void OnUpdateAfterQueueIdle(CCmdUI* pCmdUI);
  afx_msg void OnAfterQueueBit(UINT nID);
  afx_msg void OnUpdateAfterQueueBit(CCmdUI* pCmdUI);
  afx_msg void OnPortMonitor();
  afx_msg void OnManualControl();
  DECLARE_MESSAGE_MAP()

  // ---- own caption and its buttons (captionbuttons.cpp) ----
public:
  // Paints band 140, the title and the four buttons into a DC of the whole
  // window (the window's own, or a test's).
  void PaintCaption(HDC windowDC);
  CaptionLayout CurrentCaptionLayout() const;
  CaptionButton CaptionButtonAtScreen(CPoint screen) const;
  CaptionButton m_hotCaptionButton = CaptionButton::None;  // showing its hover image
protected:
  void RepaintCaption();
  afx_msg void OnNcPaint();
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnMove(int x, int y);
  afx_msg LRESULT OnNcMouseMove(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNcMouseLeave(WPARAM wParam, LPARAM lParam);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);

  // ---- interface font (mainframe_font.cpp) ----
  void LoadInterfaceFont();  // the stored "FONT", at creation
  void ApplyInterfaceFont();
  afx_msg void OnFont();

private:
  KeeperCloseWait m_closeWait;
  bool m_closeFromExit = false;
  bool m_closing = false;
  CCreateContext m_context;  // kept for the list pane's and later view switches
  static uint32_t s_keeperGraceMs;
};

extern CMainFrame* g_pZarnFrame;  // the main window as itself (g_pMainFrame is its CWnd)
