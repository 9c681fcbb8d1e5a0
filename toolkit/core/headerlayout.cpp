#include "toolkit/headerlayout.h"

#include <cstdlib>
#include <cstring>

#include "framework/file.h"

const char kListLayoutSection[] = "ListCtrls";

void StoreHeaderLayout(CArchive& ar, const std::vector<int>& widths) {
  ar << (int)widths.size();
  for (int w : widths)
    ar << w;
}

BOOL LoadHeaderLayout(CArchive& ar, int itemCount, std::vector<int>* widths) {
  try {
    int n = 0;
    ar >> n;
    if (n != itemCount || n < 0)
      return FALSE;
    // A value shorter than its count changes nothing.
    if (ar.GetRemainingLength() < (ULONGLONG)n * 4)
      return FALSE;
    std::vector<int> read((size_t)n);
    for (int& w : read) {
      ar >> w;
      if (w < 0)
        w = 0;
    }
    widths->swap(read);
    return TRUE;
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
}

std::vector<BYTE> HeaderLayoutBytes(const std::vector<int>& widths) {
  CMemFile file(kLayoutFileGrowth);
  {
    CArchive ar(&file, CArchive::store, kLayoutArchiveBuffer);
    StoreHeaderLayout(ar, widths);
    ar.Close();
  }
  const UINT size = (UINT)file.GetLength();
  BYTE* block = file.Detach();
  std::vector<BYTE> bytes(block, block + size);
  free(block);
  return bytes;
}

BOOL HeaderLayoutFromBytes(const BYTE* data, UINT size, int itemCount, std::vector<int>* widths) {
  if (data == nullptr || size == 0)
    return FALSE;
  // The memory file reads a block it never writes or frees here.
  CMemFile file(const_cast<BYTE*>(data), size);
  CArchive ar(&file, CArchive::load, kLayoutArchiveBuffer);
  BOOL ok = LoadHeaderLayout(ar, itemCount, widths);
  ar.Close();
  return ok;
}
