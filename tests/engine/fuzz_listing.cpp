// Any bytes as a listing: no crash, and every entry names a plain file or
// folder the program can act on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string text(reinterpret_cast<const char*>(data), size);  // cut at a NUL like the receiver
  int count = -1;
  EntryRecord* entries = ParseListing(text.c_str(), &count);
  if (entries == nullptr) {
    if (count != -1)
      abort();
    return 0;
  }
  if (count < 0)
    abort();
  for (int i = 0; i < count; ++i) {
    const EntryRecord& e = entries[i];
    const size_t n = strnlen(e.m_name, sizeof(e.m_name));
    if (n == 0 || n > 255 || strcmp(e.m_name, ".") == 0 || strcmp(e.m_name, "..") == 0)
      abort();
    if (memchr(e.m_name, '\x0C', n) != nullptr)
      abort();
    if (strnlen(e.m_date, sizeof(e.m_date)) == sizeof(e.m_date) ||
        strnlen(e.m_attributes, sizeof(e.m_attributes)) == sizeof(e.m_attributes))
      abort();
    if ((e.m_kind != kEntryFile && e.m_kind != kEntryFolder) || e.m_size < 0)
      abort();
    // Only plain files and folders: links and special files are never listed,
    // and a DOS line starts with its date.
    const char type = e.m_attributes[0];
    if (type != '\0' ? (type != '-' && type != 'd' && type != 'D') : (e.m_date[0] < '0' || e.m_date[0] > '9'))
      abort();
  }
  if (entries[count].m_name[0] != '\0')
    abort();
  delete[] entries;
  return 0;
}
