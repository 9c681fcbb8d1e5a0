// Where the main window's own caption buttons sit and which bitmap each shows.
// The frame paints them over the caption it draws itself; a press or a hover is
// matched against the same rectangles (window coordinates).
#pragma once

#include <cstdint>

enum class CaptionButton : int { None = -1, Close = 0, Maximize = 1, Minimize = 2, Help = 3 };
constexpr int kCaptionButtonCount = 4;

// Bitmap resources of the caption and its buttons.
constexpr unsigned kCaptionBitmap = 140;

struct CaptionRect {
  int left, top, right, bottom;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// The caption band and the four buttons, right to left: close, then (after a
// gap) maximise and minimise side by side, then (after a gap) help.
struct CaptionLayout {
  CaptionRect caption;
  CaptionRect buttons[kCaptionButtonCount];
};

// windowWidth: the outer width; frameX/frameY: the sizing border; captionHeight:
// the system's caption height. Sizes below the smallest usable give buttons of
// at least 1 pixel, never inverted rectangles.
CaptionLayout LayOutCaption(int windowWidth, int frameX, int frameY, int captionHeight);

// The button under a point in window coordinates.
CaptionButton CaptionButtonAt(const CaptionLayout& layout, int x, int y);

// The bitmap a button shows: its normal or hover image, the maximise button
// showing the restore images while the window is maximised.
unsigned CaptionButtonBitmap(CaptionButton button, bool hover, bool maximized);

// What a press in the caption does.
enum class CaptionPress { PassOn, Ignore, OpenHelp, Close, Minimize, Maximize, Restore };
// hit: the button under the press; onCaption: the press is in the caption band
// (the system's hit test said caption).
CaptionPress CaptionPressAction(CaptionButton hit, bool onCaption, bool maximized);
