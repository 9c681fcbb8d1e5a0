#include "tests/console/consoledriver.h"

#include <cstdio>
#include <vector>

#include "console/consoleres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/xside.h"

namespace consoledriver {

std::string LogText(HWND box)
{
  HWND log = ::GetDlgItem(box, IDC_CTRL_LOG);
  DWORD_PTR length = 0;
  if (!::SendMessageTimeoutA(log, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 2000, &length))
    return std::string();
  std::vector<char> text(length + 2, '\0');
  DWORD_PTR got = 0;
  if (!::SendMessageTimeoutA(log, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)text.data(), SMTO_NORMAL, 2000, &got))
    return std::string();
  return std::string(text.data(), got < text.size() ? got : text.size() - 1);
}

void ClearLog(HWND box) { boxdriver::SetItemText(box, IDC_CTRL_LOG, ""); }

bool HasLine(const std::string& log, const std::string& prefix)
{
  for (size_t start = 0; start < log.size();) {
    if (log.compare(start, prefix.size(), prefix) == 0)
      return true;
    const size_t next = log.find("\r\n", start);
    if (next == std::string::npos)
      break;
    start = next + 2;
  }
  return false;
}

bool WaitLog(HWND box, const std::function<bool(const std::string&)>& pred, DWORD timeoutMs)
{
  return xside::WaitFor([&] { return pred(LogText(box)); }, timeoutMs, 20);
}

bool WaitLine(HWND box, const std::string& prefix, DWORD timeoutMs)
{
  return WaitLog(box, [&](const std::string& log) { return HasLine(log, prefix); }, timeoutMs);
}

bool Connect(HWND box, int port, const std::string& user, const std::string& password, DWORD timeoutMs)
{
  boxdriver::SetItemText(box, IDC_CTRL_HOST, "127.0.0.1");
  boxdriver::SetItemText(box, IDC_CTRL_PORT, std::to_string(port).c_str());
  boxdriver::SetItemText(box, IDC_CTRL_USER, user.c_str());
  boxdriver::SetItemText(box, IDC_CTRL_PASS, password.c_str());
  boxdriver::Click(box, IDC_CTRL_CONNECT);
  return WaitLine(box, "230", timeoutMs);
}

void Type(HWND box, const std::string& command)
{
  ClearLog(box);
  boxdriver::SetItemText(box, IDC_CTRL_COMMAND, command.c_str());
  boxdriver::Click(box, IDC_CTRL_SEND);
  // Send empties the edit once the command is taken.
  xside::WaitFor([&] { return boxdriver::ItemText(box, IDC_CTRL_COMMAND).empty(); }, 5000, 10);
}

std::string Transfer(HWND box, const std::string& command, const std::string& code, DWORD timeoutMs)
{
  Type(box, command);
  std::string log;
  WaitLog(box,
          [&](const std::string& text) {
            log = text;
            return HasLine(text, code) && text.find("status:>Data Socket already closed.") != std::string::npos;
          },
          timeoutMs);
  return log;
}

std::string Reply(HWND box, const std::string& command, const std::string& code, DWORD timeoutMs)
{
  Type(box, command);
  std::string log;
  WaitLog(box,
          [&](const std::string& text) {
            log = text;
            return HasLine(text, code);
          },
          timeoutMs);
  return log;
}

bool Settings(HWND box, const std::function<void(HWND)>& set)
{
  boxdriver::Click(box, IDC_CTRL_OPTIONS);
  HWND settings = boxdriver::WaitForBox("Settings");
  if (settings == nullptr)
    return false;
  set(settings);
  boxdriver::Click(settings, IDOK);
  return boxdriver::WaitGone(settings);
}

std::string ReadFile(const std::string& path)
{
  std::string bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr)
    return bytes;
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.append(buffer, got);
  fclose(f);
  return bytes;
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr)
    return false;
  const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return fclose(f) == 0 && ok;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Pattern(size_t n)
{
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i)
    bytes[i] = (char)((i * 7 + 3) & 0xFF);
  return bytes;
}

}  // namespace consoledriver
