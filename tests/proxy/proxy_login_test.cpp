// Logging in through proxies on loopback: SOCKS4/4A and SOCKS5 (our recording
// proxy and microsocks), HTTP CONNECT (tinyproxy and ours), FTP proxies
// (ftp-proxy and our stub), the global proxy settings and the types that only
// move the control connection.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/ftpsocketwnd.h"
#include "shell/settings/settings.h"
#include "tests/net/netclient.h"
#include "tests/proxy/proxypeer.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogDump;
using nettest::LogHas;
using proxytest::Hex;
using proxytest::PortHex;
using proxytest::Received;

namespace {

const char kRefused[] = "::Connection failed through proxy. \r\n";

int ScriptProxy() { return peers::Port("ZARN_SCRIPTPROXY_PORT"); }

// Knows one name; every other name is left to the proxy (SOCKS4A).
bool FakeResolve(const char* host, uint8_t addr[4])
{
  if (strcmp(host, "known.zarn.test") != 0)
    return false;
  const uint8_t loopback[4] = {127, 0, 0, 1};
  memcpy(addr, loopback, 4);
  return true;
}

class ProxyLogin : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(proxytest::PyftpdPort(), 0) << "run under tests/peers/with-peers.sh";
    ASSERT_NE(ScriptProxy(), 0);
    ASSERT_TRUE(proxytest::Mode());
  }
  void TearDown() override
  {
    SetProxyHostResolver(HostResolver());
    g_proxyType = 0;
    g_proxyHost[0] = g_proxyUser[0] = g_proxyPassword[0] = '\0';
  }

  // Logs in, runs one command and says goodbye; the proxy carried it all.
  static void ExpectLogin(CSiteItem& site, bool keeper = false, const char* greeting = "220 zarn test server ready.")
  {
    Client client(&site, keeper);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    EXPECT_TRUE(client.LoggedIn()) << LogDump();
    EXPECT_TRUE(client.Alive());
    ASSERT_TRUE(client.Run(VERB_SYST, "", 10000));
    EXPECT_TRUE(client.Alive()) << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
    // The greeting went on as a reply after the proxy's answer.
    EXPECT_TRUE(LogHas(std::string("::Reply: ") + greeting)) << LogDump();
    EXPECT_FALSE(LogHas(kRefused));
  }
};

TEST_F(ProxyLogin, Socks4SendsTheAddressFormOrTheNameForm)
{
  SetProxyHostResolver(&FakeResolve);
  const std::string port = PortHex(proxytest::PyftpdPort());
  struct Case {
    const char* host;
    const char* mode;
    std::string request;
  };
  const Case cases[] = {
      {"127.0.0.1", "", "0401" + port + "7f00000100"},
      {"known.zarn.test", "split=1", "0401" + port + "7f00000100"},
      // A name the resolver does not know goes to the proxy (0.0.0.1).
      {"ftp.zarn.test", "", "0401" + port + "0000000100" + Hex("ftp.zarn.test") + "00"},
      {"ftp.zarn.test", "split=1", "0401" + port + "0000000100" + Hex("ftp.zarn.test") + "00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + " " + c.mode);
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode(c.mode));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '1', ScriptProxy());
    CopySiteText(site.m_host, c.host);
    ExpectLogin(site);
    EXPECT_EQ(Received(), std::vector<std::string>{"socks4 " + c.request});
  }
}

TEST_F(ProxyLogin, Socks5WithAndWithoutPassword)
{
  // microsocks without credentials picks "no authentication": only a greeting
  // that offers it gets through.
  {
    SCOPED_TRACE("microsocks");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_MICROSOCKS_PORT"));
    ExpectLogin(site);
  }
  {
    SCOPED_TRACE("microsocks -u -P");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_MICROSOCKS_AUTH_PORT"),
                                peers::Env("ZARN_MICROSOCKS_USER").c_str(),
                                peers::Env("ZARN_MICROSOCKS_PASS").c_str());
    ExpectLogin(site);
  }
  // Every byte, with the answers cut into single bytes.
  const std::string port = PortHex(proxytest::PyftpdPort());
  {
    SCOPED_TRACE("recorded, password, name");
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode("socks5_user=u socks5_pass=pw split=1"));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', ScriptProxy(), "u", "pw");
    CopySiteText(site.m_host, "ftp.zarn.test");
    ExpectLogin(site);
    EXPECT_EQ(Received(), std::vector<std::string>{"socks5 05020002" "0101" + Hex("u") + "02" + Hex("pw") +
                                                   "050100030d" + Hex("ftp.zarn.test") + port});
  }
  {
    SCOPED_TRACE("recorded, no password, address");
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode());
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', ScriptProxy());
    ExpectLogin(site);
    EXPECT_EQ(Received(), std::vector<std::string>{"socks5 05020002" "050100017f000001" + port});
  }
}

TEST_F(ProxyLogin, HttpConnectAnswerNeverReachesTheReplies)
{
  {
    SCOPED_TRACE("tinyproxy BasicAuth");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', peers::Port("ZARN_TINYPROXY_AUTH_PORT"),
                                peers::Env("ZARN_TINYPROXY_USER").c_str(), peers::Env("ZARN_TINYPROXY_PASS").c_str());
    ExpectLogin(site);
    EXPECT_FALSE(LogHas("HTTP/")) << LogDump();
    EXPECT_FALSE(LogHas("Proxy-agent")) << LogDump();
  }
  {
    SCOPED_TRACE("recorded, empty credentials, split answer");
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode("split=1"));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', ScriptProxy());
    ExpectLogin(site);
    const std::string target = "127.0.0.1:" + std::to_string(proxytest::PyftpdPort());
    EXPECT_EQ(Received(), std::vector<std::string>{"http " + Hex("CONNECT " + target + " HTTP/1.1\r\nHost: " + target +
                                                                  "\r\nAuthorization: Basic Og==\r\n"
                                                                  "Proxy-Authorization: Basic Og==\r\n\r\n")});
    EXPECT_FALSE(LogHas("HTTP/")) << LogDump();
  }
}

TEST_F(ProxyLogin, FtpProxiesTakeTheTargetInUser)
{
  const std::string py = std::to_string(proxytest::PyftpdPort());
  {
    // ftp-proxy: "name@host:port", the proxy user naming the account.
    SCOPED_TRACE("ftp-proxy type 12");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '<', peers::Port("ZARN_FTPPROXY_PORT"), proxytest::PyftpdUser().c_str());
    CopySiteText(site.m_user, "not-the-account");
    ExpectLogin(site, true, "220 ");
    EXPECT_TRUE(LogHas("::Sending command ---> USER " + proxytest::PyftpdUser() + "@127.0.0.1:" + py + "\r\n"))
        << LogDump();
  }
  {
    // ftp-proxy also takes type 11's form; it ignores the proxy user.
    SCOPED_TRACE("ftp-proxy type 11");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, ';', peers::Port("ZARN_FTPPROXY_PORT"), "gateway");
    ExpectLogin(site, true, "220 ");
    EXPECT_TRUE(LogHas("::Sending command ---> USER " + proxytest::PyftpdUser() + "@127.0.0.1:" + py + " gateway\r\n"))
        << LogDump();
  }
  struct Case {
    char digit;
    bool anonymous;
    std::string user;
  };
  const Case cases[] = {
      {'<', false, proxytest::PyftpdUser() + "@127.0.0.1:" + py},
      {';', false, proxytest::PyftpdUser() + "@127.0.0.1:" + py + " gateway"},
      {';', true, "anonymous@127.0.0.1:" + py + " gateway"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user);
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode());
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, c.digit, peers::Port("ZARN_SCRIPTPROXY_FTP_PORT"),
                                c.digit == '<' ? proxytest::PyftpdUser().c_str() : "gateway");
    if (c.digit == '<')
      CopySiteText(site.m_user, "not-the-account");
    site.SiteOptionDigits[1] = c.anonymous ? '1' : '0';
    Client client(&site);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    EXPECT_TRUE(client.LoggedIn()) << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
    EXPECT_EQ(Received(), std::vector<std::string>{"ftpuser " + c.user});
  }
}

TEST_F(ProxyLogin, GlobalProxyKeepsLongCredentials)
{
  // Wider than a site's fields: the whole text reaches the proxy.
  const std::string user(200, 'u'), password(250, 'p');
  g_proxyType = 2;
  CopySiteText(g_proxyHost, "127.0.0.1");
  g_proxyPort = ScriptProxy();
  CopySiteText(g_proxyUser, user.c_str());
  CopySiteText(g_proxyPassword, password.c_str());
  ASSERT_TRUE(proxytest::Mode("socks5_user=" + user + " socks5_pass=" + password));
  CSiteItem site;
  proxytest::SetUpProxiedSite(site, '0', 1);  // digit 0: the global settings
  ExpectLogin(site);
  const std::vector<std::string> got = Received();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0].find("01c8" + Hex(user) + "fa" + Hex(password)), std::string::npos) << got[0];
}

TEST_F(ProxyLogin, OtherTypesOnlyMoveTheControlConnection)
{
  // Types 4..10 have no exchange: the plain login goes to the proxy's address
  // (here the server itself; the site's own host cannot be reached).
  for (char digit : {'4', '9', ':'}) {
    SCOPED_TRACE(digit);
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, digit, proxytest::PyftpdPort());
    CopySiteText(site.m_host, "nowhere.zarn.test");
    ExpectLogin(site, true);
    EXPECT_TRUE(LogHas("::Sending command ---> USER " + proxytest::PyftpdUser() + "\r\n")) << LogDump();
  }
}

}  // namespace
