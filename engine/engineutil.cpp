// Transfer type and file-list rows.
#include "engine/engineutil.h"

#include <cstring>
#include <new>

#include "shell/settings/settings.h"

namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c; }

}  // namespace

void CopyRowText(char* field, size_t width, const char* src, size_t srcWidth)
{
  if (field == nullptr || width == 0)
    return;
  const size_t n = src == nullptr ? 0 : strnlen(src, srcWidth);
  size_t used = 0;
  while (used < n) {
    const size_t len = (FwIsLeadByte((BYTE)src[used]) && used + 1 < n) ? 2 : 1;
    if (used + len > width - 1)
      break;
    used += len;
  }
  memcpy(field, src, used);
  field[used] = '\0';
}

CString GetTransferTypeText(const char* path, int transferType, const char* asciiList)
{
  if (transferType == 1)
    return CString("A");
  if (transferType != 0 || path == nullptr || asciiList == nullptr)
    return CString("I");
  // The extension of the file name only: a dot in a folder name is no extension.
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\' || *p == '/')
      name = p + 1;
  }
  const char* dot = strrchr(name, '.');
  if (dot == nullptr || dot[1] == '\0')
    return CString("I");
  const size_t extLength = strlen(dot);
  // Each list entry starts with its dot; a match must also end where the entry
  // does, at the next dot or the end of the list.
  for (const char* entry = strchr(asciiList, '.'); entry != nullptr; entry = strchr(entry + 1, '.')) {
    size_t i = 0;
    while (i < extLength && entry[i] != '\0' && UpperAscii(entry[i]) == UpperAscii(dot[i]))
      ++i;
    if (i == extLength && (entry[i] == '.' || entry[i] == '\0'))
      return CString("A");
  }
  return CString("I");
}

CString GetTransferTypeText(const char* path)
{
  return GetTransferTypeText(path, g_transferType, g_asciiExtensions);
}

IMPLEMENT_DYNAMIC(CFileListItem, CObject)

CFileListItem::CFileListItem() : m_pNext(nullptr), m_size(0), m_kind(0), m_icon(-1), m_icon2(-1)
{
  m_name[0] = '\0';
  m_date[0] = '\0';
  m_displayName[0] = '\0';
  m_attributes[0] = '\0';
}

CFileListItem* NewFileListItem(CFileListItem* next, const EntryRecord* entry)
{
  if (entry == nullptr)
    return next;
  CFileListItem* row = new (std::nothrow) CFileListItem;
  if (row == nullptr)
    return next;
  CopyRowText(row->m_name, sizeof(row->m_name), entry->m_name, sizeof(entry->m_name));
  if (entry->m_date[0] != '\0')
    CopyRowText(row->m_date, sizeof(row->m_date), entry->m_date, sizeof(entry->m_date));
  if (entry->m_second[0] != '\0')
    CopyRowText(row->m_displayName, sizeof(row->m_displayName), entry->m_second, sizeof(entry->m_second));
  if (entry->m_attributes[0] != '\0')
    CopyRowText(row->m_attributes, sizeof(row->m_attributes), entry->m_attributes,
                sizeof(entry->m_attributes));
  row->m_size = entry->m_size;
  row->m_kind = entry->m_kind;
  row->m_pNext = next;
  row->m_icon2 = entry->m_tag;
  return row;
}

CString FormatSize64(uint64_t value)
{
  static const char* const kUnits[] = {"Bytes", "KBytes", "MBytes", "GBytes", "TBytes"};
  int unit = 0;
  while (unit < 4 && (value >> (10 * (unit + 1))) != 0)
    ++unit;
  const int shift = 10 * unit;
  const uint64_t whole = value >> shift;
  // The remainder is below 2^40, so a hundred times it still fits.
  const uint64_t hundredths = shift == 0 ? 0 : ((value & ((uint64_t(1) << shift) - 1)) * 100) >> shift;
  CString text;
  text.Format("%llu.%02llu %s", (unsigned long long)whole, (unsigned long long)hundredths, kUnits[unit]);
  return text;
}
