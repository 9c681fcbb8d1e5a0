// What the queue workers, task threads, the document and the site manager
// send the main window.
#include <cstring>
#include <string>

#include "engine/exitrequest.h"
#include "engine/planthread.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/doc/sitemanagermsg.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/mainframe/mainframe.h"
#include "shell/mainframe/poweroff.h"
#include "shell/mainframe/siteeditrules.h"
#include "shell/settings/osplatform.h"
#include "views/sertreeview.h"

namespace {

// The slot of a site pointer; -1 when no slot holds it (a deleted site).
int SlotOfSite(const void* site)
{
  if (g_pDoc == nullptr || site == nullptr)
    return -1;
  for (int i = 0; i < MAX_SITES; ++i)
    if (g_pDoc->GetSite(i) == site)
      return i;
  return -1;
}

CSerTrViewBase* ServerTree(ViewSlot& slot) { return DYNAMIC_DOWNCAST(CSerTrViewBase, slot.load()); }

void RenameNodes(int slot)
{
  for (ViewSlot* view : {&g_pSerTrView, &g_pSerTrView1})
    if (CSerTrViewBase* tree = ServerTree(*view))
      tree->RenameSiteNode(slot);
}

}  // namespace

LRESULT CMainFrame::OnSaveSite(WPARAM wParam, LPARAM)
{
  const int slot = SlotOfSite(reinterpret_cast<const void*>(wParam));
  if (slot >= 0)
    g_pDoc->SaveSiteToRegistry(slot);
  return 0;
}

LRESULT CMainFrame::OnPowerOff(WPARAM, LPARAM)
{
  // A forced shut-down skips every teardown: what would be lost is saved now.
  SaveSettings(m_window);
  if (m_funcView.m_hWnd != nullptr && m_funcView.QueuePage() != nullptr)
    m_funcView.QueuePage()->SaveQueueNow();
  if (!PowerOffComputer(g_osPlatformId)) {
    // The program runs on: its workers and queue must not stay in the closing state.
    g_exitRequested = 0;
  }
  return 0;
}

LRESULT CMainFrame::OnUploadBegin(WPARAM wParam, LPARAM lParam)
{
  if (StatusOnBegin(m_status, m_pThreadStatus, m_transfersActive, (int)wParam, (uint32_t)lParam, ::GetTickCount()) ==
      StatusBegin::StartDisplay) {
    StartStatusDisplay();
    if (SetTimer(kStatusTimerId, kStatusFirstTickMs, nullptr) != 0)
      m_status.timerRunning = true;
  }
  // The worker's row on the queue page shows the new file before it goes on.
  return HandRowNoticeToView(UWM_THREAD_RESET, (int)wParam);
}

LRESULT CMainFrame::OnDownloadBegin(WPARAM wParam, LPARAM lParam) { return OnUploadBegin(wParam, lParam); }

LRESULT CMainFrame::OnTaskFinished(WPARAM wParam, LPARAM)
{
  // The row reads the record before the finish here clears its counts.
  const LRESULT taken = HandRowNoticeToView(UWM_TASK_FINISHED, (int)wParam);
  StatusOnFinish(m_status, m_pThreadStatus, (int)wParam);
  return taken;
}

LRESULT CMainFrame::OnRunQueue(WPARAM, LPARAM)
{
  if (g_exitRequested.load() == 0 && g_pDoc != nullptr)
    g_pDoc->StartQueueThreads();
  return 0;
}

LRESULT CMainFrame::OnNotifyPopup(WPARAM, LPARAM lParam)
{
  if (lParam == 0)
    return 0;
  // The sender's buffer is its own again once this returns.
  const CString text(reinterpret_cast<const char*>(lParam));
  m_notifier.Popup(text, 500, 3000, 500);
  return 0;
}

LRESULT CMainFrame::OnSiteManagerEdit(WPARAM wParam, LPARAM lParam)
{
  if (g_pDoc == nullptr || lParam == 0)
    return 0;
  switch (wParam) {
    case SITEEDIT_ADD: {
      SiteRecord* record = reinterpret_cast<SiteRecord*>(lParam);
      record->m_pNewSite = nullptr;
      return g_pDoc->AddSite(record) != nullptr ? 1 : 0;
    }
    case SITEEDIT_DELETE: {
      const int slot = SlotOfSite(reinterpret_cast<const void*>(lParam));
      CSiteItem* site = g_pDoc->GetSite(slot);
      if (site == nullptr)
        return 0;
      // Both nodes are read now: the site goes with its slot.
      HTREEITEM first = site->m_hTreeNode, second = site->m_hTreeNode1;
      if (!g_pDoc->DeleteSite(slot))
        return 0;
      if (CSerTrViewBase* tree = ServerTree(g_pSerTrView))
        tree->RemoveSiteNode(first);
      if (CSerTrViewBase* tree = ServerTree(g_pSerTrView1))
        tree->RemoveSiteNode(second);
      return 1;
    }
    case SITEEDIT_CHANGED: {
      const int slot = SlotOfSite(reinterpret_cast<const void*>(lParam));
      CSiteItem* site = g_pDoc->GetSite(slot);
      if (site == nullptr)
        return 0;
      std::string oldName, newName;
      switch (SplitSiteNameField(site->m_name, sizeof site->m_name, oldName, newName)) {
        case SiteNameField::Unterminated:
          return 0;
        case SiteNameField::Plain:
          return g_pDoc->SaveSiteToRegistry(slot) ? 1 : 0;
        case SiteNameField::Rename:
          break;
      }
      CopySiteText(site->m_name, oldName.c_str());
      if (newName.empty() || newName == oldName)
        return g_pDoc->SaveSiteToRegistry(slot) ? 1 : 0;
      if (!g_pDoc->RenameSite(slot, newName.c_str())) {
        // The other fields are kept under the old name.
        g_pDoc->SaveSiteToRegistry(slot);
        return 0;
      }
      RenameNodes(slot);
      return 1;
    }
    case SITEEDIT_SELECT: {
      CSerTrViewBase* tree = ServerTree(g_pSerTrView);
      HTREEITEM node = reinterpret_cast<HTREEITEM>(lParam);
      if (tree == nullptr)
        return 0;
      // Only a site node of the first tree is selected.
      bool known = false;
      for (int i = 0; i < MAX_SITES && !known; ++i) {
        const CSiteItem* site = g_pDoc->GetSite(i);
        known = site != nullptr && site->m_hTreeNode == node;
      }
      if (!known)
        return 0;
      CTreeCtrl& ctrl = tree->GetTreeCtrl();
      if (ctrl.GetSelectedItem() == node)
        tree->SelectRoot();  // so the view loads the site again
      ctrl.SelectItem(node);
      return 1;
    }
    case SITEEDIT_RENAME: {
      const SiteRenameRequest* request = reinterpret_cast<const SiteRenameRequest*>(lParam);
      const int slot = SlotOfSite(request->site);
      if (slot < 0 || std::memchr(request->newName, '\0', sizeof request->newName) == nullptr)
        return 0;
      if (!g_pDoc->RenameSite(slot, request->newName))
        return 0;
      RenameNodes(slot);
      return 1;
    }
    default:
      return 0;
  }
}
