// The dockable sizing bar's rules that need no window: its non-client layout
// and caption parts per side, the hit test, the answers of its dynamic layout,
// the size after its edge was dragged and the check of stored sizes.
#pragma once

#include "framework/fwtypes.h"

struct SizingSize {
  int cx = 0, cy = 0;
  SizingSize() = default;
  SizingSize(int x, int y) : cx(x), cy(y) {}
  bool operator==(const SizingSize& o) const { return cx == o.cx && cy == o.cy; }
};
struct SizingPoint {
  int x = 0, y = 0;
};
struct SizingRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  SizingRect() = default;
  SizingRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(SizingPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const SizingRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

enum SizingBarSide { kSizingTop, kSizingLeft, kSizingRight, kSizingBottom, kSizingFloating };

constexpr int kSizingEdge = 5;       // the resize edge
constexpr int kSizingGripper = 17;   // the caption strip
constexpr int kSizingInset = 2;
constexpr int kSizingMinimum = 200;  // smallest width and height

// The client rectangle inside a window rectangle (window coordinates), the
// resize edge strip (empty when floating) and the CBRS_BORDER_ bit given up.
struct SizingBarFrame {
  SizingRect client;
  SizingRect edge;
  DWORD borderRemoved;
};
SizingBarFrame SizingBarNcLayout(SizingBarSide side, const SizingRect& window);

// The caption parts of a w x h window (window coordinates); all empty when floating.
struct SizingBarCaption {
  SizingRect gripper, close, undock;
  SizingRect ridge1, ridge2;  // the two raised bars of the gripper
};
SizingBarCaption SizingBarCaptionParts(SizingBarSide side, int w, int h);

// HTSYSMENU, HTMINBUTTON, HTCAPTION, HTSIZE, or 0 for the default handling.
int SizingBarHitTest(SizingBarSide side, const SizingRect& window, SizingPoint ptWindow);

// CalcDynamicLayout by mode: dock requests (LM_HORZDOCK | LM_VERTDOCK) are the
// caller's (dock = true, nothing else filled); the others answer from and may
// store into floatSize.
struct SizingBarDynamic {
  bool dock;
  SizingSize size;
};
SizingBarDynamic SizingBarDynamicLayout(int length, DWORD mode, SizingSize& floatSize, SizingSize minimum);

// The new height (top, bottom) or width (left, right) after the tracker's
// centre moved by `moved`: current plus the movement toward the frame's inside,
// no more than frameSize + current, no less than minimum.
int SizingBarTrackedSize(SizingBarSide side, int current, SizingSize moved, int frameSize, int minimum);

// A stored width or height: at least minimum, at most limit (the virtual screen's
// extent; 0 for none). A damaged value never hides the frame's views.
int SizingBarStoredSize(int value, int minimum, int limit);
