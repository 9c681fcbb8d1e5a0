// The real channel: a raw ICMP socket, waited on in slices so the stop event
// is seen within 100 ms.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>

#include "console/pingengine.h"

namespace {

constexpr DWORD kSliceMs = 100;
// Longer than any DNS name: refused before the resolver sees it.
constexpr size_t kMaxHostLen = 255;

class RawIcmpChannel : public IcmpChannel {
public:
  ~RawIcmpChannel() override { Close(); }

  long Open() override
  {
    m_socket = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
    return m_socket == INVALID_SOCKET ? ::WSAGetLastError() : 0;
  }

  bool Resolve(const char* host, uint32_t* address) override
  {
    if (host == nullptr || *host == '\0' || std::strlen(host) > kMaxHostLen)
      return false;
    const unsigned long dotted = ::inet_addr(host);
    if (dotted != INADDR_NONE) {
      *address = (uint32_t)dotted;
      return true;
    }
    const hostent* he = ::gethostbyname(host);
    if (he == nullptr || he->h_addrtype != AF_INET || he->h_addr_list[0] == nullptr)
      return false;
    std::memcpy(address, he->h_addr_list[0], 4);
    return true;
  }

  long Send(uint32_t address, const void* data, int len) override
  {
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    const int n = ::sendto(m_socket, static_cast<const char*>(data), len, 0, (const sockaddr*)&to, sizeof to);
    return n == SOCKET_ERROR ? ::WSAGetLastError() : 0;
  }

  WaitResult WaitReadable(HANDLE stop, DWORD ms, long* error) override
  {
    const DWORD start = ::GetTickCount();
    for (;;) {
      if (::WaitForSingleObject(stop, 0) == WAIT_OBJECT_0)
        return kStopped;
      const DWORD spent = ::GetTickCount() - start;
      if (spent >= ms)
        return kTimedOut;
      const DWORD slice = std::min(kSliceMs, ms - spent);
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(m_socket, &readable);
      timeval tv = {(long)(slice / 1000), (long)(slice % 1000) * 1000};
      const int n = ::select(0, &readable, nullptr, nullptr, &tv);
      if (n == SOCKET_ERROR) {
        *error = ::WSAGetLastError();
        return kWaitFailed;
      }
      if (n > 0)
        return kReadable;
    }
  }

  long Receive(uint8_t* buf, int size, int* got, uint32_t* from) override
  {
    sockaddr_in sender = {};
    int senderLen = sizeof sender;
    const int n = ::recvfrom(m_socket, reinterpret_cast<char*>(buf), size, 0, (sockaddr*)&sender, &senderLen);
    *got = 0;
    if (n == SOCKET_ERROR) {
      const long error = ::WSAGetLastError();
      // Someone else's oversized packet is not a failure of our run.
      return error == WSAEMSGSIZE || error == WSAEWOULDBLOCK ? 0 : error;
    }
    *got = n;
    *from = sender.sin_addr.s_addr;
    return 0;
  }

  long Close() override
  {
    if (m_socket == INVALID_SOCKET)
      return 0;
    const int r = ::closesocket(m_socket);
    m_socket = INVALID_SOCKET;
    return r == SOCKET_ERROR ? ::WSAGetLastError() : 0;
  }

private:
  SOCKET m_socket = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<IcmpChannel> NewRawIcmpChannel() { return std::make_unique<RawIcmpChannel>(); }
