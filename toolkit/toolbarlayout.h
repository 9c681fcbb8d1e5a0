// The customisable toolbar's own row wrapping and sizing, over plain button
// records so the rules run without a toolbar control. A separator whose
// command is not 0 stands for an embedded child control.
#pragma once

#include <vector>

#include "framework/fwtypes.h"

struct LayoutSize {
  int cx = 0, cy = 0;
  LayoutSize() = default;
  LayoutSize(int x, int y) : cx(x), cy(y) {}
  bool operator==(const LayoutSize& o) const { return cx == o.cx && cy == o.cy; }
};

struct LayoutButton {
  UINT command = 0;
  bool separator = false;
  bool hidden = false;
  bool wrap = false;  // the row ends after this button
  int cx = 0, cy = 0;  // as measured for the layout (CalcButtonSize)

  bool IsPlainSeparator() const { return separator && command == 0; }
  bool IsChildSeparator() const { return separator && command != 0; }
};

// Sets the wrap flags for rows no wider than width; returns the row count.
int WrapToolBar(std::vector<LayoutButton>& buttons, int width);
// The wrapped buttons' extent: the widest row by the rows stacked on their
// tallest buttons; a row of a lone separator is buttonHeight high.
LayoutSize CalcToolBarSize(const std::vector<LayoutButton>& buttons, int buttonHeight);
// Wraps for a length: the narrowest width keeping the row count a width of
// length gives (horizontal), or the width whose height is length (vertical).
// Returns the resulting size.
LayoutSize SizeToolBar(std::vector<LayoutButton>& buttons, int length, bool vertical, int buttonHeight);

// The saved layout value: int32 icon option, int32 text option, then per
// button int32 command id and int32 separator flag (little-endian).
struct SavedToolbarLayout {
  int iconOption = 0;
  int textOption = 2;
  struct Item {
    UINT command;
    bool separator;
  };
  std::vector<Item> items;
};
constexpr int kToolbarLayoutFront = 8;
constexpr int kToolbarLayoutRecord = 8;
std::vector<BYTE> ToolbarLayoutBytes(const SavedToolbarLayout& layout);
// FALSE (and *out untouched) unless the value is binary (isBinary), holds the
// front and a whole number of records. Options out of range (text 0..2, icon
// 0..1) read as 2 and 0.
bool ParseToolbarLayout(const BYTE* data, size_t size, bool isBinary, SavedToolbarLayout* out);
