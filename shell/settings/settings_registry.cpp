// The settings in HKEY_CURRENT_USER "SOFTWARE\ZARN\SETUP".
#include <cstring>
#include <vector>

#include "framework/fwstring.h"
#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"

namespace {

// The executable's folder put in for an empty "APPPATH"; it is not written
// back, so the stored value stays what the installer (or nobody) wrote.
char s_appPathFallback[kSettingTextLen] = "";

template <size_t N>
void ReadText(CRegKeyWrap& key, LPCSTR name, char (&field)[N])
{
    key.GetStringValueBuf(name, field, N);
}

void ReadNumber(CRegKeyWrap& key, LPCSTR name, int32_t& value)
{
    DWORD stored = 0;
    if (key.GetDwordValue(name, stored))
        value = static_cast<int32_t>(stored);
}

// The folder of the running program with a trailing "\", or "" when it does
// not fit a text setting.
void ExecutableFolder(char (&folder)[kSettingTextLen])
{
    folder[0] = '\0';
    std::vector<char> path(32768, '\0');
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size())
        return;
    // The last "\" that is a character of its own, not a trail byte.
    size_t cut = 0;
    for (size_t i = 0; i < n;) {
        if (path[i] == '\\' || path[i] == '/')
            cut = i + 1;
        i += FwIsLeadByte(static_cast<BYTE>(path[i])) && i + 1 < n ? 2 : 1;
    }
    if (cut == 0 || cut >= kSettingTextLen)
        return;
    std::memcpy(folder, path.data(), cut);
    if (folder[cut - 1] == '/')
        folder[cut - 1] = '\\';
    folder[cut] = '\0';
}

void ApplyAppPathFallback()
{
    if (g_appPath[0] != '\0')
        return;
    ExecutableFolder(s_appPathFallback);
    std::memcpy(g_appPath, s_appPathFallback, sizeof g_appPath);
}

}  // namespace

void SetDefaultSettings(MainWindowSettings& window)
{
    CRegKeyWrap key(HKEY_CURRENT_USER);
    if (key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath)) {
        key.Close();
        LoadSettings(window);
        return;
    }
    // First start: the defaults become the stored set.
    ParseAdvancedSettings(kDefaultAdvancedSettings, window);
    SaveSettings(window);
    ApplyAppPathFallback();
}

void LoadSettings(MainWindowSettings& window)
{
    // A fallback from an earlier load is no stored value.
    if (s_appPathFallback[0] != '\0' && std::strcmp(g_appPath, s_appPathFallback) == 0)
        g_appPath[0] = '\0';
    s_appPathFallback[0] = '\0';
    CRegKeyWrap key(HKEY_CURRENT_USER);
    if (key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath) || key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath)) {
        // A missing "CONFIGADVVASK" or "VIEWCOLOR" parses as the default text.
        char text[kAdvancedSettingsTextSize];
        std::strcpy(text, kDefaultAdvancedSettings);
        ReadText(key, "CONFIGADVVASK", text);
        ParseAdvancedSettings(text, window);
        ReadNumber(key, "PROXYTYPE", g_proxyType);
        ReadText(key, "PROXYIP", g_proxyHost);
        ReadNumber(key, "PROXYPORT", g_proxyPort);
        ReadText(key, "PROXYUSER", g_proxyUser);
        ReadText(key, "PROXYPASS", g_proxyPassword);
        DWORD flags = 0;
        if (key.GetDwordValue("CONFIGVASK", flags))
            g_optionFlags = flags;
        ReadText(key, "APPPATH", g_appPath);
        DWORD rules = 0;
        if (key.GetDwordValue("FILERULE", rules))
            g_fileRule = rules;
        ReadText(key, "CONNNAME", g_dialEntry);
        ReadText(key, "ASCIIFILE", g_asciiExtensions);
        ReadText(key, "PLANFILE", g_queueFilePath);
        ReadText(key, "ANONYPASS", g_anonymousPassword);
        ReadText(key, "DOWNLOADPATH", g_downloadPath);
        char colors[kViewColorsTextSize];
        std::strcpy(colors, kDefaultViewColors);
        ReadText(key, "VIEWCOLOR", colors);
        ParseViewColors(colors);
    }
    ClampSettings(window);
    ApplyAppPathFallback();
}

void SaveSettings(const MainWindowSettings& window)
{
    char advanced[kAdvancedSettingsTextSize];
    FormatAdvancedSettings(advanced, sizeof advanced, window);
    CRegKeyWrap key(HKEY_CURRENT_USER);
    if (!key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath))
        return;
    const bool appPathIsFallback = s_appPathFallback[0] != '\0' && std::strcmp(g_appPath, s_appPathFallback) == 0;
    char colors[kViewColorsTextSize];
    FormatViewColors(colors, sizeof colors);

    key.SetStringValue("CONFIGADVVASK", advanced);
    key.SetDwordValue("FILERULE", g_fileRule.load());
    key.SetDwordValue("PROXYTYPE", static_cast<DWORD>(g_proxyType));
    key.SetStringValue("PROXYIP", g_proxyHost);
    key.SetDwordValue("PROXYPORT", static_cast<DWORD>(g_proxyPort));
    key.SetStringValue("PROXYUSER", g_proxyUser);
    key.SetStringValue("PROXYPASS", g_proxyPassword);
    key.SetDwordValue("CONFIGVASK", g_optionFlags);
    key.SetStringValue("CONNNAME", g_dialEntry);
    key.SetStringValue("APPPATH", appPathIsFallback ? "" : g_appPath);
    key.SetStringValue("ASCIIFILE", g_asciiExtensions);
    key.SetStringValue("PLANFILE", g_queueFilePath);
    key.SetStringValue("ANONYPASS", g_anonymousPassword);
    key.SetStringValue("DOWNLOADPATH", g_downloadPath);
    key.SetStringValue("VIEWCOLOR", colors);
}
