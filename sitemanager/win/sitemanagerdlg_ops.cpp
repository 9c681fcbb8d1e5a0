// The site manager's operations on the tree: new sites and labels, delete,
// rename, connect, copy to the work sites, the site file's import, export and
// place, the context menu and the keyboard filter. Work sites are changed only
// by asking the main window; while such a request is answered the dialog takes
// no command, drag, timer work or selection change.
#include "sitemanager/sitemanagerdlg.h"

#include <algorithm>
#include <cstring>

#include "engine/siteitem.h"
#include "framework/commdlgs.h"
#include "shell/doc/sitemanagermsg.h"
#include "shell/sitestore/sitename.h"
#include "sitemanager/initext.h"
#include "sitemanager/sitefiledlg.h"
#include "sitemanager/sitenamedlg.h"
#include "sitemanager/siteres.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitetreerules.h"
#include "sitemanager/worksites.h"
#include "toolkit/bcmenu.h"
#include "toolkit/menuupdate.h"

namespace {

// The message boxes' caption (the dialog's own would make them hard to tell apart).
constexpr char kBoxCaption[] = "ZARN";

constexpr char kSameSpareNameText[] = "Same site name already exsits,please rename it.";
constexpr char kSameNameText[] = "Same site name already exists";
constexpr char kSameSiteOrLabelText[] = "Same site or label name already exists,please rename it.";
constexpr char kLabelOnWorkText[] =
    "Can't create a label on ZARN Work View,please create it on VASK backup view.";
constexpr char kHeadingDeleteText[] = "ZARN headings not permitted to be deleted.";
constexpr char kHeadingEditText[] = "ZARN headings not permitted to be edited.";
constexpr char kIncompleteTaskText[] = "The site has incomplete task so it can't be deleted.";
constexpr char kDeleteQuestion[] = "Are you sure you want to delete ";
constexpr char kWorkViewHasNameText[] =
    "the Work View already has a same site name,\nplease rename it,then you can copy and connect it.";
constexpr char kCreateFailedText[] = "Create site failed. ";
constexpr char kWriteFailedText[] = "Write failed! ";

// Posted to finish a rename after the tree's label editor is gone.
constexpr UINT kFinishRenameMsg = WM_APP + 50;

// Popups of the context menu, in the resource's order.
enum { kMenuWorkSite = 0, kMenuSpareSite = 1, kMenuLabel = 2, kMenuWorkHeading = 3 };

std::string Trimmed(const char* text)
{
  std::string s = text != nullptr ? text : "";
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos)
    return std::string();
  const size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

// Counts a request to the main window as in flight for its whole answer.
class InFlight {
public:
  explicit InFlight(int& count) : m_count(count) { ++m_count; }
  ~InFlight() { --m_count; }
  InFlight(const InFlight&) = delete;
  InFlight& operator=(const InFlight&) = delete;

private:
  int& m_count;
};

bool IsOperation(UINT id)
{
  switch (id) {
  case ID_SITE_DELETE:
  case ID_SITE_CONNECT:
  case ID_SITE_NEW_SITE:
  case ID_SITE_NEW_LABEL:
  case ID_SITE_MODIFY_NAME:
  case ID_SITE_COPY_TO_WORK:
  case IDC_SITE_OPTION:
  case IDC_SITE_IMPORT:
  case IDC_SITE_EXPORT:
  case IDC_SITE_CONNECT:
  case IDC_SITE_NEW_SITE:
  case IDC_SITE_NEW_LABEL:
  case IDC_SITE_DELETE:
    return true;
  default:
    return false;
  }
}

}  // namespace

// ---- tree helpers ----

CSiteManagerDlg::NodeKind CSiteManagerDlg::KindOf(HTREEITEM item) const
{
  if (item == nullptr)
    return NodeKind::None;
  if (item == m_workHeading)
    return NodeKind::WorkHeading;
  if (item == m_spareHeading)
    return NodeKind::SpareHeading;
  HTREEITEM top = item;
  for (HTREEITEM up = m_tree.GetParentItem(top); up != nullptr; up = m_tree.GetParentItem(top))
    top = up;
  if (top == m_workHeading)
    return NodeKind::WorkSite;
  if (top != m_spareHeading)
    return NodeKind::None;
  return m_tree.GetItemData(item) != 0 ? NodeKind::SpareSite : NodeKind::Label;
}

std::vector<std::string> CSiteManagerDlg::LabelsOf(HTREEITEM parent) const
{
  std::vector<std::string> labels;
  for (HTREEITEM up = parent; up != nullptr && up != m_spareHeading; up = m_tree.GetParentItem(up))
    labels.emplace_back(m_tree.GetItemText(up));
  std::reverse(labels.begin(), labels.end());
  return labels;
}

std::string CSiteManagerDlg::SectionOf(HTREEITEM siteItem) const
{
  const auto* record = reinterpret_cast<const SiteRecord*>(m_tree.GetItemData(siteItem));
  if (record == nullptr)
    return std::string();
  auto known = m_sectionOf.find(record);
  if (known != m_sectionOf.end())
    return known->second;
  return MakeLabelPath(record->m_name, LabelsOf(m_tree.GetParentItem(siteItem)));
}

bool CSiteManagerDlg::HasChildNamed(HTREEITEM parent, const std::string& name, HTREEITEM except) const
{
  for (HTREEITEM child = m_tree.GetChildItem(parent); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    if (child != except && std::string(m_tree.GetItemText(child)) == name)
      return true;
  return false;
}

void CSiteManagerDlg::CollectSites(HTREEITEM item, std::vector<HTREEITEM>& sites) const
{
  if (m_tree.GetItemData(item) != 0) {
    sites.push_back(item);
    return;
  }
  for (HTREEITEM child = m_tree.GetChildItem(item); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    CollectSites(child, sites);
}

HTREEITEM CSiteManagerDlg::InsertSiteItem(const char* text, HTREEITEM parent, SiteRecord* record)
{
  HTREEITEM item = m_tree.InsertItem(text, kSiteImage, kSiteImage, parent);
  if (item != nullptr)
    m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(record));
  return item;
}

int CSiteManagerDlg::Box(const char* text, UINT type) { return ::MessageBoxA(m_hWnd, text, kBoxCaption, type); }

void CSiteManagerDlg::ForgetRecord(const SiteRecord* record)
{
  m_sectionOf.erase(record);
  m_records.erase(std::remove_if(m_records.begin(), m_records.end(),
                                 [record](const std::unique_ptr<SiteRecord>& r) { return r.get() == record; }),
                  m_records.end());
}

void CSiteManagerDlg::SaveSpareFile() { SaveSiteFile(*m_ini, m_setup); }

// Writes a spare site's section under its place in the tree; false when the
// section could not be written.
bool CSiteManagerDlg::WriteSpareSite(HTREEITEM item)
{
  auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(item));
  if (record == nullptr)
    return false;
  NormaliseSiteRecord(*record);
  const std::string section = MakeLabelPath(record->m_name, LabelsOf(m_tree.GetParentItem(item)));
  const SiteSectionSaved saved = SaveSiteSection(*m_ini, section, *record);
  if (!saved.written)
    return false;
  m_sectionOf[record] = section;
  ReportDroppedPassword(saved, record->m_name);
  return true;
}

CSiteItem* CSiteManagerDlg::CopyToWorkSite(SiteRecord& record)
{
  CSiteItem* site = nullptr;
  {
    InFlight guard(m_inFlight);
    site = SendAddWorkSite(m_mainWnd, record);
  }
  // Only a site that now sits in a slot is taken for a new one.
  if (site == nullptr || FindWorkSiteSlot(m_sites, site) < 0)
    return nullptr;
  HTREEITEM item = m_tree.InsertItem(WorkSiteFields(site).m_name, kSiteImage, kSiteImage, m_workHeading);
  if (item != nullptr) {
    m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(site));
    m_tree.SelectItem(item);
  }
  return site;
}

// ---- command routing ----

BOOL CSiteManagerDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
  if (m_inFlight > 0)
    return TRUE;
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CSiteManagerDlg::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
  if (IsOperation(nID)) {
    if (nCode == CN_UPDATE_COMMAND_UI) {
      static_cast<CCmdUI*>(pExtra)->Enable(m_inFlight == 0);
      return TRUE;
    }
    if (nCode == CN_COMMAND && pHandlerInfo == nullptr)
      return RunOperation(nID) ? TRUE : FALSE;
  }
  return CDialog::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

bool CSiteManagerDlg::RunOperation(UINT id)
{
  if (m_inFlight > 0 || m_dragging)
    return true;
  switch (id) {
  case ID_SITE_NEW_SITE:
  case IDC_SITE_NEW_SITE: OnNewSite(); break;
  case ID_SITE_NEW_LABEL:
  case IDC_SITE_NEW_LABEL: OnNewLabel(); break;
  case ID_SITE_DELETE:
  case IDC_SITE_DELETE: OnDelete(); break;
  case ID_SITE_MODIFY_NAME: OnModifyName(); break;
  case ID_SITE_CONNECT:
  case IDC_SITE_CONNECT: OnConnect(); break;
  case ID_SITE_COPY_TO_WORK: OnCopyToWorkSite(); break;
  case IDC_SITE_IMPORT: OnImport(); break;
  case IDC_SITE_EXPORT: OnExport(); break;
  case IDC_SITE_OPTION: OnOption(); break;
  default: return false;
  }
  return true;
}

BOOL CSiteManagerDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header == nullptr || header->hwndFrom != m_tree.m_hWnd)
    return CDialog::OnNotify(wParam, lParam, pResult);
  switch (header->code) {
  case TVN_SELCHANGINGA:
  case TVN_SELCHANGINGW:
    // The pages would be filled from, or applied to, a site the request may
    // free. Otherwise pending edits of the site left are saved or dropped
    // first; a refused save keeps the selection, so nothing typed is lost.
    // A drag's hover keeps the selection while edits are pending: a question
    // under the drag's capture would end the drag.
    *pResult = (m_inFlight > 0 || (m_dragging && AnyPageModified()) || !SettlePageEdits()) ? TRUE : FALSE;
    return TRUE;
  case TVN_SELCHANGEDA:
  case TVN_SELCHANGEDW:
    SetTreeImages();
    ShowNodeInPages(reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
    *pResult = 0;
    return TRUE;
  case TVN_DELETEITEMA:
  case TVN_DELETEITEMW:
    // The pages never keep a site whose item goes: its record or work site is
    // freed next, and its edits are dropped.
    if (reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemOld.hItem == m_pageNode)
      ShowNodeInPages(nullptr);
    if (reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemOld.hItem == m_renameItem)
      m_renameItem = nullptr;
    break;
  case TVN_BEGINDRAGA:
  case TVN_BEGINDRAGW:
    if (m_inFlight == 0 && !m_dragging)
      BeginTreeDrag(reinterpret_cast<NMTREEVIEWA*>(lParam)->itemNew.hItem);
    *pResult = 0;
    return TRUE;
  case TVN_BEGINLABELEDITA:
  case TVN_BEGINLABELEDITW:
    if (m_inFlight > 0 || m_dragging) {
      *pResult = TRUE;
      return TRUE;
    }
    if (HWND edit = reinterpret_cast<HWND>(m_tree.SendMessage(TVM_GETEDITCONTROL)))
      ::SendMessageA(edit, EM_LIMITTEXT, kSpareNameMax, 0);
    *pResult = FALSE;
    return TRUE;
  // The rename runs once the editor is gone: a box shown while it still
  // exists takes its focus, which ends the edit a second time.
  case TVN_ENDLABELEDITA: {
    auto* info = reinterpret_cast<NMTVDISPINFOA*>(lParam);
    if (info->item.pszText != nullptr && m_renameItem == nullptr) {
      m_renameItem = info->item.hItem;
      m_renameText = info->item.pszText;
      PostMessage(kFinishRenameMsg, 0, 0);
    }
    *pResult = FALSE;  // the tree never takes the text by itself
    return TRUE;
  }
  case TVN_ENDLABELEDITW: {
    auto* info = reinterpret_cast<NMTVDISPINFOW*>(lParam);
    if (info->item.pszText != nullptr && m_renameItem == nullptr) {
      char text[256] = "";
      ::WideCharToMultiByte(CP_ACP, 0, info->item.pszText, -1, text, sizeof text - 1, nullptr, nullptr);
      m_renameItem = info->item.hItem;
      m_renameText = text;
      PostMessage(kFinishRenameMsg, 0, 0);
    }
    *pResult = FALSE;
    return TRUE;
  }
  case NM_RCLICK:
    if (m_inFlight == 0 && !m_dragging)
      ShowRightClickMenu();
    *pResult = TRUE;
    return TRUE;
  default:
    break;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CSiteManagerDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  switch (message) {
  case kFinishRenameMsg:
    if (m_inFlight > 0 || m_dragging) {
      PostMessage(kFinishRenameMsg, 0, 0);  // after the answer
    } else if (m_renameItem != nullptr) {
      HTREEITEM item = m_renameItem;
      const std::string text = m_renameText;
      m_renameItem = nullptr;
      FinishLabelEdit(item, text.c_str());
    }
    if (pResult != nullptr)
      *pResult = 0;
    return TRUE;
  case WM_TIMER:
    if (m_inFlight > 0) {
      if (pResult != nullptr)
        *pResult = 0;
      return TRUE;
    }
    if (wParam == 10) {
      // Apply follows the pages' modified flags; it is disabled only by Apply
      // itself or a new selection.
      if (AnyPageModified())
        EnableApply(true);
      return TRUE;
    }
    if (wParam == 1) {
      // The drag rested on its target: open it.
      KillTimer(1);
      m_hoverTimer = 0;
      if (m_dragging && m_dropTarget != nullptr) {
        CImageList::DragShowNolock(FALSE);
        m_tree.SelectItem(m_dropTarget);
        m_tree.Expand(m_dropTarget, TVE_EXPAND);
        m_tree.UpdateWindow();
        CImageList::DragShowNolock(TRUE);
      }
      return TRUE;
    }
    break;
  case WM_MOUSEMOVE:
    if (m_dragging) {
      DragTo(CPoint(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      return TRUE;
    }
    break;
  case WM_LBUTTONUP:
    if (m_dragging) {
      EndTreeDrag(true);
      return TRUE;
    }
    break;
  case WM_CAPTURECHANGED:
    if (m_dragging && reinterpret_cast<HWND>(lParam) != m_hWnd)
      EndTreeDrag(false);
    break;
  case WM_MENUCHAR:
    if (BCMenu::IsOwnMenuHandle(reinterpret_cast<HMENU>(lParam))) {
      CMenu* menu = CMenu::FromHandle(reinterpret_cast<HMENU>(lParam));
      const LRESULT r = BCMenu::OnMenuChar(LOWORD(wParam), HIWORD(wParam), menu);
      if (pResult != nullptr)
        *pResult = r;
      return TRUE;
    }
    break;
  case WM_MEASUREITEM: {
    auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
    if (mis != nullptr && mis->CtlType == ODT_MENU && BCMenu::MeasureItemEntry(mis)) {
      if (pResult != nullptr)
        *pResult = TRUE;
      return TRUE;
    }
    break;
  }
  case WM_DESTROY:
    if (m_dragging)
      EndTreeDrag(false);
    KillTimer(10);
    m_applyTimer = 0;
    break;
  default:
    break;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CSiteManagerDlg::PreTranslateMessage(MSG* pMsg)
{
  if (pMsg->message == WM_LBUTTONDOWN && pMsg->hwnd == m_tree.m_hWnd)
    m_lastPressTick = ::GetTickCount();
  if (m_dragging && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
    EndTreeDrag(false);
    return TRUE;
  }
  // The label editor gets its own keys, or the dialog would take Enter and Esc.
  HWND edit = reinterpret_cast<HWND>(m_tree.SendMessage(TVM_GETEDITCONTROL));
  if (edit != nullptr && pMsg->hwnd == edit && ::GetFocus() == edit &&
      (pMsg->message == WM_KEYDOWN || pMsg->message == WM_CHAR)) {
    const WPARAM key = pMsg->wParam;
    const bool own = key == VK_BACK || key == VK_RETURN || key == VK_SHIFT || key == VK_CONTROL ||
                     key == VK_ESCAPE || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN ||
                     key == VK_DELETE || (key >= '0' && key <= 'Z');
    if (own) {
      ::TranslateMessage(pMsg);
      ::DispatchMessageA(pMsg);
      return TRUE;
    }
  }
  return CDialog::PreTranslateMessage(pMsg);
}

// ---- new site, new label ----

void CSiteManagerDlg::OnNewSite()
{
  HTREEITEM selected = m_tree.GetSelectedItem();
  const NodeKind kind = KindOf(selected);
  if (kind == NodeKind::None)
    return;
  const bool work = kind == NodeKind::WorkHeading || kind == NodeKind::WorkSite;
  CSiteNameDlg ask(this);
  ask.m_mode = work ? CSiteNameDlg::kWorkSite : CSiteNameDlg::kSpareSite;
  if (ask.DoModal() != IDOK)
    return;
  const std::string name = Trimmed(ask.m_name);
  if (name.empty())
    return;

  if (work) {
    if (const char* refusal = CheckWorkSiteName(m_sites, nullptr, name.c_str())) {
      Box(refusal);
      return;
    }
    std::unique_ptr<SiteRecord> temporary = NewSiteRecord();
    CopySiteText(temporary->m_name, name.c_str());
    if (name.find('.') != std::string::npos)
      CopySiteText(temporary->m_host, name.c_str());
    CopyToWorkSite(*temporary);
    return;
  }

  if (!IsValidSpareName(name)) {
    Box(kInvalidSiteNameText);
    return;
  }
  HTREEITEM parent = kind == NodeKind::SpareSite ? m_tree.GetParentItem(selected) : selected;
  if (HasChildNamed(parent, name)) {
    Box(kSameNameText);
    return;
  }
  std::unique_ptr<SiteRecord> owned = NewSiteRecord();
  SiteRecord* record = owned.get();
  CopySiteText(record->m_name, name.c_str());
  if (name.find('.') != std::string::npos)
    CopySiteText(record->m_host, name.c_str());
  m_records.push_back(std::move(owned));
  HTREEITEM item = InsertSiteItem(record->m_name, parent, record);
  const bool written = item != nullptr && WriteSpareSite(item);
  if (!written || !SaveSiteFile(*m_ini, m_setup)) {
    if (written)
      m_ini->DeleteSection(SectionOf(item));
    if (item != nullptr)
      m_tree.DeleteItem(item);
    ForgetRecord(record);
    Box(kCreateFailedText);
    return;
  }
  m_tree.Expand(parent, TVE_EXPAND);
  m_tree.SelectItem(item);
}

void CSiteManagerDlg::OnNewLabel()
{
  HTREEITEM selected = m_tree.GetSelectedItem();
  const NodeKind kind = KindOf(selected);
  if (kind != NodeKind::SpareHeading && kind != NodeKind::Label && kind != NodeKind::SpareSite) {
    Box(kLabelOnWorkText);
    return;
  }
  HTREEITEM parent = kind == NodeKind::SpareSite ? m_tree.GetParentItem(selected) : selected;
  CSiteNameDlg ask(this);
  ask.m_mode = CSiteNameDlg::kLabel;
  if (ask.DoModal() != IDOK)
    return;
  const std::string name = Trimmed(ask.m_name);
  if (name.empty())
    return;
  if (!IsValidSpareName(name)) {
    Box(kInvalidSiteNameText);
    return;
  }
  if (HasChildNamed(parent, name)) {
    Box(kWorkSiteNameClashText);
    return;
  }
  // A label holds no section: it is stored once a site sits under it.
  HTREEITEM item = m_tree.InsertItem(name.c_str(), kLabelImage, kLabelImage, parent);
  if (item == nullptr)
    return;
  m_tree.Expand(parent, TVE_EXPAND);
  m_tree.SelectItem(item);
}

// ---- delete ----

void CSiteManagerDlg::OnDelete()
{
  HTREEITEM item = m_tree.GetSelectedItem();
  const NodeKind kind = KindOf(item);
  if (kind == NodeKind::None)
    return;
  if (kind == NodeKind::WorkHeading || kind == NodeKind::SpareHeading) {
    Box(kHeadingDeleteText);
    return;
  }
  const std::string name(m_tree.GetItemText(item));
  HTREEITEM parent = m_tree.GetParentItem(item);
  // Once the delete is confirmed, edits of what goes are dropped (never
  // applied to a site about to be freed); others are settled as usual.
  auto letGoOfPages = [this, item]() {
    for (HTREEITEM up = m_pageNode; up != nullptr; up = m_tree.GetParentItem(up))
      if (up == item) {
        ShowNodeInPages(nullptr);
        return true;
      }
    return SettlePageEdits();
  };

  if (kind == NodeKind::WorkSite) {
    auto* site = reinterpret_cast<CSiteItem*>(m_tree.GetItemData(item));
    if (site->m_taskCount.load() > 0) {
      Box(kIncompleteTaskText);
      return;
    }
    if (Box((kDeleteQuestion + name).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES || !letGoOfPages())
      return;
    // The pages let go of the site before it may be freed.
    m_tree.SelectItem(parent);
    if (m_tree.GetSelectedItem() != parent)
      return;
    bool deleted = false;
    {
      InFlight guard(m_inFlight);
      deleted = SendDeleteWorkSite(m_mainWnd, site, m_sites);
    }
    if (deleted)
      m_tree.DeleteItem(item);
    else
      m_tree.SelectItem(item);
    return;
  }

  if (Box((kDeleteQuestion + name).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES || !letGoOfPages())
    return;
  std::vector<HTREEITEM> sites;
  CollectSites(item, sites);
  m_tree.SelectItem(parent);
  if (m_tree.GetSelectedItem() != parent)
    return;
  std::vector<const SiteRecord*> gone;
  for (HTREEITEM site : sites) {
    m_ini->DeleteSection(SectionOf(site));
    gone.push_back(reinterpret_cast<const SiteRecord*>(m_tree.GetItemData(site)));
  }
  SaveSpareFile();
  // Items first, then the records they point at.
  m_tree.DeleteItem(item);
  for (const SiteRecord* record : gone)
    ForgetRecord(record);
}

// ---- rename ----

void CSiteManagerDlg::OnModifyName()
{
  HTREEITEM item = m_tree.GetSelectedItem();
  const NodeKind kind = KindOf(item);
  if (kind == NodeKind::None || kind == NodeKind::WorkHeading || kind == NodeKind::SpareHeading)
    return;
  m_tree.SetFocus();
  m_tree.EditLabel(item);
}

bool CSiteManagerDlg::FinishLabelEdit(HTREEITEM item, const char* text)
{
  const NodeKind kind = KindOf(item);
  if (kind == NodeKind::WorkHeading || kind == NodeKind::SpareHeading) {
    Box(kHeadingEditText);
    return false;
  }
  const std::string name = Trimmed(text);
  const std::string old(m_tree.GetItemText(item));
  if (name.empty() || name == old)
    return false;
  if (!SettlePageEdits())
    return false;

  if (kind == NodeKind::WorkSite) {
    auto* site = reinterpret_cast<CSiteItem*>(m_tree.GetItemData(item));
    if (const char* refusal = CheckWorkSiteName(m_sites, site, name.c_str())) {
      Box(refusal == kWorkSiteNameClashText ? kSameSiteOrLabelText : refusal);
      return false;
    }
    bool renamed = false;
    {
      InFlight guard(m_inFlight);
      renamed = SendRenameWorkSite(m_mainWnd, site, name.c_str());
    }
    if (!renamed || FindWorkSiteSlot(m_sites, site) < 0)
      return false;
    m_tree.SetItemText(item, WorkSiteFields(site).m_name);
    if (m_tree.GetSelectedItem() == item)
      ShowNodeInPages(item);
    return true;
  }

  if (!IsValidSpareName(name)) {
    Box(kInvalidSiteNameText);
    return false;
  }
  if (HasChildNamed(m_tree.GetParentItem(item), name, item)) {
    Box(kSameSiteOrLabelText);
    return false;
  }
  if (kind == NodeKind::SpareSite)
    RenameSpareSite(item, name);
  else
    RenameLabel(item, name);
  return true;
}

void CSiteManagerDlg::RenameSpareSite(HTREEITEM item, const std::string& name)
{
  auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(item));
  const std::string from = SectionOf(item);
  const std::string to = MakeLabelPath(name, LabelsOf(m_tree.GetParentItem(item)));
  if (!MoveSiteSection(*m_ini, from, to)) {
    // Never stored (or lost by hand): write it whole under the new name.
    SaveSiteSection(*m_ini, to, *record);
  }
  CopySiteText(record->m_name, name.c_str());
  m_sectionOf[record] = to;
  m_tree.SetItemText(item, record->m_name);
  SaveSpareFile();
  if (m_tree.GetSelectedItem() == item)
    ShowNodeInPages(item);
}

void CSiteManagerDlg::RenameLabel(HTREEITEM item, const std::string& name)
{
  std::vector<HTREEITEM> sites;
  CollectSites(item, sites);
  std::vector<std::string> from;
  for (HTREEITEM site : sites)
    from.push_back(SectionOf(site));
  m_tree.SetItemText(item, name.c_str());
  for (size_t i = 0; i < sites.size(); ++i) {
    auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(sites[i]));
    const std::string to = MakeLabelPath(record->m_name, LabelsOf(m_tree.GetParentItem(sites[i])));
    if (!MoveSiteSection(*m_ini, from[i], to))
      SaveSiteSection(*m_ini, to, *record);
    m_sectionOf[record] = to;
  }
  SaveSpareFile();
}

// ---- connect and copy ----

void CSiteManagerDlg::OnConnect()
{
  HTREEITEM item = m_tree.GetSelectedItem();
  const NodeKind kind = KindOf(item);
  if (kind != NodeKind::WorkSite && kind != NodeKind::SpareSite)
    return;
  // Pending edits are applied without asking: the user connects to what the
  // pages show.
  if (m_pageNode != nullptr && AnyPageModified() && !ApplySiteChanges(m_pageNode))
    return;
  CSiteItem* site = nullptr;
  if (kind == NodeKind::SpareSite) {
    auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(item));
    if (const char* refusal = CheckWorkSiteName(m_sites, nullptr, record->m_name)) {
      Box(refusal == kWorkSiteNameClashText ? kWorkViewHasNameText : refusal);
      return;
    }
    site = CopyToWorkSite(*record);
    if (site == nullptr)
      return;  // refused: the main window said why; the dialog stays
  } else {
    site = reinterpret_cast<CSiteItem*>(m_tree.GetItemData(item));
  }
  if (FindWorkSiteSlot(m_sites, site) < 0)
    return;
  {
    InFlight guard(m_inFlight);
    ::SendMessageA(m_mainWnd, UWM_SITE_MANAGER_EDIT, SITEEDIT_SELECT, reinterpret_cast<LPARAM>(site->m_hTreeNode));
  }
  LeaveDialog();
}

void CSiteManagerDlg::OnCopyToWorkSite()
{
  HTREEITEM item = m_tree.GetSelectedItem();
  if (KindOf(item) != NodeKind::SpareSite)
    return;
  auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(item));
  if (const char* refusal = CheckWorkSiteName(m_sites, nullptr, record->m_name)) {
    Box(refusal == kWorkSiteNameClashText ? kWorkViewHasNameText : refusal);
    return;
  }
  CopyToWorkSite(*record);
}

// ---- the site file ----

void CSiteManagerDlg::OnImport()
{
  if (!SettlePageEdits())
    return;
  CFileDialog box(TRUE, kSiteFileExt, kSiteFileDefaultName, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kSiteFileFilter,
                  this);
  if (box.DoModal() != IDOK)
    return;
  const std::string path(box.GetPathName());
  if (path.empty())
    return;
  StoreSiteFilePath(path.c_str());
  m_setup.siteFile = path;
  m_setup.siteFileStored = true;
  // The pages and the tree let go of every spare record before they are freed.
  m_tree.SelectItem(m_spareHeading);
  if (m_tree.GetSelectedItem() != m_spareHeading)
    return;
  while (HTREEITEM child = m_tree.GetChildItem(m_spareHeading))
    m_tree.DeleteItem(child);
  m_sectionOf.clear();
  m_records.clear();
  m_ini = std::make_unique<CIniText>(path.c_str());
  FillSpareSites();
  m_tree.Expand(m_spareHeading, TVE_EXPAND);
  m_tree.SelectItem(m_spareHeading);
}

void CSiteManagerDlg::OnExport()
{
  CFileDialog box(FALSE, kSiteFileExt, kSiteFileDefaultName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kSiteFileFilter,
                  this);
  if (box.DoModal() != IDOK)
    return;
  if (!m_ini->Save(box.GetPathName()))
    Box(kWriteFailedText);
}

void CSiteManagerDlg::OnOption()
{
  CSiteFileDlg ask(this);
  ask.m_path = m_setup.siteFile.c_str();
  if (ask.DoModal() != IDOK)
    return;
  const std::string path = Trimmed(ask.m_path);
  if (path.empty() || _stricmp(path.c_str(), m_setup.siteFile.c_str()) == 0)
    return;
  // The file moves only once its text is safely there.
  if (!m_ini->Save(path.c_str()) || !StoreSiteFilePath(path.c_str())) {
    Box(kWriteFailedText);
    return;
  }
  m_setup.siteFile = path;
  m_setup.siteFileStored = true;
}

// ---- context menu ----

void CSiteManagerDlg::ShowRightClickMenu()
{
  CPoint screen;
  ::GetCursorPos(&screen);
  CPoint at = screen;
  m_tree.ScreenToClient(&at);
  HTREEITEM item = m_tree.HitTest(at);
  if (item == nullptr)
    return;
  m_tree.SelectItem(item);
  if (m_tree.GetSelectedItem() != item)
    return;
  int index = -1;
  switch (KindOf(item)) {
  case NodeKind::WorkSite: index = kMenuWorkSite; break;
  case NodeKind::SpareSite: index = kMenuSpareSite; break;
  case NodeKind::Label:
  case NodeKind::SpareHeading: index = kMenuLabel; break;
  case NodeKind::WorkHeading: index = kMenuWorkHeading; break;
  default: return;
  }
  BCMenu menu;
  if (!menu.LoadMenu(IDR_SITE_MENU))
    return;
  CMenu* popup = menu.GetSubMenu(index);
  if (popup == nullptr) {
    menu.DestroyMenu();
    return;
  }
  if (KindOf(item) == NodeKind::SpareHeading) {
    // A heading is neither deleted nor renamed: only "New..." stays.
    while (popup->GetMenuItemCount() > 1)
      popup->RemoveMenu(popup->GetMenuItemCount() - 1, MF_BYPOSITION);
  }
  UpdatePopupMenuUI(this, popup);
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, this);
  menu.DestroyMenu();
}

// ---- leaving ----

void CSiteManagerDlg::LeaveDialog()
{
  if (m_dragging)
    EndTreeDrag(false);
  KillTimer(10);
  m_applyTimer = 0;
  m_tree.DeleteAllItems();  // before the records the items point at
  m_sectionOf.clear();
  m_records.clear();
  EndDialog(IDOK);
}
