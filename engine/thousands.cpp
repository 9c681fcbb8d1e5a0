// Byte counts with thousands separators. No settings and no engine state, so
// the console library can carry it alone.
#include "engine/thousands.h"

CString FormatThousands(uint64_t value)
{
  char digits[24];
  int n = 0;
  do {
    digits[n++] = (char)('0' + value % 10);
    value /= 10;
  } while (value != 0);
  char text[32];
  int length = 0;
  for (int i = n - 1; i >= 0; --i) {
    text[length++] = digits[i];
    if (i > 0 && i % 3 == 0)
      text[length++] = ',';
  }
  return CString(text, length);
}
