// CQueuePaneDlg: the "Queue" page of the function view. The queue list with
// its commands, the worker list with each worker's progress, the splitter
// between them and five icon buttons. The queue file is written by a 2-second
// timer when the queue changed, and once more when the page goes.
#pragma once

#include "framework/afxwin.h"
#include "shell/doc/workerrow.h"
#include "shell/funcview/listctrlex.h"
#include "shell/funcview/myplanlist.h"
#include "toolkit/iconbutton.h"
#include "toolkit/splitterbar.h"
#include "toolkit/tabpagedialog.h"

class CQueuePaneDlg : public CTabPageDialog {
  DECLARE_DYNAMIC(CQueuePaneDlg)
public:
  explicit CQueuePaneDlg(CWnd* pParent = nullptr);
  ~CQueuePaneDlg() override;

  BOOL OnInitDialog() override;

  int GetQueueCount() const { return m_queue.GetCount(); }
  CPlanItem* GetQueueItem(int i) const { return m_queue.GetPlanItem(i); }
  // The next-item rule for a worker: (0, int* slot) or (CSiteItem*, 0).
  LRESULT NextItem(WPARAM wParam, LPARAM lParam);
  // Writes the queue file now when it changed (the main window before a shut-down).
  bool SaveQueueNow() { return m_queue.FlushQueueFile(); }
  // The worker list's row of a worker index, -1 when none.
  int ThreadRow(int worker) const;

  CMyPlanList m_queue;
  CListCtrlEx m_threads;
  CSplitterBar m_splitter;
  CIconButton m_up, m_down, m_start, m_stop, m_delete;

  static constexpr UINT_PTR kSaveTimer = 1;
  static constexpr UINT kSaveMs = 2000;
  // Repaints of the queue list, and the worker rows' new texts, at most this
  // often: a busy queue changes many rows a second, and painting each change
  // would hold up the workers' requests.
  static constexpr UINT_PTR kRepaintTimer = 2;
  static constexpr UINT kRepaintMs = 200;

protected:
  static constexpr int kWorkerColumns = 8;
  struct WorkerCell {
    char text[32];
    bool stale;
  };
  WorkerCell m_cells[10][kWorkerColumns] = {};
  bool m_cellsStale = false;

  // The page's own notifications (the lists' reflected ones, the splitter's)
  // first; the rest go on to the sheet as every page's do.
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // A command takes the workers' picks made ahead back first (engine/queuehandover.h).
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // The next picks for the sites whose workers took from the board.
  void FillHandOver();
  void Layout(int cx, int cy);
  void AddThreadRow();
  // A worker row's cell takes text with the next repaint tick.
  void SetWorkerCell(int row, int column, const char* text);
  // A worker row's begin and finish cells.
  void ShowReset(int row, const WorkerRowReset& r);
  void ShowFinish(int row, const WorkerRowFinish& f);
  void ShowNotice(int row, const WorkerRowNotice& n);
  // The cells changed since the last tick into the worker list.
  void FlushWorkerCells();
  void Tidy();
  void MoveSelected(bool up);
  void StartWorkers();

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
  afx_msg void OnSplitterMoved(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg LRESULT OnQueueAdd(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnQueueEnded(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnScheduleStop(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnThreadProgress(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnThreadReset(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnTaskFinished(WPARAM wParam, LPARAM lParam);

  afx_msg void OnStartQueue();
  void ToMainFrame(UINT id);
  afx_msg void OnSchedule();
  afx_msg void OnFileRules();
  afx_msg void OnManualGet();
  afx_msg void OnStopActive();
  afx_msg void OnStopSelection();
  afx_msg void OnStopAll();
  afx_msg void OnDelete();
  afx_msg void OnClear();
  afx_msg void OnFailAction(UINT nID);
  afx_msg void OnSelectAll();
  afx_msg void OnInvert();
  afx_msg void OnItemOptions();
  afx_msg void OnQueueInfo();
  afx_msg void OnImport();
  afx_msg void OnExport();
  afx_msg void OnResetSelection();
  afx_msg void OnResetAll();
  afx_msg void OnMoveUp();
  afx_msg void OnMoveDown();
  afx_msg void OnIncreaseThread();
  afx_msg void OnDecreaseThread();
  afx_msg void OnStartThread();
  afx_msg void OnStartAllThreads();
  afx_msg void OnUpdateNeedsItems(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFailAction(CCmdUI* pCmdUI);
  afx_msg void OnUpdateIncrease(CCmdUI* pCmdUI);
  afx_msg void OnUpdateDecrease(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

  bool m_tidyAgain = false;  // a tidy passed over held items: run it again on the timer
  // The end-of-run tidy of a notice answered on the repaint tick (its notice
  // stays claimed until then, so the workers post no more meanwhile).
  bool m_tidyDue = false;
  bool m_tidied = false;
  DWORD m_lastTidyTick = 0;
  void EndOfRunTidy();
  bool m_ready = false;
};
