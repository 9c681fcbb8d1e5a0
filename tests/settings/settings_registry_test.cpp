// The settings in HKEY_CURRENT_USER "SOFTWARE\ZARN\SETUP" (the test prefix's registry).
#include "shell/settings/regkey.h"  // winsock2.h before windows.h
#include "shell/settings/settings.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void DeleteZarnKey()
{
    SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN");
}

HKEY OpenSetup()
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void PutRaw(const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = OpenSetup();
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutText(const char* name, const std::string& text)
{
    PutRaw(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void PutDword(const char* name, DWORD value)
{
    PutRaw(name, REG_DWORD, &value, sizeof value);
}

struct Stored {
    bool present = false;
    DWORD type = 0;
    std::vector<char> data;
    std::string Text() const { return std::string(data.data(), strnlen(data.data(), data.size())); }
    DWORD Dword() const
    {
        DWORD v = 0;
        if (data.size() == 4)
            std::memcpy(&v, data.data(), 4);
        return v;
    }
};

Stored Get(const char* name)
{
    Stored s;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return s;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
        s.data.resize(size);
        if (RegQueryValueExA(key, name, nullptr, &s.type, reinterpret_cast<BYTE*>(s.data.data()), &size) ==
            ERROR_SUCCESS) {
            s.present = true;
            s.data.resize(size);
        }
    }
    RegCloseKey(key);
    return s;
}

int ValueCount()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return static_cast<int>(count);
}

std::string ExeFolder()
{
    char path[MAX_PATH * 4] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\') + 1);
}

std::string Advanced(const MainWindowSettings& w)
{
    char text[kAdvancedSettingsTextSize];
    FormatAdvancedSettings(text, sizeof text, w);
    return text;
}

class SettingsRegistry : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteZarnKey();
        ResetSettingsDefaults();
    }
    void TearDown() override
    {
        DeleteZarnKey();
        ResetSettingsDefaults();
    }
};

}  // namespace

TEST_F(SettingsRegistry, FirstStartWritesTheFullSet)
{
    MainWindowSettings w;
    SetDefaultSettings(w);

    EXPECT_EQ(ValueCount(), 15);
    struct Expect {
        const char* name;
        DWORD type;
        std::string text;
        DWORD number;
    };
    const Expect expected[] = {
        {"CONFIGADVVASK", REG_SZ, kDefaultAdvancedSettings, 0},
        {"CONFIGVASK", REG_DWORD, "", 0x4BF7E701},
        {"PROXYTYPE", REG_DWORD, "", 0},
        {"PROXYIP", REG_SZ, "", 0},
        {"PROXYPORT", REG_DWORD, "", 1080},
        {"PROXYUSER", REG_SZ, "", 0},
        {"PROXYPASS", REG_SZ, "", 0},
        {"APPPATH", REG_SZ, "", 0},  // the executable's folder is not written back
        {"FILERULE", REG_DWORD, "", 0},
        {"CONNNAME", REG_SZ, "", 0},
        {"ASCIIFILE", REG_SZ, kDefaultAsciiExtensions, 0},
        {"PLANFILE", REG_SZ, "", 0},
        {"ANONYPASS", REG_SZ, kDefaultAnonymousPassword, 0},
        {"DOWNLOADPATH", REG_SZ, "", 0},
        {"VIEWCOLOR", REG_SZ, kDefaultViewColors, 0},
    };
    for (const Expect& e : expected) {
        Stored s = Get(e.name);
        ASSERT_TRUE(s.present) << e.name;
        EXPECT_EQ(s.type, e.type) << e.name;
        if (e.type == REG_DWORD) {
            EXPECT_EQ(s.data.size(), 4u) << e.name;
            EXPECT_EQ(s.Dword(), e.number) << e.name;
        } else {
            EXPECT_EQ(s.Text(), e.text) << e.name;
            // Stored with its terminating NUL.
            EXPECT_EQ(s.data.size(), e.text.size() + 1) << e.name;
        }
    }
    EXPECT_EQ(std::string(g_appPath), ExeFolder());

    // A second start loads what the first wrote.
    ResetSettingsDefaults();
    MainWindowSettings again;
    SetDefaultSettings(again);
    EXPECT_EQ(g_optionFlags, 0x4BF7E701u);
    EXPECT_EQ(g_socketBlockSize, 1460);
    EXPECT_EQ(ValueCount(), 15);
}

TEST_F(SettingsRegistry, EveryGlobalRoundTrips)
{
    MainWindowSettings w;
    ParseAdvancedSettings("2,9,300,7,600,700,800,1024,768,1280,1024,333,222,1,3,4,4096,1,8,50,100,200", w);
    const std::string advanced = Advanced(w);
    g_optionFlags = 0x80000005u;
    g_proxyType = 12;
    g_proxyPort = 3128;
    g_fileRule = 0x9249;
    std::strcpy(g_proxyHost, "proxy.example.net");
    std::strcpy(g_proxyUser, "pu");
    std::strcpy(g_proxyPassword, "pp \xD6\xD0");
    std::strcpy(g_appPath, "C:\\Program Files\\zarn\\");
    std::strcpy(g_dialEntry, "My ISP");
    std::strcpy(g_asciiExtensions, ".TXT.LOG");
    std::strcpy(g_queueFilePath, "C:\\q\\zarnplan.pln");
    std::strcpy(g_anonymousPassword, "me@example.org");
    std::strcpy(g_downloadPath, "D:\\down\\");
    ParseViewColors("255,65280,16711680,0");
    SaveSettings(w);

    ResetSettingsDefaults();
    MainWindowSettings back;
    LoadSettings(back);
    EXPECT_EQ(Advanced(back), advanced);
    EXPECT_EQ(back.savedWidth, 1024);
    EXPECT_EQ(back.clipboardMode, 3);
    EXPECT_EQ(g_optionFlags, 0x80000005u);
    EXPECT_EQ(g_proxyType, 12);
    EXPECT_EQ(g_proxyPort, 3128);
    EXPECT_EQ(g_fileRule.load(), 0x9249u);
    EXPECT_STREQ(g_proxyHost, "proxy.example.net");
    EXPECT_STREQ(g_proxyUser, "pu");
    EXPECT_STREQ(g_proxyPassword, "pp \xD6\xD0");
    EXPECT_STREQ(g_appPath, "C:\\Program Files\\zarn\\");
    EXPECT_STREQ(g_dialEntry, "My ISP");
    EXPECT_STREQ(g_asciiExtensions, ".TXT.LOG");
    EXPECT_STREQ(g_queueFilePath, "C:\\q\\zarnplan.pln");
    EXPECT_STREQ(g_anonymousPassword, "me@example.org");
    EXPECT_STREQ(g_downloadPath, "D:\\down\\");
    EXPECT_EQ(g_viewColors[0], 255u);
    EXPECT_EQ(g_viewColors[1], 65280u);
    EXPECT_EQ(g_viewColors[2], 16711680u);
    EXPECT_EQ(g_viewColors[3], 0u);
    // "FONT" is not this store's value.
    EXPECT_FALSE(Get("FONT").present);
}

TEST_F(SettingsRegistry, MissingValuesKeepTheirDefaults)
{
    PutDword("PROXYPORT", 8080);
    PutText("PLANFILE", "x.pln");
    MainWindowSettings w;
    LoadSettings(w);
    EXPECT_EQ(g_proxyPort, 8080);
    EXPECT_STREQ(g_queueFilePath, "x.pln");
    EXPECT_EQ(g_optionFlags, 0x4BF7E701u);
    EXPECT_EQ(g_proxyType, 0);
    EXPECT_STREQ(g_asciiExtensions, kDefaultAsciiExtensions);
    EXPECT_STREQ(g_anonymousPassword, kDefaultAnonymousPassword);
    EXPECT_STREQ(g_proxyHost, "");
    EXPECT_EQ(g_fileRule.load(), 0u);
    EXPECT_EQ(Advanced(w), "0,5,120,5,120,120,120,0,0,1,1,0,0,0,0,0,1460,2,5,5,0,0");
    for (uint32_t c : g_viewColors)
        EXPECT_EQ(c, 0xFFFFFFu);

    // Loading with no key at all creates it and keeps every default.
    DeleteZarnKey();
    ResetSettingsDefaults();
    LoadSettings(w);
    EXPECT_EQ(ValueCount(), 0);
    EXPECT_EQ(g_proxyPort, 1080);
}

TEST_F(SettingsRegistry, OverlongTextsAreCutToTheirField)
{
    const std::string longHost(600, 'h');
    const std::string longList = std::string(".TXT") + std::string(596, 'X');
    PutText("PROXYIP", longHost);
    PutText("ASCIIFILE", longList);
    MainWindowSettings w;
    LoadSettings(w);
    EXPECT_EQ(std::string(g_proxyHost), longHost.substr(0, 259));
    EXPECT_EQ(std::string(g_asciiExtensions), longList.substr(0, 259));

    // Through the wrapper into a field followed by guard bytes.
    struct {
        char field[kSettingTextLen];
        char guard[32];
    } box;
    std::memset(&box, 'G', sizeof box);
    CRegKeyWrap key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath));
    ASSERT_TRUE(key.GetStringValueBuf("PROXYIP", box.field, sizeof box.field));
    EXPECT_EQ(std::strlen(box.field), 259u);
    for (char c : box.guard)
        EXPECT_EQ(c, 'G');
    CString text;
    ASSERT_TRUE(key.GetStringValue("ASCIIFILE", text));
    EXPECT_EQ(text.GetLength(), 259);
}

TEST_F(SettingsRegistry, TextStoredWithoutItsNul)
{
    PutRaw("PROXYUSER", REG_SZ, "abc", 3);
    PutRaw("ANONYPASS", REG_SZ, "x@y.z\0junk", 10);
    MainWindowSettings w;
    LoadSettings(w);
    EXPECT_STREQ(g_proxyUser, "abc");
    EXPECT_STREQ(g_anonymousPassword, "x@y.z");
}

TEST_F(SettingsRegistry, WrongTypesCountAsMissing)
{
    PutText("CONFIGVASK", "abc");  // 4 bytes with its NUL: as long as a DWORD
    PutText("PROXYPORT", "21");
    PutDword("PROXYIP", 0x41414141);
    PutDword("CONFIGADVVASK", 7);
    PutRaw("FILERULE", REG_BINARY, "\x49\x92\x00\x00", 4);
    MainWindowSettings w;
    LoadSettings(w);
    EXPECT_EQ(g_optionFlags, 0x4BF7E701u);
    EXPECT_EQ(g_proxyPort, 1080);
    EXPECT_STREQ(g_proxyHost, "");
    EXPECT_EQ(g_connectTimeout, 120);
    EXPECT_EQ(g_fileRule.load(), 0u);

    CRegKeyWrap key(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath));
    DWORD out = 12345;
    EXPECT_FALSE(key.GetDwordValue("CONFIGVASK", out));
    EXPECT_EQ(out, 12345u);
    char buf[8] = "keep";
    EXPECT_FALSE(key.GetStringValueBuf("PROXYIP", buf, sizeof buf));
    EXPECT_STREQ(buf, "keep");
    EXPECT_FALSE(key.GetStringValueBuf("NOSUCHVALUE", buf, sizeof buf));
    EXPECT_STREQ(buf, "keep");
}

TEST_F(SettingsRegistry, TamperedNumbersAreClampedOnLoad)
{
    PutText("CONFIGADVVASK", "1,x,99999999999,-5,7");
    PutDword("PROXYTYPE", 99);
    PutDword("PROXYPORT", 0xFFFFFFFF);
    MainWindowSettings w;
    w.savedScreenWidth = 0;
    LoadSettings(w);
    EXPECT_EQ(g_transferType, 1);
    EXPECT_EQ(g_retryDelay, 1);
    EXPECT_EQ(g_connectTimeout, 3600);
    EXPECT_EQ(g_defRetryCount, 0);
    EXPECT_EQ(g_idleTimeout, 10);
    EXPECT_EQ(g_recvTimeout, 120);  // beyond the text: kept
    EXPECT_EQ(g_proxyType, 12);
    EXPECT_EQ(g_proxyPort, 1);
    EXPECT_EQ(w.savedScreenWidth, 1);

    PutText("VIEWCOLOR", "255,65280");
    LoadSettings(w);
    EXPECT_EQ(g_viewColors[0], 255u);
    EXPECT_EQ(g_viewColors[1], 65280u);
    EXPECT_EQ(g_viewColors[2], 0xFFFFFFu);
    EXPECT_EQ(g_viewColors[3], 0xFFFFFFu);
}

TEST_F(SettingsRegistry, EmptyAppPathIsTheExecutablesFolder)
{
    PutText("APPPATH", "");
    MainWindowSettings w;
    LoadSettings(w);
    const std::string folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(std::string(g_appPath), folder);
    EXPECT_EQ(folder.back(), '\\');

    // Saving writes back what was stored, not the stand-in; a loaded path stays.
    SaveSettings(w);
    EXPECT_EQ(Get("APPPATH").Text(), "");
    LoadSettings(w);
    EXPECT_EQ(std::string(g_appPath), folder);
    PutText("APPPATH", "E:\\zarn\\");
    LoadSettings(w);
    EXPECT_STREQ(g_appPath, "E:\\zarn\\");
    SaveSettings(w);
    EXPECT_EQ(Get("APPPATH").Text(), "E:\\zarn\\");
}

TEST_F(SettingsRegistry, KeyWrapperRecordsOutcomes)
{
    CRegKeyWrap key(HKEY_CURRENT_USER);
    EXPECT_TRUE(key.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(key.OpenKey(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\NO\\SUCH\\KEY"));
    EXPECT_NE(key.m_result, ERROR_SUCCESS);
    EXPECT_EQ(key.m_type, 0u);
    EXPECT_EQ(key.m_size, 0u);
    EXPECT_EQ(key.m_hKey, nullptr);

    ASSERT_TRUE(key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath));
    EXPECT_TRUE(key.SetDwordValue("N", 42));
    EXPECT_EQ(key.m_type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(key.m_size, 4u);
    EXPECT_EQ(key.SetDwordValueRaw("M", 7), ERROR_SUCCESS);
    EXPECT_TRUE(key.SetStringValue("S", "text"));
    EXPECT_EQ(key.m_size, 5u);
    DWORD n = 0;
    EXPECT_TRUE(key.GetDwordValue("M", n));
    EXPECT_EQ(n, 7u);
    CString s;
    EXPECT_TRUE(key.GetStringValue("S", s));
    EXPECT_EQ(s, "text");
    key.Close();
    EXPECT_EQ(key.m_hKey, nullptr);
    EXPECT_FALSE(key.GetDwordValue("M", n));

    ASSERT_TRUE(key.OpenKeyPath(HKEY_CURRENT_USER, kSettingsKeyPath));
    EXPECT_EQ(key.m_path, kSettingsKeyPath);
}
