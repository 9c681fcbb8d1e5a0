// System Settings and File Exists Options.
#include "shell/options/settingsdlg.h"

#include "engine/confirmdlg.h"
#include "shell/options/optionsres.h"

// ---- CSettingsDlg ----

CSettingsDlg::CSettingsDlg(CWnd* pParent, CToolBarEx* toolbar)
    : CDialog(IDD_SETTINGS, pParent),
      m_connect(nullptr),
      m_transfer(nullptr),
      m_general(nullptr),
      m_advanced(nullptr),
      m_display(nullptr, toolbar)
{
}

BOOL CSettingsDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  CShadedTabCtrl::EnableCustomLook(TRUE, 31);
  if (!m_sheet.SubclassDlgItem(IDC_SETTINGS_TABS, this))
    return TRUE;
  m_sheet.SetBkColor(RGB(0xC8, 0xC8, 0xC8));
  m_sheet.SetDrawStyle(2);
  struct {
    const char* title;
    COptionPage* page;
    UINT templateId;
  } const pages[kPageCount] = {
      {"Connect", &m_connect, IDD_OPT_CONNECT},    {"Transfer", &m_transfer, IDD_OPT_TRANSFER},
      {"General", &m_general, IDD_OPT_GENERAL},    {"Advanced", &m_advanced, IDD_OPT_ADVANCED},
      {"Display", &m_display, IDD_OPT_DISPLAY},
  };
  for (int i = 0; i < kPageCount; ++i) {
    if (pages[i].page->Create(pages[i].templateId, &m_sheet))
      m_sheet.AddPage(pages[i].title, (DWORD)i, pages[i].page);
  }
  m_sheet.SetActivePage(0);
  m_sheet.ResizePages();
  return TRUE;
}

BOOL CSettingsDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
  if (hdr != nullptr && hdr->hwndFrom == m_sheet.m_hWnd && hdr->code == TCN_SELCHANGE) {
    m_sheet.ResizePages();
    *pResult = 0;
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

void CSettingsDlg::OnOK()
{
  OptionsRecord options = ReadOptionsFromGlobals();
  uint32_t before[4];
  for (int i = 0; i < 4; ++i)
    before[i] = options.viewColors[i];
  // The pages in the order their settings depend on each other least.
  COptionPage* const order[kPageCount] = {&m_advanced, &m_connect, &m_display, &m_transfer, &m_general};
  for (COptionPage* page : order)
    if (page->m_hWnd != nullptr)
      page->Apply(options);
  WriteOptionsToGlobals(options);
  unsigned changed = 0;
  for (int i = 0; i < 4; ++i)
    if (before[i] != g_viewColors[i])
      changed |= 1u << i;
  ApplyViewColors(changed);
  EndDialog(IDOK);
}

// ---- CFileExistsDlg ----

namespace {
const char* const kSmallerActions[] = {"Ask", "Auto Overwrite", "Auto Skip", "Auto Resume", "Auto Rename"};
const char* const kOtherActions[] = {"Ask", "Auto Overwrite", "Auto Skip", "Auto Rename"};
}  // namespace

BEGIN_MESSAGE_MAP(CFileExistsDlg, CDialog)
  ON_BN_CLICKED(IDC_FE_DEFAULT, OnDefault)
END_MESSAGE_MAP()

CFileExistsDlg::CFileExistsDlg(CWnd* pParent) : CDialog(IDD_FILE_EXISTS, pParent) {}

BOOL CFileExistsDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  int indexes[kFileExistsComboCount];
  UnpackFileExistsCombos(g_fileRule, indexes);
  for (int i = 0; i < kFileExistsComboCount; ++i) {
    const FileExistsCombo& combo = kFileExistsCombos[i];
    const bool smaller = combo.size == FILERULE_SMALLER;
    const char* const* items = smaller ? kSmallerActions : kOtherActions;
    const int count = smaller ? 5 : 4;
    for (int k = 0; k < count; ++k)
      SendDlgItemMessage(combo.id, CB_ADDSTRING, 0, (LPARAM)items[k]);
    SendDlgItemMessage(combo.id, CB_SETCURSEL, (WPARAM)indexes[i], 0);
  }
  return TRUE;
}

void CFileExistsDlg::OnDefault()
{
  for (const FileExistsCombo& combo : kFileExistsCombos)
    SendDlgItemMessage(combo.id, CB_SETCURSEL, (WPARAM)FILERULE_ASK, 0);
}

void CFileExistsDlg::OnOK()
{
  int indexes[kFileExistsComboCount];
  for (int i = 0; i < kFileExistsComboCount; ++i)
    indexes[i] = (int)SendDlgItemMessage(kFileExistsCombos[i].id, CB_GETCURSEL, 0, 0);
  ApplyFileRuleFromDialog(PackFileExistsCombos(g_fileRule, indexes));
  EndDialog(IDOK);
}

BOOL RunFileExistsDialog(CWnd* pParent)
{
  CFileExistsDlg dlg(pParent);
  return dlg.DoModal() == IDOK;
}

void InstallOptionDialogs() { SetFileExistsDialogHook(&RunFileExistsDialog); }
