#include "shell/sitestore/sitename.h"

#include <cstring>
#include <string>

#include "engine/siterecord.h"
#include "framework/fwstring.h"

#include "framework/fwtypes.h"  // windows.h in the Windows builds

const char kInvalidSiteNameText[] =
    "Invalid site name. It can't be empty, \".\" or \"..\", end in a blank or dot, or contain \\ / : * ? \" < > |";

namespace {

bool IsReservedChar(unsigned char c)
{
    return c < 0x20 || c == 0x7F || strchr("\\/:*?\"<>|", c) != nullptr;
}

bool EqualsAsciiNoCase(const std::string& a, const char* b)
{
    if (a.size() != strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// The system opens these names as devices, with any extension and with blanks
// before the extension.
bool IsDeviceName(const char* name)
{
    std::string base(name);
    const size_t dot = base.find('.');
    if (dot != std::string::npos)
        base.erase(dot);
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (EqualsAsciiNoCase(base, device))
            return true;
    }
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
        const std::string stem = base.substr(0, 3);
        if (EqualsAsciiNoCase(stem, "COM") || EqualsAsciiNoCase(stem, "LPT"))
            return true;
    }
    return false;
}

}  // namespace

bool IsValidSiteName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    const size_t len = strlen(name);
    if (len > kSiteNameLen - 1)
        return false;
    // One pass over whole characters: a trail byte may look like "\" or "|".
    unsigned char last = 0;
    for (const char* p = name; *p != '\0';) {
        const int n = FwCharLen(p);
        if (n == 1) {
            if (IsReservedChar(static_cast<unsigned char>(*p)))
                return false;
            last = static_cast<unsigned char>(*p);
        } else {
            last = 0;
        }
        p += n;
    }
    // Also refuses ".", ".." and names of blanks only.
    if (last == ' ' || last == '.')
        return false;
    return !IsDeviceName(name);
}

bool SiteNamesEqual(const char* a, const char* b)
{
    if (a == nullptr)
        a = "";
    if (b == nullptr)
        b = "";
#ifdef _WIN32
    // The registry and the file system fold case over the whole character set.
    wchar_t wa[kSiteNameLen * 2];
    wchar_t wb[kSiteNameLen * 2];
    const int la = MultiByteToWideChar(CP_ACP, 0, a, -1, wa, static_cast<int>(sizeof(wa) / sizeof(wa[0])));
    const int lb = MultiByteToWideChar(CP_ACP, 0, b, -1, wb, static_cast<int>(sizeof(wb) / sizeof(wb[0])));
    if (la > 0 && lb > 0) {
        if (la != lb)
            return false;
        CharUpperBuffW(wa, static_cast<DWORD>(la));
        CharUpperBuffW(wb, static_cast<DWORD>(lb));
        return memcmp(wa, wb, static_cast<size_t>(la) * sizeof(wchar_t)) == 0;
    }
#endif
    return CString(a).CompareNoCase(b) == 0;
}

bool IsSiteSubkeyName(const char* name)
{
    if (name == nullptr || name[0] == '\0')
        return false;
    for (const char* p = name; *p != '\0';) {
        const int n = FwCharLen(p);
        if (n == 1 && *p == '\\')
            return false;
        p += n;
    }
    return true;
}

bool BuildSiteCacheFolder(const char* cacheRoot, const char* name, char* out, size_t width)
{
    if (out == nullptr || width == 0)
        return false;
    out[0] = '\0';
    if (cacheRoot == nullptr || cacheRoot[0] == '\0' || !IsValidSiteName(name))
        return false;
    const std::string path = std::string(cacheRoot) + name + "\\";
    if (path.size() + 1 > width)
        return false;
    memcpy(out, path.c_str(), path.size() + 1);
    return true;
}
