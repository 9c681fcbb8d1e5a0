// The "Confirm File Replace" box under Wine: every answer, the rename box, the
// resume buttons, "&Configure" through its hook, the unattended overwrite, and a
// box shown from a worker thread; driven from a second thread.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "boxdriver.h"
#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/planitem.h"
#include "shell/settings/settings.h"

using namespace boxdriver;

namespace {

const char kCaption[] = "Confirm File Replace";
const char kRenameCaption[] = "Rename";

class ReplaceBox : public ::testing::Test {
protected:
  void SetUp() override
  {
    strcpy(m_item.m_localPath, "C:\\Incoming");
    strcpy(m_item.m_remotePath, "/pub/files");
    strcpy(m_item.m_host, "ftp.example.test");
    m_item.m_fileSize = 89;
    SetFileExistsDialogHook(nullptr);
  }
  void TearDown() override
  {
    SetFileExistsDialogHook(nullptr);
    ResetSettingsDefaults();
  }

  // A download box for "data file.bin" over an existing file of 1,234,567 bytes.
  void Prepare(CConfirmReplaceDlg& box)
  {
    box.m_existingSize = 1234567;
    box.m_pItem = &m_item;
    box.m_fileName = "data file.bin";
  }

  CPlanItem m_item;
  std::atomic<int32_t> m_rules{-1};
};

TEST_F(ReplaceBox, EveryButtonGivesItsResult)
{
  const struct {
    int id;
    int result;
  } buttons[] = {
      {IDOK, REPLACE_OVERWRITE},
      {IDCANCEL, REPLACE_SKIP},
      {IDC_REPLACE_RESUME, REPLACE_RESUME},
      {IDC_REPLACE_OVERWRITE_ALL, REPLACE_OVERWRITE_ALL},
      {IDC_REPLACE_SKIP_ALL, REPLACE_SKIP_ALL},
      {IDC_REPLACE_RESUME_ALL, REPLACE_RESUME_ALL},
  };
  for (const auto& b : buttons) {
    CConfirmReplaceDlg dlg(&m_rules, 0, nullptr);
    Prepare(dlg);
    Driver driver([&b] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(ItemEnabled(box, b.id));
      Click(box, b.id);
    });
    EXPECT_EQ(dlg.DoModal(), b.result) << b.id;
    EXPECT_EQ(dlg.m_result, b.result) << b.id;
  }
  EXPECT_EQ(m_rules.load(), -1);  // the caller writes the rule, not the box
}

TEST_F(ReplaceBox, MessageAndCountdownText)
{
  CConfirmReplaceDlg dlg(&m_rules, 1, nullptr);
  Prepare(dlg);
  Driver driver([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    const std::string text = ItemText(box, IDC_REPLACE_TEXT);
    EXPECT_EQ(text.find("Folder: ftp.example.test::/pub/files\r\n"), 0u) << text;
    EXPECT_NE(text.find("' data file.bin '"), std::string::npos) << text;
    EXPECT_NE(text.find("The file size = 1,234,567\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Size = 89"), std::string::npos) << text;
    EXPECT_EQ(ItemText(box, IDC_REPLACE_COUNTDOWN), "10 sec auto-close.");
    // The close box and Escape are "&Skip".
    PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(dlg.DoModal(), REPLACE_SKIP);
  driver.Join();

  CConfirmReplaceDlg again(&m_rules, 0, nullptr);
  Prepare(again);
  Driver escape([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ItemText(box, IDC_REPLACE_TEXT).find("Folder: C:\\Incoming\r\n"), 0u);
    PostMessageA(GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
  });
  EXPECT_EQ(again.DoModal(), REPLACE_SKIP);
}

TEST_F(ReplaceBox, RenameKeepsTheNewName)
{
  CConfirmReplaceDlg dlg(&m_rules, 0, nullptr);
  Prepare(dlg);
  Driver driver([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    Click(box, IDC_REPLACE_RENAME);
    HWND rename = WaitForBox(kRenameCaption);
    ASSERT_NE(rename, nullptr);
    EXPECT_EQ(ItemText(rename, IDC_RENAME_EDIT), "data file.bin");
    // A name with a folder in it is refused and the box stays.
    SetItemText(rename, IDC_RENAME_EDIT, "..\\data file.bin");
    Click(rename, IDOK);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(rename));
    SetItemText(rename, IDC_RENAME_EDIT, "data file (2).bin");
    Click(rename, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), REPLACE_RENAME);
  EXPECT_EQ(dlg.m_newName, CString("data file (2).bin"));
}

TEST_F(ReplaceBox, CancelledRenameLeavesTheBoxCounting)
{
  CConfirmReplaceDlg dlg(&m_rules, 0, nullptr);
  Prepare(dlg);
  dlg.m_tickPeriod = 100;
  std::vector<std::string> after;
  Driver driver([&after] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    Click(box, IDC_REPLACE_RENAME);
    HWND rename = WaitForBox(kRenameCaption);
    ASSERT_NE(rename, nullptr);
    // The count-down stands still while the rename box is up.
    const std::string before = ItemText(box, IDC_REPLACE_COUNTDOWN);
    Sleep(500);
    EXPECT_EQ(ItemText(box, IDC_REPLACE_COUNTDOWN), before);
    Click(rename, IDCANCEL);
    after = RecordTexts(box, IDC_REPLACE_COUNTDOWN);
  });
  EXPECT_EQ(dlg.DoModal(), REPLACE_OVERWRITE);
  driver.Join();
  EXPECT_TRUE(dlg.m_newName.IsEmpty());
  ASSERT_FALSE(after.empty());
  EXPECT_EQ(after.back(), "0 sec auto-close.");
}

TEST_F(ReplaceBox, ResumeOffDisablesBothResumeButtons)
{
  CConfirmReplaceDlg dlg(&m_rules, 1, nullptr);
  Prepare(dlg);
  dlg.m_resumeEnabled = FALSE;
  Driver driver([] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(ItemEnabled(box, IDC_REPLACE_RESUME));
    EXPECT_FALSE(ItemEnabled(box, IDC_REPLACE_RESUME_ALL));
    EXPECT_TRUE(ItemEnabled(box, IDOK));
    EXPECT_TRUE(ItemEnabled(box, IDC_REPLACE_SKIP_ALL));
    // Without the settings dialog's hook there is nothing to configure.
    EXPECT_FALSE(ItemEnabled(box, IDC_REPLACE_CONFIGURE));
    // A command that reaches the box anyway does not resume.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_REPLACE_RESUME, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_REPLACE_RESUME)));
    Sleep(200);
    EXPECT_TRUE(IsWindowVisible(box));
    Click(box, IDC_REPLACE_SKIP_ALL);
  });
  EXPECT_EQ(dlg.DoModal(), REPLACE_SKIP_ALL);
}

// The File Exists dialog stand-in: checks that the count-down stands still while
// it runs, then answers as told.
struct HookScript {
  BOOL answer = TRUE;
  uint32_t newRule = 0;
  int calls = 0;
  bool countdownStill = false;
  HWND parent = nullptr;
};
HookScript g_hook;

BOOL FakeFileExistsDialog(CWnd* parent)
{
  ++g_hook.calls;
  g_hook.parent = parent->GetSafeHwnd();
  char before[64] = {}, after[64] = {};
  GetDlgItemTextA(g_hook.parent, IDC_REPLACE_COUNTDOWN, before, sizeof(before));
  // The box's own thread: pump its messages as a dialog would.
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 400) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(10);
  }
  GetDlgItemTextA(g_hook.parent, IDC_REPLACE_COUNTDOWN, after, sizeof(after));
  g_hook.countdownStill = strcmp(before, after) == 0;
  if (g_hook.answer)
    g_fileRule = g_hook.newRule;
  return g_hook.answer;
}

TEST_F(ReplaceBox, ConfigureCopiesTheRulesOnOkOnly)
{
  SetFileExistsDialogHook(&FakeFileExistsDialog);
  for (BOOL answer : {TRUE, FALSE}) {
    g_hook = HookScript();
    g_hook.answer = answer;
    g_hook.newRule = 0x12345;
    m_rules = -1;
    CConfirmReplaceDlg dlg(&m_rules, 0, nullptr);
    Prepare(dlg);
    dlg.m_tickPeriod = 100;
    HWND seen = nullptr;
    Driver driver([&seen] {
      HWND box = WaitForBox(kCaption);
      ASSERT_NE(box, nullptr);
      seen = box;
      EXPECT_TRUE(ItemEnabled(box, IDC_REPLACE_CONFIGURE));
      Click(box, IDC_REPLACE_CONFIGURE);
    });
    // The timer starts again afterwards, so the box ends by itself.
    EXPECT_EQ(dlg.DoModal(), REPLACE_OVERWRITE);
    driver.Join();
    EXPECT_EQ(g_hook.calls, 1);
    EXPECT_EQ(g_hook.parent, seen);
    EXPECT_TRUE(g_hook.countdownStill);
    EXPECT_EQ(m_rules.load(), answer ? 0x12345 : -1) << answer;
  }
}

TEST_F(ReplaceBox, LeftAloneItOverwritesAfterTenTicks)
{
  CConfirmReplaceDlg dlg(&m_rules, 0, nullptr);
  Prepare(dlg);
  dlg.m_tickPeriod = 100;
  std::vector<std::string> texts;
  Driver driver([&texts] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    texts = RecordTexts(box, IDC_REPLACE_COUNTDOWN);
  });
  const DWORD start = GetTickCount();
  EXPECT_EQ(dlg.DoModal(), REPLACE_OVERWRITE);
  EXPECT_GE(GetTickCount() - start, 1000u);
  driver.Join();
  std::vector<std::string> expected = {"10 sec auto-close."};
  for (int i = 9; i >= 0; --i)
    expected.push_back(std::to_string(i) + " sec auto-close.");
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(dlg.m_result, REPLACE_OVERWRITE);
}

TEST_F(ReplaceBox, ShownFromAWorkerWithAnOwnerOnTheTestThread)
{
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "Replace owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                             nullptr, nullptr));
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  INT_PTR result = 0;
  HWND ownerOfBox = nullptr;
  std::thread worker([&] {
    CConfirmReplaceDlg dlg(&m_rules, 1, &owner);
    Prepare(dlg);
    result = dlg.DoModal();
    SetEvent(done);
  });
  Driver driver([&ownerOfBox] {
    HWND box = WaitForBox(kCaption);
    ASSERT_NE(box, nullptr);
    ownerOfBox = GetWindow(box, GW_OWNER);
    Click(box, IDC_REPLACE_RESUME);
  });
  // The owner's thread keeps handling its messages meanwhile.
  EXPECT_TRUE(PumpUntil(done, 20000));
  worker.join();
  driver.Join();
  EXPECT_EQ(result, REPLACE_RESUME);
  EXPECT_EQ(ownerOfBox, owner.m_hWnd);
  EXPECT_TRUE(owner.IsWindowEnabled());
  owner.DestroyWindow();
  CloseHandle(done);
}

}  // namespace
