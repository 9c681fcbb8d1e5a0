// The application's profile in the registry, the recent-file list and the
// command line.
#include "guitest.h"

#include <cstdlib>

#include "resids.h"

namespace {

const char kKey[] = "ZarnFwGuiTest";
const char kSectionPath[] = "Software\\ZarnFwGuiTest\\framework_gui\\Values";
const BYTE kBlob[] = {0x00, 0x01, 0xFF, 0x80, 0x7F, 0x10, 0x00};

// Writes a raw value of any type and size, as another program (or damage) might.
void SetRaw(const char* pszEntry, DWORD dwType, const void* p, DWORD cb) {
  HKEY h = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, kSectionPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                                             &h, nullptr));
  ::RegSetValueExA(h, pszEntry, 0, dwType, static_cast<const BYTE*>(p), cb);
  ::RegCloseKey(h);
}

void ExpectStoredValues(CWinApp* pApp) {
  EXPECT_EQ(4711u, pApp->GetProfileInt("Values", "Int", -1));
  EXPECT_EQ((UINT)-42, pApp->GetProfileInt("Values", "Negative", 0));
  EXPECT_STREQ("h\xE9llo \xC4\xE3\xBA\xC3", pApp->GetProfileString("Values", "String", "none"));
  LPBYTE p = nullptr;
  UINT n = 0;
  ASSERT_TRUE(pApp->GetProfileBinary("Values", "Binary", &p, &n));
  ASSERT_EQ(sizeof kBlob, n);
  EXPECT_EQ(0, memcmp(kBlob, p, n));
  delete[] p;
}

}  // namespace

TEST(Profile, IntStringAndBinaryValuesRoundTripAndSurviveARestart) {
  CWinApp* pApp = AfxGetApp();
  pApp->SetRegistryKey(kKey);
  EXPECT_STREQ(kKey, pApp->m_pszRegistryKey);
  EXPECT_STREQ("framework_gui", pApp->m_pszProfileName);
  pApp->WriteProfileString("Values", nullptr, nullptr);  // a clean section

  // Missing values give the defaults.
  EXPECT_EQ(17u, pApp->GetProfileInt("Values", "Int", 17));
  EXPECT_STREQ("dflt", pApp->GetProfileString("Values", "String", "dflt"));
  EXPECT_STREQ("", pApp->GetProfileString("Values", "String"));

  ASSERT_TRUE(pApp->WriteProfileInt("Values", "Int", 4711));
  ASSERT_TRUE(pApp->WriteProfileInt("Values", "Negative", -42));
  ASSERT_TRUE(pApp->WriteProfileString("Values", "String", "h\xE9llo \xC4\xE3\xBA\xC3"));
  ASSERT_TRUE(pApp->WriteProfileBinary("Values", "Binary", const_cast<LPBYTE>(kBlob), sizeof kBlob));
  ExpectStoredValues(pApp);

  // Under HKEY_CURRENT_USER\Software\<key>\<application>\<section>.
  HKEY h = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, kSectionPath, 0, KEY_READ, &h));
  DWORD dwType = 0, dw = 0, cb = sizeof dw;
  EXPECT_EQ(ERROR_SUCCESS, ::RegQueryValueExA(h, "Int", nullptr, &dwType, (LPBYTE)&dw, &cb));
  EXPECT_EQ((DWORD)REG_DWORD, dwType);
  EXPECT_EQ(4711u, dw);
  ::RegCloseKey(h);

  // A second run of the program reads them back.
  char szExe[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
  CString strCmd;
  strCmd.Format("\"%s\" --gtest_filter=Profile.ReadByASecondProcess", szExe);
  ::SetEnvironmentVariableA("ZARN_PROFILE_CHILD", "1");
  STARTUPINFOA si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(szExe, strCmd.GetBuffer(0), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ::SetEnvironmentVariableA("ZARN_PROFILE_CHILD", nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pi.hProcess, 120000));
  DWORD dwExit = 99;
  ::GetExitCodeProcess(pi.hProcess, &dwExit);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(0u, dwExit);

  // Entries and sections go.
  ASSERT_TRUE(pApp->WriteProfileString("Values", "String", nullptr));
  EXPECT_STREQ("gone", pApp->GetProfileString("Values", "String", "gone"));
  ASSERT_TRUE(pApp->WriteProfileString("Values", nullptr, nullptr));
  EXPECT_EQ(5u, pApp->GetProfileInt("Values", "Int", 5));
}

TEST(Profile, ReadByASecondProcess) {
  if (std::getenv("ZARN_PROFILE_CHILD") == nullptr)
    GTEST_SKIP() << "run by the round-trip test";
  CWinApp* pApp = AfxGetApp();
  pApp->SetRegistryKey(kKey);
  ExpectStoredValues(pApp);
}

TEST(Profile, ValuesOfTheWrongTypeOrSizeGiveTheDefaultAndNoBuffer) {
  CWinApp* pApp = AfxGetApp();
  pApp->SetRegistryKey(kKey);
  pApp->WriteProfileString("Values", nullptr, nullptr);
  SetRaw("TextAsInt", REG_SZ, "12", 3);
  const BYTE two[2] = {1, 2};
  SetRaw("ShortInt", REG_BINARY, two, 2);
  const DWORD dw = 7;
  SetRaw("DwordAsBinary", REG_DWORD, &dw, sizeof dw);
  SetRaw("EmptyBinary", REG_BINARY, nullptr, 0);
  SetRaw("DwordAsText", REG_DWORD, &dw, sizeof dw);
  SetRaw("Unterminated", REG_SZ, "abc", 3);  // no closing zero stored

  EXPECT_EQ((UINT)-5, pApp->GetProfileInt("Values", "TextAsInt", -5));
  EXPECT_EQ(9u, pApp->GetProfileInt("Values", "ShortInt", 9));
  EXPECT_STREQ("d", pApp->GetProfileString("Values", "DwordAsText", "d"));
  EXPECT_STREQ("abc", pApp->GetProfileString("Values", "Unterminated", "d"));

  // Nothing comes back, and the caller's pointer is cleared, not freed.
  for (const char* pszEntry : {"DwordAsBinary", "EmptyBinary", "Missing"}) {
    LPBYTE p = reinterpret_cast<LPBYTE>(const_cast<BYTE*>(kBlob));
    UINT n = 123;
    EXPECT_FALSE(pApp->GetProfileBinary("Values", pszEntry, &p, &n)) << pszEntry;
    EXPECT_EQ(nullptr, p) << pszEntry;
    EXPECT_EQ(0u, n) << pszEntry;
  }
  EXPECT_FALSE(pApp->GetProfileBinary("Values", "Missing", nullptr, nullptr));
  pApp->WriteProfileString("Values", nullptr, nullptr);
}

TEST(RecentFiles, NewestFirstWithoutDuplicatesSavedAndShownInTheMenu) {
  CWinApp* pApp = AfxGetApp();
  pApp->SetRegistryKey(kKey);
  pApp->WriteProfileString("Recent File List", nullptr, nullptr);
  pApp->LoadStdProfileSettings(4);
  ASSERT_NE(nullptr, pApp->m_pRecentFileList);
  CRecentFileList& mru = *pApp->m_pRecentFileList;
  EXPECT_EQ(4, mru.GetSize());
  EXPECT_TRUE(mru[0].IsEmpty());

  // With no file the item keeps its own text, disabled.
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, ID_TEST_CHECK, "Other");
  menu.AppendMenu(MF_STRING, ID_FILE_MRU_FILE1, "Recent File");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, ID_APP_EXIT, "Exit");
  AfxUpdateMenuUI(pApp, menu, FALSE);
  EXPECT_EQ(4u, menu.GetMenuItemCount());
  EXPECT_TRUE(menu.GetMenuState(ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED);

  for (const char* p : {"C:\\a.tfd", "C:\\b.tfd", "C:\\c.tfd", "C:\\d.tfd", "C:\\e.tfd"})
    pApp->AddToRecentFileList(p);
  EXPECT_STREQ("C:\\e.tfd", mru[0]);
  EXPECT_STREQ("C:\\b.tfd", mru[3]);  // a fell off
  pApp->AddToRecentFileList("c:\\C.TFD");  // already there, in other letters: moves up
  EXPECT_STREQ("c:\\C.TFD", mru[0]);
  EXPECT_STREQ("C:\\e.tfd", mru[1]);
  EXPECT_STREQ("C:\\d.tfd", mru[2]);
  EXPECT_STREQ("C:\\b.tfd", mru[3]);

  pApp->SaveStdProfileSettings();
  CRecentFileList again(0, "Recent File List", "File%d", 4);
  again.ReadList();
  for (int i = 0; i < 4; i++)
    EXPECT_STREQ(mru[i], again[i]);

  // The menu lists them in place of the item; a second update changes nothing.
  for (int pass = 0; pass < 2; pass++) {
    AfxUpdateMenuUI(pApp, menu, FALSE);
    ASSERT_EQ(7u, menu.GetMenuItemCount()) << pass;
    CString s;
    menu.GetMenuString(1, s, MF_BYPOSITION);
    EXPECT_STREQ("&1 c:\\C.TFD", s);
    menu.GetMenuString(4, s, MF_BYPOSITION);
    EXPECT_STREQ("&4 C:\\b.tfd", s);
    EXPECT_EQ((UINT)ID_FILE_MRU_FILE1 + 3, menu.GetMenuItemID(4));
    EXPECT_EQ((UINT)ID_APP_EXIT, menu.GetMenuItemID(6));
  }
  mru.Remove(0);
  EXPECT_STREQ("C:\\e.tfd", mru[0]);
  EXPECT_TRUE(mru[3].IsEmpty());
  pApp->WriteProfileString("Recent File List", nullptr, nullptr);
}

TEST(CommandLine, SplitsLikeTheSystemAndKnowsTheSwitches) {
  CStringArray a;
  AfxSplitCommandLine("one \"two words\"  x\\\"y \"a\\\\\" b \"f\"\"g\" c:\\dir\\", a);
  ASSERT_EQ(7, (int)a.GetSize());
  EXPECT_STREQ("one", a[0]);
  EXPECT_STREQ("two words", a[1]);
  EXPECT_STREQ("x\"y", a[2]);
  EXPECT_STREQ("a\\", a[3]);
  EXPECT_STREQ("b", a[4]);
  EXPECT_STREQ("f\"g", a[5]);
  EXPECT_STREQ("c:\\dir\\", a[6]);

  CWinApp* pApp = AfxGetApp();
  LPTSTR lpSaved = pApp->m_lpCmdLine;
  struct Case {
    const char* pszLine;
    int nCommand;
    BOOL bSplash;
    const char* pszFile;
  } cases[] = {
      {"", CCommandLineInfo::FileNew, TRUE, ""},
      {"/Embedding", CCommandLineInfo::FileNew, FALSE, ""},
      {"-AUTOMATION", CCommandLineInfo::FileNew, FALSE, ""},
      {"\"C:\\some folder\\x.tfd\"", CCommandLineInfo::FileOpen, TRUE, "C:\\some folder\\x.tfd"},
      {"/p C:\\x.tfd", CCommandLineInfo::FilePrint, TRUE, "C:\\x.tfd"},
      {"/dde", CCommandLineInfo::FileDDE, TRUE, ""},
      {"/Unregserver", CCommandLineInfo::AppUnregister, TRUE, ""},
  };
  for (const Case& c : cases) {
    CString strLine(c.pszLine);
    pApp->m_lpCmdLine = strLine.GetBuffer(0);
    CCommandLineInfo info;
    pApp->ParseCommandLine(info);
    EXPECT_EQ(c.nCommand, (int)info.m_nShellCommand) << c.pszLine;
    EXPECT_EQ(c.bSplash, info.m_bShowSplash) << c.pszLine;
    EXPECT_STREQ(c.pszFile, info.m_strFileName) << c.pszLine;
  }
  CString strLine("/pt C:\\x.tfd printer driver port");
  pApp->m_lpCmdLine = strLine.GetBuffer(0);
  CCommandLineInfo info;
  pApp->ParseCommandLine(info);
  EXPECT_EQ(CCommandLineInfo::FilePrintTo, info.m_nShellCommand);
  EXPECT_STREQ("printer", info.m_strPrinterName);
  EXPECT_STREQ("port", info.m_strPortName);

  // Unregistration ends the program: there is nothing to process.
  CCommandLineInfo unreg;
  unreg.m_nShellCommand = CCommandLineInfo::AppUnregister;
  EXPECT_FALSE(pApp->ProcessShellCommand(unreg));
  CCommandLineInfo nothing;
  nothing.m_nShellCommand = CCommandLineInfo::FileNothing;
  EXPECT_TRUE(pApp->ProcessShellCommand(nothing));
  pApp->m_lpCmdLine = lpSaved;
}
