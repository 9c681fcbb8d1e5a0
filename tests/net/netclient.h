// A test client of the connection thread: what a keeper or a worker does with a
// NetSession and a CNetFunc, with the waits measured.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/ftpsocketwnd.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"

namespace nettest {

// A site on 127.0.0.1 (user login unless anonymous).
void SetUpSite(CSiteItem& site, int port, const char* user, const char* password, bool anonymous);

class Client {
public:
  explicit Client(CSiteItem* site, bool keeper = false);
  ~Client();  // stops the thread if it runs, frees everything
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // Creates the thread suspended, resets the event, resumes, and waits up to
  // waitMs. True when the event came; elapsedMs says when.
  bool Connect(DWORD waitMs) { return Begin() && Wait(waitMs); }
  // The same without the wait.
  bool Begin();
  // Waits up to waitMs for the event; true when it came.
  bool Wait(DWORD waitMs);
  // Resets the event, pushes the commands, posts UWM_NET_COMMAND, waits.
  bool Run(const std::vector<std::pair<int, std::string>>& commands, DWORD waitMs);
  bool Run(int verb, const std::string& arg, DWORD waitMs) { return Run({{verb, arg}}, waitMs); }
  // Stops the thread (WM_QUIT and the wait); returns the milliseconds it took.
  DWORD Stop();

  bool Alive() const { return m_session->m_alive != 0; }
  bool LoggedIn() const { return m_session->m_loggedIn != 0; }
  NetSession* Session() { return m_session; }
  DWORD elapsedMs = 0;

private:
  NetSession* m_session;
  CNetFunc* m_thread = nullptr;
  bool m_abandoned = false;  // a thread that would not end still uses the session
};

// The connection log's rows, oldest first.
std::vector<std::string> LogLines();
// True when some row contains the text.
bool LogHas(const std::string& text);
// How many rows contain the text.
int LogCount(const std::string& text);
// The rows, one per line, for failure messages.
std::string LogDump();

// Top-level windows of this process whose class is the framework's hidden
// window class.
int CountConnectionWindows();

}  // namespace nettest
