// Whether this machine has a usable network address: asked by a site's
// connection keeper before it connects (without one it dials or gives up).
//
// The answer comes from a pure classifier over the host name's IPv4 addresses,
// which come from an address source: the real one asks the resolver; tests put
// in their own.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kLocalHostNameLen = 128;  // host name output, NUL included
constexpr size_t kLocalAddressLen = 16;    // "255.255.255.255" and the NUL

enum LocalAddressKind : int {
  LOCALADDR_PUBLIC = 0,     // anything below that is none of the others
  LOCALADDR_PRIVATE = 1,    // 10/8, 172.16/12, 192.168/16
  LOCALADDR_LINK_LOCAL = 2, // 169.254/16: no server found one
  LOCALADDR_LOOPBACK = 3,   // 127/8, the whole of it (127.0.1.1 names the host on some systems)
};

struct LocalIPv4 {
  uint8_t b[4];
};

LocalAddressKind ClassifyLocalAddress(const LocalIPv4& address);

// True as soon as one address is public; after the last, true when any was
// private; false otherwise (none at all, or only loop-back and link-local).
// *decidingIndex: the address that decided, else the last one looked at (-1 for
// none). Null is allowed.
bool HasUsableLocalAddress(const LocalIPv4* addresses, size_t count, int* decidingIndex);

// The host name (NUL-terminated, cut to size) and up to maxAddresses of its
// IPv4 addresses. False when there is no host name or it cannot be looked up.
typedef bool (*LocalAddressSourceFn)(char* name, size_t nameSize, LocalIPv4* addresses, size_t maxAddresses,
                                     size_t* count);

// The source TestLocalAddress asks; null puts the real one back.
void SetLocalAddressSource(LocalAddressSourceFn source);

// The address test. nameOut (kLocalHostNameLen bytes) receives the host name,
// addressOut (kLocalAddressLen bytes) the dotted text of the deciding address
// (see HasUsableLocalAddress); either may be null. A source that fails gives
// false with empty outputs.
bool TestLocalAddress(char* nameOut, char* addressOut);
