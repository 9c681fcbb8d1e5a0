#include "tests/views/sertreefix.h"

#include <cstring>
#include <fstream>

#include "engine/confirmdlg.h"
#include "engine/launchers.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/storemessage.h"
#include "tests/doc/docfix.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"

namespace sertreetest {

EntryRecord Entry(const char* name, int kind, int64_t size)
{
  EntryRecord e = {};
  strncpy(e.m_name, name, sizeof e.m_name - 1);
  e.m_kind = kind;
  e.m_size = size;
  return e;
}

int RowOf(CFileListCtrl& list, const char* name)
{
  for (int i = 0; i < list.GetItemCount(); ++i)
    if (list.GetItemText(i, 0) == name)
      return i;
  return -1;
}

int LogCount(int server, const std::string& text)
{
  return viewhost::ServerLogCount(server, text);
}

void SerTreeFixture::SetUp()
{
  guitest::BecomeGuiThread();
  keepertest::FastSettings();
  ASSERT_TRUE(AfxOleInit());
  CConfirmDlg::s_defaultTickPeriod = 100;
  doctest::RecordBoxes(IDCANCEL);
  g_optionFlags &= ~((1u << OPTBIT_CONFIRM_DROP) | (1u << OPTBIT_NOTIFIER));
  g_viewColors[0] = RGB(255, 220, 220);
  g_viewColors[1] = RGB(220, 255, 220);
  g_viewColors[2] = RGB(220, 230, 255);
  g_viewColors[3] = RGB(255, 255, 210);
  g_pDoc = &m_doc;
  // The document keeps no registry store here: what the store would report of
  // that is not shown.
  m_storeMessages = SetSiteStoreMessageHook([](int, const char*, const char*) {});
  for (int n : {2, 3})
    AddSite(n - 2, n);
}

void SerTreeFixture::TearDown()
{
  for (int i = 0; i < MAX_SITES; ++i)
    if (CSiteItem* s = m_doc.m_sites[i])
      keepertest::StopKeeper(*s);
  SetPasteHook(nullptr);
  SetSiteStoreMessageHook(m_storeMessages);
  g_pDoc = nullptr;
}

CSiteItem* SerTreeFixture::AddSite(int slot, int n)
{
  auto* site = new CSiteItem();
  const int port = n == 0 ? peers::UnusedPort() : peers::Port(("ZARN_S2S_PORT_" + std::to_string(n)).c_str());
  keepertest::SetUpSite(*site, port, "zarn", "secret", '0');
  CopySiteText(site->m_host, ("127.0.0." + std::to_string(n == 0 ? 1 : n)).c_str());
  CopySiteText(site->m_name, ("site" + std::to_string(n)).c_str());
  CopySiteText(site->m_remoteFolder, "/");
  site->SiteOptionDigits[4] = '1';
  site->SiteOptionDigits[2] = '0';
  m_doc.m_sites[slot] = site;
  ++m_doc.m_nSites;
  return site;
}

void SerTreeFixture::Make()
{
  using viewhost::CHostListView;
  ASSERT_TRUE(host.Make(viewhost::HostViews()
                            .Set(viewhost::kSerTree, RUNTIME_CLASS(CSerTrView))
                            .Set(viewhost::kSerTree1, RUNTIME_CLASS(CSerTrView1))
                            .Set(viewhost::kSerList1, RUNTIME_CLASS(CHostListView))));
  host.ShowSecondServer(true);
  one = DYNAMIC_DOWNCAST(CSerTrView, host.View(viewhost::kSerTree));
  two = DYNAMIC_DOWNCAST(CSerTrView1, host.View(viewhost::kSerTree1));
  list1 = host.ListView();
  list2 = DYNAMIC_DOWNCAST(CHostListView, host.View(viewhost::kSerList1));
  ASSERT_TRUE(one && two && list1 && list2);
}

HTREEITEM SerTreeFixture::Child(CSerTrViewBase* v, HTREEITEM parent, const char* name)
{
  CTreeCtrl& t = v->GetTreeCtrl();
  for (HTREEITEM c = t.GetChildItem(parent); c != nullptr; c = t.GetNextSiblingItem(c))
    if (t.GetItemText(c) == name)
      return c;
  return nullptr;
}

int SerTreeFixture::Children(CSerTrViewBase* v, HTREEITEM parent)
{
  int n = 0;
  for (HTREEITEM c = v->GetTreeCtrl().GetChildItem(parent); c != nullptr; c = v->GetTreeCtrl().GetNextSiblingItem(c))
    ++n;
  return n;
}

bool SerTreeFixture::SelectAndList(CSerTrViewBase* v, HTREEITEM node)
{
  viewhost::CHostListView* l = v == one ? list1 : list2;
  l->m_statusText = "";
  v->GetTreeCtrl().SelectItem(node);
  return wintest::PumpUntil([&] { return l->m_statusText.Find("Folders") >= 0; }, 20000);
}

bool SerTreeFixture::Idle(DWORD waitMs)
{
  return wintest::PumpUntil([&] { return m_doc.GetTaskThreadCount() == 0; }, waitMs);
}

std::string SerTreeFixture::Root(int n) { return peers::Env(("ZARN_S2S_ROOT_WIN_" + std::to_string(n)).c_str()); }

}  // namespace sertreetest
