// The ping worker: one run of echo requests over an IcmpChannel, reported to a
// window by posted lines, and the thread that waits for runs.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#define UWM_PING_TEXT (WM_USER + 0x100)  // wParam PingLineKind, lParam a line from NewPingLine
#define UWM_PING_DONE (WM_USER + 0x101)  // lParam 1 the run took place, 0 it did not

enum PingLineKind { kPingLineError = 0, kPingLineHeader = 1, kPingLineReply = 2, kPingLineTimeout = 3 };

// Posted lines are heap copies; whoever ends up holding one frees it here.
char* NewPingLine(const char* text);
void FreePingLine(LPARAM line);
// Lines made and not yet freed, process-wide (tests check nothing leaks).
long PingLinesOutstanding();

// What the worker needs of the network, so that fake channels run in process.
// Errors are Windows Sockets codes, 0 for success.
class IcmpChannel {
public:
  enum WaitResult { kReadable, kTimedOut, kStopped, kWaitFailed };
  virtual ~IcmpChannel() = default;
  virtual long Open() = 0;
  // The address in network order; false when the name is not found.
  virtual bool Resolve(const char* host, uint32_t* address) = 0;
  virtual long Send(uint32_t address, const void* data, int len) = 0;
  // Until a packet waits, ms pass or stop is set; error set on kWaitFailed.
  virtual WaitResult WaitReadable(HANDLE stop, DWORD ms, long* error) = 0;
  // A packet and its sender (network order); *got 0 when nothing waited after all.
  virtual long Receive(uint8_t* buf, int size, int* got, uint32_t* from) = 0;
  virtual long Close() = 0;
};

using IcmpChannelFactory = std::function<std::unique_ptr<IcmpChannel>()>;
// The raw ICMP socket (SOCK_RAW, IPPROTO_ICMP).
std::unique_ptr<IcmpChannel> NewRawIcmpChannel();

extern const char kPingRefusedText[];

// Where a run's lines go: the window, until the window is being destroyed.
class PingPoster {
public:
  explicit PingPoster(HWND window) : m_window(window) {}
  void Text(int kind, const std::string& text);
  void Done(int ran);
  // From now on nothing reaches the window (lines are freed here).
  void Close();

private:
  std::mutex m_lock;
  HWND m_window;
  bool m_closed = false;
};

class CPingEngine {
public:
  CPingEngine(PingPoster& poster, HANDLE stop) : m_poster(poster), m_stop(stop) {}
  // One run: count requests to host, each waited for up to a second.
  void Run(IcmpChannel& channel, const std::string& host, int count);

private:
  bool Stopped() const { return ::WaitForSingleObject(m_stop, 0) == WAIT_OBJECT_0; }
  void PostError(const char* step, long error);

  PingPoster& m_poster;
  HANDLE m_stop;
};

// The dialog's worker: waits for a go or the stop, runs one run per go. The
// events, the run copy and the poster live in a block shared by count with the
// thread, so a thread still inside a name look-up when the window goes ends by
// itself and touches nothing of the dialog.
class CPingThread {
public:
  CPingThread(HWND window, IcmpChannelFactory factory);
  ~CPingThread();  // Stop(2000)
  CPingThread(const CPingThread&) = delete;
  CPingThread& operator=(const CPingThread&) = delete;

  bool Start();
  void Go(int count, const std::string& host);
  // Sets the stop event and waits at most ms for the thread; then no line
  // reaches the window any more. True when the thread has ended.
  bool Stop(DWORD ms);
  DWORD ThreadId() const { return m_threadId; }

  struct Shared {
    HANDLE stop = nullptr;  // manual reset
    HANDLE go = nullptr;    // auto reset
    int count = 0;
    std::string host;
    IcmpChannelFactory factory;
    PingPoster poster;
    explicit Shared(HWND window) : poster(window) {}
    ~Shared();
  };

private:
  std::shared_ptr<Shared> m_shared;
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
};
