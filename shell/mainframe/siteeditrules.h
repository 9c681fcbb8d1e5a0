// The name field of a site the site manager changed in place: a plain name, or
// the old name, 0x0C and the new one.
#pragma once

#include <cstddef>
#include <string>

enum class SiteNameField {
  Plain,         // no rename: oldName holds the name
  Rename,        // oldName and newName hold the two parts
  Unterminated,  // no NUL within the field: nothing in it can be trusted
};

// Scans at most width bytes of field.
SiteNameField SplitSiteNameField(const char* field, size_t width, std::string& oldName, std::string& newName);
