// Shared by the worker tests under Wine: windows standing in for the views that
// record what a task sends them (with deep copies, since senders free after the
// call), a run routine that starts a worker as the views do and pumps until the
// reaper has deleted it, and a folder builder for the loopback server's root.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "engine/listing.h"
#include "engine/siteitem.h"
#include "engine/progthread.h"
#include "engine/taskthreads.h"

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

// The client ports of every control connection the pyftpdlib server has logged
// a command from.
std::set<int> PyftpdClientPorts();

}  // namespace tasktest
