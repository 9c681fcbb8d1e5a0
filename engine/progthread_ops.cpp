// The server-side file commands of the one-task worker: make a folder, rename,
// move, delete (whole trees), attributes and the password change. Every wait is
// bounded by the site's idle limit, so a silent server fails the step.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/confirmdlg.h"
#include "engine/connlog.h"
#include "engine/exitrequest.h"
#include "engine/fileops.h"
#include "engine/listingcache.h"
#include "engine/matchpattern.h"
#include "engine/viewslots.h"
#include "engine/ftpsocketwnd.h"
#include "engine/netsession.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"

namespace {

const DWORD kOpsSliceMs = 2000;

// An argument the push would cut could name another file or folder.
bool Fits(const char* arg)
{
  return std::strlen(arg) < kCommandArgLen;
}

bool Fits(const std::string& arg)
{
  return arg.size() < kCommandArgLen;
}

void LogFormat(const char* format, const char* a, const char* b = "")
{
  char line[700];
  std::snprintf(line, sizeof(line), format, a, b);
  CProgThread::LogOnly(line);
}

}  // namespace

std::string JoinRemotePath(const std::string& folder, const std::string& name)
{
  std::string path = folder;
  if (path.empty() || path.back() != '/')
    path += '/';
  return path + name;
}

bool CProgThread::RunCommands(const int* verbs, const char* const* args, int count)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  for (int i = 0; i < count; ++i) {
    if (!Fits(args[i])) {
      char line[400];
      std::snprintf(line, sizeof(line), "%s::%.60s... is too long to send\r\n", site->m_host, args[i]);
      LogOnly(line);
      session->m_alive = 0;
      return false;
    }
  }
  session->BeginOperation(false);
  for (int i = 0; i < count; ++i)
    session->PushCommand(verbs[i], args[i]);
  session->PostCommands();
  const int r = WaitWithIdle(session, site, ListingIdleMs(site), kOpsSliceMs);
  if (r == -1)
    session->GiveUp();
  return r == 1 && session->m_alive.load() != 0 && site->m_queueRun.load() != 0;
}

int CProgThread::RunMakeDir(const char* name, NetSession* session, CSiteItem* site)
{
  NetSession* keepSession = m_pSession1;
  CSiteItem* keepSite = m_pSite;
  if (session != nullptr) {
    m_pSession1 = session;
    m_pSite = site != nullptr ? site : (m_pSite2 != nullptr ? m_pSite2 : m_pSite);
  }
  int result = 0;
  if (m_pSite->m_queueRun.load() != 0) {
    const int verbs[] = {VERB_MKD};
    const char* args[] = {name};
    if (RunCommands(verbs, args, 1))
      result = 1;
    else
      result = m_pSite->m_queueRun.load() == 0 ? 0 : 2;
  }
  m_pSession1 = keepSession;
  m_pSite = keepSite;
  return result;
}

int CProgThread::RenameOne(const char* oldName, const char* newName)
{
  const int verbs[] = {VERB_RNFR, VERB_RNTO};
  const char* args[] = {oldName, newName};
  return RunCommands(verbs, args, 2) ? 1 : 0;
}

int CProgThread::MoveOne(const char* fromFolder, const char* toFolder, const char* name)
{
  const std::string from = JoinRemotePath(fromFolder[0] != '\0' ? fromFolder : "/", name);
  const std::string to = JoinRemotePath(toFolder[0] != '\0' ? toFolder : "/", name);
  return RenameOne(from.c_str(), to.c_str());
}

int CProgThread::DeleteOneFile(const char* name)
{
  const int verbs[] = {VERB_DELE};
  const char* args[] = {name};
  return RunCommands(verbs, args, 1) ? 1 : 0;
}

int CProgThread::SiteCommandOne(const char* text)
{
  const int verbs[] = {VERB_SITE};
  const char* args[] = {text};
  return RunCommands(verbs, args, 1) ? 1 : 0;
}

int CProgThread::DeleteTree(const char* path)
{
  NetSession* session = m_pSession1;
  CSiteItem* site = m_pSite;
  const char* host = site->m_host;
  int result = 1;
  LogFormat("%s::Searching %s files. \r\n", host, path);
  if (!Fits(path) || ListRemoteFolder(path, false) != 1) {
    if (session->m_alive.load() == 0 || !Fits(path))
      LogFormat("%s::%s Searching error, back.\r\n", host, path);
    return 0;
  }
  EntryRecord* entries = nullptr;
  int count = 0;
  if (session->m_pRecord != nullptr) {
    entries = ParseListing(static_cast<const char*>(session->m_pRecord), &count);
    free(session->m_pRecord);
    session->m_pRecord = nullptr;
  }
  if (entries == nullptr)
    return 1;

  // Once a step failed in this folder no further subfolder is collected, so
  // what survives never depends on the listing's order.
  std::vector<std::string> folders;
  bool failed = false;
  for (int i = 0; i < count && entries[i].m_name[0] != '\0' && site->m_queueRun.load() != 0; ++i) {
    const EntryRecord& e = entries[i];
    if (std::strcmp(e.m_name, ".") == 0 || std::strcmp(e.m_name, "..") == 0)
      continue;
    if (std::strchr(e.m_name, '/') != nullptr) {
      // Such a name would address another path: leave it and keep the folder.
      folders.clear();
      failed = true;
      result = 0;
      continue;
    }
    if (e.m_kind == kEntryFolder) {
      if (!failed)
        folders.push_back(e.m_name);
      continue;
    }
    LogFormat("%s::Preparing to delete %s. ", host, e.m_name);
    if (DeleteOneFile(e.m_name) != 1) {
      if (site->m_queueRun.load() != 0)
        LogFormat("%s::Deleting error, maybe you don't have the permission or the file doesn't exist\r\n", host);
      else
        LogFormat("%s::Deleting error\r\n", host);
      folders.clear();
      failed = true;
      result = 0;
    }
  }
  delete[] entries;

  for (size_t i = 0; i < folders.size() && site->m_queueRun.load() != 0; ++i) {
    const std::string sub = JoinRemotePath(path, folders[i]);
    if (DeleteTree(sub.c_str()) != 1) {
      result = 0;
      break;
    }
    LogFormat("%s::Deleting %s ", host, sub.c_str());
    const int verbs[] = {VERB_CDUP, VERB_RMD};
    const char* args[] = {"", folders[i].c_str()};
    if (!RunCommands(verbs, args, 2)) {
      result = 0;
      break;
    }
  }
  if (site->m_queueRun.load() == 0)
    result = 0;
  return result;
}

// ---- tasks ----

bool CProgThread::ChangeToFirstPath()
{
  const int verbs[] = {VERB_CWD};
  const char* args[] = {m_firstPath};
  return RunCommands(verbs, args, 1);
}


void CProgThread::TaskMakeDir()
{
  CSiteItem* site = m_pSite;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeToFirstPath())
    return;
  if (m_pEntries == nullptr)
    return;
  std::string message = std::string(site->m_host) + "::" + m_firstPath;
  if (message.empty() || message.back() != '/')
    message += '/';
  message += m_pEntries[0].m_name;
  switch (RunMakeDir(m_pEntries[0].m_name)) {
    case 0:
      message += " create stopped by user.\r\n";
      break;
    case 2:
      message += " create failed. ";
      break;
    default:
      SendEntryAdded(m_hNode, m_pEntries[0], m_firstPath);
      SendResult(UWM_DROP_LISTING_CACHE, 0, static_cast<LPARAM>(node));
      message += " create finished.\r\n";
      break;
  }
  ReportLine(message.c_str());
}

void CProgThread::TaskRename()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeToFirstPath())
    return;
  std::string message = site->m_host;
  for (int i = 0; i < m_value && m_pEntries != nullptr && site->m_queueRun.load() != 0; ++i) {
    EntryRecord* e = &m_pEntries[i];
    if (RenameOne(e->m_name, e->m_second) == 1) {
      message += "::Rename is complete\r\n";
      SendResult(UWM_ENTRY_RENAMED, node, reinterpret_cast<LPARAM>(e));
      SendResult(UWM_DROP_LISTING_CACHE, 0, static_cast<LPARAM>(node));
    } else if (session->m_alive.load() == 0) {
      message += "::Maybe you don't have the permission or the name is illegal, task failure.\r\n";
    } else {
      message += "::Renaming stopped by user\r\n";
    }
  }
  ReportLine(message.c_str());  // the log cuts it to a line's length
}

void CProgThread::TaskMove()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  {
    const int verbs[] = {VERB_CDUP};
    const char* args[] = {""};
    if (!RunCommands(verbs, args, 1))
      return;
  }
  for (int i = 0; i < m_value && m_pEntries != nullptr && site->m_queueRun.load() != 0; ++i) {
    EntryRecord* e = &m_pEntries[i];
    if (MoveOne(m_firstPath, m_secondPath, e->m_name) != 1) {
      if (session->m_alive.load() == 0)
        LogFormat("%s::Moving file error\r\n", site->m_host);
      else
        LogFormat("%s::Moving file stop by user\r\n", site->m_host);
      break;
    }
    SendResult(UWM_ENTRY_REMOVED, node, reinterpret_cast<LPARAM>(e));
  }
  if (g_exitRequested.load() != 0)
    return;
  SendResult(UWM_DROP_LISTING_CACHE, 0, static_cast<LPARAM>(node));
  if (session->m_alive.load() != 0 && site->m_queueRun.load() != 0) {
    std::string line = std::string(site->m_host) + "::Moving file completed\r\n";
    ReportLine(line.c_str());
    ShowConfirmDlgText(g_pMainFrame.load(), "If the directory doesn't display normally, please press [Refresh] button",
                       -1, TRUE);
  }
}

void CProgThread::TaskDelete()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  const char* host = site->m_host;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeToFirstPath())
    return;
  std::vector<std::string> folders;
  for (int i = 0; i < m_value && m_pEntries != nullptr && site->m_queueRun.load() != 0; ++i) {
    EntryRecord* e = &m_pEntries[i];
    if (std::strchr(e->m_name, '/') != nullptr) {
      // Never part of a path: it would name something the user did not choose.
      LogFormat("%s::Deleting error, maybe you don't have the permission or the file does not exist\r\n", host);
      folders.clear();
      break;
    }
    if (e->m_kind == kEntryFolder) {
      folders.push_back(e->m_name);
      continue;
    }
    LogFormat("%s::Preparing to delete %s file\r\n", host, e->m_name);
    if (DeleteOneFile(e->m_name) == 1) {
      SendResult(UWM_ENTRY_REMOVED, node, reinterpret_cast<LPARAM>(e));
      continue;
    }
    if (site->m_queueRun.load() == 0)
      LogFormat("%s::Deleting stopped. \r\n", host);
    else
      LogFormat("%s::Deleting error, maybe you don't have the permission or the file does not exist\r\n", host);
    folders.clear();
    break;
  }

  const char* dirError =
      "%s::Deleting the directory error, maybe you don't have the permission or the file does not exist. \r\n";
  for (size_t i = 0; i < folders.size() && site->m_queueRun.load() != 0; ++i) {
    const std::string full = JoinRemotePath(m_firstPath, folders[i]);
    if (DeleteTree(full.c_str()) != 1) {
      LogFormat(dirError, host);
      break;
    }
    const int verbs[] = {VERB_CDUP, VERB_RMD};
    const char* args[] = {"", folders[i].c_str()};
    if (RunCommands(verbs, args, 2)) {
      EntryRecord removed;
      std::memset(&removed, 0, sizeof(removed));
      std::snprintf(removed.m_name, sizeof(removed.m_name), "%s", folders[i].c_str());
      removed.m_kind = kEntryFolder;
      SendResult(UWM_ENTRY_REMOVED, node, reinterpret_cast<LPARAM>(&removed));
    } else {
      LogFormat(dirError, host);  // refused: said, and the folder stays in the views
    }
  }
  if (g_exitRequested.load() != 0)
    return;
  session->m_pFile = nullptr;
  LogFormat("%s::Deleting task is complete. \r\n", host);
  SendResult(UWM_DROP_LISTING_CACHE, 0, static_cast<LPARAM>(node));
}

void CProgThread::TaskSetAttributes()
{
  CSiteItem* site = m_pSite;
  const WPARAM node = reinterpret_cast<WPARAM>(m_hNode);
  if (!ChangeToFirstPath())
    return;
  for (int i = 0; i < m_value && m_pEntries != nullptr && site->m_queueRun.load() != 0; ++i) {
    if (SiteCommandOne(m_pEntries[i].m_second) != 1 && site->m_queueRun.load() == 0)
      break;
  }
  if (g_exitRequested.load() != 0)
    return;
  SendResult(UWM_DROP_LISTING_CACHE, 0, static_cast<LPARAM>(node));
  LogFormat("%s::Setting up attribute is complete\r\n", site->m_host);
}

void CProgThread::TaskChangePassword()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  std::string message = site->m_host;
  const std::string text = std::string("PSWD ") + m_firstPath + " " + m_secondPath;
  // A password the site cannot store, or a command the push would cut, is not sent.
  bool ok = std::strlen(m_secondPath) < sizeof(site->m_password) && Fits(text);
  if (ok) {
    ok = SiteCommandOne(text.c_str()) == 1 && session->m_alive.load() != 0;
  }
  if (ok) {
    std::snprintf(site->m_password, sizeof(site->m_password), "%s", m_secondPath);
    message += "::The password change is complete\r\n";
    if (g_exitRequested.load() == 0)
      SendToView(g_pMainFrame, UWM_SAVE_SITE, reinterpret_cast<WPARAM>(site), 0);
  } else {
    message += "::The password change failed, maybe you don't have the permission or the server doesn's support.\r\n";
  }
  ReportLine(message.c_str());
}

// ---- search, structure record, space used ----

namespace {

// The listing text of the last ListRemoteFolder, parsed and freed.
EntryRecord* TakeParsedListing(NetSession* session, int* count)
{
  EntryRecord* entries = nullptr;
  *count = 0;
  if (session->m_pRecord != nullptr) {
    entries = ParseListing(static_cast<const char*>(session->m_pRecord), count);
    free(session->m_pRecord);
    session->m_pRecord = nullptr;
  }
  return entries;
}

bool IsDotName(const char* name)
{
  return name[0] == '.';
}

// A hostile listing may give sizes near the 64-bit limit: the total stops there.
void AddSize(int64_t& total, int64_t size)
{
  if (size < 0)
    return;
  total = size > INT64_MAX - total ? INT64_MAX : total + size;
}

}  // namespace

int CProgThread::SearchFolder(const char* path)
{
  if (!Fits(path) || ListRemoteFolder(path, false) != 1)
    return 0;
  int count = 0;
  EntryRecord* entries = TakeParsedListing(m_pSession1, &count);
  if (entries == nullptr)
    return 1;
  if (m_task == TASK_SPACE_USED) {
    if (SpaceRunStale())
      delete[] entries;
    else
      SumEntries(path, entries);
  } else {
    SearchEntries(path, entries);
  }
  return 1;
}

void CProgThread::SearchEntries(const char* path, EntryRecord* entries)
{
  CSiteItem* site = m_pSite;
  std::vector<std::string> folders;
  const bool everything = std::strcmp(m_secondPath, "*.*") == 0 || std::strcmp(m_secondPath, "*") == 0;
  for (EntryRecord* e = entries; e->m_name[0] != '\0' && site->m_queueRun.load() != 0; ++e) {
    if (e->m_kind == kEntryFolder) {
      if (m_hNode == nullptr && !IsDotName(e->m_name) && std::strchr(e->m_name, '/') == nullptr)
        folders.push_back(e->m_name);
      continue;
    }
    if (everything || MatchPattern(m_secondPath, e->m_name, m_matchCase != 0) == 1) {
      e->m_tag = m_value;
      std::snprintf(e->m_second, sizeof(e->m_second), "%s", path);
      SendToView(g_pFuncView, UWM_SEARCH_RESULTS, 0, reinterpret_cast<LPARAM>(e));
    }
  }
  delete[] entries;
  for (size_t i = 0; i < folders.size() && site->m_queueRun.load() != 0; ++i)
    SearchFolder(JoinRemotePath(path, folders[i]).c_str());
  m_pSession1->m_pFile = nullptr;
}

void CProgThread::SumEntries(const char* path, EntryRecord* entries)
{
  CSiteItem* site = m_pSite;
  std::vector<std::string> folders;
  for (EntryRecord* e = entries; e->m_name[0] != '\0' && site->m_queueRun.load() != 0 && !SpaceRunStale(); ++e) {
    if (e->m_kind == kEntryFolder) {
      if (!IsDotName(e->m_name) && std::strchr(e->m_name, '/') == nullptr) {
        ++m_sumFolders;
        folders.push_back(e->m_name);
      }
      continue;
    }
    ++m_sumFiles;
    AddSize(m_sumBytes, e->m_size);
  }
  delete[] entries;
  for (size_t i = 0; i < folders.size() && site->m_queueRun.load() != 0 && !SpaceRunStale(); ++i)
    SearchFolder(JoinRemotePath(path, folders[i]).c_str());
}

void CProgThread::TaskSearch()
{
  SearchFolder(m_firstPath);
}

void CProgThread::TaskRecordStructure()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  NextListingGeneration(m_paneFlag);
  std::string message = std::string(site->m_host) + "::" + m_firstPath;
  if (ListRemoteFolder(m_firstPath, true) == 1) {
    const char* text = static_cast<const char*>(session->m_pRecord);
    if (text == nullptr || text[0] == '\0') {
      message += " directory is empty,no data\r\n";
    } else {
      FILE* f = std::fopen(m_secondPath, "wb");
      if (f == nullptr) {
        message += " recording directory structure error";
        message += ": cannot create ";
        message += m_secondPath;
        message += "\r\n";
      } else {
        const size_t len = std::strlen(text);
        const bool written = std::fwrite(text, 1, len, f) == len;
        if (std::fclose(f) == 0 && written) {
          message += " recording directory structure is complete\r\n";
        } else {
          message += " recording directory structure error";
          message += ": cannot create ";
          message += m_secondPath;
          message += "\r\n";
        }
      }
    }
    if (session->m_pRecord != nullptr) {
      free(session->m_pRecord);
      session->m_pRecord = nullptr;
    }
  } else if (session->m_alive.load() == 0 && !m_timedOut) {
    message += " recording directory structure error";
  } else if (site->m_queueRun.load() != 0) {
    message += " recording directory structure timeout, the task complete";
  } else {
    message += " recording directory structure stopped by user, the task complete";
  }
  ReportLine(message.c_str());
}

void CProgThread::TaskSpaceUsed()
{
  CSiteItem* site = m_pSite;
  NetSession* session = m_pSession1;
  SpaceUsedRun* run = m_pSpaceRun;
  if (run == nullptr || SpaceRunStale())
    return;
  std::string message = std::string(site->m_host) + "::" + m_firstPath;
  m_sumBytes = m_sumFiles = m_sumFolders = 0;
  bool listed = false;
  if (run->m_method == 0) {
    if (ListRemoteFolder(m_firstPath, true) == 1) {
      listed = true;
      std::string text = session->m_pRecord != nullptr ? static_cast<const char*>(session->m_pRecord) : "";
      free(session->m_pRecord);
      session->m_pRecord = nullptr;
      // Folder header lines ("./name:") are no entries, however long.
      std::string kept;
      size_t start = 0;
      while (start < text.size()) {
        size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, next - start);
        std::string bare = line;
        while (!bare.empty() && (bare.back() == '\n' || bare.back() == '\r'))
          bare.pop_back();
        if (bare.empty() || bare.back() != ':')
          kept += line;
        start = next;
      }
      int count = 0;
      EntryRecord* entries = ParseListing(kept.c_str(), &count);
      for (int i = 0; entries != nullptr && i < count && entries[i].m_name[0] != '\0' && !SpaceRunStale(); ++i) {
        if (IsDotName(entries[i].m_name) && (std::strcmp(entries[i].m_name, ".") == 0 ||
                                             std::strcmp(entries[i].m_name, "..") == 0))
          continue;
        if (entries[i].m_kind == kEntryFolder) {
          ++m_sumFolders;
        } else {
          ++m_sumFiles;
          AddSize(m_sumBytes, entries[i].m_size);
        }
      }
      delete[] entries;
      message += " calculate FTP Space Used is complete. \r\n";
    } else {
      message += " calculate FTP Space Used failed.\r\n";
    }
  } else {
    listed = SearchFolder(m_firstPath) == 1;
    message += listed ? " calculate FTP Space Used is complete.\r\n\r\n" : " calculate FTP Space Used failed.\r\n";
  }
  // A newer run owns the record now: leave it alone.
  if (SpaceRunStale())
    return;
  if (listed) {
    run->m_bytes = m_sumBytes;
    run->m_files = m_sumFiles;
    run->m_folders = m_sumFolders;
  }
  ReportLine(message.c_str());
}
