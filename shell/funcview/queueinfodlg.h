// CQueueInfoDlg sums up one of the function view's three lists; CPlanItemDlg
// edits one queue item that no worker has.
#pragma once

#include "framework/afxwin.h"
#include "shell/funcview/core/planitemedit.h"
#include "shell/funcview/core/queueinfo.h"

class CQueueInfoDlg : public CDialog {
public:
  // mode: INFO_BATCH, INFO_QUEUE or INFO_SEARCH; list: the list window shown.
  CQueueInfoDlg(int mode, CWnd* list, CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;

  int m_mode;
  CWnd* m_pList;
};

class CPlanItemDlg : public CDialog {
public:
  CPlanItemDlg(const PlanItemForm& form, CWnd* pParent = nullptr);
  BOOL OnInitDialog() override;
  void OnOK() override;

  PlanItemForm m_form;  // in: the item's; out on IDOK: what the user chose

protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  bool m_filling = false;
};

// Item Options of the queue list: only an item neither working nor held; its
// status is stopped while the box is open and set on OK, restored on Cancel.
// Returns the box's result, 0 when it did not open.
int EditPlanItem(CPlanItem* item, CWnd* pParent);
