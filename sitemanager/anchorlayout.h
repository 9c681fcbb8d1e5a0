#pragma once
// Keeps controls glued to the edges of a resizable dialog: each control
// remembers its rectangle and the parent's client size when it was added, and
// follows the edges its flags name. The console carries the same two files.
#include <cstdint>
#include <vector>

enum AnchorFlags : int32_t {
  kAnchorLeft = 1,
  kAnchorRight = 2,
  kAnchorTop = 4,
  kAnchorBottom = 8,
  kAnchorHideWhenClipped = 16,
};

struct AnchorRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
};

// Where a control goes for a new client size. Left and right both: it
// stretches; right only: it moves with the right edge keeping its current
// width; left only: it stays at its first left with its current width;
// neither: unchanged. Vertically the same with top and bottom.
AnchorRect ComputeAnchoredRect(const AnchorRect& initial, int32_t flags, int32_t initialClientWidth,
                               int32_t initialClientHeight, int32_t newClientWidth, int32_t newClientHeight,
                               int32_t currentWidth, int32_t currentHeight);

// Whether a rectangle lies wholly inside a client area of that size.
bool AnchorRectFits(const AnchorRect& rect, int32_t clientWidth, int32_t clientHeight);

#ifdef _WIN32
#include <windows.h>

class CWnd;

class CAnchorLayout {
public:
  CAnchorLayout() = default;
  ~CAnchorLayout() = default;
  CAnchorLayout(const CAnchorLayout&) = delete;
  CAnchorLayout& operator=(const CAnchorLayout&) = delete;

  // Flags 0 are ignored. The first control also records the parent's client size.
  void AddControl(CWnd* control, int32_t flags);
  void AddControl(HWND control, int32_t flags);
  // From the parent's WM_SIZE: nothing while it is minimised or before any control.
  void Relayout(CWnd* parent);
  void Relayout(HWND parent);
  size_t Count() const { return m_entries.size(); }

private:
  struct Entry {
    int32_t flags;
    HWND control;
    AnchorRect initial;
  };
  std::vector<Entry> m_entries;
  int32_t m_initialWidth = -1;
  int32_t m_initialHeight = -1;
};
#endif
