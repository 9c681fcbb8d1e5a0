// Shared by the keeper tests under Wine: fast settings, a keeper started the way
// the document starts it, polling waits, the pyftpdlib command log, and the
// checks every case ends with.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/keeper.h"
#include "engine/siteitem.h"

namespace keepertest {

// g_idleTimeout 1, g_connectTimeout 1, g_retryDelay 1, g_recvTimeout 3, the
// log cleared, Windows Sockets and the verb table ready; option bit 0 (no
// address test) set.
void FastSettings();

// A site for 127.0.0.1:port (user login) with keep-alive digit `keepAlive`.
void SetUpSite(CSiteItem& site, int port, const char* user, const char* password, char keepAlive);

// Starts the keeper as the document does: suspended, auto-delete off, kept in
// the site, resumed.
void StartKeeper(CSiteItem& site);
// For the worker tests: the queue running and the worker flag set (the paths
// the tasks get are full ones), option digit 4 on, then StartKeeper and a wait
// of up to 15 s for the login (a fatal failure when it does not come).
void StartWorkerSite(CSiteItem& site);
// Clears keeper running and waits up to waitMs for the thread; returns the
// milliseconds it took, or waitMs + 1 when it did not end.
DWORD StopKeeper(CSiteItem& site, DWORD waitMs = 15000);
// True once the keeper thread has ended (within waitMs).
bool KeeperEnded(CSiteItem& site, DWORD waitMs);

// Polls pred every 50 ms for up to waitMs.
bool WaitFor(const std::function<bool()>& pred, DWORD waitMs);

// The commands one connection sent to the pyftpdlib server, in order, found by
// the connection's local port in the server's DEBUG log.
std::vector<std::string> ServerCommands(int clientPort);
// The same after the login's PWD: the keep-alive commands.
std::vector<std::string> KeepAliveCommands(int clientPort);
std::string Joined(const std::vector<std::string>& lines);

// Index of the first log row at or after `from` that contains text, or -1.
int FindLog(const std::string& text, int from = 0);

// A message-only window on the test thread that collects what the keeper posts
// to a view slot; it is never pumped, so the posts wait in the queue.
class SinkWindow {
public:
  SinkWindow();
  ~SinkWindow();
  SinkWindow(const SinkWindow&) = delete;
  SinkWindow& operator=(const SinkWindow&) = delete;
  CWnd* Wnd() { return &m_wnd; }
  // The waiting posts of `message` (wParam, lParam), removed from the queue.
  std::vector<std::pair<WPARAM, LPARAM>> Take(UINT message);
  // The same, taken until at least `count` have come or waitMs has passed:
  // another thread's post may still be on its way when its other effects
  // (a flag, a log line) are already seen.
  std::vector<std::pair<WPARAM, LPARAM>> TakeAtLeast(UINT message, size_t count, DWORD waitMs);

private:
  CWnd m_wnd;
};

// The state every keeper leaves: not running, not connected, not busy, no main
// record, the idle event set, no connection window left.
void ExpectEnded(CSiteItem& site);

}  // namespace keepertest
