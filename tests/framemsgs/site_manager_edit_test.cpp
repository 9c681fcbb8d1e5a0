// The site manager's edits sent to the running main window: add, delete,
// change, rename and select, with the document's boxes recorded.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/fileops.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/doc/sitemanagermsg.h"
#include "shell/doc/zarndoc.h"
#include "shell/sitestore/siteregistry.h"
#include "tests/doc/docfix.h"
#include "tests/framemsgs/framefix.h"
#include "views/sertreeview.h"

namespace {

LRESULT Edit(unsigned kind, const void* record)
{
  return framefix::Frame()->SendMessage(UWM_SITE_MANAGER_EDIT, kind, reinterpret_cast<LPARAM>(record));
}

CSiteItem* Add(const char* name)
{
  SiteRecord record;
  std::memset(&record, 0, sizeof record);
  InitSiteFields(record);
  CopySiteText(record.m_name, name);
  CopySiteText(record.m_host, "127.0.0.1");
  record.m_port = 1;
  record.m_pNewSite = reinterpret_cast<CSiteItem*>(&record);  // stale: the handler clears it
  const bool named = g_pDoc->FindSiteNodeByName(name) != FALSE;
  const size_t boxes = doctest::g_boxes.size();
  const LRESULT done = Edit(SITEEDIT_ADD, &record);
  EXPECT_EQ(done != 0, record.m_pNewSite != nullptr) << name;
  if (record.m_pNewSite == nullptr && std::strncmp(name, "Fill", 4) != 0) {
    // Why an add that should work was refused: a tree item of that name, a full table or a box.
    ADD_FAILURE() << name << " refused; tree item already named so: " << named << "; sites: " << g_pDoc->m_nSites;
    for (size_t i = boxes; i < doctest::g_boxes.size(); ++i)
      ADD_FAILURE() << "box: " << doctest::g_boxes[i].text;
  }
  return record.m_pNewSite;
}

int SlotOf(const CSiteItem* site)
{
  for (int i = 0; i < MAX_SITES; ++i)
    if (g_pDoc->GetSite(i) == site)
      return i;
  return -1;
}

bool SiteKeyExists(const std::string& name)
{
  HKEY key = nullptr;
  const std::string path = std::string(kZarnAppKeyPath) + "\\ZARNSITE\\" + name;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

// The texts of a server tree's site nodes (the children of its root).
std::vector<std::string> TreeSites(ViewSlot& slot)
{
  std::vector<std::string> names;
  CSerTrViewBase* view = DYNAMIC_DOWNCAST(CSerTrViewBase, slot.load());
  if (view == nullptr)
    return names;
  CTreeCtrl& tree = view->GetTreeCtrl();
  for (HTREEITEM n = tree.GetChildItem(tree.GetRootItem()); n != nullptr; n = tree.GetNextSiblingItem(n))
    names.push_back(std::string(tree.GetItemText(n)));
  return names;
}

bool InBothTrees(const std::string& name)
{
  auto has = [&](ViewSlot& slot) {
    for (const std::string& n : TreeSites(slot))
      if (n == name)
        return true;
    return false;
  };
  return has(g_pSerTrView) && has(g_pSerTrView1);
}

std::string SiteValue(const std::string& name, const char* value)
{
  char text[256] = {};
  DWORD size = sizeof text;
  const std::string path = std::string(kZarnAppKeyPath) + "\\ZARNSITE\\" + name;
  if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return "";
  return text;
}

bool BoxSeen(const char* text)
{
  for (const doctest::SeenBox& b : doctest::g_boxes)
    if (b.text == text)
      return true;
  return false;
}

}  // namespace

TEST(SiteManagerEdit, EveryKindOnTheRunningWindow)
{
  // Sites other tests stored in the shared prefix (a full table among them)
  // would refuse the adds below: the work-site store starts empty.
  HKEY sites = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\ZARNSITE", 0, KEY_ALL_ACCESS, &sites) == ERROR_SUCCESS) {
    char name[256];
    DWORD len = sizeof name;
    while (::RegEnumKeyExA(sites, 0, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      if (::RegDeleteKeyA(sites, name) != ERROR_SUCCESS)
        break;
      len = sizeof name;
    }
    ::RegCloseKey(sites);
  }
  ASSERT_TRUE(framefix::StartApp());
  doctest::RecordBoxes(IDOK);
  // Leftovers of an earlier run go first.
  for (int i = 0; i < MAX_SITES; ++i)
    if (CSiteItem* s = g_pDoc->GetSite(i))
      if (std::strncmp(s->m_name, "Edit", 4) == 0 || std::strncmp(s->m_name, "Fill", 4) == 0 ||
          std::strcmp(s->m_name, "Other Site") == 0)
        Edit(SITEEDIT_DELETE, s);

  // Kind 0 adds: table, both trees and registry.
  CSiteItem* site = Add("Edit One");
  ASSERT_NE(nullptr, site);
  EXPECT_TRUE(InBothTrees("Edit One"));
  EXPECT_TRUE(SiteKeyExists("Edit One"));

  // A task thread's password change: the site is stored again.
  CopySiteText(site->m_user, "changed-user");
  framefix::Frame()->SendMessage(UWM_SAVE_SITE, (WPARAM)site, 0);
  EXPECT_EQ("changed-user", SiteValue("Edit One", "User"));

  // Kind 1 on a site with a running task: refused, kept in both trees.
  site->m_taskCount = 1;
  EXPECT_EQ(0, Edit(SITEEDIT_DELETE, site));
  EXPECT_EQ(site, g_pDoc->GetSite(SlotOf(site)));
  EXPECT_TRUE(InBothTrees("Edit One"));
  EXPECT_TRUE(BoxSeen(kSiteActiveTaskText));
  site->m_taskCount = 0;

  // Kind 2 with a rename in the field: new name, key moved, nodes renamed.
  std::strcpy(site->m_name, "Edit One\x0C" "Edit Two");
  EXPECT_EQ(1, Edit(SITEEDIT_CHANGED, site));
  EXPECT_STREQ("Edit Two", site->m_name);
  EXPECT_TRUE(SiteKeyExists("Edit Two"));
  EXPECT_FALSE(SiteKeyExists("Edit One"));
  EXPECT_TRUE(InBothTrees("Edit Two"));

  // The field overrun: 50 bytes without an end change nothing.
  {
    char savedName[kSiteNameLen];
    std::memcpy(savedName, site->m_name, sizeof savedName);
    std::memset(site->m_name, 'x', sizeof site->m_name);
    site->m_name[20] = '\x0C';
    EXPECT_EQ(0, Edit(SITEEDIT_CHANGED, site));
    EXPECT_FALSE(SiteKeyExists(std::string(20, 'x')));
    EXPECT_TRUE(SiteKeyExists("Edit Two"));
    std::memcpy(site->m_name, savedName, sizeof savedName);
  }

  // Kind 4: a 49-character name.
  const std::string longName = "Edit " + std::string(44, 'L');
  ASSERT_EQ(49u, longName.size());
  SiteRenameRequest request = {};
  request.site = site;
  std::strcpy(request.newName, longName.c_str());
  EXPECT_EQ(1, Edit(SITEEDIT_RENAME, &request));
  EXPECT_EQ(longName, site->m_name);
  EXPECT_TRUE(SiteKeyExists(longName));
  EXPECT_FALSE(SiteKeyExists("Edit Two"));
  EXPECT_TRUE(InBothTrees(longName));

  // A duplicate differing in case is refused with the box; both names stay.
  CSiteItem* other = Add("Other Site");
  ASSERT_NE(nullptr, other);
  doctest::RecordBoxes(IDOK);
  request.site = other;
  std::string upper = longName;
  for (char& c : upper)
    c = (char)toupper((unsigned char)c);
  std::strcpy(request.newName, upper.c_str());
  EXPECT_EQ(0, Edit(SITEEDIT_RENAME, &request));
  EXPECT_STREQ("Other Site", other->m_name);
  EXPECT_TRUE(BoxSeen(kSiteNameExistsText));
  // A name field without an end in the request is no name.
  std::memset(request.newName, 'n', sizeof request.newName);
  EXPECT_EQ(0, Edit(SITEEDIT_RENAME, &request));

  // Kind 3 selects the node in the first tree, and again selects it anew.
  {
    CSerTrViewBase* tree = DYNAMIC_DOWNCAST(CSerTrViewBase, g_pSerTrView.load());
    ASSERT_NE(nullptr, tree);
    HTREEITEM node = other->m_hTreeNode;
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(1, Edit(SITEEDIT_SELECT, node));
    EXPECT_EQ(node, tree->GetTreeCtrl().GetSelectedItem());
    EXPECT_EQ(1, Edit(SITEEDIT_SELECT, node));
    EXPECT_EQ(node, tree->GetTreeCtrl().GetSelectedItem());
    // A node that is no site node of the first tree is ignored.
    EXPECT_EQ(0, Edit(SITEEDIT_SELECT, tree->GetTreeCtrl().GetRootItem()));
    tree->SelectRoot();
    framefix::Pump(300, [] { return false; });
  }

  // Kind 5 and a deleted site's pointer are nothing.
  EXPECT_EQ(0, Edit(5, site));
  CSiteItem* gone = Add("Edit Three");
  ASSERT_NE(nullptr, gone);
  EXPECT_EQ(1, Edit(SITEEDIT_DELETE, gone));
  EXPECT_FALSE(InBothTrees("Edit Three"));
  EXPECT_FALSE(SiteKeyExists("Edit Three"));
  EXPECT_EQ(0, Edit(SITEEDIT_DELETE, gone));
  EXPECT_EQ(0, Edit(SITEEDIT_CHANGED, gone));
  framefix::Frame()->SendMessage(UWM_SAVE_SITE, (WPARAM)gone, 0);  // a deleted site: nothing
  EXPECT_FALSE(SiteKeyExists("Edit Three"));
  request.site = gone;
  std::strcpy(request.newName, "Edit Gone");
  EXPECT_EQ(0, Edit(SITEEDIT_RENAME, &request));

  // The table full: the 201st add is refused with a null pointer back.
  std::vector<CSiteItem*> fills;
  for (int n = 0; g_pDoc->m_nSites < MAX_SITES && n < MAX_SITES; ++n) {
    CSiteItem* fill = Add(("Fill " + std::to_string(n)).c_str());
    ASSERT_NE(nullptr, fill) << n;
    fills.push_back(fill);
  }
  doctest::RecordBoxes(IDOK);
  SiteRecord extra;
  std::memset(&extra, 0, sizeof extra);
  InitSiteFields(extra);
  CopySiteText(extra.m_name, "Edit Extra");
  CopySiteText(extra.m_host, "127.0.0.1");
  EXPECT_EQ(0, Edit(SITEEDIT_ADD, &extra));
  EXPECT_EQ(nullptr, extra.m_pNewSite);
  EXPECT_FALSE(doctest::g_boxes.empty());
  for (CSiteItem* fill : fills)
    EXPECT_EQ(1, Edit(SITEEDIT_DELETE, fill));
  EXPECT_EQ(1, Edit(SITEEDIT_DELETE, site));
  // The selected site's connection attempt ends before it can go.
  g_pDoc->DisconnectSite(SlotOf(other), TRUE);
  framefix::Pump(20000, [&] { return other->m_taskCount.load() == 0; });
  EXPECT_EQ(1, Edit(SITEEDIT_DELETE, other));
  EXPECT_TRUE(framefix::ExitApp());
}
