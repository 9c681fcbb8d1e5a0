// CSiteItem's Win32 half: the idle event, the connection semaphore, the keeper
// thread at teardown and the listing-cache folder.
#include "engine/siteitem.h"

#include <string>

#include "framework/afxwin.h"

void CSiteItem::CreateHandles()
{
  // Manual reset, signalled: nobody waits for a keeper that is not connecting.
  m_hIdleEvent = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

void CSiteItem::CloseHandles()
{
  if (m_pKeeperThread != nullptr) {
    m_keeperRunning = 0;
    // The keeper may be suspended while its connection is lent, perhaps more
    // than once; resume it fully so it can see the flag and end.
    for (int i = 0; i < 128; ++i) {
      DWORD previous = m_pKeeperThread->ResumeThread();
      if (previous == (DWORD)-1 || previous <= 1)
        break;
    }
    ::WaitForSingleObject(m_pKeeperThread->m_hThread, INFINITE);
    delete m_pKeeperThread;
    m_pKeeperThread = nullptr;
  }
  HANDLE semaphore = m_hConnSemaphore.exchange(nullptr);
  if (semaphore != nullptr)
    ::CloseHandle(semaphore);
  if (m_hIdleEvent != nullptr) {
    ::CloseHandle(m_hIdleEvent);
    m_hIdleEvent = nullptr;
  }
}

HANDLE CSiteItem::ConnectionSemaphore()
{
  HANDLE current = m_hConnSemaphore.load();
  if (current != nullptr)
    return current;
  const LONG count = ConnectionLimit();
  HANDLE made = ::CreateSemaphoreA(nullptr, count, count, nullptr);
  if (made == nullptr)
    return nullptr;
  // The keeper's login and the queue's next-item rule may both get here first.
  HANDLE expected = nullptr;
  if (!m_hConnSemaphore.compare_exchange_strong(expected, made)) {
    ::CloseHandle(made);
    return expected;
  }
  return made;
}

// Drops separators at the end, stepping over double-byte characters: a trail
// byte may look like a backslash.
static void DropTrailingSeparators(std::string& path)
{
  for (;;) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size();) {
      last = i;
      int len = FwCharLen(path.c_str() + i);
      i += len > 0 ? (size_t)len : 1;
    }
    if (last == std::string::npos || last == 0 || (path[last] != '\\' && path[last] != '/'))
      return;
    path.erase(last);
  }
}

void CSiteItem::DeleteCacheFolder()
{
  if (m_cacheFolder[0] == '\0')
    return;
  // Full paths throughout: the current folder belongs to the whole process.
  std::string folder(m_cacheFolder, strnlen(m_cacheFolder, sizeof(m_cacheFolder)));
  DropTrailingSeparators(folder);
  if (folder.empty())
    return;
  const std::string prefix = folder + "\\";

  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((prefix + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      // Only the cache's own files: a site named ".." or a folder that holds
      // anything else must not lose it.
      const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
      if ((found.dwFileAttributes & notPlain) != 0 || !IsCacheFileName(found.cFileName))
        continue;
      ::DeleteFileA((prefix + found.cFileName).c_str());
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
  }
  // Fails, harmlessly, unless the folder is now empty.
  ::RemoveDirectoryA(folder.c_str());
}
