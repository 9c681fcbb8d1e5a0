// The ping window over fake channels, in process: what a user reads for a
// silent host, for packets that are not our reply, for a refused raw socket,
// an unknown or absurd host, and closing in the middle of a long run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <regex>
#include <string>
#include <vector>

#include "console/core/pingpacket.h"
#include "console/pingdlg.h"
#include "engine/siteitem.h"
#include "tests/confirm/boxdriver.h"
#include "tests/ping/pingwin.h"

CWinApp theApp("ping_dialog");

namespace {

enum class Peer { kSilent, kOwnRequestFirst, kLateReply, kDeepHeader, kOtherIdentifier };

struct Script {
  Peer peer = Peer::kSilent;
  long openError = 0;
  bool realResolve = false;  // the raw channel's own name check
  DWORD resolveMs = 0;       // a name look-up that takes this long
};
std::mutex s_scriptLock;
Script s_script;

void SetScript(const Script& s)
{
  std::lock_guard<std::mutex> hold(s_scriptLock);
  s_script = s;
}

const uint32_t kPeerAddress = htonl(0x0A000001);  // 10.0.0.1

std::vector<uint8_t> Packet(size_t ihl, uint8_t ttl, IcmpEchoRequest icmp, uint8_t type, uint16_t id, uint16_t seq)
{
  icmp.type = type;
  uint8_t* b = reinterpret_cast<uint8_t*>(&icmp);
  b[4] = (uint8_t)id;
  b[5] = (uint8_t)(id >> 8);
  b[6] = (uint8_t)seq;
  b[7] = (uint8_t)(seq >> 8);
  std::vector<uint8_t> p(ihl, 0);
  p[0] = (uint8_t)(0x40 | (ihl / 4));
  p[8] = ttl;
  p.insert(p.end(), b, b + sizeof icmp);
  return p;
}

// Answers each request as its script says; never readable otherwise, waiting
// on the stop event as the real channel does.
std::atomic<int> s_liveChannels{0};

class FakeChannel : public IcmpChannel {
public:
  explicit FakeChannel(const Script& s) : m_script(s) { s_liveChannels++; }
  ~FakeChannel() override { s_liveChannels--; }
  long Open() override { return m_script.openError; }
  bool Resolve(const char* host, uint32_t* address) override
  {
    if (m_script.resolveMs != 0)
      ::Sleep(m_script.resolveMs);
    if (m_script.realResolve)
      return NewRawIcmpChannel()->Resolve(host, address);
    *address = kPeerAddress;
    return true;
  }
  long Send(uint32_t, const void* data, int len) override
  {
    if (len != 45)
      return WSAEINVAL;
    IcmpEchoRequest r;
    std::memcpy(&r, data, sizeof r);
    const uint16_t id = (uint16_t)(r.identifier), seq = (uint16_t)(r.sequence);
    switch (m_script.peer) {
      case Peer::kSilent:
        break;
      case Peer::kOwnRequestFirst:
        m_packets.push_back(Packet(20, 64, r, 8, id, seq));
        m_packets.push_back(Packet(20, 64, r, 0, id, seq));
        break;
      case Peer::kLateReply:
        m_packets.push_back(Packet(20, 64, r, 0, id, (uint16_t)(seq - 1)));
        break;
      case Peer::kDeepHeader:
        m_packets.push_back(Packet(24, 128, r, 0, id, seq));
        break;
      case Peer::kOtherIdentifier:
        m_packets.push_back(Packet(20, 64, r, 0, (uint16_t)(id + 1), seq));
        break;
    }
    return 0;
  }
  WaitResult WaitReadable(HANDLE stop, DWORD ms, long*) override
  {
    if (!m_packets.empty())
      return kReadable;
    return ::WaitForSingleObject(stop, ms) == WAIT_OBJECT_0 ? kStopped : kTimedOut;
  }
  long Receive(uint8_t* buf, int size, int* got, uint32_t* from) override
  {
    *got = 0;
    if (m_packets.empty())
      return 0;
    const std::vector<uint8_t> p = m_packets.front();
    m_packets.pop_front();
    *got = (int)std::min<size_t>(p.size(), (size_t)size);
    std::memcpy(buf, p.data(), (size_t)*got);
    *from = kPeerAddress;
    return 0;
  }
  long Close() override { return 0; }

private:
  Script m_script;
  std::deque<std::vector<uint8_t>> m_packets;
};

std::unique_ptr<IcmpChannel> NewFake()
{
  std::lock_guard<std::mutex> hold(s_scriptLock);
  return std::make_unique<FakeChannel>(s_script);
}

// Records every end of run with its lParam.
class RecordingPingDlg : public CPingDlg {
public:
  using CPingDlg::CPingDlg;
  std::atomic<int> dones{0};
  std::atomic<int> lastDone{-1};

protected:
  LRESULT OnDone(WPARAM w, LPARAM l)
  {
    lastDone = (int)l;
    const LRESULT r = CPingDlg::OnPingDone(w, l);
    dones++;
    return r;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RecordingPingDlg, CPingDlg)
  ON_MESSAGE(UWM_PING_DONE, OnDone)
END_MESSAGE_MAP()

struct SiteTable {
  CSiteItem* slots[200] = {};
  ~SiteTable()
  {
    for (CSiteItem* s : slots)
      delete s;
  }
  void Put(int slot, const char* host)
  {
    slots[slot] = new CSiteItem;
    std::strncpy(slots[slot]->m_host, host, sizeof slots[slot]->m_host - 1);
  }
};

// Sets host and count, clicks Start and waits for the run's end; the rows
// added by this run.
std::vector<std::string> RunOnce(HWND dlg, RecordingPingDlg& d, const std::string& host, int count,
                                 DWORD* elapsed = nullptr)
{
  const size_t before = pingwin::Rows(dlg).size();
  const int dones = d.dones;
  boxdriver::SetItemText(dlg, IDC_PING_HOST, host.c_str());
  boxdriver::SetItemText(dlg, IDC_PING_COUNT, std::to_string(count).c_str());
  const DWORD start = ::GetTickCount();
  boxdriver::Click(dlg, IDC_PING_START);
  EXPECT_TRUE(xside::WaitFor([&] { return d.dones > dones; }, 20000));
  if (elapsed != nullptr)
    *elapsed = ::GetTickCount() - start;
  EXPECT_TRUE(pingwin::RunControlsEnabled(dlg));
  const std::vector<std::string> rows = pingwin::Rows(dlg);
  return std::vector<std::string>(rows.begin() + (std::ptrdiff_t)std::min(before, rows.size()), rows.end());
}

// Whether the running marker's colour shows anywhere on the line between the
// two end statics.
bool MarkerShown(HWND dlg)
{
  RECT left, right;
  ::GetWindowRect(::GetDlgItem(dlg, IDC_PING_LEFT_END), &left);
  ::GetWindowRect(::GetDlgItem(dlg, IDC_PING_RIGHT_END), &right);
  const int y = (left.top + left.bottom) / 2;
  HDC screen = ::GetDC(nullptr);
  bool shown = false;
  for (int x = left.right; x < right.left && !shown; x++)
    shown = ::GetPixel(screen, x, y) == CPingDlg::kMarkerColour;
  ::ReleaseDC(nullptr, screen);
  return shown;
}

const char kHeader[] = "Pinging 10.9.8.7 [10.0.0.1] with 32 bytes of data:";

TEST(PingDialog, RepliesTimeOutsAndRefusalsAsTheUserReadsThem)
{
  guitest::BecomeGuiThread();
  WSADATA wsa;
  ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  SiteTable table;
  table.Put(7, "ftp.second.example");
  table.Put(3, "ftp.first.example");
  table.Put(150, "10.1.2.3");
  RecordingPingDlg dlg(table.slots);
  dlg.SetChannelFactory(&NewFake);

  std::atomic<bool> finished{false};
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("ZARN Ping Window");
    ASSERT_NE(box, nullptr);
    struct Closer {
      HWND box;
      ~Closer() { boxdriver::Click(box, IDC_PING_CLOSE); }
    } closer{box};
    EXPECT_EQ(pingwin::ComboItems(box),
              (std::vector<std::string>{"ftp.first.example", "ftp.second.example", "10.1.2.3"}));
    EXPECT_EQ(boxdriver::ItemText(box, IDC_PING_COUNT), "5");

    // A blank host: the box, and nothing starts.
    boxdriver::SetItemText(box, IDC_PING_HOST, "   ");
    boxdriver::Click(box, IDC_PING_START);
    HWND ask = nullptr;
    EXPECT_TRUE(xside::WaitFor([&] { return (ask = pingwin::OwnedBox(box)) != nullptr; }));
    if (ask != nullptr) {
      EXPECT_EQ(boxdriver::ItemText(ask, 0xFFFF), "Please enter Host IP. ");
      boxdriver::Click(ask, IDOK);
      EXPECT_TRUE(boxdriver::WaitGone(ask));
    }
    EXPECT_TRUE(pingwin::Rows(box).empty());
    EXPECT_EQ(dlg.dones.load(), 0);

    // A silent host: the header and one time-out per request, about a second each.
    SetScript(Script{Peer::kSilent});
    DWORD ms = 0;
    std::vector<std::string> rows = RunOnce(box, dlg, "  10.9.8.7 ", 3, &ms);
    EXPECT_EQ(rows, (std::vector<std::string>{kHeader, "Request Timed Out", "Request Timed Out", "Request Timed Out"}));
    EXPECT_GE(ms, 2900u);
    EXPECT_EQ(dlg.lastDone.load(), 1);
    // A run that took place adds its host once, and gives it the focus.
    std::vector<std::string> combo = pingwin::ComboItems(box);
    EXPECT_EQ(std::count(combo.begin(), combo.end(), "10.9.8.7"), 1);
    EXPECT_EQ(combo.size(), 4u);

    // Our own request read before each reply: one reply line per request.
    SetScript(Script{Peer::kOwnRequestFirst});
    rows = RunOnce(box, dlg, "10.9.8.7", 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], kHeader);
    const std::regex reply("Reply from: 10\\.0\\.0\\.1: bytes=32 time=([0-9]+)ms TTL=64");
    for (int i = 1; i < 3; i++) {
      std::smatch m;
      EXPECT_TRUE(std::regex_match(rows[i], m, reply)) << rows[i];
      if (m.size() == 2) {
        EXPECT_LT(std::stol(m[1].str()), 1000);
      }
    }
    EXPECT_EQ(pingwin::ComboItems(box).size(), 4u);

    // Late replies and other programs' pings are no replies; a reply behind a
    // 24-byte IP header is, with its own TTL.
    SetScript(Script{Peer::kLateReply});
    rows = RunOnce(box, dlg, "10.9.8.7", 1);
    EXPECT_EQ(rows, (std::vector<std::string>{kHeader, "Request Timed Out"}));
    SetScript(Script{Peer::kOtherIdentifier});
    rows = RunOnce(box, dlg, "10.9.8.7", 1);
    EXPECT_EQ(rows, (std::vector<std::string>{kHeader, "Request Timed Out"}));
    SetScript(Script{Peer::kDeepHeader});
    rows = RunOnce(box, dlg, "10.9.8.7", 1);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(std::regex_match(rows[1], std::regex("Reply from: 10\\.0\\.0\\.1: bytes=32 time=[0-9]+ms TTL=128")))
        << rows[1];

    // The raw socket refused: both lines, Start back at once, the host not added.
    SetScript(Script{Peer::kSilent, WSAEACCES});
    rows = RunOnce(box, dlg, "refused.example", 4, &ms);
    EXPECT_EQ(rows, (std::vector<std::string>{"socket() - Data Socket error: 10013",
                                              "Ping needs a raw ICMP socket, which this system gives only to an "
                                              "administrator."}));
    EXPECT_LT(ms, 1000u);
    EXPECT_EQ(dlg.lastDone.load(), 0);
    pingwin::Shot("ping_dialog_refused");

    // Names the resolver refuses, a 300-character one among them.
    SetScript(Script{Peer::kSilent, 0, true});
    const std::string longHost(300, 'a');
    rows = RunOnce(box, dlg, longHost, 2);
    EXPECT_EQ(rows, (std::vector<std::string>{"Host not found: " + longHost}));
    EXPECT_EQ(dlg.lastDone.load(), 0);
    combo = pingwin::ComboItems(box);
    EXPECT_EQ(std::count(combo.begin(), combo.end(), longHost), 0);
    EXPECT_EQ(std::count(combo.begin(), combo.end(), "refused.example"), 0);
    finished = true;
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  EXPECT_TRUE(finished.load());
  EXPECT_EQ(PingLinesOutstanding(), 0);
}

TEST(PingDialog, ClosingMidRunReturnsAtOnceAndLeaksNoLine)
{
  // A 99-request run against a silent host, and a run whose worker is still
  // inside a name look-up longer than the dialog waits for it.
  for (const Script& script : {Script{Peer::kSilent}, Script{Peer::kSilent, 0, false, 3500}}) {
    SetScript(script);
    RecordingPingDlg dlg(nullptr);
    dlg.SetChannelFactory(&NewFake);
    DWORD clicked = 0;
    boxdriver::Driver driver([&] {
      HWND box = boxdriver::WaitForBox("ZARN Ping Window");
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(pingwin::ComboItems(box).empty());
      EXPECT_FALSE(MarkerShown(box));
      boxdriver::SetItemText(box, IDC_PING_HOST, "10.9.8.7");
      boxdriver::SetItemText(box, IDC_PING_COUNT, "99");
      boxdriver::Click(box, IDC_PING_START);
      EXPECT_TRUE(xside::WaitFor([&] { return !::IsWindowEnabled(::GetDlgItem(box, IDC_PING_START)); }));
      if (script.resolveMs == 0) {
        EXPECT_TRUE(xside::WaitFor([&] { return pingwin::Rows(box).size() >= 2; }, 10000));
        // The marker runs along the line while the run does.
        EXPECT_TRUE(xside::WaitFor([&] { return MarkerShown(box); }, 5000));
        pingwin::Shot("ping_dialog_running");
      }
      clicked = ::GetTickCount();
      boxdriver::Click(box, IDC_PING_CLOSE);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    const DWORD took = ::GetTickCount() - clicked;
    driver.Join();
    EXPECT_LT(took, 3000u) << script.resolveMs;
    // The worker ends its run by itself at its next look at the stop event;
    // what it posts meanwhile reaches no window and is freed.
    EXPECT_TRUE(xside::WaitFor([] { return s_liveChannels == 0; }, 5000));
    EXPECT_EQ(PingLinesOutstanding(), 0);
  }
}

TEST(PingDialog, LinesPostedToAGoneWindowAreFreed)
{
  // A worker still inside a name look-up when its window went: its lines are
  // freed by the sender once the window no longer takes them.
  HWND window = ::CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  {
    PingPoster poster(window);
    poster.Text(kPingLineHeader, "kept");
    poster.Close();
    poster.Text(kPingLineHeader, "after close");
  }
  MSG msg;
  int taken = 0;
  while (::PeekMessageA(&msg, window, UWM_PING_TEXT, UWM_PING_TEXT, PM_REMOVE)) {
    EXPECT_STREQ(reinterpret_cast<char*>(msg.lParam), "kept");
    FreePingLine(msg.lParam);
    taken++;
  }
  EXPECT_EQ(taken, 1);
  ::DestroyWindow(window);
  PingPoster gone(window);
  gone.Text(kPingLineHeader, "nobody");
  EXPECT_EQ(PingLinesOutstanding(), 0);
}

}  // namespace
