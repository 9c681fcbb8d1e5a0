// The queue worker's folder items: a remote folder listed into new queue
// items, a local one made on the server.
#include "engine/planthread.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/keeper.h"
#include "engine/listing.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/planitem.h"
#include "engine/progthread.h"
#include "engine/queuerules.h"
#include "engine/queueseam.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "framework/file.h"
#include "shell/doc/threadstatus.h"
#include "shell/settings/meteredsection.h"
#include "shell/settings/settings.h"
#include "engine/planthread_local.h"

using namespace plan_detail;

// ---- folders ----

CPlanThread::ItemResult CPlanThread::DownloadFolder()
{
  CPlanItem* item = m_pItem;
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession;
  const uint32_t idleMs = DownloadIdleMs();
  if (!IsSafeLocalName(item->m_fileName)) {
    RefuseUnsafeName(item->m_fileName);
    FailItem(false);
    return ITEM_FAILED;
  }
  const std::string localFolder = LocalJoin(item->m_localPath, item->m_fileName);
  const std::string remoteFolder = RemoteJoin(item->m_remotePath, item->m_fileName);
  // The children carry these as their folders: a cut path would name another one.
  if (localFolder.size() >= kPlanPathLen || remoteFolder.size() >= kPlanPathLen) {
    FailItem(true);
    return ITEM_FAILED;
  }
  if (!::CreateDirectoryA(localFolder.c_str(), nullptr)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS || Stopping()) {
      FailItem(true);
      return ITEM_FAILED;
    }
    if (IsOptionSet(OPTBIT_FILE_EXISTS_RULES) &&
        FileRuleAll(static_cast<uint32_t>(g_queueFileExistsRules.load()), FILERULE_DOWNLOAD, FILERULE_ASK)) {
      CSingleLock lock(&g_queueFileExistsSection, TRUE);
      if (ShowConfirmDlgText(g_pMainFrame.load(), " The directory already exists. Overwrite or not? ",
                             kConfirmModeQuestion, TRUE) != IDOK)
        return ITEM_DONE;
    }
  }

  session->m_pFile = nullptr;
  session->m_pItem = nullptr;
  session->m_entryCount = 0;
  session->BeginOperation();
  session->PushCommand(VERB_CWD, remoteFolder.c_str());
  session->PushCommand(VERB_TYPE, "A");
  session->PushDataConnection(site);
  session->PushCommand(VERB_LIST, IsOptionSet(OPTBIT_SHOW_HIDDEN) ? "-al" : "");
  const HWND hWnd = session->PostCommands();

  const NetSession::WaitEnd end = session->WaitForEnd(
      kPlanListSliceMs, idleMs,
      [&] { return SiteRuns() && session->m_alive.load() != 0 && ItemWorking() && !Stopping(); },
      [&] { return session->m_progress.exchange(0) != 0; });
  const bool signalled = end == NetSession::WAIT_DONE;
  const bool timedOut = end == NetSession::WAIT_IDLE;
  if (!signalled || session->m_alive.load() == 0 || !SiteRuns() || !ItemWorking() || Stopping()) {
    if (timedOut && hWnd != nullptr &&
        session->AbortAndWait(true, kPlanAbortWaitMs, kPlanAbortWaitMs, nullptr, true) == NetSession::WAIT_IDLE)
      m_connectionLost = true;
    // The data connection closed on the window's thread before the block goes.
    if (hWnd == nullptr || ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 1) == 0)
      m_connectionLost = true;
    if (session->m_pRecord != nullptr) {
      free(session->m_pRecord);
      session->m_pRecord = nullptr;
    }
    if (!timedOut && session->m_alive.load() != 0) {
      SetStatus(item, PLAN_STOPPED);
      return ITEM_FAILED;
    }
    char line[kPlanPathLen + kPlanHostLen + 64];
    std::snprintf(line, sizeof(line), "%s::%s search failed. Back! ", site->m_host, remoteFolder.c_str());
    ReportLine(line);
    FailItem(true);
    return ITEM_FAILED;
  }

  char* text = static_cast<char*>(session->m_pRecord);
  session->m_pRecord = nullptr;
  int count = 0;
  EntryRecord* entries = text != nullptr ? ParseListing(text, &count) : nullptr;
  free(text);
  for (int i = 0; entries != nullptr && entries[i].m_name[0] != '\0' && ItemWorking(); ++i) {
    const EntryRecord& e = entries[i];
    if (e.m_kind != kEntryFile && e.m_kind != kEntryFolder)
      continue;
    CPlanItem* child = new CPlanItem;
    CopyText(child->m_fileName, e.m_name);
    CopyText(child->m_localPath, localFolder);
    CopyText(child->m_remotePath, remoteFolder);
    CopyText(child->m_host, site->m_host);
    child->m_anonymous = site->SiteOptionDigits[1] - '0';
    child->m_port = site->m_port;
    child->m_passive = site->SiteOptionDigits[4] - '0';
    child->m_kind = e.m_kind;
    child->m_fileSize = e.m_size;
    CopyText(child->m_direction, "<-");
    CopyText(child->m_user, site->m_user);
    CopyText(child->m_password, site->m_password);
    if (!PostQueueAdd(child))
      delete child;
  }
  delete[] entries;
  PostTo(g_pMainFrame.load(), UWM_RUN_QUEUE, 0, 0);
  return ITEM_DONE;
}

CPlanThread::ItemResult CPlanThread::UploadFolder()
{
  CPlanItem* item = m_pItem;
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession;
  const uint32_t idleMs = DownloadIdleMs();
  const std::string localFolder = LocalJoin(item->m_localPath, item->m_fileName);
  const std::string remoteFolder = RemoteJoin(item->m_remotePath, item->m_fileName);
  if (localFolder.size() >= kPlanPathLen || remoteFolder.size() >= kPlanPathLen) {
    FailItem(true);
    return ITEM_FAILED;
  }
  session->BeginOperation();
  session->PushCommand(VERB_MKD, remoteFolder.c_str());
  const HWND hWnd = session->PostCommands();
  const bool signalled = session->WaitForEnd(kPlanProgressSliceMs, idleMs, [&] {
    return session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping();
  }) == NetSession::WAIT_DONE;
  if (!signalled && session->m_alive.load() != 0 && SiteRuns() && ItemWorking() && !Stopping()) {
    // No answer to MKD: the connection is given up.
    session->GiveUp();
    m_connectionLost = true;
    FailItem(true);
    return ITEM_FAILED;
  }
  if (!SiteRuns() || !ItemWorking() || Stopping()) {
    SetStatus(item, PLAN_STOPPED);
    return ITEM_FAILED;
  }
  if (session->m_alive.load() == 0) {
    // Refused: it exists, or the connection went.
    if (hWnd == nullptr || ::SendMessageA(hWnd, UWM_NET_DETACH, 0, 0) == 0) {
      m_connectionLost = true;
      FailItem(true);
      return ITEM_FAILED;
    }
    if (IsOptionSet(OPTBIT_FILE_EXISTS_RULES) &&
        FileRuleAll(static_cast<uint32_t>(g_queueFileExistsRules.load()), FILERULE_UPLOAD, FILERULE_ASK)) {
      char text[kPlanPathLen + kPlanHostLen + 64];
      std::snprintf(text, sizeof(text), "%s::%s already exists. Overwrite or not? ", site->m_host,
                    remoteFolder.c_str());
      CSingleLock lock(&g_queueFileExistsSection, TRUE);
      if (ShowConfirmDlgText(g_pMainFrame.load(), text, kConfirmModeQuestion, TRUE) != IDOK)
        return ITEM_DONE;
    }
  }

  WIN32_FIND_DATAA found;
  const std::string pattern = localFolder + "\\*.*";
  HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    FailItem(true);
    return ITEM_FAILED;
  }
  do {
    if (!SiteRuns() || !ItemWorking())
      break;
    if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
      continue;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0 && !IsOptionSet(OPTBIT_SHOW_HIDDEN))
      continue;
    CPlanItem* child = new CPlanItem;
    CopyText(child->m_fileName, found.cFileName);
    CopyText(child->m_localPath, localFolder);
    CopyText(child->m_remotePath, remoteFolder);
    CopyText(child->m_host, item->m_host);
    CopyText(child->m_user, item->m_user);
    CopyText(child->m_password, item->m_password);
    child->m_port = item->m_port;
    child->m_anonymous = item->m_anonymous;
    child->m_passive = item->m_passive;
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    child->m_kind = folder ? kEntryFolder : kEntryFile;
    child->m_fileSize = folder ? 0 : ((static_cast<int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
    CopyText(child->m_direction, "->");
    if (!PostQueueAdd(child))
      delete child;
  } while (::FindNextFileA(find, &found));
  ::FindClose(find);
  PostTo(g_pMainFrame.load(), UWM_RUN_QUEUE, 0, 0);
  return ITEM_DONE;
}
