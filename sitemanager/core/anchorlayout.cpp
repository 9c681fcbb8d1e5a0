#include "sitemanager/anchorlayout.h"

namespace {

// One axis: the near and far edges, their flags, the growth of the client.
void Follow(int32_t& nearEdge, int32_t& farEdge, bool nearAnchored, bool farAnchored, int32_t initialNear,
            int32_t initialFar, int32_t growth, int32_t currentSize) {
  if (nearAnchored && farAnchored) {
    nearEdge = initialNear;
    farEdge = initialFar + growth;
  } else if (farAnchored) {
    farEdge = initialFar + growth;
    nearEdge = farEdge - currentSize;
  } else if (nearAnchored) {
    nearEdge = initialNear;
    farEdge = nearEdge + currentSize;
  }
}

}  // namespace

AnchorRect ComputeAnchoredRect(const AnchorRect& initial, int32_t flags, int32_t initialClientWidth,
                               int32_t initialClientHeight, int32_t newClientWidth, int32_t newClientHeight,
                               int32_t currentWidth, int32_t currentHeight) {
  AnchorRect out = initial;
  // Neither edge: the control keeps where it is now, which is its current size
  // at its first place.
  out.right = out.left + currentWidth;
  out.bottom = out.top + currentHeight;
  Follow(out.left, out.right, (flags & kAnchorLeft) != 0, (flags & kAnchorRight) != 0, initial.left, initial.right,
         newClientWidth - initialClientWidth, currentWidth);
  Follow(out.top, out.bottom, (flags & kAnchorTop) != 0, (flags & kAnchorBottom) != 0, initial.top, initial.bottom,
         newClientHeight - initialClientHeight, currentHeight);
  return out;
}

bool AnchorRectFits(const AnchorRect& rect, int32_t clientWidth, int32_t clientHeight) {
  return rect.left >= 0 && rect.top >= 0 && rect.right <= clientWidth && rect.bottom <= clientHeight &&
         rect.left <= rect.right && rect.top <= rect.bottom;
}
