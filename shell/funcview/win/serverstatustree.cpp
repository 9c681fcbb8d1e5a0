#include "shell/funcview/serverstatustree.h"

#include <shlwapi.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "engine/connlog.h"
#include "engine/dialup.h"
#include "engine/localaddr.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/osplatform.h"
#include "shell/settings/settings.h"

namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kFirstTickMs = 3000;
constexpr UINT kTickMs = 4000;
const char kRootText[] = "Server Detailed Status";

// The counters are 64-bit; the DWORD form of the formatter would wrap at 4 GiB.
CString FormatByteSize(uint64_t bytes)
{
  char text[64] = "";
  if (::StrFormatByteSize64A((LONGLONG)bytes, text, sizeof(text)) == nullptr)
    text[0] = '\0';
  return CString(text);
}

// Reads the figures of the first active dial-up connection into m.
void ReadDialUp(MachineStatus& m)
{
  const DialUpApi* api = CurrentDialUpApi();
  if (api == nullptr || api->enumConnections == nullptr)
    return;
  std::vector<RasConnV4> connections(4);
  connections[0].dwSize = sizeof(RasConnV4);
  DWORD bytes = (DWORD)(connections.size() * sizeof(RasConnV4));
  DWORD count = 0;
  const DWORD result = api->enumConnections(connections.data(), &bytes, &count);
  // A list too long for the buffer still has a first entry filled.
  if ((result != 0 && result != ERROR_BUFFER_TOO_SMALL) || count == 0)
    return;
  m.dialUpActive = true;
  if (result != 0)
    return;
  const RasConnV4& first = connections[0];
  m.dialUpEntry = CString(first.szEntryName, (int)strnlen(first.szEntryName, sizeof(first.szEntryName)));
  if (api->getStatistics == nullptr || g_osPlatformId != 2)
    return;
  RasStatsRecord stats = {};
  stats.dwSize = sizeof(stats);
  if (api->getStatistics(first.hrasconn, &stats) != 0)
    return;
  m.statsOk = true;
  m.bps = stats.dwBps;
  m.bytesSent = stats.dwBytesXmited;
  m.bytesReceived = stats.dwBytesRcved;
  m.durationMs = stats.dwConnectDuration;
}

}  // namespace

IMPLEMENT_DYNAMIC(CServerStatusTree, CTreeCtrl)

BEGIN_MESSAGE_MAP(CServerStatusTree, CTreeCtrl)
  ON_NOTIFY_REFLECT(TVN_SELCHANGEDA, OnSelChanged)
  ON_WM_TIMER()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

MachineStatus CServerStatusTree::ReadMachineStatus()
{
  MachineStatus m;
  if (g_pDoc != nullptr) {
    for (int i = 0; i < MAX_SITES; ++i) {
      const CSiteItem* site = g_pDoc->GetSite(i);
      if (site == nullptr)
        continue;
      ++m.siteCount;
      if (site->m_connected != 0) {
        ++m.connectedCount;
        m.taskCount += site->m_taskCount;
      }
    }
  }
  char name[kLocalHostNameLen] = "";
  char address[kLocalAddressLen] = "";
  m.online = TestLocalAddress(name, address);
  m.computerName = name;
  m.localAddress = address;
  m.fxp = (g_optionFlags & 0x8u) != 0;
  if (m.online)
    ReadDialUp(m);
  return m;
}

SiteStatus CServerStatusTree::ReadSiteStatus(int slot)
{
  SiteStatus s;
  CSiteItem* site = g_pDoc != nullptr ? g_pDoc->GetSite(slot) : nullptr;
  if (site == nullptr)
    return s;
  s.present = true;
  s.name = CString(site->m_name, (int)strnlen(site->m_name, sizeof(site->m_name)));
  s.host = CString(site->m_host, (int)strnlen(site->m_host, sizeof(site->m_host)));
  const SiteAddresses addresses = site->ReadAddresses();
  s.serverAddress = addresses.server;
  s.localAddress = addresses.local;
  s.port = site->m_port;
  s.localPort = site->m_localPort;
  s.cacheDigit = site->SiteOptionDigits[2];
  s.passiveDigit = site->SiteOptionDigits[4];
  s.keepAliveDigit = site->SiteOptionDigits[7];
  s.connected = site->m_connected != 0;
  s.workerFlag = site->m_workerFlag != 0;
  s.keeperRunning = site->m_keeperRunning != 0;
  s.mainBusy = site->m_mainBusy != 0;
  s.taskCount = site->m_taskCount;
  s.connectedSince = site->m_connectedSince;
  s.now = (int64_t)time(nullptr);
  s.transferType = g_transferType;
  s.bytesSent = site->m_bytesSent;
  s.bytesReceived = site->m_bytesReceived;
  return s;
}

void CServerStatusTree::StartTimer(UINT ms)
{
  if (m_hWnd != nullptr)
    m_timer = SetTimer(kStatusTimer, ms);
}

void CServerStatusTree::StopTimer()
{
  if (m_timer != 0 && m_hWnd != nullptr)
    KillTimer(kStatusTimer);
  m_timer = 0;
}

void CServerStatusTree::Rebuild()
{
  StopTimer();
  m_filling = true;  // the deletes below change the selection
  DeleteAllItems();
  m_filling = false;
  m_root = nullptr;
  m_holds = kHoldsNothing;
  if (m_pList != nullptr) {
    m_pList->SetRedraw(FALSE);
    m_pList->DeleteAllItems();
    m_pList->SetRedraw(TRUE);
  }
  m_root = InsertItem(kRootText);
  SetItemData(m_root, 0);
  bool children = false;
  for (int i = 0; i < MAX_SITES && g_pDoc != nullptr; ++i) {
    const CSiteItem* site = g_pDoc->GetSite(i);
    if (site == nullptr)
      continue;
    const CString name(site->m_name, (int)strnlen(site->m_name, sizeof(site->m_name)));
    HTREEITEM node = InsertItem(name, m_root);
    SetItemData(node, (DWORD_PTR)i);
    children = true;
  }
  SelectItem(m_root);
  if (m_holds != kHoldsMachine)  // the selection did not change: fill anyway
    Fill(m_root, false);
  if (children)
    Expand(m_root, TVE_EXPAND);
  if (m_timer == 0)
    StartTimer(kFirstTickMs);
  m_built = TRUE;
}

void CServerStatusTree::Resume()
{
  if (m_built && m_timer == 0 && g_funcViewTab == kFuncTabSitesStatus)
    StartTimer(kTickMs);
}

void CServerStatusTree::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  if (m_filling)
    return;
  const HTREEITEM node = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
  if (node == nullptr)
    return;
  // The root and the site of slot 0 both hold 0: the handle tells them apart.
  const Holds wanted = node == m_root ? kHoldsMachine : kHoldsSite;
  Fill(node, m_holds == wanted);
}

void CServerStatusTree::RefreshSelected()
{
  const HTREEITEM node = GetSelectedItem();
  if (node == nullptr)
    return;
  const Holds wanted = node == m_root ? kHoldsMachine : kHoldsSite;
  Fill(node, m_holds == wanted);
}

void CServerStatusTree::Fill(HTREEITEM node, bool refresh)
{
  const std::vector<CString> log = ConnLogRows();
  if (node == m_root) {
    ShowRows(MachineStatusRows(ReadMachineStatus()), refresh);
    ShowText(MachineStatusText(log));
    m_holds = kHoldsMachine;
  } else {
    // The slot is read now: a site deleted meanwhile shows empty values.
    const SiteStatus s = ReadSiteStatus((int)GetItemData(node));
    ShowRows(SiteStatusRows(s, refresh, FormatByteSize), refresh);
    ShowText(SiteStatusText(s, refresh, log));
    m_holds = kHoldsSite;
  }
}

void CServerStatusTree::ShowRows(const std::vector<StatusRow>& rows, bool refresh)
{
  if (m_pList == nullptr || m_pList->m_hWnd == nullptr)
    return;
  m_pList->SetRedraw(FALSE);
  if (!refresh || m_pList->GetItemCount() != (int)rows.size()) {
    m_pList->DeleteAllItems();
    for (size_t i = 0; i < rows.size(); ++i) {
      m_pList->InsertItem((int)i, rows[i].name);
      m_pList->SetItemText((int)i, 1, rows[i].value);
    }
  } else {
    for (size_t i = 0; i < rows.size(); ++i)
      m_pList->SetItemText((int)i, 1, rows[i].value);
  }
  m_pList->SetRedraw(TRUE);
  m_pList->Invalidate();
}

void CServerStatusTree::ShowText(const CString& text)
{
  if (m_pText != nullptr && m_pText->m_hWnd != nullptr)
    m_pText->SetWindowText(text);
}

void CServerStatusTree::ScrollTextToEnd()
{
  if (m_pText == nullptr || m_pText->m_hWnd == nullptr)
    return;
  const int length = m_pText->GetWindowTextLength();
  m_pText->SendMessage(EM_SETSEL, (WPARAM)length, (LPARAM)length);
  m_pText->SendMessage(EM_SCROLLCARET, 0, 0);
}

void CServerStatusTree::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent != kStatusTimer) {
    CTreeCtrl::OnTimer(nIDEvent);
    return;
  }
  StopTimer();
  RefreshSelected();
  if (g_funcViewTab == kFuncTabSitesStatus)
    StartTimer(kTickMs);
  ScrollTextToEnd();
}

void CServerStatusTree::OnDestroy()
{
  StopTimer();
  CTreeCtrl::OnDestroy();
}
