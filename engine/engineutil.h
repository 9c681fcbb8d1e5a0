// Small routines the engine, the shell and the views share: the transfer type of
// a file, numbers with thousands separators, and the file-list row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/listing.h"
#include "engine/thousands.h"
#include "framework/fwstring.h"
#include "framework/object.h"

// The TYPE argument for a path: "A" or "I". Type 1 gives "A"; type 0
// (Auto-Detect) gives "A" when the extension of the path's file name is a whole
// entry of the ASCII list (".C" is not ".CPP"); any other type gives "I".
CString GetTransferTypeText(const char* path);
// The same decision with the type and the list given (tests, callers with their
// own settings).
CString GetTransferTypeText(const char* path, int transferType, const char* asciiList);

// A byte count in the largest of Bytes, KBytes, MBytes, GBytes and TBytes that
// gives at least 1, with two decimals cut (not rounded): 1536 "1.50 KBytes".
CString FormatSize64(uint64_t value);

constexpr size_t kFileRowNameLen = 260;
constexpr size_t kFileRowDateLen = 20;
constexpr size_t kFileRowAttrLen = 12;

// Copies a possibly unterminated text of srcWidth bytes into a field of width
// bytes: cut before a character that does not fit whole, always terminated.
void CopyRowText(char* field, size_t width, const char* src, size_t srcWidth);

// One row of a file-list control.
class CFileListItem : public CObject {
  DECLARE_DYNAMIC(CFileListItem)
public:
  CFileListItem();  // texts empty, no next row, icons -1

  char m_name[kFileRowNameLen];
  char m_date[kFileRowDateLen];
  char m_displayName[kFileRowNameLen];
  char m_attributes[kFileRowAttrLen];
  CFileListItem* m_pNext;  // next row of a chain, null when none
  int64_t m_size;
  int32_t m_kind;          // kEntryFile, kEntryFolder (and the views' own kinds)
  int32_t m_icon;          // -1: not looked up
  int32_t m_icon2;         // second icon value, -1 by default
};

// A new row filled from an entry (name; date, display name from the entry's
// second text and attributes when they are not empty; size; kind; second icon
// value from the entry's tag), chained in front of next. Returns next itself
// when no memory is left.
CFileListItem* NewFileListItem(CFileListItem* next, const EntryRecord* entry);
