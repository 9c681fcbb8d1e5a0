#include "shell/mainframe/captionlayout.h"

#include <algorithm>

CaptionLayout LayOutCaption(int windowWidth, int frameX, int frameY, int captionHeight)
{
  CaptionLayout out{};
  frameX = std::max(frameX, 0);
  frameY = std::max(frameY, 0);
  captionHeight = std::max(captionHeight, 1);
  const int right = std::max(windowWidth - frameX, frameX);
  out.caption = {frameX, frameY, right, frameY + captionHeight};

  // Buttons are 2 pixels inside the band, a little wider than high.
  const int height = std::max(captionHeight - 4, 1);
  const int width = height + 2;
  const int top = frameY + std::min(2, captionHeight - height);
  int x = right - 2;
  auto place = [&](CaptionButton b, int gapBefore) {
    x -= gapBefore;
    const int left = x - width;
    out.buttons[(int)b] = {left, top, x, top + height};
    x = left;
  };
  place(CaptionButton::Close, 0);
  place(CaptionButton::Maximize, 2);
  place(CaptionButton::Minimize, 0);
  place(CaptionButton::Help, 2);
  return out;
}

CaptionButton CaptionButtonAt(const CaptionLayout& layout, int x, int y)
{
  for (int i = 0; i < kCaptionButtonCount; ++i)
    if (layout.buttons[i].Contains(x, y))
      return (CaptionButton)i;
  return CaptionButton::None;
}

unsigned CaptionButtonBitmap(CaptionButton button, bool hover, bool maximized)
{
  switch (button) {
  case CaptionButton::Close:
    return hover ? 161 : 177;
  case CaptionButton::Maximize:
    if (maximized)
      return hover ? 163 : 164;
    return hover ? 165 : 166;
  case CaptionButton::Minimize:
    return hover ? 167 : 168;
  case CaptionButton::Help:
    return hover ? 169 : 170;
  default:
    return 0;
  }
}

CaptionPress CaptionPressAction(CaptionButton hit, bool onCaption, bool maximized)
{
  switch (hit) {
  case CaptionButton::Help:
    return CaptionPress::OpenHelp;
  case CaptionButton::Close:
    return CaptionPress::Close;
  case CaptionButton::Minimize:
    return CaptionPress::Minimize;
  case CaptionButton::Maximize:
    return maximized ? CaptionPress::Restore : CaptionPress::Maximize;
  default:
    break;
  }
  // A maximised window is not dragged by its caption.
  if (onCaption && maximized)
    return CaptionPress::Ignore;
  return CaptionPress::PassOn;
}
