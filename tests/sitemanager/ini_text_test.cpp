// The spare-site file: its exact bytes, sites through their sections and back,
// edits that leave the other sections alone, awkward bytes, and saves that
// fail without harming the file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "sitemanager/initext.h"
#include "sitemanager/sitesection.h"
#include "sitemanager/siterules.h"

namespace fs = std::filesystem;

namespace {

// One folder per run, removed at exit.
std::string TempDir()
{
  static const struct Dir {
    fs::path path = fs::temp_directory_path() / ("zarn-ini-" + std::to_string(std::random_device{}()));
    Dir() { fs::create_directories(path); }
    ~Dir()
    {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } dir;
  return dir.path.string();
}

std::string FilePath(const char* name) { return (fs::path(TempDir()) / name).string(); }

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

// The tree LoadSiteSection builds, as label paths and sites.
struct RecordingSink : CSiteTreeSink {
  std::vector<std::pair<Node, std::string>> labels;  // index + 1 is the node
  std::vector<std::pair<Node, std::unique_ptr<SiteRecord>>> sites;
  Node FindOrCreateLabel(Node parent, const std::string& label) override
  {
    for (size_t i = 0; i < labels.size(); ++i) {
      if (labels[i].first == parent && labels[i].second == label)
        return reinterpret_cast<Node>(i + 1);
    }
    labels.emplace_back(parent, label);
    return reinterpret_cast<Node>(labels.size());
  }
  void AppendSite(Node parent, std::unique_ptr<SiteRecord> record) override
  {
    sites.emplace_back(parent, std::move(record));
  }
};

std::unique_ptr<SiteRecord> Site(const char* name, const char* host)
{
  std::unique_ptr<SiteRecord> r = NewSiteRecord();
  CopySiteText(r->m_name, name);
  CopySiteText(r->m_host, host);
  return r;
}

// A text with the named sites saved in order, from empty.
std::string Built(std::initializer_list<const char*> names)
{
  CIniText ini(std::string(), nullptr);
  for (const char* name : names)
    SaveSiteSection(ini, MakeLabelPath(name, {}), *Site(name, name));
  return ini.Text();
}

TEST(IniText, TwoSitesSavedFromEmptyGiveTheseBytes)
{
  const std::string path = FilePath("golden.ini");
  CIniText ini(path.c_str());
  ASSERT_TRUE(fs::exists(path));  // a missing file is made, empty
  std::unique_ptr<SiteRecord> a = Site("one", "ftp.one");
  CopySiteText(a->m_user, "me");
  CopySiteText(a->m_password, "ab");
  EXPECT_TRUE(SaveSiteSection(ini, MakeLabelPath("one", {}), *a).written);
  SaveSiteSection(ini, MakeLabelPath("two", {"lab"}), *Site("two", "ftp.two"));
  ASSERT_TRUE(ini.Save());
  const std::string keys = "LocalDir=\r\nRemoteDir=/\r\nFtpInfo=\r\nProxyAdd=\r\nProxyUser=\r\nProxyPass=\r\n"
                           "ProxyPort=1080\r\n";
  EXPECT_EQ(ReadFile(path), "\r\n[one\x0C]\r\nAddress=ftp.one\r\nUser=me\r\nPort=21\r\nPass=\xC6\xC5\r\n"
                            "Config=0,0,200,0,0,0,0,0,0,0120200100\r\n" + keys +
                            "\r\n[two\x0Clab\x0C]\r\nAddress=ftp.two\r\nUser=\r\nPort=21\r\nPass=\r\n"
                            "Config=0,0,200,0,0,0,0,0,0,0120200100\r\n" + keys);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(IniText, EveryFieldRoundTripsWithItsLabelPath)
{
  std::unique_ptr<SiteRecord> r = Site("a]b", "host;1");
  ParseSiteConfig(*r, "5,6,7,8,9,10,11,12,13,2111311121");
  SetSiteProxyType(*r, 11);  // digit ';'
  r->m_port = 2121;
  r->m_proxyPort = 8080;
  CopySiteText(r->m_user, "user]x");
  CopySiteText(r->m_password, "p\xA7\x9C\xFA\xAE\xC3\xDC\xC2\xEB");  // NUL ; ] tab when scrambled
  CopySiteText(r->m_localFolder, "C:\\in\tout");
  CopySiteText(r->m_remoteFolder, "/pub/[old]");
  CopySiteText(r->m_note, "note; with ] and \t tab");
  CopySiteText(r->m_proxyHost, "proxy.example");
  CopySiteText(r->m_proxyUser, "pu;");
  CopySiteText(r->m_proxyPassword, "\xA7\xA7");
  const std::vector<std::string> labels = {"top", "x;y", std::string(200, 'L')};
  const std::string section = MakeLabelPath(r->m_name, labels);
  EXPECT_EQ(SplitLabelPath(section), (std::vector<std::string>{"a]b", "top", "x;y", std::string(200, 'L')}));

  const std::string path = FilePath("roundtrip.ini");
  {
    CIniText ini(path.c_str());
    SaveSiteSection(ini, "x;y\x0C", *Site("x;y", "other"));
    SaveSiteSection(ini, section, *r);
    ASSERT_TRUE(ini.Save());
  }
  CIniText ini(path.c_str());
  ASSERT_EQ(ini.SectionCount(), 2);
  std::string name;
  ASSERT_TRUE(ini.SectionName(1, name));
  EXPECT_EQ(name, section);
  RecordingSink sink;
  ASSERT_NE(LoadSiteSection(ini, name, sink), nullptr);
  ASSERT_EQ(sink.sites.size(), 1u);
  EXPECT_EQ(memcmp(static_cast<SiteFields*>(sink.sites[0].second.get()), static_cast<SiteFields*>(r.get()),
                   kSiteFieldsEnd),
            0);
  ASSERT_EQ(sink.labels.size(), 3u);
  EXPECT_EQ(sink.labels[0], std::make_pair(CSiteTreeSink::Node(nullptr), std::string("top")));
  EXPECT_EQ(sink.labels[2].second, labels[2]);
  EXPECT_EQ(sink.sites[0].first, reinterpret_cast<CSiteTreeSink::Node>(3));

  // A later save finds the same long-named section instead of adding one.
  r->m_port = 21;
  SaveSiteSection(ini, section, *r);
  EXPECT_EQ(ini.SectionCount(), 2);
  EXPECT_EQ(ini.GetInt(section, "Port"), 21);
  EXPECT_EQ(ini.GetString("x;y\x0C", "Address"), "other");
}

TEST(IniText, EditsKeepTheOtherSectionsWhole)
{
  const std::string abc = Built({"a", "b", "c"});
  // Deleting any one section gives the file that never had it.
  const std::pair<const char*, std::string> cases[] = {
      {"a\x0C", Built({"b", "c"})}, {"b\x0C", Built({"a", "c"})}, {"c\x0C", Built({"a", "b"})}};
  for (const auto& [gone, rest] : cases) {
    CIniText t(abc, nullptr);
    ASSERT_TRUE(t.DeleteSection(gone));
    EXPECT_EQ(t.Text(), rest) << gone;
  }

  CIniText t(abc, nullptr);
  // Another length in the first section, then gets and sets further on.
  ASSERT_TRUE(t.SetString("a\x0C", "Address", "a-much-longer-host-name.example"));
  EXPECT_EQ(t.GetString("b\x0C", "Address"), "b");
  ASSERT_TRUE(t.SetString("c\x0C", "User", "cu"));
  EXPECT_EQ(t.GetString("c\x0C", "User"), "cu");
  EXPECT_EQ(t.GetString("c\x0C", "Address"), "c");
  EXPECT_EQ(t.SectionCount(), 3);
  // A key new to the middle section goes in front of its blank end line, so
  // deleting the section takes it along.
  ASSERT_TRUE(t.SetString("b\x0C", "Extra", "1"));
  EXPECT_EQ(t.GetString("b\x0C", "Extra"), "1");
  EXPECT_EQ(t.GetString("c\x0C", "Extra"), "");
  EXPECT_NE(t.Text().find("ProxyPort=1080\r\nExtra=1\r\n\r\n[c\x0C]"), std::string::npos);
  ASSERT_TRUE(t.DeleteSection("b\x0C"));
  CIniText expected(Built({"a", "c"}), nullptr);
  expected.SetString("a\x0C", "Address", "a-much-longer-host-name.example");
  expected.SetString("c\x0C", "User", "cu");
  EXPECT_EQ(t.Text(), expected.Text());
  EXPECT_FALSE(t.DeleteSection("b\x0C"));
}

TEST(IniText, KeysAndValuesAtTheLineRules)
{
  CIniText t("[s1]\r\nk=v;w]x\ty\r\n\r\n[s2]\r\nonly=2\r\n[last]", nullptr);
  EXPECT_EQ(t.GetString("s1", "k"), "v;w]x\ty");
  // Missing in the first section though a later one has it: added there.
  EXPECT_EQ(t.GetString("s1", "only"), "");
  ASSERT_TRUE(t.SetString("s1", "only", "1"));
  EXPECT_EQ(t.GetString("s2", "only"), "2");
  EXPECT_EQ(t.GetInt("s1", "only"), 1);
  // A header that ends the text without a line break still takes keys.
  ASSERT_TRUE(t.SetInt("last", "n", -7));
  EXPECT_EQ(t.GetInt("last", "n"), -7);
  EXPECT_EQ(t.Text().substr(t.Text().size() - 14), "[last]\r\nn=-7\r\n");
  // Refused: they would break or split a line.
  const std::string before = t.Text();
  EXPECT_FALSE(t.SetString("s\r1", "k", "v"));
  EXPECT_FALSE(t.SetString("s1", "a=b", "v"));
  EXPECT_FALSE(t.SetString("s1", "a;b", "v"));
  EXPECT_FALSE(t.SetString("s1", "[k", "v"));
  EXPECT_FALSE(t.SetString("s1", "", "v"));
  EXPECT_EQ(t.Text(), before);
  ASSERT_TRUE(t.SetString("s1", "k", "two\r\nlines"));
  EXPECT_EQ(t.GetString("s1", "k"), "two  lines");
  EXPECT_EQ(t.SectionCount(), 3);
  EXPECT_EQ(t.GetInt("s1", "none"), 0);
  ASSERT_TRUE(t.SetString("s1", "big", "99999999999"));
  EXPECT_EQ(t.GetInt("s1", "big"), INT32_MAX);
}

TEST(IniText, AbsentEmptyAndNulLedFiles)
{
  const std::string empty = FilePath("empty.ini");
  WriteFile(empty, "");
  {
    CIniText ini(empty.c_str());
    EXPECT_EQ(ini.SectionCount(), 0);
    ASSERT_TRUE(ini.Save());
  }
  EXPECT_EQ(ReadFile(empty), "");  // no NUL written

  const std::string led = FilePath("nul-led.ini");
  WriteFile(led, std::string("\0\0\r\n[s\x0C]\r\nAddress=h\r\n", 21));
  CIniText ini(led.c_str());
  ASSERT_EQ(ini.SectionCount(), 1);
  EXPECT_EQ(ini.GetString("s\x0C", "Address"), "h");
  ASSERT_TRUE(ini.Save());
  EXPECT_EQ(ReadFile(led), "\r\n[s\x0C]\r\nAddress=h\r\n");
}

TEST(IniText, SectionReadingTakesOnlySoundNumbers)
{
  CIniText ini("[a\x0C]\r\nPort=70000\r\nConfig=1,2,3,4\r\nProxyPort=0\r\n"
               "[b\x0C]\r\nConfig=1,2,300,4,5,6,7,8,9,0000000000,7,7,7,7,7,7,7,7,7,7\r\n"
               "[c\x0C]\r\nConfig=0,0,200,40000,5,5,400,601,10,0120200100\r\n",
               nullptr);
  RecordingSink sink;
  for (const char* name : {"a\x0C", "b\x0C", "c\x0C"})
    ASSERT_NE(LoadSiteSection(ini, name, sink), nullptr);
  const SiteRecord& a = *sink.sites[0].second;
  EXPECT_EQ(a.m_port, 21);
  EXPECT_EQ(a.m_proxyPort, 1080);
  EXPECT_EQ(a.m_downloadLimit, 1);
  EXPECT_EQ(a.m_retryCount, 4);
  EXPECT_STREQ(a.SiteOptionDigits, "0120200100");
  const SiteRecord& b = *sink.sites[1].second;
  EXPECT_EQ(b.m_connLimit, 200);  // 300 is out of its rule
  EXPECT_EQ(b.m_uploadTimeout, 0);  // 9 is refused as well
  EXPECT_EQ(b.m_downloadTimeout, 0);  // 8 too
  EXPECT_EQ(b.m_idleInterval, 7);
  EXPECT_STREQ(b.SiteOptionDigits, "0000000000");
  const SiteRecord& c = *sink.sites[2].second;
  EXPECT_EQ(c.m_retryCount, 0);
  EXPECT_EQ(c.m_connectTimeout, 0);
  EXPECT_EQ(c.m_idleInterval, 0);
  EXPECT_EQ(c.m_downloadTimeout, 0);
  EXPECT_EQ(c.m_uploadTimeout, 10);
  EXPECT_STREQ(c.m_name, "c");
}

TEST(IniText, UnstorablePasswordIsSavedEmptyAndReported)
{
  CIniText ini(std::string(), nullptr);
  std::unique_ptr<SiteRecord> r = Site("s", "h");
  CopySiteText(r->m_password, "a\xAA");
  CopySiteText(r->m_proxyPassword, "ok");
  const SiteSectionSaved saved = SaveSiteSection(ini, "s\x0C", *r);
  EXPECT_TRUE(saved.written);
  EXPECT_TRUE(saved.passwordDropped);
  EXPECT_FALSE(saved.proxyPasswordDropped);
  std::string value = "x";
  EXPECT_TRUE(ini.GetValue("s\x0C", "Pass", value));
  EXPECT_EQ(value, "");
  EXPECT_EQ(ini.GetString("s\x0C", "ProxyPass"), "\xC8\xCC");
  EXPECT_EQ(ini.GetString("s\x0C", "ProxyPort"), "1080");  // nothing after it was lost
  EXPECT_FALSE(SaveSiteSection(ini, "bad\r\x0C", *r).written);
}

TEST(IniText, FailedSaveLeavesTheOldFile)
{
  CIniText ini(Built({"a"}), nullptr);
  EXPECT_FALSE(ini.Save());  // no path
  const std::string folder = FilePath("folder.ini");
  fs::create_directories(folder);
  EXPECT_FALSE(ini.Save(folder.c_str()));
  EXPECT_TRUE(fs::is_directory(folder));

  const std::string locked = FilePath("locked.ini");
  WriteFile(locked, "old");
  fs::permissions(locked, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_FALSE(ini.Save(locked.c_str()));
  EXPECT_EQ(ReadFile(locked), "old");
  EXPECT_FALSE(fs::exists(locked + ".tmp"));
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_TRUE(ini.Save(locked.c_str()));
  EXPECT_EQ(ReadFile(locked), Built({"a"}));
}

}  // namespace
