#include "engine/listingcache.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

std::atomic<int32_t> g_listingGeneration{0};
std::atomic<int32_t> g_listingGeneration2{0};

std::atomic<int32_t>& ListingGenerationCounter(int paneFlag)
{
  return paneFlag == 1 ? g_listingGeneration : g_listingGeneration2;
}

int32_t NextListingGeneration(int paneFlag)
{
  // Wraps like the 32-bit interlocked increment; only equality matters.
  return static_cast<int32_t>(static_cast<uint32_t>(ListingGenerationCounter(paneFlag).fetch_add(1)) + 1u);
}

bool IsListingGenerationCurrent(int paneFlag, int32_t generation)
{
  return ListingGenerationCounter(paneFlag).load() == generation;
}

std::string ListingCacheNodeText(intptr_t node)
{
  char text[32];
  std::snprintf(text, sizeof(text), "%" PRIdPTR, node);
  return text;
}

std::string ListingCacheFileName(const char* cacheFolder, intptr_t node)
{
  if (cacheFolder == nullptr || cacheFolder[0] == '\0')
    return std::string();
  return std::string(cacheFolder) + ListingCacheNodeText(node);
}

bool ListingCacheWanted(char optionDigit2, const char* cacheFolder)
{
  return optionDigit2 != '0' && cacheFolder != nullptr && cacheFolder[0] != '\0';
}

namespace {

// A fixed field's text, never reading past its end.
std::string FieldText(const char* field, size_t size)
{
  return std::string(field, strnlen(field, size));
}

bool HasLineBreak(const std::string& text)
{
  return text.find_first_of("\r\n") != std::string::npos;
}

const size_t kMaxCacheFileBytes = size_t(1) << 30;

bool ParseDecimal(const std::string& text, long long low, long long high, long long* value)
{
  if (text.empty())
    return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size() || v < low || v > high)
    return false;
  *value = v;
  return true;
}

// A line without its line end (any CRs before the LF, which the format puts there).
std::string StripLineEnd(const char* begin, const char* end)
{
  while (end > begin && (end[-1] == '\n' || end[-1] == '\r'))
    --end;
  return std::string(begin, end);
}

}  // namespace

bool FormatListingCache(const EntryRecord* entries, int count, std::string& out)
{
  std::string body;
  int written = 0;
  for (int i = 0; entries != nullptr && i < count; ++i) {
    const EntryRecord& e = entries[i];
    std::string name = FieldText(e.m_name, sizeof(e.m_name));
    if (name.empty())
      continue;
    std::string date = FieldText(e.m_date, sizeof(e.m_date));
    std::string attributes = FieldText(e.m_attributes, sizeof(e.m_attributes));
    // A line break inside a field would split the record on reading.
    if (HasLineBreak(name) || HasLineBreak(date) || HasLineBreak(attributes))
      return false;
    char numbers[64];
    std::snprintf(numbers, sizeof(numbers), "%" PRId64 "\r", static_cast<int64_t>(e.m_size));
    body += name;
    body += '\r';
    body += date.empty() ? std::string("00:00:00") : date;
    body += '\r';
    body += numbers;
    body += attributes.empty() ? std::string("0") : attributes;
    body += '\r';
    std::snprintf(numbers, sizeof(numbers), "%d", static_cast<int>(e.m_kind));
    body += numbers;
    body += "\r\r\r\n";
    ++written;
  }
  char head[32];
  std::snprintf(head, sizeof(head), "%d\r\r\n", written);
  out = head + body;
  return true;
}

EntryRecord* ParseListingCache(const char* data, size_t size, int* count)
{
  int dummy = 0;
  if (count == nullptr)
    count = &dummy;
  *count = -1;
  if (data == nullptr || size == 0)
    return nullptr;

  // Split into lines at LF; the last one may lack its LF.
  std::vector<std::pair<const char*, const char*>> lines;
  const char* p = data;
  const char* end = data + size;
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* lineEnd = lf ? lf + 1 : end;
    lines.emplace_back(p, lineEnd);
    p = lineEnd;
  }

  long long declared = 0;
  if (!ParseDecimal(StripLineEnd(lines[0].first, lines[0].second), 0, INT32_MAX - 1, &declared))
    return nullptr;
  if (static_cast<unsigned long long>(declared) > lines.size() - 1)
    return nullptr;
  if (declared == 0) {
    *count = 0;
    return nullptr;
  }

  const size_t n = static_cast<size_t>(declared);
  EntryRecord* entries = new (std::nothrow) EntryRecord[n + 1]();
  if (entries == nullptr)
    return nullptr;
  for (size_t i = 0; i < n; ++i) {
    std::string line = StripLineEnd(lines[i + 1].first, lines[i + 1].second);
    // A NUL would silently cut a field short.
    if (line.find('\0') != std::string::npos) {
      delete[] entries;
      return nullptr;
    }
    // Fields split at CR; empty ones are skipped as the format never writes one.
    std::vector<std::string> fields;
    size_t start = 0;
    while (start <= line.size()) {
      size_t cr = line.find('\r', start);
      if (cr == std::string::npos)
        cr = line.size();
      if (cr > start)
        fields.emplace_back(line, start, cr - start);
      start = cr + 1;
    }
    long long size64 = 0;
    long long kind = 0;
    bool ok = fields.size() >= 5 && fields[0].size() < kEntryNameLen && fields[1].size() < kEntryDateLen &&
              fields[3].size() < kEntryAttrLen && ParseDecimal(fields[2], INT64_MIN, INT64_MAX, &size64) &&
              ParseDecimal(fields[4], INT32_MIN, INT32_MAX, &kind);
    if (!ok) {
      delete[] entries;
      return nullptr;
    }
    EntryRecord& e = entries[i];
    std::memcpy(e.m_name, fields[0].data(), fields[0].size());
    std::memcpy(e.m_date, fields[1].data(), fields[1].size());
    e.m_size = size64;
    if (fields[3][0] != '0')
      std::memcpy(e.m_attributes, fields[3].data(), fields[3].size());
    e.m_kind = static_cast<int32_t>(kind);
  }
  *count = static_cast<int>(n);
  return entries;
}

int WriteListingCacheFile(const std::string& path, const EntryRecord* entries, int count,
                          std::string* errorText)
{
  if (errorText != nullptr)
    errorText->clear();
  if (path.empty())
    return 0;
  std::string bytes;
  if (!FormatListingCache(entries, count, bytes)) {
    // An older file of the node would now be stale.
    std::remove(path.c_str());
    return 0;
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    return 0;
  errno = 0;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    // A cut file would read as unsound anyway; leave none.
    std::remove(path.c_str());
    if (errorText != nullptr)
      *errorText = std::strerror(error != 0 ? error : EIO);
  }
  return 1;
}

EntryRecord* ReadListingCacheFile(const std::string& path, int* count, std::string* errorText)
{
  int dummy = 0;
  if (count == nullptr)
    count = &dummy;
  *count = -1;
  if (errorText != nullptr)
    errorText->clear();
  if (path.empty())
    return nullptr;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return nullptr;
  std::string bytes;
  char buffer[16384];
  bool failed = false;
  for (;;) {
    size_t got = std::fread(buffer, 1, sizeof(buffer), file);
    bytes.append(buffer, got);
    if (bytes.size() > kMaxCacheFileBytes) {
      std::fclose(file);
      return nullptr;
    }
    if (got < sizeof(buffer)) {
      failed = std::ferror(file) != 0;
      break;
    }
  }
  int error = errno;
  std::fclose(file);
  if (failed) {
    if (errorText != nullptr)
      *errorText = std::strerror(error != 0 ? error : EIO);
    return nullptr;
  }
  return ParseListingCache(bytes.data(), bytes.size(), count);
}
