#include "views/nodekey.h"

#include <cctype>

namespace {

std::string WithoutTrailing(std::string path, char sep)
{
  while (path.size() > 1 && path.back() == sep)
    path.pop_back();
  return path;
}

}  // namespace

bool SameServerFolder(const std::string& shown, const std::string& reply)
{
  return reply.empty() || WithoutTrailing(shown, '/') == WithoutTrailing(reply, '/');
}

bool IsEntryOfLocalFolder(const std::string& folder, const std::string& entryPath)
{
  if (entryPath.empty())
    return true;
  const size_t cut = entryPath.find_last_of('\\');
  if (cut == std::string::npos)
    return false;
  const std::string a = WithoutTrailing(folder, '\\');
  const std::string b = WithoutTrailing(entryPath.substr(0, cut + 1), '\\');
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower((unsigned char)a[i]) != std::tolower((unsigned char)b[i]))
      return false;
  return true;
}
