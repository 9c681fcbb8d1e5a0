// Proxy requests, answers and the per-socket exchange.
#include "engine/proxyproto.h"

#include <cstdio>
#include <cstring>

#include "engine/base64.h"
#include "engine/netsession.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

const char* SkipLeadingBlanks(const char* s)
{
  while (*s == ' ' || *s == '\t')
    ++s;
  return s;
}

// A target host the exchanges can carry: 1..255 bytes, no control bytes or
// blanks (an HTTP request line must not be split by one).
bool ValidHost(const char* host)
{
  const size_t n = strlen(host);
  if (n == 0 || n > kProxyFieldMax)
    return false;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = (unsigned char)host[i];
    if (c <= 0x20 || c == 0x7F)
      return false;
  }
  return true;
}

bool ValidPort(int port) { return port >= 1 && port <= 65535; }

bool FieldFits(const char* s) { return s != nullptr && strlen(s) <= kProxyFieldMax; }

void AppendPort(std::string& out, int port)
{
  out += (char)((port >> 8) & 0xFF);
  out += (char)(port & 0xFF);
}

// The target host ready for a builder, or null when it cannot be sent.
const char* TargetHost(const char* host, int port)
{
  if (host == nullptr || !ValidPort(port))
    return nullptr;
  host = SkipLeadingBlanks(host);
  return ValidHost(host) ? host : nullptr;
}

}  // namespace

int32_t ProxyTypeFromDigit(char digit)
{
  if (digit >= '0' && digit <= '<')
    return digit - '0';
  return PROXY_TYPE_NONE;
}

bool ParseDottedQuad(const char* text, uint8_t addr[4])
{
  if (text == nullptr)
    return false;
  const char* p = text;
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) {
    int value = 0;
    int digits = 0;
    while (IsDigit(*p)) {
      if (++digits > 3)
        return false;
      value = value * 10 + (*p++ - '0');
    }
    if (digits == 0 || value > 255)
      return false;
    bytes[i] = (uint8_t)value;
    if (i < 3 && *p++ != '.')
      return false;
  }
  if (*p != '\0')
    return false;
  memcpy(addr, bytes, 4);
  return true;
}

bool BuildSocks4Request(const char* host, int port, const HostResolver& resolve, std::string& out)
{
  out.clear();
  host = TargetHost(host, port);
  if (host == nullptr)
    return false;
  out += '\x04';
  out += '\x01';
  AppendPort(out, port);
  uint8_t addr[4];
  if (ParseDottedQuad(host, addr) || (resolve && resolve(host, addr))) {
    out.append(reinterpret_cast<const char*>(addr), 4);
    out += '\0';  // empty user id
  } else {
    // SOCKS4A: the proxy resolves the name.
    out.append("\0\0\0\x01", 4);
    out += '\0';
    out += host;
    out += '\0';
  }
  return true;
}

std::string BuildSocks5Greeting()
{
  return std::string("\x05\x02\x00\x02", 4);
}

bool BuildSocks5Auth(const char* user, const char* password, std::string& out)
{
  out.clear();
  if (!FieldFits(user) || !FieldFits(password))
    return false;
  out += '\x01';
  out += (char)strlen(user);
  out += user;
  out += (char)strlen(password);
  out += password;
  return true;
}

bool BuildSocks5Connect(const char* host, int port, std::string& out)
{
  out.clear();
  host = TargetHost(host, port);
  if (host == nullptr)
    return false;
  out.append("\x05\x01\x00", 3);
  uint8_t addr[4];
  if (ParseDottedQuad(host, addr) && strcmp(host, "0.0.0.0") != 0 && strcmp(host, "255.255.255.255") != 0) {
    out += '\x01';
    out.append(reinterpret_cast<const char*>(addr), 4);
  } else {
    out += '\x03';
    out += (char)strlen(host);
    out += host;
  }
  AppendPort(out, port);
  return true;
}

bool BuildHttpConnect(const char* host, int port, const char* user, const char* password, std::string& out)
{
  out.clear();
  host = TargetHost(host, port);
  if (host == nullptr || !FieldFits(user) || !FieldFits(password))
    return false;
  const std::string credentials = std::string(user) + ":" + password;
  const std::string encoded = CBase64().Encode(credentials);
  CString text;
  text.Format("CONNECT %s:%d HTTP/1.1\r\nHost: %s:%d\r\nAuthorization: Basic %s\r\n"
              "Proxy-Authorization: Basic %s\r\n\r\n",
              host, port, host, port, encoded.c_str(), encoded.c_str());
  out = text.str();
  return true;
}

bool FormatFtpProxyUser(int32_t type, const char* loginUser, const char* host, int port, const char* proxyUser,
                        CString& out)
{
  out.Empty();
  if ((type != PROXY_TYPE_FTP_SITE && type != PROXY_TYPE_FTP_PROXY) || !FieldFits(loginUser) ||
      !FieldFits(proxyUser))
    return false;
  host = TargetHost(host, port);
  if (host == nullptr)
    return false;
  if (type == PROXY_TYPE_FTP_SITE)
    out.Format("%s@%s:%d %s", loginUser, host, port, proxyUser);
  else
    out.Format("%s@%s:%d", proxyUser, host, port);
  // A cut argument would name another account.
  if ((size_t)out.GetLength() >= kCommandArgLen) {
    out.Empty();
    return false;
  }
  return true;
}

// ---- CProxyReplyReader ----

void CProxyReplyReader::Reset(Kind kind)
{
  m_kind = kind;
  m_result = PROXY_READ_MORE;
  m_value = -1;
  m_reply.clear();
  m_leftover.clear();
  m_lineStart = 0;
}

ProxyReadResult CProxyReplyReader::Feed(const void* data, size_t size)
{
  if (m_result != PROXY_READ_MORE)
    return m_result;
  const char* p = static_cast<const char*>(data);
  for (size_t i = 0; i < size; ++i) {
    m_reply += p[i];
    m_result = Step();
    if (m_result != PROXY_READ_MORE) {
      m_leftover.assign(p + i + 1, size - i - 1);
      break;
    }
  }
  return m_result;
}

ProxyReadResult CProxyReplyReader::Step()
{
  const size_t n = m_reply.size();
  const uint8_t* r = reinterpret_cast<const uint8_t*>(m_reply.data());
  switch (m_kind) {
  case SOCKS4_CONNECT:
    if (n == 2) {
      m_value = r[1];
      if (m_value != 90)
        return PROXY_READ_REFUSED;
    }
    return n == 8 ? PROXY_READ_OK : PROXY_READ_MORE;
  case SOCKS5_METHOD:
    if (n < 2)
      return PROXY_READ_MORE;
    m_value = r[1];
    return (m_value == 0 || m_value == 2) ? PROXY_READ_OK : PROXY_READ_REFUSED;
  case SOCKS5_AUTH:
    if (n < 2)
      return PROXY_READ_MORE;
    m_value = r[1];
    return m_value == 0 ? PROXY_READ_OK : PROXY_READ_REFUSED;
  case SOCKS5_CONNECT: {
    if (n == 2) {
      m_value = r[1];
      if (m_value != 0)
        return PROXY_READ_REFUSED;
    }
    if (n < 4)
      return PROXY_READ_MORE;
    size_t addrLen;
    if (r[3] == 1) {
      addrLen = 4;
    } else if (r[3] == 4) {
      addrLen = 16;
    } else if (r[3] == 3) {
      if (n < 5)
        return PROXY_READ_MORE;
      addrLen = 1 + (size_t)r[4];
    } else {
      return PROXY_READ_REFUSED;
    }
    return n == 4 + addrLen + 2 ? PROXY_READ_OK : PROXY_READ_MORE;
  }
  case HTTP_CONNECT:
    return StepHttp();
  }
  return PROXY_READ_REFUSED;
}

ProxyReadResult CProxyReplyReader::StepHttp()
{
  static const char kPrefix[] = "HTTP/";
  const size_t n = m_reply.size();
  if (n > kMaxHttpAnswer)
    return PROXY_READ_REFUSED;
  // Anything but an HTTP answer is refused as soon as it shows.
  if (n <= 5 && m_reply[n - 1] != kPrefix[n - 1])
    return PROXY_READ_REFUSED;
  if (m_reply[n - 1] != '\n')
    return PROXY_READ_MORE;

  const size_t lineStart = m_lineStart;
  m_lineStart = n;
  if (lineStart == 0) {
    // The status line: "HTTP/1.1 200 Connection established".
    size_t i = 5;
    while (i < n && m_reply[i] != ' ' && m_reply[i] != '\r' && m_reply[i] != '\n')
      ++i;
    while (i < n && m_reply[i] == ' ')
      ++i;
    if (i + 3 > n || !IsDigit(m_reply[i]) || !IsDigit(m_reply[i + 1]) || !IsDigit(m_reply[i + 2]))
      return PROXY_READ_REFUSED;
    const char after = i + 3 < n ? m_reply[i + 3] : '\n';
    if (after != ' ' && after != '\r' && after != '\n')
      return PROXY_READ_REFUSED;
    m_value = (m_reply[i] - '0') * 100 + (m_reply[i + 1] - '0') * 10 + (m_reply[i + 2] - '0');
    return (m_value >= 200 && m_value <= 299) ? PROXY_READ_MORE : PROXY_READ_REFUSED;
  }
  // An empty line (CR LF or a bare LF) ends the header.
  const size_t lineLen = n - lineStart;
  if (lineLen == 1 || (lineLen == 2 && m_reply[lineStart] == '\r'))
    return PROXY_READ_OK;
  return PROXY_READ_MORE;
}

// ---- CProxyNegotiator ----

bool CProxyNegotiator::Begin(int32_t type, const char* host, int port, const char* user, const char* password,
                             const HostResolver& resolve)
{
  Reset();
  if (user == nullptr)
    user = "";
  if (password == nullptr)
    password = "";
  bool built = false;
  switch (type) {
  case PROXY_TYPE_SOCKS4:
    built = BuildSocks4Request(host, port, resolve, m_request);
    m_reader.Reset(CProxyReplyReader::SOCKS4_CONNECT);
    m_afterGreeting = 4;
    break;
  case PROXY_TYPE_SOCKS5:
    built = BuildSocks5Connect(host, port, m_connect);
    m_request = BuildSocks5Greeting();
    m_reader.Reset(CProxyReplyReader::SOCKS5_METHOD);
    m_afterGreeting = 2;
    break;
  case PROXY_TYPE_HTTP:
    built = BuildHttpConnect(host, port, user, password, m_request);
    m_reader.Reset(CProxyReplyReader::HTTP_CONNECT);
    m_afterGreeting = 4;
    break;
  default:
    break;
  }
  if (!built) {
    Reset();
    return false;
  }
  m_type = type;
  m_user = user;
  m_password = password;
  m_state = 1;
  return true;
}

void CProxyNegotiator::Reset()
{
  m_type = PROXY_TYPE_NONE;
  m_state = 0;
  m_afterGreeting = 0;
  m_request.clear();
  m_user.clear();
  m_password.clear();
  m_connect.clear();
  m_reader.Reset(CProxyReplyReader::SOCKS4_CONNECT);
}

void CProxyNegotiator::GreetingSent()
{
  if (m_state == 1)
    m_state = m_afterGreeting;
}

CProxyNegotiator::Step CProxyNegotiator::Refuse()
{
  m_state = 0;
  m_request.clear();
  return STEP_REFUSED;
}

CProxyNegotiator::Step CProxyNegotiator::Feed(const void* data, size_t size)
{
  if (m_state == 0)
    return STEP_REFUSED;  // nothing is due: a proxy that speaks now is no proxy of ours
  const ProxyReadResult r = m_reader.Feed(data, size);
  if (r == PROXY_READ_MORE)
    return STEP_MORE;
  if (r == PROXY_READ_REFUSED)
    return Refuse();
  // Granted. What follows the answer in this read: a SOCKS5 proxy has no reason
  // to send more before our next request, so it belongs to nobody; after the
  // last answer it is the caller's.
  if (m_type == PROXY_TYPE_SOCKS5 && m_reader.GetKind() == CProxyReplyReader::SOCKS5_METHOD) {
    if (m_reader.Value() == 2) {
      if (!BuildSocks5Auth(m_user.c_str(), m_password.c_str(), m_request))
        return Refuse();
      m_reader.Reset(CProxyReplyReader::SOCKS5_AUTH);
      m_state = 3;
      return STEP_SEND;
    }
    m_request = m_connect;
    m_reader.Reset(CProxyReplyReader::SOCKS5_CONNECT);
    m_state = 4;
    return STEP_SEND;
  }
  if (m_type == PROXY_TYPE_SOCKS5 && m_reader.GetKind() == CProxyReplyReader::SOCKS5_AUTH) {
    m_request = m_connect;
    m_reader.Reset(CProxyReplyReader::SOCKS5_CONNECT);
    m_state = 4;
    return STEP_SEND;
  }
  m_state = 0;
  m_request.clear();
  return STEP_DONE;
}
