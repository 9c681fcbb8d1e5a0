// The connection log ring: index rules, the rows the pane shows, bounded lines
// and writers on many threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/connlog.h"

namespace {

void WriteNumbered(int from, int to)
{
  for (int i = from; i <= to; ++i)
    ConnLogPrintf("h::line %d\r\n", i);
}

std::string Row(int row) { return std::string(ConnLogRowText(row).GetString()); }

std::string Numbered(int i) { return "h::line " + std::to_string(i) + "\r\n"; }

TEST(ConnLog, FirstWrapAndSecondTurn)
{
  ConnLogClear();
  WriteNumbered(1, 399);
  EXPECT_EQ(g_connLogWrite, 399);
  EXPECT_EQ(g_connLogStart, 0);
  EXPECT_EQ(g_connLogCount, 399);
  EXPECT_EQ(Row(0), Numbered(1));
  EXPECT_EQ(Row(398), Numbered(399));

  WriteNumbered(400, 400);  // lands in line 0
  EXPECT_EQ(g_connLogWrite, 1);
  EXPECT_EQ(g_connLogStart, 200);
  EXPECT_EQ(g_connLogCount, 201);
  EXPECT_EQ(std::string(g_connLog[0]), Numbered(400));
  // Lines 200..398 are the old ones, line 0 the new one: 200 rows, no gap.
  EXPECT_EQ(ConnLogCount(), 200);
  EXPECT_EQ(Row(0), Numbered(201));
  EXPECT_EQ(Row(198), Numbered(399));
  EXPECT_EQ(Row(199), Numbered(400));
  EXPECT_EQ(Row(200), Numbered(400));  // outside the rows: line 0
  EXPECT_EQ(Row(-1), Numbered(400));

  WriteNumbered(401, 600);
  EXPECT_EQ(g_connLogWrite, 201);
  EXPECT_EQ(g_connLogStart, 0);
  EXPECT_EQ(g_connLogCount, 201);
  EXPECT_EQ(Row(0), Numbered(400));
  EXPECT_EQ(Row(200), Numbered(600));
}

// The sequence number of a row written by WriteNumbered, -1 when it is not one.
int NumberOf(const CString& row)
{
  int n = -1;
  return sscanf(row.GetString(), "h::line %d", &n) == 1 ? n : -1;
}

// After any number of writes, with or without a Clear on the way, the rows are
// the lines held oldest first, one after another, the newest last; row by row
// and all at once alike.
TEST(ConnLog, RowsAreTheLinesHeldInOrderAfterEveryWrite)
{
  for (int clearAt : {-1, 250, 777}) {
    ConnLogClear();
    EXPECT_EQ(ConnLogCount(), 0);
    EXPECT_TRUE(ConnLogRows().empty());
    int first = 1;  // the first line written since the last Clear
    uint64_t written = ConnLogWritten();
    for (int i = 1; i <= 2000; ++i) {
      if (i == clearAt) {
        ConnLogClear();
        first = i;
      }
      WriteNumbered(i, i);
      ASSERT_EQ(ConnLogWritten(), written + 1) << i;
      written = ConnLogWritten();
      const std::vector<CString> rows = ConnLogRows();
      const int count = ConnLogCount();
      ASSERT_EQ((int)rows.size(), count) << i;
      ASSERT_GE(count, std::min(i - first + 1, 199)) << i;
      ASSERT_LE(count, kConnLogLines) << i;
      ASSERT_EQ(NumberOf(rows.back()), i) << i;
      const int oldest = NumberOf(rows.front());
      ASSERT_GE(oldest, first) << i;
      for (int r = 0; r < count; ++r)
        ASSERT_EQ(NumberOf(rows[(size_t)r]), oldest + r) << "write " << i << " row " << r;
      for (int r : {0, count / 2, count - 1})
        ASSERT_EQ(Row(r), std::string(rows[(size_t)r].GetString())) << i;
    }
  }
}

TEST(ConnLog, EveryRowStaysInsideTheRing)
{
  ConnLogClear();
  for (int i = 1; i <= 2000; ++i) {
    ConnLogPrintf("h::%d\r\n", i);
    ASSERT_GE(g_connLogWrite, 0);
    ASSERT_LE(g_connLogWrite, kConnLogLines);
    ASSERT_TRUE(g_connLogStart == 0 || g_connLogStart == 200);
    const int count = ConnLogCount();
    for (int row : {0, 199, 200, count - 1, count, count + 500}) {
      std::string text = Row(row);
      ASSERT_LT(text.size(), (size_t)kConnLogLineLen);
    }
  }
}

TEST(ConnLog, LinesKeepAtMost258Characters)
{
  ConnLogClear();
  std::string longLine(300, 'x');
  ConnLogWrite(longLine.c_str());
  EXPECT_EQ(Row(0), std::string(258, 'x'));

  // A server line of any length through the formatting writer.
  std::string reply(5000, 'r');
  ConnLogPrintf("%s::Reply: %s\r\n", "host", reply.c_str());
  std::string row = Row(1);
  EXPECT_EQ(row.size(), 258u);
  EXPECT_EQ(row.rfind("host::Reply: rrr", 0), 0u);

  ConnLogWrite(nullptr);
  EXPECT_EQ(Row(2), "");
  EXPECT_EQ(ConnLogCount(), 3);

  // GBK text is never cut inside a character.
  FwSetCodePage(936);
  std::string chinese = "x";
  for (int i = 0; i < 150; ++i)
    chinese += "\xD6\xD0";
  ConnLogWrite(chinese.c_str());
  FwSetCodePage(0);
  EXPECT_EQ(Row(3), chinese.substr(0, 257));
}

TEST(ConnLog, ClearEmptiesTheRing)
{
  WriteNumbered(1, 450);
  ConnLogClear();
  EXPECT_EQ(g_connLogStart, 0);
  EXPECT_EQ(g_connLogWrite, 0);
  EXPECT_EQ(ConnLogCount(), 0);
  for (int i = 0; i < kConnLogLines; ++i)
    ASSERT_EQ(g_connLog[i][0], '\0');
  EXPECT_EQ(Row(0), "");
}

// "T<thread>:<serial>:" then filler of the thread's own letter up to a length
// that depends on the serial, then CR LF.
std::string MakeLine(int thread, int serial)
{
  char head[32];
  snprintf(head, sizeof(head), "T%d:%d:", thread, serial);
  std::string line(head);
  line.append(20 + (size_t)(serial % 200), (char)('a' + thread));
  line += "\r\n";
  return line;
}

bool WellFormed(const std::string& line)
{
  if (line.empty())
    return true;
  int thread = -1, serial = -1;
  if (sscanf(line.c_str(), "T%d:%d:", &thread, &serial) != 2 || thread < 0 || thread > 7 || serial < 0)
    return false;
  return line == MakeLine(thread, serial);
}

TEST(ConnLog, ManyWritersLeaveOnlyWholeLines)
{
  ConnLogClear();
  const int threads = 8;
  const int perThread = 10000;
  std::atomic<bool> done{false};
  std::atomic<int> tornRows{0};
  std::thread reader([&] {
    while (!done) {
      const int count = ConnLogCount();
      for (int row = 0; row < count && row < 400; row += 7) {
        if (!WellFormed(Row(row)))
          ++tornRows;
      }
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < threads; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < perThread; ++i)
        ConnLogWrite(MakeLine(t, i).c_str());
    });
  }
  for (std::thread& w : writers)
    w.join();
  done = true;
  reader.join();

  EXPECT_EQ(tornRows.load(), 0);
  EXPECT_GE(g_connLogWrite, 0);
  EXPECT_LE(g_connLogWrite, kConnLogLines);
  for (int i = 0; i < kConnLogLines; ++i)
    ASSERT_TRUE(WellFormed(g_connLog[i])) << i << ": " << g_connLog[i];
  const int count = ConnLogCount();
  EXPECT_GT(count, 0);
  for (int row = 0; row < count; ++row)
    ASSERT_TRUE(WellFormed(Row(row))) << row;
}

}  // namespace
