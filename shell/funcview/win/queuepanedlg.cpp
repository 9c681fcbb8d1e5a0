#include "shell/funcview/queuepanedlg.h"

#include <atomic>
#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/doc/threadstatus.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/funcviewres.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/sitetable.h"
#include "shell/funcview/queueinfodlg.h"
#include "views/contextmenu.h"
#include "views/filelistctrl.h"
#include "views/panelinks.h"
#include "views/viewcmds.h"

IMPLEMENT_DYNAMIC(CQueuePaneDlg, CTabPageDialog)

namespace {

CSiteItem* DocSite(int i)
{
  return g_pDoc != nullptr ? g_pDoc->GetSite(i) : nullptr;
}

bool TakeUnit(CSiteItem* site)
{
  HANDLE sem = site->ConnectionSemaphore();
  return sem != nullptr && ::WaitForSingleObject(sem, 0) == WAIT_OBJECT_0;
}

bool Running(CWinThread* thread)
{
  return thread != nullptr && thread->m_hThread != nullptr &&
         ::WaitForSingleObject(thread->m_hThread, 0) == WAIT_TIMEOUT;
}

const ContextMenuItem kQueueMenu[] = {
    {ID_QUEUE_RUN, "Start &Queue\tCtrl+W"},
    {ID_QUEUE_SCHEDULE, "Schedule Start"},
    {ID_QUEUE_MANUAL_GET, "Manual Get"},
    {ID_QUEUE_FILE_RULES, "File Exists Rules"},
    {0, nullptr},
    {ID_QUEUE_STOP_ACTIVE, "Stop Active Task"},
    {ID_QUEUE_STOP_SELECTION, "Stop the Selection"},
    {ID_QUEUE_STOP_ALL, "Stop Queue"},
    {0, nullptr},
    {ID_QUEUE_DELETE, "Delete"},
    {ID_QUEUE_CLEAR, "Clear Queue"},
    {0, nullptr},
    {ID_QUEUE_FAIL_CLEAR, "Failed: Clear It From Queue"},
    {ID_QUEUE_FAIL_MOVE, "Failed: Just Move to the Last"},
    {ID_QUEUE_FAIL_RESUME, "Failed: Move to the Last and Resume"},
    {0, nullptr},
    {ID_QUEUE_SELECT_ALL, "Select All"},
    {ID_QUEUE_INVERT, "Invert Selection"},
    {0, nullptr},
    {ID_QUEUE_ITEM_OPTIONS, "Item Options"},
    {ID_QUEUE_INFO, "Queue Information"},
    {0, nullptr},
    {ID_QUEUE_IMPORT, "Import Queue"},
    {ID_QUEUE_EXPORT, "Export Queue"},
    {0, nullptr},
    {ID_QUEUE_RESET_SELECTION, "Reset Selection"},
    {ID_QUEUE_RESET_ALL, "Reset All"},
};

const ContextMenuItem kThreadMenu[] = {
    {ID_THREAD_INCREASE, "Increase Thread"},
    {ID_THREAD_DECREASE, "Decrease Thread"},
    {0, nullptr},
    {ID_THREAD_START, "Start up the Thread"},
    {ID_THREAD_START_ALL, "Start up All Threads"},
};

const char kPlanFilter[] = "ZARN Plan Files (*.pln)|*.pln|All Files(*.*)|*.*||";

}  // namespace

BEGIN_MESSAGE_MAP(CQueuePaneDlg, CTabPageDialog)
  ON_WM_SIZE()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_CONTEXTMENU()
  ON_NOTIFY(UWM_SPLITTERBAR_MOVED, IDC_QUEUE_SPLITTER, OnSplitterMoved)
  ON_MESSAGE(UWM_QUEUE_ADD, OnQueueAdd)
  ON_MESSAGE(UWM_QUEUE_ENDED, OnQueueEnded)
  ON_MESSAGE(UWM_SCHEDULE_STOP, OnScheduleStop)
  ON_MESSAGE(UWM_THREAD_PROGRESS, OnThreadProgress)
  ON_MESSAGE(UWM_THREAD_RESET, OnThreadReset)
  ON_MESSAGE(UWM_TASK_FINISHED, OnTaskFinished)
  ON_COMMAND(ID_QUEUE_RUN, OnStartQueue)
  ON_COMMAND(ID_QUEUE_SCHEDULE, OnSchedule)
  ON_COMMAND(ID_QUEUE_FILE_RULES, OnFileRules)
  ON_COMMAND(ID_QUEUE_MANUAL_GET, OnManualGet)
  ON_COMMAND(ID_QUEUE_STOP_ACTIVE, OnStopActive)
  ON_COMMAND(ID_QUEUE_STOP_SELECTION, OnStopSelection)
  ON_COMMAND(ID_QUEUE_STOP_ALL, OnStopAll)
  ON_COMMAND(ID_QUEUE_DELETE, OnDelete)
  ON_COMMAND(ID_QUEUE_CLEAR, OnClear)
  ON_COMMAND_RANGE(ID_QUEUE_FAIL_CLEAR, ID_QUEUE_FAIL_RESUME, OnFailAction)
  ON_COMMAND(ID_QUEUE_SELECT_ALL, OnSelectAll)
  ON_COMMAND(ID_QUEUE_INVERT, OnInvert)
  ON_COMMAND(ID_QUEUE_ITEM_OPTIONS, OnItemOptions)
  ON_COMMAND(ID_QUEUE_INFO, OnQueueInfo)
  ON_COMMAND(ID_QUEUE_IMPORT, OnImport)
  ON_COMMAND(ID_QUEUE_EXPORT, OnExport)
  ON_COMMAND(ID_QUEUE_RESET_SELECTION, OnResetSelection)
  ON_COMMAND(ID_QUEUE_RESET_ALL, OnResetAll)
  ON_BN_CLICKED(IDC_QUEUE_UP, OnMoveUp)
  ON_BN_CLICKED(IDC_QUEUE_DOWN, OnMoveDown)
  ON_BN_CLICKED(IDC_QUEUE_START, OnStartQueue)
  ON_BN_CLICKED(IDC_QUEUE_STOP, OnStopSelection)
  ON_BN_CLICKED(IDC_QUEUE_DELETE, OnDelete)
  ON_COMMAND(ID_THREAD_INCREASE, OnIncreaseThread)
  ON_COMMAND(ID_THREAD_DECREASE, OnDecreaseThread)
  ON_COMMAND(ID_THREAD_START, OnStartThread)
  ON_COMMAND(ID_THREAD_START_ALL, OnStartAllThreads)
  ON_UPDATE_COMMAND_UI(ID_QUEUE_RUN, OnUpdateNeedsItems)
  ON_UPDATE_COMMAND_UI(ID_QUEUE_SCHEDULE, OnUpdateNeedsItems)
  ON_UPDATE_COMMAND_UI(ID_THREAD_START, OnUpdateNeedsItems)
  ON_UPDATE_COMMAND_UI(ID_THREAD_START_ALL, OnUpdateNeedsItems)
  ON_UPDATE_COMMAND_UI_RANGE(ID_QUEUE_FAIL_CLEAR, ID_QUEUE_FAIL_RESUME, OnUpdateFailAction)
  ON_UPDATE_COMMAND_UI(ID_THREAD_INCREASE, OnUpdateIncrease)
  ON_UPDATE_COMMAND_UI(ID_THREAD_DECREASE, OnUpdateDecrease)
END_MESSAGE_MAP()

CQueuePaneDlg::CQueuePaneDlg(CWnd* pParent) : CTabPageDialog(IDD_QUEUE_PANE, pParent) {}

CQueuePaneDlg::~CQueuePaneDlg()
{
  if (CZarnDoc::s_pfnQueueHasItems == &QueueHasItems)
    CZarnDoc::s_pfnQueueHasItems = nullptr;
}

BOOL CQueuePaneDlg::OnInitDialog()
{
  CTabPageDialog::OnInitDialog();
  m_queue.SubclassDlgItem(IDC_QUEUE_LIST, this);
  m_queue.Init();
  m_threads.SubclassDlgItem(IDC_THREAD_LIST, this);
  m_threads.Init();
  struct Button {
    CIconButton* button;
    UINT id, icon;
    const char* tip;
  } const buttons[] = {
      {&m_up, IDC_QUEUE_UP, IDI_QUEUE_UP, "\xD1\xA1\xB6\xA8\xC9\xCF\xD2\xC6"},
      {&m_down, IDC_QUEUE_DOWN, IDI_QUEUE_DOWN, "\xD1\xA1\xB6\xA8\xCF\xC2\xD2\xC6"},
      {&m_start, IDC_QUEUE_START, IDI_QUEUE_START, "\xC5\xC5\xB6\xD3\xC6\xF0\xB6\xAF"},
      {&m_stop, IDC_QUEUE_STOP, IDI_QUEUE_STOP, "\xD1\xA1\xB6\xA8\xCD\xA3\xD6\xB9"},
      {&m_delete, IDC_QUEUE_DELETE, IDI_QUEUE_DELETE, "\xD1\xA1\xB6\xA8\xC9\xBE\xB3\xFD"},
  };
  for (const Button& b : buttons) {
    b.button->SubclassDlgItem(b.id, this);
    b.button->SetIcon(b.icon);
    b.button->SetTooltipText(b.tip, TRUE);  // made inactive unless asked: it would never show
  }
  m_splitter.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 4), this, IDC_QUEUE_SPLITTER);

  int workers = g_queueThreadCount;
  if (workers < 1)
    workers = 1;
  if (workers > kQueueThreadSlots)
    workers = kQueueThreadSlots;
  for (int i = 0; i < workers; ++i)
    AddThreadRow();

  WorkerRows().Forget();
  QueueAddsOnTheWay().store(0);  // counted notices to a page before this one died with it
  m_queue.LoadQueueFileNow();
  CZarnDoc::s_pfnQueueHasItems = &QueueHasItems;
  SetTimer(kSaveTimer, kSaveMs, nullptr);
  SetTimer(kRepaintTimer, kRepaintMs, nullptr);
  m_ready = true;
  CRect client;
  GetClientRect(&client);
  Layout(client.Width(), client.Height());
  return TRUE;
}

BOOL CQueuePaneDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  if (CDialog::OnNotify(wParam, lParam, pResult))
    return TRUE;
  return CTabPageDialog::OnNotify(wParam, lParam, pResult);
}

int CQueuePaneDlg::ThreadRow(int worker) const
{
  if (worker < 0 || worker >= kThreadStatusRecords || m_threads.GetSafeHwnd() == nullptr)
    return -1;
  for (int i = 0; i < m_threads.GetItemCount(); ++i)
    if (static_cast<int>(m_threads.GetItemData(i)) == worker)
      return i;
  return -1;
}

void CQueuePaneDlg::AddThreadRow()
{
  const int row = m_threads.GetItemCount();
  // A former worker's texts not yet shown are not this one's.
  if (row < kQueueThreadSlots)
    for (WorkerCell& cell : m_cells[row])
      cell.stale = false;
  char text[16];
  std::snprintf(text, sizeof(text), "%d #", row + 1);
  m_threads.InsertItem(row, text);
  m_threads.SetItemText(row, 4, "0 %");
  m_threads.SetItemData(row, static_cast<DWORD_PTR>(row));
}

void CQueuePaneDlg::Layout(int cx, int cy)
{
  if (!m_ready || cx <= 0 || cy <= 0)
    return;
  const int listBottom = cy * 6 / 10;
  m_queue.MoveWindow(0, 0, cx - 35 > 0 ? cx - 35 : 0, listBottom);
  CIconButton* buttons[] = {&m_up, &m_down, &m_start, &m_stop, &m_delete};
  for (int i = 0; i < 5; ++i)
    buttons[i]->MoveWindow(cx - 32, i * 30, 28, 28);
  m_splitter.MoveWindow(0, listBottom + 3, cx, 4);
  m_splitter.SetRange(160, cy - 10);
  const int threadsTop = listBottom + 10;
  m_threads.MoveWindow(0, threadsTop, cx, cy - threadsTop > 0 ? cy - threadsTop : 0);
}

void CQueuePaneDlg::OnSize(UINT nType, int cx, int cy)
{
  CTabPageDialog::OnSize(nType, cx, cy);
  Layout(cx, cy);
}

void CQueuePaneDlg::OnSplitterMoved(NMHDR* pNMHDR, LRESULT* pResult)
{
  const int delta = reinterpret_cast<SplitterBarNotify*>(pNMHDR)->delta;
  CSplitterBar::ChangeHeight(&m_queue, delta, 3);
  CSplitterBar::ChangeHeight(&m_threads, delta, 4);
  Invalidate();
  UpdateWindow();
  *pResult = 0;
}

void CQueuePaneDlg::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent == kRepaintTimer) {
    if (m_tidyDue)
      EndOfRunTidy();
    m_queue.RepaintIfStale();
    FlushWorkerCells();
    return;
  }
  if (nIDEvent != kSaveTimer) {
    CTabPageDialog::OnTimer(nIDEvent);
    return;
  }
  if (g_planThreadCount.load() > 0) {
    // Workers change statuses and sizes the array does not see.
    m_queue.MarkDirty();
    m_queue.RedrawItem(m_queue.GetPlanItem(0));
  }
  if (m_tidyAgain)
    Tidy();
  m_queue.FlushQueueFile();
}

void CQueuePaneDlg::OnDestroy()
{
  KillTimer(kSaveTimer);
  KillTimer(kRepaintTimer);
  if (m_tidyDue) {
    m_tidyDue = false;
    ReleaseQueueEndedNotice();  // nobody else clears it
  }
  if (CZarnDoc::s_pfnQueueHasItems == &QueueHasItems)
    CZarnDoc::s_pfnQueueHasItems = nullptr;
  m_ready = false;
  CTabPageDialog::OnDestroy();
}

// ---- messages of the workers and the function view ----

LRESULT CQueuePaneDlg::NextItem(WPARAM wParam, LPARAM lParam)
{
  // The picks made ahead come back first: the answer is the first queued item.
  QueueTakeBackHandOver(QueueHandOver());
  // A worker with nothing on the board may be about to wait for the tidy.
  if (m_tidyDue)
    EndOfRunTidy();
  CPlanItem* item;
  const CSiteItem* site = reinterpret_cast<const CSiteItem*>(wParam);
  if (wParam == 0) {
    int* slot = reinterpret_cast<int*>(lParam);
    item = QueueNextItem(m_queue.Items(), &DocSite, g_exitRequested, &TakeUnit, slot);
    site = item != nullptr && slot != nullptr && *slot >= 0 ? DocSite(*slot) : nullptr;
  } else {
    item = QueueNextItemForSite(m_queue.Items(), *site, g_exitRequested);
  }
  if (item != nullptr)
    m_queue.RedrawItem(item);
  // A worker that keeps its connection takes its next item from the board.
  if (item != nullptr && site != nullptr && IsOptionSet(OPTBIT_REUSE_CONNECTION))
    QueueFillHandOver(m_queue.Items(), *site, QueueHandOver(), g_exitRequested);
  return reinterpret_cast<LRESULT>(item);
}

void CQueuePaneDlg::FillHandOver()
{
  while (const void* wanted = QueueHandOver().NextWanted()) {
    if (!IsOptionSet(OPTBIT_REUSE_CONNECTION))
      continue;
    // Only a site still in the document's table is read.
    for (int i = 0; i < MAX_SITES; ++i) {
      CSiteItem* site = DocSite(i);
      if (site != nullptr && site == wanted) {
        QueueFillHandOver(m_queue.Items(), *site, QueueHandOver(), g_exitRequested);
        break;
      }
    }
  }
}

BOOL CQueuePaneDlg::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
  if (nCode == CN_COMMAND && pHandlerInfo == nullptr)
    QueueTakeBackHandOver(QueueHandOver());
  return CTabPageDialog::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

LRESULT CQueuePaneDlg::OnQueueAdd(WPARAM wParam, LPARAM lParam)
{
  // A worker's counted notice: the count says whether more are queued.
  const bool counted = wParam == kQueueAddCounted;
  const bool countedMore = counted && QueueAddsOnTheWay().fetch_sub(1) > 1;
  CPlanItem* item = reinterpret_cast<CPlanItem*>(lParam);
  if (item == nullptr)
    return 0;
  if (g_exitRequested.load() != 0) {
    delete item;  // nobody will run or store it
    return 0;
  }
  // A folder's files come one notice each: the list takes its new count once
  // the last of those waiting is in.
  MSG next;
  const bool moreComing =
      counted ? countedMore : ::PeekMessageA(&next, nullptr, UWM_QUEUE_ADD, UWM_QUEUE_ADD, PM_NOREMOVE) != FALSE;
  m_queue.Append(item, moreComing);
  return 0;
}

void CQueuePaneDlg::Tidy()
{
  // The board's items stay: queued, they end the pass before any of them.
  const QueueTidyResult r =
      QueueTidy(m_queue.Items(), IsOptionSet(OPTBIT_QUEUE_AUTODELETE), g_queueRetries);
  m_tidyAgain = r.heldSkipped;
  m_queue.Changed();
  if (r.runQueue)
    if (CWnd* frame = g_pMainFrame.load())
      ::PostMessageA(frame->GetSafeHwnd(), UWM_RUN_QUEUE, 0, 0);
}

namespace {

// Downloads have landed on the disk: the local list shows them without the
// user pressing Refresh. A name being typed into a row keeps its editor.
void RefreshLocalList()
{
  CPartnerList* local = PartnerList(kListOfLocTree);
  if (local == nullptr)
    return;
  CFileListCtrl& list = local->FileList();
  if (list.GetSafeHwnd() == nullptr || list.GetEditControl() != nullptr)
    return;
  if (CWnd* view = list.GetParent())
    view->SendMessage(WM_COMMAND, viewcmd::kRefresh, 0);
}

}  // namespace

LRESULT CQueuePaneDlg::OnQueueEnded(WPARAM, LPARAM)
{
  // Workers post this after every item: while items are still queued for
  // them, one tidy a repaint tick shows the same and spares the window a tidy
  // (and the workers a post) for each small file.
  if (m_tidied && QueueTidyMayWait(m_queue.Items(), ::GetTickCount() - m_lastTidyTick, kRepaintMs)) {
    m_tidyDue = true;
    return 0;
  }
  EndOfRunTidy();
  return 0;
}

void CQueuePaneDlg::EndOfRunTidy()
{
  m_tidyDue = false;
  m_tidied = true;
  m_lastTidyTick = ::GetTickCount();
  Tidy();
  ReleaseQueueEndedNotice();
  RefreshLocalList();
}

LRESULT CQueuePaneDlg::OnScheduleStop(WPARAM, LPARAM)
{
  QueueTakeBackHandOver(QueueHandOver());
  OnStopAll();
  return 0;
}

void CQueuePaneDlg::SetWorkerCell(int row, int column, const char* text)
{
  static_assert(sizeof(m_cells) / sizeof(m_cells[0]) == kQueueThreadSlots, "a row of cells for each worker slot");
  if (row < 0 || row >= kQueueThreadSlots || column < 0 || column >= kWorkerColumns)
    return;
  WorkerCell& cell = m_cells[row][column];
  std::snprintf(cell.text, sizeof(cell.text), "%s", text != nullptr ? text : "");
  cell.stale = true;
  m_cellsStale = true;
}

void CQueuePaneDlg::FlushWorkerCells()
{
  if (!m_cellsStale)
    return;
  m_cellsStale = false;
  const int rows = m_threads.GetItemCount();
  for (int row = 0; row < kQueueThreadSlots; ++row)
    for (WorkerCell& cell : m_cells[row]) {
      if (cell.stale && row < rows)
        m_threads.SetItemText(row, static_cast<int>(&cell - m_cells[row]), cell.text);
      cell.stale = false;
    }
}

void CQueuePaneDlg::ShowReset(int row, const WorkerRowReset& r)
{
  SetWorkerCell(row, 1, r.direction == 1 ? "<-" : "->");
  SetWorkerCell(row, 2, r.fileName);
  SetWorkerCell(row, 3, FormatThousands(r.fileSize));
  SetWorkerCell(row, 4, "0 %");
  SetWorkerCell(row, 5, "59:59:59");
  SetWorkerCell(row, 6, "00:00:00");
  SetWorkerCell(row, 7, "00.00");
  m_queue.RedrawItem(static_cast<const CPlanItem*>(r.item));
}

void CQueuePaneDlg::ShowFinish(int row, const WorkerRowFinish& f)
{
  const int percent = f.size == 0 || f.done == f.size ? 100 : static_cast<int>(f.done * 100 / f.size);
  char text[32];
  if (percent > 0) {
    std::snprintf(text, sizeof(text), "%d %%", percent > 100 ? 100 : percent);
    SetWorkerCell(row, 4, text);
  }
  SetWorkerCell(row, 5, "00:00:00");
  SetWorkerCell(row, 6, f.elapsed);
  SetWorkerCell(row, 7, f.speed);
  m_queue.RedrawItem(m_queue.GetPlanItem(0));
}

void CQueuePaneDlg::ShowNotice(int row, const WorkerRowNotice& n)
{
  if (n.reset)
    ShowReset(row, n.r);
  if (n.finish)
    ShowFinish(row, n.f);
}

LRESULT CQueuePaneDlg::OnThreadReset(WPARAM wParam, LPARAM lParam)
{
  // A worker began an item, maybe one of the board's: the next pick for it.
  FillHandOver();
  const int worker = static_cast<int>(wParam);
  const int row = ThreadRow(worker);
  WorkerRowNotice posted;
  if (WorkerRows().Take(worker, &posted) == WorkerRowTake::kPosted) {
    if (row >= 0)
      ShowNotice(row, posted);
    return 0;
  }
  const ThreadStatusRecord* rec = ThreadStatusAt(worker);
  if (row < 0 || rec == nullptr)
    return 0;
  WorkerRowReset r;
  r.direction = rec->m_direction;
  std::snprintf(r.fileName, sizeof(r.fileName), "%s", rec->m_fileName);
  r.fileSize = rec->m_fileSize;
  r.item = reinterpret_cast<const CPlanItem*>(lParam);
  ShowReset(row, r);
  return 0;
}

LRESULT CQueuePaneDlg::OnThreadProgress(WPARAM wParam, LPARAM lParam)
{
  const int row = ThreadRow(static_cast<int>(wParam));
  const ThreadStatusRecord* rec = ThreadStatusAt(static_cast<int>(wParam));
  if (row < 0 || rec == nullptr)
    return 0;
  // A sent report overtakes the notices posted before it: those first.
  ShowNotice(row, WorkerRows().Drain(static_cast<int>(wParam)));
  const uint64_t bytes = static_cast<uint64_t>(static_cast<uint32_t>(lParam));
  QueueByteTotal(rec->m_direction == 1).fetch_add(bytes);
  const uint64_t moved = rec->m_bytesMoved;
  const uint64_t done = moved + rec->m_bytesPresent;
  const uint64_t size = rec->m_fileSize;
  const double percent = size == 0 || done == size ? 100.0 : static_cast<double>(done) * 100.0 / size;
  char text[32];
  if (percent > 1.0) {
    std::snprintf(text, sizeof(text), "%d %%", static_cast<int>(percent > 100.0 ? 100.0 : percent));
    SetWorkerCell(row, 4, text);
  }
  const uint32_t elapsed = QueueElapsedMs(rec->m_startTick, ::GetTickCount());
  FormatQueueSpeed(text, sizeof(text), moved, elapsed);
  SetWorkerCell(row, 7, text);
  // Bytes per millisecond is about KiB per second; what is left at that rate.
  uint64_t perMs = moved / (elapsed != 0 ? elapsed : 1);
  if (perMs == 0)
    perMs = 1;
  const uint64_t left = size > done ? ((size - done) >> 10) / perMs : 0;
  std::snprintf(text, sizeof(text), "%.2d:%.2d:%.2d", static_cast<int>(left / 3600 > 99 ? 99 : left / 3600),
                static_cast<int>((left % 3600) / 60), static_cast<int>(left % 60));
  SetWorkerCell(row, 5, text);
  FormatQueueElapsed(text, sizeof(text), elapsed);
  SetWorkerCell(row, 6, text);
  return 0;
}

LRESULT CQueuePaneDlg::OnTaskFinished(WPARAM wParam, LPARAM)
{
  const int worker = static_cast<int>(wParam);
  const int row = ThreadRow(worker);
  WorkerRowNotice posted;
  if (WorkerRows().Take(worker, &posted) == WorkerRowTake::kPosted) {
    if (row >= 0)
      ShowNotice(row, posted);
    return 0;
  }
  const ThreadStatusRecord* rec = ThreadStatusAt(worker);
  if (row < 0 || rec == nullptr)
    return 0;
  WorkerRowFinish f;
  f.done = static_cast<uint64_t>(rec->m_bytesMoved) + rec->m_bytesPresent;
  f.size = rec->m_fileSize;
  std::snprintf(f.elapsed, sizeof(f.elapsed), "%s", rec->m_elapsed);
  std::snprintf(f.speed, sizeof(f.speed), "%s", rec->m_speed);
  ShowFinish(row, f);
  return 0;
}

// ---- the queue's commands ----

void CQueuePaneDlg::StartWorkers()
{
  if (g_pDoc != nullptr)
    g_pDoc->StartQueueThreads();
}

void CQueuePaneDlg::OnStartQueue()
{
  if (m_queue.GetCount() == 0)
    return;
  OnResetSelection();
  StartWorkers();
}

void CQueuePaneDlg::ToMainFrame(UINT id)
{
  CWnd* frame = g_pMainFrame.load();
  if (frame != nullptr)
    frame->SendMessage(WM_COMMAND, id, 0);
}

void CQueuePaneDlg::OnSchedule()
{
  ToMainFrame(ID_QUEUE_SCHEDULE);
}

void CQueuePaneDlg::OnFileRules()
{
  ToMainFrame(ID_QUEUE_FILE_RULES);
}

void CQueuePaneDlg::OnManualGet()
{
  if (g_pDoc != nullptr)
    g_pDoc->OnManualGet();
}

void CQueuePaneDlg::OnStopActive()
{
  QueueStopWorking(m_queue.Items());
  m_queue.Changed();
}

void CQueuePaneDlg::OnStopSelection()
{
  QueueStopRows(m_queue.Items(), m_queue.SelectedRows());
  m_queue.Changed();
}

void CQueuePaneDlg::OnStopAll()
{
  QueueStopAll(m_queue.Items());
  m_queue.Changed();
}

void CQueuePaneDlg::OnDelete()
{
  const std::vector<int> rows = m_queue.SelectedRows();
  if (rows.empty())
    return;
  // What a worker holds stays, deselected; the rest goes.
  m_queue.SetAllSelected(false);
  QueueDeleteRows(m_queue.Items(), rows);
  m_queue.Changed();
}

void CQueuePaneDlg::OnClear()
{
  m_queue.SetAllSelected(false);
  QueueClear(m_queue.Items());
  m_queue.Changed();
}

void CQueuePaneDlg::OnFailAction(UINT nID)
{
  g_defItemRetries = static_cast<int32_t>(nID - ID_QUEUE_FAIL_CLEAR);
}

void CQueuePaneDlg::OnSelectAll()
{
  m_queue.SetAllSelected(true);
}

void CQueuePaneDlg::OnInvert()
{
  m_queue.InvertSelection();
}

void CQueuePaneDlg::OnImport()
{
  CFileDialog box(TRUE, "pln", "ftpplan", OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kPlanFilter, this);
  if (box.DoModal() != IDOK)
    return;
  const CString path = box.GetPathName();
  // The queue file is the queue itself: loading it again would double it.
  if (SamePlanPath(path, g_queueFilePath))
    return;
  int added = 0;
  const PlanFileRead read = ReadPlanFile(path, m_queue.Items(), &added);
  if (added > 0)
    m_queue.Changed();
  // Without a word the user cannot tell a damaged file from an empty one.
  if (read == PlanFileRead::kDamaged)
    ShowConfirmDlgText(this, kPlanFileDamagedText, kConfirmModeError, FALSE);
}

void CQueuePaneDlg::OnExport()
{
  CFileDialog box(FALSE, "pln", "ftpplan", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kPlanFilter, this);
  if (box.DoModal() != IDOK)
    return;
  WritePlanFile(box.GetPathName(), m_queue.Items());
}

void CQueuePaneDlg::OnResetSelection()
{
  QueueResetRows(m_queue.Items(), m_queue.SelectedRows(), &DocSite);
  m_queue.Changed();
}

void CQueuePaneDlg::OnResetAll()
{
  QueueResetAll(m_queue.Items(), &DocSite);
  m_queue.Changed();
}

void CQueuePaneDlg::MoveSelected(bool up)
{
  const std::vector<int> rows = m_queue.SelectedRows();
  if (rows.size() != 1)
    return;
  const INT_PTR to = QueueMove(m_queue.Items(), rows[0], up);
  m_queue.Changed();
  m_queue.SelectOnly(static_cast<int>(to));
}

void CQueuePaneDlg::OnMoveUp()
{
  MoveSelected(true);
}

void CQueuePaneDlg::OnMoveDown()
{
  MoveSelected(false);
}

// ---- the workers' commands ----

void CQueuePaneDlg::OnIncreaseThread()
{
  if (g_queueThreadCount >= kQueueThreadSlots)
    return;
  AddThreadRow();
  ++g_queueThreadCount;
}

void CQueuePaneDlg::OnDecreaseThread()
{
  const int last = m_threads.GetItemCount() - 1;
  if (g_queueThreadCount < 2 || last < 1)
    return;
  const int worker = static_cast<int>(m_threads.GetItemData(last));
  if (g_pDoc != nullptr && worker >= 0 && worker < kQueueThreadSlots) {
    CWinThread*& slot = g_pDoc->m_queueThreads[worker];
    if (Running(slot))
      return;
    // An empty slot has nothing to free: only its row goes.
    delete slot;
    slot = nullptr;
  }
  m_threads.DeleteItem(last);
  --g_queueThreadCount;
}

void CQueuePaneDlg::OnStartThread()
{
  if (g_pDoc == nullptr || m_queue.GetCount() == 0)
    return;
  for (int i = m_threads.GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_threads.GetNextItem(i, LVNI_SELECTED))
    g_pDoc->StartQueueThread(static_cast<int>(m_threads.GetItemData(i)));
}

void CQueuePaneDlg::OnStartAllThreads()
{
  if (m_queue.GetCount() != 0)
    StartWorkers();
}

void CQueuePaneDlg::OnUpdateNeedsItems(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(m_queue.GetCount() > 0);
}

void CQueuePaneDlg::OnUpdateFailAction(CCmdUI* pCmdUI)
{
  pCmdUI->SetCheck(g_defItemRetries == static_cast<int32_t>(pCmdUI->m_nID - ID_QUEUE_FAIL_CLEAR) ? 1 : 0);
}

void CQueuePaneDlg::OnUpdateIncrease(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(g_queueThreadCount < kQueueThreadSlots);
}

void CQueuePaneDlg::OnUpdateDecrease(CCmdUI* pCmdUI)
{
  pCmdUI->Enable(g_queueThreadCount >= 2);
}

void CQueuePaneDlg::OnContextMenu(CWnd* pWnd, CPoint point)
{
  const bool queue = pWnd == &m_queue || (pWnd != nullptr && pWnd->m_hWnd == m_queue.m_hWnd);
  const bool threads = pWnd != nullptr && pWnd->m_hWnd == m_threads.m_hWnd;
  if (!queue && !threads)
    return;
  if (point.x == -1 && point.y == -1)
    ::GetCursorPos(&point);
  BCMenu menu;
  CMenu* popup = queue ? BuildContextPopup(menu, kQueueMenu, sizeof(kQueueMenu) / sizeof(kQueueMenu[0]), this)
                       : BuildContextPopup(menu, kThreadMenu, sizeof(kThreadMenu) / sizeof(kThreadMenu[0]), this);
  if (popup == nullptr)
    return;
  const UINT id = TrackContextPopup(menu, popup, point, this);
  if (id != 0)
    SendMessage(WM_COMMAND, id, 0);
}

void CQueuePaneDlg::OnItemOptions()
{
  const int row = m_queue.GetNextItem(-1, LVNI_FOCUSED);
  if (EditPlanItem(m_queue.GetPlanItem(row), this) != 0)
    m_queue.Changed();  // the count again, and the edited item to the queue file
}

void CQueuePaneDlg::OnQueueInfo()
{
  CQueueInfoDlg dlg(INFO_QUEUE, &m_queue, this);
  dlg.DoModal();
}
