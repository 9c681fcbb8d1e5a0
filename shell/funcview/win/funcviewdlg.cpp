#include "shell/funcview/funcviewdlg.h"

#include <cstdio>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "engine/fileops.h"
#include "engine/launchers.h"
#include "engine/listing.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/doc/zarndoc.h"
#include "shell/funcview/funcpages.h"
#include "shell/funcview/funcviewres.h"
#include "shell/funcview/queuepanedlg.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/listpanedlg.h"
#include "views/panelinks.h"
#include "views/payloadtransfer.h"
#include "views/viewsres.h"

IMPLEMENT_DYNAMIC(CFuncViewDlg, CDialog)

namespace {

const char* const kCaptions[CFuncViewDlg::kTabs] = {"Files List", "Information", "Site to Site",
                                                     "Queue",      "Searched",    "Sites Status"};
const UINT kFactoryPages[] = {IDD_LOG_PANE, IDD_BATCH_PANE, IDD_SEARCH_PANE, IDD_SITES_STATUS_PANE};

// A page no issue has registered yet: an empty child dialog that answers
// every message with 0.
CTabPageDialog* MakeBlankPage(CWnd* parent)
{
  struct {
    DLGTEMPLATE dlg;
    WORD menu, windowClass, title;
  } blank = {};
  blank.dlg.style = DS_CONTROL | WS_CHILD;
  CTabPageDialog* page = new CTabPageDialog(0, parent);
  if (!page->CreateIndirect(&blank.dlg, parent)) {
    delete page;
    return nullptr;
  }
  return page;
}

// The folder of a server tree's selected node: false when there is none or it
// is the tree's root.
bool ServerTreeFolder(CWnd* view, int paneFlag, CString* path, int* site)
{
  CServerTreeAccess* access = ServerTreeAccess(paneFlag);
  if (view == nullptr || access == nullptr || view->GetSafeHwnd() == nullptr)
    return false;
  HWND tree = ::GetDlgItem(view->GetSafeHwnd(), kSerTreeCtrlId);
  if (tree == nullptr)
    tree = view->GetSafeHwnd();  // the tree view is its own control
  HTREEITEM node = TreeView_GetSelection(tree);
  return node != nullptr && access->NodePath(node, path, site) && !path->IsEmpty();
}

template <size_t N>
void Copy(char (&to)[N], const char* from)
{
  std::snprintf(to, N, "%s", from != nullptr ? from : "");
}

}  // namespace

BEGIN_MESSAGE_MAP(CFuncViewDlg, CDialog)
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_NOTIFY(TCN_SELCHANGE, IDC_FUNC_TAB, OnTabChange)
  ON_MESSAGE(UWM_SEARCH_RESULTS, OnSearchResults)
  ON_MESSAGE(UWM_TASK_FINISHED, OnTaskFinished)
  ON_MESSAGE(UWM_BATCH_ADD, OnBatchAdd)
  ON_MESSAGE(UWM_QUEUE_ADD, OnQueueAdd)
  ON_MESSAGE(UWM_QUEUE_ENDED, OnQueueEnded)
  ON_MESSAGE(UWM_THREAD_PROGRESS, OnThreadProgress)
  ON_MESSAGE(UWM_SCHEDULE_STOP, OnScheduleStop)
  ON_MESSAGE(UWM_THREAD_RESET, OnThreadReset)
  ON_MESSAGE(UWM_SHOW_FUNC_TAB, OnShowTab)
  ON_MESSAGE(UWM_SWITCH_LIST_PANE, OnSwitchListPane)
  ON_MESSAGE(UWM_NEXT_QUEUE_ITEM, OnNextItem)
  ON_MESSAGE(UWM_SITES_STATUS_REBUILD, OnSitesRebuild)
  ON_MESSAGE(UWM_SITES_STATUS_REFRESH, OnSitesRefresh)
  ON_MESSAGE(UWM_DRAG_ENTER, OnAnswerNothing)
  ON_MESSAGE(UWM_DRAG_OVER, OnDragOver)
  ON_MESSAGE(UWM_DROP, OnDrop)
  ON_MESSAGE(UWM_DROP_EX, OnDropEx)
  ON_MESSAGE(UWM_DRAG_LEAVE, OnAnswerNothing)
END_MESSAGE_MAP()

CFuncViewDlg::CFuncViewDlg(CWnd* pParent) : CDialog(IDD_FUNC_VIEW, pParent) {}

CFuncViewDlg::~CFuncViewDlg()
{
  if (g_pFuncView.load() == this)
    g_pFuncView = nullptr;
  if (GetSafeHwnd() != nullptr)
    DestroyWindow();
}

CListPaneDlg* CFuncViewDlg::MakeListPane()
{
  CListPaneDlg* pane = new CListPaneDlg(&m_tabs);
  pane->SetCreateContext(m_context);
  if (!pane->Create(IDD_LIST_PANE, &m_tabs)) {
    delete pane;
    return nullptr;
  }
  return pane;
}

BOOL CFuncViewDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_tabs.SubclassDlgItem(IDC_FUNC_TAB, this);
  m_listPane = MakeListPane();
  m_pages[kListTab] = m_listPane;
  // Pages from a maker free themselves when their window goes; the sheet
  // frees only those this view made, or they would be deleted twice at exit.
  bool made[kTabs] = {};
  made[kListTab] = true;
  size_t next = 0;
  for (int tab = 1; tab < kTabs; ++tab) {
    if (tab == kQueueTab) {
      m_queue = new CQueuePaneDlg(&m_tabs);
      if (!m_queue->Create(IDD_QUEUE_PANE, &m_tabs)) {
        delete m_queue;
        m_queue = nullptr;
      }
      m_pages[tab] = m_queue;
      made[tab] = true;
      continue;
    }
    const UINT id = kFactoryPages[next++];
    FuncPageMaker maker = FindFuncViewPage(id);
    CTabPageDialog* page = maker != nullptr ? maker(&m_tabs) : nullptr;
    m_pages[tab] = page;
  }
  for (int tab = 0; tab < kTabs; ++tab) {
    if (m_pages[tab] == nullptr) {
      m_pages[tab] = MakeBlankPage(&m_tabs);
      made[tab] = true;
    }
    const int index = m_tabs.AddPage(kCaptions[tab], static_cast<DWORD>(tab), m_pages[tab]);
    if (index >= 0)
      m_tabs.SetDeleteWithSheet(index, made[tab] ? TRUE : FALSE);
  }
  m_tabs.SetBkColor(0xC8C8C8);
  m_tabs.SetDrawStyle(2);
  CShadedTabCtrl::EnableCustomLook(TRUE, 31);
  g_pFuncView = this;
  m_dropTarget.Register(this);
  if (g_funcViewTab >= 0 && g_funcViewTab < kTabs)
    SelectTab(g_funcViewTab);
  PlacePages();
  return TRUE;
}

void CFuncViewDlg::OnDestroy()
{
  if (g_pFuncView.load() == this)
    g_pFuncView = nullptr;
  m_dropTarget.Revoke();
  // The sheet frees the pages after this: nothing routes to them any more.
  m_queue = nullptr;
  m_listPane = nullptr;
  for (CWnd*& page : m_pages)
    page = nullptr;
  CDialog::OnDestroy();
}

void CFuncViewDlg::PlacePages()
{
  if (m_tabs.GetSafeHwnd() == nullptr)
    return;
  CRect client;
  GetClientRect(&client);
  m_tabs.MoveWindow(&client);
  // The pages' own inset, not the tab control's display rectangle: the shaded
  // tabs are drawn taller than the control measures them.
  CRect page(4, 25, client.Width() - 6, client.Height() - 6);
  for (CWnd* p : m_pages)
    if (p != nullptr && p->GetSafeHwnd() != nullptr)
      p->MoveWindow(&page);
}

void CFuncViewDlg::OnSize(UINT nType, int cx, int cy)
{
  CDialog::OnSize(nType, cx, cy);
  PlacePages();
}

void CFuncViewDlg::SelectTab(int tab)
{
  if (tab < 0 || tab >= kTabs || m_tabs.GetSafeHwnd() == nullptr)
    return;
  m_tabs.SetActivePage(tab);
  g_funcViewTab = tab;
  PlacePages();
  if (tab == kSitesTab)
    SendMessage(UWM_SITES_STATUS_REFRESH, 0, 0);
}

void CFuncViewDlg::OnTabChange(NMHDR*, LRESULT* pResult)
{
  const int tab = m_tabs.GetCurSel();
  *pResult = 0;
  if (tab < 0 || tab >= kTabs)
    return;
  g_funcViewTab = tab;
  m_tabs.ResizePages();  // the sheet hid the old page; the new one is shown here
  PlacePages();
  if (tab == kSitesTab)
    SendMessage(UWM_SITES_STATUS_REFRESH, 0, 0);
}

int CFuncViewDlg::GetQueueCount() const
{
  return m_queue != nullptr ? m_queue->GetQueueCount() : 0;
}

CPlanItem* CFuncViewDlg::GetQueueItem(int i) const
{
  return m_queue != nullptr ? m_queue->GetQueueItem(i) : nullptr;
}

LRESULT CFuncViewDlg::SendToPage(int tab, UINT message, WPARAM wParam, LPARAM lParam)
{
  CWnd* page = Page(tab);
  if (page == nullptr || page->GetSafeHwnd() == nullptr)
    return 0;
  return page->SendMessage(message, wParam, lParam);
}

LRESULT CFuncViewDlg::OnSearchResults(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kSearchTab, UWM_SEARCH_RESULTS, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnTaskFinished(WPARAM wParam, LPARAM lParam)
{
  if (lParam == 0)
    SendToPage(kBatchTab, UWM_TASK_FINISHED, wParam, 0);
  else
    SendToPage(kQueueTab, UWM_TASK_FINISHED, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnBatchAdd(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kBatchTab, UWM_BATCH_ADD, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnQueueAdd(WPARAM wParam, LPARAM lParam)
{
  if (m_queue == nullptr || m_queue->GetSafeHwnd() == nullptr) {
    if (wParam == kQueueAddCounted)
      QueueAddsOnTheWay().fetch_sub(1);
    delete reinterpret_cast<CPlanItem*>(lParam);  // no queue to own it
    return 0;
  }
  m_queue->SendMessage(UWM_QUEUE_ADD, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnQueueEnded(WPARAM, LPARAM)
{
  if (m_queue != nullptr && m_queue->GetSafeHwnd() != nullptr)
    m_queue->PostMessage(UWM_QUEUE_ENDED, 0, 0);
  else
    ReleaseQueueEndedNotice();  // nobody else clears it
  return 0;
}

LRESULT CFuncViewDlg::OnThreadProgress(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kQueueTab, UWM_THREAD_PROGRESS, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnScheduleStop(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kQueueTab, UWM_SCHEDULE_STOP, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnThreadReset(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kQueueTab, UWM_THREAD_RESET, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnShowTab(WPARAM, LPARAM lParam)
{
  SelectTab(static_cast<int>(lParam));
  return 0;
}

LRESULT CFuncViewDlg::OnSwitchListPane(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kListTab, UWM_SWITCH_LIST_PANE, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnNextItem(WPARAM wParam, LPARAM lParam)
{
  return m_queue != nullptr ? m_queue->NextItem(wParam, lParam) : 0;
}

LRESULT CFuncViewDlg::OnSitesRebuild(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kSitesTab, UWM_SITES_STATUS_REBUILD, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnSitesRefresh(WPARAM wParam, LPARAM lParam)
{
  SendToPage(kSitesTab, UWM_SITES_STATUS_REFRESH, wParam, lParam);
  return 0;
}

LRESULT CFuncViewDlg::OnAnswerNothing(WPARAM, LPARAM)
{
  return 0;
}

LRESULT CFuncViewDlg::OnDragOver(WPARAM wParam, LPARAM)
{
  const COleDropInfo* info = reinterpret_cast<const COleDropInfo*>(wParam);
  if (info == nullptr || info->m_pDataObject == nullptr || g_clipFormat == 0)
    return DROPEFFECT_NONE;
  return info->m_pDataObject->IsDataAvailable(static_cast<CLIPFORMAT>(g_clipFormat)) ? DROPEFFECT_COPY
                                                                                     : DROPEFFECT_NONE;
}

LRESULT CFuncViewDlg::OnDropEx(WPARAM, LPARAM)
{
  return -1;
}

LRESULT CFuncViewDlg::OnDrop(WPARAM wParam, LPARAM)
{
  const COleDropInfo* info = reinterpret_cast<const COleDropInfo*>(wParam);
  return info != nullptr ? QueueDrop(info->m_pDataObject) : FALSE;
}

BOOL CFuncViewDlg::QueueDrop(COleDataObject* pDataObject)
{
  DragPayload payload;
  int count = 0;
  const EntryRecord* entries = ReadDroppedPayload(pDataObject, &payload, &count);
  if (entries == nullptr || count <= 0)
    return FALSE;
  if (IsOptionSet(OPTBIT_CONFIRM_DROP) && ShowConfirmDlg(this, IDS_CONFIRM_DROP, 1 << OPTBIT_CONFIRM_DROP) == IDCANCEL)
    return FALSE;
  const bool fromServer = payload.m_source != kPayloadLocalSite;
  CString folder;
  int siteIndex = payload.m_source;
  if (fromServer) {
    CLocalTreeLink* local = LocalTreeLink();
    if (local != nullptr)
      folder = local->SelectedPath();
  } else if (!ServerTreeFolder(g_pSerTrView.load(), 1, &folder, &siteIndex) &&
             !ServerTreeFolder(g_pSerTrView1.load(), 0, &folder, &siteIndex)) {
    folder.Empty();
  }
  if (folder.IsEmpty()) {
    ShowConfirmDlg(this, IDS_NO_RECEIVING_PATH, -1);
    return FALSE;
  }
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(siteIndex) : nullptr;
  if (site == nullptr)
    return FALSE;  // the slot was emptied since the drag began
  int queued = 0;
  for (int i = 0; i < count; ++i) {
    CPlanItem* item = new CPlanItem;
    Copy(item->m_fileName, entries[i].m_name);
    Copy(item->m_localPath, fromServer ? static_cast<const char*>(folder) : payload.m_sourcePath);
    Copy(item->m_remotePath, fromServer ? payload.m_sourcePath : static_cast<const char*>(folder));
    Copy(item->m_direction, fromServer ? "<-" : "->");
    SetPlanItemSite(*item, *site);
    item->m_kind = entries[i].m_kind;
    item->m_fileSize = entries[i].m_size;
    SendMessage(UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(item));
    ++queued;
  }
  return queued > 0 ? TRUE : FALSE;
}
