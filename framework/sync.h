// Locks and waitable objects. The critical section works everywhere; events,
// semaphores and mutexes are Windows kernel objects whose handle can be waited on.
#pragma once

#include "framework/fwexcept.h"
#include "framework/object.h"

#ifndef _WIN32
#include <mutex>
#endif

class CSyncObject : public CObject {
  DECLARE_DYNAMIC(CSyncObject)
public:
  CSyncObject() = default;
  ~CSyncObject() override;
  CSyncObject(const CSyncObject&) = delete;
  CSyncObject& operator=(const CSyncObject&) = delete;

  // TRUE when the object was acquired within the time-out (milliseconds).
  virtual BOOL Lock(DWORD dwTimeout = INFINITE);
  virtual BOOL Unlock() = 0;
  virtual BOOL Unlock(LONG /*lCount*/, LONG* /*lpPrevCount*/ = nullptr) { return Unlock(); }

#ifdef _WIN32
  operator HANDLE() const { return m_hObject; }
  HANDLE m_hObject = nullptr;  // closed by the destructor
#endif
};

class CCriticalSection : public CSyncObject {
  DECLARE_DYNAMIC(CCriticalSection)
public:
  CCriticalSection();
  ~CCriticalSection() override;
  // Recursive. A finite time-out is honoured by polling.
  BOOL Lock(DWORD dwTimeout = INFINITE) override;
  BOOL Unlock() override;
  using CSyncObject::Unlock;

#ifdef _WIN32
  operator CRITICAL_SECTION*() { return &m_sect; }
  CRITICAL_SECTION m_sect;
#else
  std::recursive_mutex m_sect;
#endif
};

#ifdef _WIN32
class CEvent : public CSyncObject {
  DECLARE_DYNAMIC(CEvent)
public:
  // Throws CResourceException* when the event cannot be created.
  explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, const char* lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  BOOL SetEvent();
  BOOL PulseEvent();
  BOOL ResetEvent();
  BOOL Unlock() override { return TRUE; }
  using CSyncObject::Unlock;
};

class CSemaphore : public CSyncObject {
  DECLARE_DYNAMIC(CSemaphore)
public:
  explicit CSemaphore(LONG lInitialCount = 1, LONG lMaxCount = 1, const char* pstrName = nullptr,
                      LPSECURITY_ATTRIBUTES lpsaAttributes = nullptr);
  BOOL Unlock() override { return Unlock(1, nullptr); }
  BOOL Unlock(LONG lCount, LONG* lprevCount = nullptr) override;
};

class CMutex : public CSyncObject {
  DECLARE_DYNAMIC(CMutex)
public:
  explicit CMutex(BOOL bInitiallyOwn = FALSE, const char* lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  BOOL Unlock() override;
  using CSyncObject::Unlock;
};
#endif

// Holds one sync object for a scope.
class CSingleLock {
public:
  explicit CSingleLock(CSyncObject* pObject, BOOL bInitialLock = FALSE);
  ~CSingleLock() { Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;

  BOOL Lock(DWORD dwTimeOut = INFINITE);
  BOOL Unlock();
  BOOL Unlock(LONG lCount, LONG* lPrevCount = nullptr);
  BOOL IsLocked() const { return m_bAcquired; }

private:
  CSyncObject* m_pObject;
  BOOL m_bAcquired;
};
