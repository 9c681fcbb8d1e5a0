// The reversible scrambling of stored passwords (registry "Pwd", site files,
// the site manager's spare-site file). Each byte is XORed with one key, so the
// same call scrambles and unscrambles. A plain byte equal to the key becomes a
// zero byte: scrambled text is handled by length, never by its terminator.
//
// No dependencies: the site-manager library compiles this file as well.
#pragma once

#include <cstddef>
#include <string>

constexpr unsigned char kPasswordScrambleKey = 0xA7;

// Scrambles srcLen bytes of src into dest (room for destSize bytes, terminator
// included) and terminates it. Returns the bytes written: srcLen, or fewer when
// dest is too small. An empty source gives an empty destination.
size_t ScramblePassword(char* dest, size_t destSize, const char* src, size_t srcLen);

// The same for a NUL-terminated plain password (whose scrambled form may hold
// zero bytes: use the returned length).
size_t ScramblePassword(char* dest, size_t destSize, const char* src);

template <size_t N>
inline size_t ScramblePassword(char (&dest)[N], const char* src, size_t srcLen)
{
    return ScramblePassword(dest, N, src, srcLen);
}

// By value: exactly the scrambled bytes, zero bytes included.
std::string ScramblePassword(const std::string& src);
