#include "toolkit/toolbarlayout.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Hidden buttons take no room, but a child control keeps its place.
bool TakesRoom(const LayoutButton& b) { return !b.hidden || b.IsChildSeparator(); }

}  // namespace

int WrapToolBar(std::vector<LayoutButton>& buttons, int width) {
  for (LayoutButton& b : buttons)
    b.wrap = false;
  int rows = 1;
  int x = 0;
  const int n = (int)buttons.size();
  for (int i = 0; i < n; i++) {
    if (!TakesRoom(buttons[(size_t)i]))
      continue;
    const int dx = buttons[(size_t)i].cx;
    if (x + dx <= width) {
      x += dx;
      continue;
    }
    // A plain separator is the best place to break the row.
    int at = -1;
    for (int j = i; j >= 0 && !buttons[(size_t)j].wrap; j--) {
      const LayoutButton& b = buttons[(size_t)j];
      if (b.IsPlainSeparator() && !b.hidden) {
        at = j;
        break;
      }
    }
    if (at < 0) {
      // Else the nearest earlier button; never a hidden one or a child control.
      for (int j = i - 1; j >= 0 && !buttons[(size_t)j].wrap; j--) {
        const LayoutButton& b = buttons[(size_t)j];
        if (b.hidden || b.IsChildSeparator())
          continue;
        at = j;
        break;
      }
    }
    if (at < 0) {
      x += dx;  // nothing to break at: the row runs over
      continue;
    }
    buttons[(size_t)at].wrap = true;
    rows++;
    i = at;
    x = 0;
  }
  // A break after the last button opens no row.
  for (int i = n - 1; i >= 0; i--) {
    if (!TakesRoom(buttons[(size_t)i]))
      continue;
    if (buttons[(size_t)i].wrap)
      rows--;
    break;
  }
  return std::max(rows, 1);
}

LayoutSize CalcToolBarSize(const std::vector<LayoutButton>& buttons, int buttonHeight) {
  LayoutSize size(0, 0);
  int x = 0, y = 0, rowHeight = 0, rowItems = 0;
  bool rowOnlySeparators = true;
  auto endRow = [&](const LayoutButton* pWrapped) {
    if (rowItems == 0)
      return;
    if (rowOnlySeparators)
      rowHeight = buttonHeight;
    size.cy = std::max(size.cy, (y + rowHeight));
    y += rowHeight;
    if (pWrapped != nullptr && pWrapped->IsPlainSeparator() && !rowOnlySeparators)
      y += pWrapped->cy;  // the separator between the rows
    x = 0;
    rowHeight = 0;
    rowItems = 0;
    rowOnlySeparators = true;
  };
  for (const LayoutButton& b : buttons) {
    if (!TakesRoom(b))
      continue;
    x += b.cx;
    size.cx = std::max(size.cx, x);
    rowItems++;
    // A wrapped separator's height is the gap below its row, not the row's.
    if (!(b.wrap && b.IsPlainSeparator()))
      rowHeight = std::max(rowHeight, b.cy);
    if (!b.IsPlainSeparator())
      rowOnlySeparators = false;
    if (b.wrap)
      endRow(&b);
  }
  endRow(nullptr);
  return size;
}

LayoutSize SizeToolBar(std::vector<LayoutButton>& buttons, int length, bool vertical, int buttonHeight) {
  if (!vertical) {
    const int rows = WrapToolBar(buttons, length);
    int lo = 0, hi = std::max(length, 0);
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (WrapToolBar(buttons, mid) <= rows)
        hi = mid;
      else
        lo = mid + 1;
    }
    WrapToolBar(buttons, hi);
    const LayoutSize size = CalcToolBarSize(buttons, buttonHeight);
    WrapToolBar(buttons, (int)size.cx);
    return CalcToolBarSize(buttons, buttonHeight);
  }
  WrapToolBar(buttons, 0);
  LayoutSize narrow = CalcToolBarSize(buttons, buttonHeight);  // tallest
  WrapToolBar(buttons, 32767);
  LayoutSize wide = CalcToolBarSize(buttons, buttonHeight);  // lowest
  int loWidth = (int)narrow.cx, hiWidth = (int)wide.cx;
  while (loWidth < hiWidth) {
    const int mid = loWidth + (hiWidth - loWidth) / 2;
    WrapToolBar(buttons, mid);
    const LayoutSize s = CalcToolBarSize(buttons, buttonHeight);
    if (s.cy == length)
      return s;
    if (s.cy > length) {  // too tall: wider
      if (mid == loWidth)
        break;
      loWidth = mid;
    } else {
      if (mid == hiWidth)
        break;
      hiWidth = mid;
    }
    if (hiWidth - loWidth <= 1)
      break;  // the search stalls
  }
  WrapToolBar(buttons, hiWidth);
  return CalcToolBarSize(buttons, buttonHeight);
}

namespace {

void PutInt(std::vector<BYTE>& v, uint32_t n) {
  for (int i = 0; i < 4; i++)
    v.push_back((BYTE)(n >> (8 * i)));
}

uint32_t GetInt(const BYTE* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

}  // namespace

std::vector<BYTE> ToolbarLayoutBytes(const SavedToolbarLayout& layout) {
  std::vector<BYTE> v;
  PutInt(v, (uint32_t)layout.iconOption);
  PutInt(v, (uint32_t)layout.textOption);
  for (const SavedToolbarLayout::Item& item : layout.items) {
    PutInt(v, item.command);
    PutInt(v, item.separator ? 1u : 0u);
  }
  return v;
}

bool ParseToolbarLayout(const BYTE* data, size_t size, bool isBinary, SavedToolbarLayout* out) {
  if (!isBinary || data == nullptr || size < (size_t)kToolbarLayoutFront ||
      (size - kToolbarLayoutFront) % kToolbarLayoutRecord != 0)
    return false;
  SavedToolbarLayout layout;
  layout.iconOption = (int)GetInt(data);
  layout.textOption = (int)GetInt(data + 4);
  if (layout.iconOption < 0 || layout.iconOption > 1)
    layout.iconOption = 0;
  if (layout.textOption < 0 || layout.textOption > 2)
    layout.textOption = 2;
  for (size_t at = kToolbarLayoutFront; at < size; at += kToolbarLayoutRecord)
    layout.items.push_back({GetInt(data + at), GetInt(data + at + 4) != 0});
  *out = std::move(layout);
  return true;
}
