// A work site's name against the 200 slots: case is ignored (the name is a
// registry key and a folder), the site itself does not clash, bad forms get
// the store's text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/siteitem.h"
#include "shell/sitestore/sitename.h"
#include "sitemanager/worksites.h"

namespace {

TEST(WorkSiteNames, ClashesIgnoreCaseAndSkipTheSiteItself)
{
  CSiteItem* slots[kWorkSiteSlots] = {};
  auto foo = std::make_unique<CSiteItem>();
  CopySiteText(foo->m_name, "Foo");
  slots[199] = foo.get();  // the last slot is looked at too

  EXPECT_STREQ(kWorkSiteNameClashText, CheckWorkSiteName(slots, nullptr, "foo"));
  EXPECT_STREQ(kWorkSiteNameClashText, CheckWorkSiteName(slots, nullptr, "FOO"));
  EXPECT_EQ(nullptr, CheckWorkSiteName(slots, foo.get(), "FOO"));  // its own new spelling
  EXPECT_EQ(nullptr, CheckWorkSiteName(slots, nullptr, std::string(49, 'x').c_str()));
  EXPECT_STREQ(kInvalidSiteNameText, CheckWorkSiteName(slots, nullptr, std::string(50, 'x').c_str()));
  EXPECT_STREQ(kInvalidSiteNameText, CheckWorkSiteName(slots, nullptr, "a\\b"));
  EXPECT_STREQ(kInvalidSiteNameText, CheckWorkSiteName(slots, nullptr, ""));

  EXPECT_EQ(199, FindWorkSiteSlot(slots, foo.get()));
  EXPECT_EQ(-1, FindWorkSiteSlot(slots, nullptr));
}

}  // namespace
