#include "toolkit/menurules.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr COLORREF Rgb(unsigned r, unsigned g, unsigned b) { return (COLORREF)(r | (g << 8) | (b << 16)); }

TEST(MenuRules, OsClassOfEverySystemAndLaterNtCountsAsNewShell) {
  struct Case { DWORD platform, major, minor; int cls; };
  const Case cases[] = {
      {0, 3, 10, kOsClassWin32s}, {1, 3, 95, kOsClassWin32s}, {1, 4, 0, kOsClassWin95},
      {1, 4, 10, kOsClassWin98},  {1, 4, 90, kOsClassWinMe},  {2, 3, 51, kOsClassOldNt},
      {2, 4, 0, kOsClassNt4},     {2, 5, 0, kOsClassWin2000}, {2, 5, 1, kOsClassWinXp},
      {2, 5, 2, kOsClassLaterNt}, {2, 6, 1, kOsClassLaterNt}, {2, 10, 0, kOsClassLaterNt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetOsClass(c.platform, c.major, c.minor), c.cls) << c.platform << " " << c.major << "." << c.minor;
  // What Wine reports must measure in the menu font and draw icon frames.
  EXPECT_TRUE(IsNewShellClass(GetOsClass(2, 10, 0)));
  EXPECT_TRUE(IsNewShellClass(GetOsClass(2, 6, 1)));
  EXPECT_TRUE(IsNewShellClass(GetOsClass(2, 5, 2)));
  EXPECT_FALSE(IsNewShellClass(GetOsClass(2, 3, 51)));
  EXPECT_FALSE(IsNewShellClass(GetOsClass(0, 3, 10)));
}

TEST(MenuRules, LightenAndDarkenTruncateAndIgnoreFactorsOutsideTheUnitRange) {
  EXPECT_EQ(MenuLightenColor(Rgb(0, 100, 255), 0.5), Rgb(127, 177, 255));
  EXPECT_EQ(MenuLightenColor(Rgb(10, 20, 30), 1.0), Rgb(255, 255, 255));
  EXPECT_EQ(MenuDarkenColor(Rgb(255, 101, 3), 0.5), Rgb(127, 50, 1));
  EXPECT_EQ(MenuDarkenColor(Rgb(255, 255, 255), 0.02), Rgb(249, 249, 249));
  for (double f : {0.0, 1.5, -1.0}) {
    EXPECT_EQ(MenuLightenColor(Rgb(1, 2, 3), f), Rgb(1, 2, 3)) << f;
    EXPECT_EQ(MenuDarkenColor(Rgb(1, 2, 3), f), Rgb(1, 2, 3)) << f;
  }
}

TEST(MenuRules, ClassicThemeIsTheValuesTailInAnyCase) {
  EXPECT_TRUE(IsClassicThemeName("C:\\WINDOWS\\Resources\\Themes\\WINDOWS CLASSIC.THEME"));
  EXPECT_FALSE(IsClassicThemeName("Classic.theme"));
  EXPECT_FALSE(IsClassicThemeName(nullptr));
}

// "&File" { "&Open\tCtrl+O" (101), separator, "Recent" { "One" (102) }, "E&xit" (103) } "&Help" (104)
std::vector<unsigned char> SampleTemplate() {
  std::vector<unsigned char> b = {0, 0, 0, 0};
  auto word = [&](unsigned w) { b.push_back((unsigned char)(w & 0xFF)); b.push_back((unsigned char)(w >> 8)); };
  auto text = [&](const char* s) { for (; *s; ++s) word((unsigned char)*s); word(0); };
  word(0x10); text("&File");
  word(0); word(101); text("&Open\tCtrl+O");
  word(0); word(0); text("");
  word(0x10); text("Recent");
  word(0x80); word(102); text("One");
  word(0x80); word(103); text("E&xit");
  word(0x80); word(104); text("&Help");
  return b;
}

TEST(MenuRules, TemplateGivesItsItemsAndLevelsAndRejectsEveryTruncation) {
  std::vector<unsigned char> b = SampleTemplate();
  std::vector<MenuTemplateItem> items;
  ASSERT_TRUE(ParseMenuTemplate(b.data(), b.size(), &items));
  ASSERT_EQ(items.size(), 7u);
  EXPECT_TRUE(items[0].popup);
  EXPECT_EQ(items[0].text, u"&File");
  EXPECT_EQ(items[1].id, 101u);
  EXPECT_EQ(items[1].text, u"&Open\tCtrl+O");
  EXPECT_EQ(items[2].id, 0u);
  EXPECT_TRUE(items[3].popup);
  EXPECT_TRUE(items[4].endsLevel);
  EXPECT_EQ(items[4].flags, 0u);  // MF_END taken off
  EXPECT_EQ(items[5].id, 103u);
  EXPECT_TRUE(items[6].endsLevel);
  // Trailing bytes after the last level are no part of it.
  b.push_back(0x55);
  EXPECT_TRUE(ParseMenuTemplate(b.data(), b.size(), &items));
  b.pop_back();
  // Every shorter copy, in a buffer of exactly that size, fails without reading past it.
  for (size_t n = 0; n < b.size(); ++n) {
    std::vector<unsigned char> cut(b.begin(), b.begin() + (ptrdiff_t)n);
    EXPECT_FALSE(ParseMenuTemplate(cut.empty() ? nullptr : cut.data(), n, &items)) << n;
    EXPECT_TRUE(items.empty());
  }
  b[0] = 1;  // an extended template is not this format
  EXPECT_FALSE(ParseMenuTemplate(b.data(), b.size(), &items));
}

}  // namespace
