// ConsoleSession: the manual console's FTP conversation without any window or
// socket. The dialog turns Winsock events and timer ticks into calls here and
// carries out what the session asks of its host: send bytes, open or close the
// data side, run the two timers, read and write the one local file, log.
//
// One command is in flight at a time. The connect itself is in flight until
// the greeting's final reply, so USER never pairs with the 220. Replies are
// judged whole (FtpReplyAssembler), never per read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "engine/ftpreply.h"

class ConsoleSessionHost {
public:
  virtual ~ConsoleSessionHost() = default;

  // Control connection: the whole buffer, false on a send failure.
  virtual bool SendControl(const char* data, size_t size) = 0;
  virtual void CloseControl() = 0;

  // Active mode: a listening socket on the control connection's local address;
  // its address and port come back. The host logs its own failure lines.
  virtual bool OpenListen(uint8_t addr[4], uint16_t* port) = 0;
  // Passive mode: connect the data socket (the result arrives as an event).
  virtual bool ConnectData(const char* addr, int port) = 0;
  // Bytes taken (0 would block, negative a failure).
  virtual int SendData(const char* data, size_t size) = 0;
  virtual void ShutdownDataSend() = 0;
  // Closes the listening and data sockets; abortive resets instead of a
  // graceful close (abort, time-out, disconnect).
  virtual void CloseData(bool abortive) = 0;

  virtual void SetPumpTimer(bool on) = 0;
  virtual void SetTimeoutTimer(bool on) = 0;

  // The one local file of a transfer. mode is an fopen mode.
  virtual bool OpenLocal(const char* path, const char* mode, uint64_t* size) = 0;
  virtual size_t ReadLocal(void* buffer, size_t size) = 0;
  virtual bool WriteLocal(const void* data, size_t size) = 0;
  virtual void CloseLocal() = 0;

  virtual void Log(const std::string& line) = 0;
  virtual void Progress(int position) = 0;
  virtual void ConnectedChanged(bool connected) = 0;
  virtual uint32_t TickCount() = 0;
  // "%H-%M-%S" of the local time, for listing file names.
  virtual std::string TimeStamp() = 0;
};

// The fixed password of anonymous logins.
constexpr const char* kConsoleAnonymousPassword = "zarnuser@example.com";

enum ConsoleTransferKind { XFER_NONE = -1, XFER_LISTING = 0, XFER_DOWNLOAD = 1, XFER_UPLOAD = 2 };

struct ConsoleOptions {
  bool passive = true;
  bool ascii = false;
  int timeoutSeconds = 120;
  int listOption = 0;  // 0 just show, 1 show and save, 2 just save
  std::string folder;
};

class ConsoleSession {
public:
  static constexpr size_t kBufferSize = 8192;
  static constexpr size_t kSendPiece = 1460;
  static constexpr size_t kWriteThreshold = kBufferSize - kSendPiece;

  explicit ConsoleSession(ConsoleSessionHost* host);

  ConsoleOptions& Options() { return m_options; }
  bool Connected() const { return m_connected; }
  int TransferKind() const { return m_kind; }
  size_t QueuedCount() const { return m_queue.size(); }

  // The control socket connected (the host called Reset before making it):
  // log in after the greeting.
  void OnConnected(int socket, const std::string& user, const std::string& password, bool anonymous);
  void OnControlBytes(const char* data, size_t size);
  void OnControlClosed(int socket);
  void OnDisconnect(int socket);
  void OnPumpTick();
  void OnTimeout();

  // A typed line. False when it was ignored (empty, not connected, or a
  // command other than ABOR and QUIT during a transfer).
  bool OnTyped(const std::string& text);

  // Data side: accepted marks the active-mode accept.
  void OnDataConnected(int socket, bool accepted);
  void OnDataConnectFailed();
  void OnDataBytes(const char* data, size_t size);
  void OnDataWritable();
  // The peer closed; the host has handed every readable byte in before.
  void OnDataClosed();

  // Everything back to disconnected; sockets and file closed abortively.
  void Reset();

private:
  struct Queued {
    std::string text;
    bool transfer;
  };
  void Queue(const std::string& text, bool transfer) { m_queue.push_back({text, transfer}); }
  bool QueueCommand(const std::string& text);
  void SendCommand(const std::string& text);
  void HandleReply(int code);
  void Complete();
  void ConnectPassive(const std::string& line);
  void SendMore();
  void FlushHeld();
  bool EnsureDownloadFile();
  void ListingText(const char* data, size_t size, bool final);
  void EndTransfer(bool failed, bool abortive);
  void UpdateProgress();
  void ClearTransfer();

  ConsoleSessionHost* m_host;
  ConsoleOptions m_options;
  FtpReplyAssembler m_replies;
  std::string m_lastReply;
  bool m_connected = false;
  std::deque<Queued> m_queue;
  bool m_inFlight = false;
  bool m_complete = false;
  bool m_pump = false;

  int m_kind = XFER_NONE;
  std::string m_localPath;
  bool m_fileOpen = false;
  bool m_dataOpen = false;     // listen or data socket exists
  bool m_dataConnected = false;
  bool m_serverGo = false;     // the 1xx to the transfer command came
  bool m_writable = false;
  bool m_uploadDone = false;
  std::string m_held;          // download bytes not yet written, or upload bytes not yet sent
  size_t m_sendOffset = 0;
  std::string m_listLine;
  uint64_t m_moved = 0;
  uint64_t m_total = 0;
  uint32_t m_start = 0;
  int m_bounce = 0;
  int m_bounceStep = 1;
};

// The summary of a finished transfer; empty when no bytes moved.
std::string FormatConsoleSummary(bool upload, uint64_t bytes, uint32_t elapsedMs);

// Appends a line to the log text ("\r\n" added when it holds none); past 400
// lines the first 100 go.
void AppendConsoleLog(std::string& log, const std::string& text);
