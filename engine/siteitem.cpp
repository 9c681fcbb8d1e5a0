// CSiteItem: defaults and the "Config" text. Handles live in siteitem_win.cpp.
#include "engine/siteitem.h"

#include <cstdio>
#include <cstring>

#include "shell/settings/settings.h"

const char kDefaultSiteOptionDigits[] = "0120200100";

void CopySiteText(char* field, size_t width, const char* src)
{
  if (width == 0)
    return;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < width && src[n] != '\0')
      ++n;
    memcpy(field, src, n);
  }
  field[n] = '\0';
}

void InitSiteFields(SiteFields& f)
{
  memset(&f, 0, sizeof(f));
  f.m_connLimit = kMaxSiteConnections;
  f.m_proxyPort = 1080;
  f.m_port = 21;
  CopySiteText(f.SiteOptionDigits, kDefaultSiteOptionDigits);
  CopySiteText(f.m_remoteFolder, "/");
}

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
  if (text == nullptr)
    return;
  // "Config" order, which is not the order of the fields.
  int32_t* const numbers[9] = {&m_downloadLimit, &m_uploadLimit,    &m_connLimit,
                               &m_retryCount,    &m_retryDelay,     &m_connectTimeout,
                               &m_idleInterval,  &m_downloadTimeout, &m_uploadTimeout};
  const char* p = text;
  for (int field = 0; field < 10; ++field) {
    const char* end = strchr(p, ',');
    if (end == nullptr)
      end = p + strlen(p);
    if (field < 9) {
      *numbers[field] = ParseSettingNumber(p, end);
    } else {
      // Zero the whole array so a shorter text leaves no digits of the old one.
      size_t n = (size_t)(end - p);
      if (n > kSiteDigitsLen - 1)
        n = kSiteDigitsLen - 1;
      memset(SiteOptionDigits, 0, sizeof(SiteOptionDigits));
      memcpy(SiteOptionDigits, p, n);
    }
    if (*end == '\0')
      break;  // the fields after this one keep their values
    p = end + 1;
  }
}

int CSiteItem::FormatSiteOptions(char* buffer, size_t size) const
{
  if (buffer == nullptr || size == 0)
    return 0;
  int n = snprintf(buffer, size, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%.10s", (int)m_downloadLimit,
                   (int)m_uploadLimit, (int)m_connLimit, (int)m_retryCount, (int)m_retryDelay,
                   (int)m_connectTimeout, (int)m_idleInterval, (int)m_downloadTimeout,
                   (int)m_uploadTimeout, SiteOptionDigits);
  if (n < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return (size_t)n < size ? n : (int)size - 1;
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
