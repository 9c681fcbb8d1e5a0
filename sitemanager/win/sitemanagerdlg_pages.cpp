// The site manager's pages side: the tab with the three pages, filling them
// from the selected node, and applying their edits to a spare site (the site
// file) or a work site (in place, then reported to the main window).
#include <cstdio>
#include <cstring>

#include "engine/siteitem.h"
#include "shell/sitestore/sitename.h"
#include "sitemanager/initext.h"
#include "sitemanager/sitemanagerdlg.h"
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitetreerules.h"
#include "sitemanager/worksites.h"

BOOL g_siteLoaded = FALSE;

namespace {

constexpr char kSaveChangeText[] = "Do you want to save change?";
constexpr char kSpareNameClashText[] = "Same site name already exsits,please rename it.";
constexpr char kWriteFailedText[] = "Write failed! ";

// In the order of the tree's images.
constexpr int kTreeIcons[] = {IDI_SITE_SPARE_HEADING, IDI_SITE_WORK_HEADING, IDI_SITE_LABEL, IDI_SITE_SITE};

// The module holding this code (and the icons): the library, or a test
// program that links the dialog in.
const char kModuleMarker = 0;
HINSTANCE ThisModule()
{
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       &kModuleMarker, &module);
  return module;
}

// Whether the section is read as this site under these labels (the site's
// name cut to its field as loading cuts it): only then is it this site's own.
bool ReadAs(const std::string& section, const char* name, const std::vector<std::string>& labels)
{
  if (section.empty())
    return false;
  std::vector<std::string> names = SplitLabelPath(section);
  if (names.empty() || names.size() != labels.size() + 1)
    return false;
  const size_t length = strlen(name);
  if (length == 0 || names[0].size() < length || names[0].compare(0, length, name) != 0)
    return false;
  for (size_t i = 0; i < labels.size(); ++i)
    if (names[i + 1] != labels[i])
      return false;
  return true;
}

}  // namespace

void CSiteManagerDlg::CreateSitePages()
{
  if (m_treeImages.Create(16, 16, ILC_COLOR16 | ILC_MASK, 4, 0)) {
    for (int id : kTreeIcons) {
      HICON icon = static_cast<HICON>(::LoadImageA(ThisModule(), MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
      m_treeImages.Add(icon);
      if (icon != nullptr)
        ::DestroyIcon(icon);
    }
    m_tree.SetImageList(&m_treeImages, TVSIL_NORMAL);
  }
  SetTreeImages();

  m_pageSheet.SubclassDlgItem(IDC_SITE_TAB, this);
  CSitePage* pages[] = {&m_generalPage, &m_optionPage, &m_proxyPage};
  const UINT templates[] = {IDD_SITE_PAGE_GENERAL, IDD_SITE_PAGE_OPTION, IDD_SITE_PAGE_PROXY};
  const char* const titles[] = {"General", "Option", "Advanced"};
  for (int i = 0; i < kSitePageCount; ++i) {
    pages[i]->m_onModified = [this] { EnableApply(true); };
    if (pages[i]->Create(templates[i], &m_pageSheet))
      m_pageSheet.AddPage(titles[i], static_cast<DWORD>(i), pages[i]);
  }
  if (HWND tab = ::GetDlgItem(m_hWnd, IDC_SITE_TAB))
    m_layout.AddControl(tab, 14);
  m_pageSheet.ResizePages();
}

void CSiteManagerDlg::SetTreeImages()
{
  if (m_tree.GetSafeHwnd() == nullptr)
    return;
  // Depth first over every item; items made elsewhere get their icon here.
  std::vector<HTREEITEM> stack;
  for (HTREEITEM root = m_tree.GetRootItem(); root != nullptr; root = m_tree.GetNextSiblingItem(root))
    stack.push_back(root);
  while (!stack.empty()) {
    HTREEITEM item = stack.back();
    stack.pop_back();
    int image = kLabelImage;
    if (item == m_workHeading)
      image = kWorkHeadingImage;
    else if (item == m_spareHeading)
      image = kSpareHeadingImage;
    else if (m_tree.GetItemData(item) != 0)
      image = kSiteImage;
    int now = -1, selected = -1;
    if (!m_tree.GetItemImage(item, now, selected) || now != image || selected != image)
      m_tree.SetItemImage(item, image, image);
    for (HTREEITEM child = m_tree.GetChildItem(item); child != nullptr; child = m_tree.GetNextSiblingItem(child))
      stack.push_back(child);
  }
}

void CSiteManagerDlg::EnableApply(bool enable)
{
  if (HWND apply = ::GetDlgItem(m_hWnd, IDC_SITE_APPLY))
    ::EnableWindow(apply, enable ? TRUE : FALSE);
}

bool CSiteManagerDlg::AnyPageModified() const
{
  return m_generalPage.IsModified() || m_optionPage.IsModified() || m_proxyPage.IsModified();
}

void CSiteManagerDlg::ReportDroppedPassword(const SiteSectionSaved& saved, const char* siteName)
{
  if (!saved.passwordDropped && !saved.proxyPasswordDropped)
    return;
  char text[256];
  snprintf(text, sizeof text, kPasswordNotStoredText, siteName);
  Box(text, MB_OK | MB_ICONINFORMATION);
}

void CSiteManagerDlg::ShowNodeInPages(HTREEITEM node)
{
  m_pageNode = nullptr;
  g_siteLoaded = FALSE;
  const DWORD_PTR data = node != nullptr ? m_tree.GetItemData(node) : 0;
  if (data != 0) {
    const SiteFields* fields = nullptr;
    bool editable = true;
    if (KindOf(node) == NodeKind::WorkSite) {
      CSiteItem* site = reinterpret_cast<CSiteItem*>(data);
      fields = &WorkSiteFields(site);
      editable = site->m_connected.load() == 0;
    } else {
      fields = reinterpret_cast<SiteRecord*>(data);
    }
    for (CSitePage* page : {static_cast<CSitePage*>(&m_generalPage), static_cast<CSitePage*>(&m_optionPage),
                            static_cast<CSitePage*>(&m_proxyPage)})
      page->LoadFields(*fields);
    m_generalPage.m_editable = editable;
    m_pageNode = node;
    g_siteLoaded = TRUE;
  }
  m_generalPage.RefreshPage();
  m_optionPage.RefreshPage();
  m_proxyPage.RefreshPage();
  EnableApply(false);
}

bool CSiteManagerDlg::SettlePageEdits()
{
  if (m_inFlight > 0)
    return false;
  if (m_pageNode == nullptr || !AnyPageModified())
    return true;
  if (Box(kSaveChangeText, MB_YESNO | MB_ICONQUESTION) == IDYES)
    return ApplySiteChanges(m_pageNode);
  ShowNodeInPages(m_pageNode);  // No: the edits are dropped
  return true;
}

void CSiteManagerDlg::OnApply()
{
  if (m_pageNode != nullptr && AnyPageModified() && m_inFlight == 0)
    ApplySiteChanges(m_pageNode);
}

bool CSiteManagerDlg::ApplySiteChanges(HTREEITEM node)
{
  const DWORD_PTR data = node != nullptr ? m_tree.GetItemData(node) : 0;
  if (data == 0 || node != m_pageNode || m_inFlight > 0)
    return false;
  // Every value is checked before anything is stored: a mnemonic or a save on
  // the way out may come while a refused value was never left.
  if (!m_generalPage.TakeValues() || !m_optionPage.TakeValues() || !m_proxyPage.TakeValues())
    return false;

  const bool work = KindOf(node) == NodeKind::WorkSite;
  CSiteItem* site = work ? reinterpret_cast<CSiteItem*>(data) : nullptr;
  SiteRecord* record = work ? nullptr : reinterpret_cast<SiteRecord*>(data);
  SiteFields edited = work ? WorkSiteFields(site) : static_cast<const SiteFields&>(*record);
  for (const CSitePage* page : {static_cast<const CSitePage*>(&m_generalPage),
                                static_cast<const CSitePage*>(&m_optionPage),
                                static_cast<const CSitePage*>(&m_proxyPage)})
    if (page->IsModified())
      page->StoreInto(edited);
  NormaliseSiteRecord(edited);
  const char* oldName = work ? WorkSiteFields(site).m_name : record->m_name;
  const bool rename = m_generalPage.IsModified() && strcmp(edited.m_name, oldName) != 0;

  const bool stored = work ? ApplyWorkSite(node, site, edited, rename) : ApplySpareSite(node, record, edited, rename);
  if (!stored)
    return false;
  ShowNodeInPages(node);  // shows the values as stored, clears the modified flags
  return true;
}

bool CSiteManagerDlg::ApplyWorkSite(HTREEITEM node, CSiteItem* site, SiteFields& edited, bool rename)
{
  struct Sending {
    int& count;
    explicit Sending(int& c) : count(c) { ++count; }
    ~Sending() { --count; }
  } sending(m_inFlight);
  if (rename) {
    if (const char* refusal = CheckWorkSiteName(m_sites, site, edited.m_name)) {
      Box(refusal);
      return false;
    }
    // The main window renames the site (its key, folder and trees) and writes
    // the name field itself; a refusal was explained there.
    // The site must still sit in its slot: nothing is written to a block the
    // main window let go of while it answered.
    if (!SendRenameWorkSite(m_mainWnd, site, edited.m_name) || FindWorkSiteSlot(m_sites, site) < 0)
      return false;
    m_tree.SetItemText(node, WorkSiteFields(site).m_name);
  }
  CopySiteText(edited.m_name, WorkSiteFields(site).m_name);  // only a rename changes it
  StoreRecordInWorkSite(edited, site);
  SendWorkSiteChanged(m_mainWnd, site);
  return true;
}

bool CSiteManagerDlg::ApplySpareSite(HTREEITEM node, SiteRecord* record, SiteFields& edited, bool rename)
{
  if (rename) {
    if (!IsValidSpareName(edited.m_name)) {
      Box(kInvalidSiteNameText);
      return false;
    }
    for (HTREEITEM sibling = m_tree.GetChildItem(m_tree.GetParentItem(node)); sibling != nullptr;
         sibling = m_tree.GetNextSiblingItem(sibling)) {
      if (sibling != node && std::string(m_tree.GetItemText(sibling)) == edited.m_name) {
        Box(kSpareNameClashText);
        return false;
      }
    }
  }
  const std::vector<std::string> labels = LabelsOf(m_tree.GetParentItem(node));
  const std::string oldSection = MakeLabelPath(record->m_name, labels);
  const std::string section = MakeLabelPath(edited.m_name, labels);
  const SiteSectionSaved saved = SaveSiteSection(*m_ini, section, edited);
  if (!saved.written) {
    Box(kWriteFailedText);
    return false;
  }
  // The new section is written before the old ones go: nothing is lost when
  // the write is refused, and a section read under another name (cut or
  // hand-written) does not come back as a second site at the next start.
  std::vector<std::string> stale = {oldSection};
  const std::string stored = SectionOf(node);
  if (ReadAs(stored, record->m_name, labels))
    stale.push_back(stored);
  for (const std::string& old : stale)
    if (old != section)
      m_ini->DeleteSection(old);
  m_sectionOf[record] = section;
  memcpy(static_cast<SiteFields*>(record), &edited, kSiteFieldsEnd);
  if (rename)
    m_tree.SetItemText(node, record->m_name);
  ReportDroppedPassword(saved, record->m_name);
  if (!SaveSiteFile(*m_ini, m_setup))
    Box(kWriteFailedText);
  return true;
}
