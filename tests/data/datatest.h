// What the data-connection tests share: the servers from the environment, a
// logged-in client, binary test data, local files and the transfers as a client
// pushes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/file.h"
#include "tests/net/netclient.h"

namespace datatest {

typedef std::vector<std::pair<int, std::string>> Commands;

// The modes the transfers open their local files with.
constexpr UINT kWriteFlags = CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone;
constexpr UINT kReadFlags = CFile::modeRead | CFile::shareDenyNone;

struct Server {
  std::string name;
  int port = 0;
  std::string user, password;
  std::string root;      // the served folder as this process names it (Z:\...)
  std::string writable;  // remote folder uploads go to ("" or "upload/")
};
Server Pyftpd();
Server Vsftpd();

// Bytes of every value, with CR, LF, CR LF, NUL and 0x1A also on the block
// edges of 1460 and 8192, from a fixed seed.
std::string BinaryData(size_t size, uint32_t seed = 1);
// The scripted server's data: byte i is (i * 7 + 3) mod 256.
std::string PatternData(size_t size);
// The CRC-32 the scripted server reports (zlib's).
uint32_t Crc32(const std::string& data);

bool WriteBytes(const std::string& path, const std::string& data);
// The file's bytes; "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
// A fresh local folder under the peers' work folder; returns it with a trailing '\'.
std::string LocalFolder(const char* name);

// A site and a logged-in client for the server.
struct Connection {
  CSiteItem site;
  std::unique_ptr<nettest::Client> client;
  bool Open(const Server& server, bool passive);
  NetSession* Session() { return client->Session(); }
};

// The commands of one transfer: TYPE I, PASV or PORT, REST when offset is not
// negative, then verb with name.
Commands TransferCommands(bool passive, int verb, const std::string& name, int64_t offset = -1);
// As a client does it without waiting: empties the queue, alive 1, resets the
// event, pushes, posts UWM_NET_COMMAND.
void Post(nettest::Client& client, const Commands& commands);

// The result of one transfer through the session's file.
struct Outcome {
  bool woke = false;
  bool alive = false;
  bool fileReleased = false;  // the window closed the file and cleared the pointer
  uint32_t elapsedMs = 0;
};
// Runs the commands with file (opened by the caller) as the session's file and
// job as the job its loops count into; waits up to waitMs.
Outcome RunWithFile(Connection& c, CFile& file, const Commands& commands, BatchJobRecord* job = nullptr,
                    uint32_t waitMs = 20000);
// The same for the queue's verbs, which count into a queue item.
Outcome RunWithItem(Connection& c, CFile& file, const Commands& commands, CPlanItem* item, uint32_t waitMs);

}  // namespace datatest
