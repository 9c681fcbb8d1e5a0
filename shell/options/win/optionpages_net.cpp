// The option pages' common helpers and the Connect, Transfer and General pages.
#include "shell/options/optionpages.h"

#include <cstdio>

#include "engine/dialup.h"
#include "framework/commdlgs.h"
#include "shell/options/optionsres.h"

// ---- COptionPage ----

std::string COptionPage::ItemString(int id) const
{
  CString text;
  GetDlgItemText(id, text);
  return std::string((const char*)text, (size_t)text.GetLength());
}

void COptionPage::Enable(int id, bool on)
{
  if (CWnd* item = GetDlgItem(id))
    item->EnableWindow(on ? TRUE : FALSE);
}

void COptionPage::SetNumber(int id, int32_t value)
{
  char text[16];
  snprintf(text, sizeof text, "%d", (int)value);
  SetDlgItemText(id, text);
}

void COptionPage::LimitText(int id, int chars)
{
  SendDlgItemMessage(id, EM_SETLIMITTEXT, (WPARAM)chars, 0);
}

void COptionPage::FillCombo(int id, const char* const* items, int count, int selected)
{
  SendDlgItemMessage(id, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < count; ++i)
    SendDlgItemMessage(id, CB_ADDSTRING, 0, (LPARAM)items[i]);
  SendDlgItemMessage(id, CB_SETCURSEL, (WPARAM)(selected >= 0 && selected < count ? selected : 0), 0);
}

namespace {

constexpr int kTextSettingChars = (int)kSettingTextLen - 1;

int ComboIndex(const CWnd* page, int id)
{
  return (int)::SendDlgItemMessageA(page->m_hWnd, id, CB_GETCURSEL, 0, 0);
}

}  // namespace

// ---- Connect ----

namespace {
const char* const kProxyTypes[] = {
    "None",
    "Socket 4",
    "Socket 5",
    "HTTP1.1 Proxy",
    "OPEN ftp_host:ftp_port",
    "SITE ftp_host ftp_port",
    "SITE ftp_host:ftp_port",
    "SITE ftp_user@ftp_host ftp_port",
    "SITE ftp_user@ftp_host:ftp_port",
    "USER ftp_user@ftp_host ftp_port",
    "USER ftp_user@ftp_host:ftp_port",
    "USER ftp_user@ftp_host proxy_user",
    "USER Proxy_user@ftp_host",
};
}  // namespace

BEGIN_MESSAGE_MAP(CNetworkOptionsPage, COptionPage)
  ON_BN_CLICKED(IDC_OPT_DIALUP_USER, OnUserKind)
  ON_BN_CLICKED(IDC_OPT_LAN_USER, OnUserKind)
  ON_CBN_SELCHANGE(IDC_OPT_PROXY_TYPE, OnProxyTypeChanged)
END_MESSAGE_MAP()

CNetworkOptionsPage::CNetworkOptionsPage(CWnd* pParent) : COptionPage(IDD_OPT_CONNECT, pParent) {}

BOOL CNetworkOptionsPage::OnInitDialog()
{
  COptionPage::OnInitDialog();
  const bool lan = IsOptionSet(OPTBIT_LAN_USER);
  Check(IDC_OPT_DIALUP_USER, !lan);
  Check(IDC_OPT_LAN_USER, lan);
  m_entries = EnumDialUpEntries();
  int selected = 0;
  for (size_t i = 0; i < m_entries.size(); ++i) {
    SendDlgItemMessage(IDC_OPT_DIAL_ENTRY, CB_ADDSTRING, 0, (LPARAM)m_entries[i].c_str());
    if (m_entries[i] == g_dialEntry)
      selected = (int)i;
  }
  if (!m_entries.empty())
    SendDlgItemMessage(IDC_OPT_DIAL_ENTRY, CB_SETCURSEL, (WPARAM)selected, 0);
  Check(IDC_OPT_ALWAYS_DIAL, IsOptionSet(OPTBIT_AUTO_DIAL));
  FillCombo(IDC_OPT_PROXY_TYPE, kProxyTypes, (int)(sizeof kProxyTypes / sizeof kProxyTypes[0]), g_proxyType);
  for (int id : {IDC_OPT_PROXY_HOST, IDC_OPT_PROXY_USER, IDC_OPT_PROXY_PASS, IDC_OPT_EMAIL})
    LimitText(id, kTextSettingChars);
  LimitText(IDC_OPT_PROXY_PORT, 5);
  SetDlgItemText(IDC_OPT_PROXY_HOST, g_proxyHost);
  SetNumber(IDC_OPT_PROXY_PORT, g_proxyPort);
  SetDlgItemText(IDC_OPT_PROXY_USER, g_proxyUser);
  SetDlgItemText(IDC_OPT_PROXY_PASS, g_proxyPassword);
  SetDlgItemText(IDC_OPT_EMAIL, g_anonymousPassword);
  UpdateDialEnabling();
  UpdateProxyEnabling();
  return TRUE;
}

void CNetworkOptionsPage::UpdateDialEnabling()
{
  const bool on = Checked(IDC_OPT_DIALUP_USER) && !m_entries.empty();
  Enable(IDC_OPT_DIAL_ENTRY, on);
  Enable(IDC_OPT_ALWAYS_DIAL, on);
}

void CNetworkOptionsPage::UpdateProxyEnabling()
{
  const bool on = ComboIndex(this, IDC_OPT_PROXY_TYPE) > 0;
  for (int id : {IDC_OPT_PROXY_HOST, IDC_OPT_PROXY_PORT, IDC_OPT_PROXY_USER, IDC_OPT_PROXY_PASS})
    Enable(id, on);
}

void CNetworkOptionsPage::OnUserKind() { UpdateDialEnabling(); }
void CNetworkOptionsPage::OnProxyTypeChanged() { UpdateProxyEnabling(); }

void CNetworkOptionsPage::Apply(OptionsRecord& options)
{
  ConnectPageInput in;
  in.lanUser = Checked(IDC_OPT_LAN_USER);
  in.alwaysDial = Checked(IDC_OPT_ALWAYS_DIAL);
  in.entryCount = (int)m_entries.size();
  const int entry = ComboIndex(this, IDC_OPT_DIAL_ENTRY);
  if (entry >= 0 && entry < (int)m_entries.size())
    in.selectedEntry = m_entries[(size_t)entry];
  in.proxyType = ComboIndex(this, IDC_OPT_PROXY_TYPE);
  in.proxyHost = ItemString(IDC_OPT_PROXY_HOST);
  in.proxyPort = ItemString(IDC_OPT_PROXY_PORT);
  in.proxyUser = ItemString(IDC_OPT_PROXY_USER);
  in.proxyPassword = ItemString(IDC_OPT_PROXY_PASS);
  in.email = ItemString(IDC_OPT_EMAIL);
  ApplyConnectPage(options, in);
}

// ---- Transfer ----

BEGIN_MESSAGE_MAP(CTransferOptionsPage, COptionPage)
  ON_BN_CLICKED(IDC_OPT_ASCII_ADD, OnAdd)
  ON_BN_CLICKED(IDC_OPT_ASCII_REMOVE, OnRemove)
  ON_BN_CLICKED(IDC_OPT_DOWNLOAD_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CTransferOptionsPage::CTransferOptionsPage(CWnd* pParent) : COptionPage(IDD_OPT_TRANSFER, pParent) {}

BOOL CTransferOptionsPage::OnInitDialog()
{
  COptionPage::OnInitDialog();
  static const char* const kTypes[] = {"Auto-Detect", "ASCII", "Binary"};
  FillCombo(IDC_OPT_TRANSFER_TYPE, kTypes, 3, g_transferType);
  for (const std::string& row : SplitAsciiExtensions(g_asciiExtensions))
    SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_ADDSTRING, 0, (LPARAM)row.c_str());
  // One extension can never be longer than the whole list.
  LimitText(IDC_OPT_ASCII_TEXT, kTextSettingChars);
  Check(IDC_OPT_FXP, IsOptionSet(OPTBIT_FXP));
  LimitText(IDC_OPT_DOWNLOAD_PATH, kTextSettingChars);
  SetDlgItemText(IDC_OPT_DOWNLOAD_PATH, g_downloadPath);
  return TRUE;
}

std::vector<std::string> CTransferOptionsPage::Rows() const
{
  std::vector<std::string> rows;
  const int count = (int)::SendDlgItemMessageA(m_hWnd, IDC_OPT_ASCII_LIST, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) {
    const int len = (int)::SendDlgItemMessageA(m_hWnd, IDC_OPT_ASCII_LIST, LB_GETTEXTLEN, (WPARAM)i, 0);
    if (len < 0)
      continue;
    std::string row((size_t)len + 1, '\0');
    ::SendDlgItemMessageA(m_hWnd, IDC_OPT_ASCII_LIST, LB_GETTEXT, (WPARAM)i, (LPARAM)&row[0]);
    row.resize(strlen(row.c_str()));
    rows.push_back(row);
  }
  return rows;
}

void CTransferOptionsPage::OnAdd()
{
  std::vector<std::string> rows = Rows();
  const AsciiAddResult result = AddAsciiExtension(rows, ItemString(IDC_OPT_ASCII_TEXT));
  if (result == ASCII_REFUSED) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    GetDlgItem(IDC_OPT_ASCII_TEXT)->SetFocus();
    return;
  }
  if (result == ASCII_ADDED) {
    const int row = (int)SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_ADDSTRING, 0, (LPARAM)rows.back().c_str());
    SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_SETTOPINDEX, (WPARAM)row, 0);
  }
  SetDlgItemText(IDC_OPT_ASCII_TEXT, "");
}

void CTransferOptionsPage::OnRemove()
{
  const int count = (int)SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_GETCOUNT, 0, 0);
  for (int i = count - 1; i >= 0; --i)
    if (SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_GETSEL, (WPARAM)i, 0) > 0)
      SendDlgItemMessage(IDC_OPT_ASCII_LIST, LB_DELETESTRING, (WPARAM)i, 0);
}

void CTransferOptionsPage::OnBrowse()
{
  CString path = ItemString(IDC_OPT_DOWNLOAD_PATH).c_str();
  if (AfxBrowseForFolder(this, "Default download path:", path, path.IsEmpty() ? nullptr : (LPCTSTR)path) &&
      path.GetLength() <= kTextSettingChars)
    SetDlgItemText(IDC_OPT_DOWNLOAD_PATH, path);
}

// Enter in the extension field adds it (and must not end the dialog).
BOOL CTransferOptionsPage::PreTranslateMessage(MSG* pMsg)
{
  if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN && m_hWnd != nullptr &&
      pMsg->hwnd == ::GetDlgItem(m_hWnd, IDC_OPT_ASCII_TEXT)) {
    OnAdd();
    return TRUE;
  }
  return COptionPage::PreTranslateMessage(pMsg);
}

void CTransferOptionsPage::Apply(OptionsRecord& options)
{
  TransferPageInput in;
  in.transferType = ComboIndex(this, IDC_OPT_TRANSFER_TYPE);
  in.rows = Rows();
  in.fxp = Checked(IDC_OPT_FXP);
  in.downloadPath = ItemString(IDC_OPT_DOWNLOAD_PATH);
  ApplyTransferPage(options, in);
}

// ---- General ----

BEGIN_MESSAGE_MAP(CQueueOptionPage, COptionPage)
  ON_BN_CLICKED(IDC_OPT_QUEUE_BROWSE, OnBrowse)
  ON_CBN_SELCHANGE(IDC_OPT_FAIL_ACTION, OnFailActionChanged)
END_MESSAGE_MAP()

CQueueOptionPage::CQueueOptionPage(CWnd* pParent) : COptionPage(IDD_OPT_GENERAL, pParent) {}

BOOL CQueueOptionPage::OnInitDialog()
{
  COptionPage::OnInitDialog();
  for (int i = 0; i < kGeneralCheckCount; ++i)
    Check(kGeneralChecks[i].id, IsOptionSet(kGeneralChecks[i].bit));
  LimitText(IDC_OPT_QUEUE_FILE, kTextSettingChars);
  SetDlgItemText(IDC_OPT_QUEUE_FILE, g_queueFilePath);
  static const char* const kActions[] = {"Remove it", "Just move to the last", "Move to the last and resume it"};
  FillCombo(IDC_OPT_FAIL_ACTION, kActions, 3, g_defItemRetries);
  LimitText(IDC_OPT_QUEUE_RETRIES, 3);
  SetNumber(IDC_OPT_QUEUE_RETRIES, g_queueRetries);
  OnFailActionChanged();
  return TRUE;
}

void CQueueOptionPage::OnFailActionChanged()
{
  Enable(IDC_OPT_QUEUE_RETRIES, ComboIndex(this, IDC_OPT_FAIL_ACTION) == 2);
}

void CQueueOptionPage::OnBrowse()
{
  CFileDialog dlg(FALSE, "pln", "zarnplan", OFN_HIDEREADONLY | OFN_CREATEPROMPT,
                  "ZARN Plan Files(*.pln)|*.pln|All Files(*.*)|*.*||", this);
  if (dlg.DoModal() != IDOK)
    return;
  const CString path = dlg.GetPathName();
  if (path.GetLength() > kTextSettingChars) {
    ::MessageBeep(MB_ICONEXCLAMATION);
    return;
  }
  SetDlgItemText(IDC_OPT_QUEUE_FILE, path);
  // A new file starts empty, which the queue reads as an empty queue; an
  // existing one keeps its items.
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    ::CloseHandle(file);
}

void CQueueOptionPage::Apply(OptionsRecord& options)
{
  GeneralPageInput in;
  for (int i = 0; i < kGeneralCheckCount; ++i)
    if (Checked(kGeneralChecks[i].id))
      in.checkedBits |= 1u << kGeneralChecks[i].bit;
  in.queueFilePath = ItemString(IDC_OPT_QUEUE_FILE);
  in.failAction = ComboIndex(this, IDC_OPT_FAIL_ACTION);
  in.queueRetries = ItemString(IDC_OPT_QUEUE_RETRIES);
  ApplyGeneralPage(options, in);
}
