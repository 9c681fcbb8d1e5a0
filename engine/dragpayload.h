// DragPayload: the 540-byte block that drag and drop, Copy and Paste move
// entries between panes with, the table of entry arrays it names, and the one
// check every reader makes before it trusts a block.
//
// The block travels through OLE and the clipboard, where any process (another
// running instance among them) can put one under the same format name. So it
// carries no pointer: offset 0 holds a token of this process's table, offset 16
// the producer's process id, and a reader takes entries only from a block that
// passes ValidateDragPayload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/listing.h"

constexpr size_t kPayloadPathLen = 260;
constexpr int kPayloadLocalSite = -1;
constexpr int kPayloadMaxSite = 199;

struct DragPayload {
  uint32_t m_entries;                  //   0 token of the entry array, 0 for none
  int32_t m_count;                     //   4 number of entries
  int32_t m_source;                    //   8 source site, -1 the local disk
  int32_t m_target;                    //  12 target site, -1 the local side (the receiver's)
  uint32_t m_producer;                 //  16 id of the process that made the block
  char m_sourcePath[kPayloadPathLen];  //  20 source folder, terminated
  char m_targetPath[kPayloadPathLen];  // 280 target folder, terminated (the receiver's)
};

static_assert(offsetof(DragPayload, m_entries) == 0, "payload layout");
static_assert(offsetof(DragPayload, m_count) == 4, "payload layout");
static_assert(offsetof(DragPayload, m_source) == 8, "payload layout");
static_assert(offsetof(DragPayload, m_target) == 12, "payload layout");
static_assert(offsetof(DragPayload, m_producer) == 16, "payload layout");
static_assert(offsetof(DragPayload, m_sourcePath) == 20, "payload layout");
static_assert(offsetof(DragPayload, m_targetPath) == 280, "payload layout");
static_assert(sizeof(DragPayload) == 540, "payload size on both targets");

// One selected list row as the producer reads it.
struct PayloadRow {
  const char* name;
  int64_t size;
  int32_t kind;
};

// ---- the process-wide table of entry arrays ----

// Takes an array of count entries (+ the empty end record, allocated with
// new[]) and gives its token, never 0. Null or a negative count: 0, nothing kept.
uint32_t RegisterPayloadEntries(EntryRecord* entries, int count);
// The live array of a token and its registered count; null for 0 or a token
// already released or never given out.
EntryRecord* ResolvePayloadEntries(uint32_t token, int* count);
// Deletes the array of a live token once; false for any other token.
bool ReleasePayloadEntries(uint32_t token);
// Arrays registered and not released (a test seam).
int LivePayloadArrays();

// ---- the codec ----

// The date text every entry of one payload carries: today's date with "%x".
std::string PayloadDateText();

// Fills out (zeroed first) from rows: the entries (name, size, kind, date,
// node 0) registered in the table, the count, the source site and path and
// producer. No rows: out stays zero, true. False, nothing registered, when the
// source path or a name does not fit its field (*tooLong gets it: never cut).
bool BuildDragPayload(DragPayload& out, const PayloadRow* rows, int count, int sourceSite, const char* sourcePath,
                      uint32_t producer, const char* dateText, std::string* tooLong);

// Whether text fits a terminated 260-byte field.
bool PayloadPathFits(const char* text);
// Into a 260-byte field; false, field untouched, when it does not fit.
bool SetPayloadPath(char (&field)[kPayloadPathLen], const char* text);

// The block's entries: data of size bytes must hold at least 540, come from
// producer, name a live token, a count of 0..the registered count, site words
// in -1..199 and both paths terminated within their fields. Then out gets the
// block and the result is its entries (*count set; count 0 gives the array
// too). Anything else: null, *count 0, out zeroed.
const EntryRecord* ValidateDragPayload(const void* data, size_t size, uint32_t producer, DragPayload* out,
                                       int* count);

// The release the clipboard routines call for the record this process last
// put there: its array goes, once.
void ReleasePayloadRecord(const void* record);

// Whether a drop or paste at (targetSite, targetPath) would put a folder of
// the payload into itself: same site, and the target equals or lies below
// source path + separator + the name of a folder entry. Server paths compare
// with case ("/"), local paths (site -1) without case ("\").
// The payload's entries come from its token (none: false).
bool TargetInsideSource(const DragPayload& payload, int targetSite, const char* targetPath);

// The error box text for a path that does not fit a field.
std::string PathTooLongText(const std::string& path);
