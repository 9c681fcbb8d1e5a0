// The work sites in the registry: HKEY_CURRENT_USER "SOFTWARE\ZARN\ZARNSITE" of
// the test prefix.
#include "shell/sitestore/siteregistry.h"  // winsock2.h before windows.h

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shell/sitestore/storemessage.h"

namespace {

const char kStorePath[] = "SOFTWARE\\ZARN\\ZARNSITE";

std::vector<std::pair<int, std::string>> g_messages;

void RecordMessage(int box, const char* text, const char*)
{
    g_messages.emplace_back(box, text);
}

std::string SubkeyPath(const std::string& subkey)
{
    return subkey.empty() ? std::string(kStorePath) : std::string(kStorePath) + "\\" + subkey;
}

bool KeyExists(const std::string& subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

struct Stored {
    bool present = false;
    DWORD type = 0;
    std::string data;  // every byte, terminator included
};

Stored Get(const std::string& subkey, const char* value)
{
    Stored s;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return s;
    DWORD size = 0;
    if (RegQueryValueExA(key, value, nullptr, &s.type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + 1);
        if (RegQueryValueExA(key, value, nullptr, &s.type, data.data(), &size) == ERROR_SUCCESS) {
            s.present = true;
            s.data.assign(reinterpret_cast<const char*>(data.data()), size);
        }
    }
    RegCloseKey(key);
    return s;
}

void Put(const std::string& subkey, const char* value, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, value, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutText(const std::string& subkey, const char* value, const std::string& text)
{
    Put(subkey, value, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void Remove(const std::string& subkey, const char* value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(key, value), ERROR_SUCCESS);
    RegCloseKey(key);
}

std::vector<std::string> ValueNames(const std::string& subkey)
{
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SubkeyPath(subkey).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof(name);
        if (RegEnumValueA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, len);
    }
    RegCloseKey(key);
    return names;
}

void FillSite(SiteFields& f, const char* name, int seed)
{
    InitSiteFields(f);
    int32_t* numbers[11] = {&f.m_downloadLimit, &f.m_uploadLimit,  &f.m_connLimit,      &f.m_connectTimeout,
                            &f.m_retryCount,    &f.m_retryDelay,   &f.m_idleInterval,   &f.m_uploadTimeout,
                            &f.m_downloadTimeout, &f.m_proxyPort,  &f.m_port};
    for (int i = 0; i < 11; ++i)
        *numbers[i] = seed * 100 + i + 1;
    CopySiteText(f.SiteOptionDigits, "2101110121");
    CopySiteText(f.m_name, name);
    CopySiteText(f.m_host, (std::string(name) + ".example.org").c_str());
    CopySiteText(f.m_user, (std::string("user-") + name).c_str());
    CopySiteText(f.m_password, (std::string("p\xA7w-") + name).c_str());
    CopySiteText(f.m_localFolder, "C:\\Local\\Folder");
    CopySiteText(f.m_proxyHost, "proxy.example.org");
    CopySiteText(f.m_proxyUser, "proxy-user");
    CopySiteText(f.m_proxyPassword, "proxy\xA7pass");
    CopySiteText(f.m_note, "remarks");
    CopySiteText(f.m_remoteFolder, "/home/site");
}

void ExpectSameFields(const SiteFields& a, const SiteFields& b)
{
    EXPECT_EQ(0, memcmp(&a, &b, offsetof(SiteFields, SiteOptionDigits)));  // the eleven numbers
    EXPECT_STREQ(a.SiteOptionDigits, b.SiteOptionDigits);
    EXPECT_STREQ(a.m_host, b.m_host);
    EXPECT_STREQ(a.m_name, b.m_name);
    EXPECT_STREQ(a.m_user, b.m_user);
    EXPECT_STREQ(a.m_password, b.m_password);
    EXPECT_STREQ(a.m_localFolder, b.m_localFolder);
    EXPECT_STREQ(a.m_proxyHost, b.m_proxyHost);
    EXPECT_STREQ(a.m_proxyUser, b.m_proxyUser);
    EXPECT_STREQ(a.m_proxyPassword, b.m_proxyPassword);
    EXPECT_STREQ(a.m_note, b.m_note);
    EXPECT_STREQ(a.m_remoteFolder, b.m_remoteFolder);
}

class SiteRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SHDeleteKeyA(HKEY_CURRENT_USER, kStorePath);
        g_messages.clear();
        m_previousHook = SetSiteStoreMessageHook(RecordMessage);
        NewDocument();
    }

    void TearDown() override
    {
        CloseDocument();
        SetSiteStoreMessageHook(m_previousHook);
        SHDeleteKeyA(HKEY_CURRENT_USER, kStorePath);
    }

    void CloseDocument()
    {
        for (CSiteItem*& site : m_sites) {
            delete site;
            site = nullptr;
        }
        m_nSites = 0;
        if (m_hSitesKey != nullptr)
            RegCloseKey(m_hSitesKey);
        if (m_hAppKey != nullptr)
            RegCloseKey(m_hAppKey);
        m_hSitesKey = m_hAppKey = nullptr;
    }

    // A document as its constructor leaves it: the default site in slot 0.
    void NewDocument()
    {
        CloseDocument();
        m_sites[0] = new CSiteItem;
        CopySiteText(m_sites[0]->m_host, "ftp.default.example");
        CopySiteText(m_sites[0]->m_name, "ftp.default.example");
        m_sites[0]->SiteOptionDigits[1] = '1';
        m_nSites = 1;
    }

    BOOL Open() { return OpenSiteRegistry(m_hAppKey, m_hSitesKey, m_sites, m_nSites); }

    // Saved through an opened document.
    void SaveSites(const std::vector<SiteFields>& sites)
    {
        ASSERT_TRUE(Open());
        for (const SiteFields& f : sites) {
            CSiteItem site;
            static_cast<SiteFields&>(site) = f;
            ASSERT_TRUE(SaveSiteToRegistry(m_hAppKey, m_hSitesKey, site)) << f.m_name;
        }
    }

    CSiteItem* Find(const char* name)
    {
        for (CSiteItem* site : m_sites) {
            if (site != nullptr && strcmp(site->m_name, name) == 0)
                return site;
        }
        return nullptr;
    }

    SiteTable m_sites = {};
    UINT m_nSites = 0;
    HKEY m_hAppKey = nullptr;
    HKEY m_hSitesKey = nullptr;
    SiteStoreMessageFn m_previousHook = nullptr;
};

TEST_F(SiteRegistryTest, AnEmptyStoreKeepsAndStoresTheDefaultSite)
{
    ASSERT_TRUE(Open());
    EXPECT_NE(m_hAppKey, nullptr);
    EXPECT_NE(m_hSitesKey, nullptr);
    EXPECT_EQ(m_nSites, 1u);
    ASSERT_NE(m_sites[0], nullptr);
    // The thirteen values and no others (the registry lists them in its own order).
    std::vector<std::string> names = ValueNames("ftp.default.example");
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"Address", "Alias",        "Config",    "ConnDir",   "FtpInfo",
                                               "Port",    "ProxyAddress", "ProxyPass", "ProxyPort", "ProxyUser",
                                               "Pwd",     "RemoteDir",    "User"};
    EXPECT_EQ(names, expected);
    const Stored config = Get("ftp.default.example", "Config");
    EXPECT_EQ(config.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(config.data, std::string("0,0,200,0,0,0,0,0,0,0120200100", 31));
    const Stored port = Get("ftp.default.example", "Port");
    EXPECT_EQ(port.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(port.data, std::string("\x15\0\0\0", 4));
    // An empty password is an empty value.
    EXPECT_EQ(Get("ftp.default.example", "Pwd").data, std::string("\0", 1));
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteRegistryTest, SavedSitesLoadIntoANewDocumentWithEqualFields)
{
    std::vector<SiteFields> saved(3);
    FillSite(saved[0], "Charlie", 1);
    FillSite(saved[1], "Alpha", 2);
    FillSite(saved[2], "Bravo", 3);
    saved[2].m_password[0] = '\0';
    SaveSites(saved);

    NewDocument();
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_nSites, 4u);  // with the default site stored by the first start
    EXPECT_EQ(Find("ftp.default.example") != nullptr, true);
    for (const SiteFields& f : saved) {
        CSiteItem* site = Find(f.m_name);
        ASSERT_NE(site, nullptr) << f.m_name;
        ExpectSameFields(*site, f);
    }
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteRegistryTest, PwdHoldsTheScrambledBytesAndProxyPassThePlainText)
{
    SiteFields f;
    FillSite(f, "Keyed", 1);
    CopySiteText(f.m_password, "a\xA7" "b");
    CopySiteText(f.m_proxyPassword, "plain");
    SaveSites({f});
    const Stored pwd = Get("Keyed", "Pwd");
    EXPECT_EQ(pwd.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(pwd.data, std::string("\xC6\0\xC5\0", 4));  // a ^ A7, A7 ^ A7, b ^ A7, end
    EXPECT_EQ(Get("Keyed", "ProxyPass").data, std::string("plain\0", 6));

    NewDocument();
    ASSERT_TRUE(Open());
    ASSERT_NE(Find("Keyed"), nullptr);
    EXPECT_STREQ(Find("Keyed")->m_password, "a\xA7" "b");  // not cut at the zero byte
}

TEST_F(SiteRegistryTest, MissingValuesClearTheirFieldsAndNumbersTakeDefaults)
{
    SiteFields first;
    SiteFields second;
    FillSite(first, "AAA", 1);
    FillSite(second, "BBB", 2);
    SaveSites({first, second});
    for (const char* value : {"User", "Pwd", "ProxyPass", "FtpInfo", "RemoteDir", "Port", "ProxyPort", "Config"})
        Remove("BBB", value);
    const DWORD notText = 7;
    Put("BBB", "ConnDir", REG_DWORD, &notText, sizeof(notText));

    NewDocument();
    ASSERT_TRUE(Open());
    CSiteItem* site = Find("BBB");
    ASSERT_NE(site, nullptr);
    EXPECT_STREQ(site->m_user, "");  // not the text of the site read before
    EXPECT_STREQ(site->m_password, "");
    EXPECT_STREQ(site->m_proxyPassword, "");
    EXPECT_STREQ(site->m_note, "");
    EXPECT_STREQ(site->m_localFolder, "");
    EXPECT_STREQ(site->m_remoteFolder, "/");
    EXPECT_EQ(site->m_port, 21);
    EXPECT_EQ(site->m_proxyPort, 1080);
    EXPECT_EQ(site->FormatSiteOptions(), CString("0,0,200,0,0,0,0,0,0,0120200100"));
    EXPECT_STREQ(site->m_host, "BBB.example.org");
    ExpectSameFields(*Find("AAA"), first);
}

TEST_F(SiteRegistryTest, TextValuesAreTrimmedAndCutToTheirFields)
{
    SiteFields f;
    FillSite(f, "Cut", 1);
    SaveSites({f});
    PutText("Cut", "RemoteDir", " pub ");
    PutText("Cut", "Alias", std::string(600, 'n'));
    PutText("Cut", "Address", std::string(600, 'h'));
    PutText("Cut", "FtpInfo", std::string(600, 'i'));
    Put("Cut", "Pwd", REG_SZ, std::string(100, 'x').c_str(), 101);
    PutText("NoAlias", "Address", "host.example");

    NewDocument();
    ASSERT_TRUE(Open());
    CSiteItem* cut = Find(std::string(49, 'n').c_str());
    ASSERT_NE(cut, nullptr);
    EXPECT_STREQ(cut->m_remoteFolder, "/pub");
    EXPECT_EQ(std::string(cut->m_host), std::string(49, 'h'));
    EXPECT_EQ(std::string(cut->m_note), std::string(259, 'i'));
    EXPECT_EQ(std::string(cut->m_password), std::string(63, static_cast<char>('x' ^ 0xA7)));
    // Without an "Alias" the site bears its subkey's name, so it can be saved and deleted.
    CSiteItem* unnamed = Find("NoAlias");
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(unnamed->m_host, "host.example");
    EXPECT_STREQ(unnamed->m_remoteFolder, "/");
}

TEST_F(SiteRegistryTest, NamesThatAreNotOneSubkeyAreNeverWrittenOrDeleted)
{
    SiteFields keep;
    FillSite(keep, "Keep", 1);
    SaveSites({keep});
    CSiteItem site;
    site.m_name[0] = '\0';
    EXPECT_FALSE(SaveSiteToRegistry(m_hAppKey, m_hSitesKey, site));
    EXPECT_FALSE(Get("", "Config").present);  // nothing in the store itself
    EXPECT_TRUE(g_messages.empty());
    EXPECT_FALSE(DeleteSiteKey(m_hAppKey, m_hSitesKey, site));
    EXPECT_TRUE(KeyExists("Keep"));  // the store is still there
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].first, SITEBOX_ERROR);
    EXPECT_EQ(g_messages[0].second, kDeleteSiteErrorText);

    CopySiteText(site.m_name, "Keep\\inner");
    EXPECT_FALSE(SaveSiteToRegistry(m_hAppKey, m_hSitesKey, site));
    EXPECT_FALSE(KeyExists("Keep\\inner"));
    EXPECT_FALSE(DeleteSiteKey(m_hAppKey, m_hSitesKey, site));
    EXPECT_TRUE(KeyExists("Keep"));
}

TEST_F(SiteRegistryTest, DeleteSiteKeyRemovesTheWholeSubtree)
{
    SiteFields a;
    SiteFields b;
    FillSite(a, "Gone", 1);
    FillSite(b, "Stays", 2);
    SaveSites({a, b});
    PutText("Gone\\nested", "Extra", "x");
    CSiteItem site;
    CopySiteText(site.m_name, "gone");  // subkeys ignore case
    EXPECT_TRUE(DeleteSiteKey(m_hAppKey, m_hSitesKey, site));
    EXPECT_FALSE(KeyExists("Gone"));
    EXPECT_TRUE(KeyExists("Stays"));
    EXPECT_TRUE(DeleteSiteKey(m_hAppKey, m_hSitesKey, site));  // already gone
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteRegistryTest, RemoveAllDeletesTheStoreAndASaveStartsItAgain)
{
    SiteFields a;
    FillSite(a, "One", 1);
    SaveSites({a});
    PutText("One\\nested", "Extra", "x");
    ASSERT_TRUE(RemoveAllSitesFromRegistry(m_hAppKey, m_hSitesKey));
    EXPECT_EQ(m_hSitesKey, nullptr);
    EXPECT_FALSE(KeyExists(""));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].second, kClearCompleteText);
    EXPECT_EQ(m_nSites, 1u);  // the sites in memory stay

    CSiteItem site;
    static_cast<SiteFields&>(site) = a;
    EXPECT_TRUE(SaveSiteToRegistry(m_hAppKey, m_hSitesKey, site));
    EXPECT_TRUE(KeyExists("One"));
    EXPECT_FALSE(KeyExists("One\\nested"));
}

TEST_F(SiteRegistryTest, AtMostTwoHundredSitesLoad)
{
    ASSERT_TRUE(Open());
    for (int i = 0; i < 205; ++i) {
        char name[16];
        snprintf(name, sizeof(name), "S%03d", i);
        PutText(name, "Alias", name);
    }
    NewDocument();
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_nSites, 200u);
    EXPECT_EQ(CountSites(m_sites), 200u);
    EXPECT_TRUE(g_messages.empty());
}

}  // namespace
