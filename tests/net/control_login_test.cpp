// Logging in over the control connection to real servers: pyftpdlib and vsftpd,
// as a user and anonymously, as the site keeper, refused and unreachable.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>

#include "engine/connlog.h"
#include "engine/viewslots.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogDump;
using nettest::LogHas;

namespace {

struct Server {
  const char* name;
  int port;
  std::string user, password;
};

Server Pyftpd()
{
  return {"pyftpdlib", peers::Port("ZARN_PYFTPD_PORT"), peers::Env("ZARN_PYFTPD_USER"), peers::Env("ZARN_PYFTPD_PASS")};
}

Server Vsftpd()
{
  return {"vsftpd", peers::Port("ZARN_VSFTPD_PORT"), peers::Env("ZARN_VSFTPD_USER"), peers::Env("ZARN_VSFTPD_PASS")};
}

class ControlLogin : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    ASSERT_NE(Pyftpd().port, 0) << "run under tests/peers/with-peers.sh --pyftpd --vsftpd";
    ASSERT_NE(Vsftpd().port, 0);
  }
};

TEST_F(ControlLogin, UserAndAnonymousLoginsEndLoggedIn)
{
  for (const Server& server : {Pyftpd(), Vsftpd()}) {
    for (bool anonymous : {false, true}) {
      SCOPED_TRACE(std::string(server.name) + (anonymous ? " anonymous" : " user"));
      CSiteItem site;
      nettest::SetUpSite(site, server.port, server.user.c_str(), server.password.c_str(), anonymous);
      Client client(&site);
      ASSERT_TRUE(client.Connect(15000)) << LogDump();
      EXPECT_TRUE(client.LoggedIn()) << LogDump();
      EXPECT_TRUE(client.Alive());
      // The connection works: a command after the login.
      ASSERT_TRUE(client.Run(VERB_SYST, "", 10000));
      EXPECT_TRUE(client.Alive());
      EXPECT_LT(client.Stop(), 3000u);
    }
  }
  // A client connection names neither the user nor the password in the log.
  EXPECT_FALSE(LogHas("Sending command ---> USER")) << LogDump();
  EXPECT_FALSE(LogHas("Sending command ---> PASS"));
  EXPECT_TRUE(LogHas("127.0.0.1::Welcome Message:230"));
  EXPECT_TRUE(LogHas("127.0.0.1::Reply: 331"));
  EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> SYST"));
}

// A window that collects the site-state posts a server tree would get.
class TreeStandIn : public CWnd {
public:
  int connectedPosts = 0;
  int disconnectedPosts = 0;
  HTREEITEM lastNode = nullptr;

protected:
  LRESULT OnSiteState(WPARAM wParam, LPARAM lParam)
  {
    lastNode = (HTREEITEM)wParam;
    (lParam != 0 ? connectedPosts : disconnectedPosts)++;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TreeStandIn, CWnd)
  ON_MESSAGE(UWM_SITE_STATE, OnSiteState)
END_MESSAGE_MAP()

void PumpMessages()
{
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

TEST_F(ControlLogin, KeeperTakesTheLoginFolderAndConnects)
{
  // vsftpd's local user is not shut in: PWD names the real folder.
  const Server server = Vsftpd();
  CSiteItem site;
  nettest::SetUpSite(site, server.port, server.user.c_str(), server.password.c_str(), false);
  CopySiteText(site.m_remoteFolder, "/");
  site.m_queueRun = 0;
  site.m_keeperRunning = 1;
  site.m_hTreeNode = (HTREEITEM)(intptr_t)0x1234;
  ::ResetEvent(site.m_hIdleEvent);

  TreeStandIn tree;
  ASSERT_TRUE(tree.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
  g_pSerTrView = &tree;  // the second tree stays null

  {
    Client client(&site, true);
    const time_t before = time(nullptr);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    EXPECT_TRUE(client.LoggedIn());
    EXPECT_STREQ(site.m_remoteFolder, peers::Env("ZARN_VSFTPD_ROOT").c_str());
    EXPECT_GE(site.m_connectedSince, (int64_t)before);
    EXPECT_STREQ(site.m_localAddress, "127.0.0.1");
    EXPECT_NE(site.m_localPort, 0);
    // The keeper thread marks the site connected once it can lend the link;
    // the window alone does not.
    EXPECT_EQ(site.m_connected, 0);
    EXPECT_EQ(site.m_queueRun, 0);
    PumpMessages();
    EXPECT_EQ(tree.connectedPosts, 0);

    // The keeper's log tells the whole login, the password hidden.
    EXPECT_TRUE(LogHas("127.0.0.1::is connected, is authenticating user informationg\r\n")) << LogDump();
    EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> USER " + server.user));
    EXPECT_TRUE(LogHas("127.0.0.1::Status: Authenticating User ID. \r\n"));
    EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> PASS xxxxxxxxxxxxxxxx\r\n"));
    EXPECT_FALSE(LogHas(server.password));
    EXPECT_TRUE(LogHas("127.0.0.1::Status: Authenticating password. \r\n"));
    EXPECT_TRUE(LogHas("127.0.0.1::Login successful\r\n"));
    EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> PWD\r\n"));

    // Stopping the keeper's connection says goodbye, and the keeper's
    // connection state is not taken for a server drop.
    EXPECT_LT(client.Stop(), 3000u);
    EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> QUIT\r\n"));
    EXPECT_TRUE(LogHas("127.0.0.1::Status: Disconnect. \r\n"));
    EXPECT_FALSE(LogHas("disconnected")) << LogDump();
  }
  g_pSerTrView = nullptr;
  tree.DestroyWindow();
  site.m_keeperRunning = 0;

  // A second keeper login of a connected site leaves its folder alone.
  site.m_connected = 1;
  CopySiteText(site.m_remoteFolder, "/");
  Client again(&site, true);
  ASSERT_TRUE(again.Connect(15000));
  EXPECT_TRUE(again.LoggedIn());
  EXPECT_STREQ(site.m_remoteFolder, "/");
}

TEST_F(ControlLogin, WrongPasswordWakesTheClientAtOnce)
{
  // pyftpdlib waits 3 s before it refuses; vsftpd refuses an unknown user
  // after PASS.
  struct Case {
    Server server;
    std::string user, password;
  };
  const Server py = Pyftpd(), vs = Vsftpd();
  for (const Case& c : {Case{py, py.user, "wrong"}, Case{vs, "nosuchuser", "x"}, Case{vs, vs.user, "wrong"}}) {
    SCOPED_TRACE(std::string(c.server.name) + " " + c.user);
    ConnLogClear();
    CSiteItem site;
    nettest::SetUpSite(site, c.server.port, c.user.c_str(), c.password.c_str(), false);
    // As the keeper: the site's idle event must be released too.
    site.m_keeperRunning = 1;
    ::ResetEvent(site.m_hIdleEvent);
    Client client(&site, true);
    ASSERT_TRUE(client.Connect(15000)) << LogDump();
    EXPECT_LT(client.elapsedMs, 8000u);
    EXPECT_FALSE(client.Alive());
    EXPECT_FALSE(client.LoggedIn());
    EXPECT_TRUE(LogHas("127.0.0.1::User ID not accepted.\r\n")) << LogDump();
    EXPECT_EQ(::WaitForSingleObject(site.m_hIdleEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(site.m_connected, 0);
    EXPECT_LT(client.Stop(), 3000u);
    site.m_keeperRunning = 0;
  }
}

TEST_F(ControlLogin, ClosedPortFailsAtOnce)
{
  CSiteItem site;
  nettest::SetUpSite(site, peers::UnusedPort(), "u", "p", false);
  site.m_keeperRunning = 1;
  site.SiteOptionDigits[7] = '0';
  Client client(&site, true);
  ASSERT_TRUE(client.Connect(15000));
  EXPECT_LT(client.elapsedMs, 5000u);
  EXPECT_FALSE(client.Alive());
  EXPECT_TRUE(LogHas("127.0.0.1::Connection failed. Please check the network.\r\n")) << LogDump();
  // A keeper still retrying is not told to end by a refused connect.
  EXPECT_EQ(site.m_keeperRunning, 1);
  EXPECT_LT(client.Stop(), 1000u);
  site.m_keeperRunning = 0;
}

}  // namespace
