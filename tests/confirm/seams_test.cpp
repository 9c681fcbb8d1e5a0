// The shell and dial-up seams under Wine: the open fallback through the
// registry with a recording runner, hang-up and dialling with scripted fakes,
// and the real libraries only loaded, never driven.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include <wininet.h>

#include "engine/dialup.h"
#include "engine/localaddr.h"
#include "engine/shellseam.h"
#include "shell/settings/settings.h"

namespace {

// ---- the recording shell runner ----

struct ShellRecord {
  INT_PTR openAnswer = 42;
  std::vector<std::string> opened;
  std::vector<std::string> ran;
  std::vector<int> shows;
};
ShellRecord g_shell;

INT_PTR FakeOpen(const char* target, int show)
{
  g_shell.opened.push_back(target);
  g_shell.shows.push_back(show);
  return g_shell.openAnswer;
}

BOOL FakeRun(const char* line, int show)
{
  g_shell.ran.push_back(line);
  g_shell.shows.push_back(show);
  return TRUE;
}

const ShellRunner kFakeRunner = {&FakeOpen, &FakeRun};

// Puts the prefix's ".htm" class back however a test ends.
class HtmClassGuard {
public:
  HtmClassGuard()
  {
    char old[kRegistryDefaultLen];
    m_hadDefault = ReadRegistryDefault(HKEY_CLASSES_ROOT, ".htm", old) == ERROR_SUCCESS;
    m_old = old;
  }
  ~HtmClassGuard()
  {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ".htm", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      if (m_hadDefault)
        RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_old.c_str()),
                       (DWORD)m_old.size() + 1);
      else
        RegDeleteValueA(key, nullptr);
      RegCloseKey(key);
    }
    SHDeleteKeyA(HKEY_CLASSES_ROOT, "ZarnTestPage");
  }

private:
  bool m_hadDefault = false;
  std::string m_old;
};

void SetDefault(HKEY root, const char* subkey, const char* text)
{
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), (DWORD)strlen(text) + 1),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void RemoveDefault(HKEY root, const char* subkey)
{
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  RegDeleteValueA(key, nullptr);
  RegCloseKey(key);
}

class OpenWithShellTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_shell = ShellRecord();
    SetShellRunner(&kFakeRunner);
  }
  void TearDown() override { SetShellRunner(nullptr); }
  HtmClassGuard m_guard;
};

TEST_F(OpenWithShellTest, FallsBackOnlyWhenTheShellFails)
{
  SetDefault(HKEY_CLASSES_ROOT, ".htm", "ZarnTestPage");
  SetDefault(HKEY_CLASSES_ROOT, "ZarnTestPage\\shell\\open\\command",
             "\"C:\\Program Files\\Pager\\pager.exe\" -nohome \"%1\"");

  g_shell.openAnswer = 33;
  EXPECT_EQ(OpenWithShell("C:\\My Files\\a b.txt", SW_SHOWNORMAL), 33);
  EXPECT_TRUE(g_shell.ran.empty());

  g_shell.openAnswer = 32;
  EXPECT_EQ(OpenWithShell("C:\\My Files\\a b.txt", SW_SHOWMAXIMIZED), 32);
  ASSERT_EQ(g_shell.ran.size(), 1u);
  EXPECT_EQ(g_shell.ran[0], "\"C:\\Program Files\\Pager\\pager.exe\" -nohome \"C:\\My Files\\a b.txt\"");
  EXPECT_EQ(g_shell.shows.back(), SW_SHOWMAXIMIZED);

  g_shell.openAnswer = SE_ERR_NOASSOC;
  OpenWithShell("C:\\x.dat", SW_SHOWNORMAL);
  ASSERT_EQ(g_shell.ran.size(), 2u);
  EXPECT_EQ(g_shell.ran[1], "\"C:\\Program Files\\Pager\\pager.exe\" -nohome \"C:\\x.dat\"");
  EXPECT_EQ(g_shell.opened.size(), 3u);
}

TEST_F(OpenWithShellTest, CommandWithoutPlaceholderGetsTheQuotedTarget)
{
  SetDefault(HKEY_CLASSES_ROOT, ".htm", "ZarnTestPage");
  SetDefault(HKEY_CLASSES_ROOT, "ZarnTestPage\\shell\\open\\command", "C:\\pager.exe -new");
  g_shell.openAnswer = 2;
  OpenWithShell("C:\\a b\\c.txt", SW_SHOWNORMAL);
  ASSERT_EQ(g_shell.ran.size(), 1u);
  EXPECT_EQ(g_shell.ran[0], "C:\\pager.exe -new \"C:\\a b\\c.txt\"");
}

TEST_F(OpenWithShellTest, MissingDefaultsRunNothing)
{
  g_shell.openAnswer = 2;
  // ".htm" without a default value.
  RemoveDefault(HKEY_CLASSES_ROOT, ".htm");
  OpenWithShell("C:\\a.txt", SW_SHOWNORMAL);
  // A document type whose command has no default value.
  SetDefault(HKEY_CLASSES_ROOT, ".htm", "ZarnTestPage");
  RemoveDefault(HKEY_CLASSES_ROOT, "ZarnTestPage\\shell\\open\\command");
  OpenWithShell("C:\\a.txt", SW_SHOWNORMAL);
  // A document type without a command key.
  SHDeleteKeyA(HKEY_CLASSES_ROOT, "ZarnTestPage");
  OpenWithShell("C:\\a.txt", SW_SHOWNORMAL);
  EXPECT_TRUE(g_shell.ran.empty());
  EXPECT_EQ(g_shell.opened.size(), 3u);
}

// ---- ReadRegistryDefault ----

class RegistryDefault : public ::testing::Test {
protected:
  static constexpr const char* kKey = "Software\\ZarnConfirmTest";
  void SetUp() override { SHDeleteKeyA(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { SHDeleteKeyA(HKEY_CURRENT_USER, kKey); }
  void SetRaw(DWORD type, const void* data, DWORD size)
  {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, nullptr, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  char out[kRegistryDefaultLen + 8];
  void Stale() { memset(out, 'x', sizeof(out)); }
};

TEST_F(RegistryDefault, FailuresEmptyTheOutputAndReturnTheError)
{
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(out, "");
  // The key exists but has no default value: the query's error, not 0.
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  Stale();
  EXPECT_NE(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_SUCCESS);
  EXPECT_STREQ(out, "");
  const DWORD number = 7;
  SetRaw(REG_DWORD, &number, sizeof(number));
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_UNSUPPORTED_TYPE);
  EXPECT_STREQ(out, "");
}

TEST_F(RegistryDefault, TextAlwaysEndsWithin260Bytes)
{
  SetRaw(REG_SZ, "open.exe", 9);
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_SUCCESS);
  EXPECT_STREQ(out, "open.exe");
  // Stored without its NUL.
  SetRaw(REG_SZ, "abc", 3);
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_SUCCESS);
  EXPECT_STREQ(out, "abc");
  // 259 characters without a NUL fill the output exactly.
  std::string full(259, 'f');
  SetRaw(REG_SZ, full.data(), (DWORD)full.size());
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_SUCCESS);
  EXPECT_EQ(std::string(out), full);
  // 260 characters without a NUL leave no room for one.
  std::string over(260, 'o');
  SetRaw(REG_SZ, over.data(), (DWORD)over.size());
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_MORE_DATA);
  EXPECT_STREQ(out, "");
  // Too long: an error, not a cut command line.
  std::string tooLong(400, 'l');
  SetRaw(REG_SZ, tooLong.c_str(), (DWORD)tooLong.size() + 1);
  Stale();
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, kKey, out), ERROR_MORE_DATA);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(out[kRegistryDefaultLen], 'x');
}

// ---- dial-up with scripted functions ----

struct DialScript {
  std::vector<DWORD> enumAnswers;    // one per call; buffer-too-small asks for room for `connections`
  std::vector<HRASCONN> connections;
  std::vector<DWORD> hangUpAnswers;  // per call; missing ones succeed
  DWORD dialAnswer = ERROR_SUCCESS;
  // Records.
  std::vector<DWORD> enumBytes;
  std::vector<DWORD> enumRecordSizes;
  std::vector<HRASCONN> hungUp;
  std::vector<std::string> dialled;
  std::vector<DWORD> dialFlags;
};
DialScript g_dial;

DWORD WINAPI FakeEnum(RasConnV4* connections, LPDWORD bytes, LPDWORD count)
{
  const size_t call = g_dial.enumBytes.size();
  g_dial.enumBytes.push_back(*bytes);
  g_dial.enumRecordSizes.push_back(connections[0].dwSize);
  const DWORD answer = call < g_dial.enumAnswers.size() ? g_dial.enumAnswers[call] : ERROR_SUCCESS;
  const DWORD needed = (DWORD)(g_dial.connections.size() * sizeof(RasConnV4));
  if (answer == ERROR_BUFFER_TOO_SMALL) {
    *bytes = needed;
    *count = 0;
    return answer;
  }
  if (answer != ERROR_SUCCESS) {
    *count = (DWORD)g_dial.connections.size();  // a count that must not be trusted
    return answer;
  }
  if (*bytes < needed) {
    *bytes = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  for (size_t i = 0; i < g_dial.connections.size(); ++i) {
    connections[i].hrasconn = g_dial.connections[i];
    snprintf(connections[i].szEntryName, sizeof(connections[i].szEntryName), "line %u", (unsigned)i);
  }
  *count = (DWORD)g_dial.connections.size();
  return ERROR_SUCCESS;
}

DWORD WINAPI FakeHangUp(HRASCONN connection)
{
  const size_t call = g_dial.hungUp.size();
  g_dial.hungUp.push_back(connection);
  return call < g_dial.hangUpAnswers.size() ? g_dial.hangUpAnswers[call] : ERROR_SUCCESS;
}

DWORD WINAPI FakeDial(HWND, LPSTR entry, DWORD flags, DWORD_PTR* connection, DWORD)
{
  g_dial.dialled.push_back(entry);
  g_dial.dialFlags.push_back(flags);
  if (connection != nullptr)
    *connection = 0x77;
  return g_dial.dialAnswer;
}

const DWORD kTooSmall = ERROR_BUFFER_TOO_SMALL;
const DWORD kOk = ERROR_SUCCESS;

HRASCONN Conn(uintptr_t n) { return reinterpret_cast<HRASCONN>(n); }

class DialUp : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_dial = DialScript();
    SetDialUpApi(&m_api);
  }
  void TearDown() override
  {
    SetDialUpApi(nullptr);
    ResetSettingsDefaults();
  }
  DialUpApi m_api = {&FakeEnum, &FakeHangUp, &FakeDial};
};

TEST_F(DialUp, HangUpGrowsTheBufferAndHangsUpInOrder)
{
  g_dial.enumAnswers = {kTooSmall, kOk};
  g_dial.connections = {Conn(0x11), Conn(0x22), Conn(0x33)};
  EXPECT_EQ(HangUpAllConnections(), 3);
  ASSERT_EQ(g_dial.enumBytes.size(), 2u);
  EXPECT_EQ(g_dial.enumBytes[0], sizeof(RasConnV4));
  EXPECT_EQ(g_dial.enumBytes[1], 3 * sizeof(RasConnV4));
  EXPECT_EQ(g_dial.enumRecordSizes[0], sizeof(RasConnV4));
  EXPECT_EQ(g_dial.enumRecordSizes[1], sizeof(RasConnV4));
  EXPECT_EQ(g_dial.hungUp, (std::vector<HRASCONN>{Conn(0x11), Conn(0x22), Conn(0x33)}));
}

TEST_F(DialUp, HangUpStopsAtTheFirstFailure)
{
  g_dial.enumAnswers = {kTooSmall, kOk};
  g_dial.connections = {Conn(0x11), Conn(0x22), Conn(0x33)};
  g_dial.hangUpAnswers = {kOk, 668 /* ERROR_NO_CONNECTION */};
  EXPECT_EQ(HangUpAllConnections(), 1);
  EXPECT_EQ(g_dial.hungUp, (std::vector<HRASCONN>{Conn(0x11), Conn(0x22)}));
}

TEST_F(DialUp, OneConnectionFitsTheFirstBuffer)
{
  g_dial.connections = {Conn(0x44)};
  EXPECT_EQ(HangUpAllConnections(), 1);
  EXPECT_EQ(g_dial.enumBytes.size(), 1u);
}

TEST_F(DialUp, OtherEnumerationErrorsHangUpNothing)
{
  g_dial.enumAnswers = {632 /* ERROR_INVALID_SIZE */};
  g_dial.connections = {Conn(0x11), Conn(0x22)};
  EXPECT_EQ(HangUpAllConnections(), 0);
  EXPECT_TRUE(g_dial.hungUp.empty());
  // A second enumeration that still finds the buffer too small gives up.
  g_dial = DialScript();
  g_dial.enumAnswers = {kTooSmall, kTooSmall};
  g_dial.connections = {Conn(0x11), Conn(0x22)};
  EXPECT_EQ(HangUpAllConnections(), 0);
  EXPECT_TRUE(g_dial.hungUp.empty());
}

TEST_F(DialUp, AutoDialPassesTheEntryUnattended)
{
  strcpy(g_dialEntry, "My ISP");
  EXPECT_TRUE(AutoDial());
  g_dial.dialAnswer = 631;  // the user hung up
  EXPECT_FALSE(AutoDial());
  ASSERT_EQ(g_dial.dialled.size(), 2u);
  EXPECT_EQ(g_dial.dialled[0], "My ISP");
  EXPECT_EQ(g_dial.dialFlags[0], (DWORD)INTERNET_AUTODIAL_FORCE_UNATTENDED);
}

TEST_F(DialUp, MissingFunctionsDoNothing)
{
  m_api = DialUpApi{};
  g_dial.connections = {Conn(0x11)};
  EXPECT_EQ(HangUpAllConnections(), 0);
  EXPECT_FALSE(AutoDial());
  EXPECT_TRUE(g_dial.enumBytes.empty());
  EXPECT_TRUE(g_dial.dialled.empty());
}

// ---- the real libraries: loaded, never driven ----

TEST(RealSeams, DialUpLibrariesLoadAndDegrade)
{
  const DialUpApi real = LoadDialUpApi();
  EXPECT_NE(real.enumConnections, nullptr);
  EXPECT_NE(real.hangUp, nullptr);
  EXPECT_NE(real.dial, nullptr);

  const DialUpApi missing = LoadDialUpApi("zarn_no_such_ras.dll", "zarn_no_such_inet.dll");
  EXPECT_EQ(missing.enumConnections, nullptr);
  EXPECT_EQ(missing.hangUp, nullptr);
  EXPECT_EQ(missing.dial, nullptr);
  // A library without the exports (kernel32 has none of them).
  const DialUpApi wrong = LoadDialUpApi("kernel32.dll", "kernel32.dll");
  EXPECT_EQ(wrong.enumConnections, nullptr);
  EXPECT_EQ(wrong.dial, nullptr);

  SetDialUpApi(&missing);
  strcpy(g_dialEntry, "My ISP");
  EXPECT_EQ(HangUpAllConnections(), 0);
  EXPECT_FALSE(AutoDial());
  SetDialUpApi(nullptr);
  ResetSettingsDefaults();
}

TEST(RealSeams, ShellIconsByName)
{
  CoInitialize(nullptr);
  int folder = -1, folderOpen = -1, text = -1, textOpen = -1;
  ASSERT_TRUE(GetShellIconIndexByName("Some Folder", &folder, &folderOpen, 7));
  ASSERT_TRUE(GetShellIconIndexByName("notes.txt", &text, &textOpen, 5));
  EXPECT_GE(folder, 0);
  EXPECT_GE(text, 0);
  EXPECT_NE(folder, text);
  // The open icon is always a folder's.
  EXPECT_EQ(textOpen, folderOpen);
  int only = -1;
  EXPECT_TRUE(GetShellIconIndexByName("notes.txt", &only, nullptr, 5));
  EXPECT_EQ(only, text);
  CoUninitialize();
}

TEST(RealSeams, ShellIconOfAnExistingFile)
{
  CoInitialize(nullptr);
  char dir[MAX_PATH];
  ASSERT_GT(GetTempPathA(sizeof(dir), dir), 0u);
  std::string path = std::string(dir) + "zarn icon test.txt";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  char displayName[MAX_PATH];
  memset(displayName, 'x', sizeof(displayName));
  int icon = -1, openIcon = -1;
  EXPECT_TRUE(GetShellIconIndex(displayName, path.c_str(), &icon, &openIcon));
  EXPECT_EQ(std::string(displayName).rfind("zarn icon test", 0), 0u) << displayName;
  EXPECT_GE(icon, 0);
  EXPECT_GE(openIcon, 0);
  int iconOnly = -1;
  EXPECT_TRUE(GetShellIconIndex(nullptr, path.c_str(), &iconOnly, nullptr));
  EXPECT_EQ(iconOnly, icon);
  DeleteFileA(path.c_str());
  CoUninitialize();
}

TEST(RealSeams, LocalAddressAsksTheResolver)
{
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  char name[kLocalHostNameLen];
  char address[kLocalAddressLen];
  const bool usable = TestLocalAddress(name, address);
  // This machine's answer is its own; a usable one has a name and an address.
  if (usable) {
    EXPECT_STRNE(name, "");
    EXPECT_STRNE(address, "");
  }
  WSACleanup();
}

}  // namespace
