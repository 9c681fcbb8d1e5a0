#include "framework/toolbarres.h"

#include <cstring>

namespace {
WORD ReadWord(const unsigned char* p) { return (WORD)(p[0] | (p[1] << 8)); }
}  // namespace

BOOL ParseToolBarResource(const void* data, size_t size, ToolBarResource* out) {
  if (!data || !out || size < 8) return FALSE;
  const unsigned char* p = static_cast<const unsigned char*>(data);
  const WORD version = ReadWord(p);
  const WORD width = ReadWord(p + 2);
  const WORD height = ReadWord(p + 4);
  const WORD count = ReadWord(p + 6);
  // windres's own TOOLBAR statement writes 32-bit fields and no version word:
  // its first word is the width, and a width of 1 leaves a zero second word.
  if (version != kToolBarResourceVersion || width == 0 || height == 0) return FALSE;
  if ((size - 8) / 2 < count) return FALSE;
  ToolBarResource res;
  res.width = width;
  res.height = height;
  res.items.reserve(count);
  for (WORD i = 0; i < count; ++i) res.items.push_back(ReadWord(p + 8 + 2 * i));
  *out = std::move(res);
  return TRUE;
}

int ToolBarImageCount(const ToolBarResource& res) {
  int n = 0;
  for (UINT id : res.items)
    if (id != 0) ++n;
  return n;
}
