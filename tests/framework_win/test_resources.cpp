// String tables: the program and each library load their own.
#include "fwtest.h"

#include "resids.h"

extern "C" __declspec(dllimport) int ResDllLoadString(UINT nID, char* pszBuf, int cbBuf);
extern "C" __declspec(dllimport) HINSTANCE ResDllResourceHandle();

TEST(Resources, EachModuleLoadsItsOwnStringTable) {
  EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetInstanceHandle());
  EXPECT_EQ(::GetModuleHandleA(nullptr), AfxGetResourceHandle());
  EXPECT_EQ(::GetModuleHandleA("fwwin_resdll.dll"), ResDllResourceHandle());

  CString str;
  ASSERT_TRUE(str.LoadString(IDS_SHARED_ID));
  EXPECT_STREQ("exe-own string", str);
  EXPECT_TRUE(str.LoadString(IDS_EXE_ONLY));
  EXPECT_STREQ("only in the program", str);
  EXPECT_FALSE(str.LoadString(999));
  EXPECT_TRUE(str.IsEmpty());
  // Longer than any first guess at a buffer: not cut.
  ASSERT_TRUE(str.LoadString(IDS_LONG));
  EXPECT_EQ(284, str.GetLength());
  EXPECT_STREQ("-end", str.Right(4));

  char buf[64] = "";
  EXPECT_EQ(14, ResDllLoadString(IDS_SHARED_ID, buf, sizeof buf));
  EXPECT_STREQ("dll-own string", buf);
  EXPECT_EQ(-1, ResDllLoadString(IDS_EXE_ONLY, buf, sizeof buf));  // not the program's table
}
