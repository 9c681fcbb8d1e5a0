// CSiteItem: its run-time state and the "Config" text of its fields (engine/siterecord.cpp).
// Handles live in siteitem_win.cpp.
#include "engine/siteitem.h"

#include <cstdio>
#include <cstring>

#include "shell/settings/settings.h"

IMPLEMENT_DYNAMIC(CSiteItem, CObject)

CSiteItem::CSiteItem()
    : m_connectedSince(0),
      m_localPort(0),
      m_bytesReceived(0),
      m_bytesSent(0),
      m_pKeeperThread(nullptr),
      m_hConnSemaphore(nullptr),
      m_hIdleEvent(nullptr),
      m_hTreeNode(nullptr),
      m_hTreeNode1(nullptr),
      m_connected(0),
      m_mainBusy(0),
      m_queueRun(1),
      m_keeperRunning(0),
      m_taskCount(0),
      m_workerFlag(0),
      m_pMainSession(nullptr)
{
  InitSiteFields(*this);
  memset(m_localAddress, 0, sizeof(m_localAddress));
  memset(m_serverAddress, 0, sizeof(m_serverAddress));
  memset(m_cacheFolder, 0, sizeof(m_cacheFolder));
  CreateHandles();
}

CSiteItem::~CSiteItem()
{
  m_queueRun = 0;
  DeleteCacheFolder();
  CloseHandles();
}

namespace {
void CopyAddress(char (&field)[kSiteLocalAddressLen], const char* text)
{
  const size_t n = text != nullptr ? strnlen(text, kSiteLocalAddressLen - 1) : 0;
  if (n > 0)
    memcpy(field, text, n);
  field[n] = '\0';
}
}  // namespace

void CSiteItem::SetLocalAddress(const char* text)
{
  std::lock_guard<std::mutex> hold(m_addressLock);
  CopyAddress(m_localAddress, text);
}

void CSiteItem::SetServerAddress(const char* text)
{
  std::lock_guard<std::mutex> hold(m_addressLock);
  CopyAddress(m_serverAddress, text);
}

void CSiteItem::ClearAddresses()
{
  std::lock_guard<std::mutex> hold(m_addressLock);
  m_localAddress[0] = '\0';
  m_serverAddress[0] = '\0';
}

SiteAddresses CSiteItem::ReadAddresses() const
{
  SiteAddresses out;
  std::lock_guard<std::mutex> hold(m_addressLock);
  memcpy(out.local, m_localAddress, sizeof(out.local));
  memcpy(out.server, m_serverAddress, sizeof(out.server));
  out.local[sizeof(out.local) - 1] = '\0';
  out.server[sizeof(out.server) - 1] = '\0';
  return out;
}

void CSiteItem::ParseSiteOptions(const char* text)
{
  ParseSiteConfig(*this, text);
}

int CSiteItem::FormatSiteOptions(char* buffer, size_t size) const
{
  return FormatSiteConfig(*this, buffer, size);
}

CString CSiteItem::FormatSiteOptions() const
{
  char text[kSiteOptionsTextSize];
  FormatSiteOptions(text, sizeof(text));
  return CString(text);
}

bool CSiteItem::UsesPassiveMode() const
{
  return SiteOptionDigits[4] != '0' || IsOptionSet(OPTBIT_LAN_USER);
}

int CSiteItem::ConnectionLimit() const
{
  switch (SiteOptionDigits[0]) {
  case '1':
    return 1;
  case '2':
    if (m_connLimit < 1)
      return 1;
    return m_connLimit > kMaxSiteConnections ? kMaxSiteConnections : (int)m_connLimit;
  default:
    return kMaxSiteConnections;
  }
}

bool IsCacheFileName(const char* name)
{
  if (name == nullptr)
    return false;
  if (*name == '-')
    ++name;
  if (*name == '\0')
    return false;
  for (; *name != '\0'; ++name) {
    if (*name < '0' || *name > '9')
      return false;
  }
  return true;
}
