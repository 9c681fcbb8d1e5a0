#include "shell/funcview/core/queuefile.h"

#include <cctype>
#include <cstdio>
#include <string>

#include "engine/planitem.h"
#include "framework/archive.h"
#include "framework/file.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool ReplaceFile(const std::string& from, const std::string& to)
{
#ifdef _WIN32
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

void RemoveQuietly(const std::string& path)
{
  try {
    CFile::Remove(path.c_str());
  } catch (CException* e) {
    e->Delete();
  }
}

// All of the file's items or none; false when it cannot be opened (*opened
// false) or does not load.
bool LoadAll(const char* path, CObArray& items, bool* opened, bool* empty)
{
  CFile file;
  *opened = file.Open(path, CFile::modeRead | CFile::shareDenyWrite) != FALSE;
  *empty = false;
  if (!*opened)
    return false;
  try {
    if (file.GetLength() == 0) {
      *empty = true;
      return true;
    }
    CArchive ar(&file, CArchive::load);
    LoadPlanItems(ar, items);
    return true;
  } catch (CException* e) {
    e->Delete();
    return false;
  }
}

bool WriteItems(const std::string& path, const CObArray& items)
{
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive))
    return false;
  try {
    {
      CArchive ar(&file, CArchive::store);
      StorePlanItems(ar, items);
      ar.Close();
    }
    file.Flush();
    file.Close();
    return true;
  } catch (CException* e) {
    e->Delete();
    file.Abort();
    return false;
  }
}

}  // namespace

QueueFileLoad LoadQueueFile(const char* path, CObArray& items)
{
  if (path == nullptr || *path == '\0')
    return QueueFileLoad::kMissing;
  bool opened = false, empty = false;
  if (LoadAll(path, items, &opened, &empty))
    return empty ? QueueFileLoad::kEmpty : QueueFileLoad::kLoaded;
  if (!opened)
    return QueueFileLoad::kMissing;
  // Kept for the user to look at; the next save starts a new file.
  ReplaceFile(path, std::string(path) + ".damaged");
  return QueueFileLoad::kDamaged;
}

bool SaveQueueFile(const char* path, const CObArray& items, bool dropFinished)
{
  if (path == nullptr || *path == '\0')
    return true;
  CObArray kept;
  for (INT_PTR i = 0; i < items.GetSize(); ++i) {
    CPlanItem* item = static_cast<CPlanItem*>(items.GetAt(i));
    if (dropFinished && (item == nullptr || StatusOf(item) == PLAN_FINISHED))
      continue;
    kept.Add(item);
  }
  const std::string temp = std::string(path) + ".tmp";
  if (!WriteItems(temp, kept)) {
    RemoveQuietly(temp);
    return false;
  }
  if (!ReplaceFile(temp, path)) {
    RemoveQuietly(temp);
    return false;
  }
  return true;
}

const char kPlanFileDamagedText[] = "The plan file is damaged or is not a plan file; nothing was imported.";

PlanFileRead ReadPlanFile(const char* path, CObArray& items, int* added)
{
  *added = 0;
  CObArray loaded;
  bool opened = false, empty = false;
  if (!LoadAll(path, loaded, &opened, &empty))
    return opened ? PlanFileRead::kDamaged : PlanFileRead::kCannotOpen;
  *added = static_cast<int>(loaded.GetSize());
  items.Append(loaded);
  return PlanFileRead::kLoaded;
}

bool WritePlanFile(const char* path, const CObArray& items)
{
  return path != nullptr && *path != '\0' && SaveQueueFile(path, items, false);
}

bool SamePlanPath(const char* a, const char* b)
{
  if (a == nullptr || b == nullptr)
    return false;
  for (;; ++a, ++b) {
    const int ca = std::tolower(static_cast<unsigned char>(*a == '/' ? '\\' : *a));
    const int cb = std::tolower(static_cast<unsigned char>(*b == '/' ? '\\' : *b));
    if (ca != cb)
      return false;
    if (ca == 0)
      return true;
  }
}

bool QueueFileState::Flush(const char* path, const CObArray& items, bool dropFinished)
{
  if (!m_dirty)
    return true;
  if (SaveQueueFile(path, items, dropFinished))
    m_dirty = false;
  return !m_dirty;
}
