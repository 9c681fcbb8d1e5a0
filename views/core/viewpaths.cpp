#include "views/viewpaths.h"

#include <cstring>

namespace {

void AppendPiece(std::string& path, const std::string& piece, char sep)
{
  if (!path.empty() && path.back() != sep)
    path += sep;
  path += piece;
}

}  // namespace

std::string ComposeServerPath(const char* startFolder, const std::vector<std::string>& labels)
{
  if (labels.empty())
    return std::string();
  std::string rest;
  for (size_t i = 1; i < labels.size(); ++i)
    rest += "/" + labels[i];
  std::string start = startFolder != nullptr ? startFolder : "";
  if (!rest.empty() && !start.empty() && start.back() == '/')
    start.pop_back();
  return start + rest;
}

std::string ComposeLocalPath(const char* rootPath, const std::vector<std::string>& labels)
{
  if (labels.empty())
    return std::string();
  std::string path = rootPath != nullptr ? rootPath : "";
  if (path.empty() || path.back() != '\\')
    path += '\\';
  for (size_t i = 1; i < labels.size(); ++i)
    AppendPiece(path, labels[i], '\\');
  return path;
}

const char* LocalRootPathAt(const char* buffer, size_t size, int index)
{
  if (buffer == nullptr || index < 0)
    return nullptr;
  size_t at = 0;
  for (int i = 0; i < index; ++i) {
    const void* end = at < size ? memchr(buffer + at, '\0', size - at) : nullptr;
    if (end == nullptr)
      return nullptr;
    at = (size_t)(static_cast<const char*>(end) - buffer) + 1;
  }
  // An empty string ends the list.
  if (at >= size || buffer[at] == '\0' || memchr(buffer + at, '\0', size - at) == nullptr)
    return nullptr;
  return buffer + at;
}

std::string JoinRowPath(const std::string& base, const char* name, bool local)
{
  std::string path = base;
  const char sep = local ? '\\' : '/';
  if (path.empty() || path.back() != sep)
    path += sep;
  return path + (name != nullptr ? name : "");
}
