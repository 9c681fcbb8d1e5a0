#include "toolkit/fontsetting.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

CString FormatFontSetting(const FontSetting& s) {
  char face[kFontFaceSize];
  memcpy(face, s.face, sizeof face);
  face[kFontFaceSize - 1] = '\0';
  CString text;
  text.Format("%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%i,%s,%u", (int)s.height, (int)s.width, (int)s.escapement,
              (int)s.orientation, (int)s.weight, s.italic, s.underline, s.strikeOut, s.charSet, s.outPrecision,
              s.clipPrecision, s.quality, s.pitchAndFamily, face, (unsigned)s.color);
  return text;
}

namespace {
// One number up to the next ","; p moves past that ",".
bool ReadNumber(const char*& p, long long lo, long long hi, long long* out) {
  char* end = nullptr;
  errno = 0;
  const long long v = strtoll(p, &end, 10);
  if (end == p || errno != 0 || *end != ',' || v < lo || v > hi)
    return false;
  *out = v;
  p = end + 1;
  return true;
}
}  // namespace

BOOL ParseFontSetting(const char* text, FontSetting* setting) {
  if (text == nullptr || setting == nullptr)
    return FALSE;
  const char* p = text;
  long long n[13];
  for (int i = 0; i < 13; i++) {
    const bool isByte = i >= 5;
    if (!ReadNumber(p, isByte ? 0 : INT_MIN, isByte ? 255 : INT_MAX, &n[i]))
      return FALSE;
  }
  const char* comma = strchr(p, ',');
  if (comma == nullptr)
    return FALSE;  // no colour after the face
  const size_t faceLen = (size_t)(comma - p);
  const char* colour = comma + 1;
  char* end = nullptr;
  while (*colour == ' ')
    colour++;
  if (*colour < '0' || *colour > '9')
    return FALSE;
  errno = 0;
  const unsigned long long c = strtoull(colour, &end, 10);
  if (errno != 0 || c > 0xFFFFFFFFull || *end != '\0')
    return FALSE;

  FontSetting s;
  s.height = (int32_t)n[0];
  s.width = (int32_t)n[1];
  s.escapement = (int32_t)n[2];
  s.orientation = (int32_t)n[3];
  s.weight = (int32_t)n[4];
  BYTE* bytes[8] = {&s.italic, &s.underline, &s.strikeOut, &s.charSet,
                    &s.outPrecision, &s.clipPrecision, &s.quality, &s.pitchAndFamily};
  for (int i = 0; i < 8; i++)
    *bytes[i] = (BYTE)n[5 + i];
  const size_t keep = faceLen < (size_t)kFontFaceSize - 1 ? faceLen : (size_t)kFontFaceSize - 1;
  memset(s.face, 0, sizeof s.face);
  memcpy(s.face, p, keep);
  s.color = (DWORD)c;
  *setting = s;
  return TRUE;
}
