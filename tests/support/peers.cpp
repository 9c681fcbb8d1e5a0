#include "tests/support/peers.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
typedef SOCKET sock_t;
static void CloseSock(sock_t s) { closesocket(s); }
static const sock_t kBad = INVALID_SOCKET;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
typedef int sock_t;
static void CloseSock(sock_t s) { close(s); }
static const sock_t kBad = -1;
#endif

namespace peers {

void StartSockets()
{
#ifdef _WIN32
    static bool started = false;
    if (!started) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        started = true;
    }
#endif
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

int Port(const char* name)
{
    return std::atoi(Env(name).c_str());
}

static sock_t Connect(int port)
{
    StartSockets();
    sock_t s = socket(AF_INET, SOCK_STREAM, 0);
    if (s == kBad)
        return kBad;
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<unsigned short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        CloseSock(s);
        return kBad;
    }
    return s;
}

// One request line to the control port, the whole answer back.
static std::string Control(const std::string& line)
{
    sock_t s = Connect(Port("ZARN_SCRIPTED_CTL_PORT"));
    if (s == kBad)
        return "";
    std::string out = line + "\n";
    send(s, out.data(), static_cast<int>(out.size()), 0);
    std::string in;
    char buf[4096];
    for (;;) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        in.append(buf, static_cast<size_t>(n));
    }
    CloseSock(s);
    return in;
}

bool Scenario(const std::string& name)
{
    return Control("SCENARIO " + name).rfind("OK", 0) == 0;
}

std::vector<std::string> Received()
{
    std::vector<std::string> lines;
    std::string all = Control("RECEIVED");
    size_t pos = 0;
    while (pos < all.size()) {
        size_t nl = all.find('\n', pos);
        if (nl == std::string::npos)
            nl = all.size();
        std::string l = all.substr(pos, nl - pos);
        pos = nl + 1;
        if (l == ".")
            break;
        lines.push_back(l);
    }
    return lines;
}

int UnusedPort()
{
    StartSockets();
    sock_t s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a;
    std::memset(&a, 0, sizeof a);
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    CloseSock(s);
    return ntohs(a.sin_port);
}

}  // namespace peers
