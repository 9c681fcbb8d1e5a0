// Passive data connections through proxies: listings, byte-exact downloads and
// uploads through every kind, and a proxy that refuses the data connection
// after granting the control one.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/ftpsocketwnd.h"
#include "framework/file.h"
#include "tests/data/datatest.h"
#include "tests/net/netclient.h"
#include "tests/proxy/proxypeer.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogCount;
using nettest::LogDump;
using nettest::LogHas;

namespace {

const char kRefused[] = "::Connection failed through proxy. \r\n";
const char kRemote[] = "proxied.bin";

// Random bytes with line ends, NUL and 0x1A on the buffer edges.
std::string TestData(size_t size)
{
  std::mt19937 gen(7);
  std::string data(size, '\0');
  for (char& c : data)
    c = (char)(gen() & 0xFF);
  for (size_t at : {(size_t)1459, (size_t)8191, size - 3})
    data.replace(at, 3, "\r\n\x1a");
  return data;
}

using datatest::ReadBytes;
using datatest::WriteBytes;

std::vector<std::pair<int, std::string>> Passive(int verb, const std::string& arg)
{
  return {{VERB_TYPE, verb == VERB_LIST ? "A" : "I"}, {VERB_PASV, "PASV"}, {verb, arg}};
}

class ProxyData : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(proxytest::PyftpdPort(), 0) << "run under tests/peers/with-peers.sh";
    ASSERT_TRUE(proxytest::Mode());
    root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
    local = peers::Env("ZARN_PEER_WORK_WIN") + "\\proxydata";
    ::CreateDirectoryA(local.c_str(), nullptr);
    local += "\\";
    data = TestData(200003);
    ASSERT_TRUE(WriteBytes(root + "\\" + kRemote, data));
  }

  // Logs in, lists, downloads and (when asked) uploads through the site's
  // proxy; every piece byte-exact, the connection alive throughout.
  void ExpectTransfers(CSiteItem& site, bool upload)
  {
    Client client(&site);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    ASSERT_TRUE(client.LoggedIn()) << LogDump();
    NetSession* s = client.Session();

    s->m_pRecord = nullptr;
    ASSERT_TRUE(client.Run(Passive(VERB_LIST, ""), 15000)) << LogDump();
    EXPECT_TRUE(client.Alive()) << LogDump();
    ASSERT_NE(s->m_pRecord, nullptr) << LogDump();
    const std::string listing = static_cast<const char*>(s->m_pRecord);
    free(s->m_pRecord);
    s->m_pRecord = nullptr;
    EXPECT_NE(listing.find(kRemote), std::string::npos) << listing;

    const std::string copy = local + "copy.bin";
    CFile down;
    ASSERT_TRUE(down.Open(copy.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone));
    s->m_pFile = &down;
    ASSERT_TRUE(client.Run(Passive(VERB_RETR, kRemote), 20000)) << LogDump();
    s->m_pFile = nullptr;
    EXPECT_TRUE(client.Alive()) << LogDump();
    EXPECT_FALSE(down.IsOpen());
    EXPECT_TRUE(ReadBytes(copy) == data) << "downloaded copy differs";

    if (upload) {
      const std::string source = local + "source.bin";
      ASSERT_TRUE(WriteBytes(source, data));
      CFile up;
      ASSERT_TRUE(up.Open(source.c_str(), CFile::modeRead | CFile::shareDenyNone));
      s->m_pFile = &up;
      ASSERT_TRUE(client.Run(Passive(VERB_STOR, "uploaded.bin"), 20000)) << LogDump();
      s->m_pFile = nullptr;
      EXPECT_TRUE(client.Alive()) << LogDump();
      EXPECT_TRUE(ReadBytes(root + "\\uploaded.bin") == data) << "uploaded copy differs";
    }
    EXPECT_FALSE(LogHas(kRefused));
    EXPECT_FALSE(LogHas("HTTP/")) << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
  }

  std::string root, local, data;
};

TEST_F(ProxyData, SocksCarriesEveryDataConnection)
{
  {
    // Answers cut into single bytes; each data connection asks for the
    // address of its 227 reply.
    SCOPED_TRACE("recording SOCKS4");
    ASSERT_TRUE(proxytest::Mode("split=1"));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '1', peers::Port("ZARN_SCRIPTPROXY_PORT"));
    ExpectTransfers(site, false);
    const std::vector<std::string> got = proxytest::Received();
    ASSERT_EQ(got.size(), 3u);
    for (const std::string& request : got) {
      EXPECT_EQ(request.compare(0, 11, "socks4 0401"), 0) << request;
      EXPECT_EQ(request.substr(15), "7f00000100") << request;
    }
  }
  {
    SCOPED_TRACE("recording SOCKS5 with password");
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode("socks5_user=u socks5_pass=pw split=1"));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_SCRIPTPROXY_PORT"), "u", "pw");
    ExpectTransfers(site, true);
    EXPECT_EQ(proxytest::Received().size(), 4u);
  }
  {
    SCOPED_TRACE("microsocks");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_MICROSOCKS_PORT"));
    ExpectTransfers(site, false);
  }
  {
    SCOPED_TRACE("microsocks -u -P");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '2', peers::Port("ZARN_MICROSOCKS_AUTH_PORT"),
                                peers::Env("ZARN_MICROSOCKS_USER").c_str(), peers::Env("ZARN_MICROSOCKS_PASS").c_str());
    ExpectTransfers(site, true);
  }
}

TEST_F(ProxyData, HttpConnectCarriesEveryDataConnection)
{
  {
    SCOPED_TRACE("tinyproxy BasicAuth");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', peers::Port("ZARN_TINYPROXY_AUTH_PORT"),
                                peers::Env("ZARN_TINYPROXY_USER").c_str(), peers::Env("ZARN_TINYPROXY_PASS").c_str());
    ExpectTransfers(site, true);
  }
  {
    SCOPED_TRACE("recording HTTP");
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode("split=1"));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '3', peers::Port("ZARN_SCRIPTPROXY_PORT"));
    ExpectTransfers(site, false);
    const std::vector<std::string> got = proxytest::Received();
    ASSERT_EQ(got.size(), 3u);
    for (const std::string& request : got)
      EXPECT_EQ(request.compare(0, 5 + 2 * 18, "http " + proxytest::Hex("CONNECT 127.0.0.1:")), 0) << request;
  }
}

TEST_F(ProxyData, OtherTypesConnectStraightToTheServer)
{
  const std::string py = std::to_string(proxytest::PyftpdPort());
  {
    SCOPED_TRACE("ftp-proxy type 12");
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '<', peers::Port("ZARN_FTPPROXY_PORT"), proxytest::PyftpdUser().c_str());
    ExpectTransfers(site, true);
  }
  {
    SCOPED_TRACE("stub type 11");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, ';', peers::Port("ZARN_SCRIPTPROXY_FTP_PORT"), "gateway");
    ExpectTransfers(site, false);
    EXPECT_EQ(proxytest::Received(),
              std::vector<std::string>{"ftpuser " + proxytest::PyftpdUser() + "@127.0.0.1:" + py + " gateway"});
  }
  {
    // No exchange of their own: the control connection goes to the proxy's
    // address, the data connections to the 227 address.
    SCOPED_TRACE("type 6");
    ConnLogClear();
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, '6', proxytest::PyftpdPort());
    CopySiteText(site.m_host, "nowhere.zarn.test");
    ExpectTransfers(site, false);
  }
}

TEST_F(ProxyData, RefusedDataConnectionWakesTheClient)
{
  struct Case {
    char digit;
    const char* mode;
    int verb;
  };
  // The control connection is granted; the refusal comes on the data one.
  const Case cases[] = {
      {'1', "socks4_cd=91 refuse_from=2", VERB_RETR},
      {'2', "socks5_rep=5 refuse_from=2", VERB_LIST},
      {'2', "socks5_rep=5 refuse_from=2 split=1", VERB_RETR},
      {'2', "socks5_method=255 refuse_from=2", VERB_RETR},
      {'3', "http_status=403 refuse_from=2", VERB_RETR},
      {'3', "close_first=1 refuse_from=2", VERB_LIST},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, c.digit) + " " + c.mode);
    ConnLogClear();
    ASSERT_TRUE(proxytest::Mode(c.mode));
    CSiteItem site;
    proxytest::SetUpProxiedSite(site, c.digit, peers::Port("ZARN_SCRIPTPROXY_PORT"));
    Client client(&site);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    ASSERT_TRUE(client.LoggedIn()) << LogDump();
    NetSession* s = client.Session();
    CFile down;
    const std::string copy = local + "refused.bin";
    ASSERT_TRUE(down.Open(copy.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone));
    s->m_pFile = c.verb == VERB_RETR ? &down : nullptr;
    s->m_pRecord = nullptr;
    ASSERT_TRUE(client.Run(Passive(c.verb, c.verb == VERB_RETR ? kRemote : ""), 20000)) << LogDump();
    s->m_pFile = nullptr;
    EXPECT_LT(client.elapsedMs, 5000u);
    EXPECT_FALSE(client.Alive());
    EXPECT_EQ(LogCount(kRefused), 1) << LogDump();
    // The transfer verb never went out, and nothing reached the file.
    EXPECT_FALSE(LogHas("::Sending command ---> RETR")) << LogDump();
    EXPECT_FALSE(LogHas("::Sending command ---> LIST")) << LogDump();
    if (c.verb == VERB_RETR) {
      EXPECT_FALSE(down.IsOpen());
      EXPECT_EQ(ReadBytes(copy), "");
    }
    EXPECT_EQ(s->m_pRecord, nullptr);
    // Only the data path failed: the control connection still answers.
    ASSERT_TRUE(client.Run(VERB_NOOP, "", 5000)) << LogDump();
    EXPECT_TRUE(client.Alive()) << LogDump();
    EXPECT_LT(client.Stop(), 3000u);
  }
}

}  // namespace
