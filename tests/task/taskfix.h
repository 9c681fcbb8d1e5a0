// Shared by the worker tests under Wine: windows standing in for the views that
// record what a task sends them (with deep copies, since senders free after the
// call), a run routine that starts a worker as the views do and pumps until the
// reaper has deleted it, a folder builder for the loopback server's root, and
// the file, entry and job helpers the task tests share.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/listing.h"
#include "engine/siteitem.h"
#include "engine/progthread.h"
#include "engine/taskthreads.h"

struct BatchJobRecord;

namespace tasktest {

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::vector<EntryRecord> entries;  // entry arrays, up to the empty name
  std::string text;                  // UWM_NOTIFY_POPUP
};

class RecordingWnd : public CWnd {
public:
  RecordingWnd();
  ~RecordingWnd() override;
  RecordingWnd(const RecordingWnd&) = delete;
  RecordingWnd& operator=(const RecordingWnd&) = delete;
  std::vector<Received> m_got;
  std::vector<Received> Of(UINT message) const;

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The five view slots filled with recording windows for the life of the object.
struct Sinks {
  Sinks();
  ~Sinks();
  RecordingWnd mainFrame, funcView, locTrView, serTrView, serTrView1;
};

// Starts the worker through StartTaskThread and pumps messages until the list
// is empty (reaped) or waitMs passed; true when reaped.
bool RunTask(CTaskThreadList& list, CProgThread* thread, DWORD waitMs = 30000);
// The site's task count drops in the thread object's destructor, which the
// reaper runs just after taking an ended thread off the list: wait for it.
bool TaskCountReachesZero(CSiteItem& site, DWORD waitMs = 5000);

// Makes a file of `size` bytes (parents created) below the Windows root path.
void MakeFile(const std::string& root, const std::string& rel, size_t size);
void MakeFolder(const std::string& root, const std::string& rel);

// Every byte value, CR, LF and NUL included, in a pattern that is not periodic
// on small strides.
std::string Pattern(size_t size, uint32_t seed = 12345);
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// A new[]-ed entry array ending in an empty name, as the views send it: a
// negative size makes a folder.
EntryRecord* Entries(const std::vector<std::pair<std::string, int64_t>>& items);

// The jobs a function view stand-in was handed (UWM_BATCH_ADD), in order.
std::vector<BatchJobRecord*> Jobs(const RecordingWnd& funcView);

// The client ports of every control connection the pyftpdlib server has logged
// a command from.
std::set<int> PyftpdClientPorts();

}  // namespace tasktest
