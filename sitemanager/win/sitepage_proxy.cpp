// "Advanced": the proxy a site connects through.
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitepages.h"

CSiteProxyPage::CSiteProxyPage(CWnd* parent) : CSitePage(IDD_SITE_PAGE_PROXY, SitePage::Proxy, parent) {}

void CSiteProxyPage::FillCombos()
{
  AddComboTexts(this, IDC_SITE_PROXY_TYPE, kSiteProxyTypeNames, kSiteProxyTypeCount);
}

void CSiteProxyPage::EnableControls()
{
  const bool proxy = GetSiteProxyType(m_values) != 0;
  for (int id : {IDC_SITE_PROXY_HOST, IDC_SITE_PROXY_PORT, IDC_SITE_PROXY_USER, IDC_SITE_PROXY_PASSWORD})
    EnableItem(id, proxy);
}

void CSiteProxyPage::OnChoiceChanged(int id)
{
  if (id == IDC_SITE_PROXY_TYPE)
    EnableControls();
}
