#include "engine/taskthreads.h"

namespace {

struct ListGuard {
  explicit ListGuard(CCriticalSection& lock) : m_lock(lock) { m_lock.Lock(); }
  ~ListGuard() { m_lock.Unlock(); }
  ListGuard(const ListGuard&) = delete;
  ListGuard& operator=(const ListGuard&) = delete;
  CCriticalSection& m_lock;
};

// A wait of 0 ms that does not time out: ended, or no thread to wait for.
bool HasEnded(CWinThread* thread)
{
  return ::WaitForSingleObject(thread->m_hThread, 0) != WAIT_TIMEOUT;
}

}  // namespace

CTaskThreadList::CTaskThreadList() = default;

CTaskThreadList::~CTaskThreadList()
{
  CWinThread* reaper;
  {
    ListGuard guard(m_lock);
    reaper = m_pReaper;
    m_pReaper = nullptr;
  }
  if (reaper != nullptr) {
    ::WaitForSingleObject(reaper->m_hThread, INFINITE);
    delete reaper;
  }
}

void CTaskThreadList::AddTaskThread(CWinThread* thread)
{
  if (thread == nullptr)
    return;
  ListGuard guard(m_lock);
  m_threads.push_back(thread);
}

CWinThread* CTaskThreadList::GetTaskThread(int index)
{
  ListGuard guard(m_lock);
  if (index < 0 || (size_t)index >= m_threads.size())
    return nullptr;
  return m_threads[(size_t)index];
}

int CTaskThreadList::GetTaskThreadCount()
{
  ListGuard guard(m_lock);
  return (int)m_threads.size();
}

BOOL CTaskThreadList::RemoveTaskThread(int index)
{
  CWinThread* thread;
  {
    ListGuard guard(m_lock);
    if (index < 0 || (size_t)index >= m_threads.size())
      return FALSE;
    thread = m_threads[(size_t)index];
    m_threads.erase(m_threads.begin() + index);
  }
  delete thread;
  return TRUE;
}

bool CTaskThreadList::IsReaperActive()
{
  ListGuard guard(m_lock);
  return m_reaperActive;
}

BOOL CTaskThreadList::StartThreadReaper()
{
  ListGuard guard(m_lock);
  if (m_reaperActive)
    return TRUE;
  if (m_pReaper != nullptr) {
    // The flag was cleared as that reaper's last step under this lock: it is
    // past every use of the list and ends at once.
    ::WaitForSingleObject(m_pReaper->m_hThread, INFINITE);
    delete m_pReaper;
    m_pReaper = nullptr;
  }
  CWinThread* reaper = AfxBeginThread(ThreadReaperProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (reaper == nullptr)
    return FALSE;
  reaper->m_bAutoDelete = FALSE;
  m_pReaper = reaper;
  m_reaperActive = true;
  reaper->ResumeThread();
  return TRUE;
}

bool CTaskThreadList::TakeFinished(std::vector<CWinThread*>& finished)
{
  ListGuard guard(m_lock);
  if (m_threads.empty()) {
    m_reaperActive = false;
    return false;
  }
  size_t kept = 0;
  for (CWinThread* thread : m_threads) {
    if (HasEnded(thread))
      finished.push_back(thread);
    else
      m_threads[kept++] = thread;
  }
  m_threads.resize(kept);
  return true;
}

UINT __cdecl ThreadReaperProc(LPVOID pParam)
{
  CTaskThreadList* list = static_cast<CTaskThreadList*>(pParam);
  if (list == nullptr)
    return 0;
  std::vector<CWinThread*> finished;
  while (list->TakeFinished(finished)) {
    for (CWinThread* thread : finished)
      delete thread;
    finished.clear();
    ::Sleep(list->m_reapIntervalMs);
  }
  return 0;
}
