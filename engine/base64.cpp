// Base64 encoding and decoding.
#include "engine/base64.h"

const char CBase64::kAlphabet[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

CBase64::CBase64()
{
  for (int i = 0; i < 256; ++i)
    m_decode[i] = kInvalid;
  for (int i = 0; i < 64; ++i)
    m_decode[(uint8_t)kAlphabet[i]] = (uint8_t)i;
}

std::string CBase64::Encode(const void* data, size_t size) const
{
  if (size == 0)
    return "=";
  const uint8_t* in = static_cast<const uint8_t*>(data);
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= size; i += 3) {
    const uint32_t v = (uint32_t)in[i] << 16 | (uint32_t)in[i + 1] << 8 | in[i + 2];
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += kAlphabet[(v >> 6) & 63];
    out += kAlphabet[v & 63];
  }
  if (i < size) {
    uint32_t v = (uint32_t)in[i] << 16;
    if (i + 1 < size)
      v |= (uint32_t)in[i + 1] << 8;
    out += kAlphabet[v >> 18];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < size ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool CBase64::Decode(const std::string& text, std::string& out) const
{
  out.clear();
  size_t end = text.size();
  // At most two pad characters, and only at the end.
  for (int pads = 0; pads < 2 && end > 0 && text[end - 1] == '='; ++pads)
    --end;
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < end; ++i) {
    const uint8_t d = m_decode[(uint8_t)text[i]];
    if (d == kInvalid) {
      out.clear();
      return false;
    }
    bits = bits << 6 | d;
    held += 6;
    if (held >= 8) {
      held -= 8;
      out += (char)((bits >> held) & 0xFF);
    }
  }
  // One character alone carries 6 bits: not even one byte.
  if (held >= 6) {
    out.clear();
    return false;
  }
  return true;
}
