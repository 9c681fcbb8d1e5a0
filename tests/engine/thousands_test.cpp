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

TEST(Thousands, SizesInTheLargestUnitWithTwoCutDecimals)
{
  EXPECT_EQ(FormatSize64(0), CString("0.00 Bytes"));
  EXPECT_EQ(FormatSize64(1023), CString("1023.00 Bytes"));
  EXPECT_EQ(FormatSize64(1536), CString("1.50 KBytes"));
  EXPECT_EQ(FormatSize64(1048575), CString("1023.99 KBytes"));
  EXPECT_EQ(FormatSize64(uint64_t(1) << 30), CString("1.00 GBytes"));
  EXPECT_EQ(FormatSize64(5ull << 40), CString("5.00 TBytes"));
  EXPECT_EQ(FormatSize64(UINT64_MAX), CString("16777215.99 TBytes"));
}

}  // namespace
