// Proxies that refuse: every refusal wakes the client at once with its log
// line and alive = 0, and nothing of the refusal is taken for a server reply.
#include <gtest/gtest.h>

#include <string>

#include "engine/connlog.h"
#include "engine/ftpsocketwnd.h"
#include "shell/settings/settings.h"
#include "tests/net/netclient.h"
#include "tests/proxy/proxypeer.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogCount;
using nettest::LogDump;
using nettest::LogHas;

namespace {

const char kRefused[] = "::Connection failed through proxy. \r\n";

class ProxyRefusals : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(proxytest::PyftpdPort(), 0) << "run under tests/peers/with-peers.sh";
    ASSERT_TRUE(proxytest::Mode());
  }
  void TearDown() override
  {
    g_proxyType = 0;
    g_proxyHost[0] = g_proxyUser[0] = g_proxyPassword[0] = '\0';
  }

  // The wait ends signalled, well before any time-out, with the line.
  static void ExpectRefused(CSiteItem& site)
  {
    Client client(&site);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    EXPECT_LT(client.elapsedMs, 5000u);
    EXPECT_FALSE(client.Alive());
    EXPECT_FALSE(client.LoggedIn());
    EXPECT_EQ(nettest::LogCount(kRefused), 1) << LogDump();
    // Neither binary answers nor an error page pass for replies.
    EXPECT_FALSE(LogHas("::Reply:")) << LogDump();
    EXPECT_FALSE(LogHas("Welcome Message")) << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
  }
};

TEST_F(ProxyRefusals, RecordingProxyRefusesEachStep)
{
  struct Case {
    char digit;
    const char* user;
    const char* password;
    const char* mode;
  };
  // The proxy keeps a refused connection open: only reading the answer helps.
  const Case cases[] = {
      {'1', "", "", "socks4_cd=91"},
      {'1', "", "", "socks4_cd=91 split=1"},
      {'1', "", "", "close_first=1"},
      {'2', "", "", "socks5_method=255"},
      {'2', "u", "pw", "socks5_user=u socks5_pass=pw socks5_auth=1"},
      {'2', "u", "bad", "socks5_user=u socks5_pass=pw"},
      {'2', "", "", "socks5_rep=5"},
      {'2', "u", "pw", "socks5_user=u socks5_pass=pw socks5_rep=2 split=1"},
      {'2', "", "", "close_first=1"},
      {'3', "", "", "http_status=407"},
      {'3', "", "", "http_status=502 split=1"},
      {'3', "", "", "close_first=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.digit) + " " + c.mode);
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode(c.mode));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, c.digit, peers::Port("ZARN_SCRIPTPROXY_PORT"), c.user, c.password);
    ExpectRefused(site);
  }
}

TEST_F(ProxyRefusals, RealProxiesRefuse)
{
  {
    SCOPED_TRACE("microsocks, wrong password");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_MICROSOCKS_AUTH_PORT"),
                                peers::Env("ZARN_MICROSOCKS_USER").c_str(), "wrong");
    ExpectRefused(site);
  }
  {
    // Both credential lines always go, so a wrong password is what tinyproxy
    // answers (401); without them it would be 407.
    SCOPED_TRACE("tinyproxy BasicAuth, wrong password");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', peers::Port("ZARN_TINYPROXY_AUTH_PORT"),
                                peers::Env("ZARN_TINYPROXY_USER").c_str(), "wrong");
    ExpectRefused(site);
  }
  {
    SCOPED_TRACE("tinyproxy ConnectPort 443: 403");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', peers::Port("ZARN_TINYPROXY_443_PORT"));
    ExpectRefused(site);
  }
}

TEST_F(ProxyRefusals, CredentialsTooLongForTheExchange)
{
  // A SOCKS5 user of 256 bytes has no one-byte length: refused, never cut.
  const std::string user(256, 'u');
  g_proxyType = 2;
  CopySiteText(g_proxyHost, "127.0.0.1");
  g_proxyPort = peers::Port("ZARN_SCRIPTPROXY_PORT");
  CopySiteText(g_proxyUser, user.c_str());
  CopySiteText(g_proxyPassword, "pw");
  ASSERT_TRUE(proxytest::Mode("socks5_user=x"));
  {
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '0', 1);
    ExpectRefused(site);
  }
  // An FTP proxy's USER that does not fit one command line.
  ConnLogClear();
  ASSERT_TRUE(proxytest::Mode());
  g_proxyType = 11;
  g_proxyPort = peers::Port("ZARN_SCRIPTPROXY_FTP_PORT");
  const std::string longUser(250, 'g');
  CopySiteText(g_proxyUser, longUser.c_str());
  CSiteItem site;
  proxytest::SetUpProxiedSite(site, '0', 1);
  Client client(&site);
  ASSERT_TRUE(client.Connect(15000)) << LogDump();
  EXPECT_LT(client.elapsedMs, 5000u);
  EXPECT_FALSE(client.Alive());
  EXPECT_TRUE(LogHas(kRefused)) << LogDump();
  EXPECT_TRUE(proxytest::Received().empty());  // no USER went to the proxy
}

TEST_F(ProxyRefusals, RefusedPasswordRepeatsTheUserOnce)
{
  // Through the FTP-proxy stub to pyftpdlib with a wrong password: the proxy
  // login, PASS refused, USER again with the plain user, PASS refused, end.
  const std::string py = std::to_string(proxytest::PyftpdPort());
  CSiteItem site;
  proxytest::SetUpProxiedSite(site, '<', peers::Port("ZARN_SCRIPTPROXY_FTP_PORT"), proxytest::PyftpdUser().c_str());
  CopySiteText(site.m_user, proxytest::PyftpdUser().c_str());
  CopySiteText(site.m_password, "wrong");
  Client client(&site, true);
  ASSERT_TRUE(client.Connect(20000)) << LogDump();
  EXPECT_FALSE(client.Alive());
  EXPECT_FALSE(client.LoggedIn());
  EXPECT_EQ(LogCount("::User ID not accepted.\r\n"), 2) << LogDump();
  EXPECT_EQ(LogCount("::Sending command ---> USER " + proxytest::PyftpdUser() + "@127.0.0.1:" + py + "\r\n"), 1);
  EXPECT_EQ(LogCount("::Sending command ---> USER " + proxytest::PyftpdUser() + "\r\n"), 1);
  EXPECT_EQ(LogCount("::Sending command ---> PASS"), 2);
  EXPECT_LT(client.Stop(), 3000u);
}

}  // namespace
