// The queue's transfer status without windows: what a worker's begin and
// finish messages do to its record and the main window's counts, and what each
// tick of the status timer shows. The main window (and the queue tests' stand-in
// for it) call these; the window only shows their results.
#pragma once

#include <atomic>
#include <cstdint>

#include "shell/doc/threadstatus.h"

constexpr unsigned kStatusTimerId = 1;
constexpr unsigned kStatusFirstTickMs = 1500;
constexpr unsigned kStatusTickMs = 2000;
constexpr int kStatusPanes = 12;

// The main window's status fields.
struct StatusDisplayState {
  int32_t finishedUploads = 0;
  int32_t finishedDownloads = 0;
  uint64_t lastUploadTotal = 0;    // the running totals at the last update
  uint64_t lastDownloadTotal = 0;
  uint32_t startTick = 0;          // when the display started
  uint32_t lastUpdateTick = 0;
  bool timerRunning = false;       // timer 1 is set
};

enum class StatusBegin {
  Ignored,       // no such worker
  Recorded,      // the record was reset for the new file
  StartDisplay,  // and the display must start with timer 1 (first begin of a run)
};

// A worker's begin (either direction): its record is reset for a file of
// fileSize; the first begin while transfers are not active marks them active.
StatusBegin StatusOnBegin(StatusDisplayState& state, ThreadStatusRecord* records, std::atomic<int32_t>& active,
                          int worker, uint32_t fileSize, uint32_t now);

// The display starts: both ticks are now and the running totals are taken as
// the last ones (a period measures only its own bytes).
void StatusOnStart(StatusDisplayState& state, uint64_t uploadTotal, uint64_t downloadTotal, uint32_t now);

// A worker's finish: its record stops and its done flag of the direction adds
// to that direction's count. False for no such worker.
bool StatusOnFinish(StatusDisplayState& state, ThreadStatusRecord* records, int worker);

// What one tick shows.
struct StatusTickTexts {
  char uploads[16];     // pane 3
  char downloads[16];   // pane 5
  char uploadSpeed[32];
  char downloadSpeed[32];
  char elapsed[32];     // pane 11
};

// One tick with the lock held: the counts, each direction's speed over the
// period since the last update, and the time since the start; the totals and
// now become the last update.
void StatusOnTick(StatusDisplayState& state, uint64_t uploadTotal, uint64_t downloadTotal, uint32_t now,
                  StatusTickTexts& out);

// The texts of the panes when the display starts: 0 "Start Time:", 1 the local
// time, ... 11 "00:00:00"; the number and speed panes (3, 5, 7, 9) are fields.
const char* StatusPaneText(int pane);
void FormatStatusClock(char* out, unsigned size, int hour, int minute, int second);
// Pixel widths of the field panes; label panes are as wide as their texts.
int StatusFieldWidth(int pane);  // 0 for a label pane
