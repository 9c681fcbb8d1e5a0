#include "shell/settings/settings.h"

#include <cstdio>
#include <cstring>

#include "framework/fwstring.h"

// One spelling of each default text for the constants and the initialisers.
#define ZARN_DEFAULT_ASCII_LIST \
    ".TXT.NFO.INI.1ST.ASP.BAT.C.CFM.CGI.CPP.CSS.DHTML.H.HTM.HTML.MAK.PHP.PHP3.PAS.SFV.TCL.PINERC.PL.PM.QMAIL." \
    "SCREENRC.SHTML"
#define ZARN_DEFAULT_ANONYMOUS_PASSWORD "zarn@example.com"
#define ZARN_DEFAULT_FONT_TEXT "MS Sans Serif"

const char kDefaultAdvancedSettings[] = "0,5,120,5,120,120,120,0,0,0,0,0,0,0,0,0,1460,2,5,5,0,0";
const char kDefaultViewColors[] = "16777215,16777215,16777215,16777215";
const char kDefaultAsciiExtensions[] = ZARN_DEFAULT_ASCII_LIST;
const char kDefaultAnonymousPassword[] = ZARN_DEFAULT_ANONYMOUS_PASSWORD;
const char kDefaultFontText[] = ZARN_DEFAULT_FONT_TEXT;

static_assert(sizeof(kDefaultAsciiExtensions) <= kSettingTextLen, "ASCII list fits its field");

// Static initialisers equal the defaults, so code that runs before the main
// window (or without one) reads sound values.
uint32_t g_optionFlags = kDefaultOptionFlags;

int32_t g_transferType = 0;
int32_t g_retryDelay = 5;
int32_t g_connectTimeout = 120;
int32_t g_defRetryCount = 5;
int32_t g_idleTimeout = 120;
int32_t g_recvTimeout = 120;
int32_t g_sendTimeout = 120;
int32_t g_savedTreeSplit = 0;
int32_t g_savedListSplit = 0;
int32_t g_dualServerView = 0;
int32_t g_funcViewTab = 0;
int32_t g_socketBlockSize = 1460;
int32_t g_defItemRetries = 2;
int32_t g_queueThreadCount = 5;
int32_t g_queueRetries = 5;
int32_t g_globalLimitB = 0;
int32_t g_globalLimitA = 0;

int32_t g_proxyType = 0;
char g_proxyHost[kSettingTextLen] = "";
int32_t g_proxyPort = 1080;
char g_proxyUser[kSettingTextLen] = "";
char g_proxyPassword[kSettingTextLen] = "";
char g_appPath[kSettingTextLen] = "";
char g_dialEntry[kSettingTextLen] = "";
char g_asciiExtensions[kSettingTextLen] = ZARN_DEFAULT_ASCII_LIST;
char g_queueFilePath[kSettingTextLen] = "";
char g_anonymousPassword[kSettingTextLen] = ZARN_DEFAULT_ANONYMOUS_PASSWORD;
char g_downloadPath[kSettingTextLen] = "";
char g_fontText[kSettingTextLen] = ZARN_DEFAULT_FONT_TEXT;
uint32_t g_viewColors[4] = {kDefaultViewColor, kDefaultViewColor, kDefaultViewColor, kDefaultViewColor};

namespace {

template <size_t N>
void SetText(char (&field)[N], const char* text)
{
    CopySettingText(field, N, text, std::strlen(text));
}

// Field i of "CONFIGADVVASK".
int32_t* AdvancedField(int i, MainWindowSettings& window)
{
    int32_t* const fields[kAdvancedSettingsCount] = {
        &g_transferType, &g_retryDelay, &g_connectTimeout, &g_defRetryCount, &g_idleTimeout,
        &g_recvTimeout, &g_sendTimeout, &window.savedWidth, &window.savedHeight,
        &window.savedScreenWidth, &window.savedScreenHeight, &g_savedTreeSplit, &g_savedListSplit,
        &g_dualServerView, &window.clipboardMode, &g_funcViewTab, &g_socketBlockSize,
        &g_defItemRetries, &g_queueThreadCount, &g_queueRetries, &g_globalLimitB, &g_globalLimitA,
    };
    return fields[i];
}

// Splits at ',' and hands token i to store(i, value) for i < count. Empty
// text holds no token; an empty token between commas is a 0.
template <typename Store>
void ParseNumberList(const char* text, int count, Store store)
{
    if (!text || !*text)
        return;
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        const char* end = std::strchr(p, ',');
        if (!end)
            end = p + std::strlen(p);
        store(i, ParseSettingNumber(p, end));
        if (*end != ',')
            return;
        p = end + 1;
    }
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// Window geometry is scaled as value x screen / saved screen in 32 bits; with
// every factor below 2^15 that product cannot overflow.
constexpr int32_t kMaxPixels = 32767;
// Speed limits are turned into bytes (KBps x 1024) in 32 bits.
constexpr int32_t kMaxSpeedLimit = INT32_MAX / 1024;

}  // namespace

void ResetSettingsDefaults()
{
    g_optionFlags = kDefaultOptionFlags;
    MainWindowSettings scratch;
    ParseAdvancedSettings(kDefaultAdvancedSettings, scratch);
    g_proxyType = 0;
    g_proxyHost[0] = '\0';
    g_proxyPort = 1080;
    g_proxyUser[0] = '\0';
    g_proxyPassword[0] = '\0';
    g_appPath[0] = '\0';
    g_dialEntry[0] = '\0';
    SetText(g_asciiExtensions, kDefaultAsciiExtensions);
    g_queueFilePath[0] = '\0';
    SetText(g_anonymousPassword, kDefaultAnonymousPassword);
    g_downloadPath[0] = '\0';
    SetText(g_fontText, kDefaultFontText);
    for (uint32_t& c : g_viewColors)
        c = kDefaultViewColor;
    g_fileRule = 0;
    g_queueFileExistsRules.store(-1);
}

void ParseAdvancedSettings(const char* text, MainWindowSettings& window)
{
    ParseNumberList(text, kAdvancedSettingsCount,
                    [&window](int i, int32_t v) { *AdvancedField(i, window) = v; });
}

size_t FormatAdvancedSettings(char* buffer, size_t size, const MainWindowSettings& window)
{
    if (!buffer || size == 0)
        return 0;
    MainWindowSettings w = window;
    size_t used = 0;
    buffer[0] = '\0';
    for (int i = 0; i < kAdvancedSettingsCount; ++i) {
        int n = std::snprintf(buffer + used, size - used, i ? ",%d" : "%d", static_cast<int>(*AdvancedField(i, w)));
        if (n < 0 || static_cast<size_t>(n) >= size - used)
            return std::strlen(buffer);
        used += static_cast<size_t>(n);
    }
    return used;
}

void ParseViewColors(const char* text)
{
    ParseNumberList(text, 4, [](int i, int32_t v) { g_viewColors[i] = static_cast<uint32_t>(v); });
}

size_t FormatViewColors(char* buffer, size_t size)
{
    if (!buffer || size == 0)
        return 0;
    int n = std::snprintf(buffer, size, "%d,%d,%d,%d", static_cast<int>(g_viewColors[0]),
                          static_cast<int>(g_viewColors[1]), static_cast<int>(g_viewColors[2]),
                          static_cast<int>(g_viewColors[3]));
    if (n < 0)
        n = 0;
    return static_cast<size_t>(n) < size ? static_cast<size_t>(n) : std::strlen(buffer);
}

void ClampSettings(MainWindowSettings& window)
{
    // The ranges of the option pages.
    g_connectTimeout = Clamp(g_connectTimeout, 10, 3600);
    g_recvTimeout = Clamp(g_recvTimeout, 10, 3600);
    g_sendTimeout = Clamp(g_sendTimeout, 10, 3600);
    g_idleTimeout = Clamp(g_idleTimeout, 10, 900);
    g_defRetryCount = Clamp(g_defRetryCount, 0, 1000);
    g_retryDelay = Clamp(g_retryDelay, 1, 1200);
    g_socketBlockSize = Clamp(g_socketBlockSize, 512, 8192);
    g_queueRetries = Clamp(g_queueRetries, 0, 100);
    // Indexes and counts other code uses to index or size its tables.
    g_queueThreadCount = Clamp(g_queueThreadCount, 1, 10);
    g_funcViewTab = Clamp(g_funcViewTab, 0, 5);
    window.clipboardMode = Clamp(window.clipboardMode, 0, 3);
    g_transferType = Clamp(g_transferType, 0, 2);
    g_defItemRetries = Clamp(g_defItemRetries, 0, 2);
    g_proxyType = Clamp(g_proxyType, 0, 12);
    g_proxyPort = Clamp(g_proxyPort, 1, 65535);
    g_dualServerView = Clamp(g_dualServerView, 0, 1);
    g_globalLimitA = Clamp(g_globalLimitA, 0, kMaxSpeedLimit);
    g_globalLimitB = Clamp(g_globalLimitB, 0, kMaxSpeedLimit);
    // Geometry: the saved screen size is a divisor.
    window.savedWidth = Clamp(window.savedWidth, 0, kMaxPixels);
    window.savedHeight = Clamp(window.savedHeight, 0, kMaxPixels);
    window.savedScreenWidth = Clamp(window.savedScreenWidth, 1, kMaxPixels);
    window.savedScreenHeight = Clamp(window.savedScreenHeight, 1, kMaxPixels);
    g_savedTreeSplit = Clamp(g_savedTreeSplit, 0, kMaxPixels);
    g_savedListSplit = Clamp(g_savedListSplit, 0, kMaxPixels);
}
