// Shared by the queue worker tests under Wine: a function view stand-in that
// owns the queue and answers the workers as the real one does, a main frame
// stand-in with the ten status records, a counting end-of-queue seam, and a
// run routine that starts the queue through the real document and pumps until
// every worker has ended and nothing is left to run.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/planitem.h"
#include "engine/siteitem.h"
#include "framework/afxwin.h"
#include "shell/doc/threadstatus.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/statusrules.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

namespace queuetest {

struct Seen {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// The function view with the queue list. Items it removes in the end-of-run
// tidy are kept aside (not freed) so a test can still look at them.
class FakeFuncView : public CWnd {
public:
  FakeFuncView();
  ~FakeFuncView() override;
  FakeFuncView(const FakeFuncView&) = delete;
  FakeFuncView& operator=(const FakeFuncView&) = delete;

  // A queued item (status 2) appended to the queue.
  CPlanItem* Add(const char* direction, const char* host, int port, const char* user, const char* password,
                 const char* localPath, const char* remotePath, const char* name, int64_t size, int kind = 5);
  // Every item ever held: the queue and the removed ones.
  std::vector<CPlanItem*> All() const;
  int Count(UINT message) const;
  // Items of the queue with status 1 or 2.
  int Pending() const;
  void Clear();

  std::vector<CPlanItem*> m_items;
  std::vector<CPlanItem*> m_removed;
  std::vector<Seen> m_seen;
  bool m_tidy = true;  // run the end-of-run tidy on UWM_QUEUE_ENDED
  DWORD m_tidyLateMs = 0;  // that tidy comes this late (next items are still answered)
  static constexpr UINT_PTR kLateTidyTimer = 77;
  int m_maxWorkingPerSite1 = 0;  // most items at once working for site slot 1

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT NextItem(WPARAM wParam, LPARAM lParam);
  void Tidy();
};

class FakeMainFrame : public CWnd {
public:
  FakeMainFrame();
  ~FakeMainFrame() override;
  FakeMainFrame(const FakeMainFrame&) = delete;
  FakeMainFrame& operator=(const FakeMainFrame&) = delete;
  int Count(UINT message) const;

  ThreadStatusRecord m_records[kThreadStatusRecords] = {};
  std::atomic<int32_t> m_active{0};
  // The main window's begin and finish rules over these.
  StatusDisplayState m_status;
  int32_t& m_finishedUploads = m_status.finishedUploads;
  int32_t& m_finishedDownloads = m_status.finishedDownloads;
  std::vector<Seen> m_seen;
  std::vector<std::string> m_popups;
  bool m_runQueue = true;  // UWM_RUN_QUEUE starts the document's workers
  bool m_handRows = true;  // begins and finishes hand the workers' row notices to the view, as the program's do

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Calls into the end-of-queue seam, counted.
struct EndCounts {
  std::atomic<int> confirmShutdown{0};
  std::atomic<int> confirmQuit{0};
  std::atomic<int> hangUps{0};
  std::atomic<int> powerOffs{0};
  std::atomic<int> closes{0};
  std::atomic<int> answer{IDCANCEL};
  void Reset();
};
extern EndCounts g_end;

// Everything one test needs: fast settings, the stand-ins in their slots, the
// status records bound, the counting lock and seam, and a document whose slot 1
// may hold a work site.
class Harness {
public:
  Harness();
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // Slot 1: a work site for 127.0.0.1:port with the user's login.
  CSiteItem* AddSite(int port, const char* user, const char* password, char limitDigit = '0', int limit = 0);
  // Start Queue, then pump until every worker has ended and no item is queued
  // or working for quietMs; false after waitMs.
  bool Run(DWORD waitMs, DWORD quietMs = 400);
  // Pumps for ms.
  void Pump(DWORD ms);
  bool WorkersRunning() const;
  // Pumps until no worker runs or waitMs passed; true when none runs.
  bool WaitWorkersEnded(DWORD waitMs);
  // Ends the keeper of slot 1, if any.
  void StopSites();

  FakeFuncView view;
  FakeMainFrame frame;
  std::unique_ptr<CZarnDoc> doc;
};

// The file helpers shared with the other worker tests.
using tasktest::Exists;
using tasktest::Pattern;
using tasktest::ReadAll;
using tasktest::WriteAll;
// The pyftpdlib peer: its port (0 when it is not running), root folder in
// Windows form, and test login.
struct PeerLogin {
  int port = 0;
  std::string root, user, pass;
};
// Inline: programs outside the tests share this file without the peers.
inline PeerLogin PyftpdPeer()
{
  PeerLogin p;
  p.port = peers::Port("ZARN_PYFTPD_PORT");
  p.root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  p.user = peers::Env("ZARN_PYFTPD_USER");
  p.pass = peers::Env("ZARN_PYFTPD_PASS");
  return p;
}

// The size and bytes of every file the scripted server's queue scenario serves:
// byte i is (i * 7 + 3) mod 256.
constexpr size_t kQueueServedSize = 3 * 1024 * 1024 + 5;
std::string QueueServedData(size_t size);
// The connection log's rows as one text (for failure messages).
std::string QueueLogText();
// True when a line starts with prefix.
bool HasLine(const std::vector<std::string>& lines, const std::string& prefix);
// The file's size, -1 when it is missing.
int64_t FileSizeOf(const std::string& path);
// The names in a folder but "." and ".."; only files when filesOnly.
std::vector<std::string> EntriesIn(const std::string& folder, bool filesOnly = false);
// A fresh empty folder below the temporary folder.
std::string FreshTemp(const std::string& name);
void MakeDirs(const std::string& path);

}  // namespace queuetest
