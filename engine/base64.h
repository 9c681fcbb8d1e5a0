// CBase64: the Base64 coder of HTTP proxy credentials. Standard alphabet, "="
// padding, no line breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CBase64 {
public:
  // Builds the decoding table.
  CBase64();

  // The encoding of size bytes. An empty input gives "=" (no caller passes one).
  std::string Encode(const void* data, size_t size) const;
  std::string Encode(const std::string& bytes) const { return Encode(bytes.data(), bytes.size()); }

  // Decodes text with or without its "=" padding; false (out empty) on a byte
  // outside the alphabet, padding before the end or a dangling sixth of a byte.
  bool Decode(const std::string& text, std::string& out) const;

  static const char kAlphabet[65];

private:
  static constexpr uint8_t kInvalid = 0xFF;
  uint8_t m_decode[256];
};
