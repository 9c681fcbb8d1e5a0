// Name rules and the speed text of transferred files.
#include "engine/xfernames.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/fwstring.h"

void ConvertNameByDigit(char* name, size_t size, char digit)
{
  if (digit == '1' || digit == '2') {
    CString s(name);
    if (digit == '1')
      s.MakeUpper();
    else
      s.MakeLower();
    std::snprintf(name, size, "%s", static_cast<const char*>(s));
  } else if (digit == '3' && name[0] >= 'a' && name[0] <= 'z') {
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
  }
}

bool IsSafeLocalName(const char* name)
{
  if (name == nullptr || name[0] == '\0')
    return false;
  const size_t len = std::strlen(name);
  for (size_t i = 0; i < len; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (FwIsLeadByte(c) && i + 1 < len) {
      ++i;  // a trail byte may be 0x5C and is no separator
      continue;
    }
    if (c < 0x20 || c == '\\' || c == '/' || c == ':')
      return false;
  }
  // Windows drops trailing dots and blanks: ". ." names the parent too.
  std::string s(name, len);
  while (!s.empty() && (s.back() == '.' || s.back() == ' '))
    s.pop_back();
  if (s.empty())
    return false;
  // Device names, with any extension, open the device instead of a file.
  std::string base = s.substr(0, s.find('.'));
  while (!base.empty() && base.back() == ' ')
    base.pop_back();
  for (char& c : base)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kDevices)
    if (base == d)
      return false;
  if (base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) && base[3] >= '1' &&
      base[3] <= '9')
    return false;
  return true;
}

void FormatJobSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs)
{
  const uint64_t ms = elapsedMs <= 55 ? 27 : elapsedMs;
  const uint64_t whole = bytes / ms;
  const uint64_t hundredths = (bytes % ms) * 100 / ms;
  std::snprintf(out, size, "%" PRIu64 ".%02" PRIu64 "KB", whole, hundredths);
}
