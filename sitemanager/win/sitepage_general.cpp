// "General": name, host and port, login, folders and the site's note.
#include "framework/commdlgs.h"
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitepages.h"

CSiteGeneralPage::CSiteGeneralPage(CWnd* parent) : CSitePage(IDD_SITE_PAGE_GENERAL, SitePage::General, parent) {}

void CSiteGeneralPage::EnableControls()
{
  // A connected site keeps its host and port until it is disconnected.
  EnableItem(IDC_SITE_HOST, m_editable);
  EnableItem(IDC_SITE_PORT, m_editable);
  const bool local = GetSiteDigit(m_values, SITEDIGIT_LOCAL_PATH) != 0;
  EnableItem(IDC_SITE_LOCAL_DIR, local);
  EnableItem(IDC_SITE_LOCAL_BROWSE, local);
}

void CSiteGeneralPage::OnChoiceChanged(int id)
{
  if (id == IDC_SITE_USE_LOCAL)
    EnableControls();
}

void CSiteGeneralPage::OnTextTyped(int id)
{
  // A user or password typed means the login is no longer anonymous.
  if ((id == IDC_SITE_USER || id == IDC_SITE_PASSWORD) && GetSiteDigit(m_values, SITEDIGIT_ANONYMOUS) != 0) {
    SetSiteDigit(m_values, SITEDIGIT_ANONYMOUS, 0);
    CheckDlgButton(IDC_SITE_ANONYMOUS, BST_UNCHECKED);
    SetModified();
  }
}

BOOL CSiteGeneralPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
  if (LOWORD(wParam) == IDC_SITE_LOCAL_BROWSE && HIWORD(wParam) == BN_CLICKED && g_siteLoaded) {
    CString path;
    if (AfxBrowseForFolder(this, "Please select a local folder: ", path,
                           m_values.m_localFolder[0] != '\0' ? m_values.m_localFolder : nullptr)) {
      SetDlgItemText(IDC_SITE_LOCAL_DIR, path);
      const SitePageLayout layout = GetSitePageLayout(m_kind);
      for (int i = 0; i < layout.count; ++i)
        if (layout.controls[i].id == IDC_SITE_LOCAL_DIR)
          CommitEdit(layout.controls[i], false);
    }
  }
  return CSitePage::OnCommand(wParam, lParam);
}
