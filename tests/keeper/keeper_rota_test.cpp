// The keep-alive rota against pyftpdlib: what an idle kept connection sends, in
// which order, by keep-alive digit and passive setting; and the "://" prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/connlog.h"
#include "engine/localaddr.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using namespace keepertest;

namespace {

// A machine with a private address: the keeper goes on to connect.
bool PrivateAddress(char* name, size_t nameSize, LocalIPv4* addresses, size_t maxAddresses, size_t* count)
{
  snprintf(name, nameSize, "%s", "testhost");
  *count = 0;
  if (maxAddresses > 0)
    addresses[(*count)++] = LocalIPv4{{192, 168, 1, 20}};
  return true;
}

// Where `wanted` appears in order inside `got` (other commands may sit between).
bool InOrder(const std::vector<std::string>& got, const std::vector<std::string>& wanted)
{
  size_t at = 0;
  for (const std::string& g : got)
    if (at < wanted.size() && g == wanted[at])
      ++at;
  return at == wanted.size();
}

TEST(KeeperRota, EachKeepAliveDigitSendsItsRota)
{
  FastSettings();
  const int port = peers::Port("ZARN_PYFTPD_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
  const std::string user = peers::Env("ZARN_PYFTPD_USER"), pass = peers::Env("ZARN_PYFTPD_PASS");
  // Option bit 0 clear, so digit 4 '0' asks for PORT; the address test passes.
  g_optionFlags &= ~(1u << OPTBIT_LAN_USER);
  SetLocalAddressSource(&PrivateAddress);

  auto plain = std::make_unique<CSiteItem>();   // '1', host with a scheme
  auto passive = std::make_unique<CSiteItem>(); // '2', passive
  auto active = std::make_unique<CSiteItem>();  // '2', active
  auto none = std::make_unique<CSiteItem>();    // '0'
  SetUpSite(*plain, port, user.c_str(), pass.c_str(), '1');
  CopySiteText(plain->m_host, "ftp://127.0.0.1");
  SetUpSite(*passive, port, user.c_str(), pass.c_str(), '2');
  passive->SiteOptionDigits[4] = '2';
  SetUpSite(*active, port, user.c_str(), pass.c_str(), '2');
  active->SiteOptionDigits[4] = '0';
  SetUpSite(*none, port, user.c_str(), pass.c_str(), '0');

  CSiteItem* sites[] = {plain.get(), passive.get(), active.get(), none.get()};
  int ports[4] = {};
  for (CSiteItem* s : sites)
    StartKeeper(*s);
  for (int i = 0; i < 4; ++i) {
    CSiteItem* s = sites[i];
    ASSERT_TRUE(WaitFor([s] { return s->m_connected.load() != 0; }, 15000)) << i << "\n" << nettest::LogDump();
    ports[i] = s->m_localPort;
    EXPECT_NE(ports[i], 0);
    // Set right after the flag, on the keeper's thread.
    EXPECT_EQ(::WaitForSingleObject(s->m_hIdleEvent, 15000), (DWORD)WAIT_OBJECT_0) << "set once connected";
  }
  EXPECT_STREQ(plain->m_host, "127.0.0.1");
  const DWORD connectedAt = ::GetTickCount();

  // PWD, NOOP, SYST, PWD: the fourth entry comes after about four cycles.
  EXPECT_TRUE(WaitFor([&] { return KeepAliveCommands(ports[0]).size() >= 4; }, 20000))
      << Joined(ServerCommands(ports[0]));
  std::vector<std::string> rota = KeepAliveCommands(ports[0]);
  rota.resize(std::min<size_t>(rota.size(), 4));
  EXPECT_EQ(rota, (std::vector<std::string>{"PWD", "NOOP", "SYST", "PWD"}));

  // '2' adds the listing as its fourth entry: TYPE A, then PASV or PORT, then LIST.
  EXPECT_TRUE(WaitFor([&] { return InOrder(KeepAliveCommands(ports[1]), {"SYST", "LIST"}); }, 20000))
      << Joined(ServerCommands(ports[1]));
  const std::vector<std::string> pasv = KeepAliveCommands(ports[1]);
  EXPECT_TRUE(InOrder(pasv, {"PWD", "NOOP", "SYST", "TYPE A", "PASV", "LIST"})) << Joined(pasv);
  EXPECT_EQ(std::count(pasv.begin(), pasv.end(), "PORT"), 0) << Joined(pasv);

  EXPECT_TRUE(WaitFor([&] { return InOrder(KeepAliveCommands(ports[2]), {"SYST", "LIST"}); }, 20000))
      << Joined(ServerCommands(ports[2]));
  const std::vector<std::string> port4 = KeepAliveCommands(ports[2]);
  EXPECT_TRUE(InOrder(port4, {"PWD", "NOOP", "SYST", "TYPE A"})) << Joined(port4);
  const auto portAt = std::find_if(port4.begin(), port4.end(),
                                   [](const std::string& c) { return c.rfind("PORT ", 0) == 0; });
  EXPECT_NE(portAt, port4.end()) << Joined(port4);
  EXPECT_TRUE(portAt != port4.end() && std::find(portAt, port4.end(), "LIST") != port4.end()) << Joined(port4);
  EXPECT_EQ(std::count(port4.begin(), port4.end(), "PASV"), 0) << Joined(port4);

  // '0' sends nothing at all, ten seconds long.
  const DWORD spent = ::GetTickCount() - connectedAt;
  if (spent < 10000)
    ::Sleep(10000 - spent);
  EXPECT_TRUE(KeepAliveCommands(ports[3]).empty()) << Joined(ServerCommands(ports[3]));
  EXPECT_EQ(none->m_connected.load(), 1);

  for (CSiteItem* s : sites)
    EXPECT_LT(StopKeeper(*s), 8000u);
  for (CSiteItem* s : sites)
    ExpectEnded(*s);
  // Each ended with QUIT to the server.
  for (int p : ports) {
    const std::vector<std::string> all = ServerCommands(p);
    EXPECT_FALSE(all.empty() || all.back() != "QUIT") << Joined(all);
  }
  EXPECT_EQ(nettest::LogCount("127.0.0.1::Login successful\r\n"), 4) << nettest::LogDump();
  SetLocalAddressSource(nullptr);
}

}  // namespace
