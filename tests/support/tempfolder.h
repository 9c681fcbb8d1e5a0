// Folders a Windows test program makes under the temporary folder, removed
// with everything in them when the program ends (a test may still look into
// one after its fixture is gone), so the prefix's temporary folder, which the
// local tree's tests show, does not fill up run after run.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

inline void RemoveFolderTree(const std::string& path)
{
  WIN32_FIND_DATAA found;
  HANDLE find = ::FindFirstFileA((path + "\\*").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(find, &found)) {
    const std::string name = found.cFileName;
    if (name == "." || name == "..")
      continue;
    const std::string full = path + "\\" + name;
    ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      RemoveFolderTree(full);
    else
      ::DeleteFileA(full.c_str());
  }
  if (find != INVALID_HANDLE_VALUE)
    ::FindClose(find);
  ::RemoveDirectoryA(path.c_str());
}

// Removes path and what it holds when the program ends (once, however often asked).
inline void RemoveAtExit(const std::string& path)
{
  struct Folders {
    std::vector<std::string> paths;
    ~Folders()
    {
      for (const std::string& p : paths)
        RemoveFolderTree(p);
    }
  };
  static Folders folders;
  if (std::find(folders.paths.begin(), folders.paths.end(), path) == folders.paths.end())
    folders.paths.push_back(path);
}

// "<temporary folder><prefix>-<process id>", made now (one per process: test
// programs run side by side in one prefix) and removed when the program ends.
inline std::string TempFolder(const std::string& prefix)
{
  char temp[MAX_PATH] = {};
  ::GetTempPathA(sizeof temp, temp);
  const std::string path = std::string(temp) + prefix + "-" + std::to_string(::GetCurrentProcessId());
  ::CreateDirectoryA(path.c_str(), nullptr);
  RemoveAtExit(path);
  return path;
}

}  // namespace testsupport
