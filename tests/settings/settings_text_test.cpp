// The settings texts: "CONFIGADVVASK", "VIEWCOLOR" and the copy into text fields.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "framework/fwstring.h"
#include "shell/settings/settings.h"

namespace {

// The 22 fields in order, read through the same globals the program uses.
std::vector<int32_t> Fields(const MainWindowSettings& w)
{
    return {g_transferType, g_retryDelay, g_connectTimeout, g_defRetryCount, g_idleTimeout, g_recvTimeout,
            g_sendTimeout, w.savedWidth, w.savedHeight, w.savedScreenWidth, w.savedScreenHeight,
            g_savedTreeSplit, g_savedListSplit, g_dualServerView, w.clipboardMode, g_funcViewTab,
            g_socketBlockSize, g_defItemRetries, g_queueThreadCount, g_queueRetries, g_globalLimitB,
            g_globalLimitA};
}

std::string Format(const MainWindowSettings& w)
{
    char text[kAdvancedSettingsTextSize];
    FormatAdvancedSettings(text, sizeof text, w);
    return text;
}

// Every global, as bytes, to compare whole states.
std::string Snapshot()
{
    std::string s;
    auto add = [&s](const void* p, size_t n) { s.append(static_cast<const char*>(p), n); };
    MainWindowSettings none;
    for (int32_t v : Fields(none))
        add(&v, sizeof v);
    add(&g_optionFlags, sizeof g_optionFlags);
    add(&g_proxyType, sizeof g_proxyType);
    add(&g_proxyPort, sizeof g_proxyPort);
    const uint32_t rule = g_fileRule.load();
    add(&rule, sizeof rule);
    int32_t queue = g_queueFileExistsRules.load();
    add(&queue, sizeof queue);
    add(g_viewColors, sizeof g_viewColors);
    for (const char* text : {g_proxyHost, g_proxyUser, g_proxyPassword, g_appPath, g_dialEntry, g_asciiExtensions,
                             g_queueFilePath, g_anonymousPassword, g_downloadPath, g_fontText})
        s += std::string(text) + '\n';
    return s;
}

class SettingsText : public ::testing::Test {
protected:
    void SetUp() override { ResetSettingsDefaults(); }
    void TearDown() override { ResetSettingsDefaults(); }
};

}  // namespace

// Runs first, while the globals still hold their static initialisers.
TEST(SettingsDefaults, StaticInitialisersEqualReset)
{
    const std::string atStart = Snapshot();
    EXPECT_EQ(g_optionFlags, 0x4BF7E701u);
    EXPECT_EQ(g_queueThreadCount, 5);
    EXPECT_EQ(g_proxyPort, 1080);
    EXPECT_STREQ(g_fontText, "MS Sans Serif");
    EXPECT_EQ(std::string(g_asciiExtensions).substr(0, 13), ".TXT.NFO.INI.");
    EXPECT_NE(std::strchr(g_anonymousPassword, '@'), nullptr);
    for (uint32_t c : g_viewColors)
        EXPECT_EQ(c, 0xFFFFFFu);
    EXPECT_EQ(g_queueFileExistsRules.load(), -1);

    // Disturb everything, then reset: the same state as at start.
    MainWindowSettings w;
    ParseAdvancedSettings("9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9", w);
    g_optionFlags = 0;
    g_proxyType = 3;
    g_proxyPort = 1;
    g_fileRule = 0x9249;
    g_queueFileExistsRules = 7;
    ParseViewColors("1,2,3,4");
    for (char* text : {g_proxyHost, g_proxyUser, g_proxyPassword, g_appPath, g_dialEntry, g_asciiExtensions,
                       g_queueFilePath, g_anonymousPassword, g_downloadPath, g_fontText})
        std::strcpy(text, "changed");
    ASSERT_NE(Snapshot(), atStart);
    ResetSettingsDefaults();
    EXPECT_EQ(Snapshot(), atStart);
}

TEST_F(SettingsText, DefaultTextFormatsBackAndFields)
{
    MainWindowSettings w;
    ParseAdvancedSettings(kDefaultAdvancedSettings, w);
    EXPECT_EQ(Format(w), kDefaultAdvancedSettings);
    EXPECT_EQ(Fields(w), (std::vector<int32_t>{0, 5, 120, 5, 120, 120, 120, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1460, 2, 5,
                                                5, 0, 0}));
}

TEST_F(SettingsText, PartialTextChangesOnlyItsFields)
{
    MainWindowSettings w;
    w.savedWidth = 800;
    std::vector<int32_t> before = Fields(w);

    ParseAdvancedSettings("2,7,30", w);
    std::vector<int32_t> after = Fields(w);
    EXPECT_EQ(after[0], 2);
    EXPECT_EQ(after[1], 7);
    EXPECT_EQ(after[2], 30);
    for (int i = 3; i < kAdvancedSettingsCount; ++i)
        EXPECT_EQ(after[i], before[i]) << "field " << i;

    // Fourteen tokens: field 13 comes from position 13, field 14 keeps its value.
    ParseAdvancedSettings("0,0,0,0,0,0,0,0,0,0,0,0,12,13", w);
    EXPECT_EQ(g_savedListSplit, 12);
    EXPECT_EQ(g_dualServerView, 13);
    EXPECT_EQ(w.clipboardMode, 0);
    EXPECT_EQ(g_socketBlockSize, 1460);

    // Empty text and null hold no token.
    before = Fields(w);
    ParseAdvancedSettings("", w);
    ParseAdvancedSettings(nullptr, w);
    EXPECT_EQ(Fields(w), before);
}

TEST_F(SettingsText, ExtraTokensAreIgnored)
{
    MainWindowSettings w;
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += (i ? "," : "") + std::to_string(100 + i);
    ParseAdvancedSettings(text.c_str(), w);
    std::vector<int32_t> f = Fields(w);
    for (int i = 0; i < kAdvancedSettingsCount; ++i)
        EXPECT_EQ(f[i], 100 + i);
}

TEST_F(SettingsText, GarbageAndOverflowingNumbers)
{
    MainWindowSettings w;
    w.savedHeight = 600;
    std::vector<int32_t> before = Fields(w);
    ParseAdvancedSettings("1,x,99999999999,-5,7", w);
    std::vector<int32_t> f = Fields(w);
    EXPECT_EQ(f[0], 1);
    EXPECT_EQ(f[1], 0);
    EXPECT_EQ(f[2], INT32_MAX);
    EXPECT_EQ(f[3], -5);
    EXPECT_EQ(f[4], 7);
    for (int i = 5; i < kAdvancedSettingsCount; ++i)
        EXPECT_EQ(f[i], before[i]) << "field " << i;

    // Empty tokens keep their position; leading blanks and trailing junk as a
    // plain decimal conversion reads them; saturation both ways.
    ParseAdvancedSettings(",, 42,12abc,-99999999999999999999,2147483647,-2147483648,+8,--1,2147483648", w);
    f = Fields(w);
    EXPECT_EQ(f[0], 0);
    EXPECT_EQ(f[1], 0);
    EXPECT_EQ(f[2], 42);
    EXPECT_EQ(f[3], 12);
    EXPECT_EQ(f[4], INT32_MIN);
    EXPECT_EQ(f[5], INT32_MAX);
    EXPECT_EQ(f[6], INT32_MIN);
    EXPECT_EQ(f[7], 8);
    EXPECT_EQ(f[8], 0);
    EXPECT_EQ(f[9], INT32_MAX);

    const char digits[] = "123456789012345678901234567890123456789012345678901234567890";
    EXPECT_EQ(ParseSettingNumber(digits, digits + sizeof digits - 1), INT32_MAX);
    // The end bound is honoured: no read past it.
    EXPECT_EQ(ParseSettingNumber(digits, digits + 3), 123);
}

TEST_F(SettingsText, AllFieldsRoundTrip)
{
    MainWindowSettings w;
    std::string text;
    std::vector<int32_t> values;
    for (int i = 0; i < kAdvancedSettingsCount; ++i) {
        int32_t v = (i % 3 == 0) ? INT32_MIN + i : (i % 3 == 1 ? INT32_MAX - i : i * 1000 - 7);
        values.push_back(v);
        text += (i ? "," : "") + std::to_string(v);
    }
    ParseAdvancedSettings(text.c_str(), w);
    EXPECT_EQ(Fields(w), values);
    const std::string formatted = Format(w);
    EXPECT_EQ(formatted, text);

    MainWindowSettings back;
    ResetSettingsDefaults();
    ParseAdvancedSettings(formatted.c_str(), back);
    EXPECT_EQ(Fields(back), values);
}

TEST_F(SettingsText, FormatNeverOverrunsItsBuffer)
{
    MainWindowSettings w;
    ParseAdvancedSettings("-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,"
                          "-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,"
                          "-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,-2147483648,"
                          "-2147483648",
                          w);
    char text[kAdvancedSettingsTextSize];
    size_t n = FormatAdvancedSettings(text, sizeof text, w);
    EXPECT_EQ(n, 22u * 11u + 21u);
    EXPECT_EQ(std::strlen(text), n);

    std::vector<char> small(40 + 8, 'G');
    n = FormatAdvancedSettings(small.data(), 40, w);
    EXPECT_LT(n, 40u);
    EXPECT_EQ(small[n], '\0');
    for (size_t i = 40; i < small.size(); ++i)
        EXPECT_EQ(small[i], 'G');
}

TEST_F(SettingsText, ViewColors)
{
    ParseViewColors("255,65280");
    EXPECT_EQ(g_viewColors[0], 255u);
    EXPECT_EQ(g_viewColors[1], 65280u);
    EXPECT_EQ(g_viewColors[2], 0xFFFFFFu);
    EXPECT_EQ(g_viewColors[3], 0xFFFFFFu);

    char text[kViewColorsTextSize];
    FormatViewColors(text, sizeof text);
    EXPECT_STREQ(text, "255,65280,16777215,16777215");

    ResetSettingsDefaults();
    FormatViewColors(text, sizeof text);
    EXPECT_STREQ(text, kDefaultViewColors);

    ParseViewColors("1,2,3,4,5,6");
    EXPECT_EQ(g_viewColors[3], 4u);
    ParseViewColors("-1,junk,16777216,0");
    FormatViewColors(text, sizeof text);
    EXPECT_STREQ(text, "-1,0,16777216,0");
}

TEST_F(SettingsText, TextFieldsAreCutAndTerminated)
{
    // A field with guard bytes after it.
    struct {
        char field[kSettingTextLen];
        char guard[16];
    } box;
    std::memset(&box, 'G', sizeof box);
    const std::string longText(600, 'p');
    CopySettingText(box.field, sizeof box.field, longText.data(), longText.size());
    EXPECT_EQ(std::strlen(box.field), kSettingTextLen - 1);
    for (char c : box.guard)
        EXPECT_EQ(c, 'G');

    // srcLen bounds the source (a value stored without its NUL).
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    CopySettingText(box.field, sizeof box.field, unterminated, 3);
    EXPECT_STREQ(box.field, "abc");
    // An embedded NUL ends the text.
    CopySettingText(box.field, sizeof box.field, "ab\0cd", 5);
    EXPECT_STREQ(box.field, "ab");
    CopySettingText(box.field, sizeof box.field, nullptr, 5);
    EXPECT_STREQ(box.field, "");
    char one[1] = {'x'};
    CopySettingText(one, 1, "abc", 3);
    EXPECT_EQ(one[0], '\0');
}

TEST_F(SettingsText, CutKeepsDoubleByteCharactersWhole)
{
    const unsigned saved = FwGetCodePage();
    FwSetCodePage(936);
    // "a" then GBK characters: the 259-byte limit falls inside one of them.
    std::string text = "a";
    while (text.size() < 300)
        text += "\xD6\xD0";
    char field[kSettingTextLen];
    CopySettingText(field, sizeof field, text.data(), text.size());
    EXPECT_EQ(std::strlen(field), 259u);  // 1 + 129 x 2
    CopySettingText(field, 5, text.data(), text.size());
    EXPECT_EQ(std::strlen(field), 3u);    // "a" + one character, not half of the next
    // A lead byte with nothing after it is dropped.
    CopySettingText(field, sizeof field, "ab\xD6", 3);
    EXPECT_STREQ(field, "ab");
    FwSetCodePage(saved);
}
