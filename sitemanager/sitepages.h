// The site manager's three property pages ("General", "Option", "Advanced")
// and the tab that hosts them. Each page keeps its own copy of the values it
// shows and a modified flag; the dialog loads a site into them and stores back
// only the pages that were modified.
#pragma once

#include <functional>

#include "engine/siterecord.h"
#include "sitemanager/sitepagefields.h"
#include "toolkit/tabpagedialog.h"
#include "toolkit/tabsheet.h"

// Set while a site's fields are loaded into the pages; with it clear every
// control of the pages is disabled.
extern BOOL g_siteLoaded;

class CSitePage : public CTabPageDialog {
public:
  CSitePage(UINT templateId, SitePage kind, CWnd* parent);

  SitePage Kind() const { return m_kind; }
  // The values of a site, shown at the next RefreshPage.
  void LoadFields(const SiteFields& fields) { m_values = fields; }
  // Controls from the members, then the enable state; clears the modified flag.
  void RefreshPage();
  // Controls into the members, texts trimmed, and every number checked again
  // (a value typed but never left is checked here too). False when one is
  // refused: its message was shown, the old value is back and it has the focus.
  bool TakeValues();
  // The fields this page shows, written into a record.
  void StoreInto(SiteFields& to) const { CopySitePageFields(m_kind, m_values, to); }
  const SiteFields& Values() const { return m_values; }

  bool IsModified() const { return m_modified; }
  void SetModified();
  // Called whenever the page becomes modified (the host enables Apply).
  std::function<void()> m_onModified;

protected:
  BOOL OnInitDialog() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  // Enable states while a site is loaded (every control enabled by default).
  virtual void EnableControls() {}
  // A check box or combo of the table changed (after the member took it).
  virtual void OnChoiceChanged(int id) {}
  // An edit's text changed while the user typed in it.
  virtual void OnTextTyped(int id) {}
  // Fills the combos' texts.
  virtual void FillCombos() {}

  void EnableItem(int id, bool enable);
  void ShowControl(const SitePageControl& control);
  // An edit left: the member takes the text, or a refused number is put back.
  bool CommitEdit(const SitePageControl& control, bool focusOnError);
  void ReadChoice(const SitePageControl& control);
  // The focus went to the host's Apply or Connect button.
  bool FocusToApplyingButton() const;
  static void AddComboTexts(CWnd* page, int id, const char* const* texts, int count);

  SitePage m_kind;
  SiteFields m_values{};
  bool m_modified = false;
  bool m_refreshing = false;
};

class CSiteGeneralPage : public CSitePage {
public:
  explicit CSiteGeneralPage(CWnd* parent = nullptr);
  // Host 1005 and port 1044 may be edited (not for a connected work site).
  bool m_editable = true;

protected:
  void EnableControls() override;
  void OnChoiceChanged(int id) override;
  void OnTextTyped(int id) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CSiteOptionPage : public CSitePage {
public:
  explicit CSiteOptionPage(CWnd* parent = nullptr);

protected:
  void EnableControls() override;
  void OnChoiceChanged(int id) override;
  void FillCombos() override;
};

class CSiteProxyPage : public CSitePage {
public:
  explicit CSiteProxyPage(CWnd* parent = nullptr);

protected:
  void EnableControls() override;
  void OnChoiceChanged(int id) override;
  void FillCombos() override;
};

// The tab of the pages: fits the shown page when it is resized or another tab
// is picked.
class CSitePageSheet : public CTabSheet {
protected:
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()
};
