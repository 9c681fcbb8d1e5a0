// Any bytes as a listing cache file: no crash, and whatever parses writes back
// to bytes that parse to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "engine/listingcache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  int count = 0;
  std::unique_ptr<EntryRecord[]> entries(ParseListingCache(reinterpret_cast<const char*>(data), size, &count));
  if (entries == nullptr)
    return 0;
  std::string bytes;
  if (!FormatListingCache(entries.get(), count, bytes))
    return 0;
  int again = 0;
  std::unique_ptr<EntryRecord[]> back(ParseListingCache(bytes.data(), bytes.size(), &again));
  if (again != count || back == nullptr)
    std::abort();
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(back[i].m_name, entries[i].m_name) != 0 || back[i].m_size != entries[i].m_size ||
        back[i].m_kind != entries[i].m_kind)
      std::abort();
  }
  return 0;
}
