// EntryRecord and the listing parser: a folder listing as the server sent it
// (Unix long format, with or without the group column, or DOS/IIS) into an
// array of entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

constexpr int kEntryFile = 5;
constexpr int kEntryFolder = 7;

constexpr size_t kEntryNameLen = 256;
constexpr size_t kEntryDateLen = 20;
constexpr size_t kEntrySecondLen = 260;
constexpr size_t kEntryAttrLen = 12;

// One file or folder. Plain data; it never leaves the process (drag and drop
// carries only a pointer, the listing cache is text), so it holds a 64-bit size
// and a pointer-sized node. Arrays of it end with an entry whose name is empty.
struct EntryRecord {
  char m_name[kEntryNameLen];      //   0 NUL-terminated, never empty in an array
  char m_date[kEntryDateLen];      // 256 date and time as listed, joined by "-"
  char m_second[kEntrySecondLen];  // 276 per use: new name, CHMOD text, local or target path
  char m_attributes[kEntryAttrLen];  // 536 Unix permission column; empty for DOS lines
  alignas(8) int64_t m_size;       // 552 bytes (0 for DOS folders)
  int32_t m_kind;                  // 560 kEntryFile or kEntryFolder
  int32_t m_tag;                   // 564 0 from the parser; the search task's tag
  void* m_node;                    // 568 tree node or icon value set by the views
};

static_assert(std::is_trivially_copyable<EntryRecord>::value && std::is_standard_layout<EntryRecord>::value,
              "EntryRecord is plain data");
static_assert(offsetof(EntryRecord, m_name) == 0, "entry layout");
static_assert(offsetof(EntryRecord, m_date) == 256, "entry layout");
static_assert(offsetof(EntryRecord, m_second) == 276, "entry layout");
static_assert(offsetof(EntryRecord, m_attributes) == 536, "entry layout");
static_assert(offsetof(EntryRecord, m_size) == 552, "entry layout");
static_assert(offsetof(EntryRecord, m_kind) == 560, "entry layout");
static_assert(offsetof(EntryRecord, m_tag) == 564, "entry layout");
static_assert(offsetof(EntryRecord, m_node) == 568, "entry layout");
static_assert(sizeof(EntryRecord) == 576, "entry size on both targets");

// The most bytes of one listing a connection collects: a server that sends
// more has its listing dropped (and the operation fails) before it can exhaust
// memory. Real folders of a couple of hundred thousand entries fit.
constexpr size_t kListingBlockLimit = 16u * 1024 * 1024;

// Lines of at least 30 characters (counting a CR before the LF), without their
// line end, in order. Shorter lines (the total line, blank lines, folder headers
// of a recursive listing) are left out.
void SplitListingLines(const char* text, std::vector<std::string>& lines);

// The entries of a listing: one block of (n + 1) zeroed records for the n lines
// that passed the length test, filled in order with the accepted ones (the rest
// stay empty and end the array). Free it with delete[]. Returns null, leaving
// *count alone, when no line passed; otherwise *count (when given) receives the
// number of entries. Lines that name nothing usable (".", "..", symbolic links
// and special files, a name over 255 bytes or holding a 0x0C byte) are dropped,
// and so are lines of neither style (a DOS line starts with its date). When
// memory runs out the result is null with *count 0.
EntryRecord* ParseListing(const char* text, int* count);
