// The server trees' site commands: connect, disconnect, stop the site's work,
// its login changed or the site deleted (with its nodes and rows in both
// trees), a new password, the console, search and the structure record.
#include <cstdio>
#include <cstring>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/launchers.h"
#include "engine/progthread.h"
#include "engine/taskdialogs.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "views/filelistctrl.h"
#include "views/panelinks.h"
#include "views/sertreeview.h"

namespace {

const char kConnectFailedText[] = "Cant't connect. Back! ";
const char kConnectFailedText1[] = "::Can't connect, terminated,please check the network";
const char kTaskConnectFailedText[] = "%s::Cant't connect. Back!\r\n";

template <size_t N>
CString FieldText(const char (&field)[N])
{
  return CString(field, (int)strnlen(field, N));
}

}  // namespace

CSerTrViewBase* CSerTrViewBase::OtherTree() const
{
  CWnd* other = (m_pane.paneFlag != 0 ? g_pSerTrView1 : g_pSerTrView).load();
  return DYNAMIC_DOWNCAST(CSerTrViewBase, other);
}

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
  EndPendingEditUnder(node);
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

// ---- Connect, Disconnect, Stop Work ----

void CSerTrViewBase::OnConnect()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  if (!IsSiteNode(node) || SiteOfNode(node, &siteIndex) == nullptr) {
    ShowConfirmDlg(this, IDS_SELECTION_ERROR, kConfirmModeError);
    return;
  }
  if (!g_pDoc->ConnectSite(siteIndex))
    ShowConfirmDlgText(this, m_pane.paneFlag != 0 ? kConnectFailedText : kConnectFailedText1, kConfirmModeError,
                       TRUE);
}

void CSerTrViewBase::OnDisconnect()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  if (!IsSiteNode(node) || SiteOfNode(node, &siteIndex) == nullptr) {
    ShowConfirmDlg(this, IDS_SELECTION_ERROR, kConfirmModeError);
    return;
  }
  g_pDoc->DisconnectSite(siteIndex, FALSE);
}

void CSerTrViewBase::OnStopWork()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  if (!IsSiteNode(node) || SiteOfNode(node, &siteIndex) == nullptr) {
    ShowConfirmDlg(this, IDS_SELECTION_ERROR, kConfirmModeError);
    return;
  }
  if (!Confirm(OPTBIT_CONFIRM_STOP, IDS_CONFIRM_STOP))
    return;
  // The site's tasks stop at their next look at the flag.
  if (CSiteItem* site = g_pDoc->GetSite(siteIndex))
    site->m_queueRun = 0;
}

// ---- Modify Info, Delete Site, Change Password ----

void CSerTrViewBase::OnModifyInfo()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  CSiteItem* site = IsSiteNode(node) ? SiteOfNode(node, &siteIndex) : nullptr;
  CTaskDialogs* dialogs = TaskDialogs();
  if (site == nullptr || dialogs == nullptr)
    return;
  SiteLoginValues values;
  values.host = FieldText(site->m_host);
  values.port = site->m_port;
  values.name = FieldText(site->m_name);
  values.user = FieldText(site->m_user);
  values.password = FieldText(site->m_password);
  values.limitKind = site->SiteOptionDigits[0];
  values.anonymous = site->SiteOptionDigits[1];
  values.passive = site->SiteOptionDigits[4];
  values.connLimit = site->m_connLimit;
  if (!dialogs->ModifyInfo(this, siteIndex, values) || !g_pDoc->ModifySite(siteIndex, values))
    return;
  RenameSiteNode(siteIndex);
  if (CSerTrViewBase* other = OtherTree())
    other->RenameSiteNode(siteIndex);
}

void CSerTrViewBase::OnDeleteSite()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  CSiteItem* site = IsSiteNode(node) ? SiteOfNode(node, &siteIndex) : nullptr;
  if (site == nullptr)
    return;
  // Both nodes are read now: the site record goes with the slot.
  CSerTrViewBase* other = OtherTree();
  HTREEITEM otherNode = other != nullptr ? other->SiteNodeField(site) : nullptr;
  if (!g_pDoc->DeleteSite(siteIndex))
    return;
  RemoveSiteNode(node);
  if ((other = OtherTree()) != nullptr)
    other->RemoveSiteNode(otherNode);
}

void CSerTrViewBase::OnChangePassword()
{
  HTREEITEM node = CommandNode();
  int siteIndex = -1;
  if (!IsSiteNode(node) || SiteOfNode(node, &siteIndex) == nullptr) {
    ShowConfirmDlg(this, IDS_SELECTION_ERROR, kConfirmModeError);
    return;
  }
  ChangePasswordValues values;
  values.siteIndex = siteIndex;
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->ChangePassword(this, values))
    return;
  // The dialog pumped messages: the slot is read again.
  CSiteItem* site = g_pDoc->GetSite(siteIndex);
  if (site == nullptr)
    return;
  const CString stored = FieldText(site->m_password);
  LaunchChangePasswordTask(siteIndex, stored, values.newPassword);
}

// ---- Manual Control, Search, Directory Structure ----

void CSerTrViewBase::OnManualControl()
{
  HTREEITEM node = CommandNode();
  OpenCommandCtrl(SiteOfNode(node, nullptr), this);
}

namespace {

// The dialog's site, connected; its box and null when the connect fails.
CSiteItem* ConnectedTaskSite(CWnd* view, int siteIndex)
{
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  if (site == nullptr || site->m_connected.load() != 0)
    return site;
  const CString host = FieldText(site->m_host);
  if (!g_pDoc->ConnectSite(siteIndex)) {
    CString text;
    text.Format(kTaskConnectFailedText, (const char*)host);
    ShowConfirmDlgText(view, text, kConfirmModeError, TRUE);
    return nullptr;
  }
  // The connect may have prompted (and pumped messages).
  return g_pDoc->GetSite(siteIndex);
}

}  // namespace

void CSerTrViewBase::OnSearch()
{
  HTREEITEM node = CommandNode();
  SearchFileValues values;
  int siteIndex = -1;
  if (SiteOfNode(node, &siteIndex) != nullptr) {
    values.startFolder = m_helper.GetItemPath(&m_tree, node, nullptr, FALSE);
    values.siteIndex = siteIndex;
  }
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->SearchFile(this, values))
    return;
  CSiteItem* site = ConnectedTaskSite(this, values.siteIndex);
  if (site == nullptr)
    return;
  // Set again after a Stop Work, or the task would stop at its first look.
  site->m_queueRun = 1;
  // A node of 1 searches the start folder only.
  CProgThread* task = new CProgThread(TASK_SEARCH, site, values.startFolder, values.types,
                                      values.noLoop ? reinterpret_cast<HTREEITEM>(1) : nullptr, values.siteIndex);
  if (!m_helper.StartTaskThread(task))
    delete task;
}

void CSerTrViewBase::OnDirectoryStructure()
{
  HTREEITEM node = CommandNode();
  RecordDirValues values;
  values.mode = 1;
  int siteIndex = -1;
  if (SiteOfNode(node, &siteIndex) != nullptr) {
    values.remoteText = m_helper.GetItemPath(&m_tree, node, nullptr, FALSE);
    values.siteIndex = siteIndex;
  }
  CTaskDialogs* dialogs = TaskDialogs();
  if (dialogs == nullptr || !dialogs->RecordDir(this, values))
    return;
  CSiteItem* site = ConnectedTaskSite(this, values.siteIndex);
  if (site == nullptr)
    return;
  site->m_queueRun = 1;
  CProgThread* task = new CProgThread(TASK_RECORD_STRUCTURE, site, values.remoteText, values.saveTarget, nullptr, 0);
  if (!m_helper.StartTaskThread(task))
    delete task;
}
