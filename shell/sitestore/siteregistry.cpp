#include "shell/sitestore/siteregistry.h"

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/scramble.h"
#include "shell/sitestore/sitename.h"
#include "shell/sitestore/storemessage.h"

const char kZarnAppKeyPath[] = "SOFTWARE\\ZARN";
const char kSitesKeyName[] = "ZARNSITE";

// "不能打开注册表，请检查你是否有读写注册表的权限" in GBK
const char kRegistryOpenFailedText[] =
    "\xB2\xBB\xC4\xDC\xB4\xF2\xBF\xAA\xD7\xA2\xB2\xE1\xB1\xED\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xC4\xE3\xCA\xC7"
    "\xB7\xF1\xD3\xD0\xB6\xC1\xD0\xB4\xD7\xA2\xB2\xE1\xB1\xED\xB5\xC4\xC8\xA8\xCF\xDE";
// "注册表查询失败，请检查你是否有读写注册表的权限"
const char kRegistryQueryFailedText[] =
    "\xD7\xA2\xB2\xE1\xB1\xED\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xC4\xE3\xCA\xC7"
    "\xB7\xF1\xD3\xD0\xB6\xC1\xD0\xB4\xD7\xA2\xB2\xE1\xB1\xED\xB5\xC4\xC8\xA8\xCF\xDE";
// "错误"
const char kRegistryErrorCaption[] = "\xB4\xED\xCE\xF3";
const char kSiteKeyOpenFailedText[] = "safa";
const char kDeleteSiteErrorText[] = "Deleting site error or maybe you don't have the permission";
const char kClearCompleteText[] = "Clear complete";

namespace {

// Room for a subkey name (the system allows 255 characters).
constexpr DWORD kSubkeyNameSize = 261;

HKEY Detach(CRegKeyWrap& key)
{
    HKEY h = key.m_hKey;
    key.m_hKey = nullptr;
    return h;
}

void CloseKey(HKEY& key)
{
    if (key != nullptr) {
        RegCloseKey(key);
        key = nullptr;
    }
}

template <size_t N>
void ReadTextField(CRegKeyWrap& key, const char* value, char (&field)[N])
{
    // A missing value clears the field rather than keeping a stale text.
    memset(field, 0, N);
    key.GetStringValueBuf(value, field, N);
}

// A REG_SZ value by its length, without the terminating zero: scrambled text
// may hold zero bytes of its own.
bool ReadTextByLength(HKEY key, const char* value, std::string& out)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
            return false;
        std::vector<BYTE> data(static_cast<size_t>(size) + 1, 0);
        DWORD got = size;
        const LONG result = RegQueryValueExA(key, value, nullptr, &type, data.data(), &got);
        if (result == ERROR_MORE_DATA)
            continue;  // grew between the two calls
        if (result != ERROR_SUCCESS || type != REG_SZ)
            return false;
        if (got > size)
            got = size;
        out.assign(reinterpret_cast<const char*>(data.data()), got);
        if (!out.empty() && out.back() == '\0')
            out.pop_back();
        return true;
    }
    return false;
}

bool WriteText(CRegKeyWrap& key, const char* value, const char* field, size_t width)
{
    const std::string text(field, strnlen(field, width));
    return key.SetStringValue(value, text.c_str()) != FALSE;
}

template <size_t N>
bool WriteText(CRegKeyWrap& key, const char* value, const char (&field)[N])
{
    return WriteText(key, value, field, N);
}

// The scrambled password with its terminating zero, by length.
bool WritePassword(CRegKeyWrap& key, const char* value, const char* password, size_t width)
{
    std::string data = ScramblePassword(std::string(password, strnlen(password, width)));
    data += '\0';
    key.m_result = RegSetValueExA(key.m_hKey, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                  static_cast<DWORD>(data.size()));
    return key.m_result == ERROR_SUCCESS;
}

bool OpenStore(HKEY hAppKey, HKEY& hSitesKey)
{
    if (hSitesKey != nullptr)
        return true;
    if (hAppKey == nullptr)
        return false;
    CRegKeyWrap store;
    if (!store.CreateKey(hAppKey, kSitesKeyName))
        return false;
    hSitesKey = Detach(store);
    return true;
}

}  // namespace

BOOL OpenSiteRegistry(HKEY& hAppKey, HKEY& hSitesKey, SiteTable& sites, UINT& nSites)
{
    CloseKey(hSitesKey);
    CloseKey(hAppKey);
    CRegKeyWrap app;
    if (!app.CreateKey(HKEY_CURRENT_USER, kZarnAppKeyPath)) {
        ShowSiteStoreMessage(SITEBOX_SYSTEM, kRegistryOpenFailedText, kRegistryErrorCaption);
        return FALSE;
    }
    hAppKey = Detach(app);
    if (!OpenStore(hAppKey, hSitesKey))
        return TRUE;  // the default site only

    DWORD subkeys = 0;
    if (RegQueryInfoKeyA(hSitesKey, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS) {
        ShowSiteStoreMessage(SITEBOX_SYSTEM, kRegistryQueryFailedText, kRegistryErrorCaption);
        return TRUE;
    }
    if (subkeys == 0) {
        for (CSiteItem* site : sites) {
            if (site != nullptr) {
                SaveSiteToRegistry(hAppKey, hSitesKey, *site);
                break;
            }
        }
        return TRUE;
    }

    // Unreadable subkeys take no slot; the default site goes only once a stored
    // site has taken its place.
    CSiteItem* loaded[MAX_SITES] = {};
    UINT count = 0;
    for (DWORD i = 0; i < subkeys && count < MAX_SITES; ++i) {
        CSiteItem* site = new CSiteItem;
        if (LoadSitesFromRegistry(hSitesKey, i, *site)) {
            loaded[count++] = site;
        } else {
            delete site;
            ShowSiteStoreMessage(SITEBOX_SYSTEM, kSiteKeyOpenFailedText);
        }
    }
    if (count == 0)
        return TRUE;
    for (CSiteItem*& site : sites) {
        delete site;
        site = nullptr;
    }
    for (UINT i = 0; i < count; ++i)
        sites[i] = loaded[i];
    nSites = count;
    return TRUE;
}

BOOL LoadSitesFromRegistry(HKEY hSitesKey, DWORD index, CSiteItem& site)
{
    if (hSitesKey == nullptr)
        return FALSE;
    char subkey[kSubkeyNameSize] = {};
    DWORD length = kSubkeyNameSize;
    if (RegEnumKeyExA(hSitesKey, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return FALSE;
    CRegKeyWrap key;
    if (!key.OpenKey(hSitesKey, subkey))
        return FALSE;

    DWORD number = 0;
    site.m_port = key.GetDwordValue("Port", number) ? static_cast<int32_t>(number) : 21;
    site.m_proxyPort = key.GetDwordValue("ProxyPort", number) ? static_cast<int32_t>(number) : 1080;
    char config[kSettingTextLen + 1] = {};
    if (key.GetStringValueBuf("Config", config, sizeof(config)))
        site.ParseSiteOptions(config);

    ReadTextField(key, "Alias", site.m_name);
    if (site.m_name[0] == '\0') {
        // Without a name the site could neither be saved nor deleted again.
        CopySettingText(site.m_name, subkey, strlen(subkey));
    }
    ReadTextField(key, "Address", site.m_host);
    memset(site.m_password, 0, sizeof(site.m_password));
    std::string scrambled;
    if (ReadTextByLength(key.m_hKey, "Pwd", scrambled))
        ScramblePassword(site.m_password, scrambled.data(), scrambled.size());
    ReadTextField(key, "User", site.m_user);
    ReadTextField(key, "ConnDir", site.m_localFolder);
    ReadTextField(key, "ProxyAddress", site.m_proxyHost);
    ReadTextField(key, "ProxyUser", site.m_proxyUser);
    ReadTextField(key, "ProxyPass", site.m_proxyPassword);

    char remote[kSettingTextLen + 1] = {};
    key.GetStringValueBuf("RemoteDir", remote, sizeof(remote));
    CString folder(remote);
    folder.Trim(' ');
    if (folder.IsEmpty() || folder[0] != '/')
        folder.Insert(0, '/');
    CopySettingText(site.m_remoteFolder, folder.GetString(), static_cast<size_t>(folder.GetLength()));

    ReadTextField(key, "FtpInfo", site.m_note);
    return TRUE;
}

BOOL SaveSiteToRegistry(HKEY hAppKey, HKEY& hSitesKey, const CSiteItem& site)
{
    // An empty name would write into the store itself, a "\" into a nested key
    // that never loads.
    if (!IsSiteSubkeyName(site.m_name) || strnlen(site.m_name, kSiteNameLen) >= kSiteNameLen)
        return FALSE;
    if (!OpenStore(hAppKey, hSitesKey))
        return FALSE;
    CRegKeyWrap key;
    if (!key.CreateKey(hSitesKey, site.m_name)) {
        // The store may have been deleted under the open handle: open it anew.
        if (key.m_result != ERROR_KEY_DELETED)
            return FALSE;
        CloseKey(hSitesKey);
        if (!OpenStore(hAppKey, hSitesKey) || !key.CreateKey(hSitesKey, site.m_name))
            return FALSE;
    }
    char config[kSiteOptionsTextSize];
    site.FormatSiteOptions(config, sizeof(config));
    bool ok = key.SetStringValue("Config", config) != FALSE;
    ok = key.SetDwordValue("Port", static_cast<DWORD>(site.m_port)) && ok;
    ok = key.SetDwordValue("ProxyPort", static_cast<DWORD>(site.m_proxyPort)) && ok;
    ok = WriteText(key, "Alias", site.m_name) && ok;
    ok = WriteText(key, "Address", site.m_host) && ok;
    ok = WriteText(key, "User", site.m_user) && ok;
    ok = WritePassword(key, "Pwd", site.m_password, sizeof(site.m_password)) && ok;
    ok = WriteText(key, "ConnDir", site.m_localFolder) && ok;
    ok = WriteText(key, "ProxyAddress", site.m_proxyHost) && ok;
    ok = WriteText(key, "ProxyUser", site.m_proxyUser) && ok;
    ok = WriteText(key, "ProxyPass", site.m_proxyPassword) && ok;
    ok = WriteText(key, "FtpInfo", site.m_note) && ok;
    ok = WriteText(key, "RemoteDir", site.m_remoteFolder) && ok;
    return ok ? TRUE : FALSE;
}

BOOL DeleteSiteKey(HKEY hAppKey, HKEY& hSitesKey, const CSiteItem& site)
{
    // An empty name would delete the whole store.
    if (IsSiteSubkeyName(site.m_name) && strnlen(site.m_name, kSiteNameLen) < kSiteNameLen) {
        HKEY store = hSitesKey;
        CRegKeyWrap opened;
        LONG result = ERROR_SUCCESS;
        if (store == nullptr && hAppKey != nullptr) {
            if (opened.OpenKey(hAppKey, kSitesKeyName))
                store = opened.m_hKey;
            else
                result = opened.m_result;
        }
        if (store != nullptr)
            result = SHDeleteKeyA(store, site.m_name);
        else if (hAppKey == nullptr)
            result = ERROR_INVALID_HANDLE;
        // Nothing stored under the name: nothing left to delete.
        if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND)
            return TRUE;
    }
    ShowSiteStoreMessage(SITEBOX_ERROR, kDeleteSiteErrorText);
    return FALSE;
}

BOOL RemoveAllSitesFromRegistry(HKEY hAppKey, HKEY& hSitesKey)
{
    const LONG result = hAppKey != nullptr ? SHDeleteKeyA(hAppKey, kSitesKeyName) : ERROR_INVALID_HANDLE;
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
        ShowSiteStoreMessage(SITEBOX_ERROR, kDeleteSiteErrorText);
        return FALSE;
    }
    CloseKey(hSitesKey);
    ShowSiteStoreMessage(SITEBOX_ERROR, kClearCompleteText);
    return TRUE;
}
