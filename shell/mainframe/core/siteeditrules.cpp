#include "shell/mainframe/siteeditrules.h"

#include <cstring>

SiteNameField SplitSiteNameField(const char* field, size_t width, std::string& oldName, std::string& newName)
{
  oldName.clear();
  newName.clear();
  const void* end = field != nullptr ? std::memchr(field, '\0', width) : nullptr;
  if (end == nullptr)
    return SiteNameField::Unterminated;
  const std::string text(field, static_cast<const char*>(end) - field);
  const size_t ff = text.find('\x0C');
  if (ff == std::string::npos) {
    oldName = text;
    return SiteNameField::Plain;
  }
  oldName = text.substr(0, ff);
  newName = text.substr(ff + 1);
  return SiteNameField::Rename;
}
