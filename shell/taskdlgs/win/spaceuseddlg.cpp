#include "shell/taskdlgs/spaceuseddlg.h"

#include <cinttypes>
#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/engineutil.h"
#include "engine/progthread.h"
#include "shell/doc/zarndoc.h"
#include "shell/taskdlgs/sitecombo.h"
#include "shell/taskdlgs/taskdlgsres.h"

static constexpr UINT_PTR kCountTimer = 1;

BEGIN_MESSAGE_MAP(CSpaceUsedDlg, CDialog)
  ON_BN_CLICKED(IDC_SPACE_BUTTON, OnCheckAbort)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_MESSAGE(UWM_SITES_CHANGED, OnSitesChanged)
END_MESSAGE_MAP()

CSpaceUsedDlg::CSpaceUsedDlg() : m_pRun(SpaceUsedRun::Create())
{
  SetTemplate(IDD_SPACE_USED);
}

CSpaceUsedDlg::~CSpaceUsedDlg()
{
  // A task still counting keeps its own hold; the new run number tells it to
  // write nothing more.
  ++m_pRun->m_runId;
  m_pRun->Release();
}

BOOL CSpaceUsedDlg::Create(CWnd* pParent)
{
  return CDialog::Create(IDD_SPACE_USED, pParent);
}

void CSpaceUsedDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Control(pDX, IDC_SPACE_SITE, m_sites);
  DDX_Control(pDX, IDC_SPACE_PROGRESS, m_progress);
}

BOOL CSpaceUsedDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_SPACE_FOLDER, EM_LIMITTEXT, kTaskPathLen - 1, 0);
  SetDlgItemText(IDC_SPACE_FOLDER, m_startFolder);
  CheckRadioButton(IDC_SPACE_BY_SERVER, IDC_SPACE_BY_LOCAL, m_method == 0 ? IDC_SPACE_BY_SERVER : IDC_SPACE_BY_LOCAL);
  CheckDlgButton(IDC_SPACE_AUTO_HIDE, m_autoHide ? BST_CHECKED : BST_UNCHECKED);
  FillSiteCombo(m_sites, m_siteIndex);
  m_progress.SetRange(0, 100);
  m_progress.SetStep(5);
  return TRUE;
}

void CSpaceUsedDlg::OnCancel()
{
  ShowWindow(SW_HIDE);
}

LRESULT CSpaceUsedDlg::OnSitesChanged(WPARAM, LPARAM)
{
  const int item = m_sites.GetCurSel();
  const int slot = item >= 0 ? (int)m_sites.GetItemData(item) : m_siteIndex;
  FillSiteCombo(m_sites, slot);
  return 0;
}

void CSpaceUsedDlg::EnableFields(BOOL enable)
{
  for (int id : {IDCANCEL, IDC_SPACE_SITE, IDC_SPACE_BY_SERVER, IDC_SPACE_BY_LOCAL, IDC_SPACE_AUTO_HIDE,
                 IDC_SPACE_FOLDER})
    GetDlgItem(id)->EnableWindow(enable);
}

void CSpaceUsedDlg::ResetRecord()
{
  m_pRun->m_bytes = -1;
  m_pRun->m_files = 0;
  m_pRun->m_folders = 0;
}

void CSpaceUsedDlg::StopCounting()
{
  if (m_timer != 0)
    KillTimer(kCountTimer);
  m_timer = 0;
  m_counting = false;
  m_progress.SetPos(0);
  SetDlgItemText(IDC_SPACE_BUTTON, "&Check");
  EnableFields(TRUE);
}

void CSpaceUsedDlg::OnCheckAbort()
{
  // A task of the run before (aborted, or ended unseen) stops and writes nothing.
  ++m_pRun->m_runId;
  if (m_counting) {
    m_pRun->m_running = 0;
    StopCounting();
    ResetRecord();
    return;
  }
  if (!StartCount()) {
    MessageBox("Start up count thread error! Back. ", "Error", MB_OK | MB_ICONSTOP);
    StopCounting();
    return;
  }
  m_counting = true;
  SetDlgItemText(IDC_SPACE_BUTTON, "&Abort");
  EnableFields(FALSE);
  m_result.Empty();
  SetDlgItemText(IDC_SPACE_RESULT, m_result);
  m_timer = SetTimer(kCountTimer, 1000);
  if (m_autoHide)
    ShowWindow(SW_HIDE);
}

bool CSpaceUsedDlg::StartCount()
{
  const int slot = SelectedSiteSlot(m_sites);
  GetDlgItemText(IDC_SPACE_FOLDER, m_startFolder);
  m_startFolder.Trim();
  if (m_startFolder.IsEmpty())
    m_startFolder = "/";
  m_method = GetCheckedRadioButton(IDC_SPACE_BY_SERVER, IDC_SPACE_BY_LOCAL) == IDC_SPACE_BY_LOCAL ? 1 : 0;
  m_autoHide = IsDlgButtonChecked(IDC_SPACE_AUTO_HIDE) == BST_CHECKED;
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  if (site == nullptr) {
    FillSiteCombo(m_sites, -1);
    return false;
  }
  m_siteIndex = slot;
  if (site->m_connected.load() == 0 && !g_pDoc->ConnectSite(slot)) {
    char text[160];
    std::snprintf(text, sizeof(text), " %s::Connection failed. Abort! ", (const char*)SiteField(site->m_host));
    ShowConfirmDlgText(this, text, kConfirmModeError, TRUE);
    return false;
  }
  ResetRecord();
  m_pRun->m_method = m_method;
  m_pRun->m_running = 1;
  CProgThread* thread = new CProgThread(TASK_SPACE_USED, site, m_startFolder, "", nullptr, 0);
  thread->SetSpaceRun(m_pRun, m_pRun->m_runId.load());
  if (!StartTaskThread(g_pDoc->TaskThreads(), thread)) {
    delete thread;
    m_pRun->m_running = 0;
    return false;
  }
  return true;
}

void CSpaceUsedDlg::OnTimer(UINT_PTR id)
{
  if (id != kCountTimer || !m_counting)
    return;
  if (m_pRun->m_running.load() != 0) {
    m_progress.StepIt();
    return;
  }
  StopCounting();
  ShowResult();
}

void CSpaceUsedDlg::ShowResult()
{
  if (!IsWindowVisible())
    ShowWindow(SW_SHOW);
  if (m_pRun->m_bytes >= 0) {
    char counts[80];
    std::snprintf(counts, sizeof(counts), "Folders:%" PRId64 " Files:%" PRId64 " ", m_pRun->m_folders,
                  m_pRun->m_files);
    m_result = counts;
    m_result += "Space Used: ";
    m_result += FormatSize64((uint64_t)m_pRun->m_bytes);
    SetDlgItemText(IDC_SPACE_RESULT, m_result);
    ResetRecord();
    MessageBox("Calculation Complete", "Complete", MB_OK | MB_ICONINFORMATION);
  } else {
    ResetRecord();
    MessageBox("Calculation failed", "Error", MB_OK | MB_ICONSTOP);
  }
}

void CSpaceUsedDlg::OnDestroy()
{
  if (m_timer != 0)
    KillTimer(kCountTimer);
  m_timer = 0;
  m_counting = false;
  ++m_pRun->m_runId;
  CDialog::OnDestroy();
}
