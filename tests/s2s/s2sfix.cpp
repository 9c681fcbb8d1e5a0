#include "tests/s2s/s2sfix.h"

#include "engine/confirmdlg.h"
#include "engine/exitrequest.h"
#include "engine/netfunc.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

namespace s2stest {

const HTREEITEM kNode = reinterpret_cast<HTREEITEM>(intptr_t(0x77));

void S2sTask::SetUp()
{
  keepertest::FastSettings();
  g_sendTimeout = 3;
  g_recvTimeout = 3;
  g_taskConnectWaitMs = 8000;
  g_optionFlags &= ~(1u << OPTBIT_NOTIFIER);
  CConfirmDlg::s_defaultTickPeriod = 100;
  ASSERT_NE(peers::Port("ZARN_S2S_PORT_2"), 0) << "run under tests/peers/with-peers.sh --s2s [--scripted]";
  for (int n : {2, 3, 4})
    roots[n] = peers::Env(("ZARN_S2S_ROOT_WIN_" + std::to_string(n)).c_str());
}

void S2sTask::TearDown()
{
  for (CSiteItem* site : started)
    keepertest::StopKeeper(*site);
  for (BatchJobRecord* job : owned)
    delete job;
  g_exitRequested = 0;
}

void S2sTask::Connect(CSiteItem& site, int n)
{
  const int port =
      n == 0 ? peers::Port("ZARN_SCRIPTED_PORT") : peers::Port(("ZARN_S2S_PORT_" + std::to_string(n)).c_str());
  keepertest::SetUpSite(site, port, "zarn", "secret", '0');
  if (n != 0)
    CopySiteText(site.m_host, ("127.0.0." + std::to_string(n)).c_str());
  site.SiteOptionDigits[4] = '1';
  site.m_uploadTimeout = 0;
  site.m_downloadTimeout = 0;
  site.m_queueRun = 1;
  site.m_workerFlag = 1;  // the paths given are the full ones
  keepertest::StartKeeper(site);
  started.push_back(&site);
  ASSERT_TRUE(keepertest::WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << nettest::LogDump();
}

void S2sTask::Own(const tasktest::RecordingWnd& funcView)
{
  for (BatchJobRecord* job : tasktest::Jobs(funcView))
    owned.push_back(job);
}

}  // namespace s2stest
