// The saved header layout of a list: int32 n, then n int32 widths, as the byte
// stream of an archive. Stored per list in the profile, section "ListCtrls",
// entry "%d" of the list's control id.
#pragma once

#include <vector>

#include "framework/archive.h"

extern const char kListLayoutSection[];  // "ListCtrls"

constexpr UINT kLayoutFileGrowth = 1024;
constexpr int kLayoutArchiveBuffer = 4096;

// Writes n and the widths.
void StoreHeaderLayout(CArchive& ar, const std::vector<int>& widths);
// Reads a layout for a header of itemCount items into *widths, every width
// before any is used: FALSE (and *widths untouched) when the stored count
// differs or the value ends early. A negative width reads as 0.
BOOL LoadHeaderLayout(CArchive& ar, int itemCount, std::vector<int>* widths);

// The whole value as the profile holds it, through a memory file and an archive.
std::vector<BYTE> HeaderLayoutBytes(const std::vector<int>& widths);
BOOL HeaderLayoutFromBytes(const BYTE* data, UINT size, int itemCount, std::vector<int>* widths);
