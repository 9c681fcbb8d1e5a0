// CIniText: the spare-site file held as one byte string and edited in place.
//
// A section header is a "[" at the start of a line; its name runs to the last
// "]" of that line (to the line's end when there is none), so names may hold
// "]", ";" and tabs. An entry is "key=value": the key runs to the first "=",
// the value to the end of its line. Bytes are not converted; values are kept
// by length (a scrambled password may hold a zero byte). Every change re-reads
// the section index, so later lookups never use stale offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CIniText {
public:
  // Loads the file; a missing one is created empty. Zero bytes in front of the
  // text (left by earlier versions, which began an empty file with one) are
  // skipped.
  explicit CIniText(const char* path);
  // Over a text already in memory (path empty: Save needs one).
  CIniText(std::string text, const char* path);

  // Writes the whole text to "<path>.tmp", checks every write and the close,
  // then replaces the file. False (the old file left whole) on any failure.
  bool Save(const char* path = nullptr) const;

  // The value, or false when the section or the key is missing.
  bool GetValue(std::string_view section, std::string_view key, std::string& value) const;
  // The value, or "" when missing.
  std::string GetString(std::string_view section, std::string_view key) const;
  // The value as a decimal number, saturated to 32 bits; 0 when not a number.
  int32_t GetInt(std::string_view section, std::string_view key) const;

  // Replaces the value, adds the key after the section's last non-blank line,
  // or appends the section ("\r\n[%s]\r\n", then "%s=%s\r\n"). Refused (false,
  // nothing changed) for a section name with a line break, or a key that is
  // empty, starts with "[", or holds a line break, "=" or ";". Line breaks in
  // the value are written as blanks.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  bool SetInt(std::string_view section, std::string_view key, int32_t value);

  int SectionCount() const { return static_cast<int>(m_sections.size()); }
  // False for an index out of range.
  bool SectionName(int index, std::string& name) const;
  // Removes the section from its "[" to the next header; the last section also
  // takes the line break before it. False when there is no such section.
  bool DeleteSection(std::string_view section);

  const std::string& Text() const { return m_text; }
  const std::string& Path() const { return m_path; }

private:
  struct Section {
    size_t header;     // offset of "["
    size_t nameBegin;  // the name's first byte
    size_t nameEnd;
    size_t body;       // the first line after the header line
    size_t end;        // the next header's "[" or the text's end
  };

  void Index();
  const Section* Find(std::string_view name) const;
  // The value's offsets within the section, or false.
  bool FindValue(const Section& s, std::string_view key, size_t& begin, size_t& end) const;
  void Load();

  std::string m_path;
  std::string m_text;
  std::vector<Section> m_sections;
};
