#include "views/iconstrip.h"

#include <cstring>
#include <vector>

#include "toolkit/dib32.h"

namespace {

// A top-down 32-bit section of w x h pixels in a new memory DC.
bool MakeSection(int w, int h, HDC* dcOut, HBITMAP* bitmapOut, HGDIOBJ* oldOut, DWORD** bitsOut)
{
  DWORD* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP bitmap = dc != nullptr ? CreateDib32(dc, w, h, &bits) : nullptr;
  if (bitmap == nullptr || bits == nullptr) {
    if (bitmap != nullptr)
      ::DeleteObject(bitmap);
    if (dc != nullptr)
      ::DeleteDC(dc);
    return false;
  }
  *oldOut = ::SelectObject(dc, bitmap);
  *dcOut = dc;
  *bitmapOut = bitmap;
  *bitsOut = bits;
  return true;
}

void FreeSection(HDC dc, HBITMAP bitmap, HGDIOBJ old)
{
  if (dc == nullptr)
    return;
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
}

}  // namespace

CIconStrip::~CIconStrip()
{
  Clear();
}

void CIconStrip::Clear()
{
  FreeSection(m_dc, m_bitmap, m_oldBitmap);
  m_dc = nullptr;
  m_bitmap = nullptr;
  m_oldBitmap = nullptr;
  m_bits = nullptr;
  m_capacity = 0;
  m_used = 0;
  m_slotOf.clear();
  m_list = nullptr;
}

bool CIconStrip::Grow()
{
  const int capacity = m_capacity == 0 ? 8 : m_capacity * 2;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  DWORD* bits = nullptr;
  if (!MakeSection(capacity * m_cx, m_cy, &dc, &bitmap, &old, &bits))
    return false;
  std::memset(bits, 0, sizeof(DWORD) * (size_t)capacity * (size_t)m_cx * (size_t)m_cy);
  for (int y = 0; y < m_cy && m_bits != nullptr; ++y)
    std::memcpy(bits + (size_t)y * (size_t)(capacity * m_cx), m_bits + (size_t)y * (size_t)(m_capacity * m_cx),
                sizeof(DWORD) * (size_t)m_used * (size_t)m_cx);
  FreeSection(m_dc, m_bitmap, m_oldBitmap);
  m_dc = dc;
  m_bitmap = bitmap;
  m_oldBitmap = old;
  m_bits = bits;
  m_capacity = capacity;
  return true;
}

int CIconStrip::SlotOf(HIMAGELIST list, int image)
{
  if (list != m_list) {
    Clear();
    if (!ImageList_GetIconSize(list, &m_cx, &m_cy) || m_cx <= 0 || m_cy <= 0)
      return -1;
    m_list = list;
  }
  const auto known = m_slotOf.find(image);
  if (known != m_slotOf.end())
    return known->second;
  if (image < 0 || image >= ImageList_GetImageCount(list))
    return -1;
  if (m_used == m_capacity && !Grow())
    return -1;
  // The image as the list draws it, over black and over white: over black it
  // is the premultiplied colour, and the two differ by what shows through.
  HDC dc[2] = {nullptr, nullptr};
  HBITMAP bitmap[2] = {nullptr, nullptr};
  HGDIOBJ old[2] = {nullptr, nullptr};
  DWORD* bits[2] = {nullptr, nullptr};
  bool made = true;
  for (int i = 0; i < 2 && made; ++i) {
    made = MakeSection(m_cx, m_cy, &dc[i], &bitmap[i], &old[i], &bits[i]);
    if (made) {
      std::memset(bits[i], i == 0 ? 0x00 : 0xFF, sizeof(DWORD) * (size_t)m_cx * (size_t)m_cy);
      made = ImageList_Draw(list, image, dc[i], 0, 0, ILD_TRANSPARENT) != FALSE;
      ::GdiFlush();
    }
  }
  int slot = -1;
  if (made) {
    slot = m_used++;
    for (int y = 0; y < m_cy; ++y) {
      for (int x = 0; x < m_cx; ++x) {
        const DWORD black = bits[0][y * m_cx + x] & 0xFFFFFF;
        const DWORD white = bits[1][y * m_cx + x] & 0xFFFFFF;
        int through = 0;  // how much of the background shows, 0..255
        for (int shift = 0; shift < 24; shift += 8) {
          const int d = (int)((white >> shift) & 0xFF) - (int)((black >> shift) & 0xFF);
          if (d > through)
            through = d;
        }
        const DWORD alpha = (DWORD)(255 - through);
        m_bits[(size_t)y * (size_t)(m_capacity * m_cx) + (size_t)(slot * m_cx + x)] = (alpha << 24) | black;
      }
    }
    m_slotOf.emplace(image, slot);
  }
  for (int i = 0; i < 2; ++i)
    FreeSection(dc[i], bitmap[i], old[i]);
  return slot;
}

bool CIconStrip::Draw(HIMAGELIST list, int image, HDC dc, int x, int y, int width)
{
  if (list == nullptr || dc == nullptr)
    return false;
  const int slot = SlotOf(list, image);
  if (slot < 0)
    return false;
  const int w = width < m_cx ? width : m_cx;
  if (w <= 0)
    return true;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return ::GdiAlphaBlend(dc, x, y, w, m_cy, m_dc, slot * m_cx, 0, w, m_cy, blend) != FALSE;
}
