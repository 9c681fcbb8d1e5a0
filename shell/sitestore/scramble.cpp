#include "shell/sitestore/scramble.h"

#include <cstring>

size_t ScramblePassword(char* dest, size_t destSize, const char* src, size_t srcLen)
{
    if (dest == nullptr || destSize == 0)
        return 0;
    if (src == nullptr)
        srcLen = 0;
    const size_t n = srcLen < destSize - 1 ? srcLen : destSize - 1;
    for (size_t i = 0; i < n; ++i)
        dest[i] = static_cast<char>(static_cast<unsigned char>(src[i]) ^ kPasswordScrambleKey);
    dest[n] = '\0';
    return n;
}

size_t ScramblePassword(char* dest, size_t destSize, const char* src)
{
    return ScramblePassword(dest, destSize, src, src != nullptr ? strlen(src) : 0);
}

std::string ScramblePassword(const std::string& src)
{
    std::string out(src);
    for (char& c : out)
        c = static_cast<char>(static_cast<unsigned char>(c) ^ kPasswordScrambleKey);
    return out;
}
