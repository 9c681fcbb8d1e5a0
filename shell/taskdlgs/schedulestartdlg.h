// "Schedule Time Start": arms a start of the queue (and, optionally, a stop)
// at moments the user picks; a timer fires them. The schedule itself is the
// state machine of schedulerules.h, read over ScheduleNow().
#pragma once

#include "framework/commctrls.h"
#include "framework/dialog.h"
#include "shell/taskdlgs/schedulerules.h"

class CScheduleStartDlg : public CDialog {
public:
  explicit CScheduleStartDlg(CWnd* pParent = nullptr);

  BOOL m_stopEnabled = FALSE;
  BOOL m_minimize = FALSE;
  ScheduleState m_state;
  UINT_PTR m_timer = 0;
  int m_running = 1;  // 1: idle, 0: armed

  BOOL OnInitDialog() override;
  // Escape and the caption's close go nowhere while armed, as "&Close" does.
  void OnCancel() override;

  // The pickers' moments (local time, seconds).
  int64_t StartMoment() const;
  int64_t StopMoment() const;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  afx_msg void OnStartAbort();
  afx_msg void OnTimer(UINT_PTR id);
  afx_msg void OnDestroy();
  void ShowClock();
  void EnableFields(BOOL enable);
  int64_t MomentOf(int dateId, int timeId) const;

  CDateTimeCtrl m_startDate, m_startTime, m_stopDate, m_stopTime;

  DECLARE_MESSAGE_MAP()
};
