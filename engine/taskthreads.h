// The list of running one-task worker threads and the reaper thread that
// deletes the finished ones.
//
// The GUI thread adds (StartTaskThread) while the reaper removes, so every
// operation runs under one lock. The reaper decides to end under that same lock
// and clears the "reaper active" flag there as its last step: a thread added at
// that moment either is seen by the reaper or finds the flag clear and starts a
// new reaper. Thread objects are deleted outside the lock, since a worker's
// destructor may take seconds.
#pragma once

#include <vector>

#include "framework/afxwin.h"
#include "framework/sync.h"

class CTaskThreadList {
public:
  CTaskThreadList();
  // Tells a running reaper to stop after the deletes it has in hand (each one
  // bounded by its connection thread's stop), waits for it and deletes it.
  // Entries still listed are left to their owner.
  ~CTaskThreadList();
  CTaskThreadList(const CTaskThreadList&) = delete;
  CTaskThreadList& operator=(const CTaskThreadList&) = delete;

  // Appends a thread object whose auto-delete is off; the list then owns it.
  void AddTaskThread(CWinThread* thread);
  // Entry index, or null outside the list. The reaper may delete it as soon as
  // its thread has ended: hold GetLock() while using it.
  CWinThread* GetTaskThread(int index);
  int GetTaskThreadCount();
  // Removes entry index and deletes the object (after unlocking); FALSE
  // outside the list.
  BOOL RemoveTaskThread(int index);

  // TRUE when a reaper runs or was started. A reaper that has already decided
  // to end is waited for and replaced.
  BOOL StartThreadReaper();
  bool IsReaperActive();

  // At exit, on the thread that owns the windows the workers send to: waits up
  // to waitMs for every listed thread to end, answering the messages they send
  // to this thread meanwhile, deletes them here, and waits for the reaper to
  // finish the deletes it took. True when nothing is left running or listed;
  // false leaves the rest as it is (their sites must then stay).
  bool EndAll(DWORD waitMs);

  // The lock of every operation above (recursive).
  CCriticalSection& GetLock() { return m_lock; }

  // The reaper's cycle; tests shorten it.
  DWORD m_reapIntervalMs = 2000;

  // Reaper side: takes out every entry whose thread has ended. With the list
  // empty it clears the reaper-active flag instead and returns false: the
  // reaper must end.
  bool TakeFinished(std::vector<CWinThread*>& finished);

private:
  CCriticalSection m_lock;
  std::vector<CWinThread*> m_threads;
  bool m_reaperActive = false;
  bool m_stopReaper = false;        // the reaper ends after its current deletes
  HANDLE m_hReaperWake = nullptr;   // auto reset: cuts the reaper's next pause short
  CWinThread* m_pReaper = nullptr;  // owned; auto-delete off

  friend UINT __cdecl ThreadReaperProc(LPVOID pParam);
};

// The reaper thread's procedure over a CTaskThreadList (pParam): every
// m_reapIntervalMs it deletes the finished threads; it ends when the list is
// empty. Returns 0.
UINT __cdecl ThreadReaperProc(LPVOID pParam);
