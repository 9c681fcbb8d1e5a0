// The File Exists rule word: where each field lives and what its values mean.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "shell/settings/filerules.h"
#include "shell/settings/settings.h"

namespace {

struct Field {
    FileRuleDirection direction;
    FileRuleSize size;
    int shift;
};

// The stored layout: download larger/same/smaller at bits 0, 3, 6; upload at 9, 12, 15.
const Field kFields[] = {
    {FILERULE_DOWNLOAD, FILERULE_LARGER, 0}, {FILERULE_DOWNLOAD, FILERULE_SAME, 3},
    {FILERULE_DOWNLOAD, FILERULE_SMALLER, 6}, {FILERULE_UPLOAD, FILERULE_LARGER, 9},
    {FILERULE_UPLOAD, FILERULE_SAME, 12}, {FILERULE_UPLOAD, FILERULE_SMALLER, 15},
};

class FileRules : public ::testing::Test {
protected:
    void SetUp() override { ResetSettingsDefaults(); }
    void TearDown() override { ResetSettingsDefaults(); }
};

}  // namespace

TEST_F(FileRules, EachFieldLandsInItsBits)
{
    for (const Field& f : kFields) {
        for (int value = 0; value <= FileRuleMaxValue(f.size); ++value) {
            uint32_t word = FileRuleSet(0, f.direction, f.size, value);
            EXPECT_EQ(word, static_cast<uint32_t>(value) << f.shift) << "shift " << f.shift << " value " << value;
            EXPECT_EQ(FileRuleGet(word, f.direction, f.size), value);
            // The other five fields still read Ask.
            for (const Field& g : kFields) {
                if (g.shift != f.shift) {
                    EXPECT_EQ(FileRuleGet(word, g.direction, g.size), FILERULE_ASK);
                }
            }
        }
    }
    EXPECT_EQ(FileRuleSet(0, FILERULE_DOWNLOAD, FILERULE_SAME, FILERULE_OVERWRITE), 0x8u);
    uint32_t all = 0;
    for (const Field& f : kFields)
        all = FileRuleSet(all, f.direction, f.size, FILERULE_OVERWRITE);
    EXPECT_EQ(all, 0x9249u);
}

TEST_F(FileRules, SettingOneFieldKeepsTheOthers)
{
    uint32_t word = 0;
    int value = 0;
    for (const Field& f : kFields)
        word = FileRuleSet(word, f.direction, f.size, value++ % 3 + 1);
    const uint32_t before = word;
    word = FileRuleSet(word, FILERULE_UPLOAD, FILERULE_SAME, FILERULE_RENAME);
    EXPECT_EQ(word & ~(7u << 12), before & ~(7u << 12));
    EXPECT_EQ(FileRuleGet(word, FILERULE_UPLOAD, FILERULE_SAME), FILERULE_RENAME);
    // Bits above the six fields are left as they are.
    EXPECT_EQ(FileRuleSet(0xFFFC0000u, FILERULE_DOWNLOAD, FILERULE_LARGER, FILERULE_SKIP), 0xFFFC0002u);
}

TEST_F(FileRules, ValuesOutsideTheColumnReadAsOverwrite)
{
    for (const Field& f : kFields) {
        for (uint32_t raw = 0; raw < 8; ++raw) {
            const int expected = static_cast<int>(raw) <= FileRuleMaxValue(f.size) ? static_cast<int>(raw)
                                                                                   : FILERULE_OVERWRITE;
            EXPECT_EQ(FileRuleGet(raw << f.shift, f.direction, f.size), expected) << f.shift << " " << raw;
        }
        // Storing an invalid value stores Overwrite.
        EXPECT_EQ(FileRuleSet(0, f.direction, f.size, 7), 1u << f.shift);
        EXPECT_EQ(FileRuleSet(0, f.direction, f.size, -1), 1u << f.shift);
    }
    // -1 (a queue copy that was never primed) reads Overwrite everywhere.
    for (const Field& f : kFields)
        EXPECT_EQ(FileRuleGet(0xFFFFFFFFu, f.direction, f.size), FILERULE_OVERWRITE);
}

TEST_F(FileRules, ActionsByColumn)
{
    const uint32_t smaller3 = FileRuleSet(0, FILERULE_DOWNLOAD, FILERULE_SMALLER, 3);
    const uint32_t smaller4 = FileRuleSet(0, FILERULE_DOWNLOAD, FILERULE_SMALLER, 4);
    const uint32_t same3 = FileRuleSet(0, FILERULE_UPLOAD, FILERULE_SAME, 3);
    EXPECT_EQ(FileRuleAction(smaller3, FILERULE_DOWNLOAD, FILERULE_SMALLER), FEA_RESUME);
    EXPECT_EQ(FileRuleAction(smaller4, FILERULE_DOWNLOAD, FILERULE_SMALLER), FEA_RENAME);
    EXPECT_EQ(FileRuleAction(same3, FILERULE_UPLOAD, FILERULE_SAME), FEA_RENAME);
    EXPECT_EQ(FileRuleAction(4u << 9, FILERULE_UPLOAD, FILERULE_LARGER), FEA_OVERWRITE);
    EXPECT_EQ(FileRuleAction(2u << 3, FILERULE_DOWNLOAD, FILERULE_SAME), FEA_SKIP);
    EXPECT_EQ(FileRuleAction(0, FILERULE_UPLOAD, FILERULE_SMALLER), FEA_ASK);

    // 0 asks in all six cases; the executor's "all three fields" tests.
    EXPECT_TRUE(FileRuleAll(0, FILERULE_UPLOAD, FILERULE_ASK));
    EXPECT_TRUE(FileRuleAll(0, FILERULE_DOWNLOAD, FILERULE_ASK));
    EXPECT_TRUE(FileRuleAll(0x9249, FILERULE_UPLOAD, FILERULE_OVERWRITE));
    EXPECT_FALSE(FileRuleAll(0x9249 & ~(7u << 15), FILERULE_UPLOAD, FILERULE_OVERWRITE));
    EXPECT_TRUE(FileRuleAll(0x1FF, FILERULE_DOWNLOAD, FILERULE_OVERWRITE));  // all 7s read Overwrite
}

TEST_F(FileRules, QueueWorkingCopy)
{
    g_fileRule = 0x12;
    EXPECT_EQ(g_queueFileExistsRules.load(), -1);
    PrimeQueueFileExistsRules();
    EXPECT_EQ(g_queueFileExistsRules.load(), 0x12);
    // Primed once: a later change of g_fileRule alone does not reach it.
    g_fileRule = 0x24;
    PrimeQueueFileExistsRules();
    EXPECT_EQ(g_queueFileExistsRules.load(), 0x12);

    ApplyFileRuleFromDialog(0x9249);
    EXPECT_EQ(g_fileRule.load(), 0x9249u);
    EXPECT_EQ(g_queueFileExistsRules.load(), 0x9249);
    // A word with every bit set still cannot read as "not primed".
    ApplyFileRuleFromDialog(0xFFFFFFFFu);
    EXPECT_NE(g_queueFileExistsRules.load(), -1);

    // The replace box's remembered answer primes first, then changes one field.
    g_queueFileExistsRules = -1;
    g_fileRule = FileRuleSet(0, FILERULE_UPLOAD, FILERULE_LARGER, FILERULE_SKIP);
    QueueFileRuleSet(FILERULE_DOWNLOAD, FILERULE_SMALLER, FILERULE_RESUME);
    const uint32_t copy = static_cast<uint32_t>(g_queueFileExistsRules.load());
    EXPECT_EQ(FileRuleGet(copy, FILERULE_UPLOAD, FILERULE_LARGER), FILERULE_SKIP);
    EXPECT_EQ(FileRuleGet(copy, FILERULE_DOWNLOAD, FILERULE_SMALLER), FILERULE_RESUME);
    EXPECT_EQ(FileRuleGet(g_fileRule, FILERULE_DOWNLOAD, FILERULE_SMALLER), FILERULE_ASK);
}

TEST_F(FileRules, ConcurrentRememberedAnswersAllLand)
{
    g_queueFileExistsRules = 0;
    std::vector<std::thread> threads;
    for (const Field& f : kFields)
        threads.emplace_back([f] {
            for (int i = 0; i < 2000; ++i)
                QueueFileRuleSet(f.direction, f.size, 1 + i % 2);
        });
    for (std::thread& t : threads)
        t.join();
    // Each thread's last write (i = 1999: value 2) survives the others.
    EXPECT_EQ(static_cast<uint32_t>(g_queueFileExistsRules.load()), 0x12492u);
}
