#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/columntext.h"
#include "toolkit/headerlayout.h"

namespace {

struct Inserted {
  std::vector<std::string> titles;
  std::vector<int> indexes, widths;
  int failAt = -1;  // the index whose insertion fails
};

BOOL Record(void* context, int index, const char* title, int width) {
  auto* in = static_cast<Inserted*>(context);
  if (index == in->failAt)
    return FALSE;
  in->titles.push_back(title);
  in->indexes.push_back(index);
  in->widths.push_back(width);
  return TRUE;
}

TEST(ColumnSpec, EntriesGiveColumnsAtTheRunningCount) {
  Inserted in;
  int count = 0;
  EXPECT_TRUE(ApplyColumnSpec("A,10;B,20", &count, Record, &in));
  EXPECT_TRUE(ApplyColumnSpec("x, 100", &count, Record, &in));  // appends, blank before the width
  EXPECT_EQ(count, 3);
  EXPECT_EQ(in.titles, (std::vector<std::string>{"A", "B", "x"}));
  EXPECT_EQ(in.indexes, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(in.widths, (std::vector<int>{10, 20, 100}));

  for (const char* none : {"", "A;B"}) {
    Inserted empty;
    int n = 0;
    EXPECT_TRUE(ApplyColumnSpec(none, &n, Record, &empty)) << none;
    EXPECT_EQ(n, 0) << none;
    EXPECT_TRUE(empty.titles.empty()) << none;
  }
}

TEST(ColumnSpec, AFailedInsertionStopsButCountsAndKeepsEarlierColumns) {
  Inserted in;
  in.failAt = 1;
  int count = 0;
  EXPECT_FALSE(ApplyColumnSpec(kColumnsSearch, &count, Record, &in));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(in.titles, (std::vector<std::string>{"Name"}));
}

TEST(HeaderLayout, FourWidthsGiveTheGoldenBytesAndLoadBack) {
  const std::vector<BYTE> bytes = HeaderLayoutBytes({150, 0x1234, 0, 7});
  const std::vector<BYTE> golden = {4, 0, 0, 0, 150, 0, 0, 0, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0};
  EXPECT_EQ(bytes, golden);

  std::vector<int> widths;
  ASSERT_TRUE(HeaderLayoutFromBytes(bytes.data(), (UINT)bytes.size(), 4, &widths));
  EXPECT_EQ(widths, (std::vector<int>{150, 0x1234, 0, 7}));
}

TEST(HeaderLayout, AnotherCountAShortValueOrNothingChangesNothingAndNegativeIsZero) {
  const std::vector<int> before = {1, 2, 3, 4};
  std::vector<BYTE> bytes = HeaderLayoutBytes({10, 20, 30, 40});
  std::vector<int> widths = before;
  EXPECT_FALSE(HeaderLayoutFromBytes(bytes.data(), (UINT)bytes.size(), 5, &widths));
  EXPECT_FALSE(HeaderLayoutFromBytes(bytes.data(), (UINT)bytes.size() - 2, 4, &widths));
  EXPECT_FALSE(HeaderLayoutFromBytes(bytes.data(), 0, 4, &widths));
  EXPECT_FALSE(HeaderLayoutFromBytes(nullptr, 0, 4, &widths));
  EXPECT_EQ(widths, before);

  bytes = HeaderLayoutBytes({-5, 9});
  ASSERT_TRUE(HeaderLayoutFromBytes(bytes.data(), (UINT)bytes.size(), 2, &widths));
  EXPECT_EQ(widths, (std::vector<int>{0, 9}));
}

}  // namespace
