// The five option pages of the settings dialog. Each loads its controls from
// the settings when it is made and, when the dialog ends with OK, reads them
// into its input and applies that through the page's rule (optionrules.h).
#pragma once

#include <string>
#include <vector>

#include "shell/options/optionrules.h"
#include "toolkit/colorbutton.h"
#include "toolkit/tabpagedialog.h"

class CToolBarEx;

class COptionPage : public CTabPageDialog {
public:
  COptionPage(UINT nIDTemplate, CWnd* pParent) : CTabPageDialog(nIDTemplate, pParent) {}
  // The page's controls applied to options.
  virtual void Apply(OptionsRecord& options) = 0;

protected:
  std::string ItemString(int id) const;
  bool Checked(int id) const { return IsDlgButtonChecked(id) == BST_CHECKED; }
  void Check(int id, bool on) { CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); }
  void Enable(int id, bool on);
  void SetNumber(int id, int32_t value);
  void LimitText(int id, int chars);
  void FillCombo(int id, const char* const* items, int count, int selected);
};

// "Connect": dial-up or LAN, the phone-book entry, the global proxy, the
// anonymous password.
class CNetworkOptionsPage : public COptionPage {
public:
  explicit CNetworkOptionsPage(CWnd* pParent);
  BOOL OnInitDialog() override;
  void Apply(OptionsRecord& options) override;

protected:
  void UpdateDialEnabling();
  void UpdateProxyEnabling();
  afx_msg void OnUserKind();
  afx_msg void OnProxyTypeChanged();
  DECLARE_MESSAGE_MAP()

  std::vector<std::string> m_entries;
};

// "Transfer": transfer type, the ASCII extensions, FXP, the download folder.
class CTransferOptionsPage : public COptionPage {
public:
  explicit CTransferOptionsPage(CWnd* pParent);
  BOOL OnInitDialog() override;
  void Apply(OptionsRecord& options) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
  std::vector<std::string> Rows() const;
  afx_msg void OnAdd();
  afx_msg void OnRemove();
  afx_msg void OnBrowse();
  DECLARE_MESSAGE_MAP()
};

// "General": the queue's actions, the queue file, the confirmations, what a
// failed queue task does.
class CQueueOptionPage : public COptionPage {
public:
  explicit CQueueOptionPage(CWnd* pParent);
  BOOL OnInitDialog() override;
  void Apply(OptionsRecord& options) override;

protected:
  afx_msg void OnBrowse();
  afx_msg void OnFailActionChanged();
  DECLARE_MESSAGE_MAP()
};

// "Advanced": the connection numbers, File Exists rules, hidden files, the
// two speed limits, reusing connections.
class CConnectOptionsPage : public COptionPage {
public:
  explicit CConnectOptionsPage(CWnd* pParent);
  BOOL OnInitDialog() override;
  void Apply(OptionsRecord& options) override;

protected:
  void UpdateLimitEnabling();
  afx_msg void OnLimitCheck();
  afx_msg void OnConfigure();
  DECLARE_MESSAGE_MAP()
};

// "Display": menu look, layout saving, start-up, notifier, the four view
// colours and the toolbar's customisation.
class CInterfaceOptionsPage : public COptionPage {
public:
  CInterfaceOptionsPage(CWnd* pParent, CToolBarEx* toolbar);
  BOOL OnInitDialog() override;
  void Apply(OptionsRecord& options) override;

  CColorButton m_colors[4];  // by ViewColorIndex

protected:
  afx_msg void OnMenuStyle();
  afx_msg void OnCustomize();
  DECLARE_MESSAGE_MAP()

  CToolBarEx* m_toolbar;
};

// The control of each view colour, by ViewColorIndex.
extern const int kViewColorButtons[4];

// Sets the changed colours (ViewColorIndex bits) on the views at once: the
// server trees, the local tree, the local list and both server lists; then
// the main window lays itself out again.
void ApplyViewColors(unsigned changed);
