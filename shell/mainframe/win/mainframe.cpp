#include "shell/mainframe/mainframe.h"

#include "engine/dialup.h"
#include "engine/exitrequest.h"
#include "engine/fileops.h"
#include "engine/planthread.h"
#include "engine/queueseam.h"
#include "engine/xfertask.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/shellseam.h"
#include "engine/siteitem.h"
#include "engine/taskdialogs.h"
#include "engine/viewslots.h"
#include "shell/app/splashwnd.h"
#include "shell/doc/sitemanagermsg.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/options/settingsdlg.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/osplatform.h"
#include "shell/taskdlgs/schedulestartdlg.h"
#include "shell/taskdlgs/spaceuseddlg.h"
#include "shell/tools/portinfodlg.h"
#include "views/imagelists.h"
#include "views/listpanedlg.h"
#include "views/loctreeview.h"
#include "views/sertreeview.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

CMainFrame* g_pZarnFrame = nullptr;
uint32_t CMainFrame::s_keeperGraceMs = kKeeperGraceMs;

namespace {
const UINT kIndicators[] = {61455, 61456, 61458, 61459, 61460, 61461, 61462,
                            61463, 61464, 61465, 61466, 61467, 0};
constexpr UINT kToolsDropDown = 32858;
constexpr UINT kToolsMenu = 175;
const char kHomePage[] = "http://www.zarn.example/";

}  // namespace

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SYSCOMMAND()
  ON_WM_TIMER()
  ON_WM_GETMINMAXINFO()
  ON_WM_INITMENUPOPUP()
  ON_WM_MEASUREITEM()
  ON_WM_MENUCHAR()
  ON_MESSAGE(UWM_TRAY_NOTIFY, OnTrayNotify)
  ON_MESSAGE(UWM_SITES_CHANGED, OnSitesChanged)
  // workers, site manager, clipboard (mainframe_msgs.cpp, clipmonitor.cpp)
  ON_MESSAGE(UWM_SAVE_SITE, OnSaveSite)
  ON_MESSAGE(UWM_POWER_OFF, OnPowerOff)
  ON_MESSAGE(UWM_UPLOAD_BEGIN, OnUploadBegin)
  ON_MESSAGE(UWM_DOWNLOAD_BEGIN, OnDownloadBegin)
  ON_MESSAGE(UWM_TASK_FINISHED, OnTaskFinished)
  ON_MESSAGE(UWM_RUN_QUEUE, OnRunQueue)
  ON_MESSAGE(UWM_NOTIFY_POPUP, OnNotifyPopup)
  ON_MESSAGE(UWM_SITE_MANAGER_EDIT, OnSiteManagerEdit)
  ON_MESSAGE(WM_DRAWCLIPBOARD, OnDrawClipboard)
  ON_MESSAGE(WM_CHANGECBCHAIN, OnChangeCbChain)
  ON_COMMAND_RANGE(32813, 32814, OnClipboardMode)
  ON_COMMAND(32846, OnClipboardModeMonitor)
  ON_COMMAND(32850, OnClipboardModeDefault)
  ON_UPDATE_COMMAND_UI_RANGE(32813, 32814, OnUpdateClipboardMode)
  ON_UPDATE_COMMAND_UI(32846, OnUpdateClipboardMode)
  ON_UPDATE_COMMAND_UI(32850, OnUpdateClipboardMode)
  ON_COMMAND(32876, OnDisplayMainWindow)
  ON_UPDATE_COMMAND_UI(32876, OnUpdateDisplayMainWindow)
  ON_COMMAND(32877, OnHideMainWindow)
  ON_UPDATE_COMMAND_UI(32877, OnUpdateHideMainWindow)
  ON_COMMAND(32879, OnPreferences)
  ON_COMMAND(ID_APP_EXIT, OnExit)
  ON_COMMAND(32841, OnDualServerView)
  ON_UPDATE_COMMAND_UI(32841, OnUpdateDualServerView)
  ON_COMMAND(32842, OnSwitchFuncView)
  ON_UPDATE_COMMAND_UI(32842, OnUpdateSwitchFuncView)
  ON_COMMAND(32861, OnHangUp)
  ON_UPDATE_COMMAND_UI(32861, OnUpdateHangUp)
  ON_COMMAND(32863, OnDialDefault)
  ON_UPDATE_COMMAND_UI(32863, OnUpdateDialDefault)
  ON_COMMAND(32875, OnHelpTopics)
  ON_COMMAND(32865, OnHomePage)
  ON_COMMAND(32773, OnScheduleStart)
  ON_COMMAND_RANGE(32774, 32779, OnToggleFuncTab)
  ON_UPDATE_COMMAND_UI_RANGE(32774, 32779, OnUpdateToggleFuncTab)
  ON_COMMAND_RANGE(32783, 32785, OnTransferType)
  ON_UPDATE_COMMAND_UI_RANGE(32783, 32785, OnUpdateTransferType)
  ON_COMMAND(32790, OnSpaceUsed)
  ON_UPDATE_COMMAND_UI(32790, OnUpdateSpaceUsed)
  ON_COMMAND(32794, OnAfterQueueIdle)
  ON_UPDATE_COMMAND_UI(32794, OnUpdateAfterQueueIdle)
  ON_COMMAND_RANGE(32791, 32793, OnAfterQueueBit)
  ON_UPDATE_COMMAND_UI_RANGE(32791, 32793, OnUpdateAfterQueueBit)
  ON_COMMAND(32799, OnPortMonitor)
  ON_COMMAND(32815, OnManualControl)
  // own caption and interface font
  ON_WM_NCPAINT()
  ON_WM_NCACTIVATE()
  ON_WM_MOVE()
  ON_MESSAGE(WM_NCMOUSEMOVE, OnNcMouseMove)
  ON_MESSAGE(WM_NCMOUSELEAVE, OnNcMouseLeave)
  ON_WM_NCLBUTTONDOWN()
  ON_WM_NCLBUTTONDBLCLK()
  ON_COMMAND(32864, OnFont)
END_MESSAGE_MAP()

CMainFrame::CMainFrame()
{
  g_dualServerView = 0;
  g_funcViewTab = 0;
  InitOsPlatformId();
  ResetSettingsDefaults();
  SetDefaultSettings(m_window);
  SetMenuStyleFromOptions(g_optionFlags);
  m_pThreadStatus = new ThreadStatusRecord[kThreadStatusRecords]();
  BindThreadStatus(ThreadStatusBinding{m_pThreadStatus, &m_transfersActive, &m_downloadTotal, &m_uploadTotal});
  if (g_meteredSection == nullptr)
    g_meteredSection = CreateMeteredSection(1, 1, nullptr);
}

CMainFrame::~CMainFrame()
{
  BindThreadStatus(ThreadStatusBinding{nullptr, nullptr});
  delete[] m_pThreadStatus;
  for (HIMAGELIST& list : m_toolImages) {
    if (list != nullptr)
      ImageList_Destroy(list);
    list = nullptr;
  }
  if (g_meteredSection != nullptr) {
    CloseMeteredSection(g_meteredSection);
    g_meteredSection = nullptr;
  }
  if (g_pZarnFrame == this)
    g_pZarnFrame = nullptr;
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs)
{
  if (!CFrameWnd::PreCreateWindow(cs))
    return FALSE;
  // The frame draws its own caption buttons in place of the system's.
  cs.style &= ~(LONG)(FWS_ADDTOTITLE | WS_SYSMENU);
  const FrameSize size = OpeningFrameSize(g_optionFlags, m_window, ::GetSystemMetrics(SM_CXSCREEN),
                                          ::GetSystemMetrics(SM_CYSCREEN), FrameSize{cs.cx, cs.cy});
  cs.cx = size.cx;
  cs.cy = size.cy;
  return TRUE;
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpcs)
{
  if (!IsOptionSet(26))
    CSplashWnd::ShowSplashScreen(this);
  if (CFrameWnd::OnCreate(lpcs) == -1)
    return -1;

  if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY) ||
      !m_toolBar.LoadToolBar(kMainToolbarResource))
    return -1;
  // Magenta is the bitmap's transparent colour; the same images serve as hot ones.
  if (HBITMAP bitmap = (HBITMAP)::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kMainToolbarResource),
                                             IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)) {
    for (int i = 0; i < 2; ++i) {
      HIMAGELIST list = ImageList_Create(16, 15, ILC_COLOR24 | ILC_MASK, 16, 4);
      ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
      m_toolImages[i] = list;
    }
    ::DeleteObject(bitmap);
    m_toolBar.SendMessage(TB_SETIMAGELIST, 0, (LPARAM)m_toolImages[0]);
    m_toolBar.SendMessage(TB_SETHOTIMAGELIST, 0, (LPARAM)m_toolImages[1]);
  }
  m_toolBar.AddDropDownButton(kToolsDropDown, kToolsMenu, TRUE);
  m_toolBar.SetWindowText("ZARN Toolbar");
  m_toolBar.InitButtonTable();
  m_toolBar.RestoreState();
  if (!m_reBar.Create(this) || !m_reBar.AddBar(&m_toolBar))
    return -1;

  if (!m_statusBar.Create(this) || !m_statusBar.SetIndicators(kIndicators, (int)(sizeof(kIndicators) / sizeof(UINT))))
    return -1;

  if (!BuildSharedImageLists())
    return -1;
  g_pMainFrame = this;
  g_pZarnFrame = this;

  m_funcView.SetCreateContext(&m_context);
  if (!m_funcBar.Create(this, &m_funcView, "Function Information:", kFuncBarId,
                        WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC))
    return -1;
  m_funcView.ShowWindow(SW_SHOW);
  m_funcBar.EnableDocking(CBRS_ALIGN_ANY);
  EnableDocking(CBRS_ALIGN_ANY);
  DockControlBar(&m_funcBar, AFX_IDW_DOCKBAR_BOTTOM);
  LoadInterfaceFont();

  if (IsOptionSet(21) && VerifyBarState("ZARN_Bar")) {
    CCoolDialogBar::GlobalLoadState(this, "ZARN_Bar");
    LoadBarState("ZARN_Bar");
  }

  m_trayIcon.Create(this, kMainMenuResource, ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(kMainMenuResource)),
                    "Pelmoro ZARN v3.69", UWM_TRAY_NOTIFY);
  ShowWindow(SW_SHOW);
  CenterWindow(GetDesktopWindow());
  CreateMainNotifier(m_notifier, this);
  ResetStatusDisplay();  // off (collapsed) until a queue run begins
  StartClipboardMonitor();
  RecalcLayout();
  // Half of the room the bars leave, now that they took theirs.
  if (!(IsOptionSet(21) && g_savedTreeSplit > 0) && m_splitter.m_hWnd != nullptr) {
    CRect room;
    m_splitter.GetClientRect(&room);
    m_splitter.SetRowInfo(0, room.Height() / 2 > 20 ? room.Height() / 2 : 20, 20);
    m_splitter.RecalcLayout();
  }
  // The list pane took its rows from its template's size: the same for it.
  if (CListPaneDlg* pane = m_funcView.ListPane()) {
    if (pane->m_splitter.m_hWnd != nullptr && !(IsOptionSet(21) && g_savedListSplit > 0)) {
      CRect room;
      pane->GetClientRect(&room);
      pane->m_splitter.SetRowInfo(0, room.Height() / 2 > 20 ? room.Height() / 2 : 20, 0);
      pane->m_splitter.RecalcLayout();
    }
  }
  return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext)
{
  if (pContext != nullptr)
    m_context = *pContext;
  if (!m_splitter.CreateStatic(this, 2, 1))
    return FALSE;
  m_serTreeId = m_splitter.AddView(0, 0, RUNTIME_CLASS(CSerTrView), &m_context);
  m_serTree1Id = m_splitter.AddView(1, 0, RUNTIME_CLASS(CSerTrView1), &m_context);
  m_locTreeId = m_splitter.AddView(1, 0, RUNTIME_CLASS(CLocTrView), &m_context);
  if (m_serTreeId < 0 || m_serTree1Id < 0 || m_locTreeId < 0)
    return FALSE;
  if (IsOptionSet(21) && g_savedTreeSplit > 0) {
    m_splitter.SetRowInfo(0, g_savedTreeSplit, 20);
  } else {
    // The creation size may be the system's default marker: the client's own.
    CRect client;
    GetClientRect(&client);
    const int cx = client.Width() / 2 > 100 ? client.Width() / 2 : 100;
    const int cy = client.Height() / 2 > 20 ? client.Height() / 2 : 20;
    m_splitter.SetColumnInfo(0, cx, 100);
    m_splitter.SetRowInfo(0, cy, 20);
  }
  if (g_dualServerView != 0 && IsOptionSet(21)) {
    m_splitter.ShowView(m_serTree1Id);
  } else {
    g_dualServerView = 0;
    m_splitter.ShowView(m_locTreeId);
  }
  return TRUE;
}

HMENU CMainFrame::NewMenu()
{
  m_menu.DestroyMenu();
  if (!m_menu.LoadMenu(kMainMenuResource))
    return nullptr;
  m_menu.LoadToolbar(kMainToolbarResource);
  // The menu stays this object's: the window holds the handle only.
  return m_menu.m_hMenu;
}

void CMainFrame::OnDestroy()
{
  StopClipboardMonitor();
  ResetStatusDisplay();
  if (m_pSpaceUsedDlg != nullptr) {
    m_pSpaceUsedDlg->DestroyWindow();
    delete m_pSpaceUsedDlg;
    m_pSpaceUsedDlg = nullptr;
  }
  m_trayIcon.Remove();
  if (::GetMenu(m_hWnd) == m_menu.m_hMenu && m_menu.m_hMenu != nullptr)
    ::SetMenu(m_hWnd, nullptr);
  if (m_hMenuDefault == m_menu.m_hMenu)
    m_hMenuDefault = nullptr;
  if (m_funcView.QueuePage() != nullptr)
    m_funcView.QueuePage()->SaveQueueNow();
  // Workers address the window no longer.
  if (g_pMainFrame == this)
    g_pMainFrame = nullptr;
  CFrameWnd::OnDestroy();
}

void CMainFrame::CaptureGeometry()
{
  CCoolDialogBar::GlobalSaveState(this, "ZARN_Bar");
  SaveBarState("ZARN_Bar");
  if (!IsIconic()) {
    int height = 0, minimum = 0;
    m_splitter.GetRowInfo(0, height, minimum);
    g_savedTreeSplit = height;
    if (CListPaneDlg* pane = m_funcView.ListPane()) {
      if (CWnd* list = pane->List(CListPaneDlg::kSerList)) {
        CRect client;
        list->GetClientRect(&client);
        g_savedListSplit = client.Height();
      }
    }
    CRect r;
    GetWindowRect(&r);
    m_window.savedWidth = r.Width();
    m_window.savedHeight = r.Height();
    m_window.savedScreenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    m_window.savedScreenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  }
  ShowWindow(SW_HIDE);
  SaveSettings(m_window);
}

int CMainFrame::RunningKeepers() const
{
  int running = 0;
  if (g_pDoc == nullptr)
    return 0;
  for (int i = 0; i < MAX_SITES; ++i) {
    CSiteItem* site = g_pDoc->GetSite(i);
    if (site == nullptr || site->m_pKeeperThread == nullptr || site->m_pKeeperThread->m_hThread == nullptr)
      continue;
    if (::WaitForSingleObject(site->m_pKeeperThread->m_hThread, 0) == WAIT_TIMEOUT)
      ++running;
  }
  return running;
}

void CMainFrame::BeginClose(bool fromExit)
{
  if (m_closing)
    return;
  m_closing = true;
  m_closeFromExit = fromExit;
  g_exitRequested = 1;
  if (fromExit)
    m_trayIcon.Remove();
  CaptureGeometry();
  // Every keeper at once: one stuck in a look-up must not hold the others back.
  if (g_pDoc != nullptr) {
    for (int i = 0; i < MAX_SITES; ++i) {
      CSiteItem* site = g_pDoc->GetSite(i);
      if (site == nullptr || site->m_pKeeperThread == nullptr)
        continue;
      site->m_keeperRunning = 0;
      site->m_queueRun = 0;
      site->m_pKeeperThread->ResumeThread();
    }
  }
  m_closeWait = KeeperCloseWait(s_keeperGraceMs);
  if (m_closeWait.Begin(RunningKeepers(), ::GetTickCount()) == KeeperCloseWait::Step::Wait)
    SetTimer(kCloseTimerId, kKeeperPollMs, nullptr);
  else
    PostMessage(WM_CLOSE);
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent == kStatusTimerId) {
    OnStatusTimer();
    return;
  }
  if (nIDEvent != kCloseTimerId) {
    CFrameWnd::OnTimer(nIDEvent);
    return;
  }
  if (m_closeWait.Poll(RunningKeepers(), ::GetTickCount()) != KeeperCloseWait::Step::Wait) {
    KillTimer(kCloseTimerId);
    PostMessage(WM_CLOSE);
  }
}

void CMainFrame::OnSysCommand(UINT nID, LPARAM lParam)
{
  switch (nID & 0xFFF0) {
  case SC_CLOSE:
    // The close is done by the sequence once the keepers ended.
    if (!m_closing)
      BeginClose(false);
    return;
  case SC_MINIMIZE:
    HideWindowToTray();
    return;
  default:
    CFrameWnd::OnSysCommand(nID, lParam);
  }
}

void CMainFrame::OnExit() { BeginClose(true); }

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
  CFrameWnd::OnGetMinMaxInfo(lpMMI);
  lpMMI->ptMaxTrackSize.x = ::GetSystemMetrics(SM_CXMAXTRACK) - 5;
  lpMMI->ptMaxTrackSize.y = ::GetSystemMetrics(SM_CYMAXTRACK) - 5;
}

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu)
{
  CFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
  if (!bSysMenu && BCMenu::IsOwnMenu(pPopupMenu))
    BCMenu::SyncMenu(pPopupMenu);
}

void CMainFrame::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
  if (BCMenu::MeasureItemEntry(lpMeasureItemStruct))
    return;
  CFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
}

LRESULT CMainFrame::OnMenuChar(UINT nChar, UINT nFlags, CMenu* pMenu)
{
  if (const LRESULT found = BCMenu::OnMenuChar(nChar, nFlags, pMenu))
    return found;
  return CFrameWnd::OnMenuChar(nChar, nFlags, pMenu);
}

LRESULT CMainFrame::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
  m_trayIcon.OnTrayNotification(wParam, lParam);
  return 0;
}

LRESULT CMainFrame::OnSitesChanged(WPARAM wParam, LPARAM lParam)
{
  if (m_pSpaceUsedDlg != nullptr && m_pSpaceUsedDlg->m_hWnd != nullptr)
    m_pSpaceUsedDlg->SendMessage(UWM_SITES_CHANGED, wParam, lParam);
  return 0;
}

// ---- tray ----

void CMainFrame::HideWindowToTray()
{
  CRect from;
  GetWindowRect(&from);
  ShowWindow(SW_HIDE);
  // Wine has no notification area window: the work area's corner stands for it.
  CRect work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  CRect to(work.right - 32, work.bottom - 16, work.right, work.bottom);
  ::DrawAnimatedRects(m_hWnd, IDANI_CAPTION, &from, &to);
}

void CMainFrame::ShowWindowFromTray()
{
  CRect work;
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  CRect from(work.right - 32, work.bottom - 16, work.right, work.bottom);
  CRect to;
  GetWindowRect(&to);
  ::DrawAnimatedRects(m_hWnd, IDANI_CAPTION, &from, &to);
  ShowWindow(SW_RESTORE);
  ShowWindow(SW_SHOW);
  SetForegroundWindow();
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
}

void CMainFrame::OnDisplayMainWindow() { ShowWindowFromTray(); }
void CMainFrame::OnUpdateDisplayMainWindow(CCmdUI* pCmdUI) { pCmdUI->Enable(!IsWindowVisible()); }
void CMainFrame::OnHideMainWindow() { HideWindowToTray(); }
void CMainFrame::OnUpdateHideMainWindow(CCmdUI* pCmdUI) { pCmdUI->Enable(IsWindowVisible()); }

// ---- commands ----

void CMainFrame::OnPreferences()
{
  CSettingsDlg dlg(this, &m_toolBar);
  if (dlg.DoModal() == IDOK)
    SaveSettings(m_window);
}

void CMainFrame::OnDualServerView()
{
  g_dualServerView = g_dualServerView != 0 ? 0 : 1;
  m_splitter.ShowView(g_dualServerView != 0 ? m_serTree1Id : m_locTreeId);
  if (m_funcView.m_hWnd != nullptr)
    m_funcView.SendMessage(UWM_SWITCH_LIST_PANE, 0, 0);
  m_splitter.RecalcLayout();
  RecalcLayout();
}
void CMainFrame::OnUpdateDualServerView(CCmdUI* pCmdUI) { pCmdUI->SetCheck(g_dualServerView != 0); }

void CMainFrame::OnSwitchFuncView() { ShowControlBar(&m_funcBar, !m_funcBar.IsWindowVisible(), FALSE); }
void CMainFrame::OnUpdateSwitchFuncView(CCmdUI* pCmdUI)
{
  pCmdUI->SetCheck(m_funcBar.m_hWnd != nullptr && m_funcBar.IsWindowVisible());
}

void CMainFrame::OnHangUp() { HangUpAllConnections(); }
void CMainFrame::OnUpdateHangUp(CCmdUI* pCmdUI) { pCmdUI->Enable(ActiveDialUpCount() > 0); }
void CMainFrame::OnDialDefault() { AutoDial(); }
void CMainFrame::OnUpdateDialDefault(CCmdUI* pCmdUI) { pCmdUI->Enable(g_dialEntry[0] != '\0'); }

void CMainFrame::OnHelpTopics()
{
  CString path = g_appPath;
  if (path.IsEmpty() || path[path.GetLength() - 1] != '\\')
    path += "\\";
  path += "zarnhelp.chm";
  ShellOpen(path, SW_SHOWNORMAL);
}

void CMainFrame::OnHomePage() { ShellOpen(kHomePage, SW_SHOWNORMAL); }

void CMainFrame::OnScheduleStart() { CScheduleStartDlg(this).DoModal(); }

namespace {
// Menu order of the toggles against the function view's tabs.
const int kToggleTabs[] = {0, 1, 2, 3, 5, 4};
}  // namespace

void CMainFrame::OnToggleFuncTab(UINT nID)
{
  if (m_funcView.m_hWnd != nullptr)
    m_funcView.SendMessage(UWM_SHOW_FUNC_TAB, 0, (LPARAM)kToggleTabs[nID - 32774]);
}
void CMainFrame::OnUpdateToggleFuncTab(CCmdUI* pCmdUI)
{
  pCmdUI->SetRadio(g_funcViewTab == kToggleTabs[pCmdUI->m_nID - 32774]);
}

void CMainFrame::OnTransferType(UINT nID) { g_transferType = (int32_t)(nID - 32783); }
void CMainFrame::OnUpdateTransferType(CCmdUI* pCmdUI) { pCmdUI->SetRadio(g_transferType == (int32_t)(pCmdUI->m_nID - 32783)); }

void CMainFrame::OnSpaceUsed()
{
  if (m_pSpaceUsedDlg == nullptr) {
    m_pSpaceUsedDlg = new CSpaceUsedDlg();
    if (!m_pSpaceUsedDlg->Create(this)) {
      delete m_pSpaceUsedDlg;
      m_pSpaceUsedDlg = nullptr;
      return;
    }
  }
  if (m_pSpaceUsedDlg->m_counting)
    return;
  m_pSpaceUsedDlg->CenterWindow();
  m_pSpaceUsedDlg->ShowWindow(SW_SHOW);
}
void CMainFrame::OnUpdateSpaceUsed(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(m_pSpaceUsedDlg == nullptr || !m_pSpaceUsedDlg->m_counting);
}

namespace {
constexpr uint32_t kAfterQueueBits = (1u << 29) | (1u << 6) | (1u << 7);
int AfterQueueBit(UINT id) { return id == 32791 ? 29 : (id == 32792 ? 6 : 7); }
}  // namespace

void CMainFrame::OnAfterQueueIdle() { g_optionFlags &= ~kAfterQueueBits; }
void CMainFrame::OnUpdateAfterQueueIdle(CCmdUI* pCmdUI) { pCmdUI->SetCheck((g_optionFlags & kAfterQueueBits) == 0); }
void CMainFrame::OnAfterQueueBit(UINT nID) { g_optionFlags ^= 1u << AfterQueueBit(nID); }
void CMainFrame::OnUpdateAfterQueueBit(CCmdUI* pCmdUI) { pCmdUI->SetCheck(IsOptionSet(AfterQueueBit(pCmdUI->m_nID))); }

void CMainFrame::OnPortMonitor() { RunPortMonitor(this); }
void CMainFrame::OnManualControl() { OpenCommandCtrl(nullptr, this); }
