// Folder items: a three-level tree downloaded from and uploaded to the loopback
// pyftpdlib server byte for byte, hostile listed names that are refused
// without writing anything outside the target folder, and listings that name
// nothing or are too large.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/connlog.h"
#include "engine/planthread.h"
#include "shell/settings/settings.h"
#include "tests/queue/queuefix.h"
#include "tests/support/peers.h"
#include "tests/task/taskfix.h"

using namespace queuetest;

namespace {

// The tree's files by relative path (backslashes), three folder levels deep.
std::map<std::string, std::string> TreeFiles()
{
  return {
      {"a.bin", Pattern(70001, 1)},
      {"empty.bin", std::string()},
      {"one\\b.bin", Pattern(1 << 20, 2)},
      {"one\\two\\c.dat", Pattern(513, 3)},
      {"one\\two\\three\\d.bin", Pattern(200000, 4)},
      {"one\\two\\three\\e.bin", Pattern(9, 5)},
  };
}

void WriteTree(const std::string& base)
{
  for (const auto& f : TreeFiles()) {
    const std::string path = base + "\\" + f.first;
    MakeDirs(path.substr(0, path.rfind('\\')));
    WriteAll(path, f.second);
  }
}

void ExpectTree(const std::string& base)
{
  for (const auto& f : TreeFiles())
    EXPECT_TRUE(Exists(base + "\\" + f.first) && ReadAll(base + "\\" + f.first) == f.second) << f.first;
}

TEST(QueueFolders, AThreeLevelTreeGoesBothWaysByteForByte)
{
  const PeerLogin py = PyftpdPeer();
  ASSERT_NE(py.port, 0) << "run under tests/peers/with-peers.sh --pyftpd --scripted";
  const int port = py.port;
  const std::string& root = py.root;
  const std::string& user = py.user;
  const std::string& pass = py.pass;
  Harness h;
  g_queueThreadCount = 3;
  h.AddSite(port, user.c_str(), pass.c_str());

  tasktest::MakeFolder(root, "ftree");
  WriteTree(root + "\\ftree\\tree");
  const std::string local = FreshTemp("ftree");
  CPlanItem* folder = h.view.Add("<-", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/ftree",
                                 "tree", 0, 7);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  ExpectTree(local + "\\tree");
  EXPECT_EQ(folder->m_status, PLAN_FINISHED);
  // Four folders and six files, every one finished.
  EXPECT_EQ(h.view.All().size(), 10u);
  for (CPlanItem* item : h.view.All())
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_localPath << " " << item->m_fileName;

  // And back up under another folder of the server.
  h.view.Clear();
  tasktest::MakeFolder(root, "utree");
  CPlanItem* up = h.view.Add("->", "127.0.0.1", port, user.c_str(), pass.c_str(), local.c_str(), "/utree", "tree",
                             0, 7);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(up->m_status, PLAN_FINISHED);
  ExpectTree(root + "\\utree\\tree");
  for (CPlanItem* item : h.view.All())
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_localPath << " " << item->m_fileName;
}

TEST(QueueFolders, HostileListedNamesAreRefusedAndNothingLandsOutside)
{
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd --scripted";
  ASSERT_TRUE(peers::Scenario("queue_files"));
  Harness h;
  g_queueThreadCount = 2;
  g_queueRetries = 0;
  const std::string local = FreshTemp("hostile");
  h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "hostile", 0, 7);
  // A folder item whose own name climbs out is refused before anything is made.
  CPlanItem* climb = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "..", 0, 7);
  ASSERT_TRUE(h.Run(60000)) << QueueLogText();
  EXPECT_EQ(climb->m_status, PLAN_ERROR);

  const std::string log = QueueLogText();
  int refused = 0;
  bool good = false;
  for (CPlanItem* item : h.view.All()) {
    if (item->m_kind == 7)
      continue;
    if (std::string(item->m_fileName) == "good.txt") {
      good = true;
      EXPECT_EQ(item->m_status, PLAN_FINISHED);
      continue;
    }
    ++refused;
    EXPECT_EQ(item->m_status, PLAN_ERROR) << item->m_fileName;
    EXPECT_NE(log.find(std::string("127.0.0.1::") + item->m_fileName + " refused: unsafe file name\r\n"),
              std::string::npos)
        << item->m_fileName << "\n" << log;
  }
  EXPECT_TRUE(good);
  EXPECT_GE(refused, 3);
  EXPECT_EQ(EntriesIn(local), std::vector<std::string>{"hostile"});
  EXPECT_EQ(EntriesIn(local + "\\hostile"), std::vector<std::string>{"good.txt"});
}

// Lines of neither listing style and special files are not queued as files,
// and a listing past the limit fails the folder instead of growing without end.
TEST(QueueFolders, UnreadableListingLinesAndOversizedListingsQueueNoInventedNames)
{
  const int port = peers::Port("ZARN_SCRIPTED_PORT");
  ASSERT_NE(port, 0) << "run under tests/peers/with-peers.sh --pyftpd --scripted";
  ASSERT_TRUE(peers::Scenario("queue_hostile_listing"));
  Harness h;
  g_queueThreadCount = 2;
  g_queueRetries = 0;
  const std::string local = FreshTemp("oddlist");
  CPlanItem* odd = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "odd", 0, 7);
  CPlanItem* huge = h.view.Add("<-", "127.0.0.1", port, "u", "p", local.c_str(), "/", "huge", 0, 7);
  ASSERT_TRUE(h.Run(120000)) << QueueLogText();
  const std::string log = QueueLogText();
  EXPECT_EQ(odd->m_status, PLAN_FINISHED) << log;
  EXPECT_EQ(huge->m_status, PLAN_ERROR) << log;
  EXPECT_NE(log.find("127.0.0.1::The listing is larger than 16 MBytes, dropped.\r\n"), std::string::npos) << log;
  std::vector<std::string> files;
  for (CPlanItem* item : h.view.All()) {
    if (item->m_kind == 7)
      continue;
    files.push_back(item->m_fileName);
    EXPECT_EQ(item->m_status, PLAN_FINISHED) << item->m_fileName;
  }
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"good.txt", "my file.txt"}));
  std::vector<std::string> landed = EntriesIn(local + "\\odd");
  std::sort(landed.begin(), landed.end());
  EXPECT_EQ(landed, (std::vector<std::string>{"good.txt", "my file.txt"}));
}

}  // namespace
