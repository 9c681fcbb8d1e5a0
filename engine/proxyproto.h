// The bytes and lines of the proxy exchanges, with no sockets: request
// builders, reply readers that accumulate across reads, and CProxyNegotiator,
// which runs one socket's SOCKS4/4A, SOCKS5 or HTTP CONNECT exchange.
//
// A window drives one negotiator per socket:
//   Begin(...) at connect time (false: refuse, "Connection failed through proxy")
//   on the first FD_WRITE send Request(), then GreetingSent()
//   on FD_READ: Feed(bytes) ->
//     STEP_MORE     wait for the next read
//     STEP_SEND     send Request() (the next message of the exchange)
//     STEP_DONE     the path stands; Leftover() is what followed the proxy's
//                   answer (on a control socket often the server's "220")
//     STEP_REFUSED  log the refusal, close the socket, alive := 0, event set
//   the proxy closing before STEP_DONE is a refusal too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "framework/fwstring.h"

// Proxy types of the site (option digit 9) and the global settings.
enum ProxyType : int32_t {
  PROXY_TYPE_NONE = 0,
  PROXY_TYPE_SOCKS4 = 1,     // with the SOCKS4A host-name form
  PROXY_TYPE_SOCKS5 = 2,     // no authentication or user name and password
  PROXY_TYPE_HTTP = 3,       // HTTP CONNECT
  PROXY_TYPE_FTP_SITE = 11,  // FTP proxy: USER siteuser@host:port proxyuser
  PROXY_TYPE_FTP_PROXY = 12, // FTP proxy: USER proxyuser@host:port
};

// The type of a site's option digit 9: '0' none of its own (the global settings
// apply), '1'..'9' 1..9, ':' ';' '<' 10, 11, 12 (the site pages store 0..12 as
// '0' + type); any other character counts as '0'.
int32_t ProxyTypeFromDigit(char digit);

// Longest host name, user name or password a proxy exchange carries: SOCKS
// sends each with a one-byte length, and a cut one would name someone else.
constexpr size_t kProxyFieldMax = 255;

// "a.b.c.d", four decimal numbers 0..255 of at most three digits, nothing else.
bool ParseDottedQuad(const char* text, uint8_t addr[4]);

// A name look-up: true with the IPv4 address (network order) of host.
typedef std::function<bool(const char* host, uint8_t addr[4])> HostResolver;

// Every builder takes the target host with leading blanks skipped and refuses
// (false, out empty) an empty or over-long host, a host with control bytes or
// blanks, a port outside 1..65535 and an over-long user or password.

// SOCKS4 connect: 4, 1, port (network order), then the four address bytes and
// an empty user id (9 bytes) for a dotted host or a name the resolver knows,
// else 0.0.0.1, an empty user id, the name and a 0 byte (SOCKS4A). resolve may
// be empty (names then go as SOCKS4A).
bool BuildSocks4Request(const char* host, int port, const HostResolver& resolve, std::string& out);
// SOCKS5 greeting: 5, 2 methods, 0 (no authentication), 2 (user and password).
std::string BuildSocks5Greeting();
// RFC 1929: 1, user length, user, password length, password.
bool BuildSocks5Auth(const char* user, const char* password, std::string& out);
// SOCKS5 connect: 5, 1, 0, then type 1 and four bytes for a dotted host other
// than 0.0.0.0 and 255.255.255.255, else type 3, a length byte and the name;
// then the port in network order.
bool BuildSocks5Connect(const char* host, int port, std::string& out);
// "CONNECT host:port HTTP/1.1\r\nHost: host:port\r\n" then "Authorization:
// Basic " and "Proxy-Authorization: Basic " with the Base64 of "user:password"
// (both lines always, also for empty credentials), then the empty line.
bool BuildHttpConnect(const char* host, int port, const char* user, const char* password, std::string& out);
// The USER argument of an FTP proxy: type 11 "loginUser@host:port proxyUser"
// (loginUser: the site user or "anonymous"), type 12 "proxyUser@host:port".
// False for other types, over-long fields or a text that does not fit a command.
bool FormatFtpProxyUser(int32_t type, const char* loginUser, const char* host, int port, const char* proxyUser,
                        CString& out);

enum ProxyReadResult : int32_t {
  PROXY_READ_MORE = 0,     // the answer is not complete yet
  PROXY_READ_OK = 1,       // granted
  PROXY_READ_REFUSED = 2,  // refused or not the answer of such a proxy
};

// Reads one proxy answer from any cuts of the byte stream. Decides as soon as
// the deciding byte is in (a refusal need not wait for the rest), and keeps the
// bytes after the answer in Leftover().
//   SOCKS4_CONNECT  8 bytes; CD (2nd byte) 90 grants
//   SOCKS5_METHOD   2 bytes; method 0 or 2 grants (Value() says which), else refused
//   SOCKS5_AUTH     2 bytes; status 0 grants
//   SOCKS5_CONNECT  4 + address (type 1: 4, 3: 1 + length, 4: 16) + 2 bytes;
//                   REP 0 grants; another address type is refused
//   HTTP_CONNECT    "HTTP/x.y NNN ..." up to the empty line; 2xx grants, any
//                   other status at once refused; over kMaxHttpAnswer refused
class CProxyReplyReader {
public:
  enum Kind : int32_t { SOCKS4_CONNECT = 1, SOCKS5_METHOD, SOCKS5_AUTH, SOCKS5_CONNECT, HTTP_CONNECT };
  static constexpr size_t kMaxHttpAnswer = 16384;

  explicit CProxyReplyReader(Kind kind = SOCKS4_CONNECT) { Reset(kind); }
  void Reset(Kind kind);

  // Takes the next bytes. Once decided, the result stays and more bytes are
  // ignored (Leftover() keeps the bytes of the deciding call).
  ProxyReadResult Feed(const void* data, size_t size);

  Kind GetKind() const { return m_kind; }
  ProxyReadResult Result() const { return m_result; }
  // CD, method, status, REP or HTTP status code; -1 until it has come.
  int32_t Value() const { return m_value; }
  // The bytes of the answer read so far.
  const std::string& Reply() const { return m_reply; }
  // The bytes after the answer, from the call that decided.
  const std::string& Leftover() const { return m_leftover; }

private:
  ProxyReadResult Step();  // after each byte
  ProxyReadResult StepHttp();

  Kind m_kind = SOCKS4_CONNECT;
  ProxyReadResult m_result = PROXY_READ_MORE;
  int32_t m_value = -1;
  std::string m_reply;
  std::string m_leftover;
  size_t m_lineStart = 0;  // HTTP: where the current line began
};

class CProxyNegotiator {
public:
  enum Step : int32_t { STEP_MORE, STEP_SEND, STEP_DONE, STEP_REFUSED };

  CProxyNegotiator() = default;

  // Starts the exchange for type 1, 2 or 3 towards host:port; user and password
  // are the proxy's. False (nothing to send) for another type or a target or
  // credentials the exchange cannot carry: the caller refuses.
  bool Begin(int32_t type, const char* host, int port, const char* user, const char* password,
             const HostResolver& resolve);
  // Back to idle, as after a socket closes.
  void Reset();

  // The message to send now: the first after Begin, the next after STEP_SEND.
  const std::string& Request() const { return m_request; }
  // The first message went out: its answer is now due.
  void GreetingSent();
  Step Feed(const void* data, size_t size);
  // After STEP_DONE: the bytes that followed the proxy's answer.
  const std::string& Leftover() const { return m_reader.Leftover(); }

  // 0 idle or finished, 1 greeting due, 2 method reply due, 3 authentication
  // reply due, 4 connect reply due.
  int32_t State() const { return m_state; }
  bool IsActive() const { return m_state != 0; }
  int32_t Type() const { return m_type; }
  // The answer that decided a refusal (kind, value).
  const CProxyReplyReader& Reader() const { return m_reader; }

private:
  Step Refuse();

  int32_t m_type = PROXY_TYPE_NONE;
  int32_t m_state = 0;
  int32_t m_afterGreeting = 0;  // the state GreetingSent moves to
  std::string m_request;
  std::string m_user;
  std::string m_password;
  std::string m_connect;        // SOCKS5: the connect request, sent after the method (and auth)
  CProxyReplyReader m_reader;
};
