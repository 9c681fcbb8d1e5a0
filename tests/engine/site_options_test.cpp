// The work-site record: defaults, the "Config" text, the connection limit and
// the layout the site manager reads in place.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "engine/siteitem.h"

namespace {

TEST(SiteOptions, NewSiteHasTheDefaults)
{
  CSiteItem site;
  EXPECT_STREQ(site.SiteOptionDigits, "0120200100");
  EXPECT_EQ(site.m_connLimit, 200);
  EXPECT_EQ(site.m_proxyPort, 1080);
  EXPECT_EQ(site.m_port, 21);
  EXPECT_STREQ(site.m_remoteFolder, "/");
  EXPECT_STREQ(site.m_host, "");
  EXPECT_EQ(site.m_queueRun, 1);
  EXPECT_EQ(site.m_keeperRunning, 0);
  EXPECT_EQ(site.m_pMainSession, nullptr);
  EXPECT_EQ(site.FormatSiteOptions(), CString("0,0,200,0,0,0,0,0,0,0120200100"));
}

TEST(SiteOptions, ConfigOrderRoundTrips)
{
  CSiteItem site;
  site.ParseSiteOptions("5,6,7,8,9,10,11,12,13,0120200100");
  EXPECT_EQ(site.m_downloadLimit, 5);
  EXPECT_EQ(site.m_uploadLimit, 6);
  EXPECT_EQ(site.m_connLimit, 7);
  EXPECT_EQ(site.m_retryCount, 8);
  EXPECT_EQ(site.m_retryDelay, 9);
  EXPECT_EQ(site.m_connectTimeout, 10);
  EXPECT_EQ(site.m_idleInterval, 11);
  EXPECT_EQ(site.m_downloadTimeout, 12);
  EXPECT_EQ(site.m_uploadTimeout, 13);
  EXPECT_STREQ(site.SiteOptionDigits, "0120200100");
  char text[kSiteOptionsTextSize];
  EXPECT_EQ(site.FormatSiteOptions(text, sizeof(text)), 32);
  EXPECT_STREQ(text, "5,6,7,8,9,10,11,12,13,0120200100");
}

TEST(SiteOptions, MissingFieldsKeepTheirValues)
{
  CSiteItem site;
  site.ParseSiteOptions("5,6,7,8,9,10,11,12,13,2111111111");
  site.ParseSiteOptions("1,2,3,4");
  EXPECT_EQ(site.FormatSiteOptions(), CString("1,2,3,4,9,10,11,12,13,2111111111"));
  site.ParseSiteOptions("");
  EXPECT_EQ(site.m_downloadLimit, 0);  // an empty first field reads as 0
  EXPECT_EQ(site.m_uploadLimit, 2);
}

TEST(SiteOptions, NumbersSaturateAndDigitsStayInTheirField)
{
  CSiteItem site;
  memset(site.m_host, 'h', 5);  // the field after the digits
  site.ParseSiteOptions("99999999999,-99999999999,x,+12,  7,,3junk,0,0,0123456789999999");
  EXPECT_EQ(site.m_downloadLimit, INT_MAX);
  EXPECT_EQ(site.m_uploadLimit, INT_MIN);
  EXPECT_EQ(site.m_connLimit, 0);
  EXPECT_EQ(site.m_retryCount, 12);
  EXPECT_EQ(site.m_retryDelay, 7);
  EXPECT_EQ(site.m_connectTimeout, 0);
  EXPECT_EQ(site.m_idleInterval, 3);
  EXPECT_STREQ(site.SiteOptionDigits, "0123456789");
  EXPECT_EQ(site.m_host[0], 'h');
  EXPECT_EQ(site.FormatSiteOptions(), CString("2147483647,-2147483648,0,12,7,0,3,0,0,0123456789"));

  // A shorter digit text leaves none of the old digits behind it.
  site.ParseSiteOptions("0,0,0,0,0,0,0,0,0,21");
  EXPECT_STREQ(site.SiteOptionDigits, "21");
  for (size_t i = 2; i < sizeof(site.SiteOptionDigits); ++i)
    EXPECT_EQ(site.SiteOptionDigits[i], '\0') << i;

  // Unterminated digits and a short buffer stay within bounds.
  memset(site.SiteOptionDigits, '9', sizeof(site.SiteOptionDigits));
  EXPECT_EQ(site.FormatSiteOptions(), CString("0,0,0,0,0,0,0,0,0,9999999999"));
  char small[12];
  EXPECT_EQ(site.FormatSiteOptions(small, sizeof(small)), 11);
  EXPECT_STREQ(small, "0,0,0,0,0,0");
}

TEST(SiteOptions, ConnectionLimitFollowsDigitZero)
{
  CSiteItem site;
  site.m_connLimit = 7;
  site.SiteOptionDigits[0] = '1';
  EXPECT_EQ(site.ConnectionLimit(), 1);
  site.SiteOptionDigits[0] = '2';
  EXPECT_EQ(site.ConnectionLimit(), 7);
  site.m_connLimit = 0;
  EXPECT_EQ(site.ConnectionLimit(), 1);
  site.m_connLimit = -4;
  EXPECT_EQ(site.ConnectionLimit(), 1);
  site.m_connLimit = 5000;
  EXPECT_EQ(site.ConnectionLimit(), 200);
  site.SiteOptionDigits[0] = '0';
  EXPECT_EQ(site.ConnectionLimit(), 200);
  site.SiteOptionDigits[0] = '7';
  EXPECT_EQ(site.ConnectionLimit(), 200);
}

TEST(SiteOptions, SiteManagerReadsTheFieldsInPlace)
{
  // The site manager sees a CSiteItem as a SiteRecord one pointer further on.
  SiteRecord record;
  memset(&record, 0, sizeof(record));
  InitSiteFields(record);
  CopySiteText(record.m_host, "ftp.example.org");
  CopySiteText(record.m_name, "example");
  CopySiteText(record.m_remoteFolder, "/pub/incoming");
  record.m_port = 2121;
  record.m_uploadTimeout = 44;

  CSiteItem site;
  memcpy(reinterpret_cast<char*>(&site) + sizeof(void*), &record, kSiteFieldsEnd);
  EXPECT_STREQ(site.m_host, "ftp.example.org");
  EXPECT_STREQ(site.m_name, "example");
  EXPECT_STREQ(site.m_remoteFolder, "/pub/incoming");
  EXPECT_EQ(site.m_port, 2121);
  EXPECT_EQ(site.m_uploadTimeout, 44);
  EXPECT_STREQ(site.SiteOptionDigits, "0120200100");
  EXPECT_EQ(site.m_queueRun, 1);  // run-time fields untouched

  const SiteRecord* view = reinterpret_cast<const SiteRecord*>(reinterpret_cast<const char*>(&site) + sizeof(void*));
  EXPECT_STREQ(view->m_host, "ftp.example.org");
}

TEST(SiteOptions, CopySiteTextCutsAndTerminates)
{
  char field[8];
  memset(field, 'x', sizeof(field));
  CopySiteText(field, "0123456789");
  EXPECT_STREQ(field, "0123456");
  CopySiteText(field, nullptr);
  EXPECT_STREQ(field, "");
}

TEST(SiteOptions, CacheFileNames)
{
  for (const char* name : {"0", "123", "-45", "2147483647", "-99999999999"})
    EXPECT_TRUE(IsCacheFileName(name)) << name;
  for (const char* name : {"", "-", "--1", "12a", "1.txt", ".", "..", "a1", "1 ", " 1", "+1"})
    EXPECT_FALSE(IsCacheFileName(name)) << name;
  EXPECT_FALSE(IsCacheFileName(nullptr));
}

}  // namespace
