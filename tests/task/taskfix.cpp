#include "tests/task/taskfix.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "tests/support/peers.h"

namespace tasktest {

RecordingWnd::RecordingWnd()
{
  CreateEx(0, AfxRegisterWndClass(0), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr);
}

RecordingWnd::~RecordingWnd()
{
  if (GetSafeHwnd() != nullptr)
    DestroyWindow();
}

std::vector<Received> RecordingWnd::Of(UINT message) const
{
  std::vector<Received> out;
  for (const Received& r : m_got)
    if (r.message == message)
      out.push_back(r);
  return out;
}

LRESULT RecordingWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
  if (message >= WM_USER) {
    Received r;
    r.message = message;
    r.wParam = wParam;
    r.lParam = lParam;
    if ((message == UWM_LISTING_READY || message == UWM_CACHED_LISTING) && lParam != 0) {
      for (const EntryRecord* e = reinterpret_cast<const EntryRecord*>(lParam); e->m_name[0] != '\0'; ++e)
        r.entries.push_back(*e);
    } else if ((message == 0x7EB || message == 0x7EE || message == 0x7EF) && lParam != 0) {
      // One entry record: a folder made, an entry renamed or removed.
      r.entries.push_back(*reinterpret_cast<const EntryRecord*>(lParam));
    } else if (message == UWM_NOTIFY_POPUP && lParam != 0) {
      r.text = reinterpret_cast<const char*>(lParam);
    }
    m_got.push_back(r);
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

Sinks::Sinks()
{
  g_pMainFrame = &mainFrame;
  g_pFuncView = &funcView;
  g_pLocTrView = &locTrView;
  g_pSerTrView = &serTrView;
  g_pSerTrView1 = &serTrView1;
}

Sinks::~Sinks()
{
  g_pMainFrame = nullptr;
  g_pFuncView = nullptr;
  g_pLocTrView = nullptr;
  g_pSerTrView = nullptr;
  g_pSerTrView1 = nullptr;
}

bool RunTask(CTaskThreadList& list, CProgThread* thread, DWORD waitMs)
{
  list.m_reapIntervalMs = 100;
  if (!StartTaskThread(list, thread)) {
    delete thread;
    return false;
  }
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < waitMs) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (list.GetTaskThreadCount() == 0)
      return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

bool TaskCountReachesZero(CSiteItem& site, DWORD waitMs)
{
  const DWORD start = ::GetTickCount();
  while (site.m_taskCount.load() != 0) {
    if (::GetTickCount() - start >= waitMs)
      return false;
    ::Sleep(20);
  }
  return true;
}

void MakeFolder(const std::string& root, const std::string& rel)
{
  std::string path = root;
  size_t start = 0;
  while (start <= rel.size()) {
    size_t slash = rel.find('\\', start);
    if (slash == std::string::npos)
      slash = rel.size();
    path += "\\" + rel.substr(start, slash - start);
    ::CreateDirectoryA(path.c_str(), nullptr);
    start = slash + 1;
  }
}

void MakeFile(const std::string& root, const std::string& rel, size_t size)
{
  size_t slash = rel.rfind('\\');
  if (slash != std::string::npos)
    MakeFolder(root, rel.substr(0, slash));
  // Long names need the wide call and the prefix that lifts the path limit.
  std::string path = "\\\\?\\" + root + "\\" + rel;
  std::wstring wide(path.begin(), path.end());
  HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return;
  std::string bytes(size, 'x');
  DWORD written = 0;
  if (size > 0)
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
  ::CloseHandle(h);
}

std::set<int> PyftpdClientPorts()
{
  std::set<int> ports;
  std::string path = "Z:" + peers::Env("ZARN_PYFTPD_LOG");
  for (char& c : path)
    if (c == '/')
      c = '\\';
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr)
    return ports;
  // Lines look like "DEBUG:pyftpdlib:127.0.0.1:54321-[zarn] <- NOOP".
  char line[4096];
  const char* who = "127.0.0.1:";
  while (fgets(line, sizeof(line), f) != nullptr) {
    const char* at = std::strstr(line, who);
    if (at == nullptr || std::strstr(line, "] <- ") == nullptr)
      continue;
    int port = std::atoi(at + std::strlen(who));
    if (port > 0)
      ports.insert(port);
  }
  fclose(f);
  return ports;
}

std::string Pattern(size_t size, uint32_t seed)
{
  std::string s(size, '\0');
  uint32_t x = seed;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>(i < 256 ? i : (x >> 16));
  }
  return s;
}

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteAll(const std::string& path, const std::string& bytes)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path)
{
  return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

EntryRecord* Entries(const std::vector<std::pair<std::string, int64_t>>& items)
{
  EntryRecord* e = new EntryRecord[items.size() + 1]();
  for (size_t i = 0; i < items.size(); ++i) {
    std::snprintf(e[i].m_name, sizeof(e[i].m_name), "%s", items[i].first.c_str());
    e[i].m_size = items[i].second < 0 ? 0 : items[i].second;
    e[i].m_kind = items[i].second < 0 ? kEntryFolder : kEntryFile;
  }
  return e;
}

std::vector<BatchJobRecord*> Jobs(const RecordingWnd& funcView)
{
  std::vector<BatchJobRecord*> jobs;
  for (const Received& r : funcView.Of(UWM_BATCH_ADD))
    jobs.push_back(reinterpret_cast<BatchJobRecord*>(r.lParam));
  return jobs;
}

}  // namespace tasktest
