#include <gtest/gtest.h>

#include "toolkit/linkrules.h"

namespace {

TEST(LinkRules, ShellResultTexts) {
  EXPECT_STREQ(HyperlinkErrorText(26), "A sharing violation occurred. ");
  EXPECT_STREQ(HyperlinkErrorText(33), "");
  EXPECT_STREQ(HyperlinkErrorText(4), "Unknown Error (4) occurred.");
  EXPECT_STREQ(HyperlinkErrorText(0), "The operating system is out\nof memory or resources.");
}

TEST(LinkRules, BrowserCommandIsCutBeforeTheArgument) {
  EXPECT_STREQ(BuildBrowserCommand("\"C:\\b.exe\" -n \"%1\" -x", "http://h/"), "\"C:\\b.exe\" -n  http://h/");
  EXPECT_STREQ(BuildBrowserCommand("b.exe %1", "http://h/"), "b.exe  http://h/");
  EXPECT_STREQ(BuildBrowserCommand("b.exe", "http://h/"), "b.exe http://h/");
}

}  // namespace
