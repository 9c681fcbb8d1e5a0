#include "engine/taskthreads.h"

#include <algorithm>

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

// The slice of EndAll's wait, between answers to sent messages.
constexpr DWORD kEndAllSliceMs = 50;

// Waits up to waitMs for any of the handles (at most the wait's own limit of
// them), answering messages sent to this thread; true when one is signalled.
bool WaitAnsweringSends(const HANDLE* handles, size_t count, DWORD waitMs)
{
  const DWORD n = (DWORD)std::min<size_t>(count, MAXIMUM_WAIT_OBJECTS - 1);
  // Answered before every wait: a send already noticed no longer counts as new
  // input and would not wake the wait.
  MSG msg;
  ::PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  const DWORD r = ::MsgWaitForMultipleObjectsEx(n, handles, waitMs, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
  return r < WAIT_OBJECT_0 + n;
}

}  // namespace

CTaskThreadList::CTaskThreadList() : m_hReaperWake(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

CTaskThreadList::~CTaskThreadList()
{
  CWinThread* reaper;
  {
    ListGuard guard(m_lock);
    reaper = m_pReaper;
    m_pReaper = nullptr;
    m_stopReaper = true;
  }
  if (m_hReaperWake != nullptr)
    ::SetEvent(m_hReaperWake);
  if (reaper != nullptr) {
    // Bounded by the deletes the reaper has in hand: it takes no new ones.
    ::WaitForSingleObject(reaper->m_hThread, INFINITE);
    delete reaper;
  }
  if (m_hReaperWake != nullptr)
    ::CloseHandle(m_hReaperWake);
}

bool CTaskThreadList::EndAll(DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  auto left = [&]() -> DWORD {
    const DWORD spent = ::GetTickCount() - start;
    return spent >= waitMs ? 0 : waitMs - spent;
  };
  std::vector<CWinThread*> finished;
  std::vector<HANDLE> running;
  for (;;) {
    running.clear();
    {
      ListGuard guard(m_lock);
      size_t kept = 0;
      for (CWinThread* thread : m_threads) {
        if (HasEnded(thread)) {
          finished.push_back(thread);
        } else {
          m_threads[kept++] = thread;
          running.push_back(thread->m_hThread);
        }
      }
      m_threads.resize(kept);
    }
    for (CWinThread* thread : finished)
      delete thread;  // the destructors run here, before the caller frees sites
    finished.clear();
    if (running.empty() || left() == 0)
      break;
    WaitAnsweringSends(running.data(), running.size(), std::min(kEndAllSliceMs, left()));
  }
  // The reaper may be deleting threads it took before the look above.
  CWinThread* reaper;
  {
    ListGuard guard(m_lock);
    reaper = m_pReaper;
  }
  bool reaperGone = reaper == nullptr;
  if (reaper != nullptr) {
    if (m_hReaperWake != nullptr)
      ::SetEvent(m_hReaperWake);
    for (;;) {
      if (::WaitForSingleObject(reaper->m_hThread, 0) == WAIT_OBJECT_0) {
        reaperGone = true;
        break;
      }
      if (left() == 0)
        break;
      WaitAnsweringSends(&reaper->m_hThread, 1, std::min(kEndAllSliceMs, left()));
    }
    if (reaperGone) {
      ListGuard guard(m_lock);
      // Ended with the list empty; a new one cannot start past this point
      // unless a thread was added meanwhile.
      if (m_pReaper == reaper && !m_reaperActive) {
        delete reaper;
        m_pReaper = nullptr;
      } else {
        reaperGone = m_pReaper == nullptr;
      }
    }
  }
  ListGuard guard(m_lock);
  return reaperGone && m_threads.empty();
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
  if (m_threads.empty() || m_stopReaper) {
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
    if (list->m_hReaperWake != nullptr)
      ::WaitForSingleObject(list->m_hReaperWake, list->m_reapIntervalMs);
    else
      ::Sleep(list->m_reapIntervalMs);
  }
  return 0;
}
