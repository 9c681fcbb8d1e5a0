#include "console/pingengine.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <process.h>

#include "console/core/pingpacket.h"

namespace {

std::atomic<long> s_linesOutstanding{0};

// Room for any IP header, the ICMP header and a reply bigger than ours.
constexpr int kReceiveSize = 2048;
constexpr DWORD kReplyWindowMs = 1000;

}  // namespace

const char kPingRefusedText[] = "Ping needs a raw ICMP socket, which this system gives only to an administrator.";

char* NewPingLine(const char* text)
{
  const size_t len = std::strlen(text);
  char* line = new char[len + 1];
  std::memcpy(line, text, len + 1);
  s_linesOutstanding.fetch_add(1);
  return line;
}

void FreePingLine(LPARAM line)
{
  if (line == 0)
    return;
  delete[] reinterpret_cast<char*>(line);
  s_linesOutstanding.fetch_sub(1);
}

long PingLinesOutstanding() { return s_linesOutstanding.load(); }

// ---- PingPoster ----

void PingPoster::Text(int kind, const std::string& text)
{
  char* line = NewPingLine(text.c_str());
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_closed || !::PostMessageA(m_window, UWM_PING_TEXT, (WPARAM)kind, (LPARAM)line))
    FreePingLine((LPARAM)line);
}

void PingPoster::Done(int ran)
{
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_closed)
    ::PostMessageA(m_window, UWM_PING_DONE, 0, (LPARAM)ran);
}

void PingPoster::Close()
{
  std::lock_guard<std::mutex> hold(m_lock);
  m_closed = true;
}

// ---- CPingEngine ----

void CPingEngine::PostError(const char* step, long error)
{
  char text[96];
  std::snprintf(text, sizeof text, "%s - Data Socket error: %ld", step, error);
  m_poster.Text(kPingLineError, text);
}

void CPingEngine::Run(IcmpChannel& channel, const std::string& host, int count)
{
  const long openError = channel.Open();
  if (openError != 0) {
    PostError("socket()", openError);
    if (openError == WSAEACCES)
      m_poster.Text(kPingLineError, kPingRefusedText);
    m_poster.Done(0);
    return;
  }
  uint32_t address = 0;
  if (!channel.Resolve(host.c_str(), &address)) {
    m_poster.Text(kPingLineError, "Host not found: " + host);
    channel.Close();
    m_poster.Done(0);
    return;
  }
  const std::string dotted = DottedAddress(address);
  m_poster.Text(kPingLineHeader, "Pinging " + host + " [" + dotted + "] with " + std::to_string(kPingDataBytes) +
                                     " bytes of data:");

  uint8_t buf[kReceiveSize];
  for (int i = 0; i < count && !Stopped(); i++) {
    const uint16_t id = PingIdentifiers().Next();
    const uint16_t seq = PingSequences().Next();
    const DWORD sent = ::GetTickCount();
    const IcmpEchoRequest request = BuildEchoRequest(id, seq, sent);
    long error = channel.Send(address, &request, (int)sizeof request);
    if (error != 0) {
      PostError("SentTo", error);
      break;
    }
    // Packets that are not our reply (our own request on loopback, a late
    // reply, ICMP errors, other programs' pings) are skipped within the window.
    bool replied = false;
    bool leave = false;
    for (;;) {
      const DWORD waited = ::GetTickCount() - sent;
      if (waited >= kReplyWindowMs)
        break;
      const IcmpChannel::WaitResult r = channel.WaitReadable(m_stop, kReplyWindowMs - waited, &error);
      if (r == IcmpChannel::kStopped) {
        leave = true;
        break;
      }
      if (r == IcmpChannel::kWaitFailed) {
        PostError("select()", error);
        leave = true;
        break;
      }
      if (r == IcmpChannel::kTimedOut)
        break;
      int got = 0;
      uint32_t from = 0;
      error = channel.Receive(buf, (int)sizeof buf, &got, &from);
      if (error != 0) {
        PostError("RecvFrom", error);
        leave = true;
        break;
      }
      EchoReply reply;
      if (got <= 0 || from != address || !ParseEchoReply(buf, (size_t)got, id, seq, &reply))
        continue;
      char text[160];
      std::snprintf(text, sizeof text, "Reply from: %s: bytes=%d time=%ldms TTL=%d", dotted.c_str(), kPingDataBytes,
                    (long)(::GetTickCount() - reply.tick), reply.ttl);
      m_poster.Text(kPingLineReply, text);
      replied = true;
      break;
    }
    if (leave)
      break;
    if (!replied) {
      m_poster.Text(kPingLineTimeout, "Request Timed Out");
      continue;
    }
    // A second between requests, cut short by the stop.
    if (i + 1 < count && ::WaitForSingleObject(m_stop, 1000) == WAIT_OBJECT_0)
      break;
  }
  const long closeError = channel.Close();
  if (closeError != 0)
    PostError("closesocket()", closeError);
  m_poster.Done(1);
}

// ---- CPingThread ----

CPingThread::Shared::~Shared()
{
  if (stop != nullptr)
    ::CloseHandle(stop);
  if (go != nullptr)
    ::CloseHandle(go);
}

namespace {

struct ThreadStart {
  std::shared_ptr<CPingThread::Shared> shared;
};

unsigned __stdcall PingThreadProc(void* param)
{
  std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(param));
  CPingThread::Shared& s = *start->shared;
  HANDLE events[2] = {s.stop, s.go};
  for (;;) {
    const DWORD w = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (w != WAIT_OBJECT_0 + 1)
      break;
    std::unique_ptr<IcmpChannel> channel = s.factory ? s.factory() : NewRawIcmpChannel();
    CPingEngine engine(s.poster, s.stop);
    if (channel)
      engine.Run(*channel, s.host, s.count);
    else
      s.poster.Done(0);
  }
  return 0;
}

}  // namespace

CPingThread::CPingThread(HWND window, IcmpChannelFactory factory) : m_shared(std::make_shared<Shared>(window))
{
  m_shared->stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_shared->go = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  m_shared->factory = std::move(factory);
}

CPingThread::~CPingThread() { Stop(2000); }

bool CPingThread::Start()
{
  if (m_thread != nullptr)
    return true;
  if (m_shared->stop == nullptr || m_shared->go == nullptr)
    return false;
  auto* start = new ThreadStart{m_shared};
  unsigned id = 0;
  m_thread = (HANDLE)_beginthreadex(nullptr, 0, &PingThreadProc, start, 0, &id);
  if (m_thread == nullptr) {
    delete start;
    return false;
  }
  m_threadId = id;
  return true;
}

void CPingThread::Go(int count, const std::string& host)
{
  // The worker reads these after the go event, which orders the writes.
  m_shared->count = count;
  m_shared->host = host;
  ::SetEvent(m_shared->go);
}

bool CPingThread::Stop(DWORD ms)
{
  if (m_shared->stop != nullptr)
    ::SetEvent(m_shared->stop);
  bool ended = true;
  if (m_thread != nullptr) {
    ended = ::WaitForSingleObject(m_thread, ms) == WAIT_OBJECT_0;
    ::CloseHandle(m_thread);
    m_thread = nullptr;
  }
  m_shared->poster.Close();
  return ended;
}
