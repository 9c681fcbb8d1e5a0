// The site manager's requests to the main window, answered by a window of the
// test that plays the main program: a stale new-site pointer never passes for
// a new site, a rename of two 49-byte names keeps every other field, and a
// refused delete (or one that leaves the slot) is not taken for done.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/siteitem.h"
#include "shell/doc/sitemanagermsg.h"
#include "sitemanager/siterules.h"
#include "sitemanager/worksites.h"

namespace {

struct MainProgram {
  CSiteItem* slots[kWorkSiteSlots] = {};
  LRESULT answer = 1;
  bool freeSlotOnDelete = true;
  CSiteItem* addResult = nullptr;
  int sends[5] = {};
  std::string renamedTo;
};
MainProgram g_main;

LRESULT CALLBACK MainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg != UWM_SITE_MANAGER_EDIT)
    return ::DefWindowProcA(h, msg, wp, lp);
  g_main.sends[wp]++;
  switch (wp) {
  case SITEEDIT_ADD:
    if (g_main.addResult != nullptr)  // a refusal leaves the field as it is
      reinterpret_cast<SiteRecord*>(lp)->m_pNewSite = g_main.addResult;
    return 0;
  case SITEEDIT_DELETE:
    if (g_main.answer == 1 && g_main.freeSlotOnDelete)
      for (CSiteItem*& s : g_main.slots)
        if (s == reinterpret_cast<CSiteItem*>(lp))
          s = nullptr;
    return g_main.answer;
  case SITEEDIT_RENAME: {
    auto* request = reinterpret_cast<SiteRenameRequest*>(lp);
    g_main.renamedTo.assign(request->newName, strnlen(request->newName, sizeof request->newName));
    if (g_main.answer == 1)
      CopySiteText(WorkSiteFields(request->site).m_name, request->newName);
    return g_main.answer;
  }
  default:
    return 0;
  }
}

class WorkSiteEdits : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_main = MainProgram();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "work_site_edits_main";
    ::RegisterClassA(&wc);
    m_main = ::CreateWindowA(wc.lpszClassName, "main", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             wc.hInstance, nullptr);
    ASSERT_NE(m_main, nullptr);
  }
  void TearDown() override { ::DestroyWindow(m_main); }
  HWND m_main = nullptr;
};

TEST_F(WorkSiteEdits, AStaleNewSitePointerIsNoNewSite)
{
  std::unique_ptr<SiteRecord> record = NewSiteRecord();
  CSiteItem earlier;
  record->m_pNewSite = &earlier;  // copied before; that site since deleted
  g_main.addResult = nullptr;     // full table: refused
  EXPECT_EQ(nullptr, SendAddWorkSite(m_main, *record));
  EXPECT_EQ(1, g_main.sends[SITEEDIT_ADD]);

  CSiteItem made;
  g_main.addResult = &made;
  EXPECT_EQ(&made, SendAddWorkSite(m_main, *record));
  EXPECT_EQ(nullptr, record->m_pNewSite);
}

TEST_F(WorkSiteEdits, RenamesOf49ByteNamesKeepTheOtherFields)
{
  CSiteItem site;
  const std::string oldName(49, 'o'), newName(49, 'N');
  CopySiteText(site.m_name, oldName.c_str());
  CopySiteText(site.m_user, "user-field");
  const SiteFields before = site;

  ASSERT_TRUE(SendRenameWorkSite(m_main, &site, newName.c_str()));
  EXPECT_EQ(newName, g_main.renamedTo);
  EXPECT_EQ(newName, std::string(site.m_name));
  EXPECT_EQ(0, memcmp(before.m_user, site.m_user, sizeof site.m_user));
  EXPECT_EQ(nullptr, memchr(site.m_name, 0x0C, sizeof site.m_name));

  g_main.answer = 0;  // refused: the old name stays
  EXPECT_FALSE(SendRenameWorkSite(m_main, &site, "other"));
  EXPECT_EQ(newName, std::string(site.m_name));
  // Too long for the field: nothing is sent.
  EXPECT_FALSE(SendRenameWorkSite(m_main, &site, std::string(50, 'x').c_str()));
  EXPECT_EQ(2, g_main.sends[SITEEDIT_RENAME]);
}

TEST_F(WorkSiteEdits, ADeleteCountsOnlyWhenAnsweredAndTheSlotIsFree)
{
  CSiteItem a, b, c;
  g_main.slots[0] = &a, g_main.slots[5] = &b, g_main.slots[9] = &c;
  g_main.answer = 0;  // a running task, or Cancel
  EXPECT_FALSE(SendDeleteWorkSite(m_main, &a, g_main.slots));
  EXPECT_EQ(&a, g_main.slots[0]);
  g_main.answer = 1;
  g_main.freeSlotOnDelete = false;  // a keeper that did not end
  EXPECT_FALSE(SendDeleteWorkSite(m_main, &b, g_main.slots));
  g_main.freeSlotOnDelete = true;
  EXPECT_TRUE(SendDeleteWorkSite(m_main, &c, g_main.slots));
  EXPECT_EQ(nullptr, g_main.slots[9]);
}

}  // namespace
