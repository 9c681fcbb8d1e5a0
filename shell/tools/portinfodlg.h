// "Local Port Information": the machine's TCP connections or UDP listeners as
// IP Helper reports them, read only when asked.
#pragma once

#include "framework/dialog.h"
#include "toolkit/sortlist.h"

class CPortInfoDlg : public CDialog {
public:
  enum { kModeTcp = 0, kModeUdp = 1 };

  explicit CPortInfoDlg(CWnd* pParent = nullptr);

  BOOL OnInitDialog() override;
  // Shows `mode` (columns, caption, rows); the mode already shown stays as it is.
  void SwitchMode(int mode);
  // Reads the current mode's table again.
  void Fill();
  int GetMode() const { return m_mode; }

  CSortListCtrl m_list;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void FillTcp();
  void FillUdp();
  void AddRow(const std::vector<std::string>& cells);
  void OnTcp() { SwitchMode(kModeTcp); }
  void OnUdp() { SwitchMode(kModeUdp); }
  void OnRefresh() { Fill(); }
  DECLARE_MESSAGE_MAP()

private:
  int m_mode = kModeUdp;  // so that opening, which switches to TCP, builds the columns
};

// Runs the dialog modally over `parent` (the main window's port monitor command).
void RunPortMonitor(CWnd* parent);
