// The geometry of the seven-segment display: which segments a text lights, in
// which colour, at which place. The control only draws what this computes.
#pragma once

#include <cstdint>
#include <vector>

// Colours as 0x00BBGGRR, the layout of COLORREF.
struct SegmentColours {
  uint32_t lit = 0x64FF64;
  bool customOff = false;
  uint32_t off = 0;  // used when customOff
};

struct SegmentMetrics {
  int length = 1;
  int thickness = 1;
  int penWidth = 1;
};

struct Segment {
  int x1, y1, x2, y2;  // one line, drawn with a pen of the metrics' width
  uint32_t colour;
  bool lit;
  int cell;            // index of the character it belongs to, blanks in front included
};

// Metrics for a control of this height: thickness 6% and length 35% of it,
// each at least 1; the pen as wide as the thickness.
SegmentMetrics SegmentMetricsForHeight(int height);

// The colour of unlit segments: the custom one, or each channel of the lit
// colour divided by three.
uint32_t UnlitSegmentColour(const SegmentColours& colours);

// The segments of text, unlit ones first for each character when drawUnlit.
// A minimum width pads the text with blanks in front; "0".."9", "-", "." and
// ":" light segments, any other character only takes its place; after a "."
// at most two more characters are drawn. metrics: null computes them from the
// height.
std::vector<Segment> ComputeSegments(const char* text, int minWidth, int height, bool drawUnlit,
                                     const SegmentColours& colours = SegmentColours(),
                                     const SegmentMetrics* metrics = nullptr);
