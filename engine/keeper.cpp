// The site keeper thread: connect with retries, keep the connection alive, lend
// it, reconnect after a drop, and tear everything down when told to stop.
#include "engine/keeper.h"

#include <cstdlib>
#include <cstring>

#include "engine/connlog.h"
#include "engine/dialup.h"
#include "engine/ftpsocketwnd.h"
#include "engine/localaddr.h"
#include "engine/netfunc.h"
#include "engine/netsession.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"

namespace {

// How often a keeper that wants the claim back looks again.
constexpr DWORD kBusyPollMs = 500;
// Waits longer than this are nonsense from a setting; a day is plenty.
constexpr int64_t kLongestWaitMs = 24LL * 3600 * 1000;

DWORD Elapsed(DWORD since) { return ::GetTickCount() - since; }

DWORD ClampMs(int64_t ms)
{
  if (ms < 0)
    return 0;
  return (DWORD)(ms > kLongestWaitMs ? kLongestWaitMs : ms);
}

// Seconds of a site field, or the global when the field is below 11.
int64_t SecondsOr(int32_t siteValue, int32_t global)
{
  return siteValue < 11 ? (int64_t)global : (int64_t)siteValue;
}

class Keeper {
public:
  explicit Keeper(CSiteItem* site) : m_site(site) {}

  void Run()
  {
    Start();
    for (;;) {
      if (!ConnectLoop())
        break;
      KeepAlive();
      // Left because the connection went (dropped or silent) while the keeper
      // still runs: connect again from attempt 1.
      if (!Running())
        break;
    }
    End();
  }

private:
  bool Running() const { return m_site->m_keeperRunning.load() != 0; }
  const char* Host() const { return m_site->m_host; }

  int64_t ReadRetryCount() const
  {
    return m_site->m_retryCount != 0 ? (int64_t)m_site->m_retryCount : (int64_t)g_defRetryCount;
  }

  void Start()
  {
    CSiteItem& s = *m_site;
    s.m_keeperRunning = 1;
    m_idleMs = ClampMs(SecondsOr(s.m_idleInterval, g_idleTimeout) * 1000);
    s.m_host[sizeof(s.m_host) - 1] = '\0';
    if (char* scheme = strstr(s.m_host, "://"))
      memmove(s.m_host, scheme + 3, strlen(scheme + 3) + 1);
    m_connectWaitMs = ClampMs(SecondsOr(s.m_connectTimeout, g_connectTimeout) * 1000 + 3000);
    m_retryCount = ReadRetryCount();
    m_retryDelayMs = ClampMs((int64_t)(s.m_retryDelay != 0 ? s.m_retryDelay : g_retryDelay) * 1000);
    m_rota[0] = VERB_PWD;
    m_rota[1] = VERB_NOOP;
    m_rota[2] = VERB_SYST;
    m_rotaCount = 3;
    if (s.SiteOptionDigits[7] == '2')
      m_rota[m_rotaCount++] = VERB_LIST;
    // The connection-log tab, so the user sees the attempts.
    CWnd* funcView = g_pFuncView.load();
    HWND hFuncView = funcView != nullptr ? funcView->GetSafeHwnd() : nullptr;
    if (hFuncView != nullptr)
      ::PostMessageA(hFuncView, UWM_SHOW_FUNC_TAB, 0, 1);
  }

  // Takes the claim for the keeper, waiting while a borrower holds it; false
  // when the keeper is stopped first.
  bool TakeBusy()
  {
    if (m_holdBusy)
      return true;
    while (Running()) {
      if (TryTakeBusyWord(m_site->m_mainBusy)) {
        m_holdBusy = true;
        return true;
      }
      m_idleMark = ::GetTickCount();
      ::Sleep(kBusyPollMs);
    }
    return false;
  }

  void GiveBackBusy()
  {
    if (m_holdBusy) {
      m_holdBusy = false;
      GiveBackBusyWord(m_site->m_mainBusy);
    }
  }

  // Stops the connection thread (WM_QUIT and the bounded wait) and deletes it.
  // One that would not end still uses its object and the record: both are
  // left to it.
  void StopThread()
  {
    if (m_thread != nullptr) {
      if (m_thread->Stop())
        delete m_thread;
      else
        m_sessionInUse = true;
      m_thread = nullptr;
    }
  }

  // The main record and its thread go; only while the keeper holds the claim
  // (or nobody can borrow any more).
  void DropConnection()
  {
    StopThread();
    if (m_session != nullptr) {
      m_site->m_pMainSession = nullptr;
      m_session->m_loggedIn = 0;
      if (!m_sessionInUse) {
        FreeListingBlock(m_session);
        delete m_session;  // closes its command-finished event
      }
      m_sessionInUse = false;
      m_session = nullptr;
    }
  }

  static void FreeListingBlock(NetSession* session)
  {
    if (session->m_pRecord != nullptr) {
      free(session->m_pRecord);
      session->m_pRecord = nullptr;
    }
  }

  bool OpenConnection()
  {
    m_session = new NetSession;
    m_session->m_pSite = m_site;
    m_session->m_keeper = 1;
    m_site->m_pMainSession = m_session;
    m_thread = new CNetFunc(m_session);  // makes the command-finished event
    if (m_session->m_hDoneEvent == nullptr)
      return false;
    if (!m_thread->Start()) {
      delete m_thread;
      m_thread = nullptr;
      return false;
    }
    return true;
  }

  void DelayRetry()
  {
    const DWORD start = ::GetTickCount();
    while (Running()) {
      const DWORD spent = Elapsed(start);
      if (spent >= m_retryDelayMs)
        return;
      const DWORD left = m_retryDelayMs - spent;
      ::Sleep(left < kKeeperSliceMs ? left : kKeeperSliceMs);
    }
  }

  // True when a logged-in main connection stands; false when the keeper gave up
  // or was stopped (keeper running is then 0).
  bool ConnectLoop()
  {
    CSiteItem& s = *m_site;
    bool loggedIn = false;
    for (int64_t n = 1; n <= m_retryCount && Running(); ++n) {
      // The record may be lent: it is replaced only once it is back.
      if (!TakeBusy())
        break;
      ConnLogPrintf("%s::Is conducting No. %d connection\r\n", Host(), (int)n);
      if (s.m_connected.load() != 0 && m_session != nullptr && m_session->m_loggedIn.load() != 0) {
        loggedIn = true;
        break;
      }
      ::ResetEvent(s.m_hIdleEvent);
      DropConnection();
      if (!IsOptionSet(OPTBIT_LAN_USER) && !TestLocalAddress(nullptr, nullptr)) {
        bool dialled = false;
        if (IsOptionSet(OPTBIT_AUTO_DIAL)) {
          dialled = AutoDial();
          if (!dialled)
            ConnLogPrintf("%s::Dial up failed! \r\n", Host());
        } else {
          ConnLogPrintf("%s::Connection failed! \r\n", Host());
        }
        if (!dialled) {
          s.m_connected = 0;
          s.m_keeperRunning = 0;
          break;
        }
      }
      // The connect wait: slices while the keeper runs, until the event or the
      // connect wait has passed.
      if (OpenConnection())
        m_session->WaitForLogin(kKeeperSliceMs, m_connectWaitMs, [&] { return Running(); });
      if (m_session->m_loggedIn.load() != 0) {
        loggedIn = true;
        break;
      }
      if (Running())
        ConnLogPrintf("%s::Connecting error, back.\r\n", Host());
      else
        ConnLogPrintf("%s::Connecting canceled by user\r\n", Host());
      s.m_connected = 0;
      DropConnection();
      // Between attempts only: after the last there is nothing to wait for.
      if (n < m_retryCount)
        DelayRetry();
    }
    if (!loggedIn) {
      s.m_keeperRunning = 0;
      return false;
    }
    m_retryCount = ReadRetryCount();
    // Connected only once lendable: a borrower that sees the flag finds the
    // claim free, and the idle event follows at once.
    s.m_queueRun = 1;
    s.ConnectionSemaphore();
    GiveBackBusy();
    m_idleMark = ::GetTickCount();
    s.m_connected = 1;
    // A drop since the login had nothing to clear: the keep-alive loop then
    // sees it and connects again.
    if (m_session->m_alive.load() == 0)
      s.m_connected = 0;
    ::SetEvent(s.m_hIdleEvent);
    if (s.m_connected.load() != 0)
      PostSiteState(&s, 1);
    return true;
  }

  // The longest wait for the answer to one keep-alive command.
  DWORD ReplyLimitMs() const
  {
    const DWORD ms = ClampMs(SecondsOr(m_site->m_downloadTimeout, g_recvTimeout) * 1000);
    return ms < 1000 ? 1000 : ms;
  }

  // Sends the next rota entry and waits for its end. False when the keeper is
  // stopped meanwhile or the server stays silent (the connection is then cut
  // and the keeper keeps the claim for the reconnect).
  bool SendKeepAlive()
  {
    NetSession& session = *m_session;
    const int verb = m_rota[m_rotaNext];
    // As every client starts an operation: an empty queue and a live connection.
    session.BeginOperation(false);
    if (verb == VERB_LIST) {
      // The three commands are queued together and started by one post: sent
      // one by one, the answer to TYPE could end the wait before LIST is queued.
      session.PushCommand(VERB_TYPE, "A");
      session.PushDataConnection(m_site);
      session.PushCommand(VERB_LIST, "");
      session.PostCommands();
    } else {
      session.PostVerb(verb);
    }

    switch (session.WaitForEnd(kKeeperSliceMs, ReplyLimitMs(), [&] { return Running(); })) {
      case NetSession::WAIT_DONE:
        FreeListingBlock(&session);
        m_idleMark = ::GetTickCount();
        GiveBackBusy();
        m_rotaNext = (m_rotaNext + 1) % m_rotaCount;
        return true;
      case NetSession::WAIT_ENDED:
        return false;
      default:
        break;
    }
    // A half-open link or a hung server: as if it had dropped us.
    ConnLogPrintf("%s::No reply to the keep-alive command, reconnecting\r\n", Host());
    StopThread();
    m_site->m_connected = 0;
    PostSiteState(m_site, 0);
    return false;
  }

  void KeepAlive()
  {
    CSiteItem& s = *m_site;
    while (s.m_connected.load() != 0) {
      if (!Running())
        return;
      ::Sleep(kKeeperSliceMs);
      if (!Running())
        return;
      // Lent (or taken): the idle time starts again at the return.
      if (s.m_mainBusy.load() != 0) {
        m_idleMark = ::GetTickCount();
        continue;
      }
      if (s.SiteOptionDigits[7] == '0') {
        m_idleMark = ::GetTickCount();
        continue;
      }
      if (Elapsed(m_idleMark) <= m_idleMs)
        continue;
      if (s.m_connected.load() == 0)
        return;
      if (!TryTakeBusyWord(s.m_mainBusy)) {
        m_idleMark = ::GetTickCount();
        continue;
      }
      m_holdBusy = true;
      if (!SendKeepAlive())
        return;
    }
  }

  void End()
  {
    CSiteItem& s = *m_site;
    s.ClearAddresses();
    s.m_localPort = 0;
    s.m_queueRun = 0;
    s.m_connected = 0;
    auto wakeEveryone = [&]() {
      if (m_session != nullptr && m_session->m_hDoneEvent != nullptr)
        ::SetEvent(m_session->m_hDoneEvent);
      ::SetEvent(s.m_hIdleEvent);
    };
    wakeEveryone();
    while (s.m_taskCount.load() > 0) {
      s.m_queueRun = 0;
      wakeEveryone();
      ::Sleep(kKeeperEndPollMs);
    }
    // A borrower still holding the record gives it back before it goes.
    while (!m_holdBusy) {
      if (TryTakeBusyWord(s.m_mainBusy)) {
        m_holdBusy = true;
        break;
      }
      wakeEveryone();
      ::Sleep(kKeeperEndPollMs);
    }
    DropConnection();
    s.m_pMainSession = nullptr;
    s.m_keeperRunning = 0;
    // Free again for the next keeper of this site.
    GiveBackBusy();
  }

  CSiteItem* m_site;
  NetSession* m_session = nullptr;  // the main record while it exists
  CNetFunc* m_thread = nullptr;     // its connection thread
  bool m_sessionInUse = false;      // a thread that would not end still uses m_session
  bool m_holdBusy = false;          // the keeper holds the claim
  DWORD m_idleMs = 0;
  DWORD m_connectWaitMs = 0;
  int64_t m_retryCount = 0;
  DWORD m_retryDelayMs = 0;
  int m_rota[4] = {};
  int m_rotaCount = 0;
  int m_rotaNext = 0;
  DWORD m_idleMark = 0;
};

}  // namespace

UINT __cdecl ConnectKeeperProc(LPVOID pParam)
{
  CSiteItem* site = static_cast<CSiteItem*>(pParam);
  if (site == nullptr)
    return 0;
  Keeper keeper(site);
  keeper.Run();
  return 0;
}
