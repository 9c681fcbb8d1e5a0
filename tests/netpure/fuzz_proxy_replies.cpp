// Any bytes as a proxy's answer or a 227 reply: no crash, no overflow, and the
// decision never depends on how the bytes were cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/pasvreply.h"
#include "engine/proxyproto.h"

namespace {

void CheckPasv(const std::string& text)
{
  char addr[kPasvAddrSize + 1];
  addr[kPasvAddrSize] = 'G';
  int32_t port = -1;
  const bool ok = ParsePasvReply(text.c_str(), addr, kPasvAddrSize, &port);
  if (addr[kPasvAddrSize] != 'G')
    abort();
  uint8_t quad[4];
  if (ok && (!ParseDottedQuad(addr, quad) || port < 1 || port > 65535))
    abort();
  if (!ok && (addr[0] != '\0' || port != 0))
    abort();
}

void CheckReader(CProxyReplyReader::Kind kind, const uint8_t* data, size_t size, size_t cut)
{
  CProxyReplyReader whole(kind);
  const ProxyReadResult a = whole.Feed(data, size);
  if (whole.Reply().size() + whole.Leftover().size() != size && a != PROXY_READ_MORE)
    abort();
  if (a == PROXY_READ_MORE && (whole.Reply().size() != size || !whole.Leftover().empty()))
    abort();

  CProxyReplyReader split(kind);
  ProxyReadResult b = split.Feed(data, cut);
  std::string left;
  if (b == PROXY_READ_MORE) {
    b = split.Feed(data + cut, size - cut);
    left = split.Leftover();
  } else {
    left = split.Leftover() + std::string(reinterpret_cast<const char*>(data) + cut, size - cut);
  }
  if (a != b || whole.Value() != split.Value() || whole.Leftover() != left || whole.Reply() != split.Reply())
    abort();
  if (whole.Reply().size() > CProxyReplyReader::kMaxHttpAnswer + 1)
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 2)
    return 0;
  const int which = data[0] % 6;
  const size_t cut = size > 2 ? data[1] % (size - 1) : 0;
  data += 2;
  size -= 2;
  if (which == 0) {
    CheckPasv(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
  }
  CheckReader((CProxyReplyReader::Kind)which, data, size, cut < size ? cut : size);
  // A whole exchange fed the same bytes answers without looping or overflowing.
  CProxyNegotiator n;
  if (n.Begin(which == 5 ? PROXY_TYPE_HTTP : (which == 1 ? PROXY_TYPE_SOCKS4 : PROXY_TYPE_SOCKS5), "127.0.0.1", 21,
              "u", "pw", HostResolver())) {
    n.GreetingSent();
    size_t pos = 0;
    while (pos < size) {
      const size_t piece = (size - pos) < 3 ? size - pos : 3;
      const CProxyNegotiator::Step s = n.Feed(data + pos, piece);
      pos += piece;
      if (s == CProxyNegotiator::STEP_DONE || s == CProxyNegotiator::STEP_REFUSED)
        break;
    }
  }
  return 0;
}
