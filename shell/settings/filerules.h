// File Exists rules: what a transfer does when its destination file already
// exists. Six 3-bit fields in one word (the "FILERULE" setting):
//
//   bits  0- 2  download, local file larger      bits  9-11  upload, remote file larger
//   bits  3- 5  download, local file same size   bits 12-14  upload, remote file same size
//   bits  6- 8  download, local file smaller     bits 15-17  upload, remote file smaller
//
// Every reader and writer of the word goes through FileRuleGet/FileRuleSet; no
// other code shifts these bits. Plain C++, no Win32.
#pragma once

#include <atomic>
#include <cstdint>

enum FileRuleDirection : int {
    FILERULE_DOWNLOAD = 0,
    FILERULE_UPLOAD = 1,
};

// The existing destination file compared with the source file.
enum FileRuleSize : int {
    FILERULE_LARGER = 0,
    FILERULE_SAME = 1,
    FILERULE_SMALLER = 2,
};

// Field values; the File Exists dialog's combo index equals the field value.
enum : int {
    FILERULE_ASK = 0,
    FILERULE_OVERWRITE = 1,
    FILERULE_SKIP = 2,
    FILERULE_RESUME = 3,          // "smaller" fields only
    FILERULE_RENAME_SMALLER = 4,  // "smaller" fields only
    FILERULE_RENAME = 3,          // "same" and "larger" fields
};

// What a field means, independent of its column.
enum FileExistsAction : int {
    FEA_ASK = 0,
    FEA_OVERWRITE = 1,
    FEA_SKIP = 2,
    FEA_RESUME = 3,
    FEA_RENAME = 4,
};

constexpr uint32_t kFileRuleMask = 0x3FFFF;  // the 18 bits in use

// Highest valid value of a field in that column (4 for "smaller", else 3).
int FileRuleMaxValue(FileRuleSize size);

// The field's value; a value not valid in its column reads as Overwrite.
int FileRuleGet(uint32_t word, FileRuleDirection direction, FileRuleSize size);

// The word with one field replaced; an invalid value is stored as Overwrite.
uint32_t FileRuleSet(uint32_t word, FileRuleDirection direction, FileRuleSize size, int value);

// The field's meaning.
FileExistsAction FileRuleAction(uint32_t word, FileRuleDirection direction, FileRuleSize size);

// True when all three fields of the direction hold this value.
bool FileRuleAll(uint32_t word, FileRuleDirection direction, int value);

// The saved rules ("FILERULE"); 0 asks in all six cases. Atomic: "&Configure"
// in the replace box runs the File Exists dialog on the queue worker's thread
// that asked, and its OK writes this word while other workers read it.
extern std::atomic<uint32_t> g_fileRule;

// The running queue's working copy of g_fileRule; -1 = not primed. Queue
// workers and the replace box change it from several threads.
extern std::atomic<int32_t> g_queueFileExistsRules;

// A queue worker primes the working copy from g_fileRule when it is -1.
void PrimeQueueFileExistsRules();

// The replace box's "remember this answer": one field of the working copy
// (primed first when it is not).
void QueueFileRuleSet(FileRuleDirection direction, FileRuleSize size, int value);

// The File Exists dialog's OK: the saved rules and the queue's copy alike.
void ApplyFileRuleFromDialog(uint32_t word);
