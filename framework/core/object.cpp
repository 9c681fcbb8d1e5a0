#include "framework/object.h"

#include <cstring>
#include <mutex>

#include "framework/archive.h"

namespace {
// The registry of this module: a chain through m_pNextClass. Function-local
// statics, so registration from static constructors of any translation unit (and of
// DLLs loaded later, on any thread) finds them ready.
std::mutex& RegistryLock() {
  static std::mutex lock;
  return lock;
}
CRuntimeClass*& RegistryHead() {
  static CRuntimeClass* head = nullptr;
  return head;
}
}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), 0xFFFF, nullptr, nullptr, nullptr};
static const FwClassInit fw_init_CObject(&CObject::classCObject);

void CRuntimeClass::Register(CRuntimeClass* pClass) {
  std::lock_guard<std::mutex> guard(RegistryLock());
  for (CRuntimeClass* p = RegistryHead(); p; p = p->m_pNextClass)
    if (p == pClass) return;
  pClass->m_pNextClass = RegistryHead();
  RegistryHead() = pClass;
}

CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
  if (!lpszClassName) return nullptr;
  std::lock_guard<std::mutex> guard(RegistryLock());
  for (CRuntimeClass* p = RegistryHead(); p; p = p->m_pNextClass)
    if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
  return nullptr;
}

CObject* CRuntimeClass::CreateObject() const {
  return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(const char* lpszClassName) {
  CRuntimeClass* p = FromName(lpszClassName);
  return p ? p->CreateObject() : nullptr;
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  if (!pBaseClass) return FALSE;
  // Objects may come from another module with its own copy of the class data, so
  // equal names count as the same class.
  for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
    if (p == pBaseClass || std::strcmp(p->m_lpszClassName, pBaseClass->m_lpszClassName) == 0) return TRUE;
  return FALSE;
}

CRuntimeClass* CObject::GetRuntimeClass() const { return &CObject::classCObject; }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

BOOL CObject::IsSerializable() const { return GetRuntimeClass()->m_wSchema != 0xFFFF; }
