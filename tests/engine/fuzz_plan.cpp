// Any bytes as a plan file: no crash or leak; a failed load raises the archive
// error and keeps nothing; a good load stores and reloads to the same items.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/planitem.h"
#include "framework/afx.h"

namespace {

void FreeItems(CObArray& items)
{
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    delete items.GetAt(i);
  items.RemoveAll();
}

// Loads bytes into items; false when the archive refused them.
bool Load(const std::vector<BYTE>& bytes, CObArray& items)
{
  std::vector<BYTE> copy(bytes);
  CMemFile file(copy.empty() ? nullptr : copy.data(), (UINT)copy.size());
  CArchive ar(&file, CArchive::load);
  try {
    LoadPlanItems(ar, items);
    return true;
  } catch (CArchiveException* e) {
    e->Delete();
  } catch (CFileException* e) {
    e->Delete();
  }
  return false;
}

std::vector<BYTE> Store(CObArray& items)
{
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    StorePlanItems(ar, items);
    ar.Close();
  }
  const BYTE* p = file.GetBufferPtr();
  return std::vector<BYTE>(p, p + file.GetLength());
}

bool SameItem(const CPlanItem& a, const CPlanItem& b)
{
  return strcmp(a.m_localPath, b.m_localPath) == 0 && strcmp(a.m_remotePath, b.m_remotePath) == 0 &&
         strcmp(a.m_fileName, b.m_fileName) == 0 && strcmp(a.m_direction, b.m_direction) == 0 &&
         strcmp(a.m_host, b.m_host) == 0 && strcmp(a.m_user, b.m_user) == 0 &&
         strcmp(a.m_password, b.m_password) == 0 && a.m_port == b.m_port && a.m_passive == b.m_passive &&
         a.m_kind == b.m_kind && a.m_status == b.m_status && a.m_anonymous == b.m_anonymous &&
         a.m_failAction == b.m_failAction && a.m_fileSize == b.m_fileSize;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  CObArray items;
  if (!Load(std::vector<BYTE>(data, data + size), items)) {
    if (items.GetSize() != 0)
      abort();
    return 0;
  }
  CObArray again;
  if (!Load(Store(items), again) || again.GetSize() != items.GetSize())
    abort();
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    if (!SameItem(*static_cast<CPlanItem*>(items.GetAt(i)), *static_cast<CPlanItem*>(again.GetAt(i))))
      abort();
  }
  FreeItems(again);
  FreeItems(items);
  return 0;
}
