#include "engine/progtask.h"

#include <cstring>
#include <string>

void ApplyRemoteFolder(char* path, size_t size, const char* remoteFolder, bool emptyFolderCase)
{
  if (path == nullptr || size == 0)
    return;
  const char* folder = remoteFolder != nullptr ? remoteFolder : "";
  std::string result;
  if (std::strcmp(path, "/") == 0 && folder[0] == '\0')
    result = emptyFolderCase ? "" : "/";
  else if (std::strstr(path, folder) != nullptr)
    return;
  else if (std::strcmp(path, "/") == 0)
    result = folder;
  else
    result = std::string(folder) + path;
  if (result.size() >= size)
    return;
  std::memcpy(path, result.c_str(), result.size() + 1);
}

bool TaskFirstPathIsRemote(int task)
{
  return task != TASK_CHANGE_PASSWORD;
}

bool TaskSecondPathIsRemote(int task)
{
  return task == TASK_MOVE || task == TASK_SITE_RELAY || task == TASK_SITE_FXP;
}

static bool WantsFix(const char* path)
{
  return path != nullptr && path[0] != '\0' && std::strchr(path, '/') != nullptr;
}

void FixOneSitePaths(int task, char* first, char* second, size_t size, const char* remoteFolder)
{
  if (TaskFirstPathIsRemote(task) && WantsFix(first))
    ApplyRemoteFolder(first, size, remoteFolder, true);
  else if (TaskSecondPathIsRemote(task) && WantsFix(second))
    ApplyRemoteFolder(second, size, remoteFolder, false);
}

int TakeMatchCaseMark(int task, char* firstPath)
{
  if (task != TASK_SEARCH || firstPath == nullptr)
    return 0;
  size_t n = std::strlen(firstPath);
  if (n == 0 || firstPath[n - 1] != '?')
    return 0;
  firstPath[n - 1] = '\0';
  return 1;
}
