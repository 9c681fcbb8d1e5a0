// The rules of the search and site-to-site lists and of the queue's boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/siteitem.h"
#include "shell/funcview/core/batchcore.h"
#include "shell/funcview/core/planitemedit.h"
#include "shell/funcview/core/queueinfo.h"
#include "shell/funcview/core/searchcore.h"

namespace {

void SetSite(CSiteItem& site, const char* host, int port, const char* user, const char* password, char anon,
             char pasv)
{
  std::snprintf(site.m_host, sizeof site.m_host, "%s", host);
  std::snprintf(site.m_user, sizeof site.m_user, "%s", user);
  std::snprintf(site.m_password, sizeof site.m_password, "%s", password);
  site.m_port = port;
  site.SiteOptionDigits[1] = anon;
  site.SiteOptionDigits[4] = pasv;
  site.m_queueRun = 0;
}

EntryRecord Entry(const char* name, const char* folder, int64_t size, int slot)
{
  EntryRecord e;
  std::memset(&e, 0, sizeof e);
  std::snprintf(e.m_name, sizeof e.m_name, "%s", name);
  std::snprintf(e.m_second, sizeof e.m_second, "%s", folder);
  e.m_size = size;
  e.m_kind = 0;
  e.m_tag = slot;
  return e;
}

std::string Row(const QueueInfoRows& rows, const char* label)
{
  for (const QueueInfoRow& r : rows)
    if (r.label == label)
      return r.value;
  return "<missing>";
}

}  // namespace

TEST(SearchDownloads, ItemsCarryTheListingSiteAndSkipChangedSlots)
{
  CSiteItem a, b, c;
  SetSite(a, "ftp.one", 2121, "ann", "pw1", '0', '1');
  SetSite(b, "ftp.two", 21, "bob", "pw2", '1', '0');
  CSiteItem* slots[3] = {&a, &b, nullptr};
  const QueueSiteAt siteAt = [&](int i) { return i >= 0 && i < 3 ? slots[i] : nullptr; };

  std::string longName(255, 'n');
  std::vector<SearchHit> hits;
  hits.push_back(MakeSearchHit(Entry(longName.c_str(), "/pub/deep/dir", 5000000000LL, 0), slots[0]));
  hits.push_back(MakeSearchHit(Entry("b.txt", "/home/bob", 12, 1), slots[1]));
  hits.push_back(MakeSearchHit(Entry("gone.txt", "/x", 1, 2), slots[2]));  // no site on arrival

  // Slot 1 refilled by another server after its results came.
  CSiteItem other;
  SetSite(other, "ftp.evil", 21, "bob", "stolen", '0', '0');
  std::vector<const SearchHit*> all;
  for (const SearchHit& h : hits) all.push_back(&h);

  SearchQueueResult before = BuildSearchDownloads(all, "C:\\in", siteAt);
  ASSERT_EQ(before.items.size(), 2u);
  EXPECT_EQ(before.skipped, 1);
  const CPlanItem& first = *before.items[0];
  EXPECT_EQ(std::string(first.m_fileName), longName);
  EXPECT_STREQ(first.m_remotePath, "/pub/deep/dir");
  EXPECT_STREQ(first.m_localPath, "C:\\in");
  EXPECT_STREQ(first.m_direction, "<-");
  EXPECT_EQ(first.m_kind, 5);
  EXPECT_EQ(first.m_fileSize, 5000000000LL);
  EXPECT_STREQ(first.m_host, "ftp.one");
  EXPECT_EQ(first.m_port, 2121);
  EXPECT_STREQ(first.m_user, "ann");
  EXPECT_STREQ(first.m_password, "pw1");
  EXPECT_EQ(first.m_anonymous, 0);
  EXPECT_EQ(first.m_passive, 1);
  EXPECT_EQ(before.items[1]->m_anonymous, 1);
  EXPECT_EQ(before.items[1]->m_passive, 0);
  EXPECT_EQ(a.m_queueRun.load(), 1);
  EXPECT_EQ(b.m_queueRun.load(), 1);
  for (CPlanItem* p : before.items) delete p;

  slots[1] = &other;
  b.m_queueRun = 0;
  SearchQueueResult refilled = BuildSearchDownloads(all, "C:\\in", siteAt);
  ASSERT_EQ(refilled.items.size(), 1u);
  EXPECT_STREQ(refilled.items[0]->m_host, "ftp.one");
  EXPECT_EQ(refilled.skipped, 2);
  EXPECT_EQ(other.m_queueRun.load(), 0);
  EXPECT_EQ(SearchHitSite(hits[1], siteAt), nullptr);
  delete refilled.items[0];

  // Same host in other case is the same server; an emptied slot is not.
  std::snprintf(a.m_host, sizeof a.m_host, "FTP.ONE");
  EXPECT_EQ(SearchHitSite(hits[0], siteAt), &a);
  slots[0] = nullptr;
  EXPECT_EQ(SearchHitSite(hits[0], siteAt), nullptr);
  EXPECT_TRUE(BuildSearchDownloads({}, "C:\\in", siteAt).items.empty());
}

TEST(SearchDownloads, SortIsNumericOnSizeAndTypeAheadWraps)
{
  std::vector<SearchHit> hits;
  hits.push_back(MakeSearchHit(Entry("beta", "/", 100, 0), nullptr));
  hits.push_back(MakeSearchHit(Entry("Alpha", "/", 9, 0), nullptr));
  hits.push_back(MakeSearchHit(Entry("bravo", "/", 20, 0), nullptr));
  std::vector<SearchHit*> rows;
  for (SearchHit& h : hits) rows.push_back(&h);
  SortSearchHits(rows, 3, true);
  EXPECT_STREQ(rows[0]->entry.m_name, "Alpha");
  EXPECT_STREQ(rows[2]->entry.m_name, "beta");
  SortSearchHits(rows, 3, false);
  EXPECT_STREQ(rows[0]->entry.m_name, "beta");
  // beta(0) bravo(1) Alpha(2) now: from beta, 'B' finds bravo, then wraps.
  EXPECT_EQ(FindSearchHitByChar(rows, 0, 'B'), 1);
  EXPECT_EQ(FindSearchHitByChar(rows, 1, 'b'), 0);
  EXPECT_EQ(FindSearchHitByChar(rows, -1, 'a'), 2);
  EXPECT_EQ(FindSearchHitByChar(rows, 0, 'z'), -1);
}

TEST(QueueInfo, CountsOfTheThreeLists)
{
  CObArray empty;
  const QueueInfoRows none = CountQueueItems(empty);
  EXPECT_EQ(Row(none, "Tasks No."), "0");
  EXPECT_EQ(Row(none, "Size"), "0.00 Bytes");
  EXPECT_EQ(Row(none, "Waiting No."), "0");

  CObArray items;
  const int32_t statuses[] = {PLAN_STOPPED, PLAN_WORKING, PLAN_QUEUED, PLAN_ERROR, PLAN_FINISHED, PLAN_QUEUED};
  for (int i = 0; i < 6; ++i) {
    CPlanItem* p = new CPlanItem;
    p->m_status = statuses[i];
    p->m_kind = i == 5 ? 7 : 0;
    p->m_fileSize = i == 5 ? 999999 : 3LL << 30;  // a folder's size is not summed
    items.Add(p);
  }
  const QueueInfoRows q = CountQueueItems(items);
  const char* labels[] = {"Tasks No.", "Files No.", "Size", "Folders No.", "Working No.", "Error No.",
                          "Completed No.", "Queuing No.", "Waiting No."};
  ASSERT_EQ(q.size(), 9u);
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(q[i].label, labels[i]);
  EXPECT_EQ(q[0].value, "6");
  EXPECT_EQ(q[1].value, "5");
  EXPECT_EQ(q[2].value, "15.00 GBytes");  // past 32 bits
  EXPECT_EQ(q[3].value, "1");
  EXPECT_EQ(q[7].value, "2");
  for (INT_PTR i = 0; i < items.GetSize(); ++i) delete static_cast<CPlanItem*>(items.GetAt(i));

  std::vector<std::unique_ptr<BatchJobRecord>> own;
  std::vector<BatchJobRecord*> jobs;
  for (int32_t s : {0, 1, 5, 4, 3, 2, 2, 9}) {
    own.emplace_back(new BatchJobRecord);
    own.back()->m_state = s;
    own.back()->m_size = 1024;
    jobs.push_back(own.back().get());
  }
  const QueueInfoRows b = CountBatchJobs(jobs);
  ASSERT_EQ(b.size(), 7u);
  EXPECT_EQ(Row(b, "Files No."), "8");
  EXPECT_EQ(Row(b, "Size"), "8.00 KBytes");
  EXPECT_EQ(Row(b, "Working No."), "3");
  EXPECT_EQ(Row(b, "Interrupted No."), "1");
  EXPECT_EQ(Row(b, "Failed No."), "1");
  EXPECT_EQ(Row(b, "Finished No."), "2");

  const EntryRecord e1 = Entry("a", "/", 1536, 0), e2 = Entry("b", "/", 0, 0);
  const QueueInfoRows s = CountSearchEntries({&e1, &e2});
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[2].label, "Disk space used");
  EXPECT_EQ(s[2].value, "1.50 KBytes");
  EXPECT_EQ(Row(CountSearchEntries({}), "Disk space used"), "0.00 Bytes");
}

TEST(PlanItemEdit, OkAppliesTheRulesAndKeepsFieldsBounded)
{
  CPlanItem item;
  std::snprintf(item.m_host, sizeof item.m_host, "h");
  std::snprintf(item.m_fileName, sizeof item.m_fileName, "keep.bin");
  std::snprintf(item.m_user, sizeof item.m_user, "joe");
  item.m_anonymous = 0;
  item.m_port = 21;
  item.m_retryCount = 3;

  PlanItemForm form = PlanItemFormOf(item, PLAN_ERROR);
  EXPECT_EQ(form.status, PLAN_ERROR);
  form.host = "  " + std::string(300, 'h') + "  ";
  form.fileName = "   ";                          // cleared: the name stays
  form.remotePath = "/a\x0C" "b\tc\r\n";         // separators and controls go
  form.password = std::string(300, 'p');
  form.status = PLAN_WORKING;                     // keeps the status before
  form.retryCount = 100;
  form.failAction = 0;
  EXPECT_EQ(CheckPlanItemForm(form), nullptr);
  ApplyPlanItemForm(item, form, PLAN_ERROR);
  EXPECT_EQ(std::strlen(item.m_host), kPlanHostLen - 1);
  EXPECT_EQ(item.m_host[0], 'h');
  EXPECT_STREQ(item.m_fileName, "keep.bin");
  EXPECT_STREQ(item.m_remotePath, "/abc");
  EXPECT_EQ(std::strlen(item.m_password), kPlanPasswordLen - 1);
  EXPECT_EQ(item.m_status, PLAN_ERROR);
  EXPECT_EQ(item.m_retryCount, 100);
  EXPECT_EQ(item.m_failAction, 0);
  EXPECT_STREQ(item.m_user, "joe");
  EXPECT_EQ(item.m_anonymous, 0);

  // An empty user means anonymous; anonymous empties the user.
  form = PlanItemFormOf(item, PLAN_STOPPED);
  form.user = " ";
  form.status = PLAN_QUEUED;
  ApplyPlanItemForm(item, form, PLAN_STOPPED);
  EXPECT_EQ(item.m_anonymous, 1);
  EXPECT_STREQ(item.m_user, "");
  EXPECT_EQ(item.m_status, PLAN_QUEUED);

  form.port = 0;
  EXPECT_NE(CheckPlanItemForm(form), nullptr);
  form.port = 70000;
  EXPECT_NE(CheckPlanItemForm(form), nullptr);
  form.port = 65535;
  form.retryCount = 101;
  EXPECT_NE(CheckPlanItemForm(form), nullptr);
  form.retryCount = 0;
  EXPECT_EQ(CheckPlanItemForm(form), nullptr);

  // A held (stopped but not yet let go) or working item is not edited.
  EXPECT_TRUE(PlanItemEditable(&item));
  MarkHeld(&item);
  EXPECT_FALSE(PlanItemEditable(&item));
  ReleaseHeld(&item);
  item.m_status = PLAN_WORKING;
  EXPECT_FALSE(PlanItemEditable(&item));
  EXPECT_FALSE(PlanItemEditable(nullptr));
}

// The task side as the engine does it: writes the job until it clears
// m_running, last. The list must never free a job before that.
TEST(BatchJobs, StopThenDeleteNeverFreesARunningJob)
{
  BatchJobList list;
  BatchRefreshTimer timer;
  constexpr int kJobs = 4;
  std::vector<BatchJobRecord*> jobs;
  for (int i = 0; i < kJobs; ++i) {
    BatchJobRecord* job = new BatchJobRecord;
    job->m_running = 1;
    job->m_state = JOB_DOWNLOADING;
    jobs.push_back(job);
    list.Add(job);
    EXPECT_EQ(timer.OnAdd(), i == 0);
  }
  list.Add(jobs[0]);  // twice: one row
  EXPECT_EQ(list.Count(), kJobs);

  std::atomic<int> phase{0};
  std::thread writer([&] {
    // Each job keeps writing until it sees its stop request, then ends.
    for (int i = 0; i < kJobs; ++i) {
      BatchJobRecord* job = jobs[static_cast<size_t>(i)];
      while (job->m_stopRequested.load() == 0) {
        job->m_bytesDone += 1;
        std::this_thread::yield();
      }
      for (int k = 0; k < 1000; ++k) job->m_bytesDone += 1;  // still finishing
      job->m_state = JOB_INTERRUPTED;
      job->m_running = 0;  // the last touch
    }
    phase = 1;
  });
  list.StopAll();
  EXPECT_EQ(list.Count(), kJobs);  // stop removes nothing
  // Delete and Clear while the writer runs: whatever goes must be done.
  int ticks = 0;
  while (list.Count() > 0) {
    list.DeleteRows({0, 1});
    list.Clear();
    ASSERT_LT(++ticks, 10000000);
  }
  writer.join();
  EXPECT_EQ(phase.load(), 1);
  EXPECT_EQ(list.RunningCount(), 0);

  // A report for a job never added or already freed is ignored.
  BatchJobRecord stranger;
  EXPECT_EQ(list.Finished(&stranger, true), BatchJobList::kIgnored);
  EXPECT_EQ(list.Finished(jobs[0], true), BatchJobList::kIgnored);
}

TEST(BatchJobs, ReportsAutoDeleteAndTheLastTick)
{
  BatchJobList list;
  BatchRefreshTimer timer;
  BatchJobRecord* done = new BatchJobRecord;
  BatchJobRecord* failed = new BatchJobRecord;
  BatchJobRecord* running = new BatchJobRecord;
  for (BatchJobRecord* j : {done, failed, running}) {
    j->m_running = 1;
    list.Add(j);
    timer.OnAdd();
  }
  EXPECT_EQ(list.RunningCount(), 3);
  EXPECT_FALSE(timer.OnTick(list.RunningCount()));

  // A running job: Delete only keeps it (the caller deselects it).
  EXPECT_EQ(list.DeleteRows({2}), std::vector<int>{2});
  done->m_state = JOB_FINISHED;
  done->m_running = 0;
  failed->m_state = JOB_ERROR;
  failed->m_running = 0;
  EXPECT_EQ(list.Finished(done, true), BatchJobList::kRemoved);
  EXPECT_EQ(list.Finished(failed, true), BatchJobList::kRedraw);  // errors stay
  EXPECT_EQ(list.Count(), 2);
  EXPECT_FALSE(timer.OnTick(list.RunningCount()));

  running->m_state = JOB_FINISHED;
  running->m_running = 0;
  EXPECT_EQ(list.Finished(running, false), BatchJobList::kRedraw);  // no bit 5: stays
  EXPECT_EQ(list.Count(), 2);
  // A lost report changes nothing: the count is of the jobs themselves.
  EXPECT_FALSE(timer.OnTick(list.RunningCount()));  // one last refresh
  EXPECT_TRUE(timer.OnTick(list.RunningCount()));   // then the timer goes
  EXPECT_FALSE(timer.Running());
  EXPECT_STREQ(BatchStateText(JOB_INTERRUPTED), "Interrupt");
  EXPECT_STREQ(BatchStateText(42), "Unknown");

  // A new job before the last tick keeps the timer.
  BatchJobRecord* late = new BatchJobRecord;
  late->m_running = 1;
  list.Add(late);
  EXPECT_TRUE(timer.OnAdd());
  EXPECT_FALSE(timer.OnTick(0));
  late->m_running = 0;
  // The list's end frees every job no task still has.
}
