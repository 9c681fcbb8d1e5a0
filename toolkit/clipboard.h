// The clipboard routines: plain text, and the private payload format
// "ZARNClipData" that moves entries between panes by Copy and Paste. Each
// routine takes the window that owns the clipboard and closes the clipboard
// again on every path.
//
// To these routines the payload is a 540-byte record, put on the clipboard as
// the first 540 bytes of a zero-filled 542-byte block. The word at offset 16
// carries the producing process's id: the record names entries that only that
// process can reach, so a block of another process (another running instance,
// or any program using the name) is never handed on. The record's fields and
// the release of its entries belong to the payload's own code, which registers
// that release here.
#pragma once

#include "framework/wnd.h"

extern UINT g_clipFormat;  // registered from "ZARNClipData" before start-up runs
extern const char kClipFormatName[];

constexpr UINT kClipPayloadSize = 540;
constexpr UINT kClipBlockSize = 542;
constexpr UINT kClipProducerOffset = 16;

// Called once with the last record this process put on the clipboard, when that
// copy is given up (another copy, a text, or a clear). Null: nothing to release.
typedef void (*ClipPayloadReleaseFn)(const void* record);
void SetClipPayloadRelease(ClipPayloadReleaseFn release);

// The text without its first two characters (the callers' separator) as CF_TEXT;
// a text under two characters goes on as an empty text. FALSE when the
// clipboard cannot be opened or no memory is had.
BOOL CopyTextToClipboard(const char* text, CWnd* owner);
// At most size - 1 bytes of the CF_TEXT block, never past its end, terminated.
// FALSE, nothing written, without a text, with size below 1, or when the
// clipboard cannot be opened.
BOOL GetClipboardText(char* buffer, int size, CWnd* owner);
BOOL GetClipboardTextSize(UINT* size, CWnd* owner);
// The 540-byte record, stamped with this process's id, in the private format.
BOOL CopyPayloadToClipboard(const void* record, CWnd* owner);
// The first 540 bytes of a private block this process put there; FALSE for no
// block, a block under 540 bytes, or one of another process.
BOOL GetPayloadFromClipboard(void* record, CWnd* owner);
// Releases the entries of the record this process last put on the clipboard
// (once); nothing read from the clipboard is freed.
void ReleaseClipboardPayload();
// ReleaseClipboardPayload, then the clipboard is emptied.
void ClearClipboard(CWnd* owner);
