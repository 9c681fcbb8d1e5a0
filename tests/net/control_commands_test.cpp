// The commands of the control connection against pyftpdlib: each one's reply
// gives the outcome the clients rely on (alive, the event, the progress counter,
// the reply text), and the server really did it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "engine/connlog.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"

using nettest::Client;
using nettest::LogDump;
using nettest::LogHas;

namespace {

bool Exists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

void WriteFile(const std::string& path, size_t size)
{
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::string data(size, 'z');
  fwrite(data.data(), 1, data.size(), f);
  fclose(f);
}

class ControlCommands : public ::testing::Test {
protected:
  void SetUp() override
  {
    ConnLogClear();
    const int port = peers::Port("ZARN_PYFTPD_PORT");
    ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd";
    root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
    nettest::SetUpSite(site, port, peers::Env("ZARN_PYFTPD_USER").c_str(), peers::Env("ZARN_PYFTPD_PASS").c_str(),
                       false);
    client.reset(new Client(&site));
    ASSERT_TRUE(client->Connect(15000)) << LogDump();
    ASSERT_TRUE(client->LoggedIn()) << LogDump();
  }
  void TearDown() override
  {
    if (client) {
      EXPECT_LT(client->Stop(), 3000u);
    }
  }

  // Runs the commands; true when the event came within 10 s and the connection
  // is still alive.
  bool Ok(const std::vector<std::pair<int, std::string>>& commands)
  {
    if (!client->Run(commands, 10000)) {
      ADD_FAILURE() << "no answer\n" << LogDump();
      return false;
    }
    return client->Alive();
  }

  std::string root;  // the served folder, as this process names it
  CSiteItem site;
  std::unique_ptr<Client> client;
};

TEST_F(ControlCommands, FolderCommands)
{
  EXPECT_TRUE(Ok({{VERB_MKD, "made"}}));
  EXPECT_TRUE(Exists(root + "\\made"));
  EXPECT_TRUE(Ok({{VERB_CWD, "made"}}));
  EXPECT_TRUE(Ok({{VERB_PWD, ""}}));
  EXPECT_TRUE(LogHas("Reply: 257 \"/made\""));
  EXPECT_TRUE(Ok({{VERB_CDUP, ""}}));
  EXPECT_TRUE(Ok({{VERB_RMD, "made"}}));
  EXPECT_FALSE(Exists(root + "\\made"));
  // A chain of changes ends once, after the last.
  EXPECT_TRUE(Ok({{VERB_MKD, "a"}, {VERB_CWD, "a"}, {VERB_MKD, "b"}, {VERB_CDUP, ""}}));
  EXPECT_TRUE(Exists(root + "\\a\\b"));
  EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> MKD a\r\n")) << LogDump();
  EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> CDUP\r\n"));

  // Refusals clear alive and still wake the client.
  EXPECT_FALSE(Ok({{VERB_CWD, "no-such-folder"}}));
  EXPECT_FALSE(Ok({{VERB_RMD, "no-such-folder"}}));
  EXPECT_TRUE(LogHas("Reply: 550"));
}

TEST_F(ControlCommands, FileCommands)
{
  WriteFile(root + "\\f.txt", 12345);
  // SIZE: the 213 number lands in the progress counter.
  client->Session()->m_progress = 0;
  EXPECT_TRUE(Ok({{VERB_TYPE, "I"}, {VERB_SIZE, "f.txt"}}));
  EXPECT_EQ(client->Session()->m_progress.load(), 12345);

  EXPECT_TRUE(Ok({{VERB_RNFR, "f.txt"}, {VERB_RNTO, "g.txt"}}));
  EXPECT_FALSE(Exists(root + "\\f.txt"));
  EXPECT_TRUE(Exists(root + "\\g.txt"));
  EXPECT_TRUE(Ok({{VERB_DELE, "g.txt"}}));
  EXPECT_FALSE(Exists(root + "\\g.txt"));

  EXPECT_FALSE(Ok({{VERB_DELE, "g.txt"}}));
  EXPECT_FALSE(Ok({{VERB_RNFR, "no-such-file"}, {VERB_RNTO, "x"}}));
  EXPECT_FALSE(Exists(root + "\\x"));
}

TEST_F(ControlCommands, InformationCommands)
{
  EXPECT_TRUE(Ok({{VERB_NOOP, ""}}));
  EXPECT_TRUE(Ok({{VERB_SYST, ""}}));
  EXPECT_TRUE(LogHas("Reply: 215"));
  EXPECT_TRUE(Ok({{VERB_SITE, "HELP"}}));
  EXPECT_TRUE(LogHas("127.0.0.1::Sending command ---> SITE HELP\r\n"));
  // Preparing commands run on into the next one.
  EXPECT_TRUE(Ok({{VERB_TYPE, "A"}, {VERB_TYPE, "I"}, {VERB_NOOP, ""}}));
  EXPECT_EQ(nettest::LogCount("Sending command ---> TYPE"), 2);
  EXPECT_EQ(nettest::LogCount("Sending command ---> NOOP"), 2);
  // Several commands in one go run one after the other.
  EXPECT_TRUE(Ok({{VERB_NOOP, ""}, {VERB_SYST, ""}, {VERB_PWD, ""}}));
  EXPECT_EQ(nettest::LogCount("Sending command ---> SYST"), 2);
  // (one PWD was the login's)
  EXPECT_EQ(nettest::LogCount("Sending command ---> PWD"), 2) << LogDump();
}

TEST_F(ControlCommands, BarePasvHandsBackTheReplyLine)
{
  EXPECT_TRUE(Ok({{VERB_PASV, ""}}));
  const std::string text = client->Session()->m_replyText;
  EXPECT_EQ(text.rfind("227 ", 0), 0u) << text;
  EXPECT_NE(text.find("(127,0,0,1,"), std::string::npos) << text;
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_TRUE(LogHas("127.0.0.1::Status: Listen mode, wait for connection. \r\n"));
  // The connection goes on.
  client->Session()->m_replyText[0] = '\0';
  EXPECT_TRUE(Ok({{VERB_NOOP, ""}}));
}

// The folder and the type the server acknowledged last are not asked for
// again; a change still is, and a refusal, an ABOR or a new connection makes
// the next CWD and TYPE go out whatever they name.
TEST_F(ControlCommands, AcknowledgedFolderAndTypeAreNotSentAgain)
{
  using nettest::LogCount;
  EXPECT_TRUE(Ok({{VERB_MKD, "/one"}, {VERB_MKD, "/two"}}));
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}, {VERB_NOOP, ""}}));
  // Skipped at the end of a sequence too: the client is still woken.
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_EQ(LogCount("Sending command ---> CWD /one"), 1) << LogDump();
  EXPECT_EQ(LogCount("Sending command ---> TYPE I"), 1);
  EXPECT_EQ(LogCount("Sending command ---> NOOP"), 1);
  // A changed folder or type is sent.
  EXPECT_TRUE(Ok({{VERB_CWD, "/two"}, {VERB_TYPE, "A"}}));
  EXPECT_EQ(LogCount("Sending command ---> CWD /two"), 1);
  EXPECT_EQ(LogCount("Sending command ---> TYPE A"), 1);
  // A relative folder names another one each time.
  EXPECT_TRUE(Ok({{VERB_MKD, "/two/in"}, {VERB_MKD, "/two/in/in"}}));
  EXPECT_TRUE(Ok({{VERB_CWD, "in"}}));
  EXPECT_TRUE(Ok({{VERB_CWD, "in"}, {VERB_PWD, ""}}));
  EXPECT_TRUE(LogHas("Reply: 257 \"/two/in/in\""));
  EXPECT_EQ(LogCount("Sending command ---> CWD in"), 2);

  // A refusal: both are asked for again.
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_FALSE(Ok({{VERB_DELE, "no-such-file"}}));
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_EQ(LogCount("Sending command ---> CWD /one"), 3) << LogDump();
  EXPECT_EQ(LogCount("Sending command ---> TYPE I"), 3);

  // ABOR: the same.
  NetSession* session = client->Session();
  ::ResetEvent(session->m_hDoneEvent);
  ::SendMessageA(session->m_pWnd->GetSafeHwnd(), UWM_NET_SEND, VERB_ABOR, 0);
  ASSERT_TRUE(client->Wait(10000)) << LogDump();
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_EQ(LogCount("Sending command ---> CWD /one"), 4) << LogDump();
  EXPECT_EQ(LogCount("Sending command ---> TYPE I"), 4);

  // A new connection on the same record: the same.
  EXPECT_LT(client->Stop(), 3000u);
  ASSERT_TRUE(client->Connect(15000)) << LogDump();
  ASSERT_TRUE(client->LoggedIn());
  EXPECT_TRUE(Ok({{VERB_CWD, "/one"}, {VERB_TYPE, "I"}}));
  EXPECT_EQ(LogCount("Sending command ---> CWD /one"), 5) << LogDump();
  EXPECT_EQ(LogCount("Sending command ---> TYPE I"), 5);
}

}  // namespace
