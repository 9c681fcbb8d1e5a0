// Dragging sites and labels in the site manager's tree: a work site dropped in
// the spare part becomes a spare site, a spare site dropped on the work heading
// a work site, and a spare subtree moves under another label with its sections
// rewritten. Which drop does what is DecideSiteDrop's.
#include "sitemanager/sitemanagerdlg.h"

#include "sitemanager/initext.h"
#include "sitemanager/siterules.h"
#include "sitemanager/sitetreerules.h"
#include "sitemanager/worksites.h"

namespace {

// A drag starts only this long after the button went down, so a slow click
// never moves a site.
constexpr DWORD kDragDelayMs = 200;
constexpr UINT kHoverMs = 1000;
constexpr int kScrollUpZone = 20;
constexpr int kScrollDownZone = 30;

constexpr char kCreateFailedText[] = "Create site failed. ";
constexpr char kWorkViewHasNameText[] =
    "the Work View already has a same site name,\nplease rename it,then you can copy and connect it.";

SiteNodeKind RuleKind(CSiteManagerDlg::NodeKind kind)
{
  using K = CSiteManagerDlg::NodeKind;
  switch (kind) {
  case K::WorkHeading: return SiteNodeKind::WorkHeading;
  case K::SpareHeading: return SiteNodeKind::SpareHeading;
  case K::WorkSite: return SiteNodeKind::WorkSite;
  case K::SpareSite: return SiteNodeKind::SpareSite;
  case K::Label: return SiteNodeKind::Label;
  default: return SiteNodeKind::None;
  }
}

}  // namespace

void CSiteManagerDlg::BeginTreeDrag(HTREEITEM item)
{
  if (item == nullptr || m_tree.GetParentItem(item) == nullptr)
    return;
  if (::GetTickCount() - m_lastPressTick < kDragDelayMs)
    return;
  m_dragImage.reset(m_tree.CreateDragImage(item));
  m_dragSource = item;
  m_dropTarget = nullptr;
  m_dragging = true;
  CPoint screen;
  ::GetCursorPos(&screen);
  if (m_dragImage) {
    m_dragImage->BeginDrag(0, CPoint(0, 0));
    CImageList::DragEnter(nullptr, screen);
  }
  SetCapture();
}

void CSiteManagerDlg::DragTo(CPoint dialogPoint)
{
  m_lastDragPoint = dialogPoint;
  m_hoverTimer = SetTimer(1, kHoverMs, nullptr);
  CPoint screen = dialogPoint;
  ClientToScreen(&screen);
  if (m_dragImage)
    CImageList::DragMove(screen);
  CPoint inTree = screen;
  m_tree.ScreenToClient(&inTree);
  CRect client;
  m_tree.GetClientRect(&client);
  if (m_dragImage)
    CImageList::DragShowNolock(FALSE);
  if (inTree.y < kScrollUpZone)
    m_tree.SendMessage(WM_VSCROLL, SB_LINEUP, 0);
  else if (inTree.y > client.Height() - kScrollDownZone)
    m_tree.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
  HTREEITEM target = client.PtInRect(inTree) ? m_tree.HitTest(inTree) : nullptr;
  if (target != m_dropTarget) {
    m_tree.SelectDropTarget(target);
    m_dropTarget = target;
  }
  if (m_dragImage)
    CImageList::DragShowNolock(TRUE);
}

void CSiteManagerDlg::EndTreeDrag(bool drop)
{
  if (!m_dragging)
    return;
  m_dragging = false;
  if (m_dragImage) {
    CImageList::DragLeave(nullptr);
    CImageList::EndDrag();
    m_dragImage.reset();
  }
  if (::GetCapture() == m_hWnd)
    ::ReleaseCapture();
  m_tree.SelectDropTarget(nullptr);
  if (m_hoverTimer != 0) {
    KillTimer(1);
    m_hoverTimer = 0;
  }
  HTREEITEM source = m_dragSource;
  HTREEITEM target = m_dropTarget;
  m_dragSource = nullptr;
  m_dropTarget = nullptr;
  if (drop && source != nullptr)
    DropOn(source, target);
}

HTREEITEM CSiteManagerDlg::CopySubtree(HTREEITEM source, HTREEITEM parent)
{
  int image = 0, selectedImage = 0;
  m_tree.GetItemImage(source, image, selectedImage);
  HTREEITEM copy = m_tree.InsertItem(m_tree.GetItemText(source), image, selectedImage, parent);
  if (copy == nullptr)
    return nullptr;
  m_tree.SetItemData(copy, m_tree.GetItemData(source));
  for (HTREEITEM child = m_tree.GetChildItem(source); child != nullptr; child = m_tree.GetNextSiblingItem(child))
    CopySubtree(child, copy);
  return copy;
}

void CSiteManagerDlg::DropOn(HTREEITEM source, HTREEITEM target)
{
  SiteDropQuery query;
  query.source = RuleKind(KindOf(source));
  query.target = RuleKind(KindOf(target));
  query.sameItem = source == target;
  for (HTREEITEM up = target; up != nullptr; up = m_tree.GetParentItem(up))
    if (up == source)
      query.targetInSourceSubtree = true;
  if (target != nullptr)
    query.targetHasChildNamed = HasChildNamed(target, std::string(m_tree.GetItemText(source)));

  switch (DecideSiteDrop(query)) {
  case SiteDropAction::WorkToSpare: {
    auto* site = reinterpret_cast<CSiteItem*>(m_tree.GetItemData(source));
    if (FindWorkSiteSlot(m_sites, site) < 0)
      return;
    std::unique_ptr<SiteRecord> owned = RecordFromWorkSite(site);
    SiteRecord* record = owned.get();
    m_records.push_back(std::move(owned));
    HTREEITEM item = InsertSiteItem(record->m_name, target, record);
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
    m_tree.Expand(target, TVE_EXPAND);
    m_tree.SelectItem(item);
    return;
  }
  case SiteDropAction::SpareToWork: {
    auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(source));
    if (const char* refusal = CheckWorkSiteName(m_sites, nullptr, record->m_name)) {
      Box(refusal == kWorkSiteNameClashText ? kWorkViewHasNameText : refusal);
      return;
    }
    CopyToWorkSite(*record);
    return;
  }
  case SiteDropAction::MoveInSpare: {
    if (!SettlePageEdits())
      return;
    std::vector<HTREEITEM> oldSites;
    CollectSites(source, oldSites);
    std::vector<std::string> from;
    for (HTREEITEM site : oldSites)
      from.push_back(SectionOf(site));
    HTREEITEM moved = CopySubtree(source, target);
    if (moved == nullptr)
      return;
    std::vector<HTREEITEM> newSites;
    CollectSites(moved, newSites);
    for (size_t i = 0; i < newSites.size() && i < from.size(); ++i) {
      auto* record = reinterpret_cast<SiteRecord*>(m_tree.GetItemData(newSites[i]));
      const std::string to = MakeLabelPath(record->m_name, LabelsOf(m_tree.GetParentItem(newSites[i])));
      if (!MoveSiteSection(*m_ini, from[i], to))
        SaveSiteSection(*m_ini, to, *record);
      m_sectionOf[record] = to;
    }
    SaveSpareFile();
    m_tree.Expand(target, TVE_EXPAND);
    // The new item is selected before the old subtree goes, so the pages never
    // hold a removed item.
    m_tree.SelectItem(moved);
    m_tree.DeleteItem(source);
    return;
  }
  default:
    return;
  }
}
