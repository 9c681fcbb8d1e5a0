#include "tests/proxy/proxypeer.h"

#include <winsock2.h>

#include <cstdio>
#include <cstring>

#include "tests/net/netclient.h"
#include "tests/support/peers.h"

namespace proxytest {

namespace {

// One request line to the recording proxy's control port; the whole answer.
std::string Control(const std::string& line)
{
  peers::StartSockets();
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET)
    return "";
  sockaddr_in a;
  memset(&a, 0, sizeof(a));
  a.sin_family = AF_INET;
  a.sin_port = htons((u_short)peers::Port("ZARN_SCRIPTPROXY_CTL_PORT"));
  a.sin_addr.s_addr = htonl(0x7F000001);
  std::string in;
  if (::connect(s, (sockaddr*)&a, sizeof(a)) == 0) {
    const std::string out = line + "\n";
    ::send(s, out.data(), (int)out.size(), 0);
    char buf[4096];
    for (;;) {
      const int n = ::recv(s, buf, sizeof(buf), 0);
      if (n <= 0)
        break;
      in.append(buf, (size_t)n);
    }
  }
  ::closesocket(s);
  return in;
}

}  // namespace

bool Mode(const std::string& settings)
{
  return Control("MODE " + settings).rfind("OK", 0) == 0;
}

std::vector<std::string> Received()
{
  std::vector<std::string> lines;
  const std::string all = Control("RECEIVED");
  size_t pos = 0;
  while (pos < all.size()) {
    size_t nl = all.find('\n', pos);
    if (nl == std::string::npos)
      nl = all.size();
    const std::string l = all.substr(pos, nl - pos);
    pos = nl + 1;
    if (l == ".")
      break;
    lines.push_back(l);
  }
  return lines;
}

std::string Hex(const std::string& bytes)
{
  std::string out;
  char two[3];
  for (unsigned char c : bytes) {
    snprintf(two, sizeof(two), "%02x", c);
    out += two;
  }
  return out;
}

std::string PortHex(int port)
{
  char text[5];
  snprintf(text, sizeof(text), "%04x", port & 0xFFFF);
  return text;
}

int PyftpdPort() { return peers::Port("ZARN_PYFTPD_PORT"); }
std::string PyftpdUser() { return peers::Env("ZARN_PYFTPD_USER"); }
std::string PyftpdPass() { return peers::Env("ZARN_PYFTPD_PASS"); }

void SetUpProxiedSite(CSiteItem& site, char digit, int proxyPort, const char* proxyUser, const char* proxyPassword)
{
  nettest::SetUpSite(site, PyftpdPort(), PyftpdUser().c_str(), PyftpdPass().c_str(), false);
  site.SiteOptionDigits[9] = digit;
  CopySiteText(site.m_proxyHost, "127.0.0.1");
  site.m_proxyPort = proxyPort;
  CopySiteText(site.m_proxyUser, proxyUser);
  CopySiteText(site.m_proxyPassword, proxyPassword);
}

}  // namespace proxytest
