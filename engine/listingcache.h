// The listing cache: the last listing of a first-tree folder node kept on disk,
// so that selecting the node again needs only CWD and PWD. Also the listing
// generations that keep a stale listing out of a tree.
//
// File format (bytes, the same from every build):
//   "<count>" CR CR LF
//   per record: name CR date-or-"00:00:00" CR size CR attributes-or-"0" CR kind CR CR CR LF
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/listing.h"

// One counter per server tree (first, second). A listing task takes the next
// value when it is built and delivers only while the counter still holds it.
extern std::atomic<int32_t> g_listingGeneration;
extern std::atomic<int32_t> g_listingGeneration2;

// paneFlag 1: the first server tree, 0: the second.
std::atomic<int32_t>& ListingGenerationCounter(int paneFlag);
int32_t NextListingGeneration(int paneFlag);
bool IsListingGenerationCurrent(int paneFlag, int32_t generation);

// The node handle in signed decimal at the handle's own width.
std::string ListingCacheNodeText(intptr_t node);

// Cache folder immediately followed by the node number; empty when there is no
// cache folder (a bare number would land in the current folder).
std::string ListingCacheFileName(const char* cacheFolder, intptr_t node);

// Caching is on for the site (option digit 2 not '0') and it has a cache folder.
bool ListingCacheWanted(char optionDigit2, const char* cacheFolder);

// The file's bytes for the first `count` entries (empty names skipped; the count
// line gives the records written). False, leaving `out` alone, when a record
// cannot be stored: a name, date or attributes holding CR or LF.
bool FormatListingCache(const EntryRecord* entries, int count, std::string& out);

// The records of a cache file's bytes: an array of *count + 1 zeroed records
// (free with delete[]), null when the count is 0. *count is -1 and null is
// returned for anything that is not a whole, sound file.
EntryRecord* ParseListingCache(const char* data, size_t size, int* count);

// Writes the file: 1 when written, also when writing failed midway (errorText
// then holds the system's reason and the partial file is removed); 0 when the
// file could not be created or a record cannot be stored (no file is left then,
// so the next selection lists from the server).
int WriteListingCacheFile(const std::string& path, const EntryRecord* entries, int count,
                          std::string* errorText);

// Reads the file: as ParseListingCache; *count -1 when the file is missing or
// unreadable (errorText set only for a read error after opening).
EntryRecord* ReadListingCacheFile(const std::string& path, int* count, std::string* errorText);
