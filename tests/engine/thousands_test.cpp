// Sizes with thousands separators.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/engineutil.h"

namespace {

TEST(Thousands, Groups)
{
  EXPECT_EQ(FormatThousands(0), CString("0"));
  EXPECT_EQ(FormatThousands(7), CString("7"));
  EXPECT_EQ(FormatThousands(999), CString("999"));
  EXPECT_EQ(FormatThousands(1000), CString("1,000"));
  EXPECT_EQ(FormatThousands(100000), CString("100,000"));
  EXPECT_EQ(FormatThousands(1234567), CString("1,234,567"));
  EXPECT_EQ(FormatThousands(3000000000u), CString("3,000,000,000"));
  EXPECT_EQ(FormatThousands(5497558138880ull), CString("5,497,558,138,880"));
  EXPECT_EQ(FormatThousands(UINT64_MAX), CString("18,446,744,073,709,551,615"));
}

TEST(Thousands, TwoNumbersInOneMessage)
{
  CString line;
  line.Format("%s of %s", FormatThousands(1024).GetString(), FormatThousands(1048576).GetString());
  EXPECT_EQ(line, CString("1,024 of 1,048,576"));
}

}  // namespace
