#include "views/loctreerules.h"

#include <cctype>
#include <cstring>

#include "engine/confirmtext.h"

namespace {

std::string Normalised(const std::string& path)
{
  std::string out;
  out.reserve(path.size());
  for (char c : path)
    out += (char)std::tolower((unsigned char)c);
  while (!out.empty() && out.back() == '\\')
    out.pop_back();
  return out;
}

}  // namespace

FollowStep FollowStepFor(const std::string& nodePath, const std::string& target)
{
  const std::string node = Normalised(nodePath);
  const std::string goal = Normalised(target);
  if (node.empty() || goal.empty())
    return FollowStep::kAside;
  if (node == goal)
    return FollowStep::kArrived;
  if (goal.size() > node.size() && goal.compare(0, node.size(), node) == 0 && goal[node.size()] == '\\')
    return FollowStep::kOnTheWay;
  return FollowStep::kAside;
}

std::string BuildShellFileList(const std::string& folder, const std::vector<std::string>& names)
{
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\')
    prefix += '\\';
  std::vector<std::string> paths;
  paths.reserve(names.size());
  for (const std::string& name : names)
    if (!name.empty())
      paths.push_back(prefix + name);
  return BuildShellPathList(paths);
}

std::string BuildShellPathList(const std::vector<std::string>& paths)
{
  std::string list;
  for (const std::string& path : paths) {
    if (path.empty())
      continue;
    list += path;
    list += '\0';
  }
  // An empty list still ends with its two NULs.
  if (list.empty())
    list += '\0';
  list += '\0';
  return list;
}

bool IsUsableFolderLabel(const std::string& label)
{
  return !label.empty() && IsValidTransferName(label.c_str());
}

int FillLocalRootPaths(char* buffer, size_t size, const char* const folders[3], const char* drives)
{
  if (buffer == nullptr || size < 2)
    return 0;
  memset(buffer, 0, size);
  // Room for the closing NUL of the list.
  const size_t limit = size - 1;
  size_t at = 0;
  auto append = [&](const char* text, size_t len) {
    if (at + len + 1 > limit)
      return false;
    memcpy(buffer + at, text, len);
    at += len + 1;
    return true;
  };
  for (int i = 0; i < 3; ++i) {
    const char* folder = folders != nullptr && folders[i] != nullptr ? folders[i] : "";
    if (!append(folder, strnlen(folder, 260)))
      return 0;
  }
  int count = 0;
  size_t taken = 0;
  for (const char* d = drives; d != nullptr && *d != '\0';) {
    const size_t len = strnlen(d, 260);
    if (taken + len + 1 > 260 || !append(d, len))
      break;
    taken += len + 1;
    ++count;
    d += len + 1;
  }
  return count;
}
