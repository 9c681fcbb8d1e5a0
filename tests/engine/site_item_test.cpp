// The work site's Win32 half: idle event, connection semaphore, the listing
// cache folder and the keeper thread at teardown.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/siteitem.h"
#include "framework/afxwin.h"

namespace {

std::string TempRoot()
{
  char base[MAX_PATH];
  DWORD n = GetTempPathA(sizeof(base), base);
  EXPECT_GT(n, 0u);
  char unique[64];
  snprintf(unique, sizeof(unique), "zarn-site-%lu-%lu\\", (unsigned long)GetCurrentProcessId(),
           (unsigned long)GetTickCount());
  std::string root = std::string(base) + unique;
  EXPECT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  return root;
}

void Touch(const std::string& path)
{
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(h, "x", 1, &written, nullptr);
  CloseHandle(h);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string CurrentFolder()
{
  char buf[MAX_PATH];
  GetCurrentDirectoryA(sizeof(buf), buf);
  return buf;
}

void RemoveTree(const std::string& folder)
{
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..")
        continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(folder + name + "\\");
      else
        DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

TEST(SiteItem, IdleEventIsManualAndSignalled)
{
  CSiteItem site;
  ASSERT_NE(site.m_hIdleEvent, nullptr);
  EXPECT_EQ(WaitForSingleObject(site.m_hIdleEvent, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(site.m_hIdleEvent, 0), WAIT_OBJECT_0);  // stays set
  ResetEvent(site.m_hIdleEvent);
  EXPECT_EQ(WaitForSingleObject(site.m_hIdleEvent, 0), (DWORD)WAIT_TIMEOUT);
}

TEST(SiteItem, ConnectionSemaphoreIsMadeOnceWithTheSiteCount)
{
  CSiteItem site;
  strcpy(site.SiteOptionDigits, "2120200100");
  site.m_connLimit = 3;
  EXPECT_EQ(site.m_hConnSemaphore.load(), nullptr);

  // The keeper's login and the queue may ask at the same moment.
  std::vector<std::thread> threads;
  std::vector<HANDLE> got(8, nullptr);
  std::atomic<bool> go{false};
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      while (!go)
        std::this_thread::yield();
      got[(size_t)i] = site.ConnectionSemaphore();
    });
  }
  go = true;
  for (std::thread& t : threads)
    t.join();
  HANDLE semaphore = site.m_hConnSemaphore.load();
  ASSERT_NE(semaphore, nullptr);
  for (HANDLE h : got)
    EXPECT_EQ(h, semaphore);

  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0) << i;
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), (DWORD)WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 3, nullptr));
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, nullptr));  // maximum 3

  CSiteItem single;
  strcpy(single.SiteOptionDigits, "1120200100");
  HANDLE one = single.ConnectionSemaphore();
  EXPECT_EQ(WaitForSingleObject(one, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(one, 0), (DWORD)WAIT_TIMEOUT);
}

TEST(SiteItem, DeleteCacheFolderRemovesOnlyCacheFiles)
{
  const std::string root = TempRoot();
  const std::string cache = root + "cache\\site\\";
  ASSERT_TRUE(CreateDirectoryA((root + "cache").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(cache.c_str(), nullptr));
  for (const char* name : {"123", "-45", "0"})
    Touch(cache + name);
  for (const char* name : {"notes.txt", "12.bak", "-", "9a"})
    Touch(cache + name);
  ASSERT_TRUE(CreateDirectoryA((cache + "77").c_str(), nullptr));  // a folder named like a cache file
  Touch(cache + "77\\5");

  const std::string before = CurrentFolder();
  {
    CSiteItem site;
    strcpy(site.m_cacheFolder, cache.c_str());
    site.DeleteCacheFolder();
    EXPECT_EQ(CurrentFolder(), before);
    for (const char* name : {"123", "-45", "0"})
      EXPECT_FALSE(Exists(cache + name)) << name;
    for (const char* name : {"notes.txt", "12.bak", "-", "9a", "77", "77\\5"})
      EXPECT_TRUE(Exists(cache + name)) << name;
    EXPECT_TRUE(Exists(cache));  // not empty: kept
  }

  // A folder holding only cache files goes with them, also at teardown, and
  // with or without its trailing separator.
  const std::string only = root + "cache\\only";
  ASSERT_TRUE(CreateDirectoryA(only.c_str(), nullptr));
  Touch(only + "\\1");
  Touch(only + "\\-2");
  {
    CSiteItem site;
    strcpy(site.m_cacheFolder, only.c_str());
  }
  EXPECT_FALSE(Exists(only));
  EXPECT_EQ(CurrentFolder(), before);
  RemoveTree(root);
}

TEST(SiteItem, SiteNamedDotDotCannotEmptyTheProgramFolder)
{
  const std::string root = TempRoot();  // stands for the program folder
  ASSERT_TRUE(CreateDirectoryA((root + "cache").c_str(), nullptr));
  Touch(root + "zarn.exe");
  Touch(root + "zarn.chm");
  Touch(root + "42");
  {
    CSiteItem site;
    strcpy(site.m_name, "..");
    strcpy(site.m_cacheFolder, (root + "cache\\..\\").c_str());
  }
  EXPECT_TRUE(Exists(root + "zarn.exe"));
  EXPECT_TRUE(Exists(root + "zarn.chm"));
  EXPECT_TRUE(Exists(root + "cache"));
  EXPECT_TRUE(Exists(root));
  RemoveTree(root);
}

TEST(SiteItem, MissingOrUnsetCacheFolderTouchesNothing)
{
  const std::string before = CurrentFolder();
  CSiteItem unset;
  unset.DeleteCacheFolder();
  CSiteItem missing;
  strcpy(missing.m_cacheFolder, "C:\\no\\such\\zarn\\folder\\");
  missing.DeleteCacheFolder();
  EXPECT_EQ(CurrentFolder(), before);
}

UINT KeeperProc(LPVOID param)
{
  CSiteItem* site = static_cast<CSiteItem*>(param);
  while (site->m_keeperRunning)
    Sleep(5);
  return 0;
}

TEST(SiteItem, TeardownStopsASuspendedKeeper)
{
  CSiteItem* site = new CSiteItem;
  site->m_keeperRunning = 1;
  CWinThread* keeper = AfxBeginThread(KeeperProc, site, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  ASSERT_NE(keeper, nullptr);
  keeper->m_bAutoDelete = FALSE;
  keeper->ResumeThread();
  Sleep(20);
  // Lent connections suspend the keeper, perhaps twice.
  SuspendThread(keeper->m_hThread);
  SuspendThread(keeper->m_hThread);
  site->m_pKeeperThread = keeper;
  const DWORD start = GetTickCount();
  delete site;  // resumes it, waits for it and deletes it
  EXPECT_LT(GetTickCount() - start, 10000u);
}

}  // namespace
