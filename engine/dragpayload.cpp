#include "engine/dragpayload.h"

#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

#include "engine/s2spath.h"
#include "framework/fwstring.h"

namespace {

struct PayloadArray {
  EntryRecord* entries;
  int count;
};

// Tokens only grow, so a released token never names a later array; 0 is
// skipped when the counter wraps.
std::mutex g_tableLock;
std::map<uint32_t, PayloadArray> g_table;
uint32_t g_nextToken = 0;

bool Terminated(const char* field, size_t size) { return memchr(field, '\0', size) != nullptr; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }

// Equal without case for ASCII letters; a double-byte character compares whole.
bool SameNoCase(const char* a, const char* b, size_t n)
{
  for (size_t i = 0; i < n;) {
    int len = FwCharLen(a + i);
    if (len <= 0)
      return b[i] == '\0';
    if (len == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1])
        return false;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
    i += (size_t)len;
  }
  return true;
}

// Local form of RemotePathWithin: path is root or lies below root + "\".
bool LocalPathWithin(const std::string& path, std::string root)
{
  while (root.size() > 1 && root.back() == '\\')
    root.pop_back();
  std::string p = path;
  while (p.size() > root.size() && p.back() == '\\')
    p.pop_back();
  if (root.empty() || p.size() < root.size() || !SameNoCase(p.c_str(), root.c_str(), root.size()))
    return false;
  return p.size() == root.size() || p[root.size()] == '\\' || root.back() == '\\';
}

}  // namespace

uint32_t RegisterPayloadEntries(EntryRecord* entries, int count)
{
  if (entries == nullptr || count < 0)
    return 0;
  std::lock_guard<std::mutex> lock(g_tableLock);
  do {
    ++g_nextToken;
  } while (g_nextToken == 0 || g_table.count(g_nextToken) != 0);
  g_table[g_nextToken] = PayloadArray{entries, count};
  return g_nextToken;
}

EntryRecord* ResolvePayloadEntries(uint32_t token, int* count)
{
  std::lock_guard<std::mutex> lock(g_tableLock);
  auto it = token != 0 ? g_table.find(token) : g_table.end();
  if (count != nullptr)
    *count = it != g_table.end() ? it->second.count : 0;
  return it != g_table.end() ? it->second.entries : nullptr;
}

bool ReleasePayloadEntries(uint32_t token)
{
  EntryRecord* entries = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_tableLock);
    auto it = token != 0 ? g_table.find(token) : g_table.end();
    if (it == g_table.end())
      return false;
    entries = it->second.entries;
    g_table.erase(it);
  }
  delete[] entries;
  return true;
}

int LivePayloadArrays()
{
  std::lock_guard<std::mutex> lock(g_tableLock);
  return (int)g_table.size();
}

std::string PayloadDateText()
{
  time_t now = time(nullptr);
  struct tm local = {};
#if defined(_WIN32)
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[kEntryDateLen] = {};
  if (strftime(text, sizeof text, "%x", &local) == 0)
    text[0] = '\0';
  return text;
}

bool PayloadPathFits(const char* text) { return text != nullptr && strlen(text) < kPayloadPathLen; }

bool SetPayloadPath(char (&field)[kPayloadPathLen], const char* text)
{
  if (!PayloadPathFits(text))
    return false;
  memset(field, 0, sizeof field);
  memcpy(field, text, strlen(text));
  return true;
}

bool BuildDragPayload(DragPayload& out, const PayloadRow* rows, int count, int sourceSite, const char* sourcePath,
                      uint32_t producer, const char* dateText, std::string* tooLong)
{
  memset(&out, 0, sizeof out);
  if (rows == nullptr || count <= 0)
    return true;
  if (!PayloadPathFits(sourcePath)) {
    if (tooLong != nullptr)
      *tooLong = sourcePath != nullptr ? sourcePath : "";
    return false;
  }
  for (int i = 0; i < count; ++i) {
    const char* name = rows[i].name != nullptr ? rows[i].name : "";
    // The path a receiver builds from the entry must fit too.
    if (strlen(name) >= kEntryNameLen || strlen(sourcePath) + 1 + strlen(name) >= kPayloadPathLen) {
      if (tooLong != nullptr)
        *tooLong = std::string(sourcePath) + (sourceSite == kPayloadLocalSite ? "\\" : "/") + name;
      return false;
    }
  }
  EntryRecord* entries = new EntryRecord[(size_t)count + 1]();
  const size_t dateLen = dateText != nullptr ? strnlen(dateText, kEntryDateLen - 1) : 0;
  for (int i = 0; i < count; ++i) {
    EntryRecord& e = entries[i];
    if (rows[i].name != nullptr)
      memcpy(e.m_name, rows[i].name, strlen(rows[i].name));
    if (dateLen != 0)
      memcpy(e.m_date, dateText, dateLen);
    e.m_size = rows[i].size;
    e.m_kind = rows[i].kind;
    e.m_node = nullptr;
  }
  out.m_entries = RegisterPayloadEntries(entries, count);
  out.m_count = count;
  out.m_source = sourceSite;
  out.m_producer = producer;
  SetPayloadPath(out.m_sourcePath, sourcePath);
  return true;
}

const EntryRecord* ValidateDragPayload(const void* data, size_t size, uint32_t producer, DragPayload* out, int* count)
{
  DragPayload block = {};
  if (count != nullptr)
    *count = 0;
  if (out != nullptr)
    memset(out, 0, sizeof *out);
  if (data == nullptr || size < sizeof block)
    return nullptr;
  memcpy(&block, data, sizeof block);
  if (block.m_producer != producer || block.m_count < 0)
    return nullptr;
  if (block.m_source < kPayloadLocalSite || block.m_source > kPayloadMaxSite || block.m_target < kPayloadLocalSite ||
      block.m_target > kPayloadMaxSite)
    return nullptr;
  if (!Terminated(block.m_sourcePath, sizeof block.m_sourcePath) ||
      !Terminated(block.m_targetPath, sizeof block.m_targetPath))
    return nullptr;
  int registered = 0;
  const EntryRecord* entries = ResolvePayloadEntries(block.m_entries, &registered);
  if (entries == nullptr || block.m_count > registered)
    return nullptr;
  if (out != nullptr)
    *out = block;
  if (count != nullptr)
    *count = block.m_count;
  return entries;
}

void ReleasePayloadRecord(const void* record)
{
  if (record == nullptr)
    return;
  uint32_t token = 0;
  memcpy(&token, record, sizeof token);
  ReleasePayloadEntries(token);
}

bool TargetInsideSource(const DragPayload& payload, int targetSite, const char* targetPath)
{
  if (targetSite != payload.m_source || targetPath == nullptr ||
      !Terminated(payload.m_sourcePath, sizeof payload.m_sourcePath))
    return false;
  int registered = 0;
  const EntryRecord* entries = ResolvePayloadEntries(payload.m_entries, &registered);
  if (entries == nullptr)
    return false;
  const int count = payload.m_count < registered ? payload.m_count : registered;
  const bool local = payload.m_source == kPayloadLocalSite;
  const std::string source(payload.m_sourcePath);
  for (int i = 0; i < count; ++i) {
    if (entries[i].m_kind != kEntryFolder || entries[i].m_name[0] == '\0')
      continue;
    const std::string name(entries[i].m_name, strnlen(entries[i].m_name, kEntryNameLen));
    if (local) {
      std::string folder = source;
      if (folder.empty() || folder.back() != '\\')
        folder += '\\';
      if (LocalPathWithin(targetPath, folder + name))
        return true;
    } else if (RemotePathWithin(targetPath, S2sJoinPath(source, name))) {
      return true;
    }
  }
  return false;
}

std::string PathTooLongText(const std::string& path)
{
  return "The path is too long for this operation:\r\n" + path;
}
