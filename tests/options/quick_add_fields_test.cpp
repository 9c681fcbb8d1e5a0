// Quick Add Site's rules: the connection limit and the new site's fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/mainframe/quickaddrules.h"

namespace {

TEST(QuickAddFields, ConnectionLimit)
{
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_COUNT, 0), 200);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_COUNT, 7), 7);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_COUNT, 200), 200);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_COUNT, 500), 200);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_SINGLE, 5), 1);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_SINGLE, 0), 200);
  EXPECT_EQ(QuickAddConnLimit(SITELIMIT_NONE, 5), 5);
  // What Modify shows for a stored limit gives that limit back.
  for (int limit : {1, 5, 200})
    EXPECT_EQ(QuickAddConnLimit(SITELIMIT_COUNT, LimitCountFromConnLimit(limit)), limit);
  EXPECT_EQ(LimitCountFromConnLimit(0), 200);
}

TEST(QuickAddFields, DigitsDefaultsAndBoundedTexts)
{
  const std::string host(80, 'h');  // an 80-character host
  const std::string user(100, 'u');
  const LoginFieldValues v = {host.c_str(), 2121, "My Site", user.c_str(), "secret", '2', '0', '1', 9};
  SiteRecord record;
  memset(&record, 0x5A, sizeof record);
  FillLoginFields(record, v);
  EXPECT_EQ(std::string(record.SiteOptionDigits), "2020100100");
  EXPECT_EQ(record.m_port, 2121);
  EXPECT_EQ(record.m_connLimit, 9);
  EXPECT_EQ(strlen(record.m_host), kSiteHostLen - 1);
  EXPECT_EQ(strlen(record.m_user), kSiteUserLen - 1);
  EXPECT_STREQ(record.m_name, "My Site");
  EXPECT_STREQ(record.m_password, "secret");
  // The rest as a new site has it.
  EXPECT_EQ(record.m_proxyPort, 1080);
  EXPECT_STREQ(record.m_remoteFolder, "/");
  EXPECT_EQ(record.m_localFolder[0], '\0');
  // A digit that is not one keeps the default's.
  const LoginFieldValues odd = {"h", 21, "n", "", "", 'x', '\0', '2', 200};
  FillLoginFields(record, odd);
  EXPECT_EQ(std::string(record.SiteOptionDigits), std::string(kDefaultSiteOptionDigits));
}

}  // namespace
