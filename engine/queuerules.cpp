// The queue workers' File Exists decision, their texts and counters.
#include "engine/queuerules.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

std::atomic<int32_t> g_planThreadCount{0};
std::atomic<int32_t> g_queueRunning{0};
CCriticalSection g_queueFileExistsSection;

namespace {

FileExistsDecision Answer(const FileExistsCase& c, QueueAnswer answer, int64_t offset = 0)
{
  FileExistsDecision d;
  d.answer = answer;
  d.offset = answer == QANSWER_RESUME ? offset : 0;
  d.rules = c.rules;
  d.destSize = c.destSize;
  d.direction = c.direction;
  d.sizeCase = FILERULE_SAME;
  d.resumeAllowed = false;
  return d;
}

bool HasDestination(const FileExistsCase& c)
{
  if (c.destSize < 0)
    return false;
  // A remote file of size 0 is as good as none: SIZE of a missing file can
  // read that way, and there is nothing to keep.
  return !(c.direction == FILERULE_UPLOAD && c.destSize == 0);
}

}  // namespace

bool FileExistsNeedsLookup(const FileExistsCase& c)
{
  if (c.failedAttempts > 0)
    return true;
  return c.useRules && !FileRuleAll(c.rules, c.direction, FILERULE_OVERWRITE);
}

FileExistsDecision DecideFileExists(const FileExistsCase& c)
{
  if (!FileExistsNeedsLookup(c) || !HasDestination(c))
    return Answer(c, QANSWER_OVERWRITE);

  if (c.failedAttempts > 0) {
    // A retry continues what the failed attempt left, but only when there is
    // something left to fetch: resuming at or past the source's end fails every
    // retry (download) or "succeeds" having sent nothing (upload).
    if (c.sourceSize <= 0)
      return c.destSize > 0 ? Answer(c, QANSWER_RESUME, c.destSize) : Answer(c, QANSWER_OVERWRITE);
    if (c.destSize == 0 || c.destSize > c.sourceSize)
      return Answer(c, QANSWER_OVERWRITE);
    if (c.destSize == c.sourceSize)
      return Answer(c, QANSWER_SKIP);
    return Answer(c, QANSWER_RESUME, c.destSize);
  }

  if (!c.useRules)
    return Answer(c, QANSWER_OVERWRITE);

  FileRuleSize sizeCase = FILERULE_SAME;
  if (c.destSize > c.sourceSize)
    sizeCase = FILERULE_LARGER;
  else if (c.destSize < c.sourceSize)
    sizeCase = FILERULE_SMALLER;

  FileExistsDecision d = Answer(c, QANSWER_OVERWRITE);
  d.sizeCase = sizeCase;
  d.resumeAllowed = sizeCase == FILERULE_SMALLER;
  switch (FileRuleAction(c.rules, c.direction, sizeCase)) {
    case FEA_ASK:
      d.answer = QANSWER_ASK;
      break;
    case FEA_SKIP:
      d.answer = QANSWER_SKIP;
      break;
    case FEA_RESUME:
      d.answer = QANSWER_RESUME;
      d.offset = c.destSize;
      break;
    case FEA_RENAME:
      d.answer = QANSWER_RENAME;
      break;
    default:
      d.answer = QANSWER_OVERWRITE;
      break;
  }
  return d;
}

FileExistsDecision MapReplaceResult(const FileExistsDecision& asked, int32_t result, uint32_t rulesNow)
{
  FileExistsDecision d = asked;
  d.rules = rulesNow;
  d.offset = 0;
  const bool canResume = asked.sizeCase == FILERULE_SMALLER;
  switch (result) {
    case 2:
      d.answer = QANSWER_OVERWRITE;
      break;
    case 3:
      d.answer = QANSWER_SKIP;
      break;
    case 4:
      d.answer = canResume ? QANSWER_RESUME : QANSWER_OVERWRITE;
      break;
    case 5:
      d.answer = QANSWER_OVERWRITE;
      d.rules = FileRuleSet(rulesNow, asked.direction, asked.sizeCase, FILERULE_OVERWRITE);
      break;
    case 6:
      d.answer = QANSWER_SKIP;
      d.rules = FileRuleSet(rulesNow, asked.direction, asked.sizeCase, FILERULE_SKIP);
      break;
    case 7:
      if (canResume) {
        d.answer = QANSWER_RESUME;
        d.rules = FileRuleSet(rulesNow, asked.direction, asked.sizeCase, FILERULE_RESUME);
      } else {
        d.answer = QANSWER_OVERWRITE;
      }
      break;
    case 8:
      d.answer = QANSWER_RENAME;
      break;
    default:
      d.answer = QANSWER_SKIP;
      break;
  }
  if (d.answer == QANSWER_RESUME)
    d.offset = asked.destSize > 0 ? asked.destSize : 0;
  return d;
}

bool QueueRenamedName(char* out, size_t size, const char* name, const struct tm& localTime)
{
  if (out == nullptr || size == 0)
    return false;
  char prefix[32];
  const size_t n = std::strftime(prefix, sizeof(prefix), "%H-%M-%S-", &localTime);
  const size_t len = name != nullptr ? std::strlen(name) : 0;
  if (n == 0 || len == 0 || n + len + 1 > size) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, prefix, n);
  std::memcpy(out + n, name, len + 1);
  return true;
}

uint32_t QueueElapsedMs(uint32_t startTick, uint32_t nowTick)
{
  const uint32_t elapsed = nowTick - startTick;
  return elapsed < 56 ? 27 : elapsed;
}

void FormatQueueElapsed(char* out, size_t size, uint32_t elapsedMs)
{
  const uint32_t seconds = elapsedMs / 1000;
  std::snprintf(out, size, "%.2u:%.2u:%.2u", elapsedMs / 3600000u, (seconds % 3600u) / 60u, (seconds % 3600u) % 60u);
}

void FormatQueueSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs)
{
  const uint64_t ms = elapsedMs == 0 ? 1 : elapsedMs;
  std::snprintf(out, size, "%" PRIu64 ".%02" PRIu64, bytes / ms, (bytes % ms) * 100 / ms);
}

void FormatWorkerEndLine(char* out, size_t size, const struct tm& localTime, int index)
{
  char when[64];
  if (std::strftime(when, sizeof(when), "%Y-%m-%d %H:%M:%S ", &localTime) == 0)
    when[0] = '\0';
  std::snprintf(out, size, "%s\r\n%d # already finished, exit runing. \r\n", when, index + 1);
}

void FormatUnsafeNameLine(char* out, size_t size, const char* host, const char* name)
{
  std::snprintf(out, size, kUnsafeNameLineFormat, host != nullptr ? host : "", name != nullptr ? name : "");
}

int32_t PlanThreadEnter()
{
  return g_planThreadCount.fetch_add(1) + 1;
}

bool PlanThreadLeave()
{
  return g_planThreadCount.fetch_sub(1) - 1 == 0;
}

bool ClaimQueueEndedNotice()
{
  int32_t expected = 0;
  return g_queueRunning.compare_exchange_strong(expected, 1);
}

void ReleaseQueueEndedNotice()
{
  g_queueRunning.store(0);
}

namespace {
enum : int32_t { kSlotGone = 0, kSlotLooking = 1, kSlotAskedAgain = 2 };
constexpr int kSlots = 10;
std::atomic<int32_t> g_slotState[kSlots];
bool ValidSlot(int slot) { return slot >= 0 && slot < kSlots; }
}  // namespace

void QueueSlotArm(int slot)
{
  if (ValidSlot(slot))
    g_slotState[slot].store(kSlotLooking);
}

bool QueueSlotAskAgain(int slot)
{
  if (!ValidSlot(slot))
    return true;
  int32_t state = kSlotLooking;
  return g_slotState[slot].compare_exchange_strong(state, kSlotAskedAgain) || state == kSlotAskedAgain;
}

bool QueueSlotLeave(int slot)
{
  if (!ValidSlot(slot))
    return true;
  int32_t state = kSlotLooking;
  if (g_slotState[slot].compare_exchange_strong(state, kSlotGone) || state == kSlotGone)
    return true;
  g_slotState[slot].store(kSlotLooking);
  return false;
}
