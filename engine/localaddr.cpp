// The usable-address test and its address source.
#include "engine/localaddr.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#endif

namespace {

constexpr size_t kMaxAddresses = 32;

#ifdef _WIN32
// The resolver's view of this machine; Windows Sockets must be started (the
// program starts it at start-up).
bool RealLocalAddressSource(char* name, size_t nameSize, LocalIPv4* addresses, size_t maxAddresses, size_t* count)
{
  *count = 0;
  char host[kLocalHostNameLen] = {};
  if (gethostname(host, (int)sizeof(host) - 1) != 0 || host[0] == '\0')
    return false;
  snprintf(name, nameSize, "%s", host);
  const hostent* entry = gethostbyname(host);
  if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 || entry->h_addr_list == nullptr)
    return false;
  for (size_t i = 0; entry->h_addr_list[i] != nullptr && *count < maxAddresses; ++i)
    memcpy(addresses[(*count)++].b, entry->h_addr_list[i], 4);
  return true;
}
#else
// No resolver here: the native build has no keeper to ask.
bool RealLocalAddressSource(char*, size_t, LocalIPv4*, size_t, size_t* count)
{
  *count = 0;
  return false;
}
#endif

std::atomic<LocalAddressSourceFn> g_localAddressSource{nullptr};

}  // namespace

LocalAddressKind ClassifyLocalAddress(const LocalIPv4& a)
{
  if (a.b[0] == 127)
    return LOCALADDR_LOOPBACK;
  if (a.b[0] == 10 || (a.b[0] == 172 && a.b[1] >= 16 && a.b[1] <= 31) || (a.b[0] == 192 && a.b[1] == 168))
    return LOCALADDR_PRIVATE;
  if (a.b[0] == 169 && a.b[1] == 254)
    return LOCALADDR_LINK_LOCAL;
  return LOCALADDR_PUBLIC;
}

bool HasUsableLocalAddress(const LocalIPv4* addresses, size_t count, int* decidingIndex)
{
  if (decidingIndex != nullptr)
    *decidingIndex = count > 0 ? (int)count - 1 : -1;
  bool sawPrivate = false;
  for (size_t i = 0; i < count; ++i) {
    const LocalAddressKind kind = ClassifyLocalAddress(addresses[i]);
    if (kind == LOCALADDR_PUBLIC) {
      if (decidingIndex != nullptr)
        *decidingIndex = (int)i;
      return true;
    }
    if (kind == LOCALADDR_PRIVATE)
      sawPrivate = true;
  }
  return sawPrivate;
}

void SetLocalAddressSource(LocalAddressSourceFn source) { g_localAddressSource.store(source); }

bool TestLocalAddress(char* nameOut, char* addressOut)
{
  if (nameOut != nullptr)
    nameOut[0] = '\0';
  if (addressOut != nullptr)
    addressOut[0] = '\0';
  LocalAddressSourceFn source = g_localAddressSource.load();
  if (source == nullptr)
    source = RealLocalAddressSource;

  char name[kLocalHostNameLen] = {};
  LocalIPv4 addresses[kMaxAddresses] = {};
  size_t count = 0;
  if (!source(name, sizeof(name), addresses, kMaxAddresses, &count) || name[0] == '\0')
    return false;
  name[sizeof(name) - 1] = '\0';
  if (count > kMaxAddresses)
    count = kMaxAddresses;
  if (nameOut != nullptr)
    memcpy(nameOut, name, strlen(name) + 1);

  int deciding = -1;
  const bool usable = HasUsableLocalAddress(addresses, count, &deciding);
  if (addressOut != nullptr && deciding >= 0) {
    const LocalIPv4& a = addresses[deciding];
    snprintf(addressOut, kLocalAddressLen, "%u.%u.%u.%u", a.b[0], a.b[1], a.b[2], a.b[3]);
  }
  return usable;
}
