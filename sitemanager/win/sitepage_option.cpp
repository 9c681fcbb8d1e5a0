// "Option": connection limits, time-outs, retries, speed limits and the
// transfer choices.
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitepages.h"

namespace {
const char* const kLimitKinds[] = {"None", "Single", "Limit"};
const char* const kKeepAlive[] = {"Not keep alive", "Normal keep alive", "Force keep alive"};
const char* const kConversions[] = {"Don't convert", "Uppercase", "Lowercase", "First character uppercase"};
constexpr int kLimitKindLimit = 2;
}  // namespace

CSiteOptionPage::CSiteOptionPage(CWnd* parent) : CSitePage(IDD_SITE_PAGE_OPTION, SitePage::Option, parent) {}

void CSiteOptionPage::FillCombos()
{
  AddComboTexts(this, IDC_SITE_LIMIT_KIND, kLimitKinds, 3);
  AddComboTexts(this, IDC_SITE_KEEP_ALIVE, kKeepAlive, 3);
  AddComboTexts(this, IDC_SITE_UPLOAD_CASE, kConversions, 4);
  AddComboTexts(this, IDC_SITE_DOWNLOAD_CASE, kConversions, 4);
}

void CSiteOptionPage::EnableControls()
{
  EnableItem(IDC_SITE_CONN_LIMIT, GetSiteDigit(m_values, SITEDIGIT_LIMIT_KIND) == kLimitKindLimit);
}

void CSiteOptionPage::OnChoiceChanged(int id)
{
  if (id == IDC_SITE_LIMIT_KIND)
    EnableControls();
}
