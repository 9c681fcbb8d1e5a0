// The library's real export on 127.0.0.1: ordinal 4 of zarncontrol.dll opens
// the ping window over a site table, a user clicks Start and reads the list.
// Where the system refuses the raw socket the refusal lines are checked and
// the case is reported as skipped.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/siteitem.h"
#include "tests/confirm/boxdriver.h"
#include "tests/ping/pingwin.h"

CWinApp theApp("ping_loopback");

namespace {

using PingFn = int(__stdcall*)(CSiteItem**);

// One click of the user through the X server, on the centre of the button.
void ClickOnce(HWND button)
{
  const POINT p = xside::WindowCentre(button);
  xside::RunUnix("xdotool mousemove 0 0 sleep 0.2 mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                     " sleep 0.2 click 1",
                 "zarn-ping", 20000, false);
}

TEST(PingLoopback, ThreeRepliesFromTheRealLibrary)
{
  guitest::BecomeGuiThread();
  WSADATA wsa;
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  const char* bin = std::getenv("ZARN_BINARY_DIR");
  ASSERT_NE(bin, nullptr);
  std::string path = std::string("Z:") + bin + "/bin/zarncontrol.dll";
  for (char& c : path)
    if (c == '/')
      c = '\\';
  HMODULE library = ::LoadLibraryA(path.c_str());
  ASSERT_NE(library, nullptr) << path;
  const PingFn open = reinterpret_cast<PingFn>(reinterpret_cast<void (*)()>(::GetProcAddress(library, MAKEINTRESOURCEA(4))));
  ASSERT_NE(open, nullptr);

  CSiteItem* table[200] = {};
  table[3] = new CSiteItem;
  std::strcpy(table[3]->m_host, "127.0.0.1");

  std::vector<std::string> rows;
  std::vector<std::string> combo;
  std::atomic<bool> came{false};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN Ping Window");
    ASSERT_NE(box, nullptr);
    struct Closer {
      HWND box;
      ~Closer() { boxdriver::Click(box, IDC_PING_CLOSE); }
    } closer{box};
    combo = pingwin::ComboItems(box);
    boxdriver::SetItemText(box, IDC_PING_HOST, "127.0.0.1");
    boxdriver::SetItemText(box, IDC_PING_COUNT, "3");
    ClickOnce(::GetDlgItem(box, IDC_PING_START));
    // The run ends with the header and three lines, or the two refusal lines.
    auto ended = [&] {
      const std::vector<std::string> now = pingwin::Rows(box);
      const bool refused = now.size() >= 2 && now[0].rfind("socket()", 0) == 0;
      return (refused || now.size() >= 4) && pingwin::RunControlsEnabled(box);
    };
    came = xside::WaitFor(ended, 20000, 20);
    rows = pingwin::Rows(box);
    pingwin::Shot("ping_loopback");
  });
  EXPECT_EQ(open(table), 1);
  driver.Join();
  delete table[3];
  ::FreeLibrary(library);

  EXPECT_EQ(combo, std::vector<std::string>{"127.0.0.1"});
  ASSERT_TRUE(came.load()) << rows.size();
  if (!rows.empty() && rows[0].rfind("socket()", 0) == 0) {
    EXPECT_EQ(rows, (std::vector<std::string>{"socket() - Data Socket error: 10013",
                                              "Ping needs a raw ICMP socket, which this system gives only to an "
                                              "administrator."}));
    GTEST_SKIP() << "this system gives no raw ICMP socket";
  }
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "Pinging 127.0.0.1 [127.0.0.1] with 32 bytes of data:");
  const std::regex reply("Reply from: 127\\.0\\.0\\.1: bytes=32 time=([0-9]+)ms TTL=([0-9]+)");
  for (int i = 1; i < 4; i++) {
    std::smatch m;
    ASSERT_TRUE(std::regex_match(rows[i], m, reply)) << rows[i];
    EXPECT_LT(std::stol(m[1].str()), 1000);
    const long ttl = std::stol(m[2].str());
    EXPECT_GE(ttl, 1);
    EXPECT_LE(ttl, 255);
  }
}

}  // namespace
