#include "console/core/pingpacket.h"

#include <cstdio>
#include <cstring>

uint16_t InternetChecksum(const void* data, size_t len)
{
  const uint8_t* p = static_cast<const uint8_t*>(data);
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 1 < len; i += 2)
    sum += static_cast<uint32_t>(p[i] | (p[i + 1] << 8));
  if (i < len)
    sum += p[i];
  while (sum >> 16)
    sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum & 0xFFFF);
}

IcmpEchoRequest BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t tick)
{
  IcmpEchoRequest r;
  std::memset(&r, 0, sizeof r);
  r.type = 8;
  r.code = 0;
  // Little-endian on the wire whatever the host: the reply echoes these bytes.
  uint8_t* raw = reinterpret_cast<uint8_t*>(&r);
  raw[4] = static_cast<uint8_t>(identifier);
  raw[5] = static_cast<uint8_t>(identifier >> 8);
  raw[6] = static_cast<uint8_t>(sequence);
  raw[7] = static_cast<uint8_t>(sequence >> 8);
  for (int b = 0; b < 4; b++)
    r.tick[b] = static_cast<uint8_t>(tick >> (8 * b));
  for (int b = 0; b < kPingDataBytes; b++)
    r.data[b] = static_cast<uint8_t>(0x20 + b);
  const uint16_t sum = InternetChecksum(&r, sizeof r);
  raw[2] = static_cast<uint8_t>(sum);
  raw[3] = static_cast<uint8_t>(sum >> 8);
  return r;
}

PingCounter& PingIdentifiers()
{
  static PingCounter counter;
  return counter;
}

PingCounter& PingSequences()
{
  static PingCounter counter;
  return counter;
}

bool ParseEchoReply(const uint8_t* buf, size_t len, uint16_t identifier, uint16_t sequence, EchoReply* reply)
{
  if (buf == nullptr || len < 20)
    return false;
  const size_t ipLen = static_cast<size_t>(buf[0] & 0x0F) * 4;
  // The ICMP header (8 bytes) and the echoed tick behind it.
  if (ipLen < 20 || len < ipLen + 13)
    return false;
  const uint8_t* icmp = buf + ipLen;
  if (icmp[0] != 0 || icmp[1] != 0)
    return false;
  const uint16_t id = static_cast<uint16_t>(icmp[4] | (icmp[5] << 8));
  const uint16_t seq = static_cast<uint16_t>(icmp[6] | (icmp[7] << 8));
  if (id != identifier || seq != sequence)
    return false;
  if (reply != nullptr) {
    reply->ttl = buf[8];
    reply->tick = static_cast<uint32_t>(icmp[9]) | (static_cast<uint32_t>(icmp[10]) << 8) |
                  (static_cast<uint32_t>(icmp[11]) << 16) | (static_cast<uint32_t>(icmp[12]) << 24);
  }
  return true;
}

std::string DottedAddress(uint32_t networkOrder)
{
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&networkOrder);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
  return text;
}
