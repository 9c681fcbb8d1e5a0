// The site manager's name and site-file dialogs as a user meets them: the
// caption and prompt of each mode, typing cut at 49 bytes, the text handed
// back on OK and not on Cancel, and the site file picked with the save box.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/app.h"
#include "sitemanager/sitefiledlg.h"
#include "sitemanager/sitenamedlg.h"
#include "sitemanager/siteres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/toolkit/wintest.h"

CWinApp theApp("site_dialogs");

namespace {

// Types as the keyboard would: EM_REPLACESEL keeps the edit's length limit.
void Type(HWND box, int id, const char* text)
{
  ::SendMessageA(::GetDlgItem(box, id), EM_REPLACESEL, TRUE, (LPARAM)text);
}

TEST(SiteDialogs, NameDialogShowsItsModeAndTakesAtMost49Bytes)
{
  struct Case {
    int mode;
    const char* caption;
    const char* prompt;
  } cases[] = {
      {CSiteNameDlg::kWorkSite, "Create ZARN Work Site", "Enter site name:"},
      {CSiteNameDlg::kSpareSite, "Create ZARN Spare Site", "Enter site name:"},
      {CSiteNameDlg::kLabel, "Create ZARN Spare Site Label", "Enter Label Name:"},
  };
  for (const Case& c : cases) {
    CSiteNameDlg dlg;
    dlg.m_mode = c.mode;
    std::string prompt;
    boxdriver::Driver driver([&] {
      HWND box = boxdriver::WaitForBox(c.caption);
      ASSERT_NE(box, nullptr) << c.caption;
      prompt = boxdriver::ItemText(box, IDC_SITE_NAME_PROMPT);
      Type(box, IDC_SITE_NAME_TEXT, std::string(60, 'n').c_str());
      if (c.mode == CSiteNameDlg::kLabel)
        wintest::Shot("site_name_label");
      boxdriver::Click(box, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    driver.Join();
    EXPECT_EQ(c.prompt, prompt);
    EXPECT_EQ(std::string(49, 'n'), std::string(dlg.m_name));
  }

  // Cancel hands nothing back.
  CSiteNameDlg dlg;
  dlg.m_name = "kept";
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Create ZARN Work Site");
    ASSERT_NE(box, nullptr);
    boxdriver::SetItemText(box, IDC_SITE_NAME_TEXT, "typed");
    boxdriver::Click(box, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  driver.Join();
  EXPECT_EQ(std::string("kept"), std::string(dlg.m_name));
}

// The save box's file-name field: an edit of its own id, or the edit inside
// the file-name combo, wherever the box nests them.
HWND FileNameField(HWND save)
{
  struct Find {
    HWND found = nullptr;
    static BOOL CALLBACK Each(HWND h, LPARAM p)
    {
      auto* f = reinterpret_cast<Find*>(p);
      char cls[32] = "";
      ::GetClassNameA(h, cls, sizeof cls);
      const int id = ::GetDlgCtrlID(h);
      const int parentId = ::GetDlgCtrlID(::GetParent(h));
      if (_stricmp(cls, "Edit") == 0 && (id == 1152 || parentId == 1148) && ::IsWindowVisible(h)) {
        f->found = h;
        return FALSE;
      }
      return TRUE;
    }
  } find;
  for (int i = 0; i < 100 && find.found == nullptr; i++) {
    ::EnumChildWindows(save, &Find::Each, reinterpret_cast<LPARAM>(&find));
    if (find.found == nullptr)
      ::Sleep(50);  // the box fills itself after it shows
  }
  return find.found;
}

TEST(SiteDialogs, FileDialogShowsThePathAndTakesTheSaveBoxChoice)
{
  char temp[MAX_PATH];
  ::GetTempPathA(sizeof temp, temp);
  const std::string chosen = std::string(temp) + "zarn_site_dialogs_pick.ini";
  ::DeleteFileA(chosen.c_str());

  CSiteFileDlg dlg;
  dlg.m_path = "C:\\old\\zarnsite.ini";
  std::string shown, afterBrowse;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Site Manager Settings");
    ASSERT_NE(box, nullptr);
    shown = boxdriver::ItemText(box, IDC_SITE_FILE_PATH);
    wintest::Shot("site_file_settings");
    boxdriver::Click(box, IDC_SITE_FILE_BROWSE);
    HWND save = boxdriver::WaitForBox("Save As");
    ASSERT_NE(save, nullptr);
    HWND name = FileNameField(save);
    if (name == nullptr) {
      ADD_FAILURE() << "no file-name field in the save box";
      boxdriver::Click(save, IDCANCEL);
      boxdriver::Click(box, IDCANCEL);
      return;
    }
    ::SendMessageA(name, WM_SETTEXT, 0, (LPARAM)chosen.c_str());
    boxdriver::Click(save, IDOK);
    // A file not there yet may bring the create prompt: answered Yes.
    const DWORD thread = ::GetWindowThreadProcessId(save, nullptr);
    auto answerPrompt = [&] {
      if (!::IsWindowVisible(save))
        return true;
      HWND prompt = nullptr;
      ::EnumThreadWindows(
          thread,
          [](HWND h, LPARAM p) -> BOOL {
            if (::IsWindowVisible(h) && ::GetDlgItem(h, IDYES) != nullptr) {
              *reinterpret_cast<HWND*>(p) = h;
              return FALSE;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&prompt));
      if (prompt != nullptr)
        ::PostMessageA(prompt, WM_COMMAND, IDYES, 0);
      return false;
    };
    ASSERT_TRUE(xside::WaitFor(answerPrompt, 10000, 50));
    afterBrowse = boxdriver::ItemText(box, IDC_SITE_FILE_PATH);
    boxdriver::Click(box, IDOK);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  driver.Join();
  EXPECT_EQ("C:\\old\\zarnsite.ini", shown);
  EXPECT_EQ(0, _stricmp(chosen.c_str(), afterBrowse.c_str())) << afterBrowse;
  EXPECT_EQ(0, _stricmp(chosen.c_str(), dlg.m_path)) << std::string(dlg.m_path);
}

}  // namespace
