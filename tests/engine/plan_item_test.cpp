// The queue item: defaults, its archive bytes, the queue file form and damaged
// files.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/planitem.h"
#include "framework/afx.h"
#include "shell/settings/settings.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Store(void (*write)(CArchive&, void*), void* arg)
{
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    write(ar, arg);
    ar.Close();
  }
  const unsigned char* p = file.GetBufferPtr();
  return Bytes(p, p + file.GetLength());
}

Bytes StoreItem(CPlanItem& item)
{
  return Store([](CArchive& ar, void* p) { static_cast<CPlanItem*>(p)->Serialize(ar); }, &item);
}

Bytes StoreItems(CObArray& items)
{
  return Store([](CArchive& ar, void* p) { StorePlanItems(ar, *static_cast<CObArray*>(p)); }, &items);
}

// Loads a queue file into items; returns the archive error cause, or -1.
int LoadItems(const Bytes& bytes, CObArray& items)
{
  Bytes copy(bytes);
  CMemFile file(copy.empty() ? nullptr : copy.data(), (UINT)copy.size());
  CArchive ar(&file, CArchive::load);
  try {
    LoadPlanItems(ar, items);
  } catch (CArchiveException* e) {
    int cause = e->m_cause;
    e->Delete();
    return cause;
  } catch (CException* e) {
    e->Delete();
    return 1000;
  }
  return -1;
}

void LoadItem(const Bytes& bytes, CPlanItem& item)
{
  Bytes copy(bytes);
  CMemFile file(copy.data(), (UINT)copy.size());
  CArchive ar(&file, CArchive::load);
  item.Serialize(ar);
}

void FreeItems(CObArray& items)
{
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    delete items.GetAt(i);
  items.RemoveAll();
}

CPlanItem* GoldenItem()
{
  CPlanItem* item = new CPlanItem;
  strcpy(item->m_localPath, "C:\\d");
  strcpy(item->m_remotePath, "/pub");
  strcpy(item->m_fileName, "a.txt");
  strcpy(item->m_direction, "<-");
  strcpy(item->m_host, "h");
  strcpy(item->m_user, "");
  strcpy(item->m_password, "pw");
  item->m_fileSize = 1234;
  item->m_port = 21;
  item->m_passive = 1;
  item->m_kind = 5;
  item->m_status = 2;
  item->m_anonymous = 0;
  item->m_failAction = 2;
  return item;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
  Bytes out;
  for (const Bytes& b : parts)
    out.insert(out.end(), b.begin(), b.end());
  return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const Bytes kGoldenText = Text(std::string("C:\\d\x0C/pub\x0C" "a.txt\x0C<-\x0Ch\x0C\x0Cpw"));
const Bytes kGoldenNumbers = {0xD2, 0x04, 0x00, 0x00, 0x15, 0x00, 0x01, 0x00,
                              0x05, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00};
const Bytes kNewClass = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Text("CPlanItem")});

Bytes GoldenItemBytes() { return Concat({{0x18}, kGoldenText, kGoldenNumbers}); }

TEST(PlanItem, Defaults)
{
  ResetSettingsDefaults();
  CPlanItem item;
  EXPECT_STREQ(item.m_localPath, "");
  EXPECT_STREQ(item.m_password, "");
  EXPECT_EQ(item.m_port, 0);
  EXPECT_EQ(item.m_anonymous, 1);
  EXPECT_EQ(item.m_passive, 1);
  EXPECT_EQ(item.m_workerIndex, -1);
  EXPECT_EQ(item.m_status, PLAN_QUEUED);
  EXPECT_EQ(item.m_failAction, 2);
  EXPECT_EQ(item.m_retryCount, 0);
  EXPECT_EQ(item.m_fileSize, 0);
  EXPECT_EQ(item.m_spare, 0);
  g_defItemRetries = 1;
  EXPECT_EQ(CPlanItem().m_failAction, 1);
  g_defItemRetries = 9;
  EXPECT_EQ(CPlanItem().m_failAction, 2);
  g_defItemRetries = -3;
  EXPECT_EQ(CPlanItem().m_failAction, 0);
  ResetSettingsDefaults();
  EXPECT_STREQ(item.GetRuntimeClass()->m_lpszClassName, "CPlanItem");
  EXPECT_EQ(item.GetRuntimeClass()->m_wSchema, 1u);
}

TEST(PlanItem, GoldenBytes)
{
  CPlanItem* item = GoldenItem();
  EXPECT_EQ(StoreItem(*item), GoldenItemBytes());

  CPlanItem loaded;
  LoadItem(GoldenItemBytes(), loaded);
  EXPECT_STREQ(loaded.m_localPath, "C:\\d");
  EXPECT_STREQ(loaded.m_remotePath, "/pub");
  EXPECT_STREQ(loaded.m_fileName, "a.txt");
  EXPECT_STREQ(loaded.m_direction, "<-");
  EXPECT_STREQ(loaded.m_host, "h");
  EXPECT_STREQ(loaded.m_user, "");  // an empty text keeps the later ones in place
  EXPECT_STREQ(loaded.m_password, "pw");
  EXPECT_EQ(loaded.m_fileSize, 1234);
  EXPECT_EQ(loaded.m_port, 21);
  EXPECT_EQ(loaded.m_passive, 1);
  EXPECT_EQ(loaded.m_kind, 5);
  EXPECT_EQ(loaded.m_status, PLAN_STOPPED);  // stored queued, loaded stopped
  EXPECT_EQ(loaded.m_anonymous, 0);
  EXPECT_EQ(loaded.m_failAction, 2);
  EXPECT_EQ(loaded.m_workerIndex, -1);
  delete item;
}

TEST(PlanItem, TwoItemFile)
{
  CObArray items;
  items.Add(GoldenItem());
  CPlanItem* second = GoldenItem();
  strcpy(second->m_fileName, "b.txt");
  strcpy(second->m_direction, "->");
  second->m_status = PLAN_FINISHED;
  items.Add(second);

  Bytes secondText = kGoldenText;
  secondText[10] = 'b';
  secondText[16] = '-';
  secondText[17] = '>';
  Bytes secondNumbers = kGoldenNumbers;
  secondNumbers[10] = 0x04;
  const Bytes expected = Concat({{0x02, 0x00}, kNewClass, GoldenItemBytes(), {0x01, 0x80, 0x18}, secondText,
                                 secondNumbers});
  const Bytes stored = StoreItems(items);
  EXPECT_EQ(stored, expected);

  CObArray loaded;
  ASSERT_EQ(LoadItems(stored, loaded), -1);
  ASSERT_EQ(loaded.GetSize(), 2);
  CPlanItem* a = static_cast<CPlanItem*>(loaded.GetAt(0));
  CPlanItem* b = static_cast<CPlanItem*>(loaded.GetAt(1));
  EXPECT_STREQ(a->m_fileName, "a.txt");
  EXPECT_EQ(a->m_status, PLAN_STOPPED);
  EXPECT_STREQ(b->m_fileName, "b.txt");
  EXPECT_STREQ(b->m_direction, "->");
  EXPECT_EQ(b->m_status, PLAN_FINISHED);
  Bytes firstStopped = GoldenItemBytes();
  firstStopped[1 + 24 + 10] = 0x00;  // queued became stopped
  EXPECT_EQ(StoreItems(loaded), Concat({{0x02, 0x00}, kNewClass, firstStopped, {0x01, 0x80, 0x18}, secondText,
                                        secondNumbers}));
  FreeItems(loaded);
  FreeItems(items);
}

TEST(PlanItem, StatusAfterLoading)
{
  const int stored[] = {PLAN_STOPPED, PLAN_WORKING, PLAN_QUEUED, PLAN_ERROR, PLAN_FINISHED, 9};
  const int loaded[] = {PLAN_STOPPED, PLAN_STOPPED, PLAN_STOPPED, PLAN_ERROR, PLAN_FINISHED, PLAN_STOPPED};
  for (int i = 0; i < 6; ++i) {
    Bytes bytes = GoldenItemBytes();
    bytes[1 + 24 + 10] = (unsigned char)stored[i];
    CPlanItem item;
    LoadItem(bytes, item);
    EXPECT_EQ(item.m_status, loaded[i]) << stored[i];
  }
  Bytes bytes = GoldenItemBytes();
  bytes[1 + 24 + 14] = 7;  // failure action no version wrote
  CPlanItem item;
  LoadItem(bytes, item);
  EXPECT_EQ(item.m_failAction, 2);
}

TEST(PlanItem, NumbersThatDoNotFitTheirStoredWidth)
{
  CPlanItem item;
  item.m_port = 70000;  // 16 bits stored
  item.m_fileSize = 5497558138880LL;
  Bytes bytes = StoreItem(item);
  CPlanItem loaded;
  LoadItem(bytes, loaded);
  EXPECT_EQ(loaded.m_port, 70000 - 65536);
  EXPECT_EQ(loaded.m_fileSize, 0xFFFFFFFFLL);  // saturated, never a small wrong size
}

TEST(PlanItem, OverLongAndMissingTexts)
{
  // Every text longer than its field, and an eighth and ninth text.
  std::string text = std::string(300, 'L') + "\x0C" + std::string(270, 'R') + "\x0C" + std::string(400, 'F') +
                     "\x0C" "<-<-<-" "\x0C" + std::string(60, 'H') + "\x0C" + std::string(70, 'U') + "\x0C" +
                     std::string(80, 'P') + "\x0C" "extra" "\x0C" "more";
  Bytes bytes = Concat({{0xFF, (unsigned char)(text.size() & 0xFF), (unsigned char)(text.size() >> 8)},
                        Text(text), kGoldenNumbers});
  CPlanItem item;
  LoadItem(bytes, item);
  EXPECT_EQ(std::string(item.m_localPath), std::string(259, 'L'));
  EXPECT_EQ(std::string(item.m_remotePath), std::string(259, 'R'));
  EXPECT_EQ(std::string(item.m_fileName), std::string(259, 'F'));
  EXPECT_STREQ(item.m_direction, "<-<-");
  EXPECT_EQ(std::string(item.m_host), std::string(49, 'H'));
  EXPECT_EQ(std::string(item.m_user), std::string(63, 'U'));
  EXPECT_EQ(std::string(item.m_password), std::string(64, 'P'));
  EXPECT_EQ(item.m_port, 21);

  // Too few separators: the texts after the last one are empty.
  CPlanItem few;
  strcpy(few.m_password, "old");
  LoadItem(Concat({{0x05}, Text("a\x0C" "b\x0C" "c"), kGoldenNumbers}), few);
  EXPECT_STREQ(few.m_localPath, "a");
  EXPECT_STREQ(few.m_remotePath, "b");
  EXPECT_STREQ(few.m_fileName, "c");
  EXPECT_STREQ(few.m_direction, "");
  EXPECT_STREQ(few.m_password, "");
  EXPECT_EQ(few.m_fileSize, 1234);
}

TEST(PlanItem, DamagedFilesAppendNothing)
{
  CObArray two;
  two.Add(GoldenItem());
  two.Add(GoldenItem());
  const Bytes good = StoreItems(two);
  FreeItems(two);

  CObArray items;
  items.Add(GoldenItem());  // what the queue already holds stays as it was

  // Every truncation of a good file.
  for (size_t n = 0; n < good.size(); ++n) {
    EXPECT_EQ(LoadItems(Bytes(good.begin(), good.begin() + (long)n), items), CArchiveException::endOfFile) << n;
    ASSERT_EQ(items.GetSize(), 1);
  }

  // A count of 2^31 with three items: no allocation by the count, an error at
  // the end of the data.
  CObArray three;
  for (int i = 0; i < 3; ++i)
    three.Add(GoldenItem());
  Bytes huge = StoreItems(three);
  FreeItems(three);
  huge.erase(huge.begin(), huge.begin() + 2);
  huge.insert(huge.begin(), {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x80});
  EXPECT_EQ(LoadItems(huge, items), CArchiveException::endOfFile);
  EXPECT_EQ(items.GetSize(), 1);

  // An unknown class, another schema.
  Bytes unknown = good;
  unknown[2 + 6 + 8] = 'X';  // "CPlanIteX"
  EXPECT_NE(LoadItems(unknown, items), -1);
  Bytes schema2 = good;
  schema2[2 + 2] = 2;
  EXPECT_EQ(LoadItems(schema2, items), CArchiveException::badSchema);

  // The second item refers to a class index nobody stored, to the first item
  // itself (an object, not a class), or repeats the first item.
  const size_t secondTag = 2 + kNewClass.size() + GoldenItemBytes().size();
  ASSERT_EQ(good[secondTag], 0x01);
  ASSERT_EQ(good[secondTag + 1], 0x80);
  Bytes unseen = good;
  unseen[secondTag] = 0x07;
  EXPECT_NE(LoadItems(unseen, items), -1);
  Bytes objectAsClass = good;
  objectAsClass[secondTag] = 0x02;
  EXPECT_NE(LoadItems(objectAsClass, items), -1);
  Bytes repeated(good.begin(), good.begin() + (long)secondTag);
  repeated.push_back(0x02);  // back reference to object 2, the first item
  repeated.push_back(0x00);
  EXPECT_NE(LoadItems(repeated, items), -1);
  // A null item.
  Bytes withNull(good.begin(), good.begin() + (long)secondTag);
  withNull.push_back(0x00);
  withNull.push_back(0x00);
  EXPECT_NE(LoadItems(withNull, items), -1);

  EXPECT_EQ(items.GetSize(), 1);
  EXPECT_STREQ(static_cast<CPlanItem*>(items.GetAt(0))->m_fileName, "a.txt");
  FreeItems(items);
}

TEST(PlanItem, EmptyQueueFile)
{
  CObArray none;
  const Bytes stored = StoreItems(none);
  EXPECT_EQ(stored, (Bytes{0x00, 0x00}));
  CObArray items;
  EXPECT_EQ(LoadItems(stored, items), -1);
  EXPECT_EQ(items.GetSize(), 0);
}

}  // namespace
