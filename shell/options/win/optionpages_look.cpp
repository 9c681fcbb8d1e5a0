// The Advanced and Display option pages, and the view colours set at once.
#include "shell/options/optionpages.h"

#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "shell/options/optionsres.h"
#include "shell/options/settingsdlg.h"
#include "toolkit/toolbarex.h"
#include "views/menuview.h"

// ---- Advanced ----

namespace {

struct NumberField {
  int id;
  int32_t* setting;
  int chars;
};

const NumberField kAdvancedNumbers[] = {
    {IDC_OPT_CONNECT_TIMEOUT, &g_connectTimeout, 4}, {IDC_OPT_RETRY_COUNT, &g_defRetryCount, 4},
    {IDC_OPT_RETRY_DELAY, &g_retryDelay, 4},         {IDC_OPT_IDLE_TIMEOUT, &g_idleTimeout, 3},
    {IDC_OPT_RECV_TIMEOUT, &g_recvTimeout, 4},       {IDC_OPT_SEND_TIMEOUT, &g_sendTimeout, 4},
    {IDC_OPT_BLOCK_SIZE, &g_socketBlockSize, 4},     {IDC_OPT_DOWNLOAD_LIMIT, &g_globalLimitA, 7},
    {IDC_OPT_UPLOAD_LIMIT, &g_globalLimitB, 7},
};

}  // namespace

BEGIN_MESSAGE_MAP(CConnectOptionsPage, COptionPage)
  ON_BN_CLICKED(IDC_OPT_OBEY_DOWNLOAD, OnLimitCheck)
  ON_BN_CLICKED(IDC_OPT_OBEY_UPLOAD, OnLimitCheck)
  ON_BN_CLICKED(IDC_OPT_FILE_RULES_CONFIGURE, OnConfigure)
END_MESSAGE_MAP()

CConnectOptionsPage::CConnectOptionsPage(CWnd* pParent) : COptionPage(IDD_OPT_ADVANCED, pParent) {}

BOOL CConnectOptionsPage::OnInitDialog()
{
  COptionPage::OnInitDialog();
  for (const NumberField& field : kAdvancedNumbers) {
    LimitText(field.id, field.chars);
    SetNumber(field.id, *field.setting);
  }
  Check(IDC_OPT_FILE_RULES, IsOptionSet(OPTBIT_FILE_EXISTS_RULES));
  Check(IDC_OPT_SHOW_HIDDEN, IsOptionSet(OPTBIT_SHOW_HIDDEN));
  Check(IDC_OPT_OBEY_DOWNLOAD, IsOptionSet(OPTBIT_DOWNLOAD_LIMIT));
  Check(IDC_OPT_OBEY_UPLOAD, IsOptionSet(OPTBIT_UPLOAD_LIMIT));
  Check(IDC_OPT_REUSE_CONNECTION, IsOptionSet(OPTBIT_REUSE_CONNECTION));
  UpdateLimitEnabling();
  return TRUE;
}

void CConnectOptionsPage::UpdateLimitEnabling()
{
  Enable(IDC_OPT_DOWNLOAD_LIMIT, Checked(IDC_OPT_OBEY_DOWNLOAD));
  Enable(IDC_OPT_UPLOAD_LIMIT, Checked(IDC_OPT_OBEY_UPLOAD));
}

void CConnectOptionsPage::OnLimitCheck() { UpdateLimitEnabling(); }

void CConnectOptionsPage::OnConfigure() { RunFileExistsDialog(this); }

void CConnectOptionsPage::Apply(OptionsRecord& options)
{
  AdvancedPageInput in;
  in.connectTimeout = ItemString(IDC_OPT_CONNECT_TIMEOUT);
  in.retryCount = ItemString(IDC_OPT_RETRY_COUNT);
  in.retryDelay = ItemString(IDC_OPT_RETRY_DELAY);
  in.idleTimeout = ItemString(IDC_OPT_IDLE_TIMEOUT);
  in.recvTimeout = ItemString(IDC_OPT_RECV_TIMEOUT);
  in.sendTimeout = ItemString(IDC_OPT_SEND_TIMEOUT);
  in.blockSize = ItemString(IDC_OPT_BLOCK_SIZE);
  in.fileRules = Checked(IDC_OPT_FILE_RULES);
  in.showHidden = Checked(IDC_OPT_SHOW_HIDDEN);
  in.reuseConnection = Checked(IDC_OPT_REUSE_CONNECTION);
  in.obeyDownload = Checked(IDC_OPT_OBEY_DOWNLOAD);
  in.obeyUpload = Checked(IDC_OPT_OBEY_UPLOAD);
  in.downloadLimit = ItemString(IDC_OPT_DOWNLOAD_LIMIT);
  in.uploadLimit = ItemString(IDC_OPT_UPLOAD_LIMIT);
  ApplyAdvancedPage(options, in);
}

// ---- Display ----

const int kViewColorButtons[4] = {IDC_OPT_COLOR_LOCAL_TREE, IDC_OPT_COLOR_LOCAL_LIST, IDC_OPT_COLOR_REMOTE_TREES,
                                  IDC_OPT_COLOR_REMOTE_LISTS};

BEGIN_MESSAGE_MAP(CInterfaceOptionsPage, COptionPage)
  ON_BN_CLICKED(IDC_OPT_XP_MENU, OnMenuStyle)
  ON_BN_CLICKED(IDC_OPT_WIN98_MENU, OnMenuStyle)
  ON_BN_CLICKED(IDC_OPT_CUSTOMIZE_TOOLBAR, OnCustomize)
END_MESSAGE_MAP()

CInterfaceOptionsPage::CInterfaceOptionsPage(CWnd* pParent, CToolBarEx* toolbar)
    : COptionPage(IDD_OPT_DISPLAY, pParent), m_toolbar(toolbar)
{
}

BOOL CInterfaceOptionsPage::OnInitDialog()
{
  COptionPage::OnInitDialog();
  const bool win98 = IsOptionSet(OPTBIT_FLAT_MENU);
  Check(IDC_OPT_XP_MENU, !win98);
  Check(IDC_OPT_WIN98_MENU, win98);
  Check(IDC_OPT_3D_ICONS, IsOptionSet(OPTBIT_MENU_3D_ICONS));
  Check(IDC_OPT_SAVE_LAYOUT, IsOptionSet(OPTBIT_SAVE_LAYOUT));
  static const char* const kStartup[] = {"Show startup page", "Show Tip of the day"};
  FillCombo(IDC_OPT_STARTUP, kStartup, 2, IsOptionSet(OPTBIT_TIP_OF_DAY) ? 1 : 0);
  Check(IDC_OPT_NOTIFIER, IsOptionSet(OPTBIT_NOTIFIER));
  for (int i = 0; i < 4; ++i) {
    m_colors[i].SubclassDlgItem((UINT)kViewColorButtons[i], this);
    m_colors[i].SetColor(g_viewColors[i]);
  }
  Enable(IDC_OPT_CUSTOMIZE_TOOLBAR, m_toolbar != nullptr && m_toolbar->m_hWnd != nullptr);
  OnMenuStyle();
  return TRUE;
}

void CInterfaceOptionsPage::OnMenuStyle() { Enable(IDC_OPT_3D_ICONS, !Checked(IDC_OPT_WIN98_MENU)); }

void CInterfaceOptionsPage::OnCustomize()
{
  if (m_toolbar != nullptr && m_toolbar->m_hWnd != nullptr)
    m_toolbar->Customize();
}

void CInterfaceOptionsPage::Apply(OptionsRecord& options)
{
  DisplayPageInput in;
  in.win98Menu = Checked(IDC_OPT_WIN98_MENU);
  in.icons3d = Checked(IDC_OPT_3D_ICONS);
  in.saveLayout = Checked(IDC_OPT_SAVE_LAYOUT);
  in.startup = (int)SendDlgItemMessage(IDC_OPT_STARTUP, CB_GETCURSEL, 0, 0);
  in.notifier = Checked(IDC_OPT_NOTIFIER);
  for (int i = 0; i < 4; ++i)
    in.colors[i] = m_colors[i].m_hWnd != nullptr ? m_colors[i].GetColor() : options.viewColors[i];
  ApplyDisplayPage(options, in);
}

// ---- the view colours ----

namespace {

void ApplyTo(const ViewSlot& slot)
{
  CWnd* wnd = slot.load();
  if (wnd == nullptr || !::IsWindow(wnd->m_hWnd))
    return;
  if (CMenuView* view = DYNAMIC_DOWNCAST(CMenuView, wnd))
    view->ApplyViewColor();
}

}  // namespace

void ApplyViewColors(unsigned changed)
{
  if (changed == 0)
    return;
  if (changed & (1u << VIEWCOLOR_REMOTE_TREES)) {
    ApplyTo(g_pSerTrView);
    ApplyTo(g_pSerTrView1);
  }
  if (changed & (1u << VIEWCOLOR_LOCAL_TREE))
    ApplyTo(g_pLocTrView);
  if (changed & (1u << VIEWCOLOR_LOCAL_LIST))
    ApplyTo(g_pLocLiView);
  if (changed & (1u << VIEWCOLOR_REMOTE_LISTS)) {
    ApplyTo(g_pSerLiView);
    ApplyTo(g_pSerLiView1);
  }
  if (CFrameWnd* frame = DYNAMIC_DOWNCAST(CFrameWnd, g_pMainFrame.load()))
    if (::IsWindow(frame->m_hWnd))
      frame->RecalcLayout();
}
