// ceiling_probe: the platform's limit for one FTP data connection. A plain
// blocking Winsock client (no windows, no messages, no engine code) logs in,
// asks for PASV and moves the file with recv/WriteFile or ReadFile/send into a
// buffer of its own, timed like transfer_driver from the connect of the control
// connection to the server's final reply.
//
//   ceiling_probe.exe get|put <host> <port> <user> <password> <remote> <local> [buffer KiB]
//
// Prints "seconds=<s> bytes=<n> login=<s>" as transfer_driver does and exits 0
// when the server confirmed the transfer with a 2xx reply.
#include <winsock2.h>
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

SOCKET g_ctrl = INVALID_SOCKET;
std::string g_pending;  // control bytes read past the last reply

// The next whole reply (a multi-line reply up to its last line): its code, or 0
// when the connection ended.
int ReadReply(std::string* text = nullptr)
{
  std::string line;
  int code = 0;
  for (;;) {
    const size_t eol = g_pending.find('\n');
    if (eol == std::string::npos) {
      char chunk[1024];
      const int n = ::recv(g_ctrl, chunk, (int)sizeof(chunk), 0);
      if (n <= 0)
        return 0;
      g_pending.append(chunk, (size_t)n);
      continue;
    }
    line = g_pending.substr(0, eol + 1);
    g_pending.erase(0, eol + 1);
    const bool numbered = line.size() >= 4 && isdigit((unsigned char)line[0]) && isdigit((unsigned char)line[1]) &&
                          isdigit((unsigned char)line[2]);
    if (!numbered)
      continue;
    const int lineCode = atoi(line.substr(0, 3).c_str());
    if (code == 0)
      code = lineCode;
    if (lineCode == code && line[3] == ' ') {
      if (text != nullptr)
        *text = line;
      return code;
    }
  }
}

bool SendAll(SOCKET s, const char* data, int size)
{
  for (int at = 0; at < size;) {
    const int n = ::send(s, data + at, size - at, 0);
    if (n <= 0)
      return false;
    at += n;
  }
  return true;
}

int Command(const std::string& line, std::string* text = nullptr)
{
  const std::string wire = line + "\r\n";
  if (!SendAll(g_ctrl, wire.data(), (int)wire.size()))
    return 0;
  return ReadReply(text);
}

SOCKET ConnectTo(const char* host, int port)
{
  sockaddr_in addr;
  memset(&addr, 0, sizeof(addr));
  addr.sin_family = AF_INET;
  addr.sin_port = htons((u_short)port);
  addr.sin_addr.s_addr = ::inet_addr(host);
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET)
    return s;
  if (::connect(s, (const sockaddr*)&addr, sizeof(addr)) != 0) {
    ::closesocket(s);
    return INVALID_SOCKET;
  }
  return s;
}

// The data address of a 227 reply ("(h1,h2,h3,h4,p1,p2)").
bool ParsePasv(const std::string& reply, char* host, size_t hostSize, int* port)
{
  const size_t open = reply.find('(');
  int v[6];
  if (open == std::string::npos ||
      sscanf(reply.c_str() + open + 1, "%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
    return false;
  snprintf(host, hostSize, "%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
  *port = v[4] * 256 + v[5];
  return true;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to, const LARGE_INTEGER& freq)
{
  return (double)(to.QuadPart - from.QuadPart) / (double)freq.QuadPart;
}

}  // namespace

int main(int argc, char** argv)
{
  if ((argc != 8 && argc != 9) || (strcmp(argv[1], "get") != 0 && strcmp(argv[1], "put") != 0)) {
    fprintf(stderr, "usage: ceiling_probe get|put host port user password remote local [buffer KiB]\n");
    return 2;
  }
  const bool download = strcmp(argv[1], "get") == 0;
  const int port = atoi(argv[3]);
  const size_t bufSize = (size_t)(argc == 9 ? atoi(argv[8]) : 1024) * 1024;
  WSADATA wsa;
  if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0 || bufSize == 0)
    return 3;
  char* buf = static_cast<char*>(malloc(bufSize));
  const HANDLE file = download ? ::CreateFileA(argv[7], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)
                               : ::CreateFileA(argv[7], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (buf == nullptr || file == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "ceiling_probe: cannot open %s\n", argv[7]);
    return 4;
  }

  LARGE_INTEGER freq, start, loggedIn, end;
  ::QueryPerformanceFrequency(&freq);
  ::QueryPerformanceCounter(&start);
  g_ctrl = ConnectTo(argv[2], port);
  std::string reply;
  bool ok = g_ctrl != INVALID_SOCKET && ReadReply() == 220 && Command(std::string("USER ") + argv[4]) / 100 == 3 &&
            Command(std::string("PASS ") + argv[5]) == 230;
  ::QueryPerformanceCounter(&loggedIn);
  char dataHost[32];
  int dataPort = 0;
  ok = ok && Command("TYPE I") == 200 && Command("PASV", &reply) == 227 &&
       ParsePasv(reply, dataHost, sizeof(dataHost), &dataPort);
  const SOCKET data = ok ? ConnectTo(dataHost, dataPort) : INVALID_SOCKET;
  ok = ok && data != INVALID_SOCKET && Command(std::string(download ? "RETR " : "STOR ") + argv[6]) / 100 == 1;
  long long bytes = 0;
  if (ok && download) {
    for (;;) {
      const int n = ::recv(data, buf, (int)bufSize, 0);
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      DWORD written = 0;
      if (!::WriteFile(file, buf, (DWORD)n, &written, nullptr) || written != (DWORD)n) {
        ok = false;
        break;
      }
      bytes += n;
    }
  } else if (ok) {
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(file, buf, (DWORD)bufSize, &got, nullptr)) {
        ok = false;
        break;
      }
      if (got == 0)
        break;
      if (!SendAll(data, buf, (int)got)) {
        ok = false;
        break;
      }
      bytes += got;
    }
    ::shutdown(data, SD_SEND);
  }
  if (data != INVALID_SOCKET)
    ::closesocket(data);
  ok = ok && ReadReply() / 100 == 2;
  ::QueryPerformanceCounter(&end);
  if (g_ctrl != INVALID_SOCKET) {
    Command("QUIT");
    ::closesocket(g_ctrl);
  }
  ::CloseHandle(file);
  free(buf);
  if (!ok) {
    fprintf(stderr, "ceiling_probe: the %s failed\n", download ? "download" : "upload");
    return 1;
  }
  printf("seconds=%.3f bytes=%lld login=%.3f\n", Seconds(start, end, freq), bytes,
         Seconds(start, loggedIn, freq));
  return 0;
}
