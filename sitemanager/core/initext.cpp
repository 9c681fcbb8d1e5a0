#include "sitemanager/initext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/settings/settingtext.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

bool IsLineBreak(char c)
{
  return c == '\r' || c == '\n';
}

// The first CR or LF at or after pos (or end).
size_t ContentEnd(const std::string& text, size_t pos, size_t end)
{
  while (pos < end && !IsLineBreak(text[pos]))
    ++pos;
  return pos;
}

// The start of the line after the one at pos (after its LF), or end.
size_t NextLine(const std::string& text, size_t pos, size_t end)
{
  const void* lf = pos < end ? memchr(text.data() + pos, '\n', end - pos) : nullptr;
  return lf ? static_cast<size_t>(static_cast<const char*>(lf) - text.data()) + 1 : end;
}

bool IsBlankLine(const std::string& text, size_t begin, size_t end)
{
  for (size_t i = begin; i < end; ++i) {
    if (text[i] != ' ' && text[i] != '\t')
      return false;
  }
  return true;
}

// The target may not be replaced: a folder, or a read-only file.
bool IsUnwritableTarget(const std::string& path)
{
#ifdef _WIN32
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return false;
  return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
#else
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    return false;
  return !S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0;
#endif
}

bool ReplaceFile(const std::string& from, const std::string& to)
{
#ifdef _WIN32
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

CIniText::CIniText(const char* path) : m_path(path != nullptr ? path : "")
{
  Load();
  Index();
}

CIniText::CIniText(std::string text, const char* path)
    : m_path(path != nullptr ? path : ""), m_text(std::move(text))
{
  const size_t first = m_text.find_first_not_of('\0');
  m_text.erase(0, first == std::string::npos ? m_text.size() : first);
  Index();
}

void CIniText::Load()
{
  m_text.clear();
  if (m_path.empty())
    return;
  FILE* file = fopen(m_path.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT) {
      file = fopen(m_path.c_str(), "wb");
      if (file != nullptr)
        fclose(file);
    }
    return;
  }
  char buffer[65536];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
    m_text.append(buffer, got);
  const bool failed = ferror(file) != 0;
  fclose(file);
  if (failed) {
    // Half a file edited and saved would lose the rest: treat it as none.
    m_text.clear();
    return;
  }
  const size_t first = m_text.find_first_not_of('\0');
  m_text.erase(0, first == std::string::npos ? m_text.size() : first);
}

void CIniText::Index()
{
  m_sections.clear();
  const size_t n = m_text.size();
  for (size_t pos = 0; pos < n; pos = NextLine(m_text, pos, n)) {
    if (m_text[pos] != '[')
      continue;
    Section s;
    s.header = pos;
    s.nameBegin = pos + 1;
    const size_t contentEnd = ContentEnd(m_text, pos + 1, n);
    s.nameEnd = contentEnd;
    for (size_t i = contentEnd; i > s.nameBegin; --i) {
      if (m_text[i - 1] == ']') {
        s.nameEnd = i - 1;
        break;
      }
    }
    s.body = NextLine(m_text, pos, n);
    s.end = n;
    if (!m_sections.empty())
      m_sections.back().end = pos;
    m_sections.push_back(s);
  }
}

const CIniText::Section* CIniText::Find(std::string_view name) const
{
  for (const Section& s : m_sections) {
    if (std::string_view(m_text.data() + s.nameBegin, s.nameEnd - s.nameBegin) == name)
      return &s;
  }
  return nullptr;
}

bool CIniText::FindValue(const Section& s, std::string_view key, size_t& begin, size_t& end) const
{
  for (size_t line = s.body; line < s.end; line = NextLine(m_text, line, s.end)) {
    const size_t contentEnd = ContentEnd(m_text, line, s.end);
    size_t k = line;
    while (k < contentEnd && m_text[k] != '=' && m_text[k] != ';')
      ++k;
    if (k == contentEnd || m_text[k] != '=')
      continue;  // no entry on this line
    if (std::string_view(m_text.data() + line, k - line) == key) {
      begin = k + 1;
      end = contentEnd;
      return true;
    }
  }
  return false;
}

bool CIniText::GetValue(std::string_view section, std::string_view key, std::string& value) const
{
  const Section* s = Find(section);
  size_t begin = 0;
  size_t end = 0;
  if (s == nullptr || !FindValue(*s, key, begin, end))
    return false;
  value.assign(m_text, begin, end - begin);
  return true;
}

std::string CIniText::GetString(std::string_view section, std::string_view key) const
{
  std::string value;
  GetValue(section, key, value);
  return value;
}

int32_t CIniText::GetInt(std::string_view section, std::string_view key) const
{
  const std::string value = GetString(section, key);
  return ParseSettingNumber(value.data(), value.data() + value.size());
}

bool CIniText::SetString(std::string_view section, std::string_view key, std::string_view value)
{
  if (section.find_first_of("\r\n") != std::string_view::npos)
    return false;
  if (key.empty() || key[0] == '[' || key.find_first_of("\r\n=;") != std::string_view::npos)
    return false;
  std::string line(value);
  for (char& c : line) {
    if (IsLineBreak(c))
      c = ' ';
  }

  const Section* s = Find(section);
  if (s == nullptr) {
    m_text.append("\r\n[").append(section).append("]\r\n");
    m_text.append(key).append("=").append(line).append("\r\n");
    Index();
    return true;
  }
  size_t begin = 0;
  size_t end = 0;
  if (FindValue(*s, key, begin, end)) {
    m_text.replace(begin, end - begin, line);
    Index();
    return true;
  }
  // After the last line with something on it, so the section's blank end
  // line stays between it and the next header.
  size_t at = s->body;
  for (size_t pos = s->body; pos < s->end; pos = NextLine(m_text, pos, s->end)) {
    const size_t contentEnd = ContentEnd(m_text, pos, s->end);
    if (!IsBlankLine(m_text, pos, contentEnd))
      at = NextLine(m_text, pos, s->end);
  }
  std::string entry;
  if (at > 0 && m_text[at - 1] != '\n')
    entry = "\r\n";  // the last line had no line break of its own
  entry.append(key).append("=").append(line).append("\r\n");
  m_text.insert(at, entry);
  Index();
  return true;
}

bool CIniText::SetInt(std::string_view section, std::string_view key, int32_t value)
{
  char text[16];
  snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return SetString(section, key, text);
}

bool CIniText::SectionName(int index, std::string& name) const
{
  if (index < 0 || index >= SectionCount())
    return false;
  const Section& s = m_sections[static_cast<size_t>(index)];
  name.assign(m_text, s.nameBegin, s.nameEnd - s.nameBegin);
  return true;
}

bool CIniText::DeleteSection(std::string_view section)
{
  const Section* s = Find(section);
  if (s == nullptr)
    return false;
  size_t begin = s->header;
  const size_t end = s->end;
  if (end == m_text.size() && begin > 0 && m_text[begin - 1] == '\n') {
    // The last section also takes the line break written in front of it.
    --begin;
    if (begin > 0 && m_text[begin - 1] == '\r')
      --begin;
  }
  m_text.erase(begin, end - begin);
  Index();
  return true;
}

bool CIniText::Save(const char* path) const
{
  const std::string target = path != nullptr ? std::string(path) : m_path;
  if (target.empty() || IsUnwritableTarget(target))
    return false;
  const std::string temp = target + ".tmp";
  FILE* file = fopen(temp.c_str(), "wb");
  if (file == nullptr)
    return false;
  bool ok = m_text.empty() || fwrite(m_text.data(), 1, m_text.size(), file) == m_text.size();
  ok = fflush(file) == 0 && ok;
  ok = ferror(file) == 0 && ok;
  ok = fclose(file) == 0 && ok;
  if (!ok || !ReplaceFile(temp, target)) {
    remove(temp.c_str());
    return false;
  }
  return true;
}
