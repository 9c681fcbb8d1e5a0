// The port monitor's rows from the TCP and UDP tables of IP Helper, as plain
// records, and the asking of a table whose size the system reports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One TCP table entry as the system fills it: addresses in network byte order,
// ports in the low 16 bits, in network byte order.
struct TcpEntry {
  uint32_t state;
  uint32_t localAddr;
  uint32_t localPort;
  uint32_t remoteAddr;
  uint32_t remotePort;
};
struct UdpEntry {
  uint32_t localAddr;
  uint32_t localPort;
};
static_assert(sizeof(TcpEntry) == 20 && sizeof(UdpEntry) == 8, "the rows of the system's tables");

constexpr char kPortTcpCaption[] = "TCP Port Information";
constexpr char kPortUdpCaption[] = "UDP Port Information";
constexpr char kPortTcpColumns[] = "Local IP,110;Local Port,80;Remote IP,110;Remote Port,80;Status,100";
constexpr char kPortUdpColumns[] = "Local IP,200;Local Port,200";

// "a.b.c.d" of an address in network byte order.
std::string DottedAddress(uint32_t netAddr);
// "%u" of the port in host order.
std::string PortText(uint32_t netPort);
// The status text of a TCP state; *dashes is set when the state shows "------"
// for the remote address and port.
const char* TcpStateText(uint32_t state, bool* dashes);

// The five cells of a TCP row and the two of a UDP row. A remote address whose
// text begins with '0' leaves both remote cells empty.
std::vector<std::string> FormatTcpRow(const TcpEntry& e);
std::vector<std::string> FormatUdpRow(const UdpEntry& e);

// Asks a table: call(buffer, &size) answers 0 on success, 122 when the buffer
// is too small (with the size it needs in size). Asks again with the reported
// size and a quarter more, room for rows added meanwhile, while the table keeps
// outgrowing the buffer, at most three times after the first.
// FALSE when no call succeeded; on success `buffer` holds the table.
bool FetchIpTable(const std::function<uint32_t(uint8_t* buffer, uint32_t* size)>& call, uint32_t initialSize,
                  std::vector<uint8_t>* buffer);

// The entries of a table the system filled (a DWORD count, then the rows): at
// most as many as the buffer holds, whatever the count says.
std::vector<TcpEntry> ParseTcpTable(const std::vector<uint8_t>& buffer);
std::vector<UdpEntry> ParseUdpTable(const std::vector<uint8_t>& buffer);
