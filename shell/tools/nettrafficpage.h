// The "Net Traffic Watch" page below the connection log: total, outgoing and
// incoming traffic as three graphs, each with its interval in seconds.
#pragma once

#include "framework/afxwin.h"
#include "shell/tools/trafficbutton.h"

class CNetTrafficPage : public CDialog {
public:
  explicit CNetTrafficPage(CWnd* pParent = nullptr);

  // Enter and Escape never close the page.
  void OnOK() override {}
  void OnCancel() override {}
  BOOL OnInitDialog() override;

  CTrafficButton m_graphs[3];  // total, outgoing, incoming
  int m_seconds[3] = {3, 3, 3};  // the intervals in force

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void PostNcDestroy() override { delete this; }
  void OnIntervalChange();
  void OnApply();
  void OnInterfaceChanged(int index);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};

// Creates the page window as a child of `parent` (it deletes itself with its
// window); null when it could not be made.
CWnd* CreateNetTrafficPage(CWnd* parent);
