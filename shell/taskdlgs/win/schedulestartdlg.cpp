#include "shell/taskdlgs/schedulestartdlg.h"

#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "framework/fwtime.h"
#include "shell/doc/zarndoc.h"
#include "shell/taskdlgs/taskdlgsres.h"

static constexpr UINT_PTR kClockTimer = 1;

BEGIN_MESSAGE_MAP(CScheduleStartDlg, CDialog)
  ON_BN_CLICKED(IDC_SCHED_BUTTON, OnStartAbort)
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CScheduleStartDlg::CScheduleStartDlg(CWnd* pParent) : CDialog(IDD_SCHEDULE_START, pParent) {}

void CScheduleStartDlg::DoDataExchange(CDataExchange* pDX)
{
  DDX_Control(pDX, IDC_SCHED_START_DATE, m_startDate);
  DDX_Control(pDX, IDC_SCHED_START_TIME, m_startTime);
  DDX_Control(pDX, IDC_SCHED_STOP_DATE, m_stopDate);
  DDX_Control(pDX, IDC_SCHED_STOP_TIME, m_stopTime);
  DDX_Check(pDX, IDC_SCHED_STOP_CHECK, m_stopEnabled);
  DDX_Check(pDX, IDC_SCHED_MINIMIZE, m_minimize);
}

BOOL CScheduleStartDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  SYSTEMTIME now;
  CTime(ScheduleNow()).GetAsSystemTime(now);
  for (CDateTimeCtrl* picker : {&m_startDate, &m_startTime, &m_stopDate, &m_stopTime})
    picker->SetTime(&now);
  ShowClock();
  m_timer = SetTimer(kClockTimer, 1000);
  return TRUE;
}

void CScheduleStartDlg::OnCancel()
{
  if (m_running == 1)
    CDialog::OnCancel();
}

void CScheduleStartDlg::ShowClock()
{
  SetDlgItemText(IDC_SCHED_CLOCK, CTime(ScheduleNow()).Format("%H:%M:%S"));
}

int64_t CScheduleStartDlg::MomentOf(int dateId, int timeId) const
{
  SYSTEMTIME date = {}, time = {};
  ::SendMessage(::GetDlgItem(m_hWnd, dateId), DTM_GETSYSTEMTIME, 0, (LPARAM)&date);
  ::SendMessage(::GetDlgItem(m_hWnd, timeId), DTM_GETSYSTEMTIME, 0, (LPARAM)&time);
  return CTime(date.wYear, date.wMonth, date.wDay, time.wHour, time.wMinute, time.wSecond).GetTime();
}

int64_t CScheduleStartDlg::StartMoment() const
{
  return MomentOf(IDC_SCHED_START_DATE, IDC_SCHED_START_TIME);
}

int64_t CScheduleStartDlg::StopMoment() const
{
  return MomentOf(IDC_SCHED_STOP_DATE, IDC_SCHED_STOP_TIME);
}

void CScheduleStartDlg::EnableFields(BOOL enable)
{
  for (int id : {IDC_SCHED_START_DATE, IDC_SCHED_START_TIME, IDC_SCHED_STOP_DATE, IDC_SCHED_STOP_TIME,
                 IDC_SCHED_STOP_CHECK, IDC_SCHED_MINIMIZE, IDCANCEL})
    GetDlgItem(id)->EnableWindow(enable);
}

void CScheduleStartDlg::OnStartAbort()
{
  if (m_running != 1) {
    AbortSchedule(m_state);
    EnableFields(TRUE);
    SetDlgItemText(IDC_SCHED_BUTTON, "&Start");
    m_running = 1;
    return;
  }
  UpdateData(TRUE);
  if (ArmSchedule(m_state, ScheduleNow(), StartMoment(), m_stopEnabled != FALSE, StopMoment()) !=
      ScheduleArmResult::Armed) {
    EndDialog(IDOK);
    return;
  }
  EnableFields(FALSE);
  SetDlgItemText(IDC_SCHED_BUTTON, "&Abort");
  m_running = 0;
  if (m_minimize) {
    if (CWnd* main = g_pMainFrame.load())
      main->PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  }
}

void CScheduleStartDlg::OnTimer(UINT_PTR id)
{
  if (id != kClockTimer)
    return;
  ShowClock();
  const ScheduleTick tick = TickSchedule(m_state, ScheduleNow());
  if (tick.startQueue)
    if (CWnd* main = g_pMainFrame.load())
      main->SendMessage(WM_COMMAND, ID_QUEUE_START, 0);
  if (tick.stopQueue) {
    KillTimer(kClockTimer);
    m_timer = 0;
    if (CWnd* view = g_pFuncView.load())
      view->SendMessage(UWM_SCHEDULE_STOP, 0, 0);
    EndDialog(IDOK);
  }
}

void CScheduleStartDlg::OnDestroy()
{
  if (m_timer != 0)
    KillTimer(kClockTimer);
  m_timer = 0;
  CDialog::OnDestroy();
}
