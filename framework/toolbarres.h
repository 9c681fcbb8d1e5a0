// The toolbar resource (type 241): the command ids of a toolbar's buttons in
// the order of its bitmap's images. Read by the toolbar and by the owner-drawn
// menu, which takes its icons from the same resources.
#pragma once

#include <cstddef>
#include <vector>

#include "framework/fwtypes.h"

constexpr WORD kToolBarResourceType = 241;
constexpr WORD kToolBarResourceVersion = 1;

struct ToolBarResource {
  int width = 0;              // one image, in pixels
  int height = 0;
  std::vector<UINT> items;    // command ids, 0 for a separator (which has no image)
};

// The resource is WORDs: version (1), width, height, count, then count ids.
// FALSE (out untouched) for another version, a zero-sized image, or data that
// is shorter than its count says. Trailing bytes are allowed.
BOOL ParseToolBarResource(const void* data, size_t size, ToolBarResource* out);

// How many images the bitmap holds: the buttons, separators not counted.
int ToolBarImageCount(const ToolBarResource& res);
