// The texts and decisions of the confirmation boxes that need no window: what a
// count-down answers, the replace box's message and its count-down line, and the
// command line that opens a file when the shell has no association for it.
#pragma once

#include <cstdint>

#include "framework/fwstring.h"

class CPlanItem;

// The answers of the boxes (the dialog results IDOK and IDCANCEL).
constexpr int kConfirmAnswerOk = 1;
constexpr int kConfirmAnswerCancel = 2;

// What ShowConfirmDlg answers when the count-down runs out for a string: Cancel
// for the prompts that delete something (a prompt left alone must not delete),
// OK for every other one.
int ConfirmTimeoutAnswer(unsigned stringId);

// The message of the "Confirm File Replace" box: the folder (for an upload the
// item's host, "::" and remote folder; for a download its local folder), the
// file name, the existing file's size and the item's size, both with thousands
// separators. A negative size shows as 0.
CString FormatReplaceMessage(const CPlanItem& item, bool upload, const char* fileName, int64_t existingSize);

// The count-down lines: "%d sec auto-close" (confirmation box) and
// "%d sec auto-close." (replace box).
CString FormatConfirmCountdown(int seconds);
CString FormatReplaceCountdown(int seconds);

// The command line that opens target with the program of an "open" command: the
// command is cut at "\"%1\"", else at "%1" (blanks before the cut dropped), then
// a blank and the target in double quotes follow. Without either the whole
// command is kept and the quoted target appended.
CString BuildOpenCommandLine(const char* command, const char* target);

// A new name for a file being transferred: not empty, shorter than 260 bytes,
// not "." or "..", no folder part, none of \ / : * ? " < > | nor control
// characters, and no trailing dot or blank (the system would drop them and the
// name would meet the existing file again).
bool IsValidTransferName(const char* name);
// Its test of the characters alone: not empty, not "." or "..", none of
// \ / : * ? " < > | nor control characters. Trailing dots and blanks pass (a
// name typed for a local entry keeps them as the user wrote it).
bool HasOnlyNameCharacters(const char* name);
