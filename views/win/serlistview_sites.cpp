// The server lists' commands on the site list: connect, disconnect, stop
// work, delete, modify and change the password of the chosen sites, and the
// console. The document does the work; the trees follow.
#include <algorithm>

#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "engine/taskdialogs.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/serlistrules.h"
#include "views/serlistview.h"
#include "views/sertreeview.h"

void CSerLiViewBase::OnConnect()
{
  if (!ShowsSites() || g_pDoc == nullptr)
    return;
  for (int row : SelectedRows()) {
    const CString name = m_list.GetItemText(row, 0);
    const int slot = NodeSite(RowNode(row));
    if (g_pDoc->GetSite(slot) == nullptr || g_pDoc->ConnectSite(slot))
      continue;
    ShowConfirmDlgText(this, name + m_pane.connectRefusal, kConfirmModeError, TRUE);
  }
}

void CSerLiViewBase::OnDisconnect()
{
  if (!ShowsSites() || g_pDoc == nullptr)
    return;
  std::vector<int> slots;
  for (int row : SelectedRows())
    slots.push_back(NodeSite(RowNode(row)));
  for (int slot : slots)
    if (g_pDoc->GetSite(slot) != nullptr)
      g_pDoc->DisconnectSite(slot, FALSE);
}

void CSerLiViewBase::OnStopWork()
{
  int slot = -1;
  if (OneSelectedSite(&slot) == nullptr)
    return;
  if (!Confirm(OPTBIT_CONFIRM_STOP, IDS_CONFIRM_STOP))
    return;
  // The box pumped messages: the slot is read again.
  if (CSiteItem* site = g_pDoc->GetSite(slot))
    site->m_queueRun = 0;
}

void CSerLiViewBase::OnDeleteSite()
{
  if (!ShowsSites() || g_pDoc == nullptr)
    return;
  std::vector<int> rows = SelectedRows();
  if (rows.empty())
    return;
  if (!m_pane.deleteSeveralSites)
    rows.resize(1);
  DeleteSiteSlots(rows);
}

void CSerLiViewBase::DeleteSiteSlots(const std::vector<int>& rows)
{
  // Every chosen site is offered once, in the rows' order; each is found by its
  // slot (the rows move as sites go, and a refused one stays chosen).
  struct Chosen {
    int slot;
    CString name;
  };
  std::vector<Chosen> chosen;
  std::vector<int> slots;
  for (int row : rows) {
    const int slot = NodeSite(RowNode(row));
    if (g_pDoc->GetSite(slot) == nullptr)
      continue;
    chosen.push_back(Chosen{slot, m_list.GetItemText(row, 0)});
    slots.push_back(slot);
  }
  const std::vector<int> refused = DeleteSitesInOrder(slots, [this](int slot) {
    CSiteItem* site = g_pDoc->GetSite(slot);
    if (site == nullptr)
      return false;
    // Both trees' nodes are read before the site goes with its record.
    HTREEITEM first = site->m_hTreeNode, second = site->m_hTreeNode1;
    if (!g_pDoc->DeleteSite(slot))
      return false;
    // Each tree loses the node, and its list the row while it shows the sites.
    if (CSerTrViewBase* tree = DYNAMIC_DOWNCAST(CSerTrViewBase, g_pSerTrView.load()))
      tree->RemoveSiteNode(first);
    if (CSerTrViewBase* tree = DYNAMIC_DOWNCAST(CSerTrViewBase, g_pSerTrView1.load()))
      tree->RemoveSiteNode(second);
    return true;
  });
  if (!ShowsSites())
    return;
  m_list.SetItemState(-1, 0, LVIS_SELECTED);
  for (const Chosen& c : chosen) {
    if (std::find(refused.begin(), refused.end(), c.slot) == refused.end())
      continue;
    EntryRecord e = {};
    snprintf(e.m_name, sizeof e.m_name, "%s", (const char*)c.name);
    const int row = FindListItem(&m_list, &e);
    if (row >= 0)
      m_list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CSerLiViewBase::OnModifyInfo()
{
  int slot = -1;
  CSiteItem* site = OneSelectedSite(&slot);
  CTaskDialogs* dialogs = TaskDialogs();
  if (site == nullptr || dialogs == nullptr)
    return;
  SiteLoginValues values;
  values.host = site->m_host;
  values.port = site->m_port;
  values.name = site->m_name;
  values.user = site->m_user;
  values.password = site->m_password;
  values.limitKind = site->SiteOptionDigits[0];
  values.anonymous = site->SiteOptionDigits[1];
  values.passive = site->SiteOptionDigits[4];
  values.connLimit = site->m_connLimit;
  if (!dialogs->ModifyInfo(this, slot, values) || !g_pDoc->ModifySite(slot, values))
    return;
  for (CSerTrViewBase* tree : {Tree(), OtherTree()})
    if (tree != nullptr)
      tree->RenameSiteNode(slot);
}

void CSerLiViewBase::OnChangePassword()
{
  int slot = -1;
  CSiteItem* site = OneSelectedSite(&slot);
  CTaskDialogs* dialogs = TaskDialogs();
  if (site == nullptr || dialogs == nullptr)
    return;
  ChangePasswordValues values;
  values.siteIndex = slot;
  if (!dialogs->ChangePassword(this, values))
    return;
  site = g_pDoc->GetSite(slot);
  if (site != nullptr)
    LaunchChangePasswordTask(slot, site->m_password, values.newPassword);
}

BOOL CSerLiViewBase::OnManualControlCmd(UINT)
{
  if (!ShowsSites())
    return FALSE;
  OnManualControl();
  return TRUE;
}

void CSerLiViewBase::OnManualControl()
{
  if (!ShowsSites())
    return;
  const std::vector<int> rows = SelectedRows();
  CSiteItem* site = nullptr;
  if (!rows.empty() && g_pDoc != nullptr)
    site = g_pDoc->GetSite(NodeSite(RowNode(rows[0])));
  OpenCommandCtrl(site, this);
}
