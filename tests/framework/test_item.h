// Small serial classes shared by the framework tests and the archive fuzz target.
#pragma once

#include "framework/afx.h"

class CTestItem : public CObject {
  DECLARE_SERIAL(CTestItem)
public:
  CTestItem() = default;
  CTestItem(const char* name, DWORD value) : m_name(name), m_value(value) {}
  void Serialize(CArchive& ar) override;

  CString m_name;
  DWORD m_value = 0;
};

// Derived from CTestItem, versionable: loads schema 1 and 2.
class CTestItemEx : public CTestItem {
  DECLARE_SERIAL(CTestItemEx)
public:
  void Serialize(CArchive& ar) override;
  WORD m_extra = 0;
  UINT m_loadedSchema = 0;
};

// Holds another object of any class (owned): objects inside objects.
class CTestHolder : public CObject {
  DECLARE_SERIAL(CTestHolder)
public:
  ~CTestHolder() override { delete m_child; }
  void Serialize(CArchive& ar) override;
  CObject* m_child = nullptr;
};
