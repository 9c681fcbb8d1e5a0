#include "framework/sync.h"

#include <chrono>
#include <thread>

IMPLEMENT_DYNAMIC(CSyncObject, CObject)
IMPLEMENT_DYNAMIC(CCriticalSection, CSyncObject)
#ifdef _WIN32
IMPLEMENT_DYNAMIC(CEvent, CSyncObject)
IMPLEMENT_DYNAMIC(CSemaphore, CSyncObject)
IMPLEMENT_DYNAMIC(CMutex, CSyncObject)
#endif

CSyncObject::~CSyncObject() {
#ifdef _WIN32
  if (m_hObject) ::CloseHandle(m_hObject);
  m_hObject = nullptr;
#endif
}

BOOL CSyncObject::Lock(DWORD dwTimeout) {
#ifdef _WIN32
  if (!m_hObject) return FALSE;
  DWORD r = ::WaitForSingleObject(m_hObject, dwTimeout);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
#else
  (void)dwTimeout;
  return FALSE;
#endif
}

// ---------------------------------------------------------------------------
CCriticalSection::CCriticalSection() {
#ifdef _WIN32
  ::InitializeCriticalSection(&m_sect);
#endif
}

CCriticalSection::~CCriticalSection() {
#ifdef _WIN32
  ::DeleteCriticalSection(&m_sect);
#endif
}

BOOL CCriticalSection::Lock(DWORD dwTimeout) {
#ifdef _WIN32
  if (dwTimeout == INFINITE) {
    ::EnterCriticalSection(&m_sect);
    return TRUE;
  }
  if (::TryEnterCriticalSection(&m_sect)) return TRUE;
#else
  if (dwTimeout == INFINITE) {
    m_sect.lock();
    return TRUE;
  }
  if (m_sect.try_lock()) return TRUE;
#endif
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwTimeout);
  while (std::chrono::steady_clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
#ifdef _WIN32
    if (::TryEnterCriticalSection(&m_sect)) return TRUE;
#else
    if (m_sect.try_lock()) return TRUE;
#endif
  }
  return FALSE;
}

BOOL CCriticalSection::Unlock() {
#ifdef _WIN32
  ::LeaveCriticalSection(&m_sect);
#else
  m_sect.unlock();
#endif
  return TRUE;
}

// ---------------------------------------------------------------------------
#ifdef _WIN32
CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, const char* lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute) {
  m_hObject = ::CreateEventA(lpsaAttribute, bManualReset, bInitiallyOwn, lpszName);
  if (!m_hObject) AfxThrowResourceException();
}

BOOL CEvent::SetEvent() { return ::SetEvent(m_hObject); }
BOOL CEvent::PulseEvent() { return ::PulseEvent(m_hObject); }
BOOL CEvent::ResetEvent() { return ::ResetEvent(m_hObject); }

CSemaphore::CSemaphore(LONG lInitialCount, LONG lMaxCount, const char* pstrName, LPSECURITY_ATTRIBUTES lpsaAttributes) {
  m_hObject = ::CreateSemaphoreA(lpsaAttributes, lInitialCount, lMaxCount, pstrName);
  if (!m_hObject) AfxThrowResourceException();
}

BOOL CSemaphore::Unlock(LONG lCount, LONG* lprevCount) { return ::ReleaseSemaphore(m_hObject, lCount, lprevCount); }

CMutex::CMutex(BOOL bInitiallyOwn, const char* lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute) {
  m_hObject = ::CreateMutexA(lpsaAttribute, bInitiallyOwn, lpszName);
  if (!m_hObject) AfxThrowResourceException();
}

BOOL CMutex::Unlock() { return ::ReleaseMutex(m_hObject); }
#endif

// ---------------------------------------------------------------------------
CSingleLock::CSingleLock(CSyncObject* pObject, BOOL bInitialLock) : m_pObject(pObject), m_bAcquired(FALSE) {
  if (bInitialLock) Lock();
}

BOOL CSingleLock::Lock(DWORD dwTimeOut) {
  if (!m_pObject || m_bAcquired) return m_bAcquired;
  m_bAcquired = m_pObject->Lock(dwTimeOut);
  return m_bAcquired;
}

BOOL CSingleLock::Unlock() {
  if (m_pObject && m_bAcquired) m_bAcquired = !m_pObject->Unlock();
  return !m_bAcquired;
}

BOOL CSingleLock::Unlock(LONG lCount, LONG* lPrevCount) {
  if (m_pObject && m_bAcquired) m_bAcquired = !m_pObject->Unlock(lCount, lPrevCount);
  return !m_bAcquired;
}
