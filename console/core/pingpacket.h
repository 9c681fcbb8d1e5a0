// The ICMP echo request the ping tool sends, the Internet checksum, the two
// process-wide counters that number requests, and the check that a packet read
// from the raw socket is the reply to one of our requests.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#pragma pack(push, 1)
struct IcmpEchoRequest {
  uint8_t type;        // 8: echo request
  uint8_t code;        // 0
  uint16_t checksum;   // over the whole request, computed with this field 0
  uint16_t identifier;
  uint16_t sequence;
  uint8_t zero;
  uint8_t tick[4];     // sender's tick count, little-endian, unaligned
  uint8_t data[32];    // 0x20..0x3F
};
#pragma pack(pop)
static_assert(sizeof(IcmpEchoRequest) == 45, "the request is 45 bytes on the wire");
static_assert(offsetof(IcmpEchoRequest, checksum) == 2 && offsetof(IcmpEchoRequest, identifier) == 4 &&
                  offsetof(IcmpEchoRequest, sequence) == 6 && offsetof(IcmpEchoRequest, tick) == 9 &&
                  offsetof(IcmpEchoRequest, data) == 13,
              "request layout");

constexpr int kPingDataBytes = 32;

// RFC 1071 over 16-bit little-endian words; a trailing odd byte is added as
// its value. Stored as a little-endian word, the result checks to 0.
uint16_t InternetChecksum(const void* data, size_t len);

IcmpEchoRequest BuildEchoRequest(uint16_t identifier, uint16_t sequence, uint32_t tick);

// Hands out 1, 2, 3... for the life of the process; the low 16 bits go on the
// wire. Safe from any thread.
class PingCounter {
public:
  explicit PingCounter(uint32_t first = 1) : m_next(first) {}
  uint16_t Next() { return static_cast<uint16_t>(m_next.fetch_add(1, std::memory_order_relaxed)); }

private:
  std::atomic<uint32_t> m_next;
};
PingCounter& PingIdentifiers();
PingCounter& PingSequences();

struct EchoReply {
  int ttl = 0;        // from the IP header
  uint32_t tick = 0;  // the tick our request carried, echoed back
};

// True only for an echo reply (type 0, code 0) to our identifier and sequence,
// found behind the IP header whatever its length; short or malformed packets
// are refused without reading past len.
bool ParseEchoReply(const uint8_t* buf, size_t len, uint16_t identifier, uint16_t sequence, EchoReply* reply);

// "a.b.c.d" of an IPv4 address held in network byte order.
std::string DottedAddress(uint32_t networkOrder);
