// The confirmation box under Wine: its forms, the option bits its check box
// clears, its count-down and what the count-down answers, driven from a second
// thread as a user would.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "boxdriver.h"
#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "shell/settings/settings.h"

using namespace boxdriver;

namespace {

const char kCaption[] = "Operation Confirmation";
const char kErrorCaption[] = "ZARN ERROR MESSAGE:";

class ConfirmBox : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_optionFlags = 0xFFFFFFFFu;
    CConfirmDlg::s_defaultTickPeriod = 1000;
  }
  void TearDown() override
  {
    CConfirmDlg::s_defaultTickPeriod = 1000;
    ResetSettingsDefaults();
  }
};

CString LoadText(UINT id)
{
  CString text;
  text.LoadString(id);
  return text;
}

TEST(ConfirmStrings, TheEngineStringTableIsLinkedIn)
{
  const struct {
    UINT id;
    const char* text;
  } strings[] = {
      {41039, "Delete the selection. Please confirm the action!"},
      {41040, "Delete the selected site. Please confirm the action!"},
      {41041, "Copy the selection. Please confirm the action!"},
      {41042, "Connect to the selected site. Please confirm the action!"},
      {41043, "Stop the work of the selected site. Please confirm the action!"},
      {41044, "Disconnect the selected site. Please confirm the action!"},
      {41045, "Paste the selection. Please confirm the action!"},
      {41046, "Drop the data on the selected location. Please confirm the action!"},
      {41047, "Look up the selection. Please confirm your operation!"},
      {41048, "Edit remote file.Please confirm your operation!"},
      {41049, "This operation will remove all the sites' infomation from this machine. Please confirm the operation !"},
      {41050, "ZARN ERROR MESSAGE:"},
      {41051, "Please specify receiving path first!"},
      {41052, "Starting server thread failed!"},
      {41053, "Selection error!  the operation cannot be executed here."},
      {41054, "The server is not connected, Please connect first."},
      {41055, "Countdown will shutdown the computer immediately, otherwise please press [Cancel] button."},
      {41056, "Countdown will end the application immediately, otherwise press [Cancel] button."},
  };
  for (const auto& s : strings)
    EXPECT_EQ(LoadText(s.id), CString(s.text)) << s.id;
}

TEST_F(ConfirmBox, OkTickedClearsTheModesBitsOnly)
{
  Driver driver([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, IDC_CONFIRM_TEXT), "Connect to the selected site. Please confirm the action!");
    EXPECT_TRUE(ItemVisible(box, IDC_CONFIRM_DONT_SHOW));
    EXPECT_TRUE(ItemVisible(box, IDCANCEL));
    EXPECT_TRUE(ItemVisible(box, IDC_CONFIRM_COUNTDOWN));
    EXPECT_EQ(ItemText(box, IDC_CONFIRM_DONT_SHOW), "Don't show this prompt again");
    Click(box, IDC_CONFIRM_DONT_SHOW);
    Click(box, IDOK);
  });
  EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_CONNECT, 64), IDOK);
  driver.Join();
  EXPECT_EQ(g_optionFlags, ~64u);
}

TEST_F(ConfirmBox, CancelTickedAndOkUntickedClearNothing)
{
  {
    Driver driver([] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      Click(box, IDC_CONFIRM_DONT_SHOW);
      Click(box, IDCANCEL);
    });
    EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_STOP, 1u << OPTBIT_CONFIRM_STOP), IDCANCEL);
  }
  {
    Driver driver([] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      Click(box, IDOK);
    });
    EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_STOP, 1u << OPTBIT_CONFIRM_STOP), IDOK);
  }
  {
    // Mode 0 has the check box but names no bit.
    Driver driver([] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(ItemVisible(box, IDC_CONFIRM_DONT_SHOW));
      Click(box, IDC_CONFIRM_DONT_SHOW);
      Click(box, IDOK);
    });
    EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_STOP, 0), IDOK);
  }
  EXPECT_EQ(g_optionFlags, 0xFFFFFFFFu);
}

TEST_F(ConfirmBox, ErrorBoxHasNoCheckBoxNoCancelAndItsOwnCaption)
{
  Driver driver([] {
    HWND box = WaitForBox(kErrorCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(ItemVisible(box, IDC_CONFIRM_DONT_SHOW));
    EXPECT_FALSE(ItemVisible(box, IDCANCEL));
    EXPECT_TRUE(ItemVisible(box, IDOK));
    EXPECT_EQ(ItemText(box, IDC_CONFIRM_TEXT), "The server is not connected, Please connect first.");
    Click(box, IDOK);
  });
  EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_NOT_CONNECTED, kConfirmModeError), IDOK);
}

TEST_F(ConfirmBox, QuestionWithoutCheckBoxAndTextWithoutCountdown)
{
  {
    Driver driver([] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      EXPECT_FALSE(ItemVisible(box, IDC_CONFIRM_DONT_SHOW));
      EXPECT_TRUE(ItemVisible(box, IDCANCEL));
      EXPECT_TRUE(ItemVisible(box, IDC_CONFIRM_COUNTDOWN));
      Click(box, IDCANCEL);
    });
    EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_REMOVE_ALL_SITES, kConfirmModeQuestion), IDCANCEL);
  }
  {
    Driver driver([] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      EXPECT_EQ(ItemText(box, IDC_CONFIRM_TEXT), "Edit [C:\\a b.txt], then press [OK].");
      EXPECT_FALSE(ItemVisible(box, IDC_CONFIRM_COUNTDOWN));
      Sleep(1500);  // no count-down: still there
      EXPECT_TRUE(IsWindowVisible(box));
      Click(box, IDOK);
    });
    EXPECT_EQ(ShowConfirmDlgText(nullptr, "Edit [C:\\a b.txt], then press [OK].", kConfirmModeQuestion, FALSE),
              IDOK);
  }
  EXPECT_EQ(g_optionFlags, 0xFFFFFFFFu);
}

// Ticks the box, then records the count-down until the box ends by itself.
std::vector<std::string> RunCountdown(UINT stringId, int* result)
{
  std::vector<std::string> texts;
  Driver driver([&texts] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    Click(box, IDC_CONFIRM_DONT_SHOW);
    texts = RecordTexts(box, IDC_CONFIRM_COUNTDOWN);
  });
  *result = ShowConfirmDlg(nullptr, stringId, 1 << OPTBIT_CONFIRM_DELETE_FILE);
  driver.Join();
  return texts;
}

TEST_F(ConfirmBox, CountdownAnswersOkExceptForDeletions)
{
  CConfirmDlg::s_defaultTickPeriod = 150;
  const std::vector<std::string> expected = {"5 sec auto-close.", "4 sec auto-close", "3 sec auto-close",
                                             "2 sec auto-close",  "1 sec auto-close", "0 sec auto-close"};
  int result = 0;
  EXPECT_EQ(RunCountdown(IDS_CONFIRM_CONNECT, &result), expected);
  EXPECT_EQ(result, IDOK);
  // The ticked box went with the OK.
  EXPECT_EQ(g_optionFlags, ~(1u << OPTBIT_CONFIRM_DELETE_FILE));

  for (UINT id : {IDS_CONFIRM_DELETE_SITE, IDS_CONFIRM_REMOVE_ALL_SITES, IDS_CONFIRM_DELETE_SELECTION}) {
    g_optionFlags = 0xFFFFFFFFu;
    EXPECT_EQ(RunCountdown(id, &result), expected) << id;
    EXPECT_EQ(result, IDCANCEL) << id;
    // A deletion left alone is refused, and the ticked box clears nothing.
    EXPECT_EQ(g_optionFlags, 0xFFFFFFFFu) << id;
  }
}

TEST_F(ConfirmBox, TextFormCanAnswerCancelOnTimeout)
{
  CConfirmDlg::s_defaultTickPeriod = 50;
  EXPECT_EQ(ShowConfirmDlgText(nullptr, "Overwrite?", kConfirmModeQuestion, TRUE, IDCANCEL), IDCANCEL);
  EXPECT_EQ(ShowConfirmDlgText(nullptr, "Done.", kConfirmModeError, TRUE), IDOK);
}

TEST_F(ConfirmBox, RealTimeCountdownEndsWithOk)
{
  const DWORD start = GetTickCount();
  EXPECT_EQ(ShowConfirmDlg(nullptr, IDS_CONFIRM_CONNECT, 1 << OPTBIT_CONFIRM_CONNECT), IDOK);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 5500u);
  EXPECT_LT(elapsed, 12000u);
  // Not ticked: nothing cleared.
  EXPECT_EQ(g_optionFlags, 0xFFFFFFFFu);
}

TEST_F(ConfirmBox, RunsModalOnAWorkerThread)
{
  int result = 0;
  std::thread worker([&result] { result = ShowConfirmDlg(nullptr, IDS_CONFIRM_PASTE, 1 << OPTBIT_CONFIRM_PASTE); });
  HWND box = WaitForBox(kCaption);
  ASSERT_NE(box, nullptr);
  Click(box, IDC_CONFIRM_DONT_SHOW);
  Click(box, IDOK);
  worker.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_optionFlags, ~(1u << OPTBIT_CONFIRM_PASTE));
}

// A real pointer click on Cancel through the X server.
TEST_F(ConfirmBox, PointerClickOnCancel)
{
  Driver driver([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    Sleep(300);  // let the X server map it
    RECT r;
    ASSERT_TRUE(GetWindowRect(GetDlgItem(box, IDCANCEL), &r));
    // Away first: a pointer already resting on the button sends no motion, and
    // the click alone is not taken.
    char command[200];
    snprintf(command, sizeof(command), "Z:\\usr\\bin\\xdotool mousemove 0 0 sleep 0.2 mousemove %ld %ld sleep 0.2 click 1",
             (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    // A loaded X server may drop the first motion: click again, a few times.
    bool gone = false;
    for (int attempt = 0; attempt < 3 && !gone; ++attempt) {
      STARTUPINFOA si = {};
      si.cb = sizeof(si);
      PROCESS_INFORMATION pi = {};
      ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
      // A Unix program: Wine gives no process handle and no thread handle of
      // ours (the word is left as it was), so nothing is waited on or closed.
      if (pi.hProcess != nullptr) {
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
      }
      gone = WaitGone(box, 3000);
    }
    if (!gone) {
      ADD_FAILURE() << "the pointer click did not close the box";
      Click(box, IDOK);
    }
  });
  EXPECT_EQ(ShowConfirmDlgText(nullptr, "Click me", 0, FALSE), IDCANCEL);
}

}  // namespace
