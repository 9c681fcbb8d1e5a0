// Arrays and lists of the framework. Object collections hold pointers they do not
// own: whoever fills one deletes the objects.
#pragma once

#include <vector>

#include "framework/archive.h"
#include "framework/fwstring.h"
#include "framework/object.h"

struct FwPosition;
typedef FwPosition* POSITION;
#define BEFORE_START_POSITION ((POSITION)-1L)

// Growable array with the framework's interface; indexes out of range are caller
// faults (checked with ASSERT).
template <typename T, typename ARG = const T&>
class FwArray {
public:
  INT_PTR GetSize() const { return (INT_PTR)m_data.size(); }
  INT_PTR GetCount() const { return (INT_PTR)m_data.size(); }
  INT_PTR GetUpperBound() const { return (INT_PTR)m_data.size() - 1; }
  BOOL IsEmpty() const { return m_data.empty(); }
  void SetSize(INT_PTR nNewSize, INT_PTR /*nGrowBy*/ = -1) { m_data.resize((size_t)(nNewSize < 0 ? 0 : nNewSize), T()); }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  const T& GetAt(INT_PTR i) const { ASSERT(i >= 0 && i < GetSize()); return m_data[(size_t)i]; }
  T& GetAt(INT_PTR i) { ASSERT(i >= 0 && i < GetSize()); return m_data[(size_t)i]; }
  T& ElementAt(INT_PTR i) { return GetAt(i); }
  void SetAt(INT_PTR i, ARG v) { GetAt(i) = v; }
  const T& operator[](INT_PTR i) const { return GetAt(i); }
  T& operator[](INT_PTR i) { return GetAt(i); }
  const T* GetData() const { return m_data.data(); }
  T* GetData() { return m_data.data(); }

  void SetAtGrow(INT_PTR i, ARG v) {
    if (i >= GetSize()) m_data.resize((size_t)i + 1, T());
    m_data[(size_t)i] = v;
  }
  INT_PTR Add(ARG v) { m_data.push_back(v); return GetSize() - 1; }
  INT_PTR Append(const FwArray& src) {
    INT_PTR n = GetSize();
    m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
    return n;
  }
  void Copy(const FwArray& src) { if (this != &src) m_data = src.m_data; }
  void InsertAt(INT_PTR i, ARG v, INT_PTR nCount = 1) {
    if (i >= GetSize()) m_data.resize((size_t)i, T());
    m_data.insert(m_data.begin() + i, (size_t)nCount, v);
  }
  void RemoveAt(INT_PTR i, INT_PTR nCount = 1) {
    ASSERT(i >= 0 && nCount >= 0 && i + nCount <= GetSize());
    if (i < 0 || nCount <= 0 || i >= GetSize()) return;
    if (i + nCount > GetSize()) nCount = GetSize() - i;
    m_data.erase(m_data.begin() + i, m_data.begin() + i + nCount);
  }

protected:
  std::vector<T> m_data;
};

class CObArray : public CObject, public FwArray<CObject*, CObject*> {
  DECLARE_SERIAL(CObArray)
public:
  CObArray() = default;
  CObArray(const CObArray&) = delete;
  CObArray& operator=(const CObArray&) = delete;
  // Storing: the count, then each object. Loading replaces the contents (the loaded
  // objects belong to the caller, also those read before a failure).
  void Serialize(CArchive& ar) override;
};

class CPtrArray : public CObject, public FwArray<void*, void*> {
  DECLARE_DYNAMIC(CPtrArray)
public:
  CPtrArray() = default;
  CPtrArray(const CPtrArray&) = delete;
  CPtrArray& operator=(const CPtrArray&) = delete;
};

class CStringArray : public CObject, public FwArray<CString, const char*> {
  DECLARE_SERIAL(CStringArray)
public:
  CStringArray() = default;
  CStringArray(const CStringArray&) = delete;
  CStringArray& operator=(const CStringArray&) = delete;
  void Serialize(CArchive& ar) override;
};

class CDWordArray : public CObject, public FwArray<DWORD, DWORD> {
  DECLARE_SERIAL(CDWordArray)
public:
  CDWordArray() = default;
  CDWordArray(const CDWordArray&) = delete;
  CDWordArray& operator=(const CDWordArray&) = delete;
  void Serialize(CArchive& ar) override;
};

// Doubly linked list addressed by POSITION values (null past the end).
template <typename T, typename ARG = const T&>
class FwList {
  struct Node {
    Node* pNext;
    Node* pPrev;
    T data;
  };
  static Node* N(POSITION p) { return reinterpret_cast<Node*>(p); }
  static POSITION P(Node* n) { return reinterpret_cast<POSITION>(n); }

public:
  FwList() = default;
  FwList(const FwList&) = delete;
  FwList& operator=(const FwList&) = delete;
  ~FwList() { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  T& GetHead() { ASSERT(m_pHead); return m_pHead->data; }
  const T& GetHead() const { ASSERT(m_pHead); return m_pHead->data; }
  T& GetTail() { ASSERT(m_pTail); return m_pTail->data; }
  const T& GetTail() const { ASSERT(m_pTail); return m_pTail->data; }
  POSITION GetHeadPosition() const { return P(m_pHead); }
  POSITION GetTailPosition() const { return P(m_pTail); }

  T& GetNext(POSITION& rPos) { Node* n = N(rPos); rPos = P(n->pNext); return n->data; }
  const T& GetNext(POSITION& rPos) const { Node* n = N(rPos); rPos = P(n->pNext); return n->data; }
  T& GetPrev(POSITION& rPos) { Node* n = N(rPos); rPos = P(n->pPrev); return n->data; }
  const T& GetPrev(POSITION& rPos) const { Node* n = N(rPos); rPos = P(n->pPrev); return n->data; }
  T& GetAt(POSITION pos) { return N(pos)->data; }
  const T& GetAt(POSITION pos) const { return N(pos)->data; }
  void SetAt(POSITION pos, ARG v) { N(pos)->data = v; }

  POSITION AddHead(ARG v) { return InsertBefore(P(m_pHead), v); }
  POSITION AddTail(ARG v) { return InsertAfter(P(m_pTail), v); }
  void AddTail(const FwList* pList) {
    for (Node* n = pList->m_pHead; n; n = n->pNext) AddTail(n->data);
  }
  POSITION InsertBefore(POSITION pos, ARG v) {
    Node* at = N(pos);
    Node* n = new Node{at, at ? at->pPrev : nullptr, T(v)};
    if (!at) {  // empty list or insert at the end
      n->pPrev = m_pTail;
      n->pNext = nullptr;
      (m_pTail ? m_pTail->pNext : m_pHead) = n;
      m_pTail = n;
    } else {
      (at->pPrev ? at->pPrev->pNext : m_pHead) = n;
      at->pPrev = n;
    }
    ++m_nCount;
    return P(n);
  }
  POSITION InsertAfter(POSITION pos, ARG v) {
    Node* at = N(pos);
    if (!at) return InsertBefore(P(m_pHead), v);
    Node* n = new Node{at->pNext, at, T(v)};
    (at->pNext ? at->pNext->pPrev : m_pTail) = n;
    at->pNext = n;
    ++m_nCount;
    return P(n);
  }
  T RemoveHead() { T v = m_pHead->data; RemoveAt(P(m_pHead)); return v; }
  T RemoveTail() { T v = m_pTail->data; RemoveAt(P(m_pTail)); return v; }
  void RemoveAt(POSITION pos) {
    Node* n = N(pos);
    if (!n) return;
    (n->pPrev ? n->pPrev->pNext : m_pHead) = n->pNext;
    (n->pNext ? n->pNext->pPrev : m_pTail) = n->pPrev;
    delete n;
    --m_nCount;
  }
  void RemoveAll() {
    for (Node* n = m_pHead; n;) {
      Node* next = n->pNext;
      delete n;
      n = next;
    }
    m_pHead = m_pTail = nullptr;
    m_nCount = 0;
  }

  // First position holding the value, searching after startAfter (null: from the head).
  POSITION Find(ARG v, POSITION startAfter = nullptr) const {
    for (Node* n = startAfter ? N(startAfter)->pNext : m_pHead; n; n = n->pNext)
      if (n->data == v) return P(n);
    return nullptr;
  }
  POSITION FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
    Node* n = m_pHead;
    while (nIndex--) n = n->pNext;
    return P(n);
  }

private:
  Node* m_pHead = nullptr;
  Node* m_pTail = nullptr;
  INT_PTR m_nCount = 0;
};

class CObList : public CObject, public FwList<CObject*, CObject*> {
  DECLARE_SERIAL(CObList)
public:
  explicit CObList(INT_PTR /*nBlockSize*/ = 10) {}
  void Serialize(CArchive& ar) override;
};

class CPtrList : public CObject, public FwList<void*, void*> {
  DECLARE_DYNAMIC(CPtrList)
public:
  explicit CPtrList(INT_PTR /*nBlockSize*/ = 10) {}
};

class CStringList : public CObject, public FwList<CString, const char*> {
  DECLARE_SERIAL(CStringList)
public:
  explicit CStringList(INT_PTR /*nBlockSize*/ = 10) {}
  void Serialize(CArchive& ar) override;
};
