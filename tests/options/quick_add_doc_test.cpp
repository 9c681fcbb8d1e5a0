// Quick Add Site in the document: what OK adds (the registry subkey, the cache
// folder), what Cancel and a refused name leave, and the 201st site.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/sitename.h"
#include "tests/doc/docfix.h"
#include "tests/launch/taskanswerer.h"
#include "tests/support/tempfolder.h"

using namespace doctest;

namespace {

const char kStorePath[] = "SOFTWARE\\ZARN\\ZARNSITE";

std::string g_appFolder;

bool KeyExists(const std::string& subkey)
{
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kStorePath) + "\\" + subkey).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool FolderExists(const std::string& path)
{
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folders in the cache folder.
int CacheFolders()
{
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((g_appFolder + "\\cache\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return 0;
  int count = 0;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && strcmp(found.cFileName, ".") != 0 &&
        strcmp(found.cFileName, "..") != 0)
      ++count;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return count;
}

class QuickAddDoc : public ::testing::Test {
protected:
  void SetUp() override
  {
    SHDeleteKeyA(HKEY_CURRENT_USER, kStorePath);
    ResetSettingsDefaults();
    if (g_appFolder.empty())
      g_appFolder = testsupport::TempFolder("zarn-quickadd");
    lstrcpynA(g_appPath, g_appFolder.c_str(), (int)sizeof(g_appPath));
    g_downloadPath[0] = '\0';
    RecordBoxes();
    doc = std::make_unique<CZarnDoc>();
    ASSERT_TRUE(doc->OnNewDocument());
  }
  void TearDown() override
  {
    doc.reset();
    ResetSettingsDefaults();
  }

  SiteLoginValues Login(const char* name)
  {
    SiteLoginValues v;
    v.host = "127.0.0.1";
    v.name = name;
    v.user = "zarn";
    v.password = "secret";
    v.limitKind = '2';
    v.anonymous = '0';
    v.passive = '1';
    v.connLimit = 200;
    return v;
  }
  int Sites() const { return (int)doc->m_nSites; }

  std::unique_ptr<CZarnDoc> doc;
  launchtest::CScriptedTaskDialogs dialogs;
};

TEST_F(QuickAddDoc, OkAddsTheSiteWithItsKeyAndFolder)
{
  SiteLoginValues v = Login("  Quick One ");
  v.port = 2121;
  dialogs.quickAdd.Ok(v);
  doc->OnQuickAddSite();
  ASSERT_EQ(dialogs.quickAdd.asked.size(), 1u);
  EXPECT_EQ(dialogs.quickAdd.asked[0].anonymous, '1');  // asked with anonymous preset
  EXPECT_TRUE(g_boxes.empty());
  ASSERT_EQ(Sites(), 2);
  CSiteItem* site = doc->m_sites[1];
  ASSERT_NE(site, nullptr);
  EXPECT_STREQ(site->m_name, "Quick One");
  EXPECT_EQ(site->m_port, 2121);
  EXPECT_EQ(site->m_connLimit, 200);
  EXPECT_EQ(std::string(site->SiteOptionDigits).substr(0, 5), "20201");
  EXPECT_TRUE(KeyExists("Quick One"));
  const std::string cache = g_appFolder + "\\cache\\Quick One\\";
  EXPECT_EQ(std::string(site->m_cacheFolder), cache);
  EXPECT_TRUE(FolderExists(cache));

  // Cancel adds nothing and shows nothing.
  dialogs.quickAdd.Cancel();
  doc->OnQuickAddSite();
  EXPECT_EQ(Sites(), 2);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(QuickAddDoc, NamesThatWouldShareOrBreakAKeyAreRefused)
{
  dialogs.quickAdd.Ok(Login("Foo"));
  doc->OnQuickAddSite();
  ASSERT_EQ(Sites(), 2);
  const int folders = CacheFolders();
  struct Case {
    const char* name;
    const char* box;
  } const cases[] = {
      {"foo", kSiteNameExistsText},
      {"FOO", kSiteNameExistsText},
      {"..", kInvalidSiteNameText},
      {"CON", kInvalidSiteNameText},
      {"a\\b", kInvalidSiteNameText},
  };
  for (const Case& c : cases) {
    RecordBoxes();
    dialogs.quickAdd.Ok(Login(c.name));
    doc->OnQuickAddSite();
    ASSERT_EQ(g_boxes.size(), 1u) << c.name;
    EXPECT_EQ(g_boxes[0].text, c.box) << c.name;
    EXPECT_EQ(g_boxes[0].mode, -1);
    EXPECT_EQ(Sites(), 2) << c.name;
    EXPECT_EQ(CacheFolders(), folders) << c.name;
  }
  EXPECT_FALSE(KeyExists("CON"));
}

TEST_F(QuickAddDoc, TheTwoHundredAndFirstSiteIsRefusedOnce)
{
  char name[32];
  for (int i = 1; i < MAX_SITES; ++i) {
    snprintf(name, sizeof name, "site%03d", i);
    dialogs.quickAdd.Ok(Login(name));
    doc->OnQuickAddSite();
  }
  ASSERT_EQ(Sites(), MAX_SITES);
  ASSERT_TRUE(g_boxes.empty());
  // A name that is also taken: the limit is what the user is told, once.
  dialogs.quickAdd.Ok(Login("site001"));
  doc->OnQuickAddSite();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "Exceeds 200 sites number limit");
  EXPECT_EQ(Sites(), MAX_SITES);
}

}  // namespace
