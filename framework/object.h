// CObject and run-time class information: dynamic creation by class or by name,
// kind tests and serial schemas for the archive.
#pragma once

#include "framework/fwtypes.h"

class CArchive;
class CObject;

// A schema flagged with this bit accepts any stored schema; the object's Serialize
// then reads the stored one with CArchive::GetObjectSchema.
#define VERSIONABLE_SCHEMA 0x80000000u

// One per class. A plain aggregate so that it is initialised before any code runs;
// every module that links a class gets its own copy and its own registry.
struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;                    // 0xFFFF: not serialisable
  CObject* (*m_pfnCreateObject)();   // null: not dynamically creatable
  CRuntimeClass* m_pBaseClass;
  CRuntimeClass* m_pNextClass;       // registry link

  CObject* CreateObject() const;     // null when the class is not creatable
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
  BOOL IsSerializable() const { return m_wSchema != 0xFFFF; }

  // Registered classes of this module; null when none has the name.
  static CRuntimeClass* FromName(const char* lpszClassName);
  static CObject* CreateObject(const char* lpszClassName);
  static void Register(CRuntimeClass* pClass);  // thread safe, idempotent
};

// Registers a class at start-up (or when its module is loaded). From a static
// library only the object files that the module uses are linked, so a class that is
// loaded by name must be referenced somewhere in the module (RUNTIME_CLASS or new).
struct FwClassInit {
  explicit FwClassInit(CRuntimeClass* pClass) { CRuntimeClass::Register(pClass); }
};

class CObject {
public:
  virtual ~CObject() = default;
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual void Serialize(CArchive& ar);

  BOOL IsKindOf(const CRuntimeClass* pClass) const;
  BOOL IsSerializable() const;

  static CRuntimeClass classCObject;

protected:
  CObject() = default;
  CObject(const CObject&) = default;
  CObject& operator=(const CObject&) = default;
};

// Records are read in place as their plain fields plus this one pointer.
static_assert(sizeof(CObject) == sizeof(void*), "CObject must be exactly one vtable pointer");

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                 \
public:                                             \
  static CRuntimeClass class##class_name;           \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
  DECLARE_DYNCREATE(class_name)    \
  friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                 \
  CRuntimeClass class_name::class##class_name = {#class_name, (int)sizeof(class class_name),   \
                                                 (UINT)(wSchema), pfnNew,                       \
                                                 RUNTIME_CLASS(base_class_name), nullptr};      \
  static const FwClassInit fw_init_##class_name(&class_name::class##class_name);                \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                       \
  CObject* class_name::CreateObject() { return new class_name; }              \
  FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                  \
  CObject* class_name::CreateObject() { return new class_name; }              \
  FW_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject) \
  CArchive& operator>>(CArchive& ar, class_name*& pOb) {                      \
    pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name))); \
    return ar;                                                                \
  }

// pObject as class_name*, or null when it is null or of another class.
inline CObject* AfxDynamicDownCast(CRuntimeClass* pClass, CObject* pObject) {
  return pObject != nullptr && pObject->IsKindOf(pClass) ? pObject : nullptr;
}
#define DYNAMIC_DOWNCAST(class_name, object) \
  static_cast<class_name*>(AfxDynamicDownCast(RUNTIME_CLASS(class_name), (object)))
#define STATIC_DOWNCAST(class_name, object) static_cast<class_name*>(object)
