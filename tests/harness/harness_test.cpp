// The loopback peers answer from both kinds of test program, and the scripted
// server records what it received.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/peers.h"

#ifdef _WIN32
#include <winsock2.h>
typedef SOCKET sock_t;
#define CLOSESOCK closesocket
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
typedef int sock_t;
#define CLOSESOCK close
#endif

namespace {

sock_t Dial(int port)
{
    peers::StartSockets();
    sock_t s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<unsigned short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    EXPECT_EQ(0, connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a));
    return s;
}

std::string ReadLine(sock_t s)
{
    std::string line;
    char c;
    while (recv(s, &c, 1, 0) == 1) {
        line += c;
        if (c == '\n')
            break;
    }
    return line;
}

void Say(sock_t s, const std::string& text)
{
    send(s, text.data(), static_cast<int>(text.size()), 0);
}

}  // namespace

TEST(Harness, PyftpdLogsInWithTheFixtureUser)
{
    ASSERT_NE(0, peers::Port("ZARN_PYFTPD_PORT"));
    sock_t s = Dial(peers::Port("ZARN_PYFTPD_PORT"));
    EXPECT_EQ(0u, ReadLine(s).find("220"));
    Say(s, "USER " + peers::Env("ZARN_PYFTPD_USER") + "\r\n");
    EXPECT_EQ(0u, ReadLine(s).find("331"));
    Say(s, "PASS " + peers::Env("ZARN_PYFTPD_PASS") + "\r\n");
    EXPECT_EQ(0u, ReadLine(s).find("230"));
    Say(s, "QUIT\r\n");
    EXPECT_EQ(0u, ReadLine(s).find("221"));
    CLOSESOCK(s);
}

TEST(Harness, ScriptedServerRunsTheChosenScenarioAndRecords)
{
    ASSERT_TRUE(peers::Scenario("echo"));
    EXPECT_FALSE(peers::Scenario("no_such_scenario"));
    sock_t s = Dial(peers::Port("ZARN_SCRIPTED_PORT"));
    EXPECT_EQ("220 echo\r\n", ReadLine(s));
    Say(s, "NOOP x\r\n");
    EXPECT_EQ("200 NOOP x\r\n", ReadLine(s));
    Say(s, "QUIT\r\n");
    EXPECT_EQ("221 bye\r\n", ReadLine(s));
    CLOSESOCK(s);
    auto got = peers::Received();
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ("NOOP x", got[0]);
    EXPECT_EQ("QUIT", got[1]);
}

TEST(Harness, UnusedPortRefusesConnections)
{
    int port = peers::UnusedPort();
    ASSERT_GT(port, 0);
    peers::StartSockets();
    sock_t s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<unsigned short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    EXPECT_NE(0, connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a));
    CLOSESOCK(s);
}
