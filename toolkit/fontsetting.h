// The text form of a font and its colour, one settings value:
// "%i,...(13 numbers),%s,%u": height, width, escapement, orientation, weight,
// italic, underline, strike-out, character set, output precision, clip
// precision, quality, pitch and family, the face, then the colour.
#pragma once

#include "framework/fwstring.h"

constexpr int kFontFaceSize = 32;  // LOGFONT's face field, NUL included

// The fields of a LOGFONT as plain numbers, so the form is read and written anywhere.
struct FontSetting {
  int32_t height = -12;
  int32_t width = 0;
  int32_t escapement = 0;
  int32_t orientation = 0;
  int32_t weight = 400;
  BYTE italic = 0;
  BYTE underline = 0;
  BYTE strikeOut = 0;
  BYTE charSet = 0;
  BYTE outPrecision = 0;
  BYTE clipPrecision = 0;
  BYTE quality = 2;
  BYTE pitchAndFamily = 0x12;
  char face[kFontFaceSize] = "MS Sans Serif";
  DWORD color = 0;
};

CString FormatFontSetting(const FontSetting& setting);
// FALSE, *setting untouched, for fewer than 13 numbers, a missing face or
// colour, a byte field outside 0..255, or a colour that is no 32-bit number.
// A longer face keeps its first 31 characters.
BOOL ParseFontSetting(const char* text, FontSetting* setting);
