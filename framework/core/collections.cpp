#include "framework/collections.h"

IMPLEMENT_SERIAL(CObArray, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrArray, CObject)
IMPLEMENT_SERIAL(CStringArray, CObject, 0)
IMPLEMENT_SERIAL(CDWordArray, CObject, 0)
IMPLEMENT_SERIAL(CObList, CObject, 0)
IMPLEMENT_DYNAMIC(CPtrList, CObject)
IMPLEMENT_SERIAL(CStringList, CObject, 0)

// Every stored element takes at least this many bytes, which bounds a stored count
// by the bytes left before anything is allocated for it.
namespace {
const ULONGLONG kMinObjectBytes = 2;   // a tag
const ULONGLONG kMinStringBytes = 1;   // a length byte
}  // namespace

void CObArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD)GetSize());
    for (CObject* p : m_data) ar << p;
  } else {
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining(n * kMinObjectBytes);
    RemoveAll();
    SetSize(n);
    for (DWORD i = 0; i < n; ++i) ar >> m_data[i];
  }
}

void CStringArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD)GetSize());
    for (const CString& s : m_data) ar << s;
  } else {
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining(n * kMinStringBytes);
    RemoveAll();
    SetSize(n);
    for (DWORD i = 0; i < n; ++i) ar >> m_data[i];
  }
}

void CDWordArray::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD)GetSize());
    for (DWORD v : m_data) ar << v;
  } else {
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining((ULONGLONG)n * 4);
    RemoveAll();
    SetSize(n);
    for (DWORD i = 0; i < n; ++i) ar >> m_data[i];
  }
}

void CObList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD)GetCount());
    for (POSITION pos = GetHeadPosition(); pos;) ar << GetNext(pos);
  } else {
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining(n * kMinObjectBytes);
    while (n--) {
      CObject* p;
      ar >> p;
      AddTail(p);
    }
  }
}

void CStringList::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount((DWORD)GetCount());
    for (POSITION pos = GetHeadPosition(); pos;) ar << GetNext(pos);
  } else {
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining(n * kMinStringBytes);
    while (n--) {
      CString s;
      ar >> s;
      AddTail(s);
    }
  }
}
