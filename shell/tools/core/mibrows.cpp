#include "shell/tools/mibrows.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr int kMaxRetries = 3;
constexpr char kDashes[] = "------";
}  // namespace

std::string DottedAddress(uint32_t netAddr)
{
  uint8_t b[4];
  std::memcpy(b, &netAddr, 4);  // network order: the first octet comes first in memory
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}

std::string PortText(uint32_t netPort)
{
  uint8_t b[4];
  std::memcpy(b, &netPort, 4);
  const unsigned port = (static_cast<unsigned>(b[0]) << 8) | b[1];
  char text[8];
  std::snprintf(text, sizeof text, "%u", port);
  return text;
}

const char* TcpStateText(uint32_t state, bool* dashes)
{
  *dashes = false;
  switch (state) {
    case 1: return "Closed";
    case 2: *dashes = true; return "Listening";
    case 3: return "SYN Sent";
    case 4: return "SYN Received";
    case 5: return "Established";
    case 6:
    case 7: return "Waiting for FIN";
    case 8: *dashes = true; return "Waiting for Close";
    case 9: *dashes = true; return "Closing";
    case 10: return "Last ACK";
    case 11: *dashes = true; return "Time Wait";
    case 12: return "TCB deleted";
    default: *dashes = true; return "Unknown status";
  }
}

std::vector<std::string> FormatTcpRow(const TcpEntry& e)
{
  std::vector<std::string> row(5);
  row[0] = DottedAddress(e.localAddr);
  row[1] = PortText(e.localPort);
  const std::string remote = DottedAddress(e.remoteAddr);
  if (remote[0] != '0') {
    row[2] = remote;
    row[3] = PortText(e.remotePort);
  }
  bool dashes = false;
  row[4] = TcpStateText(e.state, &dashes);
  if (dashes)
    row[2] = row[3] = kDashes;
  return row;
}

std::vector<std::string> FormatUdpRow(const UdpEntry& e) { return {DottedAddress(e.localAddr), PortText(e.localPort)}; }

bool FetchIpTable(const std::function<uint32_t(uint8_t* buffer, uint32_t* size)>& call, uint32_t initialSize,
                  std::vector<uint8_t>* buffer)
{
  uint32_t size = initialSize;
  for (int attempt = 0; attempt <= kMaxRetries; attempt++) {
    buffer->assign(size == 0 ? 1 : size, 0);
    uint32_t asked = size;
    const uint32_t rc = call(buffer->data(), &asked);
    if (rc == 0)
      return true;
    if (rc != kErrorInsufficientBuffer || asked <= size)
      break;
    // A busy machine opens connections between two calls: asked for exactly
    // the reported size, the next call is short again as often as not.
    size = asked + asked / 4;
  }
  buffer->clear();
  return false;
}

namespace {
template <class Entry>
std::vector<Entry> ParseTable(const std::vector<uint8_t>& buffer)
{
  std::vector<Entry> rows;
  uint32_t count = 0;
  if (buffer.size() < 4)
    return rows;
  std::memcpy(&count, buffer.data(), 4);
  // Whatever the count says, only the rows inside the buffer are read.
  const size_t fit = (buffer.size() - 4) / sizeof(Entry);
  rows.resize(count < fit ? count : fit);
  if (!rows.empty())
    std::memcpy(rows.data(), buffer.data() + 4, rows.size() * sizeof(Entry));
  return rows;
}
}  // namespace

std::vector<TcpEntry> ParseTcpTable(const std::vector<uint8_t>& buffer) { return ParseTable<TcpEntry>(buffer); }
std::vector<UdpEntry> ParseUdpTable(const std::vector<uint8_t>& buffer) { return ParseTable<UdpEntry>(buffer); }
