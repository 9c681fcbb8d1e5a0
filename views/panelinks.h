// How the views reach the views beside them without naming each other's
// classes: a folder tree fills the list beside it through CPartnerList, and
// the server trees ask the local tree to follow a site's local folder through
// CLocalTreeLink. Each view registers itself when it is made and clears its
// slot when it goes; a null slot means that view is not there.
#pragma once

#include "framework/fwstring.h"

class CFileListCtrl;

// The tree controls of the local tree view and of each server tree view
// (others read their selection).
constexpr unsigned int kLocTreeId = 1077;
constexpr unsigned int kSerTreeCtrlId = 1078;

class CPartnerList {
public:
  virtual CFileListCtrl& FileList() = 0;
  // The totals line under the list.
  virtual void SetStatusText(const char* text) = 0;

protected:
  ~CPartnerList() = default;
};

// Which list: beside the first server tree, the second, the local tree.
enum PartnerSlot : int { kListOfSerTree = 0, kListOfSerTree1 = 1, kListOfLocTree = 2 };

CPartnerList* PartnerList(int slot);
void SetPartnerList(int slot, CPartnerList* list);
// A registration is cleared only by its own list (a later one may have taken the slot).
void ClearPartnerList(int slot, CPartnerList* list);
// The list beside the server tree of a pane flag (1 the first, 0 the second).
inline CPartnerList* ServerPartnerList(int paneFlag)
{
  return PartnerList(paneFlag != 0 ? kListOfSerTree : kListOfSerTree1);
}

class CLocalTreeLink {
public:
  // The selected node's folder in local form; "" at the root or without one.
  virtual CString SelectedPath() = 0;
  // Opens the local tree down to the site's local folder.
  virtual void FollowSiteFolder(int siteIndex) = 0;

protected:
  ~CLocalTreeLink() = default;
};

CLocalTreeLink* LocalTreeLink();
void SetLocalTreeLink(CLocalTreeLink* link);
void ClearLocalTreeLink(CLocalTreeLink* link);
