// The message the site manager sends to the main window for every work-site
// change it asks for, and what each kind carries. The site manager never adds,
// deletes or renames a work site itself; the main window answers by SendMessage.
#pragma once

#include <cstddef>

#include "engine/siterecord.h"

class CSiteItem;

constexpr unsigned int UWM_SITE_MANAGER_EDIT = 0x804;  // WM_USER + 1028

enum SiteManagerEditKind : unsigned int {
  // lParam SiteRecord*: add it as a work site. The answer is the record's
  // m_pNewSite: the new site, or null when refused (the main window said why).
  // The sender zeroes m_pNewSite before sending.
  SITEEDIT_ADD = 0,
  // lParam CSiteItem*: delete it. Returns 1 when deleted, 0 when refused (a
  // running task, the user's Cancel); on 0 the site lives on.
  SITEEDIT_DELETE = 1,
  // lParam CSiteItem*: its fields were rewritten in place; store them. The name
  // field holds a plain name (renames go by SITEEDIT_RENAME).
  SITEEDIT_CHANGED = 2,
  // lParam the site's item in the first server tree: select and connect it.
  SITEEDIT_SELECT = 3,
  // lParam SiteRenameRequest*: give the site the new name (registry key, tree
  // items, list rows). Returns 1 renamed, 0 refused (the main window said why;
  // the old name stays).
  SITEEDIT_RENAME = 4,
};

struct SiteRenameRequest {
  CSiteItem* site;
  char newName[kSiteNameLen];  // zero-terminated, at most 49 bytes
};
static_assert(offsetof(SiteRenameRequest, newName) == sizeof(void*), "name after the pointer");
