// The site manager's registry settings: the option word it takes and the site
// file's path, stored only once a save has made the file.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "shell/settings/settings.h"
#include "sitemanager/initext.h"
#include "sitemanager/sitesetup.h"

namespace {

class SiteSetup : public ::testing::Test {
protected:
  void SetUp() override
  {
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    m_folder = std::string(temp) + "zarn-setup-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_folder.c_str(), nullptr);
  }
  void TearDown() override
  {
    SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    DeleteFileA((m_folder + "\\zarnsite.ini").c_str());
    RemoveDirectoryA(m_folder.c_str());
  }
  static HKEY Key()
  {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
  }
  static void SetDword(const char* name, DWORD value)
  {
    HKEY key = Key();
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
  static void SetText(const char* name, const std::string& text)
  {
    HKEY key = Key();
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
  }
  static bool GetText(const char* name, std::string& text)
  {
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    const LONG result = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    text = buffer;
    return result == ERROR_SUCCESS;
  }
  std::string m_folder;
};

TEST_F(SiteSetup, OptionWordFromTheMainProgramThenConfigThenDefault)
{
  SiteManagerSetup setup = ReadSiteManagerSetup();
  EXPECT_FALSE(setup.keyOpened);
  EXPECT_EQ(setup.options, kDefaultOptionFlags);

  SetDword("CONFIG", 0x100000);
  setup = ReadSiteManagerSetup();
  EXPECT_TRUE(setup.keyOpened);
  EXPECT_EQ(setup.options, 0x100000u);

  SetDword("CONFIGVASK", 0x80000);
  EXPECT_EQ(ReadSiteManagerSetup().options, 0x80000u);

  SetText("CONFIGVASK", "524288");  // not a DWORD
  EXPECT_EQ(ReadSiteManagerSetup().options, 0x100000u);

  SetText("CONFIG", "1");
  EXPECT_EQ(ReadSiteManagerSetup().options, kDefaultOptionFlags);
}

TEST_F(SiteSetup, UnusableSiteFileValueGivesTheProgramsFileStoredAfterAGoodSave)
{
  const std::string expected = m_folder + "\\zarnsite.ini";
  for (const std::string& app : {m_folder, m_folder + "\\"}) {
    SetText("APPPATH", app);
    SiteManagerSetup setup = ReadSiteManagerSetup();
    EXPECT_EQ(setup.siteFile, expected) << app;
    EXPECT_FALSE(setup.siteFileStored);
  }
  SetText("SITEFILE", "C:\\" + std::string(297, 's'));
  SiteManagerSetup setup = ReadSiteManagerSetup();
  EXPECT_EQ(setup.siteFile, expected);
  ASSERT_FALSE(setup.siteFileStored);

  // Nothing is stored until the file exists.
  SiteManagerSetup unwritable = setup;
  unwritable.siteFile = m_folder + "\\missing\\zarnsite.ini";
  CIniText ini(std::string("\r\n[s\x0C]\r\nAddress=h\r\n"), nullptr);
  EXPECT_FALSE(SaveSiteFile(ini, unwritable));
  std::string stored;
  ASSERT_TRUE(GetText("SITEFILE", stored));
  EXPECT_EQ(stored.size(), 300u);

  ASSERT_TRUE(SaveSiteFile(ini, setup));
  EXPECT_TRUE(setup.siteFileStored);
  ASSERT_TRUE(GetText("SITEFILE", stored));
  EXPECT_EQ(stored, expected);
  setup = ReadSiteManagerSetup();
  EXPECT_TRUE(setup.siteFileStored);
  EXPECT_EQ(setup.siteFile, expected);
  EXPECT_EQ(CIniText(expected.c_str()).GetString("s\x0C", "Address"), "h");

  // Without APPPATH: the program's folder.
  SHDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, sizeof program);
  std::string folder(program);
  folder.resize(folder.find_last_of('\\'));
  EXPECT_EQ(ReadSiteManagerSetup().siteFile, folder + "\\zarnsite.ini");
}

}  // namespace
