// The connection log ring.
#include "engine/connlog.h"

#include <cstdio>
#include <cstring>

#include "framework/sync.h"

char g_connLog[kConnLogLines][kConnLogLineLen];
int32_t g_connLogStart = 0;
int32_t g_connLogWrite = 0;
int32_t g_connLogCount = 0;

namespace {
uint64_t g_connLogWritten = 0;  // under the ring's lock
}  // namespace

namespace {

// Made on first use, so a line logged during start-up finds it.
CCriticalSection& RingLock()
{
  static CCriticalSection lock;
  return lock;
}

struct RingGuard {
  RingGuard() { RingLock().Lock(); }
  ~RingGuard() { RingLock().Unlock(); }
  RingGuard(const RingGuard&) = delete;
  RingGuard& operator=(const RingGuard&) = delete;
};

}  // namespace

void ConnLogWrite(const char* text)
{
  if (text == nullptr)
    text = "";
  size_t n = strnlen(text, kConnLogMaxText + 1);
  if (n > kConnLogMaxText) {
    // Cut at a character boundary: half a double-byte character would show as
    // garbage.
    n = 0;
    for (;;) {
      int len = FwCharLen(text + n);
      if (len <= 0 || n + (size_t)len > (size_t)kConnLogMaxText)
        break;
      n += (size_t)len;
    }
  }
  RingGuard guard;
  if (g_connLogWrite >= kConnLogLines || g_connLogWrite < 0) {
    g_connLogWrite = 0;
    g_connLogStart = 200;
    g_connLogCount = 200;
  }
  if (g_connLogWrite == g_connLogStart && g_connLogCount != 0) {
    g_connLogStart = 0;
    g_connLogCount = 200;
  }
  char* line = g_connLog[g_connLogWrite];
  memcpy(line, text, n);
  line[n] = '\0';
  ++g_connLogWrite;
  ++g_connLogCount;
  ++g_connLogWritten;
}

void ConnLogPrintfV(const char* format, va_list args)
{
  if (format == nullptr)
    return;
  // Larger than a line, so that the writer makes the cut.
  char line[1024];
  int n = vsnprintf(line, sizeof(line), format, args);
  if (n < 0)
    line[0] = '\0';
  ConnLogWrite(line);
}

void ConnLogPrintf(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  ConnLogPrintfV(format, args);
  va_end(args);
}

void ConnLogClear()
{
  RingGuard guard;
  g_connLogStart = 0;
  g_connLogWrite = 0;
  g_connLogCount = 0;
  for (int i = 0; i < kConnLogLines; ++i)
    g_connLog[i][0] = '\0';
}

namespace {

// Under the ring's lock.
int RowsHeld()
{
  if (g_connLogStart == 0)
    return g_connLogCount;
  return g_connLogCount > 0 ? g_connLogCount - 1 : 0;
}

// Under the ring's lock; row inside 0..RowsHeld()-1.
int LineOfRow(int row)
{
  if (g_connLogStart == 0)
    return row;
  const int oldRows = kConnLogLines - g_connLogStart;
  return row < oldRows ? g_connLogStart + row : row - oldRows;
}

CString LineText(int line)
{
  if (line < 0 || line >= kConnLogLines)
    return CString();
  return CString(g_connLog[line], (int)strnlen(g_connLog[line], kConnLogLineLen - 1));
}

}  // namespace

int ConnLogCount()
{
  RingGuard guard;
  return RowsHeld();
}

CString ConnLogRowText(int row)
{
  RingGuard guard;
  const int line = row >= 0 && row < RowsHeld() ? LineOfRow(row) : 0;
  return LineText(line);
}

std::vector<CString> ConnLogRows()
{
  RingGuard guard;
  const int rows = RowsHeld();
  std::vector<CString> out;
  out.reserve((size_t)(rows > 0 ? rows : 0));
  for (int row = 0; row < rows; ++row)
    out.push_back(LineText(LineOfRow(row)));
  return out;
}

uint64_t ConnLogWritten()
{
  RingGuard guard;
  return g_connLogWritten;
}
