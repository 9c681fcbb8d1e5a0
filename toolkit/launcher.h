// How the controls open web addresses and run command lines. Everything goes
// through one seam, so tests put in a recording launcher and start nothing;
// the program may point it at the engine's shell routines.
#pragma once

#include "framework/fwtypes.h"

struct ToolkitLauncher {
  // ShellExecute "open" of target; returns the shell's value (above 32 on success).
  INT_PTR (*open)(const char* target, int show);
  // Starts a command line with the show state; TRUE when it was started.
  BOOL (*run)(const char* commandLine, int show);
};

// Null puts the real launcher back.
void SetToolkitLauncher(const ToolkitLauncher* launcher);

INT_PTR ToolkitOpen(const char* target, int show);
BOOL ToolkitRun(const char* commandLine, int show);
