// The site manager's settings in HKEY_CURRENT_USER "SOFTWARE\ZARN\SETUP": the
// site file's path ("SITEFILE") and the option word that picks the menus' look.
#pragma once

#include <windows.h>

#include <string>

class CIniText;

// Name of the site file made in the program's folder when none is stored.
extern const char kDefaultSiteFileName[];  // "zarnsite.ini"

struct SiteManagerSetup {
  // The key opened; when not, the caller shows "Open Site Manager file Error".
  bool keyOpened = false;
  // The site file. A "SITEFILE" missing, not REG_SZ, empty or over 259 bytes
  // gives "APPPATH" (or, without one, the program's folder) joined with
  // "zarnsite.ini" by one "\".
  std::string siteFile;
  // "SITEFILE" holds siteFile; when false, StoreSiteFilePath after the first
  // good save (nothing is written for a file that was never made).
  bool siteFileStored = false;
  // The main program's option word "CONFIGVASK"; when missing or not a DWORD,
  // "CONFIG"; when neither is there, the program's default word.
  DWORD options = 0;
};

SiteManagerSetup ReadSiteManagerSetup();

// Writes "SITEFILE" (the key is made when missing); false on failure.
bool StoreSiteFilePath(const char* path);

// Saves the site file to the setup's path and, after the first good save of a
// path not yet stored, stores it. False when the save failed.
bool SaveSiteFile(const CIniText& ini, SiteManagerSetup& setup);
