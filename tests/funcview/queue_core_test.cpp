// The queue's rules without windows: tidy, moves, sorting, the next-item rule,
// the held mark against a worker thread, and the queue file's write policy.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "engine/siteitem.h"
#include "shell/funcview/core/queuecore.h"
#include "shell/funcview/core/queuefile.h"
#include "shell/sitestore/sitetable.h"

namespace {

CPlanItem* Item(const char* name, int32_t status, const char* host = "h", int port = 21, const char* user = "u")
{
  CPlanItem* item = new CPlanItem;
  std::snprintf(item->m_fileName, sizeof(item->m_fileName), "%s", name);
  std::snprintf(item->m_host, sizeof(item->m_host), "%s", host);
  std::snprintf(item->m_user, sizeof(item->m_user), "%s", user);
  item->m_port = port;
  item->m_kind = 5;
  item->m_status = status;
  return item;
}

std::string Names(const CObArray& items)
{
  std::string s;
  for (INT_PTR i = 0; i < items.GetSize(); ++i)
    s += (s.empty() ? "" : ",") + std::string(QueueItemAt(items, i)->m_fileName);
  return s;
}

struct Queue {
  CObArray items;
  ~Queue()
  {
    for (INT_PTR i = 0; i < items.GetSize(); ++i)
      delete QueueItemAt(items, i);
  }
  CPlanItem* Add(CPlanItem* item)
  {
    items.Add(item);
    return item;
  }
};

// A table of 200 slots.
struct Sites {
  CSiteItem* slots[MAX_SITES] = {};
  std::vector<int> units = std::vector<int>(MAX_SITES, 0);
  ~Sites()
  {
    for (CSiteItem* s : slots)
      delete s;
  }
  CSiteItem* Put(int slot, const char* host, int port, const char* user, int freeUnits)
  {
    CSiteItem* s = new CSiteItem;
    CopySiteText(s->m_host, host);
    CopySiteText(s->m_user, user);
    s->m_port = port;
    slots[slot] = s;
    units[slot] = freeUnits;
    return s;
  }
  QueueSiteAt At()
  {
    return [this](int i) { return i >= 0 && i < MAX_SITES ? slots[i] : nullptr; };
  }
  QueueTakeUnit Take()
  {
    return [this](CSiteItem* site) {
      for (int i = 0; i < MAX_SITES; ++i)
        if (slots[i] == site && units[i] > 0) {
          --units[i];
          return true;
        }
      return false;
    };
  }
};

}  // namespace

TEST(QueueCore, TidyWalksOncePerItemAndStopsAtAQueuedOne)
{
  {
    // A queued item ends the pass; what follows stays in place.
    Queue q;
    q.Add(Item("f1", PLAN_FINISHED));
    q.Add(Item("q", PLAN_QUEUED));
    q.Add(Item("f2", PLAN_FINISHED));
    QueueTidyResult r = QueueTidy(q.items, false, 3);
    EXPECT_EQ(Names(q.items), "q,f2,f1");
    EXPECT_FALSE(r.runQueue);
  }
  {
    // Finished: kind 7 goes, a file is moved to the end, or goes with auto-delete.
    Queue q;
    q.Add(Item("dir", PLAN_FINISHED))->m_kind = 7;
    q.Add(Item("file", PLAN_FINISHED));
    q.Add(Item("wait", PLAN_STOPPED));
    EXPECT_EQ(QueueTidy(q.items, false, 3).removed, 1);
    EXPECT_EQ(Names(q.items), "wait,file");
    EXPECT_EQ(QueueTidy(q.items, true, 3).removed, 1);
    EXPECT_EQ(Names(q.items), "wait");
  }
  {
    // Errors by failure action; action 2 queues again only below the limit.
    Queue q;
    q.Add(Item("e0", PLAN_ERROR))->m_failAction = PLAN_FAIL_REMOVE;
    q.Add(Item("e1", PLAN_ERROR))->m_failAction = PLAN_FAIL_MOVE_LAST;
    CPlanItem* again = q.Add(Item("e2", PLAN_ERROR));
    again->m_failAction = PLAN_FAIL_RETRY_LAST;
    again->m_retryCount = 2;
    CPlanItem* spent = q.Add(Item("e3", PLAN_ERROR));
    spent->m_failAction = PLAN_FAIL_RETRY_LAST;
    spent->m_retryCount = 3;
    q.Add(Item("w", PLAN_STOPPED));
    QueueTidyResult r = QueueTidy(q.items, false, 3);
    EXPECT_EQ(Names(q.items), "w,e1,e2,e3");
    EXPECT_TRUE(r.runQueue);
    EXPECT_EQ(again->m_status, PLAN_QUEUED);
    EXPECT_EQ(spent->m_status, PLAN_ERROR);
    // The pass examined each item once: the requeued one moved behind it ends nothing.
  }
  {
    // An all-finished list ends after one look at each (kept in order).
    Queue q;
    for (const char* n : {"a", "b", "c"})
      q.Add(Item(n, PLAN_FINISHED));
    QueueTidy(q.items, false, 3);
    EXPECT_EQ(Names(q.items), "a,b,c");
    // A held finished item is passed over and reported for a later pass.
    MarkHeld(QueueItemAt(q.items, 1));
    QueueTidyResult r = QueueTidy(q.items, true, 3);
    EXPECT_TRUE(r.heldSkipped);
    EXPECT_EQ(Names(q.items), "b");
    ReleaseHeld(QueueItemAt(q.items, 0));
  }
}

TEST(QueueCore, TidyWaitsForTheTickOnlyWhileWorkersHaveQueuedItems)
{
  Queue q;
  CPlanItem* done = q.Add(Item("done", PLAN_FINISHED));
  CPlanItem* next = q.Add(Item("next", PLAN_QUEUED));
  EXPECT_TRUE(QueueTidyMayWait(q.items, 50, 200));
  // A tidy as long ago as the tick, or longer, runs now.
  EXPECT_FALSE(QueueTidyMayWait(q.items, 200, 200));
  // A tick count that wrapped since the last tidy reads as long ago.
  EXPECT_FALSE(QueueTidyMayWait(q.items, 0u - 5u, 200));
  // Picked ahead for a worker (held, still queued): the workers go on without a tidy.
  MarkHeld(next);
  EXPECT_TRUE(QueueTidyMayWait(q.items, 50, 200));
  ReleaseHeld(next);
  // Nothing queued: a worker running dry needs the failed items requeued now.
  next->m_status = PLAN_WORKING;
  EXPECT_FALSE(QueueTidyMayWait(q.items, 50, 200));
  done->m_status = PLAN_ERROR;
  EXPECT_FALSE(QueueTidyMayWait(q.items, 50, 200));
  Queue empty;
  EXPECT_FALSE(QueueTidyMayWait(empty.items, 0, 200));
}

TEST(QueueCore, InsertRuleAndMovesThatWrap)
{
  Queue q;
  q.Add(Item("a", 0));
  q.Add(Item("b", 0));
  EXPECT_EQ(QueueInsert(q.items, -1, Item("end", 0)), 2);
  EXPECT_EQ(QueueInsert(q.items, 9, Item("top", 0)), 0);  // beyond the count: the top
  EXPECT_EQ(QueueInsert(q.items, 4, Item("at4", 0)), 4);  // exactly the count: there
  EXPECT_EQ(Names(q.items), "top,a,b,end,at4");
  EXPECT_EQ(QueueMove(q.items, 0, true), 4);
  EXPECT_EQ(Names(q.items), "a,b,end,at4,top");
  EXPECT_EQ(QueueMove(q.items, 4, false), 0);
  EXPECT_EQ(Names(q.items), "top,a,b,end,at4");
  EXPECT_EQ(QueueMove(q.items, 1, false), 2);
  EXPECT_EQ(Names(q.items), "top,b,a,end,at4");
  EXPECT_EQ(QueueMove(q.items, 7, true), -1);
}

TEST(QueueCore, SortByTextSizeAndStatus)
{
  Queue q;
  q.Add(Item("b", PLAN_ERROR))->m_fileSize = 5000000000LL;
  q.Add(Item("B", PLAN_QUEUED))->m_fileSize = 7;
  q.Add(Item("a", PLAN_STOPPED))->m_fileSize = 300;
  QueueSort(q.items, 4, true);
  EXPECT_EQ(Names(q.items), "B,a,b");  // case-sensitive
  QueueSort(q.items, 4, false);
  EXPECT_EQ(Names(q.items), "b,a,B");
  QueueSort(q.items, 5, true);
  EXPECT_EQ(Names(q.items), "B,a,b");  // sizes beyond 32 bits compare as numbers
  QueueSort(q.items, 6, false);
  EXPECT_EQ(Names(q.items), "b,B,a");
}

TEST(QueueCore, NextItemRule)
{
  std::atomic<int32_t> exitFlag{0};
  {
    // Every item's site at its limit: nothing, all still queued.
    Sites sites;
    sites.Put(3, "h", 21, "u", 0);
    Queue q;
    q.Add(Item("a", PLAN_QUEUED));
    q.Add(Item("b", PLAN_QUEUED));
    int slot = 99;
    EXPECT_EQ(QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot), nullptr);
    EXPECT_EQ(QueueItemAt(q.items, 0)->m_status, PLAN_QUEUED);
    EXPECT_EQ(QueueItemAt(q.items, 1)->m_status, PLAN_QUEUED);
    EXPECT_FALSE(IsHeld(QueueItemAt(q.items, 0)));
  }
  {
    // A site above an empty slot, found with its host in other case; an item
    // of no site gets -1; a second ask never gets the same item.
    Sites sites;
    sites.Put(150, "Ftp.Example.ORG", 2121, "Joe", 1);
    Queue q;
    q.Add(Item("stopped", PLAN_STOPPED, "ftp.example.org", 2121, "Joe"));
    CPlanItem* site = q.Add(Item("s", PLAN_QUEUED, "ftp.example.org", 2121, "Joe"));
    CPlanItem* user = q.Add(Item("user-case", PLAN_QUEUED, "ftp.example.org", 2121, "joe"));
    int slot = 99;
    EXPECT_EQ(QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot), site);
    EXPECT_EQ(slot, 150);
    EXPECT_EQ(site->m_status, PLAN_WORKING);
    EXPECT_TRUE(IsHeld(site));
    EXPECT_EQ(QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot), user);
    EXPECT_EQ(slot, -1);  // users compare exactly: no site
    EXPECT_EQ(QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot), nullptr);

    // The site form: the same server, host ignoring case, user exactly.
    CPlanItem* more = q.Add(Item("more", PLAN_QUEUED, "FTP.example.org", 2121, "Joe"));
    q.Add(Item("other-port", PLAN_QUEUED, "ftp.example.org", 21, "Joe"));
    EXPECT_EQ(QueueNextItemForSite(q.items, *sites.slots[150], exitFlag), more);
    EXPECT_TRUE(IsHeld(more));
    EXPECT_EQ(QueueNextItemForSite(q.items, *sites.slots[150], exitFlag), nullptr);

    // The exit flag ends both forms.
    q.Add(Item("late", PLAN_QUEUED, "x", 1, "y"));
    exitFlag = 1;
    EXPECT_EQ(QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot), nullptr);
    EXPECT_EQ(QueueItemAt(q.items, 4)->m_status, PLAN_QUEUED);
    exitFlag = 0;
    for (CPlanItem* held : {site, user, more})
      ReleaseHeld(held);
  }
}

// A worker thread takes items as the executor does (status, then the held mark
// last) while the GUI side runs the commands. Nothing it holds may be freed
// (ASan) nor handed out twice or queued again while held.
TEST(QueueCore, CommandsNeverTouchAHeldItem)
{
  Queue q;
  std::atomic<int32_t> exitFlag{0};
  std::atomic<CPlanItem*> handed{nullptr};
  std::atomic<bool> stop{false};
  std::atomic<int> faults{0};
  std::thread worker([&] {
    while (!stop.load()) {
      CPlanItem* item = handed.exchange(nullptr);
      if (item == nullptr) {
        std::this_thread::yield();
        continue;
      }
      for (int i = 0; i < 50; ++i) {
        __atomic_store_n(&item->m_bytesDone, i, __ATOMIC_RELAXED);  // the connection's writes
        const int32_t s = StatusOf(item);
        if (s == PLAN_QUEUED)
          ++faults;  // requeued under the worker
        if (s == PLAN_STOPPED)
          break;
      }
      if (StatusOf(item) == PLAN_WORKING)
        SetStatus(item, (item->m_bytesDone & 1) != 0 ? PLAN_FINISHED : PLAN_ERROR);
      ReleaseHeld(item);
    }
  });
  Sites sites;
  std::mt19937 random(41);
  for (int round = 0; round < 10000; ++round) {
    while (q.items.GetSize() < 6)
      q.Add(Item("x", PLAN_QUEUED));
    if (handed.load() == nullptr) {
      int slot = 0;
      CPlanItem* item = QueueNextItem(q.items, sites.At(), exitFlag, sites.Take(), &slot);
      if (item != nullptr)
        handed.store(item);
    }
    std::vector<int> rows = {static_cast<int>(random() % 6), static_cast<int>(random() % 6)};
    switch (random() % 6) {
      case 0: QueueStopRows(q.items, rows); break;
      case 1: QueueDeleteRows(q.items, rows); break;
      case 2: QueueClear(q.items); break;
      case 3: QueueResetAll(q.items, sites.At()); break;
      case 4: QueueResetRows(q.items, rows, sites.At()); break;
      default: QueueTidy(q.items, random() % 2 == 0, 2); break;
    }
  }
  stop = true;
  worker.join();
  EXPECT_EQ(faults.load(), 0);
  CPlanItem* left = handed.load();
  if (left != nullptr)
    ReleaseHeld(left);
}

// The picks made ahead for workers that keep their connection: taken in queue
// order, never one that a command stopped, and gone from the board before the
// page changes the queue.
TEST(QueueCore, HandOverBoardKeepsOrderAndLetsGo)
{
  Sites sites;
  CSiteItem* site = sites.Put(0, "H", 21, "u", 1);
  CSiteItem* other = sites.Put(1, "o", 21, "u", 1);
  std::atomic<int32_t> exitFlag{0};
  QueueHandOverBoard board;
  Queue q;
  for (int i = 0; i < 12; ++i)
    q.Add(Item(("n" + std::to_string(i)).c_str(), PLAN_QUEUED, i == 3 ? "o" : "h"));
  q.Add(nullptr);  // a null entry ends the walk
  q.Add(Item("after-null", PLAN_QUEUED));
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), QueueHandOverBoard::kDepth);
  EXPECT_EQ(board.Take(other), nullptr);
  CPlanItem* first = board.Take(site);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->m_fileName, "n0");
  EXPECT_TRUE(ClaimHandedOver(first));
  EXPECT_EQ(StatusOf(first), PLAN_WORKING);
  EXPECT_TRUE(IsHeld(first));
  // Filled again: the spot taken goes to the next item, never to one already there.
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), 1);
  CPlanItem* back[QueueHandOverBoard::kDepth];
  ASSERT_EQ(board.TakeBackAll(back, QueueHandOverBoard::kDepth), QueueHandOverBoard::kDepth);
  std::string onBoard;
  for (CPlanItem* item : back) {
    onBoard += std::string(onBoard.empty() ? "" : ",") + item->m_fileName;
    ReleaseHeld(item);
  }
  EXPECT_EQ(onBoard, "n1,n2,n4,n5,n6,n7,n8,n9");
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), QueueHandOverBoard::kDepth);
  // A Stop reached the next pick before its worker did: let go, not handed.
  CPlanItem* second = board.Take(site);
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second->m_fileName, "n1");
  SetStatus(second, PLAN_STOPPED);
  EXPECT_FALSE(ClaimHandedOver(second));
  EXPECT_FALSE(IsHeld(second));
  // Taken back, the page's rule answers the first queued item, and a Delete
  // of the rows the board had frees them (ASan sees a use of a freed item).
  EXPECT_EQ(QueueTakeBackHandOver(board), QueueHandOverBoard::kDepth - 1);
  CPlanItem* next = QueueNextItemForSite(q.items, *site, exitFlag);
  ASSERT_NE(next, nullptr);
  EXPECT_STREQ(next->m_fileName, "n2");
  EXPECT_EQ(QueueDeleteRows(q.items, {4, 5}), 2);
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), 6);  // n6..n11; the null entry ends it
  EXPECT_STREQ(board.Take(site)->m_fileName, "n6");
  EXPECT_EQ(board.NextWanted(), other);  // each site once, in the order asked
  EXPECT_EQ(board.NextWanted(), site);
  EXPECT_EQ(board.NextWanted(), nullptr);
  // Nothing is put once the program closes or the site stopped.
  QueueTakeBackHandOver(board);
  exitFlag = 1;
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), 0);
  exitFlag = 0;
  site->m_queueRun = 0;
  EXPECT_EQ(QueueFillHandOver(q.items, *site, board, exitFlag), 0);
  for (INT_PTR i = 0; i < q.items.GetSize(); ++i)
    if (CPlanItem* item = QueueItemAt(q.items, i))
      ReleaseHeld(item);
}

// A worker takes from the board while the page's thread fills it, answers the
// other worker's requests and runs the commands, each after taking the board
// back. Every item is handed once at most, in queue order, and none is freed
// while a worker holds it (ASan).
TEST(QueueCore, HandOverUnderCommands)
{
  Sites sites;
  CSiteItem* site = sites.Put(0, "h", 21, "u", 1);
  std::atomic<int32_t> exitFlag{0};
  QueueHandOverBoard board;
  Queue q;
  std::mutex order;
  std::vector<int> handed;
  int faults = 0;
  // Under `order`: the item's number must follow every one handed before.
  auto record = [&](CPlanItem* item) {
    const int n = std::atoi(item->m_fileName);
    if (!handed.empty() && n <= handed.back())
      ++faults;
    handed.push_back(n);
  };
  auto finish = [](CPlanItem* item) {
    if (StatusOf(item) == PLAN_WORKING)
      SetStatus(item, PLAN_FINISHED);
    ReleaseHeld(item);
  };
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    while (!stop.load()) {
      CPlanItem* item = nullptr;
      {
        std::lock_guard<std::mutex> guard(order);
        while ((item = board.Take(site)) != nullptr && !ClaimHandedOver(item)) {
        }
        if (item != nullptr)
          record(item);
      }
      if (item == nullptr) {
        std::this_thread::yield();
        continue;
      }
      for (int i = 0; i < 20; ++i)
        __atomic_store_n(&item->m_bytesDone, i, __ATOMIC_RELAXED);
      finish(item);
    }
  });
  std::mt19937 random(53);
  int number = 0;
  for (int round = 0; round < 10000; ++round) {
    while (q.items.GetSize() < 12)
      q.Add(Item(std::to_string(number++).c_str(), PLAN_QUEUED));
    QueueFillHandOver(q.items, *site, board, exitFlag);
    std::this_thread::yield();
    std::vector<int> rows = {static_cast<int>(random() % 12), static_cast<int>(random() % 12)};
    QueueTakeBackHandOver(board);
    switch (random() % 5) {
      case 0: QueueStopRows(q.items, rows); break;
      case 1: QueueDeleteRows(q.items, rows); break;
      case 2: QueueClear(q.items); break;
      case 3: QueueTidy(q.items, true, 0); break;
      default: {
        std::lock_guard<std::mutex> guard(order);
        CPlanItem* item = QueueNextItemForSite(q.items, *site, exitFlag);
        if (item != nullptr) {
          record(item);
          finish(item);
        }
        break;
      }
    }
  }
  stop = true;
  worker.join();
  QueueTakeBackHandOver(board);
  EXPECT_EQ(faults, 0);
  EXPECT_GT(handed.size(), 100u);
}

namespace {

std::string TempPath(const char* name)
{
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/zarn-queue-core-" + std::to_string(::getpid()) + "-" + name;
}

std::string Bytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(QueueCore, QueueFilePolicy)
{
  const std::string path = TempPath("queue.dat");
  Queue q;
  q.Add(Item("keep", PLAN_ERROR));
  q.Add(Item("done", PLAN_FINISHED));
  // Bit 10: finished items are not written; the temporary file is gone.
  ASSERT_TRUE(SaveQueueFile(path.c_str(), q.items, true));
  EXPECT_FALSE(std::ifstream(path + ".tmp").good());
  {
    Queue back;
    EXPECT_EQ(LoadQueueFile(path.c_str(), back.items), QueueFileLoad::kLoaded);
    EXPECT_EQ(Names(back.items), "keep");
  }
  ASSERT_TRUE(SaveQueueFile(path.c_str(), q.items, false));
  const std::string good = Bytes(path);

  // An empty name writes nothing; a 0-byte file is an empty queue.
  EXPECT_TRUE(SaveQueueFile("", q.items, false));
  Put(path, "");
  {
    Queue back;
    EXPECT_EQ(LoadQueueFile(path.c_str(), back.items), QueueFileLoad::kEmpty);
    EXPECT_EQ(back.items.GetSize(), 0);
  }

  // Damage of every kind: nothing appended, the file moved aside before any write.
  // A count of 2^31 in the long form of the count.
  const std::string huge = std::string("\xFF\xFF\x00\x00\x00\x80", 6) + good.substr(2);
  std::string unknown = good;
  unknown.replace(unknown.find("CPlanItem"), 9, "CPlanIteX");
  for (const std::string& bad : {good.substr(0, good.size() - 3), huge, unknown}) {
    Put(path, bad);
    Queue back;
    back.Add(Item("before", PLAN_STOPPED));
    EXPECT_EQ(LoadQueueFile(path.c_str(), back.items), QueueFileLoad::kDamaged);
    EXPECT_EQ(Names(back.items), "before");
    EXPECT_FALSE(std::ifstream(path).good());
    EXPECT_EQ(Bytes(path + ".damaged"), bad);
  }

  // The dirty mark stays while a write fails (a folder in the way of the
  // temporary file), and the last good file stays as it was.
  Put(path, good);
  QueueFileState state;
  state.MarkDirty();
  ASSERT_EQ(::mkdir((path + ".tmp").c_str(), 0700), 0);
  EXPECT_FALSE(state.Flush(path.c_str(), q.items, false));
  EXPECT_TRUE(state.Dirty());
  EXPECT_EQ(Bytes(path), good);
  ::rmdir((path + ".tmp").c_str());
  EXPECT_TRUE(state.Flush(path.c_str(), q.items, false));
  EXPECT_FALSE(state.Dirty());

  // Import: the file's items appended; a damaged one appends none and says
  // so, a missing one is only that.
  {
    Queue in;
    int added = 0;
    EXPECT_EQ(ReadPlanFile(path.c_str(), in.items, &added), PlanFileRead::kLoaded);
    EXPECT_EQ(added, 2);
    Put(path, huge);
    EXPECT_EQ(ReadPlanFile(path.c_str(), in.items, &added), PlanFileRead::kDamaged);
    EXPECT_EQ(added, 0);
    Put(path, good.substr(0, good.size() - 3));
    EXPECT_EQ(ReadPlanFile(path.c_str(), in.items, &added), PlanFileRead::kDamaged);
    EXPECT_EQ(added, 0);
    EXPECT_EQ(ReadPlanFile((path + ".none").c_str(), in.items, &added), PlanFileRead::kCannotOpen);
    EXPECT_EQ(Names(in.items), "keep,done");
  }
  EXPECT_TRUE(SamePlanPath("C:\\Zarn\\Queue.DAT", "c:/zarn/queue.dat"));
  std::remove(path.c_str());
  std::remove((path + ".damaged").c_str());
}
