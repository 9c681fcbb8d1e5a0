// The server trees in the view host over a real document whose sites are the
// two loopback pyftpdlib servers of `with-peers.sh --s2s` (site2 on 127.0.0.2
// in slot 0, site3 on 127.0.0.3 in slot 1), with what their tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/listing.h"
#include "shell/doc/zarndoc.h"
#include "tests/views/viewhost.h"
#include "views/sertreeview.h"

namespace sertreetest {

EntryRecord Entry(const char* name, int kind, int64_t size = 0);
int RowOf(CFileListCtrl& list, const char* name);
// Lines of server n's log holding text (the servers log every command).
int LogCount(int server, const std::string& text);

class SerTreeFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Slot `slot`: a site "site<n>" on the s2s server n (0: an unused port).
  CSiteItem* AddSite(int slot, int n);
  // Both trees, the second pane shown, stand-in lists beside them.
  void Make();
  HTREEITEM Child(CSerTrViewBase* v, HTREEITEM parent, const char* name);
  int Children(CSerTrViewBase* v, HTREEITEM parent);
  // Selects and waits for the totals line of the listing.
  bool SelectAndList(CSerTrViewBase* v, HTREEITEM node);
  // Pumps until no task thread is left.
  bool Idle(DWORD waitMs = 20000);
  // The server's root folder in Windows form.
  std::string Root(int n);

  CZarnDoc m_doc;
  viewhost::CViewHost host;
  CSerTrView* one = nullptr;
  CSerTrView1* two = nullptr;
  viewhost::CHostListView *list1 = nullptr, *list2 = nullptr;

private:
  void (*m_storeMessages)(int, const char*, const char*) = nullptr;
};

}  // namespace sertreetest
