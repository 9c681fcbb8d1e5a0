// The console's settings dialog as a user meets it, under wine64.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/commandsetdlg.h"
#include "console/consoleres.h"
#include "tests/confirm/boxdriver.h"
#include "tests/framework_gui/guitest.h"
#include "tests/support/xside.h"

CWinApp theApp("console_controls");

namespace {

void Shot(const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  const std::string shots = std::string(dir) + "/shots";
  xside::RunUnix("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png", "zarn-console",
                 30000, false);
}

int ComboCount(HWND box, int id) { return (int)::SendDlgItemMessageA(box, id, CB_GETCOUNT, 0, 0); }

TEST(CommandSettings, ShowsTheValuesAndAZeroTimeOutBecomesOne)
{
  guitest::BecomeGuiThread();
  CCommandSetDlg dlg;
  dlg.m_ascii = 1;
  dlg.m_passive = 0;
  dlg.m_timeout = 120;
  dlg.m_folder = "C:\\downloads";
  dlg.m_listOption = 1;
  boxdriver::Driver driver([&] {
    HWND box = boxdriver::WaitForBox("Settings");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ComboCount(box, IDC_SET_ASCII), 2);
    EXPECT_EQ(ComboCount(box, IDC_SET_PASSIVE), 2);
    EXPECT_EQ(ComboCount(box, IDC_SET_LISTING), 3);
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_ASCII), "ASCII");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_PASSIVE), "PORT");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_LISTING), "Show and save");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_TIMEOUT), "120");
    EXPECT_EQ(boxdriver::ItemText(box, IDC_SET_FOLDER), "C:\\downloads");
    Shot("console_settings");
    boxdriver::SetItemText(box, IDC_SET_TIMEOUT, "0");
    boxdriver::Click(box, IDOK);
    EXPECT_TRUE(boxdriver::WaitGone(box));
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  EXPECT_EQ(dlg.m_timeout, 1);
  EXPECT_EQ(dlg.m_ascii, 1);
  EXPECT_EQ(dlg.m_passive, 0);
  EXPECT_EQ(dlg.m_listOption, 1);
}

}  // namespace
