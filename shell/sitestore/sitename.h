// The rules for a work site's name. The name is the site's registry subkey and
// the name of its listing-cache folder, so it must be usable as both, and two
// sites must not share one subkey or folder (both are case-insensitive).
#pragma once

#include <cstddef>

// Shown when a name is refused.
extern const char kInvalidSiteNameText[];

// The form rules: not empty or blank, not "." or "..", at most 49 bytes, none of
// \ / : * ? " < > | or control characters, not ending in a blank or dot, not a
// device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, also with
// an extension). Double-byte characters are stepped over whole.
bool IsValidSiteName(const char* name);

// Whether two names denote the same subkey and folder (case folded as the
// system folds it; ASCII letters where there is no system).
bool SiteNamesEqual(const char* a, const char* b);

// The weaker rule for touching the registry: a name that is not empty and has
// no "\" is one subkey directly below the store. Sites stored by earlier
// versions may break the form rules and must still save and delete.
bool IsSiteSubkeyName(const char* name);

// The site's listing-cache folder: cacheRoot (ending in a separator) + name +
// "\". False, and out emptied, when the name breaks the form rules or the path
// does not fit in width bytes.
bool BuildSiteCacheFolder(const char* cacheRoot, const char* name, char* out, size_t width);
template <size_t N>
inline bool BuildSiteCacheFolder(const char* cacheRoot, const char* name, char (&out)[N])
{
    return BuildSiteCacheFolder(cacheRoot, name, out, N);
}
