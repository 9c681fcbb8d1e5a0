// The site-to-site task that asks in a box: a folder that exists on the
// target, with the file-exists rules on. The box is a real window that takes
// the display's keyboard focus when it opens, so this program holds the
// display's lock (tests/s2s/CMakeLists.txt): a key another test types into its
// own window would otherwise land here (an Escape cancels the box) and this
// box would take the activation from that test's window.
#include <gtest/gtest.h>

#include <string>

#include "engine/confirmdlg.h"
#include "engine/progthread.h"
#include "engine/viewslots.h"
#include "engine/xfertask.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/net/netclient.h"
#include "tests/s2s/s2sfix.h"
#include "tests/task/taskfix.h"

using namespace s2stest;
using namespace tasktest;
using nettest::LogDump;

TEST_F(S2sTask, ExistingTargetFolderAsksWithRulesOn)
{
  CSiteItem a, b;
  Connect(a, 2);
  Connect(b, 3);
  g_optionFlags |= 1u << OPTBIT_FILE_EXISTS_RULES;
  ::CreateDirectoryA((roots[2] + "\\q").c_str(), nullptr);
  ::CreateDirectoryA((roots[2] + "\\q\\exists").c_str(), nullptr);
  WriteAll(roots[2] + "\\q\\exists\\k.txt", "kept");
  ::CreateDirectoryA((roots[3] + "\\qq").c_str(), nullptr);
  ::CreateDirectoryA((roots[3] + "\\qq\\exists").c_str(), nullptr);

  // Cancel: the folder is skipped. The box's countdown is long here, so that
  // only the driver's click ends it.
  {
    CConfirmDlg::s_defaultTickPeriod = 2000;
    Sinks sinks;
    std::string text;
    boxdriver::Driver driver([&] {
      HWND box = boxdriver::WaitForBox("Operation Confirmation", 20000);
      if (box == nullptr)
        return;
      text = boxdriver::ItemText(box, IDC_CONFIRM_TEXT);
      boxdriver::Click(box, IDCANCEL);
    });
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, kNode, "/q", "/qq", 0,
                                              Entries({{"exists", -1}}))))
        << LogDump();
    driver.Join();
    Own(sinks.funcView);
    EXPECT_EQ(text, "127.0.0.3::/qq/exists already exists. Overwrite or not?");
    EXPECT_FALSE(Exists(roots[3] + "\\qq\\exists\\k.txt"));
    EXPECT_TRUE(sinks.funcView.Of(UWM_BATCH_ADD).empty());
  }
  // Unanswered: the box closes by itself (six ticks) and the copy goes on.
  {
    CConfirmDlg::s_defaultTickPeriod = 300;
    Sinks sinks;
    HWND seen = nullptr;
    boxdriver::Driver driver([&] { seen = boxdriver::WaitForBox("Operation Confirmation", 20000); });
    ASSERT_TRUE(RunTask(list, new CProgThread(1, TASK_SITE_RELAY, &a, &b, kNode, "/q", "/qq", 0,
                                              Entries({{"exists", -1}}))))
        << LogDump();
    driver.Join();
    Own(sinks.funcView);
    EXPECT_NE(seen, nullptr);
    EXPECT_EQ(ReadAll(roots[3] + "\\qq\\exists\\k.txt"), "kept") << LogDump();
  }
  g_optionFlags &= ~(1u << OPTBIT_FILE_EXISTS_RULES);
}
