// What the document asks of a server tree (shell/doc does not link the views):
// each server tree registers itself for its pane flag when it is made and
// clears the registration when it goes.
#pragma once

#include "framework/afxwin.h"
#include "framework/commctrls.h"

class CSiteTreeLink {
public:
  // Inserts the node of the site in slot below the root (the site's node field
  // of this tree is set) and, while the root is selected, its row in the list
  // beside the tree. The node, null when none could be made.
  virtual HTREEITEM InsertSiteNode(int slot) = 0;
  // The site node whose label is exactly name, null when none.
  virtual HTREEITEM FindSiteNode(const char* name) = 0;
  // Selects the root (which lists the sites).
  virtual void SelectRoot() = 0;
  // When the selected node is node or lies below it: the root is selected and
  // node collapsed.
  virtual void LeaveSiteNode(HTREEITEM node) = 0;
  // Find Site: asks for a name and selects the site node of exactly that name.
  virtual void FindSiteByDialog() = 0;

protected:
  ~CSiteTreeLink() = default;
};

// paneFlag 1: the first server tree, 0: the second.
CSiteTreeLink* SiteTreeLink(int paneFlag);
void SetSiteTreeLink(int paneFlag, CSiteTreeLink* tree);
// Cleared only by the tree that holds the registration.
void ClearSiteTreeLink(int paneFlag, CSiteTreeLink* tree);
