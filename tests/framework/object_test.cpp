// Run-time classes, collections, time values and locks.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "framework/afx.h"
#include "tests/framework/test_item.h"

namespace {
class CPlainThing : public CObject {
  DECLARE_DYNAMIC(CPlainThing)
};
IMPLEMENT_DYNAMIC(CPlainThing, CObject)

class CMadeThing : public CPlainThing {
  DECLARE_DYNCREATE(CMadeThing)
public:
  int m_value = 7;
};
IMPLEMENT_DYNCREATE(CMadeThing, CPlainThing)

struct Record {
  DWORD a;
  char text[12];
};
class CRecordItem : public CObject, public Record {};
}  // namespace

TEST(RuntimeClass, ObjectIsOnePointerAndRecordsFollowIt) {
  EXPECT_EQ(sizeof(CObject), sizeof(void*));
  EXPECT_EQ(sizeof(CRecordItem), sizeof(void*) + sizeof(Record));
}

TEST(RuntimeClass, CreationByClassAndByName) {
  CObject* p = RUNTIME_CLASS(CMadeThing)->CreateObject();
  ASSERT_TRUE(p);
  EXPECT_EQ(static_cast<CMadeThing*>(p)->m_value, 7);
  EXPECT_EQ(p->GetRuntimeClass(), RUNTIME_CLASS(CMadeThing));
  delete p;

  CObject* q = CRuntimeClass::CreateObject("CTestItem");
  ASSERT_TRUE(q);
  EXPECT_TRUE(q->IsKindOf(RUNTIME_CLASS(CTestItem)));
  EXPECT_TRUE(q->IsSerializable());
  delete q;

  EXPECT_EQ(CRuntimeClass::FromName("CMadeThing"), RUNTIME_CLASS(CMadeThing));
  EXPECT_EQ(CRuntimeClass::FromName("CObject"), RUNTIME_CLASS(CObject));
  EXPECT_EQ(CRuntimeClass::FromName("CNoSuchThing"), nullptr);
  EXPECT_EQ(CRuntimeClass::FromName(nullptr), nullptr);
  // Dynamic-only classes have run-time information but cannot be made.
  EXPECT_EQ(RUNTIME_CLASS(CPlainThing)->CreateObject(), nullptr);
  EXPECT_EQ(CRuntimeClass::CreateObject("CPlainThing"), nullptr);
  EXPECT_FALSE(RUNTIME_CLASS(CPlainThing)->IsSerializable());
  EXPECT_EQ(RUNTIME_CLASS(CTestItemEx)->m_wSchema, VERSIONABLE_SCHEMA | 2);
}

TEST(RuntimeClass, KindTests) {
  CMadeThing m;
  CTestItemEx ex;
  EXPECT_TRUE(m.IsKindOf(RUNTIME_CLASS(CPlainThing)));
  EXPECT_TRUE(m.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(m.IsKindOf(RUNTIME_CLASS(CTestItem)));
  EXPECT_TRUE(ex.IsKindOf(RUNTIME_CLASS(CTestItem)));
  EXPECT_FALSE(RUNTIME_CLASS(CTestItem)->IsDerivedFrom(RUNTIME_CLASS(CTestItemEx)));
  EXPECT_FALSE(m.IsKindOf(nullptr));
  CException* e = new CArchiveException(CArchiveException::badClass);
  EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CException)));
  EXPECT_FALSE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
  e->Delete();
}

TEST(RuntimeClass, LookupFromManyThreads) {
  std::atomic<int> bad{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 2000; ++i) {
        CRuntimeClass::Register(RUNTIME_CLASS(CMadeThing));  // repeated registration is harmless
        if (CRuntimeClass::FromName("CTestItem") != RUNTIME_CLASS(CTestItem)) ++bad;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(bad.load(), 0);
}

TEST(Collections, ObjectArrayEditing) {
  CTestItem a("a", 1), b("b", 2), c("c", 3);
  CObArray arr;
  EXPECT_EQ(arr.Add(&a), 0);
  arr.Add(&c);
  arr.InsertAt(1, &b);
  ASSERT_EQ(arr.GetSize(), 3);
  EXPECT_EQ(arr[1], &b);
  arr.RemoveAt(0);
  EXPECT_EQ(arr.GetAt(0), &b);
  arr.SetAt(1, &a);
  EXPECT_EQ(arr[1], &a);
  arr.SetSize(5);
  EXPECT_EQ(arr.GetSize(), 5);
  EXPECT_EQ(arr[4], nullptr);
  arr.SetAtGrow(6, &c);
  EXPECT_EQ(arr.GetUpperBound(), 6);
  arr.RemoveAll();
  EXPECT_TRUE(arr.IsEmpty());
}

TEST(Collections, StringListPositions) {
  CStringList list;
  list.AddTail("b");
  list.AddTail("c");
  list.AddHead("a");
  EXPECT_EQ(list.GetCount(), 3);
  std::string joined;
  for (POSITION pos = list.GetHeadPosition(); pos;) joined += (const char*)list.GetNext(pos);
  EXPECT_EQ(joined, "abc");
  POSITION pb = list.Find("b");
  ASSERT_TRUE(pb);
  EXPECT_TRUE(list.GetAt(pb) == "b");
  list.InsertAfter(pb, "b2");
  list.RemoveAt(pb);
  EXPECT_EQ(list.Find("b"), nullptr);
  joined.clear();
  for (POSITION pos = list.GetTailPosition(); pos;) joined += (const char*)list.GetPrev(pos);
  EXPECT_EQ(joined, "cb2a");
  // Removing the current element while walking.
  for (POSITION pos = list.GetHeadPosition(); pos;) {
    POSITION here = pos;
    if (list.GetNext(pos) == "b2") list.RemoveAt(here);
  }
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list.GetHead() == "a" && list.GetTail() == "c");
  EXPECT_TRUE(list.RemoveHead() == "a");
  EXPECT_TRUE(list.GetAt(list.FindIndex(0)) == "c");
  EXPECT_EQ(list.FindIndex(1), nullptr);
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
}

TEST(Collections, SerialisedCollectionsRoundTrip) {
  CStringArray sa;
  sa.Add("one");
  sa.Add(CString('z', 300));
  CDWordArray da;
  da.Add(0xDEADBEEF);
  CStringList sl;
  sl.AddTail("x");
  sl.AddTail("");
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    sa.Serialize(ar);
    da.Serialize(ar);
    sl.Serialize(ar);
  }  // the destructor flushes
  file.SeekToBegin();
  CStringArray sa2;
  CDWordArray da2;
  CStringList sl2;
  {
    CArchive ar(&file, CArchive::load);
    sa2.Serialize(ar);
    da2.Serialize(ar);
    sl2.Serialize(ar);
  }
  ASSERT_EQ(sa2.GetSize(), 2);
  EXPECT_TRUE(sa2[1] == sa[1]);
  ASSERT_EQ(da2.GetSize(), 1);
  EXPECT_EQ(da2[0], 0xDEADBEEFu);
  ASSERT_EQ(sl2.GetCount(), 2);
  EXPECT_TRUE(sl2.GetTail().IsEmpty());
}

TEST(TimeValues, PartsFormatAndSpans) {
  CTime t(2024, 2, 29, 13, 5, 9);
  EXPECT_EQ(t.GetYear(), 2024);
  EXPECT_EQ(t.GetMonth(), 2);
  EXPECT_EQ(t.GetDay(), 29);
  EXPECT_EQ(t.GetHour(), 13);
  EXPECT_EQ(t.GetMinute(), 5);
  EXPECT_EQ(t.GetSecond(), 9);
  EXPECT_EQ(t.GetDayOfWeek(), 5);  // a Thursday
  EXPECT_TRUE(t.Format("%Y-%m-%d %H:%M:%S") == "2024-02-29 13:05:09") << (const char*)t.Format("%Y-%m-%d %H:%M:%S");
  EXPECT_TRUE(t.Format("").IsEmpty());
  CTime later = t + CTimeSpan(1, 2, 3, 4);
  EXPECT_EQ((later - t).GetTotalSeconds(), 86400 + 7384);
  CTimeSpan span = later - t;
  EXPECT_EQ(span.GetDays(), 1);
  EXPECT_EQ(span.GetHours(), 2);
  EXPECT_EQ(span.GetMinutes(), 3);
  EXPECT_EQ(span.GetSeconds(), 4);
  EXPECT_TRUE(span.Format("%D:%H:%M:%S") == "1:02:03:04");
  EXPECT_TRUE(later > t);
  EXPECT_EQ(CTime(0).FormatGmt("%Y"), CString("1970"));
  CTime now = CTime::GetCurrentTime();
  EXPECT_GT(now.GetYear(), 2020);
  // Beyond 2038 in 64 bits.
  EXPECT_EQ(CTime(2100, 1, 1, 0, 0, 0).GetYear(), 2100);
}

TEST(Locks, CriticalSectionExcludesAndTimesOut) {
  CCriticalSection cs;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        CSingleLock lock(&cs, TRUE);
        ++counter;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(counter, 40000);

  ASSERT_TRUE(cs.Lock());
  EXPECT_TRUE(cs.Lock(0));  // recursive
  cs.Unlock();
  BOOL got = TRUE;
  std::thread other([&] { got = cs.Lock(50); });
  other.join();
  EXPECT_FALSE(got);
  cs.Unlock();
  std::thread again([&] {
    got = cs.Lock(1000);
    if (got) cs.Unlock();
  });
  again.join();
  EXPECT_TRUE(got);
}

#ifdef _WIN32
TEST(Locks, KernelObjectsCanBeWaitedOn) {
  CEvent ev(FALSE, TRUE);
  EXPECT_EQ(WaitForSingleObject(ev, 0), (DWORD)WAIT_TIMEOUT);
  ev.SetEvent();
  EXPECT_EQ(WaitForSingleObject(ev.m_hObject, 0), (DWORD)WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(ev, 0), (DWORD)WAIT_OBJECT_0);  // manual reset stays set
  ev.ResetEvent();
  EXPECT_FALSE(ev.Lock(0));

  CSemaphore sem(2, 2);
  EXPECT_TRUE(sem.Lock(0));
  EXPECT_TRUE(sem.Lock(0));
  EXPECT_FALSE(sem.Lock(0));
  LONG prev = -1;
  EXPECT_TRUE(sem.Unlock(2, &prev));
  EXPECT_EQ(prev, 0);

  CMutex mutex;
  {
    CSingleLock lock(&mutex, TRUE);
    EXPECT_TRUE(lock.IsLocked());
    BOOL other = TRUE;
    std::thread t([&] { other = mutex.Lock(0); });
    t.join();
    EXPECT_FALSE(other);
  }
  std::thread t2([&] {
    EXPECT_TRUE(mutex.Lock(0));
    mutex.Unlock();
  });
  t2.join();

  CEvent named(FALSE, FALSE, "zarn-fwtest-event");
  CEvent same(FALSE, FALSE, "zarn-fwtest-event");
  same.SetEvent();
  EXPECT_TRUE(named.Lock(0));  // one kernel object under the name
}
#endif
