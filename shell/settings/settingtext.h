// The two text helpers every stored form shares: a decimal number as the
// settings texts hold it, and a text copied into a fixed field. No globals, so
// the site manager and the site stores link them without the settings.
#pragma once

#include <cstddef>
#include <cstdint>

// A decimal number as the settings texts hold it: optional blanks and sign,
// digits up to the first other character; saturates to 32 bits; no digits: 0.
int32_t ParseSettingNumber(const char* begin, const char* end);

// Copies at most width - 1 bytes of src (up to srcLen or its NUL) into field,
// never half a double-byte character, and always terminates it.
void CopySettingText(char* field, size_t width, const char* src, size_t srcLen);

template <size_t N>
inline void CopySettingText(char (&field)[N], const char* src, size_t srcLen)
{
    CopySettingText(field, N, src, srcLen);
}
