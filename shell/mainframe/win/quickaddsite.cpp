// Quick Add Site and Modify Login Information.
#include "shell/mainframe/quickaddsite.h"

#include <cstdio>

#include "shell/doc/zarndoc.h"
#include "shell/mainframe/mainframeres.h"
#include "shell/mainframe/quickaddrules.h"

BEGIN_MESSAGE_MAP(CQuickAddSiteDlg, CDialog)
  ON_BN_CLICKED(IDC_QA_ANONYMOUS, OnAnonymous)
  ON_EN_CHANGE(IDC_QA_HOST, OnHostChanged)
  ON_EN_CHANGE(IDC_QA_USER, OnLoginChanged)
  ON_EN_CHANGE(IDC_QA_PASSWORD, OnLoginChanged)
  ON_BN_CLICKED(IDC_QA_LIMIT_NONE, OnLimitKind)
  ON_BN_CLICKED(IDC_QA_LIMIT_SINGLE, OnLimitKind)
  ON_BN_CLICKED(IDC_QA_LIMIT_COUNT, OnLimitKind)
END_MESSAGE_MAP()

CQuickAddSiteDlg::CQuickAddSiteDlg(CWnd* pParent) : CDialog(IDD_QUICK_ADD_SITE, pParent) {}

std::string CQuickAddSiteDlg::ItemString(int id) const
{
  CString text;
  GetDlgItemText(id, text);
  return std::string((const char*)text, (size_t)text.GetLength());
}

BOOL CQuickAddSiteDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_filling = true;
  // The fields of a site are 50, 50, 64 and 64 bytes with their NULs.
  SendDlgItemMessage(IDC_QA_HOST, EM_SETLIMITTEXT, kSiteHostLen - 1, 0);
  SendDlgItemMessage(IDC_QA_NAME, EM_SETLIMITTEXT, kSiteNameLen - 1, 0);
  SendDlgItemMessage(IDC_QA_USER, EM_SETLIMITTEXT, kSiteUserLen - 1, 0);
  SendDlgItemMessage(IDC_QA_PASSWORD, EM_SETLIMITTEXT, kSitePasswordLen - 1, 0);
  SendDlgItemMessage(IDC_QA_PORT, EM_SETLIMITTEXT, 5, 0);
  SendDlgItemMessage(IDC_QA_COUNT, EM_SETLIMITTEXT, 3, 0);
  SetDlgItemText(IDC_QA_HOST, m_host);
  SetDlgItemText(IDC_QA_NAME, m_name);
  SetDlgItemText(IDC_QA_USER, m_user);
  SetDlgItemText(IDC_QA_PASSWORD, m_password);
  char number[16];
  snprintf(number, sizeof number, "%d", m_port);
  SetDlgItemText(IDC_QA_PORT, number);
  snprintf(number, sizeof number, "%d", m_limitCount);
  SetDlgItemText(IDC_QA_COUNT, number);
  CheckDlgButton(IDC_QA_ANONYMOUS, m_anonymous ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_QA_PASV, m_passive ? BST_CHECKED : BST_UNCHECKED);
  const int kind = m_limitKind >= 0 && m_limitKind <= 2 ? m_limitKind : 0;
  static const int kKindIds[3] = {IDC_QA_LIMIT_NONE, IDC_QA_LIMIT_SINGLE, IDC_QA_LIMIT_COUNT};
  CheckRadioButton(IDC_QA_LIMIT_NONE, IDC_QA_LIMIT_COUNT, kKindIds[kind]);
  GetDlgItem(IDC_QA_COUNT)->EnableWindow(kind == 2);
  if (!m_hostEditable) {
    GetDlgItem(IDC_QA_HOST)->EnableWindow(FALSE);
    GetDlgItem(IDC_QA_PORT)->EnableWindow(FALSE);
  }
  // The caption follows the mode: a pre-filled Quick Add is still one.
  if (!m_quickAddMode)
    SetWindowText("Modify Login Information");
  m_filling = false;
  return TRUE;
}

void CQuickAddSiteDlg::OnAnonymous()
{
  m_anonymous = !m_anonymous;
  CheckDlgButton(IDC_QA_ANONYMOUS, m_anonymous ? BST_CHECKED : BST_UNCHECKED);
}

void CQuickAddSiteDlg::OnHostChanged()
{
  if (m_filling || !m_quickAddMode)
    return;
  CString host;
  GetDlgItemText(IDC_QA_HOST, host);
  SetDlgItemText(IDC_QA_NAME, host);
}

void CQuickAddSiteDlg::OnLoginChanged()
{
  if (m_filling)
    return;
  m_anonymous = 0;
  CheckDlgButton(IDC_QA_ANONYMOUS, BST_UNCHECKED);
}

void CQuickAddSiteDlg::OnLimitKind()
{
  // "None" disables the count as "Single Limited" does.
  GetDlgItem(IDC_QA_COUNT)->EnableWindow(IsDlgButtonChecked(IDC_QA_LIMIT_COUNT) == BST_CHECKED);
}

namespace {

std::string Trimmed(const std::string& text)
{
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos)
    return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Bounded(const std::string& text, size_t width)
{
  char field[kSitePathLen];
  CopySiteText(field, width < sizeof field ? width : sizeof field, text.c_str());
  return field;
}

bool WholeNumber(const std::string& text, int low, int high, int* value)
{
  const std::string t = Trimmed(text);
  if (t.empty() || t.size() > 9 || t.find_first_not_of("0123456789") != std::string::npos)
    return false;
  const int n = atoi(t.c_str());
  if (n < low || n > high)
    return false;
  *value = n;
  return true;
}

}  // namespace

void CQuickAddSiteDlg::OnOK()
{
  const std::string host = Trimmed(ItemString(IDC_QA_HOST));
  const std::string name = Trimmed(ItemString(IDC_QA_NAME));
  if (host.empty() || name.empty())
    return;
  int kind = SITELIMIT_NONE;
  if (IsDlgButtonChecked(IDC_QA_LIMIT_SINGLE) == BST_CHECKED)
    kind = SITELIMIT_SINGLE;
  else if (IsDlgButtonChecked(IDC_QA_LIMIT_COUNT) == BST_CHECKED)
    kind = SITELIMIT_COUNT;
  int count = m_limitCount;
  if (!WholeNumber(ItemString(IDC_QA_COUNT), 0, kMaxSiteLimitCount, &count) && kind == SITELIMIT_COUNT) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    GotoDlgCtrl(GetDlgItem(IDC_QA_COUNT));
    return;
  }
  int port = m_port;
  if (m_hostEditable && !WholeNumber(ItemString(IDC_QA_PORT), 1, 65535, &port)) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    GotoDlgCtrl(GetDlgItem(IDC_QA_PORT));
    return;
  }
  // The edits stop typing at the fields' widths; text put there otherwise is
  // cut as the site's fields would cut it.
  m_host = Bounded(host, kSiteHostLen).c_str();
  m_name = Bounded(name, kSiteNameLen).c_str();
  m_user = Bounded(Trimmed(ItemString(IDC_QA_USER)), kSiteUserLen).c_str();
  m_password = Bounded(Trimmed(ItemString(IDC_QA_PASSWORD)), kSitePasswordLen).c_str();
  m_port = port;
  m_limitKind = kind;
  m_limitCount = count;
  const bool pasv = IsDlgButtonChecked(IDC_QA_PASV) == BST_CHECKED;
  // An unchanged check keeps the stored digit (2 for a new site).
  if (!pasv)
    m_passive = 0;
  else if (m_passive == 0)
    m_passive = 1;
  EndDialog(IDOK);
}

void CQuickAddSiteDlg::SetFrom(const SiteLoginValues& v)
{
  m_host = v.host;
  m_port = v.port;
  m_name = v.name;
  m_user = v.user;
  m_password = v.password;
  m_limitKind = v.limitKind >= '0' && v.limitKind <= '2' ? v.limitKind - '0' : 0;
  m_anonymous = v.anonymous == '1' ? 1 : 0;
  m_passive = v.passive >= '0' && v.passive <= '9' ? v.passive - '0' : 2;
  m_limitCount = LimitCountFromConnLimit(v.connLimit);
}

void CQuickAddSiteDlg::CopyTo(SiteLoginValues& v) const
{
  v.host = m_host;
  v.port = m_port;
  v.name = m_name;
  v.user = m_user;
  v.password = m_password;
  v.limitKind = (char)('0' + m_limitKind);
  v.anonymous = (char)('0' + (m_anonymous ? 1 : 0));
  v.passive = (char)('0' + (m_passive >= 0 && m_passive <= 9 ? m_passive : 1));
  v.connLimit = QuickAddConnLimit(m_limitKind, m_limitCount);
}

bool RunQuickAddSiteDialog(CWnd* parent, SiteLoginValues& values)
{
  CQuickAddSiteDlg dlg(parent);
  dlg.m_anonymous = 1;
  SiteLoginValues prefill;
  prefill.anonymous = '1';
  if (QuickAddPrefill(prefill)) {
    dlg.m_host = prefill.host;
    dlg.m_name = prefill.name;
    dlg.m_port = prefill.port;
    if (prefill.anonymous != '1') {
      dlg.m_user = prefill.user;
      dlg.m_password = prefill.password;
      dlg.m_anonymous = 0;
    }
  }
  if (dlg.DoModal() != IDOK)
    return false;
  dlg.CopyTo(values);
  return true;
}

bool RunModifyInfoDialog(CWnd* parent, int slot, SiteLoginValues& values)
{
  CQuickAddSiteDlg dlg(parent);
  dlg.m_quickAddMode = FALSE;
  dlg.SetFrom(values);
  const CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  dlg.m_hostEditable = site == nullptr || site->m_connected.load() == 0;
  if (dlg.DoModal() != IDOK)
    return false;
  dlg.CopyTo(values);
  return true;
}
