// The queue workers' pure rules: the File Exists decision over all six rule
// fields, the replace box's answers, the retry rule, names, texts, and the
// counters that pick the last worker. The end-of-queue seam runs under Wine.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "engine/exitrequest.h"
#include "engine/queuerules.h"
#include "engine/xfernames.h"
#include "framework/fwstring.h"
#include "shell/doc/threadstatus.h"
#include "shell/settings/filerules.h"

#ifdef _WIN32
#include "engine/engineres.h"
#include "engine/queueseam.h"
#include "shell/settings/settings.h"
#endif

namespace {

// The stored layout of the rules word, written out by hand so that a swapped
// field in the accessors shows here.
struct Field {
  FileRuleDirection direction;
  FileRuleSize size;
  int shift;
  const char* name;
};
const Field kFields[] = {
    {FILERULE_DOWNLOAD, FILERULE_LARGER, 0, "download larger"},
    {FILERULE_DOWNLOAD, FILERULE_SAME, 3, "download same"},
    {FILERULE_DOWNLOAD, FILERULE_SMALLER, 6, "download smaller"},
    {FILERULE_UPLOAD, FILERULE_LARGER, 9, "upload larger"},
    {FILERULE_UPLOAD, FILERULE_SAME, 12, "upload same"},
    {FILERULE_UPLOAD, FILERULE_SMALLER, 15, "upload smaller"},
};

// Every field Skip except one: a decision that reads the wrong field skips.
uint32_t OnlyField(const Field& f, int value)
{
  uint32_t word = 0;
  for (const Field& g : kFields)
    word |= 2u << g.shift;
  return (word & ~(7u << f.shift)) | (static_cast<uint32_t>(value) << f.shift);
}

// A case whose destination compares with the source as the field says.
FileExistsCase CaseFor(FileRuleDirection direction, FileRuleSize size, uint32_t rules, int32_t failures = 0)
{
  FileExistsCase c{};
  c.direction = direction;
  c.sourceSize = 5000;
  c.destSize = size == FILERULE_SAME ? 5000 : (size == FILERULE_LARGER ? 9000 : 1200);
  c.failedAttempts = failures;
  c.useRules = true;
  c.rules = rules;
  return c;
}

struct tm At(int h, int m, int s)
{
  struct tm t{};
  t.tm_year = 126;
  t.tm_mon = 11;
  t.tm_mday = 9;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return t;
}

}  // namespace

// ---- the rule fields ----

TEST(QueueRules, EveryFieldAndValueDecidesItsOwnCase)
{
  for (const Field& f : kFields) {
    for (int value = 0; value <= 4; ++value) {
      SCOPED_TRACE(std::string(f.name) + " value " + std::to_string(value));
      const FileExistsCase c = CaseFor(f.direction, f.size, OnlyField(f, value));
      ASSERT_TRUE(FileExistsNeedsLookup(c));
      const FileExistsDecision d = DecideFileExists(c);
      const bool smaller = f.size == FILERULE_SMALLER;
      QueueAnswer want = QANSWER_OVERWRITE;
      switch (value) {
        case 0: want = QANSWER_ASK; break;
        case 1: want = QANSWER_OVERWRITE; break;
        case 2: want = QANSWER_SKIP; break;
        case 3: want = smaller ? QANSWER_RESUME : QANSWER_RENAME; break;
        case 4: want = smaller ? QANSWER_RENAME : QANSWER_OVERWRITE; break;  // 4 is no value there
      }
      EXPECT_EQ(want, d.answer);
      EXPECT_EQ(f.size, d.sizeCase);
      EXPECT_EQ(smaller, d.resumeAllowed);
      EXPECT_EQ(want == QANSWER_RESUME ? c.destSize : 0, d.offset);
      EXPECT_EQ(c.rules, d.rules) << "a rule never changes the word";
    }
  }
}

TEST(QueueRules, OverwriteWithoutLookingWhenRulesAreOffOrAllOverwrite)
{
  for (FileRuleDirection dir : {FILERULE_DOWNLOAD, FILERULE_UPLOAD}) {
    // Bit 27 clear: every ask or skip field is ignored.
    FileExistsCase c = CaseFor(dir, FILERULE_SAME, 0);
    c.useRules = false;
    EXPECT_FALSE(FileExistsNeedsLookup(c));
    EXPECT_EQ(QANSWER_OVERWRITE, DecideFileExists(c).answer);

    // All three fields of the direction Overwrite; the other direction asks.
    uint32_t rules = 0;
    for (FileRuleSize s : {FILERULE_LARGER, FILERULE_SAME, FILERULE_SMALLER})
      rules = FileRuleSet(rules, dir, s, FILERULE_OVERWRITE);
    c = CaseFor(dir, FILERULE_SMALLER, rules);
    EXPECT_FALSE(FileExistsNeedsLookup(c));
    // Only two of three: the lookup is needed.
    c.rules = FileRuleSet(rules, dir, FILERULE_LARGER, FILERULE_ASK);
    EXPECT_TRUE(FileExistsNeedsLookup(c));
  }
}

TEST(QueueRules, MissingDestinationOverwrites)
{
  for (FileRuleDirection dir : {FILERULE_DOWNLOAD, FILERULE_UPLOAD}) {
    FileExistsCase c = CaseFor(dir, FILERULE_SMALLER, 0);  // all ask
    c.destSize = kNoDestination;
    EXPECT_EQ(QANSWER_OVERWRITE, DecideFileExists(c).answer);
    c.failedAttempts = 2;
    EXPECT_EQ(QANSWER_OVERWRITE, DecideFileExists(c).answer);
  }
  // A remote size of 0 counts as none; an empty local file is still a file.
  FileExistsCase up = CaseFor(FILERULE_UPLOAD, FILERULE_SMALLER, 0);
  up.destSize = 0;
  EXPECT_EQ(QANSWER_OVERWRITE, DecideFileExists(up).answer);
  FileExistsCase down = CaseFor(FILERULE_DOWNLOAD, FILERULE_SMALLER, 0);
  down.destSize = 0;
  EXPECT_EQ(QANSWER_ASK, DecideFileExists(down).answer);
}

// ---- a retry after a failed attempt ----

TEST(QueueRules, RetryResumesOnlyWhatIsLeftToMove)
{
  for (FileRuleDirection dir : {FILERULE_DOWNLOAD, FILERULE_UPLOAD}) {
    for (bool useRules : {true, false}) {
      SCOPED_TRACE(std::string(dir == FILERULE_UPLOAD ? "upload" : "download") + (useRules ? " rules" : " no rules"));
      FileExistsCase c{};
      c.direction = dir;
      c.sourceSize = 3 * 1048576;
      c.failedAttempts = 1;
      c.useRules = useRules;
      c.rules = 0;  // all ask: a retry never asks
      ASSERT_TRUE(FileExistsNeedsLookup(c));

      c.destSize = 1048576;
      FileExistsDecision d = DecideFileExists(c);
      EXPECT_EQ(QANSWER_RESUME, d.answer);
      EXPECT_EQ(1048576, d.offset);

      c.destSize = c.sourceSize;  // already complete: nothing to send, no REST at the end
      EXPECT_EQ(QANSWER_SKIP, DecideFileExists(c).answer);

      c.destSize = c.sourceSize + 1;  // REST past the end would fail or send nothing
      d = DecideFileExists(c);
      EXPECT_EQ(QANSWER_OVERWRITE, d.answer);
      EXPECT_EQ(0, d.offset);

      // Unknown source size: the destination is taken as it is.
      c.sourceSize = 0;
      c.destSize = 777;
      d = DecideFileExists(c);
      EXPECT_EQ(QANSWER_RESUME, d.answer);
      EXPECT_EQ(777, d.offset);
    }
  }
  // An empty local file after a failure: nothing to keep, start over.
  FileExistsCase c = CaseFor(FILERULE_DOWNLOAD, FILERULE_SMALLER, 0, 3);
  c.destSize = 0;
  EXPECT_EQ(QANSWER_OVERWRITE, DecideFileExists(c).answer);
  // Sizes past 4 GiB keep their width.
  c.sourceSize = 6LL << 30;
  c.destSize = 5LL << 30;
  FileExistsDecision d = DecideFileExists(c);
  EXPECT_EQ(QANSWER_RESUME, d.answer);
  EXPECT_EQ(5LL << 30, d.offset);
}

// ---- the replace box ----

TEST(QueueRules, ReplaceBoxResultsMapAndRememberInTheirOwnField)
{
  for (const Field& f : kFields) {
    SCOPED_TRACE(f.name);
    const uint32_t rules = OnlyField(f, FILERULE_ASK);
    const FileExistsDecision asked = DecideFileExists(CaseFor(f.direction, f.size, rules));
    ASSERT_EQ(QANSWER_ASK, asked.answer);
    const bool smaller = f.size == FILERULE_SMALLER;
    const int64_t dest = CaseFor(f.direction, f.size, rules).destSize;
    struct Want {
      int32_t result;
      QueueAnswer answer;
      int field;  // -1: unchanged
    } wants[] = {
        {2, QANSWER_OVERWRITE, -1},
        {3, QANSWER_SKIP, -1},
        {4, smaller ? QANSWER_RESUME : QANSWER_OVERWRITE, -1},
        {5, QANSWER_OVERWRITE, FILERULE_OVERWRITE},
        {6, QANSWER_SKIP, FILERULE_SKIP},
        {7, smaller ? QANSWER_RESUME : QANSWER_OVERWRITE, smaller ? FILERULE_RESUME : -1},
        {8, QANSWER_RENAME, -1},
        {1, QANSWER_SKIP, -1},  // IDOK/IDCANCEL never come from the box: touch nothing
        {9, QANSWER_SKIP, -1},
    };
    for (const Want& w : wants) {
      SCOPED_TRACE("result " + std::to_string(w.result));
      const FileExistsDecision d = MapReplaceResult(asked, w.result, rules);
      EXPECT_EQ(w.answer, d.answer);
      EXPECT_EQ(w.answer == QANSWER_RESUME ? dest : 0, d.offset);
      const uint32_t want = w.field < 0 ? rules : (rules & ~(7u << f.shift)) | (uint32_t(w.field) << f.shift);
      EXPECT_EQ(want, d.rules);
    }
  }
}

TEST(QueueRules, ReplaceBoxKeepsWhatConfigureChanged)
{
  // The box's Configure rewrote the working copy: the "all" answer lands on
  // the new word, not on the one read before the box.
  const FileExistsDecision asked = DecideFileExists(CaseFor(FILERULE_UPLOAD, FILERULE_SAME, 0));
  ASSERT_EQ(QANSWER_ASK, asked.answer);
  const uint32_t configured = FileRuleSet(0, FILERULE_DOWNLOAD, FILERULE_LARGER, FILERULE_SKIP);
  const FileExistsDecision d = MapReplaceResult(asked, 5, configured);
  EXPECT_EQ(FILERULE_SKIP, FileRuleGet(d.rules, FILERULE_DOWNLOAD, FILERULE_LARGER));
  EXPECT_EQ(FILERULE_OVERWRITE, FileRuleGet(d.rules, FILERULE_UPLOAD, FILERULE_SAME));
}

TEST(QueueRules, RenamePrefixesTheTime)
{
  char out[64];
  ASSERT_TRUE(QueueRenamedName(out, sizeof(out), "report.txt", At(9, 5, 3)));
  EXPECT_STREQ("09-05-03-report.txt", out);
  ASSERT_TRUE(QueueRenamedName(out, sizeof(out), "a", At(23, 59, 59)));
  EXPECT_STREQ("23-59-59-a", out);
  // Exactly fitting, then one byte short: a cut name would be another file.
  char exact[12];
  EXPECT_TRUE(QueueRenamedName(exact, sizeof(exact), "ab", At(1, 2, 3)));
  EXPECT_STREQ("01-02-03-ab", exact);
  char shortBuf[11];
  EXPECT_FALSE(QueueRenamedName(shortBuf, sizeof(shortBuf), "ab", At(1, 2, 3)));
  EXPECT_STREQ("", shortBuf);
  EXPECT_FALSE(QueueRenamedName(out, sizeof(out), "", At(1, 2, 3)));
}

// ---- names ----

TEST(QueueNames, ConversionByDigitKeepsDoubleByteCharacters)
{
  char name[64];
  std::strcpy(name, "MixedCase.TXT");
  ConvertNameByDigit(name, sizeof(name), '2');
  EXPECT_STREQ("mixedcase.txt", name);
  ConvertNameByDigit(name, sizeof(name), '1');
  EXPECT_STREQ("MIXEDCASE.TXT", name);
  std::strcpy(name, "report.txt");
  ConvertNameByDigit(name, sizeof(name), '3');
  EXPECT_STREQ("Report.txt", name);
  ConvertNameByDigit(name, sizeof(name), '0');
  EXPECT_STREQ("Report.txt", name);

  FwSetCodePage(936);
  // A GBK character whose trail byte is a lower-case letter stays as it is.
  std::strcpy(name, "\x81\x61x.txt");
  ConvertNameByDigit(name, sizeof(name), '1');
  EXPECT_STREQ("\x81\x61X.TXT", name);
  FwSetCodePage(0);
}

TEST(QueueNames, HostileNamesAreRefusedAndTheLogLineNamesThem)
{
  for (const char* bad : {"", ".", "..", "..\\x", "a/b", "a\\b", "C:x", "CON", "con.txt", "Nul", "COM1",
                          "lpt9.log", "AUX .txt", ". .", "...", "a\x01", "\x7f\x1f", "PRN", "CLOCK$"}) {
    EXPECT_FALSE(IsSafeLocalName(bad)) << bad;
  }
  for (const char* good : {"a", "COM10", "CONSOLE", "a..b", ".profile", "com0", "x y", "LPT"}) {
    EXPECT_TRUE(IsSafeLocalName(good)) << good;
  }
  EXPECT_FALSE(IsSafeLocalName(nullptr));
  // A double-byte name whose trail byte is a backslash is one character.
  FwSetCodePage(936);
  EXPECT_TRUE(IsSafeLocalName("\x95\x5c.txt"));
  FwSetCodePage(0);

  char line[300];
  FormatUnsafeNameLine(line, sizeof(line), "ftp.example.test", "..\\x");
  EXPECT_STREQ("ftp.example.test::..\\x refused: unsafe file name\r\n", line);
}

// ---- texts ----

TEST(QueueTexts, ElapsedAndSpeed)
{
  EXPECT_EQ(27u, QueueElapsedMs(1000, 1000));
  EXPECT_EQ(27u, QueueElapsedMs(1000, 1055));
  EXPECT_EQ(56u, QueueElapsedMs(1000, 1056));
  EXPECT_EQ(5032u, QueueElapsedMs(0xFFFFFF00u, 5032u - 0x100u));  // the tick wrapped

  char text[20];
  FormatQueueElapsed(text, sizeof(text), 0);
  EXPECT_STREQ("00:00:00", text);
  FormatQueueElapsed(text, sizeof(text), 3723999);
  EXPECT_STREQ("01:02:03", text);
  FormatQueueElapsed(text, sizeof(text), 59999);
  EXPECT_STREQ("00:00:59", text);
  FormatQueueElapsed(text, sizeof(text), 100u * 3600000u + 61000u);
  EXPECT_STREQ("100:01:01", text);
  FormatQueueElapsed(text, sizeof(text), 0xFFFFFFFFu);  // fits the field
  EXPECT_STREQ("1193:02:47", text);

  // Two true decimals: 1005 bytes in 100 ms is 10.05, not the remainder
  // shifted out of sight.
  FormatQueueSpeed(text, sizeof(text), 1005, 100);
  EXPECT_STREQ("10.05", text);
  FormatQueueSpeed(text, sizeof(text), 1000, 3);
  EXPECT_STREQ("333.33", text);
  FormatQueueSpeed(text, sizeof(text), 1001, 1000);
  EXPECT_STREQ("1.00", text);
  FormatQueueSpeed(text, sizeof(text), 0, 27);
  EXPECT_STREQ("0.00", text);
  FormatQueueSpeed(text, sizeof(text), 1048576, 0);  // no division by zero
  EXPECT_STREQ("1048576.00", text);
  FormatQueueSpeed(text, sizeof(text), 0xFFFFFFFFFFFFFFFFull, 7);  // cut to the field, never past it
  EXPECT_EQ(19u, std::strlen(text));

  char line[128];
  FormatWorkerEndLine(line, sizeof(line), At(8, 7, 6), 2);
  EXPECT_STREQ("2026-12-09 08:07:06 \r\n3 # already finished, exit runing. \r\n", line);
}

// ---- the counters ----

TEST(QueueCounters, ExactlyOneLastWorkerAndOneNotice)
{
  for (int run = 0; run < 50; ++run) {
    g_planThreadCount = 0;
    ReleaseQueueEndedNotice();
    std::atomic<int> lastOnes{0}, notices{0}, ready{0};
    std::vector<std::thread> workers;
    for (int i = 0; i < 10; ++i) {
      workers.emplace_back([&] {
        PlanThreadEnter();
        ready.fetch_add(1);
        while (ready.load() < 10)
          std::this_thread::yield();
        for (int k = 0; k < 20; ++k)
          if (ClaimQueueEndedNotice())
            notices.fetch_add(1);
        if (PlanThreadLeave())
          lastOnes.fetch_add(1);
      });
    }
    for (std::thread& t : workers)
      t.join();
    ASSERT_EQ(1, lastOnes.load()) << "run " << run;
    ASSERT_EQ(1, notices.load()) << "run " << run;
    ASSERT_EQ(0, g_planThreadCount.load());
  }
  ReleaseQueueEndedNotice();
  EXPECT_TRUE(ClaimQueueEndedNotice());
  EXPECT_FALSE(ClaimQueueEndedNotice());
  ReleaseQueueEndedNotice();
}

TEST(QueueCounters, StatusRecordsAreNeverNullAndFollowTheBinding)
{
  ThreadStatusRecord* standIn = ThreadStatusAt(0);
  ASSERT_NE(nullptr, standIn);
  EXPECT_EQ(nullptr, ThreadStatusAt(-1));
  EXPECT_EQ(nullptr, ThreadStatusAt(kThreadStatusRecords));

  ThreadStatusRecord mine[kThreadStatusRecords] = {};
  std::atomic<int32_t> active{1};
  BindThreadStatus(ThreadStatusBinding{mine, &active});
  EXPECT_EQ(&mine[9], ThreadStatusAt(9));
  SetTransfersActive(0);
  EXPECT_EQ(0, active.load());
  BindThreadStatus(ThreadStatusBinding{nullptr, nullptr});
  EXPECT_EQ(standIn, ThreadStatusAt(0));
}

// ---- the end of the queue (the real seam needs Windows) ----

#ifdef _WIN32
namespace {
struct EndCounts {
  std::atomic<int> confirms{0}, shutdownAsks{0}, quitAsks{0}, hangUps{0}, powerOffs{0}, closes{0};
  int answer = IDOK;
};
EndCounts* g_counts = nullptr;

int CountConfirm(UINT id)
{
  g_counts->confirms++;
  if (id == IDS_COUNTDOWN_SHUTDOWN)
    g_counts->shutdownAsks++;
  if (id == IDS_COUNTDOWN_QUIT)
    g_counts->quitAsks++;
  return g_counts->answer;
}
int CountHangUp() { return ++g_counts->hangUps; }
void CountPowerOff() { g_counts->powerOffs++; }
void CountClose() { g_counts->closes++; }
const QueueEndActions kCounting = {CountConfirm, CountHangUp, CountPowerOff, CountClose};

uint32_t Bits(std::initializer_list<int> bits)
{
  uint32_t v = 0;
  for (int b : bits)
    v |= 1u << b;
  return v;
}
}  // namespace

TEST(QueueEnd, EachActionOnceAndNothingWhileClosing)
{
  EndCounts counts;
  g_counts = &counts;
  SetQueueEndActions(&kCounting);

  // Power off wins over hang-up and quit.
  g_exitRequested = 0;
  RunQueueEndActions(Bits({OPTBIT_QUEUE_POWEROFF, OPTBIT_QUEUE_HANGUP, OPTBIT_QUEUE_QUIT}));
  EXPECT_EQ(1, counts.shutdownAsks.load());
  EXPECT_EQ(1, counts.powerOffs.load());
  EXPECT_EQ(0, counts.hangUps.load());
  EXPECT_EQ(0, counts.closes.load());
  EXPECT_EQ(1, g_exitRequested.load());

  // Closing already: nothing at all.
  RunQueueEndActions(Bits({OPTBIT_QUEUE_POWEROFF, OPTBIT_QUEUE_HANGUP, OPTBIT_QUEUE_QUIT}));
  EXPECT_EQ(1, counts.confirms.load());
  EXPECT_EQ(1, counts.powerOffs.load());

  // Hang-up, then quit.
  g_exitRequested = 0;
  RunQueueEndActions(Bits({OPTBIT_QUEUE_HANGUP, OPTBIT_QUEUE_QUIT}));
  EXPECT_EQ(1, counts.hangUps.load());
  EXPECT_EQ(1, counts.quitAsks.load());
  EXPECT_EQ(1, counts.closes.load());
  EXPECT_EQ(1, g_exitRequested.load());

  // Declined: no post, and the program keeps running.
  g_exitRequested = 0;
  counts.answer = IDCANCEL;
  RunQueueEndActions(Bits({OPTBIT_QUEUE_POWEROFF}));
  RunQueueEndActions(Bits({OPTBIT_QUEUE_QUIT}));
  EXPECT_EQ(1, counts.powerOffs.load());
  EXPECT_EQ(1, counts.closes.load());
  EXPECT_EQ(0, g_exitRequested.load());

  // No bits: nothing asked.
  const int asked = counts.confirms.load();
  RunQueueEndActions(0);
  EXPECT_EQ(asked, counts.confirms.load());

  SetQueueEndActions(nullptr);
  g_counts = nullptr;
  g_exitRequested = 0;
}
#endif
