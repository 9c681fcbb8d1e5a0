// A hostile 227 reply must never reach a fixed field: every number is read
// with its width and range checked before anything is written.
#include "engine/pasvreply.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void SkipBlanks(const char*& p)
{
  while (*p == ' ' || *p == '\t')
    ++p;
}

// One to three digits, value 0..255; p moves past them.
bool ReadByteNumber(const char*& p, int& value)
{
  int n = 0;
  value = 0;
  while (IsDigit(*p)) {
    if (++n > 3)
      return false;
    value = value * 10 + (*p - '0');
    ++p;
  }
  return n > 0 && value <= 255;
}

}  // namespace

bool ParsePasvReply(const char* reply, char* addr, size_t addrSize, int32_t* port)
{
  if (addr != nullptr && addrSize > 0)
    addr[0] = '\0';
  if (port != nullptr)
    *port = 0;
  if (reply == nullptr || addr == nullptr || port == nullptr || addrSize < kPasvAddrSize)
    return false;

  // The code itself is no part of the address.
  const char* p = reply;
  if (IsDigit(p[0]) && IsDigit(p[1]) && IsDigit(p[2]))
    p += 3;
  const char* paren = strchr(p, '(');
  if (paren != nullptr) {
    p = paren + 1;
  } else {
    while (*p != '\0' && !IsDigit(*p))
      ++p;
  }

  int v[6];
  for (int i = 0; i < 6; ++i) {
    SkipBlanks(p);
    if (!ReadByteNumber(p, v[i]))
      return false;
    SkipBlanks(p);
    if (i < 5) {
      if (*p != ',')
        return false;
      ++p;
    }
  }
  // A seventh number or a longer last one is no address of ours.
  if (*p == ',' || IsDigit(*p))
    return false;
  const int32_t dataPort = v[4] * 256 + v[5];
  if (dataPort == 0)
    return false;

  snprintf(addr, addrSize, "%d.%d.%d.%d", v[0], v[1], v[2], v[3]);
  *port = dataPort;
  return true;
}
