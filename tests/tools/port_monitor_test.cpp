// The port monitor under Wine's IP Helper, driven through the X server as a
// user clicks it: the test's own listener and 300 UDP sockets in the lists,
// "&TCP" while TCP shows (no refill) against "&Refresh", and the columns after
// a switch to UDP and back.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <set>
#include <string>
#include <vector>

#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"
#include "shell/tools/portinfodlg.h"
#include "shell/tools/toolsres.h"

CWinApp theApp("port_monitor");

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The list's rows and its column titles, read from the driver's thread.
Rows ReadRows(HWND list)
{
  HWND header = (HWND)::SendMessageA(list, LVM_GETHEADER, 0, 0);
  const int columns = (int)::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0);
  const int count = (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  Rows rows;
  for (int r = 0; r < count; r++) {
    std::vector<std::string> row;
    for (int c = 0; c < columns; c++) {
      char text[128] = "";
      LVITEMA item = {};
      item.iSubItem = c;
      item.pszText = text;
      item.cchTextMax = sizeof text;
      ::SendMessageA(list, LVM_GETITEMTEXTA, (WPARAM)r, (LPARAM)&item);
      row.push_back(text);
    }
    rows.push_back(row);
  }
  return rows;
}

std::string Columns(HWND list)
{
  std::string out;
  for (int c = 0;; c++) {
    char text[64] = "";
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = text;
    col.cchTextMax = sizeof text;
    if (!::SendMessageA(list, LVM_GETCOLUMNA, (WPARAM)c, (LPARAM)&col))
      break;
    out += std::string(out.empty() ? "" : ";") + text + "," + std::to_string(col.cx);
  }
  return out;
}

// The first cell of the list; empty when the list is (never an index past
// the rows, which would take the driver thread down with the whole test).
std::string FirstCell(HWND list)
{
  const Rows rows = ReadRows(list);
  return rows.empty() || rows[0].empty() ? std::string() : rows[0][0];
}

bool HasRow(HWND list, const std::vector<std::string>& wanted)
{
  for (const auto& row : ReadRows(list))
    if (row == wanted)
      return true;
  return false;
}

template <class Pred>
bool Within(Pred pred, DWORD ms = 10000)
{
  return xside::WaitFor(pred, ms, 20);
}

// A click through the X server on a button of the box; done when the button
// has the focus again and is no longer pressed (its click then ran to the end).
bool ClickButton(HWND box, int id)
{
  HWND button = ::GetDlgItem(box, id);
  const DWORD thread = ::GetWindowThreadProcessId(box, nullptr);
  auto released = [&] {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(thread, &info) && info.hwndFocus == button &&
           (::SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) == 0;
  };
  for (int attempt = 0; attempt < 3; attempt++) {
    const POINT p = xside::WindowCentre(button);
    xside::RunUnix("xdotool mousemove 0 0 sleep 0.2 mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                       " sleep 0.2 click 1",
                   "zarn-port", 20000, false);
    if (Within(released, 5000))
      return true;
  }
  return false;
}

void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_SHOT_DIR");
  if (dir != nullptr && *dir != '\0')
    xside::RunUnix(std::string("import -window root ") + dir + "/" + name + ".png", "zarn-port", 30000, false);
}

std::string PortOf(SOCKET s)
{
  sockaddr_in a = {};
  int len = sizeof a;
  ::getsockname(s, (sockaddr*)&a, &len);
  return std::to_string(ntohs(a.sin_port));
}

SOCKET Bound(int type)
{
  SOCKET s = ::socket(AF_INET, type, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s == INVALID_SOCKET || ::bind(s, (sockaddr*)&a, sizeof a) != 0)
    return INVALID_SOCKET;
  if (type == SOCK_STREAM)
    ::listen(s, 1);
  return s;
}

const char kTcpColumns[] = "Local IP,110;Local Port,80;Remote IP,110;Remote Port,80;Status,100";

TEST(PortMonitor, ListsTheTablesAndSwitchesAsTheUserClicks)
{
  guitest::BecomeGuiThread();
  WSADATA wsa;
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  const SOCKET listener = Bound(SOCK_STREAM);
  ASSERT_NE(listener, INVALID_SOCKET);
  std::vector<SOCKET> udp;
  std::set<std::string> udpPorts;
  for (int i = 0; i < 300; i++) {
    udp.push_back(Bound(SOCK_DGRAM));
    ASSERT_NE(udp.back(), INVALID_SOCKET) << i;
    udpPorts.insert(PortOf(udp.back()));
  }
  SOCKET later = INVALID_SOCKET;

  std::atomic<bool> finished{false};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("TCP Port Information");
    ASSERT_NE(box, nullptr);
    // The box closes whatever failed, so the test never waits on it.
    struct Closer {
      HWND box;
      ~Closer() { boxdriver::Click(box, IDCANCEL); }
    } closer{box};
    HWND list = ::GetDlgItem(box, IDC_PORT_LIST);
    const std::vector<std::string> listening = {"127.0.0.1", PortOf(listener), "------", "------", "Listening"};
    EXPECT_TRUE(Within([&] { return HasRow(list, listening); }));
    EXPECT_EQ(Columns(list), kTcpColumns);
    Shot("port_monitor_tcp");

    // A listener opened after the fill; the first row marked as the user cannot.
    later = Bound(SOCK_STREAM);
    const std::vector<std::string> laterRow = {"127.0.0.1", PortOf(later), "------", "------", "Listening"};
    char mark[] = "MARK";
    LVITEMA item = {};
    item.pszText = mark;
    ::SendMessageA(list, LVM_SETITEMTEXTA, 0, (LPARAM)&item);
    EXPECT_TRUE(ClickButton(box, IDC_PORT_TCP));
    EXPECT_EQ(FirstCell(list), "MARK");  // the mode shown already: nothing read again
    EXPECT_FALSE(HasRow(list, laterRow));
    EXPECT_TRUE(ClickButton(box, IDC_PORT_REFRESH));
    EXPECT_TRUE(HasRow(list, laterRow));
    EXPECT_NE(FirstCell(list), "MARK");

    // Every one of the 300 UDP sockets, however large the table.
    EXPECT_TRUE(ClickButton(box, IDC_PORT_UDP));
    EXPECT_EQ(boxdriver::Text(box), "UDP Port Information");
    EXPECT_EQ(Columns(list), "Local IP,200;Local Port,200");
    std::set<std::string> seen;
    for (const auto& row : ReadRows(list))
      if (row.size() == 2 && row[0] == "127.0.0.1")
        seen.insert(row[1]);
    for (const std::string& port : udpPorts)
      EXPECT_EQ(seen.count(port), 1u) << port;
    Shot("port_monitor_udp");

    EXPECT_TRUE(ClickButton(box, IDC_PORT_TCP));
    EXPECT_EQ(boxdriver::Text(box), "TCP Port Information");
    EXPECT_EQ(Columns(list), kTcpColumns);
    EXPECT_TRUE(HasRow(list, listening));
    finished = true;
  });
  CPortInfoDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  driver.Join();
  EXPECT_TRUE(finished.load());
  for (SOCKET s : udp)
    ::closesocket(s);
  ::closesocket(listener);
  if (later != INVALID_SOCKET)
    ::closesocket(later);
  ::WSACleanup();
}

}  // namespace
