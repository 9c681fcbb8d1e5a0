// The server trees' commands on site nodes: a site's node and row removed or
// renamed after the document deleted or changed the site.
#include <cstring>

#include "shell/doc/zarndoc.h"
#include "views/filelistctrl.h"
#include "views/panelinks.h"
#include "views/sertreeview.h"

int CSerTrViewBase::SiteRowOf(HTREEITEM node)
{
  CPartnerList* list = Partner();
  if (list == nullptr || m_tree.GetSelectedItem() != m_tree.GetRootItem())
    return -1;
  EntryRecord probe = {};
  strncpy(probe.m_name, m_tree.GetItemText(node), sizeof probe.m_name - 1);
  return m_helper.FindListItem(&list->FileList(), &probe);
}

void CSerTrViewBase::RemoveSiteNode(int slot)
{
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  if (site != nullptr)
    RemoveSiteNode(SiteNodeField(site));
}

void CSerTrViewBase::RemoveSiteNode(HTREEITEM node)
{
  if (!IsSiteNode(node))
    return;
  // A selection below the node would move while the node goes, listing
  // whatever the tree picks: the root takes it first.
  for (HTREEITEM item = m_tree.GetSelectedItem(); item != nullptr; item = m_tree.GetParentItem(item))
    if (item == node) {
      SelectRoot();
      break;
    }
  const int row = SiteRowOf(node);
  if (row >= 0)
    Partner()->FileList().DeleteItem(row);
  m_tree.DeleteItem(node);
}

void CSerTrViewBase::RenameSiteNode(int slot)
{
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  if (site == nullptr)
    return;
  HTREEITEM node = SiteNodeField(site);
  if (!IsSiteNode(node))
    return;
  const CString name(site->m_name, (int)strnlen(site->m_name, sizeof site->m_name));
  const int row = SiteRowOf(node);
  m_tree.SetItemText(node, name);
  if (row >= 0)
    Partner()->FileList().SetItemText(row, 0, name);
}
