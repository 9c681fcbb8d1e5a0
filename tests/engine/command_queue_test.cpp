// The verb table and the six-deep command queue.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/connlog.h"
#include "engine/netsession.h"

namespace {

std::string LastLogLine()
{
  int n = ConnLogCount();
  return n > 0 ? std::string(ConnLogRowText(n - 1).GetString()) : std::string();
}

std::vector<std::string> Drain(CNetCommandQueue& queue)
{
  std::vector<std::string> out;
  NetCommand c;
  while (queue.Pop(c))
    out.push_back(std::string(FtpVerbName(c.m_verb)) + " " + c.m_arg);
  return out;
}

TEST(CommandQueue, VerbTable)
{
  InitFtpVerbNames();
  EXPECT_STREQ(g_ftpVerbNames[VERB_NONE], "");
  EXPECT_STREQ(g_ftpVerbNames[VERB_CWD], "CWD");
  EXPECT_STREQ(g_ftpVerbNames[VERB_RETM], "RETM");
  EXPECT_STREQ(g_ftpVerbNames[VERB_CONNECT], "CONNECT");
  EXPECT_STREQ(g_ftpVerbNames[VERB_SIZE], "SIZE");
  EXPECT_STREQ(FtpVerbName(30), "");
  EXPECT_STREQ(FtpVerbName(-1), "");
  EXPECT_EQ(UWM_NET_COMMAND, 0x808u);
}

TEST(CommandQueue, SeventhPushIsRefusedAndNothingIsOverwritten)
{
  ConnLogClear();
  NetSession session;
  CSiteItem site;
  strcpy(site.m_host, "ftp.example.org");
  session.m_pSite = &site;
  const int verbs[6] = {VERB_TYPE, VERB_PASV, VERB_REST, VERB_RETR, VERB_CWD, VERB_PWD};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(session.PushCommand(verbs[i], std::to_string(i).c_str()), 1);
  EXPECT_EQ(session.m_queue.GetCount(), 6);
  EXPECT_EQ(ConnLogCount(), 0);

  EXPECT_EQ(session.PushCommand(VERB_QUIT, "late"), 0);
  EXPECT_EQ(LastLogLine(), "ftp.example.org::Commands queue is full,please try again later\r\n");
  EXPECT_EQ(session.m_queue.PushWindow(session.Host(), VERB_QUIT, ""), 0);
  EXPECT_EQ(LastLogLine(), "ftp.example.org::Commands queue is full,please try again later. \r\n");
  // Push to the front of a full queue is refused like a window-side push.
  EXPECT_EQ(session.PushCommandFront(VERB_ABOR, ""), 0);
  EXPECT_EQ(LastLogLine(), "ftp.example.org::Commands queue is full,please try again later. \r\n");
  EXPECT_EQ(ConnLogCount(), 3);

  EXPECT_EQ(session.m_queue.GetCount(), 6);
  EXPECT_EQ(Drain(session.m_queue),
            (std::vector<std::string>{"TYPE 0", "PASV 1", "REST 2", "RETR 3", "CWD 4", "PWD 5"}));
  EXPECT_EQ(session.m_queue.GetCount(), 0);
}

TEST(CommandQueue, PushToTheFront)
{
  CNetCommandQueue queue;
  EXPECT_EQ(queue.PushFront("h", VERB_NOOP, ""), 1);
  NetCommand c;
  ASSERT_TRUE(queue.GetAt(0, c));
  EXPECT_EQ(c.m_verb, VERB_NOOP);
  EXPECT_FALSE(queue.GetAt(1, c));

  EXPECT_EQ(queue.Push("h", VERB_LIST, "-al"), 1);
  EXPECT_EQ(queue.PushFront("h", VERB_TYPE, "A"), 1);
  EXPECT_EQ(queue.PushWindow("h", VERB_QUIT, ""), 1);
  EXPECT_EQ(Drain(queue), (std::vector<std::string>{"TYPE A", "NOOP ", "LIST -al", "QUIT "}));
  EXPECT_FALSE(queue.Pop(c));
}

TEST(CommandQueue, ClearDropsEverything)
{
  CNetCommandQueue queue;
  for (int i = 0; i < 4; ++i)
    queue.Push("h", VERB_CWD, "/");
  queue.Clear();
  EXPECT_EQ(queue.GetCount(), 0);
  EXPECT_EQ(queue.Push("h", VERB_PWD, nullptr), 1);
  EXPECT_EQ(Drain(queue), (std::vector<std::string>{"PWD "}));
}

TEST(CommandQueue, LongArgumentsAreKeptWholeOrRefused)
{
  ConnLogClear();
  CNetCommandQueue queue;
  const std::string fits(259, 'a');
  const std::string tooLong(260, 'b');
  EXPECT_EQ(queue.Push("h", VERB_RETR, fits.c_str()), 1);
  // A cut path would name another file: such a command is never queued.
  EXPECT_EQ(queue.Push("h", VERB_DELE, tooLong.c_str()), 0);
  EXPECT_EQ(queue.PushFront("h", VERB_DELE, (tooLong + tooLong).c_str()), 0);
  EXPECT_EQ(ConnLogCount(), 2);
  EXPECT_EQ(LastLogLine().rfind("h::DELE ", 0), 0u);
  EXPECT_EQ(queue.GetCount(), 1);
  NetCommand c;
  ASSERT_TRUE(queue.Pop(c));
  EXPECT_EQ(std::string(c.m_arg), fits);
}

TEST(CommandQueue, ClientAndSequencerOnTwoThreadsKeepOrder)
{
  // A client pushes whenever there is room while the window's sequencer pops:
  // every command arrives once, in order, whole.
  CNetCommandQueue queue;
  const int total = 20000;
  std::atomic<bool> failed{false};
  std::thread client([&] {
    for (int i = 0; i < total;) {
      if (queue.GetCount() < kCommandQueueDepth) {
        if (queue.Push("h", VERB_SITE, std::to_string(i).c_str()) == 1)
          ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  int expected = 0;
  NetCommand c;
  while (expected < total && !failed) {
    if (!queue.Pop(c)) {
      std::this_thread::yield();
      continue;
    }
    if (c.m_verb != VERB_SITE || std::to_string(expected) != c.m_arg)
      failed = true;
    ++expected;
  }
  client.join();
  EXPECT_FALSE(failed);
  EXPECT_EQ(queue.GetCount(), 0);
}

}  // namespace
