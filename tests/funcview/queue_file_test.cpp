// The queue's files under Wine: Export and Import through their boxes as a
// user fills them, the queue file kept across a killed process, a damaged or
// empty queue file at start, and a write that cannot be made.
#include <gtest/gtest.h>

#include <string>

#include "framework/archive.h"
#include "framework/file.h"
#include "shell/funcview/funcviewres.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/funcview/funcviewfix.h"
#include "tests/toolkit/wintest.h"

using namespace funcviewtest;

namespace {

constexpr int kFileNameBox = 0x47C;  // the file boxes' name field

void AddThree(Host& host)
{
  host.Queue("<-", 2121, "joe", "pw", "C:\\in", "/pub", "a.txt", 10);
  host.Queue("->", 21, "ann", "", "C:\\out", "/up", "b.txt", 0);
  host.Queue("<-", 21, "ann", "", "C:\\in", "/pub/x", "c.bin", 1u << 30);
}

std::string Stored(const CObArray& items)
{
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    StorePlanItems(ar, items);
    ar.Close();
  }
  return std::string(reinterpret_cast<const char*>(file.GetBufferPtr()), static_cast<size_t>(file.GetLength()));
}

constexpr int kConfirmText = 1169;  // the program's error box's text

// Runs the page's command while a driver types path into the box of that
// caption and presses its OK, as a user does. *said: the text of the error
// box that followed (it is closed), when one is looked for.
void WithFileBox(Host& host, UINT command, const char* caption, const std::string& path, std::string* said = nullptr)
{
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox(caption, 15000);
    if (box == nullptr)
      return;
    boxdriver::SetItemText(box, kFileNameBox, path.c_str());
    boxdriver::Click(box, IDOK);
    boxdriver::WaitGone(box);
    if (said == nullptr)
      return;
    HWND error = boxdriver::WaitForBox("ZARN ERROR MESSAGE:", 15000);
    if (error == nullptr)
      return;
    *said = boxdriver::ItemText(error, kConfirmText);
    boxdriver::Click(error, IDOK);
    boxdriver::WaitGone(error);
  });
  host.Page().SendMessage(WM_COMMAND, command, 0);
  driver.Join();
}

}  // namespace

TEST(QueueFile, ExportAndImportThroughTheirBoxes)
{
  const std::string queueFile = TempFile("queue.dat");
  const std::string plan = queuetest::FreshTemp("plans") + "\\two.pln";
  Host host(2, queueFile);
  AddThree(host);
  WithFileBox(host, ID_QUEUE_EXPORT, "Save As", plan);
  ASSERT_EQ(queuetest::FileSizeOf(plan) > 0, true) << plan;
  EXPECT_TRUE(queuetest::ReadAll(plan) == Stored(host.List().Items()));

  // Import appends the file's items (stored queued: stopped).
  WithFileBox(host, ID_QUEUE_IMPORT, "Open", plan);
  ASSERT_EQ(host.List().GetCount(), 6);
  EXPECT_STREQ(host.List().GetPlanItem(5)->m_fileName, "c.bin");
  EXPECT_EQ(host.Cell(5, 6), "Waiting");

  // The queue file onto itself and a damaged file append nothing.
  ASSERT_TRUE(host.Page().SaveQueueNow());
  WithFileBox(host, ID_QUEUE_IMPORT, "Open", queueFile);
  EXPECT_EQ(host.List().GetCount(), 6);
  std::string bytes = queuetest::ReadAll(plan);
  queuetest::WriteAll(plan, bytes.substr(0, bytes.size() - 5));
  std::string said;
  WithFileBox(host, ID_QUEUE_IMPORT, "Open", plan, &said);
  EXPECT_EQ(host.List().GetCount(), 6);
  EXPECT_EQ(said, kPlanFileDamagedText);
}

// The child half of the next test: a host that queues three items and then
// waits to be killed.
TEST(QueueFile, ChildQueuesAndWaits)
{
  const char* file = std::getenv("ZARN_QUEUE_CHILD_FILE");
  if (file == nullptr)
    GTEST_SKIP() << "run by QueueFile.KilledHostKeepsItsItems";
  Host host(2, file);
  AddThree(host);
  HANDLE added = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, "zarn-queue-child-added");
  ASSERT_NE(added, nullptr);
  ::SetEvent(added);
  host.harness.Pump(60000);  // killed long before
}

TEST(QueueFile, KilledHostKeepsItsItems)
{
  const std::string queueFile = TempFile("killed.dat");
  HANDLE added = ::CreateEventA(nullptr, TRUE, FALSE, "zarn-queue-child-added");
  char self[MAX_PATH];
  ::GetModuleFileNameA(nullptr, self, sizeof(self));
  ::SetEnvironmentVariableA("ZARN_QUEUE_CHILD_FILE", queueFile.c_str());
  std::string commandLine = std::string("\"") + self + "\" --gtest_filter=QueueFile.ChildQueuesAndWaits";
  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ::SetEnvironmentVariableA("ZARN_QUEUE_CHILD_FILE", nullptr);
  const bool ready = ::WaitForSingleObject(added, 30000) == WAIT_OBJECT_0;
  // The crash comes 3 s after the items: the page's timer has written them.
  if (ready)
    ::Sleep(3000);
  ::TerminateProcess(pi.hProcess, 9);
  ::WaitForSingleObject(pi.hProcess, 10000);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(added);
  ASSERT_TRUE(ready);

  Host host(2, queueFile);
  ASSERT_EQ(host.List().GetCount(), 3);
  EXPECT_STREQ(host.List().GetPlanItem(0)->m_fileName, "a.txt");
  EXPECT_EQ(host.List().GetPlanItem(2)->m_fileSize, 1 << 30);
}

TEST(QueueFile, DamagedEmptyAndUnwritableQueueFiles)
{
  const std::string queueFile = TempFile("bad.dat");
  {
    // Written at the end: the good bytes to damage.
    Host host(2, queueFile);
    AddThree(host);
  }
  const std::string good = queuetest::ReadAll(queueFile);
  ASSERT_FALSE(good.empty());
  const std::string damaged[] = {good.substr(0, good.size() / 2),
                                 std::string("\xFF\xFF\x00\x00\x00\x80", 6) + good.substr(2),
                                 std::string("\x01\x00\xFF\xFF\x01\x00\x09\x00", 8) + "CNotAnItem"};
  for (const std::string& bad : damaged) {
    queuetest::WriteAll(queueFile, bad);
    Host host(2, queueFile);
    EXPECT_EQ(host.List().GetCount(), 0);
    EXPECT_TRUE(queuetest::ReadAll(queueFile + ".damaged") == bad);
  }
  {
    // The options page makes the file empty: an empty queue, nothing moved aside.
    ::DeleteFileA((queueFile + ".damaged").c_str());
    queuetest::WriteAll(queueFile, "");
    Host host(2, queueFile);
    EXPECT_EQ(host.List().GetCount(), 0);
    EXPECT_EQ(queuetest::FileSizeOf(queueFile + ".damaged"), -1);
  }
  {
    // A write that cannot be made (the temporary name taken by a folder)
    // keeps the old file whole, also at the end.
    queuetest::WriteAll(queueFile, good);
    ASSERT_TRUE(::CreateDirectoryA((queueFile + ".tmp").c_str(), nullptr));
    Host host(2, queueFile);
    ASSERT_EQ(host.List().GetCount(), 3);
    host.Page().SendMessage(WM_COMMAND, ID_QUEUE_CLEAR, 0);
    EXPECT_FALSE(host.Page().SaveQueueNow());
    host.Close();
    EXPECT_TRUE(queuetest::ReadAll(queueFile) == good);
    ::RemoveDirectoryA((queueFile + ".tmp").c_str());
  }
}
