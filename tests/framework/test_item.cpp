#include "tests/framework/test_item.h"

IMPLEMENT_SERIAL(CTestItem, CObject, 1)
IMPLEMENT_SERIAL(CTestItemEx, CTestItem, VERSIONABLE_SCHEMA | 2)
IMPLEMENT_SERIAL(CTestHolder, CObject, 1)

void CTestItem::Serialize(CArchive& ar) {
  if (ar.IsStoring())
    ar << m_name << m_value;
  else
    ar >> m_name >> m_value;
}

void CTestItemEx::Serialize(CArchive& ar) {
  CTestItem::Serialize(ar);
  if (ar.IsStoring()) {
    ar << m_extra;
  } else {
    m_loadedSchema = ar.GetObjectSchema();
    if (m_loadedSchema >= 2) ar >> m_extra;
  }
}

void CTestHolder::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_child;
  } else {
    CObject* p = nullptr;
    ar >> p;
    delete m_child;
    m_child = p;
  }
}
