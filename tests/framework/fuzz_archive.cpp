// Loads arbitrary bytes as a stored array of test items, the way stored queues and
// site lists are loaded: it must end normally or with a CArchiveException, never
// crash, over-read or leak.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

#include "framework/afx.h"
#include "tests/framework/test_item.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  BYTE* block = static_cast<BYTE*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(block, data, size);
  CMemFile file(block, (UINT)size);
  CObArray items;
  try {
    CArchive ar(&file, CArchive::load);
    DWORD n = ar.ReadCount();
    ar.EnsureRemaining((ULONGLONG)n * 2);
    items.SetSize(n);
    for (DWORD i = 0; i < n; ++i) {
      CTestItem* p = nullptr;
      ar >> p;
      items[i] = p;
    }
    CString tail;
    ar >> tail;
  } catch (CArchiveException* e) {
    e->Delete();
  } catch (CException* e) {
    // Only the archive may complain about its input.
    e->Delete();
    std::abort();
  }
  std::set<CObject*> seen;
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    if (items[i] && seen.insert(items[i]).second) delete items[i];
  file.Close();
  std::free(block);
  return 0;
}
