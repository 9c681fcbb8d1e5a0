#include "toolkit/launcher.h"

#include <shellapi.h>

#include <string>

namespace {
INT_PTR RealOpen(const char* target, int show) {
  return (INT_PTR)ShellExecuteA(nullptr, "open", target, nullptr, nullptr, show);
}

BOOL RealRun(const char* commandLine, int show) {
  std::string line = commandLine ? commandLine : "";  // CreateProcess may write to it
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = (WORD)show;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return FALSE;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return TRUE;
}

const ToolkitLauncher kRealLauncher = {RealOpen, RealRun};
const ToolkitLauncher* g_launcher = &kRealLauncher;
}  // namespace

void SetToolkitLauncher(const ToolkitLauncher* launcher) { g_launcher = launcher ? launcher : &kRealLauncher; }

INT_PTR ToolkitOpen(const char* target, int show) { return g_launcher->open(target, show); }
BOOL ToolkitRun(const char* commandLine, int show) { return g_launcher->run(commandLine, show); }
