// The queue workers' pure rules and shared state: what to do when a transfer's
// destination already exists (the File Exists rules), the names and texts the
// workers write, and the process-wide counters that decide which worker is the
// last one. Plain C++ (framework core only): the decisions are tested natively.
//
// A worker decides a file like this:
//
//   FileExistsCase c{direction, sourceSize, destSize, failedAttempts,
//                    OptionBit(OPTBIT_FILE_EXISTS_RULES), rules};
//   if (!FileExistsNeedsLookup(c))          -> overwrite, no SIZE, no lookup
//   c.destSize = <remote SIZE answer / local file size, or kNoDestination>;
//   CSingleLock lock(&g_queueFileExistsSection, TRUE);
//   c.rules = <g_queueFileExistsRules, primed>;
//   FileExistsDecision d = DecideFileExists(c);
//   if (d.answer == QANSWER_ASK) {
//     <CConfirmReplaceDlg, resume button enabled only when d.resumeAllowed>
//     d = MapReplaceResult(d, result, <g_queueFileExistsRules after the box>);
//   }
//   g_queueFileExistsRules = d.rules;
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>

#include "framework/sync.h"
#include "shell/settings/filerules.h"

// ---- the File Exists decision ----

// What the worker does with the file. The values of overwrite, skip and resume
// are the worker's file-exists answer field.
enum QueueAnswer : int32_t {
  QANSWER_ASK = 0,        // show the replace box, then MapReplaceResult
  QANSWER_OVERWRITE = 2,  // transfer from the start, the destination made anew
  QANSWER_SKIP = 3,       // transfer nothing; the item ends finished
  QANSWER_RESUME = 4,     // continue at FileExistsDecision::offset
  QANSWER_RENAME = 5,     // transfer from the start under a new destination name:
                          // the rules' rename: QueueRenamedName (time prefix);
                          // the box's rename (result 8): the box's new name
};

// The destination size when there is no destination: no local file, no answer
// to SIZE, or the connection was lost while asking.
constexpr int64_t kNoDestination = -1;

struct FileExistsCase {
  FileRuleDirection direction;  // FILERULE_UPLOAD: destination is the server's file
  int64_t sourceSize;           // local file (upload), item's size (download); 0 = unknown
  int64_t destSize;             // existing destination's size, or kNoDestination
  int32_t failedAttempts;       // the item's retry counter
  bool useRules;                // option bit 27 ("Use File Exist Rules")
  uint32_t rules;               // the queue's working copy of the rules (primed)
};

struct FileExistsDecision {
  QueueAnswer answer;
  int64_t offset;          // resume: bytes of the destination kept; else 0
  int64_t destSize;        // the destination's size as decided on (kNoDestination: none)
  uint32_t rules;          // the rules word to store back (changed only by the box's "all" answers)
  FileRuleDirection direction;
  FileRuleSize sizeCase;   // the field the decision read (meaningful when a rule field was read)
  bool resumeAllowed;      // the box may offer Resume: the "smaller" case only
};

// False when the answer is overwrite without looking at the destination:
// option bit 27 clear, or all three fields of the direction Overwrite, and no
// failed attempts. The worker then sends no SIZE and asks nothing.
bool FileExistsNeedsLookup(const FileExistsCase& c);

// The decision, without side effects (the caller holds
// g_queueFileExistsSection around it and the box):
// - no lookup needed (above): overwrite;
// - no destination, or an upload whose remote size is 0: overwrite;
// - failed attempts: a retry, decided without asking: resume at the
//   destination size when 0 < destination < source, skip (already complete)
//   when equal, overwrite when larger or when the destination is empty; with an
//   unknown source size (0) resume at the destination size;
// - option bit 27 clear: overwrite;
// - otherwise the field of the case (destination the same, larger or smaller
//   than the source) read through FileRuleGet: Ask, Overwrite, Skip, Resume
//   ("smaller" only, at the destination size) or Rename.
FileExistsDecision DecideFileExists(const FileExistsCase& c);

// The replace box's result (REPLACE_OVERWRITE 2 .. REPLACE_RENAME 8) applied to
// an asked decision. rulesNow is the working copy as it is after the box (its
// "Configure" may have changed it); the returned rules word is rulesNow with
// the case's field set for the "all" answers: 5 overwrite and field 1, 6 skip
// and field 2, 7 resume and field 3. 2 overwrite, 3 skip, 4 resume, 8 rename.
// Resume (4, 7) outside the "smaller" case overwrites and changes no field (a 3
// there would mean rename). Any other result skips.
FileExistsDecision MapReplaceResult(const FileExistsDecision& asked, int32_t result, uint32_t rulesNow);

// The rules' rename: "%H-%M-%S-" of the given local time in front of the name.
// False (out emptied) when the result does not fit: a cut name is another file.
bool QueueRenamedName(char* out, size_t size, const char* name, const struct tm& localTime);

// ---- texts ----

// The elapsed time of a transfer from its start tick to now (the tick wraps);
// 27 when it is below 56 ms.
uint32_t QueueElapsedMs(uint32_t startTick, uint32_t nowTick);

// "%.2d:%.2d:%.2d": hours, minutes, seconds of elapsed milliseconds.
void FormatQueueElapsed(char* out, size_t size, uint32_t elapsedMs);

// "%ld.%02ld": bytes per millisecond with two true decimals (elapsed 0 counts as 1).
void FormatQueueSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs);

// The log line of a worker that finished something when it ends:
// "%s\r\n%d # already finished, exit runing. \r\n" with the local time as
// "%Y-%m-%d %H:%M:%S " and the worker's index plus 1.
void FormatWorkerEndLine(char* out, size_t size, const struct tm& localTime, int index);

// The log line of a refused local name (host, name).
void FormatUnsafeNameLine(char* out, size_t size, const char* host, const char* name);
constexpr const char* kUnsafeNameLineFormat = "%s::%s refused: unsafe file name\r\n";

// ---- process-wide queue state ----

// Workers between their start and their end.
extern std::atomic<int32_t> g_planThreadCount;
// Set while a UWM_QUEUE_ENDED notice is pending (one at a time); cleared by the
// last worker and by the queue pane.
extern std::atomic<int32_t> g_queueRunning;
// Held around each File Exists decision and its replace box, so at most one
// box shows at a time.
extern CCriticalSection g_queueFileExistsSection;

// A worker starts: the count after it.
int32_t PlanThreadEnter();
// A worker ends: true for exactly the worker whose decrement reached 0 (the
// last one, which runs the end-of-queue actions).
bool PlanThreadLeave();
// True for the one caller that turned g_queueRunning from 0 to 1: it posts the
// queue-ended notice; everybody else posts nothing.
bool ClaimQueueEndedNotice();
// g_queueRunning := 0.
void ReleaseQueueEndedNotice();

// Whether the worker of a slot (0..9) still looks for items. Start Queue that
// meets a live worker asks it to look once more instead of starting another;
// a worker ends only when nobody asked, so a Start that lands while the
// worker is leaving is not lost.
// The document, before a new worker of the slot runs: it looks.
void QueueSlotArm(int slot);
// The document: true when the slot's worker will look (again) for items;
// false when it is past its last look (let it end, then start another).
bool QueueSlotAskAgain(int slot);
// The worker, out of items: true when it may end; false when it was asked to
// look once more (it looks, and asks again when it is out of items).
bool QueueSlotLeave(int slot);
