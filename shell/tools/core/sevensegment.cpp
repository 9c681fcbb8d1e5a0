#include "shell/tools/sevensegment.h"

#include <cstring>
#include <string>

namespace {

// Bits a..g of each digit.
enum : unsigned { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
const unsigned kDigitSegments[10] = {
    A | B | C | D | E | F,  // 0
    B | C,                  // 1
    A | B | D | E | G,      // 2
    A | B | C | D | G,      // 3
    B | C | F | G,          // 4
    A | C | D | F | G,      // 5
    A | C | D | E | F | G,  // 6
    A | B | C,              // 7
    A | B | C | D | E | F | G,
    A | B | C | D | F | G,  // 9
};

struct Line {
  int x1, y1, x2, y2;
};

// Segment bit -> line, for a character at x.
Line SegmentLine(unsigned bit, int x, int L, int t)
{
  switch (bit) {
    case A: return {x + 2 * t, t, x + L, t};
    case B: return {x + L + t, 2 * t, x + L + t, L + 2 * t};
    case C: return {x + L + t, L + 4 * t, x + L + t, 2 * L + 3 * t};
    case D: return {x + 2 * t, 2 * L + 4 * t, x + L, 2 * L + 4 * t};
    case E: return {x + t, L + 4 * t, x + t, 2 * L + 3 * t};
    case F: return {x + t, 2 * t, x + t, L + 2 * t};
    default: return {x + 2 * t, L + 3 * t, x + L, L + 3 * t};  // G
  }
}

}  // namespace

SegmentMetrics SegmentMetricsForHeight(int height)
{
  SegmentMetrics m;
  m.thickness = (int)(height * 0.06);
  if (m.thickness < 1)
    m.thickness = 1;
  m.length = (int)(height * 0.35);
  if (m.length < 1)
    m.length = 1;
  m.penWidth = m.thickness;
  return m;
}

uint32_t UnlitSegmentColour(const SegmentColours& colours)
{
  if (colours.customOff)
    return colours.off;
  const uint32_t r = (colours.lit & 0xFF) / 3;
  const uint32_t g = ((colours.lit >> 8) & 0xFF) / 3;
  const uint32_t b = ((colours.lit >> 16) & 0xFF) / 3;
  return r | (g << 8) | (b << 16);
}

std::vector<Segment> ComputeSegments(const char* text, int minWidth, int height, bool drawUnlit,
                                     const SegmentColours& colours, const SegmentMetrics* metrics)
{
  const SegmentMetrics m = metrics != nullptr ? *metrics : SegmentMetricsForHeight(height);
  const int L = m.length;
  const int t = m.thickness;
  std::string s = text != nullptr ? text : "";
  if (minWidth > 0 && (int)s.size() < minWidth)
    s.insert(0, (size_t)minWidth - s.size(), ' ');
  const uint32_t offColour = UnlitSegmentColour(colours);

  std::vector<Segment> out;
  int x = 0;
  int afterPoint = -1;  // characters drawn since a ".", -1 before any
  for (size_t i = 0; i < s.size(); ++i) {
    const char ch = s[i];
    if (afterPoint >= 2)
      break;
    if (i > 0) {
      if (ch == ':')
        x += L + t;
      else if (s[i - 1] == ':')
        x += L + 1;
      else
        x += L + 4 * t;
    }
    if (afterPoint >= 0)
      ++afterPoint;
    const int cell = (int)i;
    auto add = [&](const Line& l, bool lit) {
      out.push_back({l.x1, l.y1, l.x2, l.y2, lit ? colours.lit : offColour, lit, cell});
    };
    if (drawUnlit && ch != ':') {
      for (unsigned bit = A; bit <= G; bit <<= 1)
        add(SegmentLine(bit, x, L, t), false);
    }
    if (ch >= '0' && ch <= '9') {
      const unsigned bits = kDigitSegments[ch - '0'];
      for (unsigned bit = A; bit <= G; bit <<= 1)
        if (bits & bit)
          add(SegmentLine(bit, x, L, t), true);
    } else if (ch == '-') {
      add(SegmentLine(G, x, L, t), true);
    } else if (ch == '.') {
      add({x + 2 * t, 2 * L + 4 * t, x + 2 * L / 3, 2 * L + 4 * t}, true);
      if (afterPoint < 0)
        afterPoint = 0;
    } else if (ch == ':') {
      add({x + 4 * t, L, x + L / 2 + 2 * t, L}, true);
      add({x + 4 * t, 2 * L + t, x + L / 2 + 2 * t, 2 * L + t}, true);
    }
  }
  return out;
}
