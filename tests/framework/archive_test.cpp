// The archive's stored format, byte for byte, and its behaviour on bad input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

#include "framework/afx.h"
#include "tests/framework/test_item.h"

namespace {
using Bytes = std::vector<BYTE>;

template <typename F>
Bytes Store(F&& body) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    body(ar);
    ar.Close();
  }
  ULONGLONG n = file.GetLength();
  BYTE* p = file.Detach();
  Bytes out(p, p + n);
  std::free(p);
  return out;
}

// Loads from a block of exactly these bytes, so any read past the end is caught by
// the address sanitizer.
template <typename F>
void Load(const Bytes& data, F&& body) {
  BYTE* block = static_cast<BYTE*>(std::malloc(data.empty() ? 1 : data.size()));
  if (!data.empty()) std::memcpy(block, data.data(), data.size());
  CMemFile file(block, (UINT)data.size());
  try {
    CArchive ar(&file, CArchive::load);
    body(ar);
  } catch (...) {
    file.Close();
    std::free(block);
    throw;
  }
  file.Close();
  std::free(block);
}

// The cause of the archive exception the body raises, or -1 when none.
template <typename F>
int LoadCause(const Bytes& data, F&& body) {
  try {
    Load(data, body);
  } catch (CArchiveException* e) {
    int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(const char* s) { return Bytes(s, s + std::strlen(s)); }

// Frees loaded objects once each (an array may hold one object several times).
void FreeAll(CObArray& arr) {
  std::set<CObject*> seen;
  for (INT_PTR i = 0; i < arr.GetSize(); ++i)
    if (arr[i] && seen.insert(arr[i]).second) delete arr[i];
  arr.RemoveAll();
}
}  // namespace

TEST(ArchiveFormat, NumbersAreLittleEndianWithFixedWidths) {
  Bytes b = Store([](CArchive& ar) {
    ar << (BYTE)0x12 << (WORD)0x3456 << (DWORD)0x789ABCDEu << (LONG)-2 << (int)7 << (short)-1 << 'x';
    ar << (LONGLONG)0x0102030405060708LL << 1.0f << 2.0;
  });
  Bytes expect = {0x12, 0x56, 0x34, 0xDE, 0xBC, 0x9A, 0x78, 0xFE, 0xFF, 0xFF, 0xFF, 0x07, 0,    0,    0,
                  0xFF, 0xFF, 'x',  0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01, 0,    0,    0x80, 0x3F,
                  0,    0,    0,    0,    0,    0,    0,    0x40};
  EXPECT_EQ(b, expect);

  Load(b, [](CArchive& ar) {
    BYTE by; WORD w; DWORD dw; LONG l; int i; short s; char c; LONGLONG ll; float f; double d;
    ar >> by >> w >> dw >> l >> i >> s >> c >> ll >> f >> d;
    EXPECT_EQ(by, 0x12);
    EXPECT_EQ(w, 0x3456);
    EXPECT_EQ(dw, 0x789ABCDEu);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(i, 7);
    EXPECT_EQ(s, -1);
    EXPECT_EQ(c, 'x');
    EXPECT_EQ(ll, 0x0102030405060708LL);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, 2.0);
  });
}

TEST(ArchiveFormat, CountsUseTheEscapedFormAtFFFF) {
  Bytes b = Store([](CArchive& ar) {
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(0x12345);
  });
  EXPECT_EQ(b, (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0}));
  Load(b, [](CArchive& ar) {
    EXPECT_EQ(ar.ReadCount(), 0xFFFEu);
    EXPECT_EQ(ar.ReadCount(), 0xFFFFu);
    EXPECT_EQ(ar.ReadCount(), 0x12345u);
  });
}

TEST(ArchiveFormat, StringLengthPrefixAtEachBoundary) {
  struct Case {
    int length;
    Bytes prefix;
  } cases[] = {
      {0, {0x00}},
      {254, {0xFE}},
      {255, {0xFF, 0xFF, 0x00}},
      {65534, {0xFF, 0xFE, 0xFF}},
      {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}},
      {65536, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    CString s;
    for (int i = 0; i < c.length; ++i) s += (char)('a' + i % 26);
    Bytes b = Store([&](CArchive& ar) { ar << s; });
    ASSERT_EQ(b.size(), c.prefix.size() + (size_t)c.length);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + (long)c.prefix.size()), c.prefix);
    EXPECT_EQ(std::memcmp(b.data() + c.prefix.size(), (const char*)s, (size_t)c.length), 0);
    Load(b, [&](CArchive& ar) {
      CString back;
      ar >> back;
      EXPECT_TRUE(back == s);
    });
  }
}

TEST(ArchiveFormat, ObjectArrayWithTwoObjectsOfOneClass) {
  CTestItem a("ab", 1), b("c", 0x01020304);
  CObArray arr;
  arr.Add(&a);
  arr.Add(&b);
  arr.Add(&a);  // a back-reference
  arr.Add(nullptr);
  Bytes bytes = Store([&](CArchive& ar) { arr.Serialize(ar); });
  Bytes expect = Cat({
      {0x04, 0x00},                                  // count
      {0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00},          // new class, schema 1, name length
      Text("CTestItem"),                             // class index 1
      {0x02, 'a', 'b', 0x01, 0x00, 0x00, 0x00},      // object index 2
      {0x01, 0x80},                                  // class seen already: 0x8000 | 1
      {0x01, 'c', 0x04, 0x03, 0x02, 0x01},           // object index 3
      {0x02, 0x00},                                  // back-reference to object 2
      {0x00, 0x00},                                  // null
  });
  EXPECT_EQ(bytes, expect);

  CObArray back;
  Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_EQ(back.GetSize(), 4);
  ASSERT_TRUE(back[0] && back[0]->IsKindOf(RUNTIME_CLASS(CTestItem)));
  auto* a2 = static_cast<CTestItem*>(back[0]);
  auto* b2 = static_cast<CTestItem*>(back[1]);
  EXPECT_TRUE(a2->m_name == "ab");
  EXPECT_EQ(a2->m_value, 1u);
  EXPECT_TRUE(b2->m_name == "c");
  EXPECT_EQ(b2->m_value, 0x01020304u);
  EXPECT_EQ(back[2], back[0]);
  EXPECT_EQ(back[3], nullptr);
  FreeAll(back);
}

TEST(ArchiveFormat, BigIndexesUseTheLongTag) {
  const int n = 0x8001;
  std::vector<CTestItem> items(n);
  CObArray arr;
  for (auto& it : items) arr.Add(&it);
  arr.Add(&items[n - 1]);  // object index n + 1 > 0x7FFF
  Bytes bytes = Store([&](CArchive& ar) { arr.Serialize(ar); });
  Bytes tail(bytes.end() - 6, bytes.end());
  DWORD index = n + 1;
  EXPECT_EQ(tail, (Bytes{0xFF, 0x7F, (BYTE)index, (BYTE)(index >> 8), (BYTE)(index >> 16), 0}));

  CObArray back;
  Load(bytes, [&](CArchive& ar) { back.Serialize(ar); });
  ASSERT_EQ(back.GetSize(), n + 1);
  EXPECT_EQ(back[n], back[n - 1]);
  FreeAll(back);
}

TEST(ArchiveFormat, NestedObjectsAndVersionableSchema) {
  CTestHolder holder;
  holder.m_child = new CTestItem("inner", 5);
  CTestItemEx ex;
  ex.m_name = "ex";
  ex.m_extra = 0x4242;
  Bytes bytes = Store([&](CArchive& ar) { ar << &holder << &ex; });

  Load(bytes, [](CArchive& ar) {
    CObject* p1 = nullptr;
    CTestItemEx* p2 = nullptr;
    ar >> p1 >> p2;
    ASSERT_TRUE(p1 && p1->IsKindOf(RUNTIME_CLASS(CTestHolder)));
    auto* h = static_cast<CTestHolder*>(p1);
    ASSERT_TRUE(h->m_child && h->m_child->IsKindOf(RUNTIME_CLASS(CTestItem)));
    EXPECT_TRUE(static_cast<CTestItem*>(h->m_child)->m_name == "inner");
    ASSERT_TRUE(p2);
    EXPECT_EQ(p2->m_loadedSchema, 2u);
    EXPECT_EQ(p2->m_extra, 0x4242);
    delete p1;
    delete p2;
  });

  // An older schema of a versionable class loads, and the object sees which one.
  Bytes old = Cat({{0xFF, 0xFF, 0x01, 0x00, 0x0B, 0x00}, Text("CTestItemEx"), {0x00, 0x07, 0, 0, 0}});
  Load(old, [](CArchive& ar) {
    CTestItemEx* p = nullptr;
    ar >> p;
    ASSERT_TRUE(p);
    EXPECT_EQ(p->m_loadedSchema, 1u);
    EXPECT_EQ(p->m_value, 7u);
    EXPECT_EQ(p->m_extra, 0);
    delete p;
  });
}

TEST(ArchiveFormat, TextLinesAndRawBytes) {
  Bytes bytes = Store([](CArchive& ar) {
    ar.WriteString("first\r\n");
    ar.WriteString("second\n");
    ar.WriteString("last");
  });
  EXPECT_EQ(bytes, Text("first\r\nsecond\nlast"));
  Load(bytes, [](CArchive& ar) {
    CString line;
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_TRUE(line == "first");
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_TRUE(line == "second");
    ASSERT_TRUE(ar.ReadString(line));
    EXPECT_TRUE(line == "last");
    EXPECT_FALSE(ar.ReadString(line));
  });
  // Raw reads stop short at the end instead of raising.
  Load(Text("abc"), [](CArchive& ar) {
    char buf[8];
    EXPECT_EQ(ar.Read(buf, sizeof buf), 3u);
  });
}

TEST(ArchiveLoad, EveryTruncationRaises) {
  CTestItem a("first item", 1), b(CString('x', 300), 2);
  CTestHolder holder;
  holder.m_child = new CTestItem("child", 3);
  CObArray arr;
  arr.Add(&a);
  arr.Add(&b);
  arr.Add(&a);
  arr.Add(&holder);
  Bytes full = Store([&](CArchive& ar) { arr.Serialize(ar); });
  for (size_t cut = 0; cut < full.size(); ++cut) {
    SCOPED_TRACE(cut);
    Bytes part(full.begin(), full.begin() + (long)cut);
    CObArray back;
    int cause = LoadCause(part, [&](CArchive& ar) { back.Serialize(ar); });
    EXPECT_EQ(cause, CArchiveException::endOfFile);
    FreeAll(back);
  }
  CObArray back;
  EXPECT_EQ(LoadCause(full, [&](CArchive& ar) { back.Serialize(ar); }), -1);
  FreeAll(back);
}

TEST(ArchiveLoad, HugeLengthsInAShortFileRaiseWithoutAllocating) {
  // A 32-bit string length of 2 GB with three bytes behind it.
  Bytes s = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'};
  EXPECT_EQ(LoadCause(s, [](CArchive& ar) { CString x; ar >> x; }), CArchiveException::endOfFile);
  Bytes s2 = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_NE(LoadCause(s2, [](CArchive& ar) { CString x; ar >> x; }), -1);
  // An object count of four billion.
  Bytes c = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
  CObArray arr;
  EXPECT_EQ(LoadCause(c, [&](CArchive& ar) { arr.Serialize(ar); }), CArchiveException::endOfFile);
  EXPECT_EQ(arr.GetSize(), 0);
  CStringArray strs;
  EXPECT_EQ(LoadCause(c, [&](CArchive& ar) { strs.Serialize(ar); }), CArchiveException::endOfFile);
  CDWordArray dws;
  EXPECT_EQ(LoadCause(c, [&](CArchive& ar) { dws.Serialize(ar); }), CArchiveException::endOfFile);
}

TEST(ArchiveLoad, BadTagsRaiseTheirCause) {
  auto obj = [](CArchive& ar) {
    CObject* p = nullptr;
    ar >> p;
    delete p;
  };
  auto item = [](CArchive& ar) {
    CTestItem* p = nullptr;
    ar >> p;
    delete p;
  };
  Bytes item1 = {0x00, 0, 0, 0, 0};  // an empty name and a zero value
  // Unknown class name.
  EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF, 1, 0, 9, 0}, Text("CNoSuchOb"), item1}), obj), CArchiveException::badClass);
  // A name longer than any class name.
  EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF, 1, 0, 0xFF, 0x7F}, Bytes(100, 'A')}), obj), CArchiveException::badClass);
  // Wrong schema of a class that is not versionable.
  EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF, 2, 0, 9, 0}, Text("CTestItem"), item1}), obj), CArchiveException::badSchema);
  // A known class that is not the one asked for.
  EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF, 1, 0, 11, 0}, Text("CTestHolder"), {0, 0}}), item),
            CArchiveException::badClass);
  // A class that is not serialisable.
  EXPECT_EQ(LoadCause(Cat({{0xFF, 0xFF, 0xFF, 0xFF, 5, 0}, Text("CFile")}), obj), CArchiveException::badClass);
  // Back-reference beyond what was loaded, a class index beyond, and a class index
  // used as an object.
  EXPECT_EQ(LoadCause({0x05, 0x00}, obj), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0xFF, 0x7F, 0x09, 0, 0, 0}, obj), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0x05, 0x80}, obj), CArchiveException::badIndex);
  EXPECT_EQ(LoadCause({0x00, 0x80}, obj), CArchiveException::badIndex);
  Bytes twoRefs = Cat({{2, 0, 0xFF, 0xFF, 1, 0, 9, 0}, Text("CTestItem"), item1, {0x01, 0x00}});
  CObArray arr;
  EXPECT_EQ(LoadCause(twoRefs, [&](CArchive& ar) { arr.Serialize(ar); }), CArchiveException::badIndex);
  FreeAll(arr);
}

TEST(ArchiveLoad, DeepNestingStopsBeforeTheStackRunsOut) {
  Bytes bytes = Cat({{0xFF, 0xFF, 1, 0, 11, 0}, Text("CTestHolder")});
  for (int i = 1; i < 5000; ++i) bytes.insert(bytes.end(), {0x01, 0x80});  // holder in holder ...
  EXPECT_EQ(LoadCause(bytes, [](CArchive& ar) { CObject* p; ar >> p; delete p; }),
            CArchiveException::genericException);
  // Moderate nesting loads.
  Bytes ok = Cat({{0xFF, 0xFF, 1, 0, 11, 0}, Text("CTestHolder"), {0x01, 0x80, 0x01, 0x80, 0, 0}});
  EXPECT_EQ(LoadCause(ok, [](CArchive& ar) { CObject* p; ar >> p; delete p; }), -1);
}

TEST(ArchiveLoad, WrongDirectionRaises) {
  CMemFile file;
  CArchive ar(&file, CArchive::store);
  BYTE b;
  try {
    ar >> b;
    ADD_FAILURE() << "read from a storing archive";
  } catch (CArchiveException* e) {
    EXPECT_EQ(e->m_cause, CArchiveException::writeOnly);
    e->Delete();
  }
  ar.Abort();
  EXPECT_EQ(LoadCause({1, 2}, [](CArchive& a) { a << (BYTE)1; }), CArchiveException::readOnly);
}

TEST(ArchiveLoad, LoadingCloseLeavesTheFileAfterTheArchive) {
  Bytes bytes = Store([](CArchive& ar) { ar << (WORD)7 << (DWORD)9; });
  bytes.push_back(0x55);
  Load(bytes, [](CArchive& ar) {
    WORD w;
    DWORD d;
    ar >> w >> d;
    CFile* f = ar.GetFile();
    ar.Close();
    EXPECT_EQ(f->GetPosition(), 6u);
  });
}
