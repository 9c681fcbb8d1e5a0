#include "engine/s2spath.h"

#include <cstdio>
#include <cstring>

#include "engine/pasvreply.h"

bool FxpPortArgument(const char* reply, char* out, size_t size)
{
  if (size > 0)
    out[0] = '\0';
  if (reply == nullptr || std::strstr(reply, "227") == nullptr || std::strchr(reply, '(') == nullptr)
    return false;
  char addr[kPasvAddrSize];
  int32_t port = 0;
  if (!ParsePasvReply(reply, addr, sizeof(addr), &port))
    return false;
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (std::sscanf(addr, "%u.%u.%u.%u", &a, &b, &c, &d) != 4)
    return false;
  const int n = std::snprintf(out, size, "%u,%u,%u,%u,%d,%d", a, b, c, d, (int)((port >> 8) & 0xFF),
                              (int)(port & 0xFF));
  if (n <= 0 || (size_t)n >= size) {
    if (size > 0)
      out[0] = '\0';
    return false;
  }
  return true;
}

std::string S2sJoinPath(const std::string& folder, const std::string& name)
{
  std::string path = folder;
  if (path.empty() || path.back() != '/')
    path += '/';
  return path + name;
}

namespace {

std::string WithoutTrailingSlash(const std::string& path)
{
  std::string s = path;
  while (s.size() > 1 && s.back() == '/')
    s.pop_back();
  return s;
}

}  // namespace

bool RemotePathWithin(const std::string& path, const std::string& root)
{
  const std::string p = WithoutTrailingSlash(path);
  const std::string r = WithoutTrailingSlash(root);
  if (r.empty() || p.empty())
    return false;
  if (p == r)
    return true;
  if (r == "/")
    return p[0] == '/';
  return p.size() > r.size() && p.compare(0, r.size(), r) == 0 && p[r.size()] == '/';
}

bool IsPlainRemoteName(const char* name)
{
  if (name == nullptr || name[0] == '\0')
    return false;
  if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
    return false;
  return std::strchr(name, '/') == nullptr;
}
