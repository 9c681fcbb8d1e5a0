// The status tree's rows and text boxes, from snapshots of the machine and of
// a site.
#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "shell/funcview/statusrows.h"
#ifdef _WIN32
#include <shlwapi.h>
#endif

namespace {

std::string V(const std::vector<StatusRow>& rows, size_t i) { return rows.at(i).value.GetString(); }

TEST(StatusRows, MachineDialUpFiguresOnlyWithStatistics)
{
  MachineStatus m;
  m.siteCount = 3;
  m.connectedCount = 1;
  m.taskCount = 4;
  m.online = true;
  m.computerName = "box";
  m.localAddress = "10.1.2.3";
  m.dialUpActive = true;
  m.dialUpEntry = "Office";
  m.bps = 56000;
  m.bytesSent = 1234567;
  m.bytesReceived = 4000000000u;
  m.durationMs = (26 * 3600 + 5 * 60 + 7) * 1000u;

  // No statistics function (or not the NT family, or the call failed).
  auto rows = MachineStatusRows(m);
  ASSERT_EQ(rows.size(), (size_t)kMachineRowCount);
  EXPECT_EQ(V(rows, 0), "3");
  EXPECT_EQ(V(rows, 5), "Online");
  EXPECT_EQ(V(rows, 7), "Modem");
  for (size_t i = 8; i <= 12; ++i)
    EXPECT_EQ(V(rows, i), "") << rows[i].name;

  m.statsOk = true;
  rows = MachineStatusRows(m);
  EXPECT_EQ(V(rows, 8), "Office");
  EXPECT_EQ(V(rows, 9), "56000 bps");
  EXPECT_EQ(V(rows, 10), "1,234,567");
  EXPECT_EQ(V(rows, 11), "4,000,000,000");
  EXPECT_EQ(V(rows, 12), " 2: 5: 7");  // hours modulo 24

  m.online = false;
  rows = MachineStatusRows(m);
  EXPECT_EQ(V(rows, 5), "Offline");
  EXPECT_EQ(V(rows, 7), "Unknown");
  EXPECT_EQ(V(rows, 9), "");
  m.online = true;
  m.dialUpActive = false;
  EXPECT_EQ(V(MachineStatusRows(m), 7), "LAN");
}

CString FakeBytes(uint64_t n)
{
  CString s;
  s.Format("%llu B", (unsigned long long)n);
  return s;
}

SiteStatus ConnectedSite()
{
  SiteStatus s;
  s.present = true;
  s.name = "alias";
  s.host = "127.0.0.2";
  s.serverAddress = "127.0.0.2";
  s.localAddress = "127.0.0.1";
  s.port = 2121;
  s.localPort = 50000;
  s.passiveDigit = '1';
  s.keepAliveDigit = '0';
  s.cacheDigit = '0';
  s.connected = true;
  s.connectedSince = 1000000;
  s.now = s.connectedSince + 25 * 3600 + 2 * 60 + 3;
  s.transferType = 2;
  s.bytesSent = 5ull << 30;
  s.bytesReceived = 1;
  return s;
}

TEST(StatusRows, SiteRowsOnBuildAndOnRefresh)
{
  SiteStatus s = ConnectedSite();
  auto rows = SiteStatusRows(s, false, FakeBytes);
  ASSERT_EQ(rows.size(), (size_t)kSiteRowCount);
  EXPECT_EQ(V(rows, 1), "127.0.0.2");  // the peer, not the local address
  EXPECT_EQ(V(rows, 3), "127.0.0.1");
  EXPECT_EQ(V(rows, 5), "PASS");
  EXPECT_EQ(V(rows, 8), "Not");
  EXPECT_EQ(V(rows, 9), "Connected");
  EXPECT_EQ(V(rows, 15), "1:2:3");
  EXPECT_EQ(V(rows, 16), "Binary");
  EXPECT_EQ(V(rows, 17), "5368709120 B");  // all 64 bits reach the formatter
  EXPECT_EQ(V(rows, 19), "No");
  char expected[64];
  const time_t since = (time_t)s.connectedSince;
  strftime(expected, sizeof(expected), "%X", localtime(&since));
  EXPECT_EQ(V(rows, 14), expected);

  rows = SiteStatusRows(s, true, FakeBytes);
  EXPECT_EQ(V(rows, 8), "None");

  s.connected = false;
  s.connectedSince = 0;
  EXPECT_EQ(V(SiteStatusRows(s, false, FakeBytes), 15), "0");
  rows = SiteStatusRows(s, true, FakeBytes);
  EXPECT_EQ(V(rows, 15), "00:00:00");
  EXPECT_EQ(V(rows, 14), "00:00:00");
  EXPECT_EQ(V(rows, 9), "Disconnect");

  // A slot found empty: the names with empty values, an empty text box.
  SiteStatus gone;
  rows = SiteStatusRows(gone, true, FakeBytes);
  ASSERT_EQ(rows.size(), (size_t)kSiteRowCount);
  for (const StatusRow& r : rows)
    EXPECT_TRUE(r.value.IsEmpty()) << r.name;
  EXPECT_TRUE(SiteStatusText(gone, false, {"x::y\r\n"}).IsEmpty());

#ifdef _WIN32
  // The system's own formatter over the 64-bit count: 5 GiB, not 1 GiB.
  char text[64];
  ASSERT_NE(StrFormatByteSize64A((LONGLONG)(5ull << 30), text, sizeof(text)), nullptr);
  EXPECT_EQ(std::string(text).rfind("5.00", 0), 0u) << text;
#endif
}

TEST(StatusRows, SiteTextTakesOnlyItsHostsLines)
{
  SiteStatus s = ConnectedSite();  // alias differs from host
  const std::vector<CString> log = {"127.0.0.2::Reply: 220 hi\r\n", "127.0.0.20::Reply: other\r\n",
                                    "alias::not a host line\r\n", "127.0.0.2::Reply: 230 in\r\n"};
  EXPECT_EQ(std::string(SiteStatusText(s, false, log).GetString()),
            "      ******** alias ********\r\n\r\n127.0.0.2::Reply: 220 hi\r\n127.0.0.2::Reply: 230 in\r\n");
  EXPECT_EQ(std::string(SiteStatusText(s, true, {}).GetString()), "      ************ alias ************\r\n\r\n");
  EXPECT_EQ(std::string(MachineStatusText(log).GetString()).find("       ******** Server Information ********      \r\n\r\n"
                                                                 "127.0.0.2::Reply: 220 hi\r\n"),
            0u);
}

}  // namespace
