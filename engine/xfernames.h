// The name rules of a transferred file, shared by the one-task transfers, the
// queue workers and the site-to-site list. Plain C++ (framework core only).
#pragma once

#include <cstddef>
#include <cstdint>

// The site's name conversion digit: '1' upper case, '2' lower case, '3' the
// first character upper case when it is 'a'..'z'; any other leaves the name.
// Double-byte characters are kept whole.
void ConvertNameByDigit(char* name, size_t size, char digit);

// Whether a name from a server's listing may be created in a local folder:
// no path separators or drive colon, not "." or ".." (also after Windows drops
// trailing dots and blanks), no control characters, no device name.
bool IsSafeLocalName(const char* name);

// The job's average speed: whole bytes per millisecond and two true decimals,
// "12.05KB"; 55 ms or less counts as 27.
void FormatJobSpeed(char* out, size_t size, uint64_t bytes, uint32_t elapsedMs);
