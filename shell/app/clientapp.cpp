#include "shell/app/clientapp.h"

#include <winsock2.h>

#include "engine/planthread.h"
#include "engine/taskdialogs.h"
#include "framework/commctrls.h"
#include "framework/dialog.h"
#include "framework/ole.h"
#include "shell/app/aboutdlg.h"
#include "shell/app/splashwnd.h"
#include "shell/app/tipdlg.h"
#include "shell/doc/pinglink.h"
#include "shell/doc/sitemanagerlink.h"
#include "shell/funcview/batchpanedlg.h"
#include "shell/funcview/logpanedlg.h"
#include "shell/funcview/searchpanedlg.h"
#include "shell/tools/nettrafficpage.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/mainframe.h"
#include "shell/options/settingsdlg.h"
#include "shell/settings/settings.h"
#include "shell/taskdlgs/shelltaskdialogs.h"
#include "toolkit/clipboard.h"
#include "views/loctreeview.h"

namespace {
bool RealStartSockets()
{
  WSADATA data;
  return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}
const ClientAppSeam kRealSeam = {&RealStartSockets};
const ClientAppSeam* g_seam = &kRealSeam;
}  // namespace

void SetClientAppSeam(const ClientAppSeam* seam) { g_seam = seam != nullptr ? seam : &kRealSeam; }

BEGIN_MESSAGE_MAP(CClientApp, CWinApp)
  ON_COMMAND(104, ShowTipOfTheDay)
  ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
  ON_COMMAND(ID_FILE_NEW, OnFileNewOnce)
  ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
  ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
END_MESSAGE_MAP()

CClientApp::CClientApp() : CWinApp("ZARN") {}

void CClientApp::BindProgramImports()
{
  BindCommandCtrlImport();
  BindShellTaskDialogs();
  InstallOptionDialogs();
  BindPingImport();
  BindSiteManagerImport();
  // The function view's pages are made by template id when the frame makes
  // the view: they register before the shell command creates the frame.
  RegisterLogPanes();
  RegisterSearchPane();
  RegisterBatchPane();
  SetLogPaneLowerPageMaker(CreateNetTrafficPage);
  // Start Queue and every UWM_RUN_QUEUE make their workers through this.
  SetQueueWorkerFactory(&MakePlanThread);
}

BOOL CClientApp::InitInstance()
{
  CCommandLineInfo first;
  ParseCommandLine(first);
  CSplashWnd::EnableSplashScreen(first.m_bShowSplash);

  AfxEnableControlContainer();
  AfxOleInit();
  AfxInitCommonControls(ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES);

  SetRegistryKey("ZARN");
  LoadStdProfileSettings(4);

  BindProgramImports();
  AddDocTemplate(new CSingleDocTemplate(kMainMenuResource, RUNTIME_CLASS(CZarnDoc), RUNTIME_CLASS(CMainFrame),
                                        RUNTIME_CLASS(CLocTrView)));

  CCommandLineInfo second;
  ParseCommandLine(second);
  if (!ProcessShellCommand(second))
    return FALSE;

  CMainFrame* frame = DYNAMIC_DOWNCAST(CMainFrame, m_pMainWnd);
  if (frame != nullptr) {
    if (HMENU old = ::GetMenu(frame->m_hWnd)) {
      ::SetMenu(frame->m_hWnd, nullptr);
      if (old != frame->m_menu.m_hMenu)
        ::DestroyMenu(old);
    }
    if (frame->m_hMenuDefault != nullptr && frame->m_hMenuDefault != frame->m_menu.m_hMenu &&
        ::IsMenu(frame->m_hMenuDefault))
      ::DestroyMenu(frame->m_hMenuDefault);
    HMENU menu = frame->NewMenu();
    ::SetMenu(frame->m_hWnd, menu);
    frame->m_hMenuDefault = menu;
    ::DrawMenuBar(frame->m_hWnd);
  }

  // The verb table is fixed (a constant table in the engine).
  const bool sockets = g_seam->startSockets();
  if (!sockets)
    AfxMessageBox("Winsock Error");
  // A payload of an earlier run points into a process that is gone: drop it
  // even when the sockets failed.
  if (g_clipFormat != 0 && ::IsClipboardFormatAvailable(g_clipFormat))
    ClearClipboard(m_pMainWnd);
  if (sockets && (g_optionFlags & (1u << 26)) != 0)
    ShowTipAtStartup();
  return TRUE;
}

void CClientApp::OnFileNewOnce()
{
  if (g_pDoc != nullptr)
    return;
  OnFileNew();
}

void CClientApp::ShowTipAtStartup()
{
  CCommandLineInfo cmd;
  ParseCommandLine(cmd);
  if (!cmd.m_bShowSplash)
    return;
  CTipDlg dlg;
  if (dlg.m_bStartup)
    dlg.DoModal();
}

void CClientApp::ShowTipOfTheDay()
{
  CTipDlg dlg;
  dlg.DoModal();
}

void CClientApp::OnAppAbout()
{
  CAboutDlg dlg;
  dlg.DoModal();
}
