#include "sitemanager/sitemanagerdlg.h"

#include "sitemanager/initext.h"
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/worksites.h"

namespace {
constexpr char kWorkHeadingText[] = "ZARN Work Site";
constexpr char kSpareHeadingText[] = "ZARN Spare Site";

struct Anchor {
  int id;
  int flags;
};
constexpr Anchor kAnchors[] = {
    {IDC_SITE_TREE, 15},     {IDC_SITE_IMPORT, 9},     {IDC_SITE_EXPORT, 9}, {IDC_SITE_NEW_SITE, 9},
    {IDC_SITE_DELETE, 9},    {IDC_SITE_CONNECT, 10},   {IDC_SITE_APPLY, 10}, {IDC_SITE_NEW_LABEL, 10},
    {IDC_SITE_OPTION, 10},   {IDC_SITE_EXIT, 10},
};
}  // namespace

BEGIN_MESSAGE_MAP(CSiteManagerDlg, CDialog)
  ON_WM_SIZE()
  ON_BN_CLICKED(IDC_SITE_EXIT, OnExit)
  ON_BN_CLICKED(IDC_SITE_APPLY, OnApply)
END_MESSAGE_MAP()

CSiteManagerDlg::CSiteManagerDlg(CSiteItem** sites, HWND mainWnd)
    : CDialog(IDD_SITE_MANAGER, nullptr), m_sites(sites), m_mainWnd(mainWnd)
{
  m_setup = ReadSiteManagerSetup();
  if (!m_setup.keyOpened)
    ::MessageBoxA(mainWnd, "Open Site Manager file Error", nullptr, MB_OK | MB_ICONERROR);
  m_ini = std::make_unique<CIniText>(m_setup.siteFile.c_str());
  if (mainWnd != nullptr)
    m_pParentWnd = CWnd::FromHandle(mainWnd);
}

CSiteManagerDlg::~CSiteManagerDlg() = default;

void CSiteManagerDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_SITE_TREE, m_tree); }

BOOL CSiteManagerDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_records.clear();
  m_workHeading = m_tree.InsertItem(kWorkHeadingText, kWorkHeadingImage, kWorkHeadingImage);
  for (int i = 0; i < kWorkSiteSlots; ++i) {
    if (m_sites == nullptr || m_sites[i] == nullptr)
      continue;
    HTREEITEM item = m_tree.InsertItem(WorkSiteFields(m_sites[i]).m_name, kSiteImage, kSiteImage, m_workHeading);
    m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(m_sites[i]));
  }
  m_spareHeading = m_tree.InsertItem(kSpareHeadingText, kSpareHeadingImage, kSpareHeadingImage);
  FillSpareSites();

  CRect window;
  GetWindowRect(&window);
  SetMinTrackSize(CSize(window.Width(), window.Height()));
  for (const Anchor& a : kAnchors)
    if (HWND control = ::GetDlgItem(m_hWnd, a.id))
      m_layout.AddControl(control, a.flags);
  ShowSizeGrip(TRUE);

  CreateSitePages();
  m_tree.SelectItem(m_workHeading);
  m_tree.Expand(m_workHeading, TVE_EXPAND);
  m_tree.Expand(m_spareHeading, TVE_EXPAND);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SITE_APPLY), FALSE);
  m_applyTimer = SetTimer(10, 200, nullptr);
  return TRUE;
}

void CSiteManagerDlg::FillSpareSites()
{
  for (int i = 0; i < m_ini->SectionCount(); ++i) {
    std::string name;
    if (m_ini->SectionName(i, name) && !name.empty())
      if (const SiteRecord* record = LoadSiteSection(*m_ini, name, *this))
        m_sectionOf[record] = name;
  }
}

CSiteTreeSink::Node CSiteManagerDlg::FindOrCreateLabel(Node parent, const std::string& label)
{
  HTREEITEM under = parent != nullptr ? static_cast<HTREEITEM>(parent) : m_spareHeading;
  for (HTREEITEM child = m_tree.GetChildItem(under); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    if (m_tree.GetItemData(child) == 0 && std::string(m_tree.GetItemText(child)) == label)
      return child;
  return m_tree.InsertItem(label.c_str(), kLabelImage, kLabelImage, under);
}

void CSiteManagerDlg::AppendSite(Node parent, std::unique_ptr<SiteRecord> record)
{
  HTREEITEM under = parent != nullptr ? static_cast<HTREEITEM>(parent) : m_spareHeading;
  HTREEITEM item = m_tree.InsertItem(record->m_name, kSiteImage, kSiteImage, under);
  m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(record.get()));
  m_records.push_back(std::move(record));
}

void CSiteManagerDlg::OnSize(UINT nType, int cx, int cy)
{
  CDialog::OnSize(nType, cx, cy);
  m_layout.Relayout(this);
}

void CSiteManagerDlg::OnExit()
{
  if (SettlePageEdits())
    LeaveDialog();
}
