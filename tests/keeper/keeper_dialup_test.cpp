// No usable local address: give up, dial and give up, or dial and connect.
// Nothing dials for real: the address source and the dial-up functions are
// fakes.
#include <gtest/gtest.h>

#include <atomic>

#include "engine/connlog.h"
#include "engine/dialup.h"
#include "engine/localaddr.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

#include <wininet.h>

using namespace keepertest;
using nettest::LogCount;
using nettest::LogDump;

namespace {

// Loop-back and link-local only: no address any server could reach.
bool NoUsableAddress(char* name, size_t nameSize, LocalIPv4* addresses, size_t maxAddresses, size_t* count)
{
  snprintf(name, nameSize, "%s", "offline");
  *count = 0;
  const LocalIPv4 mine[] = {{{127, 0, 0, 1}}, {{169, 254, 7, 9}}};
  for (const LocalIPv4& a : mine)
    if (*count < maxAddresses)
      addresses[(*count)++] = a;
  return true;
}

std::atomic<int> g_dials{0};
std::atomic<DWORD> g_dialResult{ERROR_SUCCESS};

DWORD WINAPI FakeDial(HWND, LPSTR, DWORD flags, DWORD_PTR* connection, DWORD)
{
  ++g_dials;
  EXPECT_NE(flags & INTERNET_AUTODIAL_FORCE_UNATTENDED, 0u);
  if (connection != nullptr)
    *connection = 1;
  return g_dialResult.load();
}

const DialUpApi kFakeDialUp = {nullptr, nullptr, &FakeDial};

class KeeperDialUp : public ::testing::Test {
protected:
  void SetUp() override
  {
    FastSettings();
    port = peers::Port("ZARN_SCRIPTED_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
    ASSERT_TRUE(peers::Scenario("default"));
    SetLocalAddressSource(&NoUsableAddress);
    SetDialUpApi(&kFakeDialUp);
    g_dials = 0;
    g_optionFlags &= ~(1u << OPTBIT_LAN_USER);
    SetUpSite(site, port, "zarn", "secret", '1');
    site.m_retryCount = 3;
  }
  void TearDown() override
  {
    SetLocalAddressSource(nullptr);
    SetDialUpApi(nullptr);
  }
  int port = 0;
  CSiteItem site;
};

TEST_F(KeeperDialUp, WithoutDialUpTheKeeperGivesUpOnce)
{
  g_optionFlags &= ~(1u << OPTBIT_AUTO_DIAL);
  StartKeeper(site);
  ASSERT_TRUE(KeeperEnded(site, 10000)) << LogDump();
  EXPECT_EQ(LogCount("127.0.0.1::Connection failed! \r\n"), 1) << LogDump();
  EXPECT_EQ(LogCount("::Is conducting No. "), 1) << "no retry without a network";
  EXPECT_EQ(LogCount("::Dial up failed!"), 0);
  EXPECT_EQ(g_dials.load(), 0);
  ExpectEnded(site);
}

TEST_F(KeeperDialUp, AFailedDialEndsTheKeeper)
{
  g_optionFlags |= 1u << OPTBIT_AUTO_DIAL;
  g_dialResult = ERROR_NO_CONNECTION;
  StartKeeper(site);
  ASSERT_TRUE(KeeperEnded(site, 10000)) << LogDump();
  EXPECT_EQ(LogCount("127.0.0.1::Dial up failed! \r\n"), 1) << LogDump();
  EXPECT_EQ(LogCount("::Connection failed! "), 0);
  EXPECT_EQ(g_dials.load(), 1);
  ExpectEnded(site);
}

TEST_F(KeeperDialUp, ASucceedingDialGoesOnToLogIn)
{
  g_optionFlags |= 1u << OPTBIT_AUTO_DIAL;
  g_dialResult = ERROR_SUCCESS;
  StartKeeper(site);
  ASSERT_TRUE(WaitFor([&] { return site.m_connected.load() != 0; }, 15000)) << LogDump();
  EXPECT_EQ(g_dials.load(), 1);
  EXPECT_EQ(LogCount("127.0.0.1::Login successful\r\n"), 1) << LogDump();
  EXPECT_EQ(LogCount("::Dial up failed!"), 0);
  EXPECT_LT(StopKeeper(site), 8000u);
  ExpectEnded(site);
}

}  // namespace
