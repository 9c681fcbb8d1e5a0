// The settings dialog, File Exists Options and Quick Add Site under Wine, each
// driven from a second thread as a user drives them: clicks and typing through
// the X server where handlers follow the text, control messages elsewhere.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/engineres.h"
#include "engine/planitem.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/mainframeres.h"
#include "shell/mainframe/quickaddsite.h"
#include "shell/options/optionsres.h"
#include "shell/options/settingsdlg.h"
#include "shell/settings/settings.h"
#include "tests/confirm/boxdriver.h"
#include "tests/support/xside.h"

using namespace boxdriver;

namespace {

// ---- driving from the second thread ----

HWND FindDeep(HWND root, int id)
{
  struct Search {
    int id;
    HWND found;
  } search = {id, nullptr};
  EnumChildWindows(
      root,
      [](HWND h, LPARAM p) -> BOOL {
        Search* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(h) != s->id)
          return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The page that holds a control only it has.
HWND PageOf(HWND box, int uniqueId) { return GetParent(FindDeep(box, uniqueId)); }

bool Host(const std::string& command) { return xside::RunUnix(command, "zarn-opt", 20000, false); }

void Shoot(HWND box, const char* name)
{
  const char* dir = std::getenv("ZARN_BINARY_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);  // the dialog's thread paints in its own time; nothing is asserted on it
  const std::string shots = std::string(dir) + "/shots";
  Host("mkdir -p " + shots + " && import -window root " + shots + "/" + name + ".png");
}

// A user's click at the middle of a window, then until done() holds.
template <class Done>
bool ClickUntil(HWND target, Done done)
{
  for (int attempt = 0; attempt < 3; ++attempt) {
    const POINT c = xside::WindowCentre(target);
    Host("xdotool mousemove 0 0 sleep 0.1 mousemove " + std::to_string(c.x) + " " + std::to_string(c.y) +
         " sleep 0.1 click 1");
    if (xside::WaitFor(done, 3000))
      return true;
  }
  return false;
}

// Clicks into the edit, then types text as keys until the edit holds it.
bool TypeInto(HWND edit, const std::string& text)
{
  auto typed = [&] { return Text(edit) == text; };
  for (int attempt = 0; attempt < 3 && !typed(); ++attempt) {
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "");
    ClickUntil(edit, [&] { return GetFocus() == edit || GetForegroundWindow() == GetAncestor(edit, GA_ROOT); });
    const POINT c = xside::WindowCentre(edit);
    Host("xdotool mousemove " + std::to_string(c.x) + " " + std::to_string(c.y) + " click 1 sleep 0.1 type --delay 30 '" +
         text + "'");
    xside::WaitFor(typed, 3000);
  }
  return typed();
}

void SetText(HWND page, int id, const char* text) { SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, (LPARAM)text); }

void Pick(HWND page, int id, int index)
{
  HWND combo = GetDlgItem(page, id);
  SendMessageA(combo, CB_SETCURSEL, (WPARAM)index, 0);
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
}

int Picked(HWND page, int id) { return (int)SendMessageA(GetDlgItem(page, id), CB_GETCURSEL, 0, 0); }

// A button click, waited for (SendMessage: the page's handler has run after it).
void Press(HWND page, int id) { SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }

bool Checked(HWND page, int id) { return SendMessageA(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Clicks a tab as a user does, until its page shows.
bool ShowTab(HWND box, int index, HWND page)
{
  HWND tabs = GetDlgItem(box, IDC_SETTINGS_TABS);
  RECT rc = {};
  SendMessageA(tabs, TCM_GETITEMRECT, (WPARAM)index, (LPARAM)&rc);
  MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&rc), 2);
  for (int attempt = 0; attempt < 3; ++attempt) {
    Host("xdotool mousemove 0 0 sleep 0.1 mousemove " + std::to_string((rc.left + rc.right) / 2) + " " +
         std::to_string((rc.top + rc.bottom) / 2) + " sleep 0.1 click 1");
    if (xside::WaitFor([&] { return IsWindowVisible(page) != FALSE; }, 3000))
      return true;
  }
  return false;
}

std::string RegText(const char* name)
{
  char buffer[600] = {};
  DWORD size = sizeof buffer - 1;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return "<no key>";
  const LONG r = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return r == ERROR_SUCCESS ? std::string(buffer) : "<missing>";
}

DWORD RegNumber(const char* name)
{
  DWORD value = 0xFFFFFFFF, size = sizeof value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return value;
  RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return value;
}

class OptionsDialogs : public ::testing::Test {
protected:
  void SetUp() override { ResetSettingsDefaults(); }
  void TearDown() override
  {
    ResetSettingsDefaults();
    SetFileExistsDialogHook(nullptr);
  }
};

// ---- System Settings ----

TEST_F(OptionsDialogs, OkAppliesEveryPageAndSaves)
{
  lstrcpyA(g_proxyHost, "proxy.example.test");
  std::atomic<bool> driven{false};
  CSettingsDlg dlg(nullptr, nullptr);
  Driver driver([&] {
    HWND box = WaitForBox("System Settings");
    ASSERT_NE(box, nullptr);
    HWND tabs = GetDlgItem(box, IDC_SETTINGS_TABS);
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 5);
    const char* titles[] = {"Connect", "Transfer", "General", "Advanced", "Display"};
    for (int i = 0; i < 5; ++i) {
      char title[32] = {};
      TCITEMA item = {};
      item.mask = TCIF_TEXT;
      item.pszText = title;
      item.cchTextMax = sizeof title;
      SendMessageA(tabs, TCM_GETITEMA, (WPARAM)i, (LPARAM)&item);
      EXPECT_STREQ(title, titles[i]);
    }
    const HWND pages[5] = {PageOf(box, IDC_OPT_PROXY_HOST), PageOf(box, IDC_OPT_ASCII_LIST),
                           PageOf(box, IDC_OPT_FAIL_ACTION), PageOf(box, IDC_OPT_IDLE_TIMEOUT),
                           PageOf(box, IDC_OPT_3D_ICONS)};
    const char* shots[5] = {"options_connect", "options_transfer", "options_general", "options_advanced",
                            "options_display"};
    for (int i = 0; i < 5; ++i) {
      ASSERT_NE(pages[i], nullptr) << i;
      EXPECT_TRUE(ShowTab(box, i, pages[i])) << i;
      Shoot(box, shots[i]);
    }
    // Connect: no phone-book entries here, so dialling stays off.
    HWND page = pages[0];
    Press(page, IDC_OPT_DIALUP_USER);
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_ALWAYS_DIAL));
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_DIAL_ENTRY));
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_PROXY_HOST));
    Pick(page, IDC_OPT_PROXY_TYPE, 2);
    EXPECT_TRUE(ItemEnabled(page, IDC_OPT_PROXY_HOST));
    SetText(page, IDC_OPT_PROXY_HOST, "    ");
    SetText(page, IDC_OPT_PROXY_PORT, "2121");
    SetText(page, IDC_OPT_PROXY_USER, " puser ");
    SetText(page, IDC_OPT_EMAIL, "me@example.test");
    // Longer than the setting (as a paste by message could make it).
    SetText(page, IDC_OPT_PROXY_PASS, std::string(300, 'x').c_str());
    // Transfer: one more extension, a refused one, the type, FXP, a folder.
    page = pages[1];
    Pick(page, IDC_OPT_TRANSFER_TYPE, 2);
    SetText(page, IDC_OPT_ASCII_TEXT, ".log");
    Press(page, IDC_OPT_ASCII_ADD);
    EXPECT_EQ(ItemText(page, IDC_OPT_ASCII_TEXT), "");
    SetText(page, IDC_OPT_ASCII_TEXT, "TX.T");
    Press(page, IDC_OPT_ASCII_ADD);
    EXPECT_EQ(ItemText(page, IDC_OPT_ASCII_TEXT), "TX.T");
    SetText(page, IDC_OPT_ASCII_TEXT, "TXT");
    Press(page, IDC_OPT_ASCII_ADD);
    Press(page, IDC_OPT_FXP);
    SetText(page, IDC_OPT_DOWNLOAD_PATH, "C:\\dl");
    // General.
    page = pages[2];
    Press(page, IDC_OPT_AUTOQUIT);
    Press(page, IDC_OPT_CONFIRM_STOP);
    EXPECT_TRUE(ItemEnabled(page, IDC_OPT_QUEUE_RETRIES));
    SetText(page, IDC_OPT_QUEUE_RETRIES, "50");
    Pick(page, IDC_OPT_FAIL_ACTION, 1);
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_QUEUE_RETRIES));
    // Advanced: two numbers out of range, one inside, a limit obeyed.
    page = pages[3];
    SetText(page, IDC_OPT_IDLE_TIMEOUT, "5");
    SetText(page, IDC_OPT_BLOCK_SIZE, "9000");
    SetText(page, IDC_OPT_CONNECT_TIMEOUT, "300");
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_DOWNLOAD_LIMIT));
    Press(page, IDC_OPT_OBEY_DOWNLOAD);
    EXPECT_TRUE(ItemEnabled(page, IDC_OPT_DOWNLOAD_LIMIT));
    SetText(page, IDC_OPT_DOWNLOAD_LIMIT, "64");
    Press(page, IDC_OPT_OBEY_UPLOAD);
    SetText(page, IDC_OPT_UPLOAD_LIMIT, "0");
    // Display: the older menus take the 3D icons away.
    page = pages[4];
    EXPECT_TRUE(ItemEnabled(page, IDC_OPT_3D_ICONS));
    Press(page, IDC_OPT_WIN98_MENU);
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_3D_ICONS));
    EXPECT_FALSE(ItemEnabled(page, IDC_OPT_CUSTOMIZE_TOOLBAR));  // no toolbar given
    Pick(page, IDC_OPT_STARTUP, 1);
    driven = true;
    Click(box, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  driver.Join();
  ASSERT_TRUE(driven);
  EXPECT_EQ(g_proxyType, 2);
  EXPECT_STREQ(g_proxyHost, "proxy.example.test");
  EXPECT_EQ(g_proxyPort, 2121);
  EXPECT_STREQ(g_proxyUser, "puser");
  EXPECT_EQ(strlen(g_proxyPassword), 259u);
  EXPECT_STREQ(g_anonymousPassword, "me@example.test");
  EXPECT_FALSE(IsOptionSet(OPTBIT_LAN_USER));
  EXPECT_FALSE(IsOptionSet(OPTBIT_AUTO_DIAL));
  EXPECT_EQ(g_transferType, 2);
  EXPECT_EQ(std::string(g_asciiExtensions), std::string(kDefaultAsciiExtensions) + ".log");
  EXPECT_TRUE(IsOptionSet(OPTBIT_FXP));
  EXPECT_STREQ(g_downloadPath, "C:\\dl");
  EXPECT_TRUE(IsOptionSet(OPTBIT_QUEUE_QUIT));
  EXPECT_FALSE(IsOptionSet(OPTBIT_CONFIRM_STOP));
  EXPECT_EQ(g_defItemRetries, 1);
  EXPECT_EQ(g_queueRetries, 50);
  EXPECT_EQ(g_idleTimeout, 120);
  EXPECT_EQ(g_socketBlockSize, 1460);
  EXPECT_EQ(g_connectTimeout, 300);
  EXPECT_EQ(g_globalLimitA, 64);
  EXPECT_TRUE(IsOptionSet(OPTBIT_DOWNLOAD_LIMIT));
  EXPECT_FALSE(IsOptionSet(OPTBIT_UPLOAD_LIMIT));
  EXPECT_TRUE(IsOptionSet(OPTBIT_FLAT_MENU));
  EXPECT_TRUE(IsOptionSet(OPTBIT_TIP_OF_DAY));

  // What the main window then stores.
  MainWindowSettings window;
  SaveSettings(window);
  EXPECT_EQ(RegNumber("CONFIGVASK"), g_optionFlags);
  EXPECT_EQ(RegText("PROXYIP"), "proxy.example.test");
  EXPECT_EQ(RegNumber("PROXYPORT"), 2121u);
  EXPECT_EQ(RegText("ASCIIFILE"), std::string(kDefaultAsciiExtensions) + ".log");
  EXPECT_EQ(RegText("DOWNLOADPATH"), "C:\\dl");
  EXPECT_EQ(RegText("CONFIGADVVASK"), "2,5,300,5,120,120,120,0,0,1,1,0,0,0,0,0,1460,1,5,50,0,64");
}

TEST_F(OptionsDialogs, CancelChangesNothing)
{
  const OptionsRecord before = ReadOptionsFromGlobals();
  CSettingsDlg dlg(nullptr, nullptr);
  Driver driver([&] {
    HWND box = WaitForBox("System Settings");
    ASSERT_NE(box, nullptr);
    HWND connect = PageOf(box, IDC_OPT_PROXY_HOST);
    Pick(connect, IDC_OPT_PROXY_TYPE, 3);
    SetText(connect, IDC_OPT_PROXY_HOST, "other.example.test");
    HWND advanced = PageOf(box, IDC_OPT_IDLE_TIMEOUT);
    SetText(advanced, IDC_OPT_IDLE_TIMEOUT, "600");
    Press(PageOf(box, IDC_OPT_3D_ICONS), IDC_OPT_WIN98_MENU);
    // Return in the extension field adds it; the dialog stays.
    HWND transfer = PageOf(box, IDC_OPT_ASCII_LIST);
    const LRESULT rows = SendDlgItemMessageA(transfer, IDC_OPT_ASCII_LIST, LB_GETCOUNT, 0, 0);
    EXPECT_TRUE(ShowTab(box, 1, transfer));
    EXPECT_TRUE(TypeInto(GetDlgItem(transfer, IDC_OPT_ASCII_TEXT), "DAT"));
    Host("xdotool key Return");
    EXPECT_TRUE(xside::WaitFor([&] { return SendDlgItemMessageA(transfer, IDC_OPT_ASCII_LIST, LB_GETCOUNT, 0, 0) == rows + 1; }));
    EXPECT_TRUE(IsWindowVisible(box));
    Click(box, IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  driver.Join();
  const OptionsRecord after = ReadOptionsFromGlobals();
  EXPECT_EQ(after.optionFlags, before.optionFlags);
  EXPECT_EQ(after.proxyType, before.proxyType);
  EXPECT_EQ(after.proxyHost, before.proxyHost);
  EXPECT_EQ(after.idleTimeout, before.idleTimeout);
  EXPECT_EQ(after.asciiExtensions, before.asciiExtensions);
}

// ---- File Exists Options ----

TEST_F(OptionsDialogs, ConfigureInTheReplaceBoxSetsTheRules)
{
  InstallOptionDialogs();
  g_fileRule = 0;
  std::atomic<int32_t> rules{-1};
  CPlanItem item;
  CConfirmReplaceDlg box(&rules, 0, nullptr);
  box.m_existingSize = 10;
  box.m_pItem = &item;
  box.m_fileName = "a.bin";
  Driver driver([&] {
    HWND replace = WaitForBox("Confirm File Replace");
    ASSERT_NE(replace, nullptr);
    EXPECT_TRUE(ItemEnabled(replace, IDC_REPLACE_CONFIGURE));
    Click(replace, IDC_REPLACE_CONFIGURE);
    HWND fe = WaitForBox("File Exists Options");
    ASSERT_NE(fe, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(fe, IDC_FE_UP_SMALLER, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendDlgItemMessageA(fe, IDC_FE_DOWN_LARGER, CB_GETCOUNT, 0, 0), 4);
    Shoot(fe, "file_exists_options");
    Pick(fe, IDC_FE_UP_SMALLER, 3);    // Auto Resume
    Pick(fe, IDC_FE_DOWN_LARGER, 2);   // Auto Skip
    Pick(fe, IDC_FE_DOWN_SAME, 3);     // Auto Rename
    Click(fe, IDOK);
    EXPECT_TRUE(WaitGone(fe));
    Click(replace, IDCANCEL);
  });
  EXPECT_EQ(box.DoModal(), REPLACE_SKIP);
  driver.Join();
  EXPECT_EQ(FileRuleGet(g_fileRule, FILERULE_UPLOAD, FILERULE_SMALLER), FILERULE_RESUME);
  EXPECT_EQ(FileRuleGet(g_fileRule, FILERULE_DOWNLOAD, FILERULE_LARGER), FILERULE_SKIP);
  EXPECT_EQ(FileRuleGet(g_fileRule, FILERULE_DOWNLOAD, FILERULE_SAME), FILERULE_RENAME);
  EXPECT_EQ(FileRuleGet(g_fileRule, FILERULE_UPLOAD, FILERULE_SAME), FILERULE_ASK);
  EXPECT_EQ(rules.load(), (int32_t)g_fileRule);

  // "Default" asks everywhere again; Cancel would have kept the rules.
  Driver again([&] {
    HWND fe = WaitForBox("File Exists Options");
    ASSERT_NE(fe, nullptr);
    EXPECT_EQ(Picked(fe, IDC_FE_UP_SMALLER), 3);
    Press(fe, IDC_FE_DEFAULT);
    for (int id = IDC_FE_UP_SMALLER; id <= IDC_FE_DOWN_LARGER; ++id)
      EXPECT_EQ(Picked(fe, id), 0) << id;
    Click(fe, IDOK);
  });
  EXPECT_TRUE(RunFileExistsDialog(nullptr));
  again.Join();
  EXPECT_EQ(g_fileRule, 0u);
}

// ---- Quick Add Site ----

TEST_F(OptionsDialogs, QuickAddFollowsTheTypingAndRefusesBlanks)
{
  SiteLoginValues values;
  Driver driver([&] {
    HWND box = WaitForBox("Quick Add Site");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Checked(box, IDC_QA_ANONYMOUS));
    EXPECT_TRUE(Checked(box, IDC_QA_PASV));
    EXPECT_TRUE(Checked(box, IDC_QA_LIMIT_NONE));
    EXPECT_FALSE(ItemEnabled(box, IDC_QA_COUNT));
    EXPECT_EQ(ItemText(box, IDC_QA_PORT), "21");
    Shoot(box, "quick_add_site");
    EXPECT_TRUE(TypeInto(GetDlgItem(box, IDC_QA_HOST), "ftp.example.test"));
    EXPECT_EQ(ItemText(box, IDC_QA_NAME), "ftp.example.test");
    EXPECT_TRUE(Checked(box, IDC_QA_ANONYMOUS));
    EXPECT_TRUE(TypeInto(GetDlgItem(box, IDC_QA_USER), "bob"));
    EXPECT_FALSE(Checked(box, IDC_QA_ANONYMOUS));
    // A host of blanks: OK does nothing.
    SetText(box, IDC_QA_HOST, "   ");
    Press(box, IDOK);
    EXPECT_TRUE(IsWindowVisible(box));
    // An 80-character host typed stops at the field's width.
    HWND host = GetDlgItem(box, IDC_QA_HOST);
    SendMessageA(host, WM_SETTEXT, 0, (LPARAM) "");
    const POINT c = xside::WindowCentre(host);
    Host("xdotool mousemove " + std::to_string(c.x) + " " + std::to_string(c.y) + " click 1 sleep 0.1 type --delay 5 '" +
         std::string(80, 'h') + "'");
    EXPECT_TRUE(xside::WaitFor([&] { return Text(host).size() == 49; }, 5000));
    EXPECT_EQ(ItemText(box, IDC_QA_NAME).size(), 49u);
    SetText(box, IDC_QA_HOST, " 127.0.0.1 ");
    SetText(box, IDC_QA_NAME, "Loop");
    Press(box, IDC_QA_LIMIT_COUNT);
    EXPECT_TRUE(ItemEnabled(box, IDC_QA_COUNT));
    Press(box, IDC_QA_LIMIT_NONE);
    EXPECT_FALSE(ItemEnabled(box, IDC_QA_COUNT));
    Press(box, IDC_QA_LIMIT_COUNT);
    SetText(box, IDC_QA_COUNT, "500");
    Press(box, IDOK);
    EXPECT_TRUE(IsWindowVisible(box));  // a count of 500 does not fit
    SetText(box, IDC_QA_COUNT, "0");
    Click(box, IDOK);
  });
  EXPECT_TRUE(RunQuickAddSiteDialog(nullptr, values));
  driver.Join();
  EXPECT_EQ(std::string(values.host), "127.0.0.1");
  EXPECT_EQ(std::string(values.name), "Loop");
  EXPECT_EQ(std::string(values.user), "bob");
  EXPECT_EQ(values.anonymous, '0');
  EXPECT_EQ(values.limitKind, '2');
  EXPECT_EQ(values.connLimit, 200);
  EXPECT_EQ(values.passive, '2');  // left checked: the new site's digit
  EXPECT_EQ(values.port, 21);
}

TEST_F(OptionsDialogs, ModifyModeKeepsTheNameAndItsCaption)
{
  SiteLoginValues values;
  values.host = "old.example.test";
  values.name = "Old";
  values.user = "anonymous";
  values.anonymous = '1';
  values.limitKind = '1';
  values.passive = '0';
  values.port = 2100;
  values.connLimit = 1;
  Driver driver([&] {
    HWND box = WaitForBox("Modify Login Information");
    ASSERT_NE(box, nullptr);
    // Filling the fields is no typing: the stored anonymous login stays.
    EXPECT_TRUE(Checked(box, IDC_QA_ANONYMOUS));
    EXPECT_FALSE(Checked(box, IDC_QA_PASV));
    EXPECT_TRUE(Checked(box, IDC_QA_LIMIT_SINGLE));
    EXPECT_EQ(ItemText(box, IDC_QA_PORT), "2100");
    Shoot(box, "modify_login_information");
    EXPECT_TRUE(TypeInto(GetDlgItem(box, IDC_QA_HOST), "new.example.test"));
    EXPECT_EQ(ItemText(box, IDC_QA_NAME), "Old");
    Press(box, IDC_QA_ANONYMOUS);
    EXPECT_FALSE(Checked(box, IDC_QA_ANONYMOUS));
    Click(box, IDOK);
  });
  EXPECT_TRUE(RunModifyInfoDialog(nullptr, 3, values));
  driver.Join();
  EXPECT_EQ(std::string(values.host), "new.example.test");
  EXPECT_EQ(std::string(values.name), "Old");
  EXPECT_EQ(values.anonymous, '0');
  EXPECT_EQ(values.passive, '0');
  EXPECT_EQ(values.limitKind, '1');
  EXPECT_EQ(values.connLimit, 1);
}

}  // namespace
