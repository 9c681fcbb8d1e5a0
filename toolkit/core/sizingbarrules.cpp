#include "toolkit/sizingbarrules.h"

#include <algorithm>

namespace {

// Bar style border bits (as framework/bars.h), here without the window headers.
constexpr DWORD kBorderLeft = 0x0100, kBorderTop = 0x0200, kBorderRight = 0x0400, kBorderBottom = 0x0800;
constexpr int kHtSize = 4, kHtCaption = 2, kHtMinButton = 8, kHtSysMenu = 3;
constexpr DWORD kHorzDock = 0x08, kVertDock = 0x10, kMruWidth = 0x04, kLengthY = 0x20, kCommit = 0x40;

}  // namespace

SizingBarFrame SizingBarNcLayout(SizingBarSide side, const SizingRect& w) {
  SizingBarFrame f;
  f.client = w;
  f.edge = SizingRect();
  f.borderRemoved = 0;
  switch (side) {
    case kSizingTop:
      f.client = SizingRect(w.left + kSizingGripper, w.top + kSizingInset, w.right - kSizingInset, w.bottom - kSizingEdge);
      f.edge = SizingRect(w.left, w.bottom - kSizingEdge, w.right, w.bottom);
      f.borderRemoved = kBorderBottom;
      break;
    case kSizingLeft:
      f.client = SizingRect(w.left + kSizingInset, w.top + kSizingGripper, w.right - kSizingEdge, w.bottom - kSizingInset);
      f.edge = SizingRect(w.right - kSizingEdge, w.top, w.right, w.bottom);
      f.borderRemoved = kBorderRight;
      break;
    case kSizingRight:
      f.client = SizingRect(w.left + kSizingEdge, w.top + kSizingGripper, w.right - kSizingInset, w.bottom - kSizingInset);
      f.edge = SizingRect(w.left, w.top, w.left + kSizingEdge, w.bottom);
      f.borderRemoved = kBorderLeft;
      break;
    case kSizingBottom:
      f.client = SizingRect(w.left + kSizingGripper, w.top + kSizingEdge, w.right - kSizingInset, w.bottom - kSizingInset);
      f.edge = SizingRect(w.left, w.top, w.right, w.top + kSizingEdge);
      f.borderRemoved = kBorderTop;
      break;
    case kSizingFloating:
      break;
  }
  // A window too small for its frame keeps an empty, not an inverted, client.
  f.client.right = std::max(f.client.right, f.client.left);
  f.client.bottom = std::max(f.client.bottom, f.client.top);
  return f;
}

SizingBarCaption SizingBarCaptionParts(SizingBarSide side, int w, int h) {
  SizingBarCaption c;
  if (side == kSizingTop || side == kSizingBottom) {
    c.gripper = SizingRect(0, 40, 20, h);
    c.close = SizingRect(5, 10, 17, 22);
    c.undock = SizingRect(5, 23, 17, 35);
    c.ridge1 = SizingRect(7, 38, 10, h - 10);
    c.ridge2 = SizingRect(11, 38, 14, h - 10);
  } else if (side == kSizingLeft || side == kSizingRight) {
    c.gripper = SizingRect(0, 0, w - 40, 20);
    c.close = SizingRect(w - 21, 5, w - 10, 16);
    c.undock = SizingRect(w - 34, 5, w - 23, 16);
    c.ridge1 = SizingRect(10, 7, w - 38, 10);
    c.ridge2 = SizingRect(10, 11, w - 38, 14);
  }
  return c;
}

int SizingBarHitTest(SizingBarSide side, const SizingRect& window, SizingPoint pt) {
  if (side == kSizingFloating)
    return 0;
  const SizingBarCaption c = SizingBarCaptionParts(side, window.Width(), window.Height());
  auto in = [&](const SizingRect& r) { return r.Contains(pt); };
  if (in(c.close))
    return kHtSysMenu;
  if (in(c.undock))
    return kHtMinButton;
  if (in(c.gripper))
    return kHtCaption;
  const SizingRect edge = SizingBarNcLayout(side, SizingRect(0, 0, window.Width(), window.Height())).edge;
  if (in(edge))
    return kHtSize;
  return 0;
}

SizingBarDynamic SizingBarDynamicLayout(int length, DWORD mode, SizingSize& floatSize, SizingSize minimum) {
  if (mode & (kHorzDock | kVertDock))
    return {true, SizingSize()};
  if (mode & kMruWidth)
    return {false, floatSize};
  if (mode & kCommit) {
    floatSize.cx = length;
    return {false, SizingSize(length, (int)floatSize.cy)};
  }
  if (mode & kLengthY) {
    floatSize.cy = std::max(length, (int)minimum.cy);
    return {false, floatSize};
  }
  return {false, SizingSize(std::max((int)minimum.cx, length), (int)floatSize.cy)};
}

int SizingBarTrackedSize(SizingBarSide side, int current, SizingSize moved, int frameSize, int minimum) {
  int delta = 0;
  switch (side) {
    case kSizingTop: delta = (int)moved.cy; break;
    case kSizingLeft: delta = (int)moved.cx; break;
    case kSizingRight: delta = -(int)moved.cx; break;
    case kSizingBottom: delta = -(int)moved.cy; break;
    case kSizingFloating: return current;
  }
  const long long wanted = (long long)current + delta;
  const long long upper = (long long)frameSize + current;
  return (int)std::max((long long)minimum, std::min(wanted, upper));
}

int SizingBarStoredSize(int value, int minimum, int limit) {
  int v = std::max(value, minimum);
  if (limit > 0 && v > limit)
    v = std::max(limit, minimum);
  return v;
}
