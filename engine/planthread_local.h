// What the queue worker's files share: the document's hooks, the item's
// status and counters as the queue page reads them, and path joins.
#pragma once

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/ftpsocketwnd.h"
#include "engine/netsession.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/queuerules.h"
#include "engine/siteitem.h"
#include "shell/settings/settings.h"

namespace plan_detail {

extern std::atomic<CSiteItem* (*)(int)> g_docSite;
extern std::atomic<BOOL (*)(int)> g_docConnect;
extern std::atomic<int (*)()> g_docQueueCount;
// Set when a worker takes an item, taken by the end of the queue: workers that
// a late Run Queue starts after the end, and that find nothing, end quietly
// instead of running the end action a second time.
extern std::atomic<int32_t> g_queueTookItem;

// How often a wait that has no slice of its own looks at the stop flags.
constexpr DWORD kPollMs = 200;

inline int64_t BytesDoneOf(const CPlanItem* item)
{
  return __atomic_load_n(&item->m_bytesDone, __ATOMIC_RELAXED);
}

inline HWND SessionHwnd(NetSession* session)
{
  return session != nullptr && session->m_pWnd != nullptr ? session->m_pWnd->GetSafeHwnd() : nullptr;
}

inline std::string LocalJoin(const char* folder, const char* name)
{
  std::string s = folder != nullptr ? folder : "";
  if (!s.empty() && s.back() != '\\')
    s += '\\';
  return s + name;
}

inline std::string RemoteJoin(const char* folder, const char* name)
{
  std::string s = folder != nullptr ? folder : "";
  if (!s.empty() && s.back() != '/')
    s += '/';
  return s + name;
}

template <size_t N>
inline bool CopyText(char (&to)[N], const std::string& from)
{
  if (from.size() >= N) {
    to[0] = '\0';
    return false;
  }
  std::memcpy(to, from.c_str(), from.size() + 1);
  return true;
}

template <size_t N>
inline void CopyText(char (&to)[N], const char* from)
{
  std::snprintf(to, N, "%s", from != nullptr ? from : "");
}

inline struct tm LocalNow()
{
  time_t now = time(nullptr);
  struct tm t;
  std::memset(&t, 0, sizeof(t));
#ifdef _WIN32
  localtime_s(&t, &now);
#else
  localtime_r(&now, &t);
#endif
  return t;
}

// The local file's size, or kNoDestination when there is none.
inline int64_t LocalFileSize(const std::string& path)
{
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return kNoDestination;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

inline uint32_t SecondsToMs(int32_t siteSeconds, int32_t globalSeconds)
{
  int32_t seconds = siteSeconds > 10 ? siteSeconds : globalSeconds;
  if (seconds < 1)
    seconds = 1;
  return static_cast<uint32_t>(seconds) * 1000u;
}

// Whether the queue's file-exists answer depends on the destination's size.
inline bool DestinationLookupNeeded(FileRuleDirection direction, int64_t sourceSize, int32_t failedAttempts)
{
  FileExistsCase probe;
  probe.direction = direction;
  probe.sourceSize = sourceSize;
  probe.destSize = kNoDestination;
  probe.failedAttempts = failedAttempts;
  probe.useRules = IsOptionSet(OPTBIT_FILE_EXISTS_RULES);
  probe.rules = static_cast<uint32_t>(g_queueFileExistsRules.load());
  return FileExistsNeedsLookup(probe);
}

}  // namespace plan_detail
