// The spare-site record: what a new one holds, the option digits, the numeric
// field rules, the clean-up before a store, a work site's fields copied
// out and back, and which fields each property page stores.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/proxyproto.h"
#include "engine/siteitem.h"
#include "sitemanager/sitepagefields.h"
#include "sitemanager/siterules.h"

namespace {

TEST(SiteRecord, NewRecordIsZeroBesideTheDefaults)
{
  std::unique_ptr<SiteRecord> record = NewSiteRecord();
  SiteRecord expected;
  memset(&expected, 0, sizeof expected);
  expected.m_connLimit = 200;
  expected.m_proxyPort = 1080;
  expected.m_port = 21;
  memcpy(expected.SiteOptionDigits, "0120200100", 11);
  expected.m_remoteFolder[0] = '/';
  // Whole record, reserved bytes and the new-site pointer included (the heap
  // under ASan is not zero).
  EXPECT_EQ(memcmp(record.get(), &expected, sizeof expected), 0);
  EXPECT_EQ(record->m_pNewSite, nullptr);
}

TEST(SiteRecord, ProxyTypeDigitReadsBackInTheEngine)
{
  std::unique_ptr<SiteRecord> record = NewSiteRecord();
  for (int type = 0; type < kSiteProxyTypeCount; ++type) {
    ASSERT_TRUE(SetSiteProxyType(*record, type));
    EXPECT_EQ(ProxyTypeFromDigit(record->SiteOptionDigits[SITEDIGIT_PROXY_TYPE]), type);
    EXPECT_EQ(GetSiteProxyType(*record), type);
  }
  EXPECT_STREQ(record->SiteOptionDigits, "012020010<");
  EXPECT_FALSE(SetSiteProxyType(*record, 13));
  EXPECT_STREQ(kSiteProxyTypeNames[0], "None");
  EXPECT_STREQ(kSiteProxyTypeNames[11], "USER ftp_user@ftp_host proxy_user");
  EXPECT_STREQ(kSiteProxyTypeNames[12], "USER Proxy_user@ftp_host");

  // A short or hand-edited digit string never gives a combo a bad index, and a
  // digit set behind its end does not hide behind a NUL.
  ParseSiteConfig(*record, "0,0,200,0,0,0,0,0,0,9x");
  EXPECT_EQ(GetSiteDigit(*record, SITEDIGIT_LIMIT_KIND), 0);
  EXPECT_EQ(GetSiteDigit(*record, SITEDIGIT_ANONYMOUS), 0);
  EXPECT_EQ(GetSiteDigit(*record, SITEDIGIT_KEEP_ALIVE), 0);
  ASSERT_TRUE(SetSiteDigit(*record, SITEDIGIT_KEEP_ALIVE, 2));
  EXPECT_STREQ(record->SiteOptionDigits, "9x000002");
  EXPECT_FALSE(SetSiteDigit(*record, SITEDIGIT_KEEP_ALIVE, 3));
}

TEST(SiteRecord, FieldRulesAcceptAndRefuseWithTheirMessages)
{
  const char* const timeout = "Please enter number: 10 - 600 ";
  const char* const port = "\xC7\xEB\xBC\xFC\xC8\xEB 1 - 65535 \xD6\xAE\xBC\xE4\xB5\xC4\xD2\xBB\xB8\xF6\xCA\xFD\xD6\xB5";
  const struct {
    int id;
    int32_t value;
    const char* message;  // null: accepted
  } cases[] = {
      {1033, 0, nullptr}, {1033, 10, nullptr}, {1033, 5, timeout}, {1033, 601, timeout},
      {1037, 0, nullptr}, {1037, 5, timeout},  {1038, 600, nullptr}, {1038, -1, timeout},
      {1044, 65535, nullptr}, {1044, 65536, port}, {1044, 0, port},
      {1041, 0, "Please enter number: 1 - 65535"}, {1025, 0, nullptr}, {1025, 201, "Please enter number: 0 - 200 "},
      {1034, 32768, "Please enter number: 0 - 32767 "}, {1035, 3601, "Please enter number: 0 - 3600 "},
      {1036, 361, "Please enter number: 0 - 360 "},
      {1046, -5, nullptr}, {1047, 1 << 30, nullptr},  // the speed limits are compared only
  };
  for (const auto& c : cases) {
    const char* message = ValidateSiteField(c.id, c.value);
    if (c.message == nullptr)
      EXPECT_EQ(message, nullptr) << c.id << " " << c.value;
    else
      EXPECT_STREQ(message, c.message) << c.id << " " << c.value;
  }
  // Each rule names its own field.
  SiteFields f;
  InitSiteFields(f);
  EXPECT_EQ(&SiteFieldAt(f, *FindSiteFieldRule(1038)), &f.m_uploadTimeout);
  EXPECT_EQ(&SiteFieldAt(f, *FindSiteFieldRule(1037)), &f.m_downloadTimeout);
}

TEST(SiteRecord, NormaliseTrimsAndFixesWhatWouldBeStored)
{
  std::unique_ptr<SiteRecord> r = NewSiteRecord();
  CopySiteText(r->m_host, "  ftp.example.com\t");
  CopySiteText(r->m_name, " site ");
  CopySiteText(r->m_proxyHost, "   ");
  SetSiteProxyType(*r, 11);
  CopySiteText(r->m_remoteFolder, " pub/in ");
  const std::string note = "line one\r\nline two" + std::string(300, 'n');
  CopySiteText(r->m_note, note.c_str());
  NormaliseSiteRecord(*r);
  EXPECT_STREQ(r->m_host, "ftp.example.com");
  EXPECT_STREQ(r->m_name, "site");
  EXPECT_STREQ(r->m_proxyHost, "");
  EXPECT_EQ(GetSiteProxyType(*r), 0);
  EXPECT_STREQ(r->m_remoteFolder, "/pub/in");
  EXPECT_EQ(strlen(r->m_note), kSiteNoteKept);
  EXPECT_EQ(std::string(r->m_note, 18), "line one  line two");

  // A full-width folder without "/" keeps the "/" and loses its last byte.
  const std::string folder(259, 'f');
  CopySiteText(r->m_remoteFolder, folder.c_str());
  CopySiteText(r->m_proxyHost, "proxy");
  SetSiteProxyType(*r, 3);
  NormaliseSiteRecord(*r);
  EXPECT_EQ(std::string(r->m_remoteFolder), "/" + folder.substr(0, 258));
  EXPECT_EQ(GetSiteProxyType(*r), 3);
}

TEST(SiteRecord, WorkSiteFieldsCopyOutAndBackByteEqual)
{
  CSiteItem site;
  site.ParseSiteOptions("1,2,3,4,5,10,11,12,13,2111311121");
  CopySiteText(site.m_host, "host.example");
  CopySiteText(site.m_name, "work");
  CopySiteText(site.m_password, "pw\xA7");
  CopySiteText(site.m_remoteFolder, "/r");
  CopySiteText(site.m_localAddress, "10.0.0.1");
  const SiteFields& in = site;

  std::unique_ptr<SiteRecord> record = RecordFromWorkSite(&site);
  EXPECT_EQ(memcmp(static_cast<SiteFields*>(record.get()), &in, kSiteFieldsEnd), 0);
  EXPECT_EQ(&WorkSiteFields(&site), &in);
  const char zero[sizeof record->m_reserved] = {};
  EXPECT_EQ(memcmp(record->m_reserved, zero, sizeof zero), 0);
  EXPECT_EQ(record->m_pNewSite, nullptr);

  CopySiteText(record->m_note, "edited in the manager");
  record->m_port = 2121;
  StoreRecordInWorkSite(*record, &site);
  EXPECT_EQ(memcmp(static_cast<SiteFields*>(record.get()), &in, kSiteFieldsEnd), 0);
  // The run-time state after the fields is the work site's own.
  EXPECT_STREQ(site.m_localAddress, "10.0.0.1");
  EXPECT_EQ(site.m_queueRun, 1);
}

// Storing a modified page writes exactly its own fields: together the pages
// cover every field (none is dropped on the way back) and no two pages write
// the same one (a stale copy of another page would overwrite a newer value).
TEST(SiteRecord, EachPageStoresItsOwnFieldsAndTogetherAll)
{
  SiteFields from;
  memset(&from, 0, sizeof from);
  for (size_t i = 0; i < kSiteFieldsEnd; ++i)
    reinterpret_cast<unsigned char*>(&from)[i] = static_cast<unsigned char>('a' + i % 26);
  memcpy(from.SiteOptionDigits, "2111131211", 11);  // each digit valid and unlike the blank record
  for (char* text : {from.m_host, from.m_name, from.m_user, from.m_password, from.m_proxyHost, from.m_proxyUser,
                     from.m_proxyPassword})
    text[10] = '\0';
  for (char* text : {from.m_localFolder, from.m_note, from.m_remoteFolder})
    text[100] = '\0';

  std::vector<int> writers(kSiteFieldsEnd, 0);
  SiteFields all;
  memset(&all, 0, sizeof all);
  memcpy(all.SiteOptionDigits, "0000000000", 11);
  for (SitePage page : {SitePage::General, SitePage::Option, SitePage::Proxy}) {
    SiteFields to;
    memset(&to, 0, sizeof to);
    memcpy(to.SiteOptionDigits, "0000000000", 11);
    const SiteFields blank = to;
    CopySitePageFields(page, from, to);
    CopySitePageFields(page, from, all);
    for (size_t i = 0; i < kSiteFieldsEnd; ++i)
      if (reinterpret_cast<const char*>(&to)[i] != reinterpret_cast<const char*>(&blank)[i])
        ++writers[i];
  }
  for (size_t i = 0; i < kSiteFieldsEnd; ++i)
    EXPECT_LE(writers[i], 1) << "byte " << i << " written by two pages";
  const char* const froms[] = {from.m_host, from.m_name, from.m_user, from.m_password, from.m_localFolder,
                               from.m_proxyHost, from.m_proxyUser, from.m_proxyPassword, from.m_note,
                               from.m_remoteFolder};
  const char* const alls[] = {all.m_host, all.m_name, all.m_user, all.m_password, all.m_localFolder,
                              all.m_proxyHost, all.m_proxyUser, all.m_proxyPassword, all.m_note, all.m_remoteFolder};
  for (size_t i = 0; i < 10; ++i)
    EXPECT_STREQ(alls[i], froms[i]) << "text field " << i;
  EXPECT_STREQ(all.SiteOptionDigits, "2111131211");
  EXPECT_EQ(memcmp(&all, &from, offsetof(SiteFields, SiteOptionDigits)), 0);
}

// A number edit's text: only a whole decimal number within 32 bits passes, so
// garbage never becomes a 0 that the range check would then accept.
TEST(SiteRecord, NumberTextsParseOnlyWhenWhole)
{
  int32_t v = 7;
  EXPECT_TRUE(ParseSiteNumber(" 600 ", v));
  EXPECT_EQ(v, 600);
  EXPECT_TRUE(ParseSiteNumber("-1", v));
  EXPECT_EQ(v, -1);
  EXPECT_TRUE(ParseSiteNumber("2147483647", v));
  EXPECT_EQ(v, INT32_MAX);
  v = 7;
  for (const char* bad : {"", "  ", "-", "12a", "1 2", "2147483648", "99999999999999999999", "0x10"})
    EXPECT_FALSE(ParseSiteNumber(bad, v)) << bad;
  EXPECT_EQ(v, 7);
}

}  // namespace
