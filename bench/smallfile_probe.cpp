// smallfile_probe: the platform's limit for many files over several control
// connections. A plain blocking Winsock client (no windows, no messages, no
// engine code): one connection lists the folder (NLST), then N threads each log
// in on a control connection of their own, stand in the folder and take the
// next name of the list: PASV, connect, RETR, the data read into a buffer and
// written to a new local file (CreateFile, WriteFile, CloseHandle), the 226.
// Timed from the first connect to the end of the last thread, listing and
// logins included, as queue_driver times the queue.
//
//   smallfile_probe.exe <host> <port> <user> <password> <remote folder> <local folder> <threads>
//
// Prints "probe <files> <seconds> <bytes>" like queue_driver and exits 0 when
// every file arrived with a 2xx reply.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

const size_t kBufSize = 256 * 1024;

// One control connection with the bytes read past its last reply.
struct Control {
  SOCKET s = INVALID_SOCKET;
  std::string pending;

  // The next whole reply (a multi-line reply up to its last line): its code,
  // or 0 when the connection ended.
  int ReadReply(std::string* text = nullptr)
  {
    int code = 0;
    for (;;) {
      const size_t eol = pending.find('\n');
      if (eol == std::string::npos) {
        char chunk[1024];
        const int n = ::recv(s, chunk, (int)sizeof(chunk), 0);
        if (n <= 0)
          return 0;
        pending.append(chunk, (size_t)n);
        continue;
      }
      const std::string line = pending.substr(0, eol + 1);
      pending.erase(0, eol + 1);
      const bool numbered = line.size() >= 4 && isdigit((unsigned char)line[0]) &&
                            isdigit((unsigned char)line[1]) && isdigit((unsigned char)line[2]);
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

  int Command(const std::string& line, std::string* text = nullptr)
  {
    const std::string wire = line + "\r\n";
    for (size_t at = 0; at < wire.size();) {
      const int n = ::send(s, wire.data() + at, (int)(wire.size() - at), 0);
      if (n <= 0)
        return 0;
      at += (size_t)n;
    }
    return ReadReply(text);
  }

  ~Control()
  {
    if (s != INVALID_SOCKET) {
      Command("QUIT");
      ::closesocket(s);
    }
  }
};

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

struct Args {
  const char* host;
  int port;
  const char* user;
  const char* password;
  std::string remote;
  std::string local;
};

bool Login(Control& c, const Args& a)
{
  c.s = ConnectTo(a.host, a.port);
  return c.s != INVALID_SOCKET && c.ReadReply() == 220 && c.Command(std::string("USER ") + a.user) / 100 == 3 &&
         c.Command(std::string("PASS ") + a.password) == 230 && c.Command("CWD " + a.remote) / 100 == 2 &&
         c.Command("TYPE I") == 200;
}

// A data connection from a 227 reply ("(h1,h2,h3,h4,p1,p2)").
SOCKET OpenPassive(Control& c)
{
  std::string reply;
  int v[6];
  if (c.Command("PASV", &reply) != 227)
    return INVALID_SOCKET;
  const size_t open = reply.find('(');
  if (open == std::string::npos ||
      sscanf(reply.c_str() + open + 1, "%d,%d,%d,%d,%d,%d", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
    return INVALID_SOCKET;
  char host[32];
  snprintf(host, sizeof(host), "%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
  return ConnectTo(host, v[4] * 256 + v[5]);
}

// The folder's names, one NLST over the listing connection.
bool ListNames(Control& c, std::vector<std::string>* names)
{
  const SOCKET data = OpenPassive(c);
  if (data == INVALID_SOCKET || c.Command("NLST") / 100 != 1) {
    if (data != INVALID_SOCKET)
      ::closesocket(data);
    return false;
  }
  std::string text;
  char chunk[8192];
  for (int n; (n = ::recv(data, chunk, (int)sizeof(chunk), 0)) > 0;)
    text.append(chunk, (size_t)n);
  ::closesocket(data);
  if (c.ReadReply() / 100 != 2)
    return false;
  size_t at = 0;
  while (at < text.size()) {
    size_t eol = text.find('\n', at);
    if (eol == std::string::npos)
      eol = text.size();
    std::string name = text.substr(at, eol - at);
    if (!name.empty() && name.back() == '\r')
      name.pop_back();
    const size_t slash = name.find_last_of('/');  // some servers answer with paths
    if (slash != std::string::npos)
      name.erase(0, slash + 1);
    if (!name.empty())
      names->push_back(name);
    at = eol + 1;
  }
  return true;
}

// One file: PASV, RETR, the data into a new local file, the final reply.
bool Fetch(Control& c, const Args& a, const std::string& name, char* buf, long long* bytes)
{
  const SOCKET data = OpenPassive(c);
  if (data == INVALID_SOCKET)
    return false;
  if (c.Command("RETR " + name) / 100 != 1) {
    ::closesocket(data);
    return false;
  }
  const std::string path = a.local + "\\" + name;
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  bool ok = file != INVALID_HANDLE_VALUE;
  for (;;) {
    const int n = ::recv(data, buf, (int)kBufSize, 0);
    if (n <= 0) {
      ok = ok && n == 0;
      break;
    }
    DWORD written = 0;
    if (ok && (!::WriteFile(file, buf, (DWORD)n, &written, nullptr) || written != (DWORD)n))
      ok = false;
    *bytes += n;
  }
  ::closesocket(data);
  if (file != INVALID_HANDLE_VALUE)
    ::CloseHandle(file);
  return c.ReadReply() / 100 == 2 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc != 8 || atoi(argv[7]) < 1) {
    fprintf(stderr, "usage: smallfile_probe host port user password remote-folder local-folder threads\n");
    return 2;
  }
  const Args a{argv[1], atoi(argv[2]), argv[3], argv[4], argv[5], argv[6]};
  const int threads = atoi(argv[7]);
  WSADATA wsa;
  if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
    return 3;
  ::CreateDirectoryA(a.local.c_str(), nullptr);

  LARGE_INTEGER freq, start, end;
  ::QueryPerformanceFrequency(&freq);
  ::QueryPerformanceCounter(&start);
  std::vector<std::string> names;
  {
    Control lister;
    if (!Login(lister, a) || !ListNames(lister, &names)) {
      fprintf(stderr, "smallfile_probe: cannot list %s\n", a.remote.c_str());
      return 1;
    }
  }
  std::atomic<size_t> next{0};
  std::atomic<long long> total{0};
  std::atomic<int> failed{0};
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      Control c;
      std::vector<char> buf(kBufSize);
      long long bytes = 0;
      if (!Login(c, a)) {
        ++failed;
        return;
      }
      for (size_t i; (i = next++) < names.size();) {
        if (!Fetch(c, a, names[i], buf.data(), &bytes)) {
          fprintf(stderr, "smallfile_probe: %s failed\n", names[i].c_str());
          ++failed;
        }
      }
      total += bytes;
    });
  }
  for (std::thread& t : pool)
    t.join();
  ::QueryPerformanceCounter(&end);
  if (failed != 0 || next.load() < names.size())
    return 1;
  printf("probe %u %.3f %lld\n", (unsigned)names.size(),
         (double)(end.QuadPart - start.QuadPart) / (double)freq.QuadPart, total.load());
  return 0;
}
