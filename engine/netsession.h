// The FTP verbs, the six-deep command queue and NetSession, the record one FTP
// connection shares between its client thread and its connection window.
//
// Client protocol: BeginOperation (empty queue, alive, the finished event
// reset), push the commands of one operation, set the transfer file and record
// when data moves, PostCommands, WaitForEnd; then read alive, logged in, the
// progress counter and the reply text. A server gone silent is given up with
// GiveUp; an operation given up by the client ends with Abort or AbortAndWait
// (the finished event reset before ABOR goes). A new connection's login is
// awaited with WaitForLogin. The window sends no CWD or TYPE that repeats what
// the server acknowledged last on this connection.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/siteitem.h"
#include "framework/sync.h"

class CFile;
class CFtpSocketWnd;
class CPlanItem;
struct BatchJobRecord;

// Index into g_ftpVerbNames.
enum FtpVerb : int32_t {
  VERB_NONE = 0,   // no command current
  VERB_CWD = 1,
  VERB_DELE = 2,
  VERB_PASS = 3,
  VERB_PORT = 4,   // empty argument: the window listens and builds the argument
  VERB_RETR = 5,   // download into the transfer file
  VERB_STOR = 6,   // upload from the transfer file
  VERB_APPE = 7,   // upload appended, with speed limit
  VERB_TYPE = 8,
  VERB_USER = 9,
  VERB_MKD = 10,
  VERB_RMD = 11,
  VERB_REST = 12,
  VERB_RNFR = 13,
  VERB_RNTO = 14,
  VERB_RETM = 15,  // sent as RETR; the data goes to a partner connection
  VERB_STOM = 16,  // sent as STOR; the data comes from a partner connection
  VERB_RETW = 17,  // sent as RETR; into the transfer file with speed limit
  VERB_STOW = 18,  // sent as STOR; from the transfer file with speed limit
  VERB_SITE = 19,
  VERB_ABOR = 20,
  VERB_LIST = 21,  // listing received into memory
  VERB_PWD = 22,
  VERB_QUIT = 23,
  VERB_NOOP = 24,
  VERB_SYST = 25,
  VERB_CDUP = 26,
  VERB_PASV = 27,  // empty argument: the 227 text is handed back; else the data connection opens
  VERB_CONNECT = 28,  // HTTP proxy request
  VERB_SIZE = 29,  // result: the number of the 213 reply
};
constexpr int kFtpVerbCount = 30;

// The verb texts, "" for VERB_NONE. Valid from process start; InitFtpVerbNames
// fills the table again (start-up does it).
extern const char* g_ftpVerbNames[kFtpVerbCount];
void InitFtpVerbNames();
// The text of a verb code; "" for a code outside the table.
const char* FtpVerbName(int verb);
// A verb that moves data over a data connection (listings included).
bool IsTransferVerb(int verb);

// Private messages of the connection window.
constexpr unsigned int UWM_CTRL_SOCKET = 0x805;  // WM_USER+1029: control socket event
constexpr unsigned int UWM_DATA_SOCKET = 0x806;  // WM_USER+1030: data socket event
constexpr unsigned int UWM_NET_SEND = 0x807;     // WM_USER+1031: wParam verb, lParam argument or 0
constexpr unsigned int UWM_NET_COMMAND = 0x808;  // WM_USER+1032: start the sequencer when idle

constexpr int kCommandQueueDepth = 6;
constexpr size_t kCommandArgLen = 260;

struct NetCommand {
  int32_t m_verb;                // FtpVerb
  char m_arg[kCommandArgLen];    // NUL-terminated
};

// The pending commands of one connection, first in first out. One lock guards
// the slots and the count, so a client's pushes and the window's sequencer never
// meet half done. A refused push writes its line to the connection log and
// returns 0; an argument longer than 259 characters is refused too, because a
// cut path would name another file.
class CNetCommandQueue {
public:
  CNetCommandQueue();
  CNetCommandQueue(const CNetCommandQueue&) = delete;
  CNetCommandQueue& operator=(const CNetCommandQueue&) = delete;

  // Client side: 1 when queued, 0 when refused ("%s::Commands queue is
  // full,please try again later\r\n" with host).
  int Push(const char* host, int verb, const char* arg);
  // Window side: the same with the window's refusal line (". \r\n" ending).
  int PushWindow(const char* host, int verb, const char* arg);
  // In front of every pending command; refused like a window-side push.
  int PushFront(const char* host, int verb, const char* arg);
  // Sequencer step: the first pending command into next; false when none.
  bool Pop(NetCommand& next);
  // Drops every pending command.
  void Clear();
  int GetCount() const;
  // A copy of pending command index (0 = next); false outside the count.
  bool GetAt(int index, NetCommand& out) const;

private:
  int Insert(const char* host, int verb, const char* arg, bool front, const char* fullFormat);

  mutable CCriticalSection m_lock;
  NetCommand m_pending[kCommandQueueDepth];
  int32_t m_count;
};

// How long replies owed after the ABOR of a command that failed on the idle
// limit are awaited (never longer than that limit): the server has just proved
// silent, so a whole time-out more would only hold the worker. Then the
// connection is failed.
constexpr uint32_t kSilentAbortReplyMs = 3000;
// The client waits this much longer than the window, so the window's failure
// (logged) ends the wait rather than the client's own give-up.
constexpr uint32_t kSilentAbortMarginMs = 2000;
// How long GiveUp waits for the window to close the connection.
constexpr uint32_t kGiveUpCloseWaitMs = 3000;
// The window's bound on those replies for a command whose idle limit was idleMs.
inline uint32_t SilentAbortReplyMs(uint32_t idleMs)
{
  return idleMs != 0 && idleMs < kSilentAbortReplyMs ? idleMs : kSilentAbortReplyMs;
}

// The record of one FTP connection, in the order the engine has always kept it.
// The client allocates it (every field zero or null) and sets the site and the
// keeper flag; the window fills the rest when it is created.
struct NetSession {
  NetSession();
  // Closes the command-finished event; the connection thread must have ended.
  ~NetSession();
  NetSession(const NetSession&) = delete;
  NetSession& operator=(const NetSession&) = delete;

  NetCommand m_current;              // the command the window works on; verb 0 when idle
  CNetCommandQueue m_queue;          // pending commands and their count
  CFtpSocketWnd* m_pWnd;             // set by the window when it is created
  HANDLE m_hDoneEvent;               // command finished; manual reset, made signalled
  // Bytes moved since the client looked, or SIZE's result; for a transfer
  // between two servers, raised by its preliminary (1xx) reply.
  std::atomic<int64_t> m_progress;
  CFile* m_pFile;                    // transfer file of the file verbs
  char* m_pRecord;                   // for VERB_LIST the listing text block (malloc'd)
  // What a file transfer's data loop counts its bytes into: the one-task
  // worker's job (RETR, STOR, RETM) or the queue worker's item (RETW, STOW,
  // APPE). Typed, so a loop never reads one as the other.
  BatchJobRecord* m_pJob = nullptr;
  CPlanItem* m_pItem = nullptr;
  CSiteItem* m_pSite;
  int32_t m_listError;               // -1 when a listing receive failed
  int32_t m_keeper;                  // 1: the site keeper's own connection
  std::atomic<int32_t> m_alive;      // 1 while the connection works
  std::atomic<int32_t> m_loggedIn;   // set by the first PWD's 257
  char m_replyText[kCommandArgLen];  // the 227 line of a bare PASV
  int32_t m_entryCount;              // entries of the last parsed listing
  // Relay (RETM): the window of the connection that stores what this one
  // retrieves. Set by the site-to-site task, read only by the relay pump.
  CFtpSocketWnd* m_pPartner = nullptr;
  // Set by the relay pump when it gave up because the bytes stopped coming (or
  // the partner never got ready) within its time-out; the task clears it.
  std::atomic<int32_t> m_relayStalled{0};
  // Set by the client before the ABOR of a command that failed on its idle
  // limit; the window takes it with the ABOR and bounds the owed replies by
  // SilentAbortReplyMs.
  std::atomic<int32_t> m_abortAfterSilence{0};
  // What the server last acknowledged on this connection: the absolute folder
  // of a CWD and the argument of a TYPE ("" when unknown). The window skips a
  // CWD or TYPE that would repeat them. Written on the window's thread;
  // forgotten on a new connection, any refusal or failure and every ABOR.
  char m_ackedFolder[kCommandArgLen] = {};
  char m_ackedType[8] = {};
  mutable CCriticalSection m_ackLock;  // the two above
  void ForgetAcknowledged();
  // True when cmd would only repeat what the server acknowledged last.
  bool RepeatsAcknowledged(const NetCommand& cmd) const;
  // Notes what a positive final reply to cmd acknowledged.
  void NoteAcknowledged(const NetCommand& cmd);
  // Client side, between operations: the connection already stands in folder
  // (an absolute path), so a CWD to it need not even reach the window.
  bool StandsIn(const char* folder) const;

  // The site's host for log lines ("" without a site).
  const char* Host() const;
  // Client-side push and push to the front, logged under the site's host.
  int PushCommand(int verb, const char* arg);
  int PushCommandFront(int verb, const char* arg);

#ifdef _WIN32
  // ---- one operation, client side (netsession_run.cpp) ----
  // How a wait for the end of an operation ended.
  enum WaitEnd { WAIT_DONE, WAIT_IDLE, WAIT_ENDED };
  // Starts an operation: no pending command, a live connection, the progress
  // counter at zero (unless told otherwise), the finished event reset.
  void BeginOperation(bool zeroProgress = true);
  // The data connection's opening command as the site's passive rule says.
  int PushDataConnection(const CSiteItem* site);
  // The connection window's handle; null without a window.
  HWND WindowHandle() const;
  // Starts the queued commands (UWM_NET_COMMAND); the window's handle or null.
  HWND PostCommands();
  // Waits for the finished event in slices of sliceMs while keepOn() holds.
  // After an empty slice, moved() (when given) says whether the operation
  // moved; that restarts the idle clock. idleMs 0 means no idle limit.
  WaitEnd WaitForEnd(uint32_t sliceMs, uint32_t idleMs, const std::function<bool()>& keepOn,
                     const std::function<bool()>& moved = nullptr);
  // Waits for a new connection's window to log in (it sets the finished
  // event logged in or not) up to limitMs, in slices while keepOn() holds.
  // True when it is logged in and alive.
  bool WaitForLogin(uint32_t sliceMs, uint32_t limitMs, const std::function<bool()>& keepOn);
  // A verb the window sends at once, ahead of the queue (UWM_NET_SEND),
  // posted; the window's handle or null.
  HWND PostVerb(int verb);
  // Gives up a server gone silent: its late reply would be taken for the
  // next command's. Empties the queue, marks the connection dead and has the
  // window close it (waiting up to kGiveUpCloseWaitMs for that).
  void GiveUp();
  // ABOR to the window, sent (the caller waits for the window to take it) or
  // posted. A connection still up answers it by setting the finished event,
  // so the event is reset first; true then (an answer is owed). False
  // without a window or control connection: nothing will answer.
  // afterSilence: the command failed on its idle limit (the window then waits
  // SilentAbortReplyMs for the owed replies).
  bool Abort(bool send, bool afterSilence = false);
  // Abort, then its answer awaited as WaitForEnd (no idle restart); a server
  // silent for limitMs is given up (GiveUp) and WAIT_IDLE returned. WAIT_DONE
  // as well when no answer was owed. After silence the wait is bounded by
  // the window's short bound plus kSilentAbortMarginMs as well.
  WaitEnd AbortAndWait(bool send, uint32_t sliceMs, uint32_t limitMs, const std::function<bool()>& keepOn,
                       bool afterSilence = false);
#endif
};
