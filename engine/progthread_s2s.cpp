// The site-to-site tasks of the one-task worker: files and folder trees pass
// from the first site to the second, either directly between the two servers
// (one goes passive, the other is given its address by PORT) or through this
// machine, one Site to Site job per file (RETM on the source, STOM on the
// target, the bytes handed over by the source window's relay pump).
//
// Every wait is bounded: by the idle limit, by the sites' run flags, by the
// program's exit. A silent server ends the copy and is closed; it never holds
// the task, the connections' threads or the site's keeper.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/batchjob.h"
#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/engineutil.h"
#include "engine/exitrequest.h"
#include "engine/ftpsocketwnd.h"
#include "engine/listing.h"
#include "engine/netsession.h"
#include "engine/progthread.h"
#include "engine/s2spath.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"

namespace {

const DWORD kS2sSliceMs = 3000;
// After an abort, answers may still be on their way (a second reply to the
// CR LF that follows an urgent ABOR): the connections must be quiet this long
// before the next command, and the settling never takes longer than the cap.
const DWORD kSettleQuietMs = 400;
const DWORD kSettleMaxMs = 3000;
// A passive receiver that has its STOR but no data connection yet: how long it
// is given to take the command in before the sender is told to connect.
const DWORD kPassiveReadyMs = 300;

enum FxpDirection { FXP_SOURCE_PASSIVE = 0, FXP_TARGET_PASSIVE = 1 };

// Why the last copy failed.
enum CopyOutcome : int32_t {
  COPY_DONE = 0,
  COPY_STOPPED = 1,  // a site, the job or the program stopped it (or, direct, both ends stalled)
  COPY_LOST = 2,     // a command failed or a connection went away
  COPY_TIMEOUT = 3,  // no byte within the idle limit
};

DWORD Since(DWORD start)
{
  return ::GetTickCount() - start;
}

bool Exiting()
{
  return g_exitRequested.load() != 0;
}

bool Runs(const CSiteItem* site)
{
  return site->m_queueRun.load() == 1;
}

bool Alive(const NetSession* session)
{
  return session->m_alive.load() != 0;
}

HWND WndOf(const NetSession* session)
{
  return session != nullptr ? session->WindowHandle() : nullptr;
}

uint32_t IdleMs(int32_t siteSeconds, int32_t globalSeconds)
{
  int32_t seconds = siteSeconds > 10 ? siteSeconds : globalSeconds;
  if (seconds < 1)
    seconds = 1;
  return static_cast<uint32_t>(seconds) * 1000u;
}

bool JobGoesOn(const BatchJobRecord* job)
{
  return job->m_running.load() != 0 && job->m_stopRequested.load() == 0;
}

bool CanHandOver()
{
  return !Exiting() && g_pFuncView.Window() != nullptr;
}

// Waits for both events together in slices while goOn() holds; true when both came.
template <typename GoOn, typename OnSlice>
bool WaitBoth(NetSession* a, NetSession* b, GoOn goOn, OnSlice onSlice)
{
  HANDLE events[2] = {a->m_hDoneEvent, b->m_hDoneEvent};
  while (goOn()) {
    const DWORD r = ::WaitForMultipleObjects(2, events, TRUE, kS2sSliceMs);
    if (r == WAIT_TIMEOUT) {
      if (!onSlice())
        return false;
      continue;
    }
    return r < WAIT_OBJECT_0 + 2;
  }
  return false;
}

// The relay target has its data socket handed over (`ready` set): 1. 0 when it
// ended first (refused), went away or the copy was stopped; -1 when it stayed
// silent for the idle limit. Every reply that moves it on to its next command
// starts the limit again, so a slow but answering server is not cut off.
int WaitRelayTarget(const BatchJobRecord* job, NetSession* target, HANDLE ready, const CSiteItem* first,
                    const CSiteItem* second, uint32_t idleMs)
{
  HANDLE events[2] = {target->m_hDoneEvent, ready};
  DWORD idleStart = ::GetTickCount();
  int lastVerb = target->m_current.m_verb;
  while (JobGoesOn(job) && Runs(first) && Runs(second) && Alive(target) && !Exiting()) {
    const DWORD r = ::WaitForMultipleObjects(2, events, FALSE, 50);
    if (r == WAIT_OBJECT_0)
      return 0;
    if (r == WAIT_OBJECT_0 + 1)
      return Alive(target) ? 1 : 0;
    if (r != WAIT_TIMEOUT)
      return 0;
    const int verb = target->m_current.m_verb;
    if (verb != lastVerb) {
      lastVerb = verb;
      idleStart = ::GetTickCount();
    } else if (Since(idleStart) >= idleMs) {
      return -1;
    }
  }
  return 0;
}

// Lets late answers of an abort arrive while no command is current, so none of
// them is taken for the next command's.
void SettleReplies(NetSession* a, NetSession* b)
{
  HANDLE events[2] = {a->m_hDoneEvent, b->m_hDoneEvent};
  const DWORD start = ::GetTickCount();
  for (;;) {
    ::ResetEvent(events[0]);
    ::ResetEvent(events[1]);
    if (::WaitForMultipleObjects(2, events, FALSE, kSettleQuietMs) == WAIT_TIMEOUT || Since(start) >= kSettleMaxMs)
      break;
  }
}

std::vector<EntryRecord> TakeListing(NetSession* session)
{
  std::vector<EntryRecord> out;
  if (session->m_pRecord == nullptr)
    return out;
  int count = 0;
  EntryRecord* entries = ParseListing(static_cast<const char*>(session->m_pRecord), &count);
  free(session->m_pRecord);
  session->m_pRecord = nullptr;
  for (int i = 0; entries != nullptr && i < count && entries[i].m_name[0] != '\0'; ++i)
    out.push_back(entries[i]);
  delete[] entries;
  return out;
}

bool Fits(const std::string& path)
{
  return path.size() < kCommandArgLen;
}

}  // namespace

// ---- shared steps ----

bool CProgThread::OneSiteCopy() const
{
  if (m_pSite == m_pSite2)
    return true;
  return m_pSite->m_port == m_pSite2->m_port && ::lstrcmpiA(m_pSite->m_host, m_pSite2->m_host) == 0;
}

bool CProgThread::SkipOwnCopy(const std::string& source)
{
  // On one site the copy being made lies in the tree being walked: walking into
  // it would nest copies until the path limit.
  if (!OneSiteCopy() || !RemotePathWithin(source, m_s2sRoot))
    return false;
  char line[700];
  std::snprintf(line, sizeof(line), "%s::%s is the folder being copied into, skipped. \r\n", m_pSite->m_host,
                source.c_str());
  ReportLine(line);
  return true;
}

bool CProgThread::SkipFolderCopy(const std::string& source, const std::string& target, bool top)
{
  if (!Fits(source) || !Fits(target)) {
    char line[700];
    std::snprintf(line, sizeof(line), "%s::%.200s... is too long, skipped. \r\n", m_pSite->m_host, source.c_str());
    ReportLine(line);
    return true;
  }
  if (top)
    std::snprintf(m_s2sRoot, sizeof(m_s2sRoot), "%s", target.c_str());
  return SkipOwnCopy(source);
}

bool CProgThread::ChangeFolderOn(NetSession* session, CSiteItem* site, const char* path)
{
  session->BeginOperation(false);
  if (!session->PushCommand(VERB_CWD, path)) {
    session->m_alive = 0;
    return false;
  }
  session->PostCommands();
  const int r = WaitWithIdle(session, site, ListingIdleMs(site), kS2sSliceMs);
  if (r == -1)
    session->GiveUp();
  return r == 1 && Alive(session) && Runs(site);
}

bool CProgThread::SiteToSiteStart()
{
  NetSession* sessions[2] = {m_pSession1, m_pSession2};
  CSiteItem* sites[2] = {m_pSite, m_pSite2};
  const char* paths[2] = {m_firstPath, m_secondPath};
  for (NetSession* s : sessions)
    s->BeginOperation(false);
  bool pushed[2] = {false, false};
  for (int i = 0; i < 2; ++i) {
    if (paths[i][0] != '\0')
      pushed[i] = sessions[i]->PushCommand(VERB_CWD, paths[i]) != 0;
  }
  for (int i = 0; i < 2; ++i)
    if (pushed[i])
      sessions[i]->PostCommands();
  for (int i = 0; i < 2; ++i) {
    if (!pushed[i])
      continue;
    // Bounded like a listing: a server that never answers ends the task.
    if (WaitWithIdle(sessions[i], sites[i], ListingIdleMs(sites[i]), kS2sSliceMs) == -1)
      sessions[i]->GiveUp();
  }
  return Alive(m_pSession1) && Alive(m_pSession2) && Runs(m_pSite) && Runs(m_pSite2);
}

void CProgThread::SiteToSiteEnd(bool fxp)
{
  if (Exiting())
    return;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  m_pSession1->m_pJob = nullptr;
  m_pSession2->m_pJob = nullptr;
  m_pSession1->m_pPartner = nullptr;
  char line[400];
  if (fxp) {
    std::snprintf(line, sizeof(line), "%s::--->::%s::Site to Site transfer is complete. \r\n", m_pSite->m_host,
                  m_pSite2->m_host);
    ReportLine(line);
    SendResult(UWM_LISTING_STATUS, node, 0);
    if (m_paneFlag == 1)
      SendResult(UWM_DROP_LISTING_CACHE, 0, reinterpret_cast<LPARAM>(m_hNode));
  } else {
    SendResult(UWM_LISTING_STATUS, node, 0);
    if (m_paneFlag == 1)
      SendResult(UWM_DROP_LISTING_CACHE, 0, reinterpret_cast<LPARAM>(m_hNode));
    std::snprintf(line, sizeof(line), "%s::--->::%s Site to Site transfer complete. \r\n", m_pSite->m_host,
                  m_pSite2->m_host);
    ReportLine(line);
  }
}

void CProgThread::AbortBoth(bool post, uint32_t idleMs)
{
  // The target first, then the source. A window busy in the relay pump gets
  // its ABOR posted, so the task never waits on that thread.
  NetSession* order[2] = {m_pSession2, m_pSession1};
  NetSession* waiting[2] = {nullptr, nullptr};
  HANDLE events[2] = {nullptr, nullptr};
  int count = 0;
  for (NetSession* s : order) {
    // Only a connection still up answers; a closed one has set its event already.
    if (s->Abort(!post)) {
      waiting[count] = s;
      events[count] = s->m_hDoneEvent;
      ++count;
    }
  }
  if (count == 0)
    return;
  const DWORD start = ::GetTickCount();
  while (!Exiting()) {
    if (::WaitForMultipleObjects(count, events, TRUE, kS2sSliceMs) != WAIT_TIMEOUT)
      return;
    if (Since(start) >= idleMs)
      break;
  }
  // Silent after ABOR, or the program closes: QUIT, so no late answer is taken
  // for a later command's and the connection threads can end.
  for (int i = 0; i < count; ++i)
    if (::WaitForSingleObject(events[i], 0) == WAIT_TIMEOUT)
      waiting[i]->GiveUp();
}

// ---- direct copies ----

// The receiving side of a direct copy is ready for the data: its preliminary
// reply came (a passive server may keep it back until the other connects, so
// there its STOR having gone out is enough). False when it failed, the copy
// was stopped or nothing came within the idle limit.
bool CProgThread::WaitReceiverReady(NetSession* receiver, bool receiverPassive, uint32_t idleMs)
{
  const DWORD start = ::GetTickCount();
  DWORD sentAt = 0;
  while (Runs(m_pSite) && Runs(m_pSite2) && !Exiting() && Alive(receiver)) {
    if (::WaitForSingleObject(receiver->m_hDoneEvent, 20) != WAIT_TIMEOUT)
      return false;  // it ended before the data came: refused
    if (receiver->m_progress.load() != 0)
      return true;
    if (receiverPassive && receiver->m_current.m_verb == VERB_STOR) {
      if (sentAt == 0)
        sentAt = ::GetTickCount();
      else if (Since(sentAt) >= kPassiveReadyMs)
        return true;
    }
    if (Since(start) >= idleMs) {
      receiver->GiveUp();
      return false;
    }
  }
  return false;
}


int CProgThread::FxpSourcePassive(const char* name)
{
  return FxpCopy(name, true);
}

int CProgThread::FxpTargetPassive(const char* name)
{
  return FxpCopy(name, false);
}

int CProgThread::FxpCopy(const char* name, bool sourcePassive)
{
  NetSession* src = m_pSession1;
  NetSession* dst = m_pSession2;
  NetSession* pasv = sourcePassive ? src : dst;
  NetSession* port = sourcePassive ? dst : src;
  CSiteItem* pasvSite = sourcePassive ? m_pSite : m_pSite2;
  const uint32_t idleMs = IdleMs(pasvSite->m_downloadTimeout, g_recvTimeout);
  m_s2sOutcome = COPY_LOST;

  // A failed first direction leaves alive 0 behind: both start afresh.
  src->BeginOperation(false);
  dst->BeginOperation(false);
  src->m_pJob = nullptr;
  dst->m_pJob = nullptr;
  src->m_pFile = nullptr;
  dst->m_pFile = nullptr;
  pasv->m_replyText[0] = '\0';
  port->m_replyText[0] = '\0';

  // The PORT side's TYPE goes out with its PORT and transfer below.
  const CString type = GetTransferTypeText(name);
  if (!pasv->PushCommand(VERB_TYPE, type) || !pasv->PushCommand(VERB_PASV, "")) {
    pasv->m_alive = 0;
    return 0;
  }
  pasv->PostCommands();
  const int r = WaitWithIdle(pasv, pasvSite, idleMs, kS2sSliceMs);
  if (r == -1)
    pasv->GiveUp();
  if (r == 0 && (!Runs(m_pSite) || !Runs(m_pSite2))) {
    m_s2sOutcome = COPY_STOPPED;
    pasv->m_replyText[0] = '\0';
    return 0;
  }
  char argument[kCommandArgLen];
  if (r != 1 || !Alive(pasv) || !FxpPortArgument(pasv->m_replyText, argument, sizeof(argument))) {
    if (r == 1 && Alive(pasv) && pasv->m_replyText[0] != '\0') {
      // Nothing of a bad address goes to the other server.
      char line[400];
      std::snprintf(line, sizeof(line), "%s::Invalid passive mode reply.\r\n", pasvSite->m_host);
      ReportLine(line);
    }
    // Counted as a failed command either way: the other direction may work.
    pasv->m_alive = 0;
    pasv->m_replyText[0] = '\0';
    return 0;
  }

  src->BeginOperation();
  dst->BeginOperation();
  // The PORT side has no data connection on this machine: with the 227 line as
  // its reply text its transfer ends on its control reply, its ABOR goes urgent
  // and a refused PORT says why.
  std::snprintf(port->m_replyText, sizeof(port->m_replyText), "%s", pasv->m_replyText);
  // The receiving server gets its STOR first: a sender that starts before it
  // (an empty file closes at once) would leave it waiting for a second
  // connection that never comes.
  bool pushed = (sourcePassive ? dst->PushCommand(VERB_TYPE, type) != 0 && dst->PushCommand(VERB_PORT, argument) != 0
                               : true) &&
                dst->PushCommand(VERB_STOR, name) != 0;
  if (pushed) {
    dst->PostCommands();
    pushed = WaitReceiverReady(dst, !sourcePassive, idleMs);
  }
  if (pushed) {
    pushed = (sourcePassive ? true
                            : src->PushCommand(VERB_TYPE, type) != 0 && src->PushCommand(VERB_PORT, argument) != 0) &&
             src->PushCommand(VERB_RETR, name) != 0;
    src->PostCommands();
  }
  if (!pushed && Alive(src) && Alive(dst) && Runs(m_pSite) && Runs(m_pSite2) && !Exiting())
    dst->m_alive = 0;

  // No idle limit: no byte passes here to measure. A stop, a failure or the
  // program's exit ends the wait.
  const bool both = pushed && WaitBoth(
      src, dst,
      [&] { return Runs(m_pSite) && Runs(m_pSite2) && Alive(src) && Alive(dst) && !Exiting(); },
      [] { return true; });
  if (both && Runs(m_pSite) && Runs(m_pSite2) && Alive(src) && Alive(dst) && !Exiting()) {
    m_s2sOutcome = COPY_DONE;
    return 1;
  }
  const bool stopped = !Runs(m_pSite) || !Runs(m_pSite2) || Exiting();
  m_s2sOutcome = stopped || (Alive(src) && Alive(dst)) ? COPY_STOPPED : COPY_LOST;
  AbortBoth(false, idleMs);
  if (!stopped && !Exiting())
    SettleReplies(src, dst);
  src->m_replyText[0] = '\0';
  dst->m_replyText[0] = '\0';
  return 0;
}

int CProgThread::FxpFolder(const EntryRecord& folder, const std::string& source, const std::string& target,
                           int direction, bool top)
{
  if (SkipFolderCopy(source, target, top))
    return 1;
  const int made = RunMakeDir(target.c_str(), m_pSession2, m_pSite2);
  if (made == 0)
    return 0;
  if (made == 1 && top) {
    EntryRecord added = folder;
    SendEntryAdded(m_hNode, added, m_secondPath);
  }
  return FxpTree(source.c_str(), target.c_str(), direction);
}

int CProgThread::FxpTree(const char* source, const char* target, int direction)
{
  char line[700];
  if (!Runs(m_pSite) || !Runs(m_pSite2))
    return 0;
  if (ListRemoteFolder(source, false) != 1) {
    std::snprintf(line, sizeof(line), "%s::%s searching failed. Back! ", m_pSite->m_host, source);
    ReportLine(line);
    return 0;
  }
  const std::vector<EntryRecord> entries = TakeListing(m_pSession1);
  if (!ChangeFolderOn(m_pSession2, m_pSite2, target))
    return 0;
  for (const EntryRecord& rec : entries) {
    if (rec.m_kind == kEntryFolder)
      continue;
    if (!Runs(m_pSite) || !Runs(m_pSite2))
      return 0;
    if (!IsPlainRemoteName(rec.m_name))
      continue;
    const int ok = direction == FXP_SOURCE_PASSIVE ? FxpSourcePassive(rec.m_name) : FxpTargetPassive(rec.m_name);
    if (ok)
      continue;
    std::snprintf(line, sizeof(line), "%s::--->::%s%s", m_pSite->m_host, m_pSite2->m_host,
                  m_s2sOutcome == COPY_STOPPED ? "::Site to Site Transfer stoped by user. Back! \r\n"
                                               : "::Site to Site Transfer failed. Back! \r\n");
    ReportLine(line);
    return 0;
  }
  for (const EntryRecord& rec : entries) {
    if (rec.m_kind != kEntryFolder || !IsPlainRemoteName(rec.m_name))
      continue;
    if (!Runs(m_pSite) || !Runs(m_pSite2))
      return 0;
    if (!FxpFolder(rec, S2sJoinPath(source, rec.m_name), S2sJoinPath(target, rec.m_name), direction, false))
      return 0;
  }
  return 1;
}

void CProgThread::TaskSiteFxp()
{
  const char* h1 = m_pSite->m_host;
  const char* h2 = m_pSite2->m_host;
  if (SiteToSiteStart()) {
    int direction = FXP_SOURCE_PASSIVE;
    std::vector<EntryRecord> folders;
    char line[700];
    for (int i = 0; m_pEntries != nullptr && m_pEntries[i].m_name[0] != '\0'; ++i) {
      if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
        break;
      EntryRecord& rec = m_pEntries[i];
      std::snprintf(line, sizeof(line), "%s::--->::%s Site to Site transfering starting\r\n", h1, h2);
      ReportLine(line);
      if (rec.m_kind == kEntryFolder) {
        folders.push_back(rec);
        continue;
      }
      if (!IsPlainRemoteName(rec.m_name))
        continue;
      int ok = direction == FXP_SOURCE_PASSIVE ? FxpSourcePassive(rec.m_name) : FxpTargetPassive(rec.m_name);
      if (!ok) {
        std::string message = std::string(h1) + "::--->::" + h2;
        if (m_s2sOutcome == COPY_STOPPED) {
          message += "::Site to Site Transfer stopped by user,back\r\n";
          ReportLine(message.c_str());
          folders.clear();
        } else if (direction == FXP_SOURCE_PASSIVE) {
          // Many servers refuse a PORT to another address: the other way
          // round, for this file and every later one.
          message += "::Site to Site Transfer Failed! (Attempting alternative method)";
          ReportLine(message.c_str());
          direction = FXP_TARGET_PASSIVE;
          ok = FxpTargetPassive(rec.m_name);
          if (!ok) {
            ReportLine(message.c_str());
            folders.clear();
          }
        } else {
          ReportLine(message.c_str());
          folders.clear();
        }
      }
      if (ok)
        SendEntryAdded(m_hNode, rec, m_secondPath);
    }
    for (const EntryRecord& folder : folders) {
      if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
        break;
      if (!FxpFolder(folder, S2sJoinPath(m_firstPath, folder.m_name), S2sJoinPath(m_secondPath, folder.m_name),
                     direction, true))
        break;
    }
  }
  SiteToSiteEnd(true);
}

// ---- relayed copies ----

int CProgThread::RelayOneFile(BatchJobRecord* job, const char* name)
{
  NetSession* src = m_pSession1;
  NetSession* dst = m_pSession2;
  const uint32_t idleMs = IdleMs(m_pSite2->m_uploadTimeout, g_sendTimeout);
  src->BeginOperation();
  dst->BeginOperation();
  src->m_relayStalled = 0;
  src->m_replyText[0] = '\0';
  dst->m_replyText[0] = '\0';
  // The pump finds its partner and its job through the source's record; the
  // site pointers are never touched.
  src->m_pFile = nullptr;
  dst->m_pFile = nullptr;
  dst->m_pJob = nullptr;
  src->m_pJob = job;
  src->m_pPartner = dst->m_pWnd;

  const CString type = GetTransferTypeText(name);
  // The target goes first and the source only once the target's data socket
  // is handed over: a source that starts at once (a small file is there in a
  // moment) would hold its pump waiting on a target that may be slow to come.
  CFtpSocketWnd* const targetWnd = dst->m_pWnd;
  if (targetWnd != nullptr && targetWnd->m_hRelayReady != nullptr)
    ::ResetEvent(targetWnd->m_hRelayReady);  // a failed copy before may have left it set
  dst->PushCommand(VERB_TYPE, type);
  dst->PushDataConnection(m_pSite2);
  bool pushed = targetWnd != nullptr && targetWnd->m_hRelayReady != nullptr &&
                dst->PushCommand(VERB_STOM, name) != 0;
  job->m_startTick = ::GetTickCount();
  bool timedOut = false;
  if (pushed) {
    dst->PostCommands();
    const int ready = WaitRelayTarget(job, dst, targetWnd->m_hRelayReady, m_pSite, m_pSite2, idleMs);
    timedOut = ready == -1;
    pushed = ready == 1;
  }
  if (pushed) {
    src->PushCommand(VERB_TYPE, type);
    src->PushDataConnection(m_pSite);
    pushed = src->PushCommand(VERB_RETM, name) != 0;
    if (pushed)
      src->PostCommands();
  }
  if (!pushed && !timedOut)
    src->m_alive = 0;

  DWORD idleStart = ::GetTickCount();
  const bool both = pushed && WaitBoth(
      src, dst,
      [&] {
        return JobGoesOn(job) && Runs(m_pSite) && Runs(m_pSite2) && Alive(src) && Alive(dst) && !Exiting();
      },
      [&] {
        if (src->m_progress.exchange(0) != 0)
          idleStart = ::GetTickCount();
        else if (Since(idleStart) >= idleMs)
          timedOut = true;
        return !timedOut;
      });
  const bool stopped = !JobGoesOn(job) || !Runs(m_pSite) || !Runs(m_pSite2) || Exiting();
  int result = 0;
  if (both && !stopped && Alive(src) && Alive(dst)) {
    m_s2sOutcome = COPY_DONE;
    job->m_state = JOB_FINISHED;
    result = 1;
  } else {
    if (stopped)
      m_s2sOutcome = COPY_STOPPED;
    else if (timedOut || src->m_relayStalled.load() != 0)
      m_s2sOutcome = COPY_TIMEOUT;
    else
      m_s2sOutcome = COPY_LOST;
    job->m_state = m_s2sOutcome == COPY_STOPPED ? JOB_INTERRUPTED : JOB_ERROR;
    // Release a pump that still waits for the target and make both data
    // sockets give up at their next call.
    CFtpSocketWnd* sourceWnd = src->m_pWnd;
    for (CFtpSocketWnd* w : {sourceWnd, targetWnd}) {
      const SOCKET s = w != nullptr ? w->m_dataSocket : INVALID_SOCKET;
      if (s != INVALID_SOCKET) {
        u_long nonBlocking = 1;
        ::ioctlsocket(s, FIONBIO, &nonBlocking);
      }
    }
    if (targetWnd != nullptr && targetWnd->m_hRelayReady != nullptr)
      ::SetEvent(targetWnd->m_hRelayReady);
    AbortBoth(true, idleMs);
  }
  // The pump holds the partner's window while it runs: it must be over before
  // the link goes and before the target's connection can end. The source's
  // thread answers once it is past the pump (bounded by the pump's own limit).
  HWND sourceHwnd = WndOf(src);
  if (sourceHwnd != nullptr) {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(sourceHwnd, WM_NULL, 0, 0, SMTO_NORMAL, idleMs + kS2sSliceMs, &ignored);
  }
  src->m_pPartner = nullptr;
  dst->m_pJob = nullptr;
  // Speed text, the record let go by the connection, then running := 0, last.
  FinishJob(job);
  return result;
}

int CProgThread::RelayEntry(EntryRecord& rec, const std::string& source, const std::string& target, bool top)
{
  const std::string sourcePath = S2sJoinPath(source, rec.m_name);
  const std::string targetPath = S2sJoinPath(target, rec.m_name);
  BatchJobRecord* job = new BatchJobRecord;
  job->m_running = 1;
  std::snprintf(job->m_source, sizeof(job->m_source), "%s%s", m_pSite->m_host, sourcePath.c_str());
  std::snprintf(job->m_target, sizeof(job->m_target), "%s%s", m_pSite2->m_host, targetPath.c_str());
  job->m_state = JOB_COPYING;
  job->m_size = rec.m_size > 0 ? static_cast<uint64_t>(rec.m_size) : 0;
  job->m_bytesDone = 0;
  const bool handed = CanHandOver();
  if (handed)
    SendToView(g_pFuncView, UWM_BATCH_ADD, 0, reinterpret_cast<LPARAM>(job));
  std::snprintf(rec.m_second, sizeof(rec.m_second), "%s", targetPath.c_str());

  const int ok = RelayOneFile(job, rec.m_name);
  const int32_t outcome = m_s2sOutcome;
  // From here the job is the list's: it may be freed once the call returns.
  if (handed)
    SendToView(g_pFuncView, UWM_TASK_FINISHED, reinterpret_cast<WPARAM>(job), 0);
  else
    delete job;
  job = nullptr;
  if (ok) {
    if (top)
      SendEntryAdded(m_hNode, rec, m_secondPath);
    return 1;
  }
  const char* text;
  if (outcome == COPY_STOPPED)
    text = top ? "::Site to Site transfer interrupt by user,back. \r\n" : "::Site to Site transfer stoped by user, back.\r\n";
  else if (outcome == COPY_TIMEOUT)
    // The per-file loop and the folder walk log the time-out with different capitals; callers match both.
    text = top ? "::Site to site transfer timeout, back. \r\n" : "::Site to Site transfer timeout, back. \r\n";
  else
    text = "::Site to Site transfer failed, back. \r\n";
  char line[400];
  std::snprintf(line, sizeof(line), "%s::--->::%s%s", m_pSite->m_host, m_pSite2->m_host, text);
  ReportLine(line);
  return 0;
}

int CProgThread::RelayFolder(const EntryRecord& folder, const std::string& source, const std::string& target,
                             bool top)
{
  if (SkipFolderCopy(source, target, top))
    return 1;
  const int made = RunMakeDir(target.c_str(), m_pSession2, m_pSite2);
  if (made == 0)
    return 0;
  if (made == 2 && IsOptionSet(OPTBIT_FILE_EXISTS_RULES) && !Exiting()) {
    char text[700];
    std::snprintf(text, sizeof(text), "%s::%s already exists. Overwrite or not?", m_pSite2->m_host, target.c_str());
    if (ShowConfirmDlgText(g_pMainFrame.load(), text, kConfirmModeQuestion, TRUE) == IDCANCEL)
      return 1;  // this folder is skipped, the others go on
  }
  if (made == 1 && top) {
    EntryRecord added = folder;
    SendEntryAdded(m_hNode, added, m_secondPath);
  }
  return RelayTree(source.c_str(), target.c_str());
}

int CProgThread::RelayTree(const char* source, const char* target)
{
  if (!Runs(m_pSite) || !Runs(m_pSite2))
    return 0;
  if (ListRemoteFolder(source, false) != 1) {
    char line[700];
    std::snprintf(line, sizeof(line), "%s::%s search failed. Back! \r\n", m_pSite->m_host, source);
    ReportLine(line);
    return 0;
  }
  std::vector<EntryRecord> entries = TakeListing(m_pSession1);
  if (!ChangeFolderOn(m_pSession2, m_pSite2, target))
    return 0;
  for (EntryRecord& rec : entries) {
    if (rec.m_kind == kEntryFolder)
      continue;
    if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
      return 0;
    if (!IsPlainRemoteName(rec.m_name))
      continue;
    if (!RelayEntry(rec, source, target, false))
      return 0;
  }
  for (const EntryRecord& rec : entries) {
    if (rec.m_kind != kEntryFolder || !IsPlainRemoteName(rec.m_name))
      continue;
    if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
      return 0;
    if (!RelayFolder(rec, S2sJoinPath(source, rec.m_name), S2sJoinPath(target, rec.m_name), false))
      return 0;
  }
  return 1;
}

void CProgThread::TaskSiteRelay()
{
  if (SiteToSiteStart()) {
    std::vector<EntryRecord> folders;
    for (int i = 0; m_pEntries != nullptr && m_pEntries[i].m_name[0] != '\0'; ++i) {
      if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
        break;
      EntryRecord& rec = m_pEntries[i];
      if (rec.m_kind == kEntryFolder) {
        folders.push_back(rec);
        continue;
      }
      if (!IsPlainRemoteName(rec.m_name))
        continue;
      if (!RelayEntry(rec, m_firstPath, m_secondPath, true)) {
        folders.clear();
        break;
      }
    }
    for (const EntryRecord& folder : folders) {
      if (!Runs(m_pSite) || !Runs(m_pSite2) || Exiting())
        break;
      if (!RelayFolder(folder, S2sJoinPath(m_firstPath, folder.m_name), S2sJoinPath(m_secondPath, folder.m_name),
                       true))
        break;
    }
  }
  SiteToSiteEnd(false);
}
