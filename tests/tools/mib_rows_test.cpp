// The port monitor's rows: every TCP state's text and its "------" rule, byte
// order of addresses and ports, tables whose count overstates the rows, and
// the asking again of a table that outgrew the buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/tools/mibrows.h"

namespace {

// An address and a port as the system stores them: network order in memory.
uint32_t Net(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
  const uint8_t bytes[4] = {a, b, c, d};
  uint32_t v;
  std::memcpy(&v, bytes, 4);
  return v;
}
uint32_t NetPort(unsigned port)
{
  const uint8_t bytes[4] = {(uint8_t)(port >> 8), (uint8_t)port, 0xAB, 0xCD};  // high half is noise
  uint32_t v;
  std::memcpy(&v, bytes, 4);
  return v;
}

using Row = std::vector<std::string>;

TEST(MibRows, EveryStateAndItsRemoteColumns)
{
  const uint32_t local = Net(192, 168, 1, 20), remote = Net(10, 0, 0, 7);
  const struct {
    uint32_t state;
    const char* text;
    bool dashes;
  } states[] = {
      {1, "Closed", false},         {2, "Listening", true},      {3, "SYN Sent", false},
      {4, "SYN Received", false},   {5, "Established", false},   {6, "Waiting for FIN", false},
      {7, "Waiting for FIN", false}, {8, "Waiting for Close", true}, {9, "Closing", true},
      {10, "Last ACK", false},      {11, "Time Wait", true},     {12, "TCB deleted", false},
      {0, "Unknown status", true},  {13, "Unknown status", true},
  };
  for (const auto& s : states) {
    const Row row = FormatTcpRow(TcpEntry{s.state, local, NetPort(2121), remote, NetPort(50001)});
    const Row expect = s.dashes ? Row{"192.168.1.20", "2121", "------", "------", s.text}
                                : Row{"192.168.1.20", "2121", "10.0.0.7", "50001", s.text};
    EXPECT_EQ(row, expect) << s.state;
  }
  // A remote address whose text starts with '0' leaves the remote cells empty.
  EXPECT_EQ(FormatTcpRow(TcpEntry{5, local, NetPort(21), Net(0, 0, 0, 0), NetPort(0)}),
            (Row{"192.168.1.20", "21", "", "", "Established"}));
  EXPECT_EQ(FormatUdpRow(UdpEntry{Net(127, 0, 0, 1), NetPort(65535)}), (Row{"127.0.0.1", "65535"}));
}

TEST(MibRows, TablesAreReadOnlyAsFarAsTheBuffer)
{
  std::vector<uint8_t> buf(4 + 2 * sizeof(UdpEntry) + 5, 0);
  const uint32_t claimed = 1000;
  std::memcpy(buf.data(), &claimed, 4);
  const UdpEntry rows[2] = {{Net(127, 0, 0, 1), NetPort(53)}, {Net(0, 0, 0, 0), NetPort(137)}};
  std::memcpy(buf.data() + 4, rows, sizeof rows);
  const auto parsed = ParseUdpTable(buf);
  ASSERT_EQ(parsed.size(), 2u);
  EXPECT_EQ(FormatUdpRow(parsed[1]), (Row{"0.0.0.0", "137"}));
  EXPECT_TRUE(ParseTcpTable(std::vector<uint8_t>(3, 0xFF)).empty());
}

TEST(MibRows, TableIsAskedAgainWhileItOutgrowsTheBuffer)
{
  // 804 bytes first; the table then needs 2000, and has grown to 3000 by the next call.
  std::vector<uint32_t> asked;
  uint32_t need = 2000;
  const auto growing = [&](uint8_t* data, uint32_t* size) -> uint32_t {
    asked.push_back(*size);
    if (*size < need) {
      *size = need;
      need = 3000;
      return 122;
    }
    std::memset(data, 0x5A, *size);
    return 0;
  };
  std::vector<uint8_t> buf;
  ASSERT_TRUE(FetchIpTable(growing, 804, &buf));
  EXPECT_EQ(asked, (std::vector<uint32_t>{804, 2500, 3750}));
  EXPECT_EQ(buf.size(), 3750u);

  // A busy machine: a few rows more on every call. The room asked beyond the
  // reported size takes them, so the table is read on the second ask.
  asked.clear();
  uint32_t rows = 100;
  const auto busy = [&](uint8_t* data, uint32_t* size) -> uint32_t {
    asked.push_back(*size);
    const uint32_t needed = 4 + 20 * rows;
    rows += 3;
    if (*size < needed) {
      *size = needed;
      return 122;
    }
    std::memcpy(data, &rows, 4);
    return 0;
  };
  ASSERT_TRUE(FetchIpTable(busy, 804, &buf));
  EXPECT_EQ(asked.size(), 2u);

  // A table that never fits gives up after three more asks; other errors at once.
  asked.clear();
  uint32_t grow = 1000;
  const auto endless = [&](uint8_t*, uint32_t* size) -> uint32_t {
    asked.push_back(*size);
    *size = (grow += 1000);
    return 122;
  };
  EXPECT_FALSE(FetchIpTable(endless, 804, &buf));
  EXPECT_EQ(asked.size(), 4u);
  EXPECT_TRUE(buf.empty());
  asked.clear();
  EXPECT_FALSE(FetchIpTable([&](uint8_t*, uint32_t* size) -> uint32_t { asked.push_back(*size); return 50; }, 804, &buf));
  EXPECT_EQ(asked.size(), 1u);
}

}  // namespace
