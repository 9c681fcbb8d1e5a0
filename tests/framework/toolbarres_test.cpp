#include "framework/toolbarres.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {
std::vector<uint8_t> Words(std::initializer_list<unsigned> words) {
  std::vector<uint8_t> out;
  for (unsigned w : words) {
    out.push_back((uint8_t)(w & 0xFF));
    out.push_back((uint8_t)(w >> 8));
  }
  return out;
}
}  // namespace

TEST(ToolBarResource, ReadsVersionOneAndRefusesEveryOtherForm) {
  ToolBarResource res;
  auto good = Words({1, 16, 15, 3, 32771, 0, 32772});
  ASSERT_TRUE(ParseToolBarResource(good.data(), good.size(), &res));
  EXPECT_EQ(res.width, 16);
  EXPECT_EQ(res.height, 15);
  EXPECT_EQ(res.items, (std::vector<UINT>{32771, 0, 32772}));
  EXPECT_EQ(ToolBarImageCount(res), 2);

  ToolBarResource untouched;
  untouched.width = 99;
  auto shortData = Words({1, 16, 15, 3, 32771, 0});        // count overruns the data
  auto version2 = Words({2, 16, 15, 1, 32771});
  auto zeroSize = Words({1, 0, 15, 1, 32771});
  // windres's TOOLBAR statement: 32-bit width, height, count, ids, no version.
  auto wide = Words({16, 0, 15, 0, 1, 0, 32771, 0});
  for (auto* bad : {&shortData, &version2, &zeroSize, &wide}) {
    EXPECT_FALSE(ParseToolBarResource(bad->data(), bad->size(), &untouched));
    EXPECT_EQ(untouched.width, 99);
  }
  EXPECT_FALSE(ParseToolBarResource(good.data(), 7, &untouched));
  EXPECT_FALSE(ParseToolBarResource(nullptr, 0, &untouched));

  auto empty = Words({1, 16, 15, 0});
  ASSERT_TRUE(ParseToolBarResource(empty.data(), empty.size(), &res));
  EXPECT_TRUE(res.items.empty());
}
