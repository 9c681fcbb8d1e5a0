// The small icons a list paints, drawn from a strip of the few images in use.
// Wine's image list makes two device contexts and two bitmaps for every icon
// it draws, each asking the Wine server for the display's keys: two thirds of
// a page of the file list. The strip keeps one memory device context and
// copies each image into it once (its colours over black, and over white for
// its transparency), then an icon is one alpha blend.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <unordered_map>

class CIconStrip {
public:
  CIconStrip() = default;
  ~CIconStrip();
  CIconStrip(const CIconStrip&) = delete;
  CIconStrip& operator=(const CIconStrip&) = delete;

  // Draws image `image` of `list` at x, y of `dc`, as the list would draw it
  // transparent, its left `width` pixels at most. False when it could not
  // (the caller draws it the usual way).
  bool Draw(HIMAGELIST list, int image, HDC dc, int x, int y, int width);
  // Forgets every image (the list's images changed).
  void Clear();

private:
  int SlotOf(HIMAGELIST list, int image);
  bool Grow();

  HIMAGELIST m_list = nullptr;
  int m_cx = 0, m_cy = 0;
  HDC m_dc = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  DWORD* m_bits = nullptr;  // premultiplied BGRA, m_capacity images side by side
  int m_capacity = 0;
  int m_used = 0;
  std::unordered_map<int, int> m_slotOf;  // image index -> slot
};
