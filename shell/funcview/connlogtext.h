// The connection log as text: what Copy to Clipboard and Save to File make of
// the log's rows.
#pragma once

#include <vector>

#include "framework/fwstring.h"

// Two leading blanks (the clipboard routine drops them), then every row, each
// followed by CR LF unless the text then already ends with CR or LF.
CString ConnLogClipboardText(const std::vector<CString>& rows);

// Writes every row (at most 257 characters of it, its trailing CR and LF
// removed) followed by CR LF. False, nothing written, when the file cannot be
// created; false too when a write fails.
bool SaveConnLogRows(const char* path, const std::vector<CString>& rows);
// The same over the ring's rows, taken at once.
bool SaveConnLog(const char* path);
