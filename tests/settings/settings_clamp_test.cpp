// Loaded numbers are put into the ranges the program depends on.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "shell/settings/settings.h"

namespace {

class SettingsClamp : public ::testing::Test {
protected:
    void SetUp() override { ResetSettingsDefaults(); }
    void TearDown() override { ResetSettingsDefaults(); }
};

struct Range {
    const char* name;
    int32_t* value;
    int32_t lo;
    int32_t hi;
};

}  // namespace

TEST_F(SettingsClamp, DefaultsAreAlreadyInRange)
{
    MainWindowSettings w;
    char before[kAdvancedSettingsTextSize];
    FormatAdvancedSettings(before, sizeof before, w);
    const int32_t port = g_proxyPort;
    ClampSettings(w);
    char after[kAdvancedSettingsTextSize];
    FormatAdvancedSettings(after, sizeof after, w);
    EXPECT_STREQ(before, after);
    EXPECT_EQ(g_proxyPort, port);
}

TEST_F(SettingsClamp, TamperedAdvancedTextAfterLoad)
{
    MainWindowSettings w;
    ParseAdvancedSettings("1,x,99999999999,-5,7", w);
    ClampSettings(w);
    EXPECT_EQ(g_transferType, 1);
    EXPECT_EQ(g_retryDelay, 1);
    EXPECT_EQ(g_connectTimeout, 3600);
    EXPECT_EQ(g_defRetryCount, 0);
    EXPECT_EQ(g_idleTimeout, 10);
}

TEST_F(SettingsClamp, EveryNumberAtBothEnds)
{
    MainWindowSettings w;
    const Range ranges[] = {
        {"transfer type", &g_transferType, 0, 2},
        {"retry delay", &g_retryDelay, 1, 1200},
        {"connect time-out", &g_connectTimeout, 10, 3600},
        {"retry count", &g_defRetryCount, 0, 1000},
        {"idle time-out", &g_idleTimeout, 10, 900},
        {"receive time-out", &g_recvTimeout, 10, 3600},
        {"send time-out", &g_sendTimeout, 10, 3600},
        {"block size", &g_socketBlockSize, 512, 8192},
        {"failure action", &g_defItemRetries, 0, 2},
        {"queue threads", &g_queueThreadCount, 1, 10},
        {"queue retries", &g_queueRetries, 0, 100},
        {"tab", &g_funcViewTab, 0, 5},
        {"clipboard mode", &w.clipboardMode, 0, 3},
        {"proxy type", &g_proxyType, 0, 12},
        {"proxy port", &g_proxyPort, 1, 65535},
        {"dual view", &g_dualServerView, 0, 1},
        // KBps x 1024 must stay within 32 bits.
        {"upload limit", &g_globalLimitB, 0, INT32_MAX / 1024},
        {"download limit", &g_globalLimitA, 0, INT32_MAX / 1024},
        // Geometry is scaled by value x screen / saved screen.
        {"saved width", &w.savedWidth, 0, 32767},
        {"saved height", &w.savedHeight, 0, 32767},
        {"screen width", &w.savedScreenWidth, 1, 32767},
        {"screen height", &w.savedScreenHeight, 1, 32767},
        {"tree split", &g_savedTreeSplit, 0, 32767},
        {"list split", &g_savedListSplit, 0, 32767},
    };
    for (const Range& r : ranges) {
        for (int32_t v : {INT32_MIN, r.lo - 1, r.lo, r.hi, r.hi + 1, INT32_MAX}) {
            *r.value = v;
            ClampSettings(w);
            const int32_t expected = v < r.lo ? r.lo : (v > r.hi ? r.hi : v);
            EXPECT_EQ(*r.value, expected) << r.name << " from " << v;
        }
    }
    // The worst case of the window scaling fits 32 bits.
    EXPECT_LE(int64_t{32767} * 32767, int64_t{INT32_MAX});
}
