// The echo request on the wire, the checksum, the counters and the reply check.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "console/core/pingpacket.h"

namespace {

// An IPv4 header of ihl bytes (TTL ttl) in front of an ICMP message.
std::vector<uint8_t> Packet(size_t ihl, uint8_t ttl, const void* icmp, size_t icmpLen)
{
  std::vector<uint8_t> p(ihl, 0);
  p[0] = static_cast<uint8_t>(0x40 | (ihl / 4));
  p[8] = ttl;
  p[9] = 1;
  const uint8_t* b = static_cast<const uint8_t*>(icmp);
  p.insert(p.end(), b, b + icmpLen);
  return p;
}

// What a peer sends back: our request with type 0 and the checksum redone.
IcmpEchoRequest AsReply(IcmpEchoRequest r)
{
  r.type = 0;
  r.checksum = 0;
  r.checksum = InternetChecksum(&r, sizeof r);
  return r;
}

}  // namespace

TEST(PingPacket, RequestLayoutAndChecksum)
{
  const IcmpEchoRequest r = BuildEchoRequest(0x1234, 0xABCD, 0x04030201);
  const uint8_t* b = reinterpret_cast<const uint8_t*>(&r);
  EXPECT_EQ(b[0], 8);
  EXPECT_EQ(b[1], 0);
  EXPECT_EQ(b[4], 0x34);
  EXPECT_EQ(b[5], 0x12);
  EXPECT_EQ(b[6], 0xCD);
  EXPECT_EQ(b[7], 0xAB);
  EXPECT_EQ(b[8], 0);
  EXPECT_EQ(b[9], 1);
  EXPECT_EQ(b[10], 2);
  EXPECT_EQ(b[11], 3);
  EXPECT_EQ(b[12], 4);
  for (int i = 0; i < 32; i++)
    EXPECT_EQ(b[13 + i], 0x20 + i);

  // Recomputed over all 45 bytes (odd length: the last byte added alone), the
  // checksum checks to 0 for any content.
  for (uint32_t id = 0; id < 0x10000; id += 251)
    for (uint32_t seq = 0; seq < 0x10000; seq += 4093)
      for (uint32_t tick : {0u, 1u, 0xFFFFFFFFu, 0x80000000u, id * 2654435761u}) {
        const IcmpEchoRequest q = BuildEchoRequest((uint16_t)id, (uint16_t)seq, tick);
        ASSERT_EQ(InternetChecksum(&q, sizeof q), 0) << id << " " << seq << " " << tick;
      }
  // Known values of RFC 1071's example words and an odd tail.
  const uint8_t words[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
  // Little-endian words: the RFC's sum 0xddf2 byte-swapped, then complemented.
  EXPECT_EQ(InternetChecksum(words, sizeof words), 0x0d22);
  const uint8_t odd[] = {0x01, 0x02, 0x03};
  EXPECT_EQ(InternetChecksum(odd, sizeof odd), (uint16_t)~(0x0201 + 0x03));
}

TEST(PingPacket, CountersStartAtOneAndWrap)
{
  PingCounter fresh;
  EXPECT_EQ(fresh.Next(), 1);
  EXPECT_EQ(fresh.Next(), 2);
  PingCounter high(0xFFFF);
  EXPECT_EQ(high.Next(), 0xFFFF);
  EXPECT_EQ(high.Next(), 0);
  EXPECT_EQ(high.Next(), 1);
  // The two process-wide counters are separate.
  const uint16_t id = PingIdentifiers().Next();
  const uint16_t seq = PingSequences().Next();
  EXPECT_EQ(PingIdentifiers().Next(), (uint16_t)(id + 1));
  EXPECT_EQ(PingSequences().Next(), (uint16_t)(seq + 1));
}

TEST(PingPacket, OnlyOurReplyIsTaken)
{
  const IcmpEchoRequest request = BuildEchoRequest(77, 9, 123456789);
  const IcmpEchoRequest reply = AsReply(request);
  EchoReply got;

  for (size_t ihl : {20u, 24u, 60u}) {
    const std::vector<uint8_t> p = Packet(ihl, 64, &reply, sizeof reply);
    got = EchoReply();
    ASSERT_TRUE(ParseEchoReply(p.data(), p.size(), 77, 9, &got)) << ihl;
    EXPECT_EQ(got.ttl, 64);
    EXPECT_EQ(got.tick, 123456789u);
  }

  // Our own request read back on loopback, another program's ping, a late
  // reply to the previous sequence, an ICMP error (type 3).
  const std::vector<uint8_t> own = Packet(20, 64, &request, sizeof request);
  EXPECT_FALSE(ParseEchoReply(own.data(), own.size(), 77, 9, &got));
  const std::vector<uint8_t> ok = Packet(20, 64, &reply, sizeof reply);
  EXPECT_FALSE(ParseEchoReply(ok.data(), ok.size(), 78, 9, &got));
  EXPECT_FALSE(ParseEchoReply(ok.data(), ok.size(), 77, 10, &got));
  std::vector<uint8_t> unreachable = ok;
  unreachable[20] = 3;
  EXPECT_FALSE(ParseEchoReply(unreachable.data(), unreachable.size(), 77, 9, &got));
  std::vector<uint8_t> coded = ok;
  coded[21] = 1;
  EXPECT_FALSE(ParseEchoReply(coded.data(), coded.size(), 77, 9, &got));

  // Every truncation is refused, read into an exact-size copy so that ASan
  // sees any read past the end; so are headers that claim less than 20 bytes
  // or more than the packet holds.
  const std::vector<uint8_t> deep = Packet(24, 1, &reply, sizeof reply);
  for (size_t len = 0; len < 24 + 13; len++) {
    std::vector<uint8_t> cut(deep.begin(), deep.begin() + len);
    EXPECT_FALSE(ParseEchoReply(cut.empty() ? nullptr : cut.data(), cut.size(), 77, 9, &got)) << len;
  }
  std::vector<uint8_t> exact(deep.begin(), deep.begin() + 24 + 13);
  EXPECT_TRUE(ParseEchoReply(exact.data(), exact.size(), 77, 9, &got));
  EXPECT_EQ(got.ttl, 1);
  std::vector<uint8_t> tiny = ok;
  tiny[0] = 0x44;
  EXPECT_FALSE(ParseEchoReply(tiny.data(), tiny.size(), 77, 9, &got));
  std::vector<uint8_t> huge = ok;
  huge[0] = 0x4F;  // 60 bytes of header in a 65-byte packet
  EXPECT_FALSE(ParseEchoReply(huge.data(), huge.size(), 77, 9, &got));
}

TEST(PingPacket, DottedAddress)
{
  const uint8_t loop[4] = {127, 0, 0, 1};
  uint32_t a;
  std::memcpy(&a, loop, 4);
  EXPECT_EQ(DottedAddress(a), "127.0.0.1");
  const uint8_t top[4] = {255, 254, 10, 0};
  std::memcpy(&a, top, 4);
  EXPECT_EQ(DottedAddress(a), "255.254.10.0");
}
