// The listing cache against the scripted server: a LIST held back while the
// test deletes the node leaves no file behind, a live node's listing does, and
// every file in the cache folder names a node still in the tree.
#include "tests/framework_gui/guitest.h"

#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <string>

#include "../doc/docfix.h"
#include "engine/listingcache.h"
#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"
#include "tests/keeper/keeperfix.h"
#include "tests/support/peers.h"
#include "tests/support/tempfolder.h"
#include "views/viewhelper.h"

CWinApp theApp("views_cache");

namespace {

using guitest::PumpUntil;

// The scenario's LIST_GATE, of this fixture's scripted server.
std::string Gate()
{
  return "Z:\\tmp\\zarn_list_gate." + std::to_string(peers::Port("ZARN_SCRIPTED_PORT"));
}

class CTreeHost : public CWnd {
public:
  CTreeCtrl m_tree;

protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
  {
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->hwndFrom == m_tree.m_hWnd && hdr->code == TVN_DELETEITEMA) {
      NMTREEVIEWA* tv = reinterpret_cast<NMTREEVIEWA*>(lParam);
      OnCacheNodeDeleted(&m_tree, tv->itemOld.hItem, tv->itemOld.lParam);
      return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
  }
};

bool Sent(const std::string& verb)
{
  std::vector<std::string> got = peers::Received();
  return std::any_of(got.begin(), got.end(), [&](const std::string& l) { return l.rfind(verb, 0) == 0; });
}

void Nodes(CTreeCtrl& tree, HTREEITEM item, std::set<std::string>& out)
{
  for (; item != nullptr; item = tree.GetNextSiblingItem(item)) {
    out.insert(ListingCacheNodeText(reinterpret_cast<intptr_t>(item)));
    Nodes(tree, tree.GetChildItem(item), out);
  }
}

// The names of the plain files in folder.
std::vector<std::string> Files(const std::string& folder)
{
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
      names.push_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

TEST(ViewsCache, AListingHeldBackWhileItsNodeIsDeletedLeavesNoFile)
{
  guitest::BecomeGuiThread();
  DeleteFileA(Gate().c_str());
  keepertest::FastSettings();
  g_taskConnectWaitMs = 8000;
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --scripted";
  ASSERT_TRUE(peers::Scenario("list_gated"));

  SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE\\ZARN\\ZARNSITE");
  ResetSettingsDefaults();
  const std::string folder = testsupport::TempFolder("zarn-vcache");
  lstrcpynA(g_appPath, folder.c_str(), (int)sizeof g_appPath);
  doctest::RecordBoxes();
  CZarnDoc doc;
  ASSERT_TRUE(doc.OnNewDocument());
  SiteRecord r;
  memset(&r, 0, sizeof r);
  lstrcpynA(r.m_name, "held", sizeof r.m_name);
  lstrcpynA(r.m_host, "127.0.0.1", sizeof r.m_host);
  memcpy(r.SiteOptionDigits, "0010000000", sizeof r.SiteOptionDigits);
  r.m_port = port;
  CSiteItem* site = doc.AddSite(&r);
  ASSERT_NE(site, nullptr);
  int slot = 0;
  while (doc.GetSite(slot) != site)
    ++slot;
  const std::string cache = site->m_cacheFolder;
  ASSERT_FALSE(cache.empty());
  keepertest::SetUpSite(*site, port, "zarn", "secret", '0');
  site->SiteOptionDigits[2] = '1';
  ASSERT_NO_FATAL_FAILURE(keepertest::StartWorkerSite(*site));

  CTreeHost host;
  ASSERT_TRUE(host.CreateEx(0, nullptr, "cache", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
  ASSERT_TRUE(host.m_tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), &host, 10));
  CTreeCtrl& tree = host.m_tree;
  g_pSerTrView = &host;
  CViewHelper helper;
  auto child = [&](HTREEITEM parent, const char* label) {
    CString text(label);
    HTREEITEM node = helper.InsertTreeItem(parent, &tree, text, "", FALSE);
    tree.SetItemData(node, (DWORD_PTR)slot);
    return node;
  };
  HTREEITEM root = helper.InsertRootItem(&tree, FALSE);
  HTREEITEM siteNode = child(root, "held");
  HTREEITEM x = child(siteNode, "x");
  HTREEITEM y = child(siteNode, "y");
  auto file = [&](HTREEITEM n) { return ListingCacheFileName(cache.c_str(), reinterpret_cast<intptr_t>(n)); };
  auto exists = [](const std::string& p) { return GetFileAttributesA(p.c_str()) != INVALID_FILE_ATTRIBUTES; };

  // Held back: the node goes while its LIST waits.
  tree.SelectItem(x);
  ASSERT_TRUE(helper.StartTaskThread(new CProgThread(1, TASK_LIST, site, x, "/x", 0, nullptr)));
  ASSERT_TRUE(PumpUntil([] { return Sent("LIST"); }, 30000));
  const std::string xFile = file(x);
  tree.DeleteItem(x);
  CloseHandle(CreateFileA(Gate().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(PumpUntil([&] { return doc.TaskThreads().GetTaskThreadCount() == 0; }, 60000));
  EXPECT_FALSE(exists(xFile)) << "a deleted node's listing is not kept";

  // A live node's listing is kept.
  tree.SelectItem(y);
  ASSERT_TRUE(helper.StartTaskThread(new CProgThread(1, TASK_LIST, site, y, "/y", 0, nullptr)));
  ASSERT_TRUE(PumpUntil([&] { return doc.TaskThreads().GetTaskThreadCount() == 0; }, 60000));
  EXPECT_TRUE(exists(file(y)));

  // A node made now (perhaps with x's old handle) finds nothing of x.
  HTREEITEM z = child(siteNode, "z");
  EXPECT_FALSE(exists(file(z)));
  std::set<std::string> live;
  Nodes(tree, tree.GetRootItem(), live);
  for (const std::string& name : Files(cache))
    EXPECT_TRUE(live.count(name) != 0) << name << " names no live node";

  g_pSerTrView = nullptr;
  DeleteFileA(Gate().c_str());
  keepertest::StopKeeper(*site);
  host.DestroyWindow();
}

}  // namespace
