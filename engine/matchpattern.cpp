#include "engine/matchpattern.h"

#include <cstring>
#include <string>

#include "framework/fwstring.h"

namespace {

char FoldAscii(char c)
{
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The characters at a and b (lengths la, lb) are the same one.
bool SameChar(const char* a, int la, const char* b, int lb, bool matchCase)
{
  if (la != lb)
    return false;
  if (la == 2)
    return a[0] == b[0] && a[1] == b[1];
  return matchCase ? a[0] == b[0] : FoldAscii(a[0]) == FoldAscii(b[0]);
}

}  // namespace

bool MatchWildcardText(const char* pattern, const char* text, bool matchCase)
{
  if (pattern == nullptr || text == nullptr)
    return false;
  const char* p = pattern;
  const char* n = text;
  const char* starP = nullptr;  // pattern just behind the last star
  const char* starN = nullptr;  // text position that star last stopped at
  while (*n != '\0') {
    const int ln = FwCharLen(n);
    if (*p == '*') {
      starP = ++p;
      starN = n;
      continue;
    }
    const int lp = FwCharLen(p);
    if (lp > 0 && (*p == '?' || SameChar(p, lp, n, ln, matchCase))) {
      p += lp;
      n += ln;
    } else if (starP != nullptr) {
      // Let the last star take one more character and try again from there.
      starN += FwCharLen(starN);
      p = starP;
      n = starN;
    } else {
      return false;
    }
  }
  while (*p == '*')
    ++p;
  return *p == '\0';
}

int MatchPattern(const char* patternList, const char* name, bool matchCase)
{
  if (patternList == nullptr || name == nullptr)
    return 0;
  std::string list = patternList;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string pattern = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (MatchWildcardText(pattern.c_str(), name, matchCase))
      return 1;
    if (comma == std::string::npos)
      return 0;
    start = comma + 1;
  }
}
