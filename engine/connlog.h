// The connection log: a ring of 399 lines that every engine thread writes and
// the connection-log pane shows. Lines are "host::text", most ending in CR LF;
// each keeps at most 258 characters.
//
// Index rules of a write: when the write index has reached 399 it returns to 0
// and start and count become 200; when the write index meets the start index of
// a ring that holds lines, start becomes 0 and count 200; the line is stored at
// the write index, which then moves on, and the count grows by one.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <vector>

#include "framework/fwstring.h"

constexpr int kConnLogLines = 399;
constexpr int kConnLogLineLen = 260;
constexpr int kConnLogMaxText = 258;  // characters kept of one line

// Written only under the ring's lock; read them through the functions below.
extern char g_connLog[kConnLogLines][kConnLogLineLen];
extern int32_t g_connLogStart;  // oldest line after a wrap, else 0
extern int32_t g_connLogWrite;  // next line to write
extern int32_t g_connLogCount;  // lines counted since the last reset

// One line, cut to 258 characters. Safe from any thread.
void ConnLogWrite(const char* text);
// A formatted line; arguments may be of any length (the result is cut).
void ConnLogPrintf(const char* format, ...) FW_PRINTF_FORMAT(1, 2);
void ConnLogPrintfV(const char* format, va_list args);

// Start, write and count 0 and every line empty (the pane's Clear).
void ConnLogClear();

// The number of rows the pane shows: the lines held. After a wrap the count
// restarts at 200 while only 199 of the old lines remain, so the rows are one
// fewer than the count then.
int ConnLogCount();
// The line of row `row` (0 = the oldest line held): with start 0 row i is line
// i; after a wrap the rows run from line start to the ring's end, then from
// line 0. A row outside the rows shows line 0.
CString ConnLogRowText(int row);
// Every row, oldest first, taken under one lock: read row by row, a writer in
// between shifts the rows, and a line shows twice or not at all.
std::vector<CString> ConnLogRows();
// Lines ever written (a Clear does not reset it): moves on every write even
// when the row count comes back to a value it had.
uint64_t ConnLogWritten();
