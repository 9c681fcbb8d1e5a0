// The payload block: its layout, the table of entry arrays, the one validator
// every reader uses, and the folder-into-itself rule.
#include "engine/dragpayload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr uint32_t kMe = 4242;

DragPayload Make(const char* path, int site, std::initializer_list<PayloadRow> rows)
{
  DragPayload p;
  EXPECT_TRUE(BuildDragPayload(p, rows.begin(), (int)rows.size(), site, path, kMe, "12/09/26", nullptr));
  return p;
}

TEST(DragPayload, RoundTripThroughTheValidator)
{
  const int live = LivePayloadArrays();
  DragPayload p = Make("/pub", 3, {{"a.txt", 10, kEntryFile}, {"dir", 0, kEntryFolder}});
  EXPECT_NE(p.m_entries, 0u);
  EXPECT_EQ(p.m_producer, kMe);
  EXPECT_EQ(LivePayloadArrays(), live + 1);

  DragPayload back;
  int count = -1;
  const EntryRecord* e = ValidateDragPayload(&p, sizeof p, kMe, &back, &count);
  ASSERT_NE(e, nullptr);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(e[0].m_name, "a.txt");
  EXPECT_EQ(e[0].m_size, 10);
  EXPECT_EQ(e[1].m_kind, kEntryFolder);
  EXPECT_STREQ(e[1].m_date, "12/09/26");
  EXPECT_EQ(e[1].m_node, nullptr);
  EXPECT_EQ(e[2].m_name[0], '\0') << "the array ends with an empty record";
  EXPECT_EQ(back.m_source, 3);
  EXPECT_STREQ(back.m_sourcePath, "/pub");

  // Released once: the token is dead afterwards.
  EXPECT_TRUE(ReleasePayloadEntries(p.m_entries));
  EXPECT_FALSE(ReleasePayloadEntries(p.m_entries));
  EXPECT_EQ(ValidateDragPayload(&p, sizeof p, kMe, &back, &count), nullptr);
  EXPECT_EQ(LivePayloadArrays(), live);

  DragPayload none;
  EXPECT_TRUE(BuildDragPayload(none, nullptr, 0, 3, "/pub", kMe, "x", nullptr));
  const DragPayload zero = {};
  EXPECT_EQ(memcmp(&none, &zero, sizeof none), 0) << "no rows: a zero block";
  EXPECT_EQ(LivePayloadArrays(), live);
}

TEST(DragPayload, ForeignAndDamagedBlocksGiveNoEntries)
{
  DragPayload good = Make("/", 0, {{"a", 1, kEntryFile}, {"b", 2, kEntryFile}});
  auto refused = [&](const DragPayload& p, size_t size = sizeof(DragPayload)) {
    DragPayload out;
    out.m_count = 77;
    int count = 5;
    const EntryRecord* e = ValidateDragPayload(&p, size, kMe, &out, &count);
    return e == nullptr && count == 0 && out.m_count == 0;
  };
  DragPayload p = good;
  p.m_producer = kMe + 1;
  EXPECT_TRUE(refused(p)) << "another process";
  EXPECT_TRUE(refused(good, 10)) << "a block under 540 bytes";
  EXPECT_TRUE(refused(good, 539));
  p = good;
  p.m_count = 0x7FFFFFFF;
  EXPECT_TRUE(refused(p)) << "more entries than registered";
  p.m_count = -1;
  EXPECT_TRUE(refused(p));
  p = good;
  p.m_entries = good.m_entries + 1000;
  EXPECT_TRUE(refused(p)) << "a token never given out";
  p = good;
  p.m_source = 200;
  EXPECT_TRUE(refused(p));
  p = good;
  p.m_target = -2;
  EXPECT_TRUE(refused(p));
  p = good;
  memset(p.m_sourcePath, 'x', sizeof p.m_sourcePath);
  EXPECT_TRUE(refused(p)) << "a path without its NUL";
  p = good;
  memset(p.m_targetPath, 'x', sizeof p.m_targetPath);
  EXPECT_TRUE(refused(p));
  EXPECT_EQ(ValidateDragPayload(nullptr, 540, kMe, nullptr, nullptr), nullptr);

  // A smaller count than registered is fine (a receiver may use fewer).
  p = good;
  p.m_count = 1;
  int count = 0;
  EXPECT_NE(ValidateDragPayload(&p, sizeof p, kMe, nullptr, &count), nullptr);
  EXPECT_EQ(count, 1);

  // The clipboard's release frees only this table's arrays.
  DragPayload stray = good;
  stray.m_entries = 0xFFFFFFF0u;
  const int live = LivePayloadArrays();
  ReleasePayloadRecord(&stray);
  EXPECT_EQ(LivePayloadArrays(), live);
  ReleasePayloadRecord(&good);
  EXPECT_EQ(LivePayloadArrays(), live - 1);
  ReleasePayloadRecord(nullptr);
}

TEST(DragPayload, PathsThatDoNotFitAreRefusedNotCut)
{
  const std::string longPath = "/" + std::string(258, 'p');  // 259 bytes: fits alone
  const int live = LivePayloadArrays();
  DragPayload p;
  std::string tooLong;
  PayloadRow row{"name", 1, kEntryFile};
  EXPECT_FALSE(BuildDragPayload(p, &row, 1, 0, longPath.c_str(), kMe, "d", &tooLong))
      << "folder + name would not fit a record's path";
  EXPECT_EQ(tooLong, longPath + "/name");
  const std::string tooLongFolder = "/" + std::string(260, 'p');
  EXPECT_FALSE(BuildDragPayload(p, &row, 1, -1, tooLongFolder.c_str(), kMe, "d", &tooLong));
  EXPECT_EQ(tooLong, tooLongFolder);
  EXPECT_EQ(LivePayloadArrays(), live) << "nothing registered on a refusal";
  EXPECT_EQ(PathTooLongText("C:\\x"), "The path is too long for this operation:\r\nC:\\x");

  char field[kPayloadPathLen] = "keep";
  EXPECT_FALSE(SetPayloadPath(field, std::string(260, 'a').c_str()));
  EXPECT_STREQ(field, "keep");
  EXPECT_TRUE(SetPayloadPath(field, std::string(259, 'a').c_str()));
}

TEST(DragPayload, AFolderIsNotPutIntoItself)
{
  DragPayload server = Make("/", 4, {{"a", 0, kEntryFolder}, {"f", 1, kEntryFile}});
  EXPECT_TRUE(TargetInsideSource(server, 4, "/a"));
  EXPECT_TRUE(TargetInsideSource(server, 4, "/a/b"));
  EXPECT_FALSE(TargetInsideSource(server, 4, "/ab"));
  EXPECT_FALSE(TargetInsideSource(server, 4, "/A")) << "server paths keep their case";
  EXPECT_FALSE(TargetInsideSource(server, 4, "/f")) << "a file is no folder";
  EXPECT_FALSE(TargetInsideSource(server, 5, "/a")) << "another site";
  EXPECT_FALSE(TargetInsideSource(server, -1, "/a"));

  DragPayload local = Make("C:\\", -1, {{"A", 0, kEntryFolder}});
  EXPECT_TRUE(TargetInsideSource(local, -1, "c:\\a\\x"));
  EXPECT_TRUE(TargetInsideSource(local, -1, "C:\\A"));
  EXPECT_FALSE(TargetInsideSource(local, -1, "c:\\ab"));
  EXPECT_FALSE(TargetInsideSource(local, 0, "c:\\a"));

  DragPayload sub = Make("D:\\x", -1, {{"y", 0, kEntryFolder}});
  EXPECT_TRUE(TargetInsideSource(sub, -1, "d:\\X\\Y\\z"));
  EXPECT_FALSE(TargetInsideSource(sub, -1, "d:\\x"));

  ReleasePayloadEntries(server.m_entries);
  EXPECT_FALSE(TargetInsideSource(server, 4, "/a")) << "a released payload names nothing";
  ReleasePayloadEntries(local.m_entries);
  ReleasePayloadEntries(sub.m_entries);
}

}  // namespace
