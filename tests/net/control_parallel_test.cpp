// Many connection threads at once: each makes its hidden window, logs in, runs
// a command and stops, while the others do the same.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/connlog.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

namespace {

constexpr int kConnections = 16;

TEST(ControlParallel, SixteenConnectionsAtOnce)
{
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  CSiteItem site;  // one site, many connections, as workers share their site
  nettest::SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(),
                     false);

  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    std::atomic<int> loggedIn{0}, commandsOk{0}, stoppedInTime{0}, started{0};
    std::atomic<int> windowsSeen{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kConnections; ++i) {
      clients.emplace_back([&, i] {
        nettest::Client client(&site);
        // Everybody starts together.
        ++started;
        while (started.load() < kConnections)
          ::Sleep(1);
        if (!client.Connect(20000) || !client.LoggedIn())
          return;
        ++loggedIn;
        const std::string folder = "p" + std::to_string(round) + "_" + std::to_string(i);
        if (client.Run(VERB_MKD, folder, 20000) && client.Alive())
          ++commandsOk;
        // While all of them are up, count the windows once.
        if (i == 0)
          windowsSeen = nettest::CountConnectionWindows();
        if (client.Stop() < 3000)
          ++stoppedInTime;
      });
    }
    for (std::thread& t : clients)
      t.join();
    EXPECT_EQ(loggedIn.load(), kConnections);
    EXPECT_EQ(commandsOk.load(), kConnections);
    EXPECT_EQ(stoppedInTime.load(), kConnections);
    EXPECT_GE(windowsSeen.load(), 1);
    EXPECT_EQ(nettest::CountConnectionWindows(), 0);
    for (int i = 0; i < kConnections; ++i) {
      struct stat st;
      const std::string path = root + "\\p" + std::to_string(round) + "_" + std::to_string(i);
      EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    }
  }
}

}  // namespace
