#include "tests/data/datatest.h"

#include <cstdio>
#include <random>

#include "tests/support/peers.h"

namespace datatest {

Server Pyftpd()
{
  Server s;
  s.name = "pyftpdlib";
  s.port = peers::Port("ZARN_PYFTPD_PORT");
  s.user = peers::Env("ZARN_PYFTPD_USER");
  s.password = peers::Env("ZARN_PYFTPD_PASS");
  s.root = peers::Env("ZARN_PYFTPD_ROOT_WIN");
  s.writable = "";
  return s;
}

Server Vsftpd()
{
  Server s;
  s.name = "vsftpd";
  s.port = peers::Port("ZARN_VSFTPD_PORT");
  s.user = peers::Env("ZARN_VSFTPD_USER");
  s.password = peers::Env("ZARN_VSFTPD_PASS");
  s.root = peers::Env("ZARN_VSFTPD_ROOT_WIN");
  s.writable = "upload/";
  return s;
}

std::string BinaryData(size_t size, uint32_t seed)
{
  std::mt19937 gen(seed);
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i)
    data[i] = (char)(gen() & 0xFF);
  static const char kTricky[] = "\r\n\n\r\0\x1a\r\r\n\0\0\x1a\n";
  const size_t trickyLen = sizeof(kTricky) - 1;
  for (size_t at : {(size_t)0, (size_t)1455, (size_t)8186, (size_t)16380, size / 2, size - trickyLen}) {
    for (size_t k = 0; k < trickyLen && at + k < size; ++k)
      data[at + k] = kTricky[k];
  }
  return data;
}

std::string PatternData(size_t size)
{
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i)
    data[i] = (char)((i * 7 + 3) & 0xFF);
  return data;
}

uint32_t Crc32(const std::string& data)
{
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

bool WriteBytes(const std::string& path, const std::string& data)
{
  FILE* f = fopen(path.c_str(), "wb");
  if (f == nullptr)
    return false;
  const bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
  return fclose(f) == 0 && ok;
}

std::string ReadBytes(const std::string& path)
{
  FILE* f = fopen(path.c_str(), "rb");
  if (f == nullptr)
    return "<missing>";
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
    data.append(buf, n);
  fclose(f);
  return data;
}

std::string LocalFolder(const char* name)
{
  const std::string folder = peers::Env("ZARN_PEER_WORK_WIN") + "\\" + name;
  ::CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

bool Connection::Open(const Server& server, bool passive)
{
  nettest::SetUpSite(site, server.port, server.user.c_str(), server.password.c_str(), false);
  site.SiteOptionDigits[4] = passive ? '1' : '0';
  client.reset(new nettest::Client(&site));
  return client->Connect(15000) && client->LoggedIn();
}

Commands TransferCommands(bool passive, int verb, const std::string& name, int64_t offset)
{
  Commands c;
  c.push_back({VERB_TYPE, "I"});
  if (passive)
    c.push_back({VERB_PASV, "PASV"});
  else
    c.push_back({VERB_PORT, ""});
  if (offset >= 0)
    c.push_back({VERB_REST, std::to_string(offset)});
  c.push_back({verb, name});
  return c;
}

void Post(nettest::Client& client, const Commands& commands)
{
  NetSession* s = client.Session();
  s->m_queue.Clear();
  s->m_alive = 1;
  ::ResetEvent(s->m_hDoneEvent);
  for (const auto& c : commands)
    s->PushCommand(c.first, c.second.c_str());
  ::PostMessageA(s->m_pWnd->GetSafeHwnd(), UWM_NET_COMMAND, 0, 0);
}

namespace {
Outcome RunAttached(Connection& c, CFile& file, const Commands& commands, BatchJobRecord* job, CPlanItem* item,
                    uint32_t waitMs)
{
  NetSession* s = c.Session();
  s->m_pFile = &file;
  s->m_pJob = job;
  s->m_pItem = item;
  Outcome o;
  o.woke = c.client->Run(commands, waitMs);
  o.elapsedMs = c.client->elapsedMs;
  o.alive = c.client->Alive();
  o.fileReleased = s->m_pFile == nullptr && !file.IsOpen();
  // Never leave the window a file the caller is about to drop.
  s->m_pFile = nullptr;
  s->m_pJob = nullptr;
  s->m_pItem = nullptr;
  return o;
}
}  // namespace

Outcome RunWithFile(Connection& c, CFile& file, const Commands& commands, BatchJobRecord* job, uint32_t waitMs)
{
  return RunAttached(c, file, commands, job, nullptr, waitMs);
}

Outcome RunWithItem(Connection& c, CFile& file, const Commands& commands, CPlanItem* item, uint32_t waitMs)
{
  return RunAttached(c, file, commands, nullptr, item, waitMs);
}

}  // namespace datatest
