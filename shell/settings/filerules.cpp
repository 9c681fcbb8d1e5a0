#include "shell/settings/filerules.h"

std::atomic<uint32_t> g_fileRule{0};
std::atomic<int32_t> g_queueFileExistsRules{-1};

namespace {

int FieldShift(FileRuleDirection direction, FileRuleSize size)
{
    int d = direction == FILERULE_UPLOAD ? 1 : 0;
    int s = (size == FILERULE_SAME) ? 1 : (size == FILERULE_SMALLER ? 2 : 0);
    return d * 9 + s * 3;
}

}  // namespace

int FileRuleMaxValue(FileRuleSize size)
{
    return size == FILERULE_SMALLER ? FILERULE_RENAME_SMALLER : FILERULE_RENAME;
}

int FileRuleGet(uint32_t word, FileRuleDirection direction, FileRuleSize size)
{
    int value = static_cast<int>((word >> FieldShift(direction, size)) & 7u);
    return value > FileRuleMaxValue(size) ? FILERULE_OVERWRITE : value;
}

uint32_t FileRuleSet(uint32_t word, FileRuleDirection direction, FileRuleSize size, int value)
{
    if (value < 0 || value > FileRuleMaxValue(size))
        value = FILERULE_OVERWRITE;
    int shift = FieldShift(direction, size);
    return (word & ~(7u << shift)) | (static_cast<uint32_t>(value) << shift);
}

FileExistsAction FileRuleAction(uint32_t word, FileRuleDirection direction, FileRuleSize size)
{
    int value = FileRuleGet(word, direction, size);
    switch (value) {
    case FILERULE_ASK: return FEA_ASK;
    case FILERULE_SKIP: return FEA_SKIP;
    case 3: return size == FILERULE_SMALLER ? FEA_RESUME : FEA_RENAME;
    case FILERULE_RENAME_SMALLER: return FEA_RENAME;
    default: return FEA_OVERWRITE;
    }
}

bool FileRuleAll(uint32_t word, FileRuleDirection direction, int value)
{
    return FileRuleGet(word, direction, FILERULE_LARGER) == value &&
           FileRuleGet(word, direction, FILERULE_SAME) == value &&
           FileRuleGet(word, direction, FILERULE_SMALLER) == value;
}

void PrimeQueueFileExistsRules()
{
    int32_t expected = -1;
    g_queueFileExistsRules.compare_exchange_strong(expected, static_cast<int32_t>(g_fileRule.load() & kFileRuleMask));
}

void QueueFileRuleSet(FileRuleDirection direction, FileRuleSize size, int value)
{
    PrimeQueueFileExistsRules();
    int32_t old = g_queueFileExistsRules.load();
    for (;;) {
        uint32_t base = old == -1 ? (g_fileRule.load() & kFileRuleMask) : static_cast<uint32_t>(old);
        int32_t next = static_cast<int32_t>(FileRuleSet(base, direction, size, value) & kFileRuleMask);
        if (g_queueFileExistsRules.compare_exchange_weak(old, next))
            return;
    }
}

// The working copy keeps only the rule bits, so no stored word can read as -1.
void ApplyFileRuleFromDialog(uint32_t word)
{
    g_fileRule.store(word);
    g_queueFileExistsRules.store(static_cast<int32_t>(word & kFileRuleMask));
}
