#include "engine/matchpattern.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool SameChar(char a, char b, bool matchCase)
{
  if (matchCase)
    return a == b;
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool MatchOne(const std::string& pattern, const char* name, bool matchCase)
{
  size_t p = 0;
  size_t n = 0;
  const size_t len = std::strlen(name);
  size_t starP = std::string::npos;
  size_t starN = 0;
  while (n < len) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || SameChar(pattern[p], name[n], matchCase))) {
      ++p;
      ++n;
    } else if (starP != std::string::npos) {
      // Let the last star take one more character and try again from there.
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace

int MatchPattern(const char* patternList, const char* name, bool matchCase)
{
  if (patternList == nullptr || name == nullptr)
    return 0;
  std::string list = patternList;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    const std::string pattern = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (MatchOne(pattern, name, matchCase))
      return 1;
    if (comma == std::string::npos)
      return 0;
    start = comma + 1;
  }
}
