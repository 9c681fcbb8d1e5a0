// Drives the manual console from a second thread as a user does: fills the
// connection fields, clicks its buttons, types commands and reads the log.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>

namespace consoledriver {

constexpr const char* kCaption = "ZARN-Manual Control Center";

// The whole log (1002), however long.
std::string LogText(HWND box);
// Empties the log, so the next step's lines stand alone.
void ClearLog(HWND box);
// A line of the log that starts with prefix.
bool HasLine(const std::string& log, const std::string& prefix);
// Waits until pred(log) holds; false when the time is up.
bool WaitLog(HWND box, const std::function<bool(const std::string&)>& pred, DWORD timeoutMs = 20000);
bool WaitLine(HWND box, const std::string& prefix, DWORD timeoutMs = 20000);

// Fills address, port, user and password and clicks Connect; true once the
// server's login reply (230) is in the log.
bool Connect(HWND box, int port, const std::string& user, const std::string& password, DWORD timeoutMs = 20000);
// Types the command into 1003 and clicks Send; the log is cleared first.
void Type(HWND box, const std::string& command);
// Type, then waits for a data transfer to end with a reply starting with
// code ("226", "550"): that reply and the data side's close line both in
// the log. The log of the step comes back.
std::string Transfer(HWND box, const std::string& command, const std::string& code = "226",
                     DWORD timeoutMs = 30000);
// Type, then waits for a reply line starting with code.
std::string Reply(HWND box, const std::string& command, const std::string& code, DWORD timeoutMs = 20000);
// Runs the settings dialog through Options: set(settingsBox) changes its
// controls, then OK.
bool Settings(HWND box, const std::function<void(HWND)>& set);

// Files, whole.
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Bytes i of which is (i * 7 + 3) mod 256 (the scripted server's pattern).
std::string Pattern(size_t n);

}  // namespace consoledriver
