#include "sitemanager/sitesetup.h"

#include <cstring>
#include <vector>

#include "framework/fwstring.h"
#include "shell/settings/regkey.h"
#include "shell/settings/settings.h"
#include "sitemanager/initext.h"

const char kDefaultSiteFileName[] = "zarnsite.ini";

namespace {

// Longest path the ANSI file functions take, terminator excluded.
constexpr size_t kMaxSitePath = MAX_PATH - 1;

// The folder of the running program, or "".
std::string ProgramFolder()
{
  std::vector<char> path(32768, '\0');
  const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size())
    return std::string();
  // The last "\" that is a character of its own, not a trail byte.
  size_t cut = 0;
  for (size_t i = 0; i < n;) {
    if (path[i] == '\\' || path[i] == '/')
      cut = i;
    i += FwIsLeadByte(static_cast<BYTE>(path[i])) && i + 1 < n ? 2 : 1;
  }
  return std::string(path.data(), cut);
}

// A path value that can be used: REG_SZ, not empty, at most 259 bytes. The
// buffer cuts a longer value, so its stored size tells.
bool ReadPathValue(CRegKeyWrap& key, const char* name, std::string& out)
{
  char buffer[MAX_PATH + 1] = "";
  if (!key.GetStringValueBuf(name, buffer, sizeof buffer))
    return false;
  const size_t len = strlen(buffer);
  if (len == 0 || len > kMaxSitePath || key.m_size > kMaxSitePath + 1)
    return false;
  out.assign(buffer, len);
  return true;
}

// folder + "\" + name with exactly one "\" between them.
std::string JoinPath(std::string folder, const char* name)
{
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
    // A trail byte that looks like "\" is part of a double-byte character.
    size_t i = 0;
    size_t last = 0;
    while (i < folder.size()) {
      last = i;
      i += FwIsLeadByte(static_cast<BYTE>(folder[i])) && i + 1 < folder.size() ? 2 : 1;
    }
    if (last != folder.size() - 1)
      break;
    folder.pop_back();
  }
  return folder + "\\" + name;
}

}  // namespace

SiteManagerSetup ReadSiteManagerSetup()
{
  SiteManagerSetup setup;
  setup.options = kDefaultOptionFlags;
  CRegKeyWrap key(HKEY_CURRENT_USER);
  std::string appPath;
  if (key.OpenKey(HKEY_CURRENT_USER, kSettingsKeyPath)) {
    setup.keyOpened = true;
    setup.siteFileStored = ReadPathValue(key, "SITEFILE", setup.siteFile);
    if (!setup.siteFileStored)
      ReadPathValue(key, "APPPATH", appPath);
    DWORD word = 0;
    if (key.GetDwordValue("CONFIGVASK", word) || key.GetDwordValue("CONFIG", word))
      setup.options = word;
  }
  if (!setup.siteFileStored)
    setup.siteFile = JoinPath(appPath.empty() ? ProgramFolder() : appPath, kDefaultSiteFileName);
  return setup;
}

bool StoreSiteFilePath(const char* path)
{
  CRegKeyWrap key(HKEY_CURRENT_USER);
  if (!key.CreateKey(HKEY_CURRENT_USER, kSettingsKeyPath))
    return false;
  return key.SetStringValue("SITEFILE", path) != FALSE;
}

bool SaveSiteFile(const CIniText& ini, SiteManagerSetup& setup)
{
  if (!ini.Save(setup.siteFile.c_str()))
    return false;
  if (!setup.siteFileStored)
    setup.siteFileStored = StoreSiteFilePath(setup.siteFile.c_str());
  return true;
}
