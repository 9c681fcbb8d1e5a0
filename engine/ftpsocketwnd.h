// CFtpSocketWnd: the hidden window of one FTP connection. It lives on its
// connection thread (CNetFunc), owns the control, listening and data sockets in
// asynchronous-select mode, sends the commands its NetSession queues, assembles
// and classifies the replies, and sets the session's command-finished event.
//
// Control side here (ftpsocketwnd.cpp); the data connections and transfer loops
// (ftpsocketwnd_data.cpp) and the proxy exchanges (ftpsocketwnd_proxy.cpp) plug
// into the hooks declared below; ABOR and the replies it leaves owed are in
// ftpsocketwnd_abort.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ftpreply.h"
#include "engine/netsession.h"
#include "engine/proxyproto.h"
#include "engine/speedlimiter.h"
#include "framework/afxwin.h"

class CSiteItem;

// The longest command line: the longest verb text ("CONNECT"), a blank, an
// argument of kCommandArgLen - 1 characters, CR LF and the NUL.
constexpr size_t kSendBufferSize = 7 + 1 + (kCommandArgLen - 1) + 2 + 1;
// Large enough that a loopback or LAN transfer moves whole socket buffers per
// call: every socket call costs a round trip to the Wine server (a megabyte
// takes about one receive, against eight with a quarter of it).
constexpr size_t kDataBufferSize = 1024 * 1024;
// The name of every connection window (message-only: only a search by name
// under HWND_MESSAGE finds them).
constexpr char kConnectionWindowName[] = "zarn connection";
constexpr size_t kReplyReadSize = 1460;  // one read of the control socket
// How long stopping a connection waits for the server's answer to QUIT.
constexpr DWORD kQuitWaitMs = 2000;
// The most reads a close of the control connection drains (the server's last
// words are a line or two; a flood is cut off).
constexpr int kCtrlDrainReads = 64;
// The proxy host, user and password as wide as the global settings hold them
// (a site's own are narrower).
constexpr size_t kProxyTextLen = 260;
// Sent (never posted) by a client that gives up a transfer: the window closes
// the data connection and the transfer file and forgets the job or queue item
// the loops count into, so nothing reaches either once the call returns (a
// listing block stays for its client to free). The result is 1 while the
// control connection is still up.
constexpr UINT UWM_NET_DETACH = 0x80B;  // WM_USER+1035

// The name look-up of the SOCKS4 request; an empty one restores gethostbyname.
// Any thread; a connection takes the one set when its request is built.
void SetProxyHostResolver(const HostResolver& resolve);

// Proxy exchange state of a socket (CProxyNegotiator::State()).
enum ProxyState : int32_t {
  PROXY_IDLE = 0,
  PROXY_GREETING_DUE = 1,
  PROXY_METHOD_REPLY_DUE = 2,
  PROXY_AUTH_REPLY_DUE = 3,
  PROXY_CONNECT_REPLY_DUE = 4,
};

class CFtpSocketWnd : public CWnd {
  DECLARE_DYNAMIC(CFtpSocketWnd)
public:
  // Prepares the session for a new connection (runs on the client's thread):
  // commands, reply text, flags and transfer fields cleared, alive 1, the
  // command-finished event made (manual reset, signalled), the proxy settings
  // taken from the site (option digit 9) or the global settings.
  explicit CFtpSocketWnd(NetSession* pSession);
  // Frees only: sockets still open are closed abortively, the relay event closed.
  ~CFtpSocketWnd() override;

  // Makes the hidden pop-up on the calling thread (the connection thread).
  BOOL CreateHidden();
  // On the window's thread: the same as Shutdown (QUIT first).
  BOOL DestroyWindow() override;
  // The end of the connection, on its own thread: QUIT once when the control
  // connection is up, at most kQuitWaitMs for the answer or the close, sockets
  // closed, window destroyed. Safe to call more than once.
  void Shutdown();

  // Feeds control-connection bytes to the reply assembler, then logs and
  // classifies what came out. The proxy code hands in what follows a proxy's
  // answer.
  void ProcessReplyBytes(const char* data, size_t size);

  NetSession* GetSession() const { return m_pSession; }
  SOCKET GetControlSocket() const { return m_ctrlSocket; }

  // ---- state ----
  LINGER m_linger;                    // control socket's linger (on, 0 s at start)
  SOCKET m_ctrlSocket;
  SOCKET m_listenSocket;
  NetSession* m_pSession;
  char m_dataBuf[kDataBufferSize];    // file and listing data
  char m_sendBuf[kSendBufferSize];    // the command being sent; empty when none
  char m_replyBuf[kReplyReadSize + 1];  // the last read of the control socket
  WSABUF m_recvDesc;                  // receive descriptor for overlapped-style receives
  HANDLE m_hTransferFile;             // raw handle of the session's file
  uint32_t m_bufPos;
  int64_t m_bytesMoved;               // in this transfer
  uint32_t m_bufFill;
  DWORD m_startTick;                  // transfer start
  char m_dataAddr[32];                // from a 227 reply
  int32_t m_dataPort;
  int32_t m_proxyState;               // ProxyState of the control socket's exchange
  int64_t m_bytesSinceMark;           // speed limit
  DWORD m_speedMark;
  int32_t m_uploadLimit;              // KB per second
  int32_t m_downloadLimit;
  int32_t m_uploadLimitOn;
  int32_t m_downloadLimitOn;
  char m_proxyHost[kProxyTextLen];
  char m_proxyUser[kProxyTextLen];
  char m_proxyPassword[kProxyTextLen];
  int32_t m_proxyPort;
  int32_t m_proxyType;
  SOCKET m_dataSocket;
  HANDLE m_hRelayReady;               // manual reset
  int32_t m_secondEvent;              // one of the two events that end a transfer has come
  CSiteItem* m_pSite;

protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg LRESULT OnCtrlSocket(WPARAM wParam, LPARAM lParam);
  // UWM_DATA_SOCKET: the data socket's proxy exchange takes its events first
  // (ftpsocketwnd_proxy.cpp); the rest go on to OnDataSocket.
  afx_msg LRESULT OnDataSocketEvent(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnDataSocket(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNetSend(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNetCommand(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnNetDetach(WPARAM wParam, LPARAM lParam);
  // The owed replies' limit: a server that has not answered an ABOR by then
  // fails the connection.
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

  // ---- control connection ----
  // Resolves, makes, selects and starts connecting the control socket; FALSE
  // (with its log line, the socket left invalid) on failure.
  BOOL OpenControlConnection(const char* host, int port);
  void OnCtrlConnect(int error);
  void OnCtrlRead(int error);
  // The server closed or the connection failed: everything the close step does.
  void CloseControlConnection();
  // A control-socket error: the log line, then the close step.
  void FailControlConnection(const char* logFormat);
  // Deselects, drains through the assembler into the log, shuts down, closes.
  void GracefulCloseControl();
  // Closes the listening and data sockets and drops the pending commands.
  void CloseDataConnection();

  // ---- commands ----
  // The window-side push (ABOR and QUIT rules, sequencer started when idle).
  void PushWindowSide(int verb, const char* arg);
  void PushFront(int verb, const char* arg);
  // ABOR after the data connection is closed; owed replies consumed before
  // anything else. An upload is given up by its data connection alone (the
  // server answers that), unless evenForUpload: a failed local read may come
  // before the server took the data connection, and only ABOR makes it answer.
  void SendAbort(bool evenForUpload = false);
  // Sends what is left of ABOR (after the rest of a command cut by a full
  // buffer); a full buffer keeps the rest for the next FD_WRITE.
  void FlushAbort();
  // A final reply while replies are owed: consumed, whatever its code; the
  // last one ends the abort.
  void ConsumeOwedReply(int code);
  // The site's download time-out (above 10) or g_recvTimeout, in ms; after
  // a command failed on its idle limit, SilentAbortReplyMs of that.
  UINT OwedRepliesLimitMs(bool afterSilence) const;
  // Sends the next pending command (or the rest of a half-sent one).
  void RunSequencer();
  // The next pending command starts, or with none the event is set.
  void NextOrDone();
  void SignalDone();
  void FailAndSignal();
  // The login's USER command (anonymous or the site's user; an FTP proxy's form).
  void PushLoginUser();

  // ---- replies ----
  void HandleReply(int code, const char* line);
  void HandlePositive(int code, int verb, const char* line);
  void HandleIntermediate(int verb);
  void HandleNegative(int code, int verb);
  void EndTransfer();
  void TransferReplyArrived();
  void FailTransfer(bool permanent);
  void OnLoginFolderReply(const char* line);

  // ---- hooks of the data connection (ftpsocketwnd_data.cpp) ----
  // PORT with an empty argument: a new listening socket and the command text;
  // FALSE (logged) when none could be made.
  BOOL MakePortCommand(char* out, size_t size);
  // A 227 reply to PASV with an argument: connects the data socket; FALSE when
  // no data socket results.
  BOOL OpenPassiveData(const char* reply);
  // Closes the open data socket gracefully and writes the transfer summary;
  // with or without a data socket, closes the session's transfer file (its one
  // owner from here) and clears the pointer.
  void CloseDataSocket();
  // A command became current: a transfer verb starts its transfer afresh, and
  // an upload verb with a data socket open gets an FD_WRITE to begin sending.
  void OnCommandCurrent(int verb);
  // The data connection's end, one of the two events that end a transfer:
  // FD_CLOSE of the data socket, or an aborted upload that never got one.
  void OnDataClosed(bool hadSocket);
  // A 1xx reply to the current command: an upload starts sending now.
  void OnPreliminaryReply(int verb);

  // ---- hooks of the proxy exchanges (ftpsocketwnd_proxy.cpp) ----
  // One exchange per socket: m_ctrlProxy for the control socket (its state
  // mirrored in m_proxyState), m_dataProxy for the data socket, so a reply on
  // one socket is never taken for the other's.
  // FD_WRITE of the control socket while its exchange runs: the SOCKS request
  // (types 1 and 2, state 1), or the rest of a request cut by a full buffer.
  void SendProxyGreeting(SOCKET s);
  // The control socket's bytes while its exchange runs; what follows the
  // proxy's answer (often the server's greeting) goes on as replies.
  void OnProxyReply(const char* data, size_t size);
  // FD_CLOSE of the control socket while its exchange runs: the proxy gave up.
  void OnProxyClosed();
  // Type 3: the HTTP CONNECT request for the site on the control connection.
  void SendHttpConnect(SOCKET s);
  // Types 11 and 12: the USER argument that names the target; FALSE for others.
  BOOL FormatProxyUser(char* out, size_t size) const;
  // Whether a passive data connection goes to the proxy (types 1, 2 and 3)
  // rather than straight to the 227 address (0 and 4..12). The data side
  // connects to m_proxyHost:m_proxyPort then, and on FD_CONNECT sets up the
  // transfer without sending the transfer verb: the exchange towards
  // m_dataAddr:m_dataPort runs from the first FD_WRITE and sends it once the
  // path stands.
  bool DataThroughProxy() const;

  // Starts a socket's exchange and sends its first request; false when the
  // socket was given up (logged, closed).
  bool BeginProxyExchange(bool data, const char* host, int port);
  // Sends what is left of the socket's request; false when the socket was
  // given up. A full buffer keeps the rest for the next FD_WRITE.
  bool FlushProxyRequest(bool data);
  // The answer a socket's exchange is waiting for.
  void FeedProxy(bool data, const char* bytes, size_t size);
  // "Connection failed through proxy": the socket closed, alive 0, event set.
  void RefuseProxy(bool data);

  CProxyNegotiator m_ctrlProxy;
  CProxyNegotiator m_dataProxy;
  std::string m_ctrlProxyOut;  // the rest of a proxy request still to send
  std::string m_dataProxyOut;
  bool m_dataProxyArmed = false;  // the data socket reached the proxy; its request is due

  const char* Host() const;
  bool IsKeeper() const;
  // Writes the assembler's log lines; hands its replies to HandleReply while
  // the control connection is open and classify is set.
  void DrainReplies(bool classify);
  // The wire text of a command into the send buffer; FALSE when it cannot be sent.
  BOOL FormatCommand(NetCommand& cmd);

  FtpReplyAssembler m_replies;
  NetCommand m_sending;       // the command in m_sendBuf until it is all out
  size_t m_sendLen;           // bytes of m_sendBuf to send
  size_t m_sendPos;           // bytes already sent
  bool m_ctrlConnected;       // FD_CONNECT came without an error
  bool m_quitSent;            // QUIT went out once; never again
  bool m_closing;             // inside the close step
  bool m_shutDown;            // Shutdown ran
  int32_t m_userRetries;      // USER sent again after a refused PASS (proxies)

  // ---- replies owed after ABOR ----
  // The final replies still to come for commands given up by ABOR (the
  // aborted command's, unless it came, and ABOR's own). Until they are in,
  // no reply is taken for a command and no command is sent.
  int32_t m_repliesOwed = 0;
  bool m_transferReplyDue = false;  // the current transfer verb's final reply has not come
  bool m_abortWaited = false;       // a client waits for the abort's end (cleared when it is woken)
  bool m_dataGivenUp = false;       // while an abort closes the data connection: reset, not drained
  bool m_abortDue = false;          // ABOR still to go out, whole
  bool m_abortUrgent = false;       // out of band, for a transfer between two servers
  size_t m_abortSent = 0;           // bytes of ABOR already sent

  // ---- data side (ftpsocketwnd_data.cpp) ----
  friend class CFtpDataPath;
  CSpeedLimiter m_limiter;
  int32_t m_dataVerb = VERB_NONE;        // the transfer verb the data connection serves
  size_t m_listLen = 0;                  // listing bytes in the session's block
  // The server answered the upload verb with 1xx: until then nothing is sent,
  // or a fast upload could end before the server (or an FTP proxy between)
  // has taken the data connection up.
  bool m_uploadCleared = false;
  // The data loop has read the peer's end of the data socket: its close has
  // nothing left to drain.
  bool m_dataEnded = false;
  // Who has m_dataSocket while it is handed to a partner's relay pump
  // (RelayHold in ftpsocketwnd_data.cpp): free, held by the pump, asked back
  // by this window, or left to the pump to close. Exactly one side closes it,
  // and the pump never touches it after that.
  std::atomic<int32_t> m_relayBusy{0};
  // The data socket handed to a partner's relay pump (once per socket: a late
  // second FD_WRITE must not raise the ready event for a copy already over).
  std::atomic<SOCKET> m_relaySocket{INVALID_SOCKET};
};
