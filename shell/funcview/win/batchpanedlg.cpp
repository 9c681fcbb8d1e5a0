#include "shell/funcview/batchpanedlg.h"

#include <cstdio>

#include "engine/engineutil.h"
#include "engine/xfertask.h"
#include "shell/funcview/funcpages.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/listpagesres.h"
#include "shell/funcview/queueinfodlg.h"
#include "shell/settings/settings.h"
#include "views/contextmenu.h"

namespace {

const ContextMenuItem kBatchMenu[] = {
    {ID_BATCH_STOP_SELECTION, "Stop The Selection"},
    {ID_BATCH_STOP_ALL, "Stop All"},
    {0, nullptr},
    {ID_BATCH_DELETE, "Delete"},
    {ID_BATCH_CLEAR, "Clear Queue"},
    {0, nullptr},
    {ID_QUEUE_INFO, "Queue Information"},
    {0, nullptr},
    {ID_QUEUE_SELECT_ALL, "Select All"},
    {ID_QUEUE_INVERT, "Invert Selection"},
};

}  // namespace

// ---- the list ----

IMPLEMENT_DYNCREATE(CMyBackList, CSortListCtrl)

BEGIN_MESSAGE_MAP(CMyBackList, CSortListCtrl)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
END_MESSAGE_MAP()

void CMyBackList::Init()
{
  SubclassHeader();
  SetExtendedStyle(GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  SetColumns("Source File,200;Destination File,200;Size,100;Completed,100;Status,100;Speed(KBps),100");
}

std::vector<int> CMyBackList::SelectedRows() const
{
  return SelectedListRows(*this);
}

void CMyBackList::Changed()
{
  if (GetSafeHwnd() == nullptr)
    return;
  SetItemCountEx(GetCount(), LVSICF_NOSCROLL);
  Invalidate(FALSE);
}

void CMyBackList::SetAllSelected(bool selected)
{
  SetItemState(-1, selected ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

void CMyBackList::InvertSelection()
{
  InvertListSelection(*this, GetCount());
}

void CMyBackList::RedrawRunning()
{
  for (int i = 0; i < GetCount(); ++i)
    if (m_jobs.At(i)->m_running.load() != 0)
      RedrawItems(i, i);
}

void CMyBackList::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  LVITEMA& lv = reinterpret_cast<LV_DISPINFOA*>(pNMHDR)->item;
  const BatchJobRecord* job = m_jobs.At(lv.iItem);
  if (job == nullptr || (lv.mask & LVIF_TEXT) == 0 || lv.pszText == nullptr || lv.cchTextMax <= 0)
    return;
  const char* text = "";
  char speed[kBatchJobSpeedLen];
  switch (lv.iSubItem) {
    case 0: text = job->m_source; break;
    case 1: text = job->m_target; break;
    case 2: m_cellText = FormatThousands(job->m_size); text = m_cellText; break;
    case 3: m_cellText = FormatThousands(job->m_bytesDone.load()); text = m_cellText; break;
    case 4: text = BatchStateText(job->m_state.load()); break;
    case 5:
      if (job->m_running.load() != 0) {
        // The tasks' own rule, so the live text and the final one agree.
        FormatJobSpeed(speed, sizeof(speed), job->m_bytesDone.load(), ::GetTickCount() - job->m_startTick);
        text = speed;
      } else {
        std::snprintf(speed, sizeof(speed), "%.*s", static_cast<int>(sizeof(job->m_speed)), job->m_speed);
        text = speed;
      }
      break;
    default: break;
  }
  std::snprintf(lv.pszText, static_cast<size_t>(lv.cchTextMax), "%s", text);
}

// ---- the page ----

IMPLEMENT_DYNAMIC(CBatchPaneDlg, CListPaneBase)

BEGIN_MESSAGE_MAP(CBatchPaneDlg, CListPaneBase)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_MESSAGE(UWM_BATCH_ADD, OnBatchAdd)
  ON_MESSAGE(UWM_TASK_FINISHED, OnTaskFinished)
  ON_COMMAND(ID_BATCH_STOP_SELECTION, OnStopSelection)
  ON_COMMAND(ID_BATCH_STOP_ALL, OnStopAll)
  ON_COMMAND(ID_BATCH_DELETE, OnDelete)
  ON_COMMAND(ID_BATCH_CLEAR, OnClear)
  ON_COMMAND(ID_QUEUE_INFO, OnInfo)
  ON_COMMAND(ID_QUEUE_SELECT_ALL, OnSelectAll)
  ON_COMMAND(ID_QUEUE_INVERT, OnInvert)
END_MESSAGE_MAP()

CBatchPaneDlg::CBatchPaneDlg(CWnd* pParent) : CListPaneBase(IDD_BATCH_LIST_PANE, pParent) {}

BOOL CBatchPaneDlg::OnInitDialog()
{
  CListPaneBase::OnInitDialog();
  m_list.SubclassDlgItem(IDC_BATCH_LIST, this);
  m_list.Init();
  return TRUE;
}

LRESULT CBatchPaneDlg::OnBatchAdd(WPARAM, LPARAM lParam)
{
  BatchJobRecord* job = reinterpret_cast<BatchJobRecord*>(lParam);
  if (job == nullptr)
    return 0;
  m_list.Jobs().Add(job);
  m_list.Changed();
  if (m_timer.OnAdd())
    SetTimer(kRefreshTimer, kRefreshMs, nullptr);
  return 0;
}

LRESULT CBatchPaneDlg::OnTaskFinished(WPARAM wParam, LPARAM)
{
  // The running count is taken from the jobs at each tick: a report only
  // redraws, or drops a finished job under "auto-delete finished".
  const BatchJobRecord* job = reinterpret_cast<const BatchJobRecord*>(wParam);
  const int row = m_list.Jobs().Find(job);
  switch (m_list.Jobs().Finished(job, IsOptionSet(OPTBIT_QUEUE_AUTODELETE))) {
    case BatchJobList::kRemoved:
      m_list.SetItemState(-1, 0, LVIS_SELECTED);
      m_list.Changed();
      break;
    case BatchJobList::kRedraw: m_list.RedrawItems(row, row); break;
    default: break;
  }
  return 0;
}

void CBatchPaneDlg::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent != kRefreshTimer) {
    CListPaneBase::OnTimer(nIDEvent);
    return;
  }
  m_list.RedrawRunning();
  if (m_timer.OnTick(m_list.Jobs().RunningCount())) {
    KillTimer(kRefreshTimer);
    m_list.Invalidate(FALSE);  // the last states and speeds
  }
}

void CBatchPaneDlg::OnDestroy()
{
  KillTimer(kRefreshTimer);
  // Running jobs stay with their tasks; the rest go.
  m_list.Jobs().FreeAll();
  CListPaneBase::OnDestroy();
}

void CBatchPaneDlg::OnStopSelection()
{
  m_list.Jobs().StopRows(m_list.SelectedRows());
}

void CBatchPaneDlg::OnStopAll()
{
  m_list.Jobs().StopAll();
}

void CBatchPaneDlg::OnDelete()
{
  // A running job is only deselected: its task still writes it.
  m_list.Jobs().DeleteRows(m_list.SelectedRows());
  m_list.SetItemState(-1, 0, LVIS_SELECTED);
  m_list.Changed();
}

void CBatchPaneDlg::OnClear()
{
  m_list.Jobs().Clear();
  m_list.SetItemState(-1, 0, LVIS_SELECTED);
  m_list.Changed();
}

void CBatchPaneDlg::OnSelectAll() { m_list.SetAllSelected(true); }
void CBatchPaneDlg::OnInvert() { m_list.InvertSelection(); }

const ContextMenuItem* CBatchPaneDlg::PaneMenu(size_t* count) const
{
  *count = sizeof(kBatchMenu) / sizeof(kBatchMenu[0]);
  return kBatchMenu;
}

void CBatchPaneDlg::OnInfo()
{
  CQueueInfoDlg dlg(INFO_BATCH, &m_list, this);
  dlg.DoModal();
}

void RegisterBatchPane()
{
  RegisterFuncViewPage(IDD_BATCH_LIST_PANE, &CListPaneBase::Make<CBatchPaneDlg, IDD_BATCH_LIST_PANE>);
}
