// The engine's calls into the shell: open by association, the registry's
// default values, and the system image list's icons for files and folders.
//
// Opening and running go through a seam (ShellOpen, RunCommand), so tests put in
// a recording runner and never launch a program.
#pragma once

#include "framework/afxwin.h"

#include <shellapi.h>

constexpr size_t kRegistryDefaultLen = 260;  // ReadRegistryDefault's output, NUL included

// The seam. open: ShellExecuteA "open" of target, returning the shell's value
// (above 32 on success). run: starts a command line with the show state; TRUE
// when the program was started.
struct ShellRunner {
  INT_PTR (*open)(const char* target, int show);
  BOOL (*run)(const char* commandLine, int show);
};
// Null puts the real runner back.
void SetShellRunner(const ShellRunner* runner);

INT_PTR ShellOpen(const char* target, int show);
BOOL RunCommand(const char* commandLine, int show);

// The second seam: the shell's file operation (copy, delete to the recycle bin)
// and the Properties sheet of a path, so tests record them and fake failures.
// fileOperation: SHFileOperationA's contract (0 on success; the aborted flag of
// the structure set when the user cancelled). properties: TRUE when the sheet
// was opened.
struct ShellFileRunner {
  int (*fileOperation)(SHFILEOPSTRUCTA* op);
  BOOL (*properties)(const char* path, HWND owner);
};
// Null puts the real shell back.
void SetShellFileRunner(const ShellFileRunner* runner);

int ShellFileOperation(SHFILEOPSTRUCTA* op);
BOOL ShowShellProperties(const char* path, HWND owner);

// The default value of root\subkey into out (kRegistryDefaultLen bytes), always
// NUL-terminated and empty on any failure. Returns 0, or the error of the open
// or of the query (ERROR_FILE_NOT_FOUND without a default value, ERROR_MORE_DATA
// when it does not fit, ERROR_UNSUPPORTED_TYPE when it is no text).
LONG ReadRegistryDefault(HKEY root, const char* subkey, char* out);

// Opens target with its associated program. When the shell answers 32 or less,
// the "open" command of the ".htm" document type is run with target in quotes.
// Returns the shell's value.
INT_PTR OpenWithShell(const char* target, int show);

// The small system icon of an existing path (and its open icon when asked) and
// the shell's display name (displayNameOut: MAX_PATH bytes). Outputs may be
// null; they are written only on success. No icon handle is made.
BOOL GetShellIconIndex(char* displayNameOut, const char* path, int* iconOut, int* openIconOut);

// The same without touching the disk: kind 7 (folder) is asked as a folder, any
// other kind as a normal file; the open icon is always a folder's.
BOOL GetShellIconIndexByName(const char* name, int* iconOut, int* openIconOut, int kind);
