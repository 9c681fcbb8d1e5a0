#include "shell/settings/settingtext.h"

#include <cstring>

#include "framework/fwstring.h"

int32_t ParseSettingNumber(const char* begin, const char* end)
{
    const char* p = begin;
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value >= limit) {
            value = limit;  // saturated; the remaining digits change nothing
            break;
        }
    }
    return static_cast<int32_t>(negative ? -value : value);
}

void CopySettingText(char* field, size_t width, const char* src, size_t srcLen)
{
    if (!field || width == 0)
        return;
    size_t n = 0;
    if (src) {
        const size_t limit = srcLen < width - 1 ? srcLen : width - 1;
        // Whole characters only: a lead byte left before the terminator would
        // make double-byte walkers step over the NUL.
        while (n < limit && src[n] != '\0') {
            size_t len = FwIsLeadByte(static_cast<BYTE>(src[n])) ? 2 : 1;
            if (n + len > limit || (len == 2 && src[n + 1] == '\0'))
                break;
            n += len;
        }
        std::memmove(field, src, n);
    }
    field[n] = '\0';
}
