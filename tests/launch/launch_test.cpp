// The launchers against a real document with work sites on two pyftpdlib
// servers (127.0.0.2 and .3, which allow each other's addresses for direct
// copies): pastes refused, copied by relay or directly, queued; launchers whose
// connect is refused; the list-row finder and the console seam.
#include "engine/launchers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <map>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/batchjob.h"
#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/viewmessages.h"
#include "engine/viewslots.h"
#include "framework/commctrls.h"
#include "shell/doc/zarndoc.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/keeper/keeperfix.h"
#include "tests/launch/taskanswerer.h"
#include "tests/net/netclient.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace tasktest;
using nettest::LogDump;

namespace {

constexpr int kSlotA = 2;  // 127.0.0.2
constexpr int kSlotB = 3;  // 127.0.0.3
constexpr int kEmptySlot = 7;
const HTREEITEM kNode = reinterpret_cast<HTREEITEM>(intptr_t(0x51));

// A server tree as the launchers see it: node -> path and site.
class FakeTree : public CServerTreeAccess {
public:
  bool NodePath(HTREEITEM node, CString* path, int* siteIndex) override
  {
    if (node != kNode)
      return false;
    *path = m_path.c_str();
    *siteIndex = m_site;
    return true;
  }
  std::string m_path = "/";
  int m_site = kSlotA;
};

// The texts of the error boxes shown while body runs, each answered with OK.
std::vector<std::string> BoxesDuring(const std::function<void()>& body)
{
  return boxdriver::TextsOfBoxesDuring("ZARN ERROR MESSAGE:", IDC_CONFIRM_TEXT, body);
}

int CountCommands(int server, const std::string& command)
{
  std::string path = "Z:" + peers::Env(("ZARN_S2S_LOG_" + std::to_string(server)).c_str());
  for (char& c : path)
    if (c == '/')
      c = '\\';
  std::ifstream in(path);
  std::string line;
  int count = 0;
  while (std::getline(in, line))
    if (line.find("] <- " + command) != std::string::npos)
      ++count;
  return count;
}

std::vector<int> g_docPrompts;
int g_promptAnswer = IDOK;
int AnswerDocBox(const DocBoxRequest& r, BOOL* dontShow)
{
  g_docPrompts.push_back((int)r.stringId);
  *dontShow = FALSE;
  return g_promptAnswer;
}

class Launch : public ::testing::Test {
protected:
  void SetUp() override
  {
    keepertest::FastSettings();
    g_sendTimeout = 3;
    g_recvTimeout = 3;
    g_taskConnectWaitMs = 8000;
    g_optionFlags &= ~((1u << OPTBIT_NOTIFIER) | (1u << OPTBIT_CONFIRM_CONNECT) | (1u << OPTBIT_FXP));
    ASSERT_NE(peers::Port("ZARN_S2S_PORT_2"), 0) << "run under tests/peers/with-peers.sh --s2s --pyftpd";
    roots[2] = peers::Env("ZARN_S2S_ROOT_WIN_2");
    roots[3] = peers::Env("ZARN_S2S_ROOT_WIN_3");
    g_docPrompts.clear();
    g_promptAnswer = IDOK;
    SetDocBoxHook(&AnswerDocBox);
    doc = std::make_unique<CZarnDoc>();
    g_pDoc = doc.get();
    doc->TaskThreads().m_reapIntervalMs = 100;
    for (int n : {kSlotA, kSlotB}) {
      auto* site = new CSiteItem();
      keepertest::SetUpSite(*site, peers::Port(("ZARN_S2S_PORT_" + std::to_string(n)).c_str()), "zarn", "secret",
                            '0');
      CopySiteText(site->m_host, ("127.0.0." + std::to_string(n)).c_str());
      CopySiteText(site->m_localFolder, "C:\\here");
      site->SiteOptionDigits[4] = '1';
      doc->m_sites[n] = site;
      ++doc->m_nSites;
    }
    SetServerTreeAccess(1, &tree);
  }

  void TearDown() override
  {
    ClearServerTreeAccess(1, &tree);
    doc.reset();  // stops the keepers, waits for the tasks
    SetDocBoxHook(nullptr);
    for (BatchJobRecord* job : jobs)
      delete job;
    for (uint32_t token : tokens)
      ReleasePayloadEntries(token);
  }

  CSiteItem& Site(int slot) { return *doc->m_sites[slot]; }

  // A block as the views make it: entries from rows, the source, the target.
  DragPayload Payload(const std::vector<PayloadRow>& rows, int source, const char* sourcePath, int target,
                      const char* targetPath, uint32_t producer = ::GetCurrentProcessId())
  {
    DragPayload p;
    std::string tooLong;
    EXPECT_TRUE(BuildDragPayload(p, rows.data(), (int)rows.size(), source, sourcePath, producer, "12/09/26",
                                 &tooLong));
    p.m_target = target;
    EXPECT_TRUE(SetPayloadPath(p.m_targetPath, targetPath));
    tokens.push_back(p.m_entries);
    return p;
  }

  int Paste(const DragPayload& p) { return PasteBetweenServerPanes(1, kNode, &p, sizeof p); }

  // Pumps until the document's task list is empty (every started task reaped).
  bool TasksEnd(DWORD waitMs = 120000)
  {
    return keepertest::WaitFor(
        [&] {
          MSG msg;
          while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
          }
          return doc->TaskThreads().GetTaskThreadCount() == 0;
        },
        waitMs);
  }

  std::map<int, std::string> roots;
  std::unique_ptr<CZarnDoc> doc;
  FakeTree tree;
  std::vector<uint32_t> tokens;
  std::vector<BatchJobRecord*> jobs;
};

TEST_F(Launch, PastesThatWouldCopyNothingOrIntoThemselvesStartNothing)
{
  Sinks sinks;
  const std::string box = kPasteSamePathText;
  std::vector<int> results;
  // The folder onto itself (a trailing separator changes nothing), and a
  // folder into its own subfolder: the box, no connect, no task.
  const std::vector<std::string> texts = BoxesDuring([&] {
    results.push_back(Paste(Payload({{"a.txt", 3, kEntryFile}}, kSlotA, "/pub", kSlotA, "/pub/")));
    results.push_back(Paste(Payload({{"tree", 0, kEntryFolder}}, kSlotA, "/pub", kSlotA, "/pub/tree/deep")));
  });
  EXPECT_EQ(texts, std::vector<std::string>({box, box}));
  // Another process's block, one naming a slot emptied since, and one with no
  // server side: nothing at all.
  const std::vector<std::string> none = BoxesDuring([&] {
    results.push_back(Paste(Payload({{"a.txt", 3, kEntryFile}}, kSlotA, "/pub", kSlotB, "/in",
                                    ::GetCurrentProcessId() + 1)));
    results.push_back(Paste(Payload({{"a.txt", 3, kEntryFile}}, kEmptySlot, "/pub", kSlotB, "/in")));
    results.push_back(Paste(Payload({{"a.txt", 3, kEntryFile}}, kSlotA, "/pub", kEmptySlot, "/in")));
    results.push_back(Paste(Payload({{"a.txt", 3, kEntryFile}}, -1, "C:\\a", -1, "C:\\b")));
  });
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(results, std::vector<int>(6, 0));
  EXPECT_EQ(doc->TaskThreads().GetTaskThreadCount(), 0);
  EXPECT_EQ(Site(kSlotA).m_pKeeperThread, nullptr);
  EXPECT_EQ(Site(kSlotB).m_pKeeperThread, nullptr);
  EXPECT_TRUE(sinks.funcView.m_got.empty());
  EXPECT_TRUE(sinks.mainFrame.m_got.empty());
}

TEST_F(Launch, TwoSitesCopyByRelayAndDirectlyByteExact)
{
  Sinks sinks;
  MakeFile(roots[2], "src\\big.bin", 700000);
  MakeFile(roots[2], "src\\tree\\sub\\b.bin", 70001);
  WriteAll(roots[2] + "\\src\\tree\\empty.bin", "");
  const std::vector<PayloadRow> rows = {{"big.bin", 700000, kEntryFile}, {"tree", 0, kEntryFolder}};
  const auto same = [&](const std::string& dst) {
    for (const char* rel : {"\\big.bin", "\\tree\\sub\\b.bin", "\\tree\\empty.bin"}) {
      EXPECT_TRUE(Exists(roots[3] + dst + rel)) << rel << LogDump();
      EXPECT_EQ(ReadAll(roots[3] + dst + rel), ReadAll(roots[2] + "\\src" + rel)) << rel;
    }
  };
  const auto directs = [] { return CountCommands(3, "PORT 127,0,0,2,") + CountCommands(2, "PORT 127,0,0,3,"); };
  // Bit 3 clear: through this machine.
  MakeFolder(roots[3], "relay");
  ASSERT_EQ(Paste(Payload(rows, kSlotA, "/src", kSlotB, "/relay")), 1);
  ASSERT_TRUE(TasksEnd()) << LogDump();
  same("\\relay");
  EXPECT_EQ(directs(), 0);
  // Bit 3 set: server to server.
  g_optionFlags |= 1u << OPTBIT_FXP;
  MakeFolder(roots[3], "direct");
  ASSERT_EQ(Paste(Payload(rows, kSlotA, "/src", kSlotB, "/direct")), 1);
  ASSERT_TRUE(TasksEnd()) << LogDump();
  same("\\direct");
  EXPECT_GT(directs(), 0);
  // The clipboard's entries stay for another paste.
  EXPECT_NE(ResolvePayloadEntries(tokens.back(), nullptr), nullptr);
  jobs = Jobs(sinks.funcView);

  // A node launcher on the connected site works in the node's folder.
  tree.m_path = "/src";
  EntryRecord* e = new EntryRecord[2]();
  std::snprintf(e[0].m_name, sizeof e[0].m_name, "made");
  e[0].m_kind = kEntryFolder;
  ASSERT_EQ(LaunchMakeFolderTask(1, kNode, e), 1);
  ASSERT_TRUE(TasksEnd()) << LogDump();
  EXPECT_TRUE(Exists(roots[2] + "\\src\\made")) << LogDump();
  const auto added = sinks.serTrView.Of(UWM_ENTRY_ADDED);
  ASSERT_FALSE(added.empty());
  EXPECT_EQ(added.back().wParam, reinterpret_cast<WPARAM>(kNode));
}

TEST_F(Launch, PastesWithTheLocalSideBecomeQueueItems)
{
  Sinks sinks;
  CSiteItem& a = Site(kSlotA);
  ASSERT_EQ(Paste(Payload({{"one.bin", 1, kEntryFile}, {"tree", 0, kEntryFolder}}, kSlotA, "/src", -1, "C:\\down")),
            1);
  ASSERT_EQ(Paste(Payload({{"up.txt", 12, kEntryFile}}, -1, "C:\\up", kSlotA, "/in")), 1);
  std::vector<Received> adds;
  ASSERT_TRUE(keepertest::WaitFor(
      [&] {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
          ::DispatchMessageA(&msg);
        return sinks.mainFrame.Of(UWM_RUN_QUEUE).size() == 2;
      },
      10000));
  // Item, item, queue tab; then the upload's item and tab (the keeper's
  // connect shows the log tab, 1, on its own).
  using Step = std::pair<UINT, LPARAM>;
  std::vector<Step> order;
  for (const Received& r : sinks.funcView.m_got)
    if (r.message == UWM_QUEUE_ADD || (r.message == UWM_SHOW_FUNC_TAB && r.lParam != 1))
      order.emplace_back(r.message, r.message == UWM_QUEUE_ADD ? 0 : r.lParam);
  const Step item(UWM_QUEUE_ADD, 0), tab(UWM_SHOW_FUNC_TAB, 3);
  EXPECT_EQ(order, std::vector<Step>({item, item, tab, item, tab}));
  std::vector<std::unique_ptr<CPlanItem>> items;
  for (const Received& r : sinks.funcView.Of(UWM_QUEUE_ADD))
    items.emplace_back(reinterpret_cast<CPlanItem*>(r.lParam));
  ASSERT_EQ(items.size(), 3u);
  const struct {
    const char *name, *dir, *local, *remote;
    int kind;
    int64_t size;
  } want[] = {{"one.bin", "<-", "C:\\down", "/src", kEntryFile, 1},
              {"tree", "<-", "C:\\down", "/src", kEntryFolder, 0},
              {"up.txt", "->", "C:\\up", "/in", kEntryFile, 12}};
  for (size_t i = 0; i < 3; ++i) {
    const CPlanItem& it = *items[i];
    EXPECT_STREQ(it.m_fileName, want[i].name);
    EXPECT_STREQ(it.m_direction, want[i].dir);
    EXPECT_STREQ(it.m_localPath, want[i].local);
    EXPECT_STREQ(it.m_remotePath, want[i].remote);
    EXPECT_EQ(it.m_kind, want[i].kind);
    EXPECT_EQ(it.m_fileSize, want[i].size);
    EXPECT_STREQ(it.m_host, "127.0.0.2");
    EXPECT_STREQ(it.m_user, "zarn");
    EXPECT_STREQ(it.m_password, "secret");
    EXPECT_EQ(it.m_port, a.m_port);
    EXPECT_EQ(it.m_anonymous, 0);
    EXPECT_EQ(it.m_passive, 1);
  }
  EXPECT_EQ(doc->TaskThreads().GetTaskThreadCount(), 0);
}

TEST_F(Launch, EachLauncherShowsItsTextWhenTheConnectIsRefused)
{
  Sinks sinks;
  g_optionFlags |= 1u << OPTBIT_CONFIRM_CONNECT;
  g_promptAnswer = IDCANCEL;
  tree.m_path = "/src";
  const auto one = [](const char* name) {
    EntryRecord* e = new EntryRecord[2]();
    std::snprintf(e[0].m_name, sizeof e[0].m_name, "%s", name);
    e[0].m_kind = kEntryFile;
    return e;
  };
  std::vector<int> results;
  const std::vector<std::string> texts = BoxesDuring([&] {
    results.push_back(LaunchOpenFileTask(1, kNode, one("a"), FALSE));
    results.push_back(LaunchOpenFileTask(1, kNode, one("a"), TRUE));
    results.push_back(LaunchMakeFolderTask(1, kNode, one("new")));
    results.push_back(LaunchRenameTask(1, kNode, one("old")));
    results.push_back(LaunchDeleteTask(1, kNode, one("gone"), 1));
    results.push_back(LaunchSetAttributesTask(1, kNode, one("x"), 1));
    results.push_back(LaunchChangePasswordTask(kSlotA, "secret", "other"));
    results.push_back(Paste(Payload({{"a", 1, kEntryFile}}, kSlotA, "/src", kSlotB, "/in")));
  });
  const std::string spaced = "127.0.0.2::Can't connect, terminated. \r\n";
  const std::string bare = "127.0.0.2::Can't connect, terminated.\r\n";
  EXPECT_EQ(texts, std::vector<std::string>({spaced, spaced, spaced, spaced, spaced, spaced, bare, bare}));
  EXPECT_EQ(results, std::vector<int>(8, 0));
  EXPECT_EQ(g_docPrompts, std::vector<int>(8, IDS_CONFIRM_CONNECT));
  EXPECT_EQ(doc->TaskThreads().GetTaskThreadCount(), 0);
  EXPECT_EQ(Site(kSlotA).m_pKeeperThread, nullptr);
  // A node the tree does not know starts nothing and asks nothing.
  EXPECT_EQ(LaunchMakeFolderTask(1, reinterpret_cast<HTREEITEM>(intptr_t(0x99)), one("new")), 0);
  EXPECT_EQ(g_docPrompts.size(), 8u);
}

TEST(LaunchSeams, ListRowsAndTheConsole)
{
  Sinks sinks;
  CWnd host;
  ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
  CListCtrl a, b;
  ASSERT_TRUE(a.Create(LVS_REPORT | WS_CHILD, CRect(0, 0, 100, 100), &host, 1));
  ASSERT_TRUE(b.Create(LVS_REPORT | WS_CHILD, CRect(0, 0, 100, 100), &host, 2));
  a.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
  b.InsertColumn(0, "Name", LVCFMT_LEFT, 80);
  int i = 0;
  for (const char* name : {"x", "Readme", "readme"})
    a.InsertItem(i++, name);
  i = 0;
  for (const char* name : {"readme", "none"})
    b.InsertItem(i++, name);
  EXPECT_EQ(FindMatchingListRow(&a, &b, 0), 2);  // case counts
  EXPECT_EQ(FindMatchingListRow(&a, &b, 1), -1);
  EXPECT_EQ(FindMatchingListRow(&a, &b, 5), -1);

  launchtest::CConsoleRecorder console;
  CSiteItem site;
  CopySiteText(site.m_host, "h.example");
  CopySiteText(site.m_user, "u");
  CopySiteText(site.m_password, "p");
  CopySiteText(site.m_localFolder, "C:\\l");
  site.m_port = 2121;
  site.SiteOptionDigits[1] = '0';
  site.SiteOptionDigits[4] = '0';
  OpenCommandCtrl(&site, &sinks.mainFrame);
  site.SiteOptionDigits[1] = '1';
  site.SiteOptionDigits[4] = '2';
  OpenCommandCtrl(&site, &sinks.mainFrame);
  OpenCommandCtrl(nullptr, &sinks.mainFrame);
  const auto& calls = launchtest::CConsoleRecorder::s_calls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].host + calls[0].user + calls[0].password + calls[0].localFolder, "h.exampleupC:\\l");
  EXPECT_EQ(calls[0].port, 2121);
  EXPECT_EQ(calls[0].passive * 10 + calls[0].anonymous, 0);
  EXPECT_EQ(calls[1].passive * 10 + calls[1].anonymous, 11);
  EXPECT_TRUE(calls[2].nullHost);
  EXPECT_EQ(calls[2].port * 100 + calls[2].passive * 10 + calls[2].anonymous, 1);
  EXPECT_EQ(calls[2].parent, &sinks.mainFrame);
}

}  // namespace
