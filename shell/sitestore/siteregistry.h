// The work sites in the registry: HKEY_CURRENT_USER "SOFTWARE\ZARN\ZARNSITE",
// one subkey per site named by the site's name, with 13 values:
//   "Config" REG_SZ   the site's "Config" text (numbers and option digits)
//   "Port", "ProxyPort" REG_DWORD (21 and 1080 when missing)
//   "Alias", "Address", "User", "Pwd" (scrambled, stored by length),
//   "ConnDir", "ProxyAddress", "ProxyUser", "ProxyPass" (plain), "FtpInfo",
//   "RemoteDir" REG_SZ with their terminating zero.
// The document keeps the two key handles; these functions open, fill and clear
// them. GUI thread.
#pragma once

#include "framework/fwtypes.h"  // winsock2.h before windows.h
#include "shell/sitestore/sitetable.h"

extern const char kZarnAppKeyPath[];  // "SOFTWARE\ZARN"
extern const char kSitesKeyName[];    // "ZARNSITE"

// Registry failures, shown as system boxes with the caption kRegistryErrorCaption.
extern const char kRegistryOpenFailedText[];
extern const char kRegistryQueryFailedText[];
extern const char kRegistryErrorCaption[];
extern const char kSiteKeyOpenFailedText[];  // "safa"
extern const char kDeleteSiteErrorText[];    // "Deleting site error or maybe you don't have the permission"
extern const char kClearCompleteText[];      // "Clear complete"

// Document initialisation: opens (creating) the application key and the store
// and loads every stored site into the table, at most 200, in slot order. With
// no stored site the table's site in slot 0 (the default site) is stored; when
// sites were stored every site in the table is replaced by them. A subkey that
// cannot be read is skipped ("safa") and takes no slot. FALSE only when the
// application key cannot be opened.
BOOL OpenSiteRegistry(HKEY& hAppKey, HKEY& hSitesKey, SiteTable& sites, UINT& nSites);

// Loads the index-th subkey of the store over site. A missing number keeps its
// default, "Config" is read over the site's current values, a missing text
// clears its field (a missing "Alias" takes the subkey's name), "RemoteDir" is
// trimmed and begins with "/". FALSE when there is no such subkey or it cannot
// be opened.
BOOL LoadSitesFromRegistry(HKEY hSitesKey, DWORD index, CSiteItem& site);

// Writes the site's 13 values into its subkey, reopening the store below
// hAppKey when it is closed. FALSE, writing nothing, for a name that is not one
// subkey (empty, or holding "\"), or when a write fails.
BOOL SaveSiteToRegistry(HKEY hAppKey, HKEY& hSitesKey, const CSiteItem& site);

// Deletes the site's subkey with everything below it (a subkey that is already
// gone counts as deleted). On failure, or for a name that is not one subkey,
// the deletion error is shown and FALSE returned; the store itself is never
// deleted here.
BOOL DeleteSiteKey(HKEY hAppKey, HKEY& hSitesKey, const CSiteItem& site);

// The registry half of Remove All Sites Info, after the user confirmed: deletes
// the store with everything below it, closes and clears hSitesKey and shows
// "Clear complete". The sites in memory stay. On failure the deletion error is
// shown and FALSE returned.
BOOL RemoveAllSitesFromRegistry(HKEY hAppKey, HKEY& hSitesKey);
