// The parts of the confirmation boxes and the shell and address helpers that
// need no window: the usable-address classifier, what a count-down answers, the
// replace message and the command line of the open fallback.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/confirmtext.h"
#include "engine/engineres.h"
#include "engine/localaddr.h"
#include "engine/planitem.h"

namespace {

// ---- usable local address ----

struct FakeHost {
  bool ok = true;
  const char* name = "builder";
  std::vector<LocalIPv4> addresses;
};
FakeHost g_host;

bool FakeSource(char* name, size_t nameSize, LocalIPv4* addresses, size_t maxAddresses, size_t* count)
{
  *count = 0;
  if (!g_host.ok)
    return false;
  strncpy(name, g_host.name, nameSize - 1);
  name[nameSize - 1] = '\0';
  for (const LocalIPv4& a : g_host.addresses) {
    if (*count == maxAddresses)
      break;
    addresses[(*count)++] = a;
  }
  return true;
}

class LocalAddress : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_host = FakeHost();
    SetLocalAddressSource(&FakeSource);
  }
  void TearDown() override { SetLocalAddressSource(nullptr); }

  // The answer and the address that decided it.
  bool Ask(std::vector<LocalIPv4> addresses, std::string* decided = nullptr)
  {
    g_host.addresses = std::move(addresses);
    char name[kLocalHostNameLen];
    char address[kLocalAddressLen];
    memset(name, 'x', sizeof(name));
    memset(address, 'x', sizeof(address));
    const bool usable = TestLocalAddress(name, address);
    if (g_host.ok) {
      EXPECT_STREQ(name, g_host.name);
    }
    if (decided != nullptr)
      *decided = address;
    return usable;
  }
};

TEST_F(LocalAddress, LoopbackAndLinkLocalAreNotUsable)
{
  std::string decided;
  EXPECT_FALSE(Ask({{{127, 0, 0, 1}}, {{169, 254, 3, 4}}}, &decided));
  EXPECT_EQ(decided, "169.254.3.4");
  // Some systems name the host 127.0.1.1: loop-back all the same.
  EXPECT_FALSE(Ask({{{127, 0, 1, 1}}}, &decided));
  EXPECT_EQ(decided, "127.0.1.1");
  EXPECT_FALSE(Ask({{{127, 255, 255, 254}}, {{127, 0, 0, 1}}}));
  EXPECT_EQ(ClassifyLocalAddress({{127, 9, 9, 9}}), LOCALADDR_LOOPBACK);
  // A host name without addresses.
  EXPECT_FALSE(Ask({}, &decided));
  EXPECT_EQ(decided, "");
}

TEST_F(LocalAddress, PrivateCountsOnlyAtTheEnd)
{
  std::string decided;
  // A private address does not decide at once: the last one looked at is reported.
  EXPECT_TRUE(Ask({{{10, 1, 2, 3}}, {{127, 0, 0, 1}}}, &decided));
  EXPECT_EQ(decided, "127.0.0.1");
  EXPECT_EQ(ClassifyLocalAddress({{172, 31, 0, 1}}), LOCALADDR_PRIVATE);
  EXPECT_EQ(ClassifyLocalAddress({{172, 16, 0, 1}}), LOCALADDR_PRIVATE);
  EXPECT_EQ(ClassifyLocalAddress({{192, 168, 0, 1}}), LOCALADDR_PRIVATE);
  EXPECT_EQ(ClassifyLocalAddress({{10, 255, 0, 1}}), LOCALADDR_PRIVATE);
  EXPECT_EQ(ClassifyLocalAddress({{169, 254, 0, 1}}), LOCALADDR_LINK_LOCAL);
  EXPECT_TRUE(Ask({{{172, 31, 0, 1}}, {{169, 254, 1, 1}}}));
  EXPECT_TRUE(Ask({{{192, 168, 0, 1}}}));
}

TEST_F(LocalAddress, PublicDecidesAtOnce)
{
  std::string decided;
  // 172.15 lies just below the private block.
  EXPECT_TRUE(Ask({{{172, 15, 0, 1}}, {{8, 8, 8, 8}}}, &decided));
  EXPECT_EQ(decided, "172.15.0.1");
  EXPECT_TRUE(Ask({{{127, 0, 0, 1}}, {{8, 8, 8, 8}}, {{10, 0, 0, 1}}}, &decided));
  EXPECT_EQ(decided, "8.8.8.8");
  EXPECT_EQ(ClassifyLocalAddress({{172, 32, 0, 1}}), LOCALADDR_PUBLIC);
  EXPECT_EQ(ClassifyLocalAddress({{192, 169, 0, 1}}), LOCALADDR_PUBLIC);
  EXPECT_EQ(ClassifyLocalAddress({{169, 253, 0, 1}}), LOCALADDR_PUBLIC);
}

TEST_F(LocalAddress, NoNameMeansNoAddress)
{
  g_host.ok = false;
  char name[kLocalHostNameLen] = "stale";
  char address[kLocalAddressLen] = "stale";
  EXPECT_FALSE(TestLocalAddress(name, address));
  EXPECT_STREQ(name, "");
  EXPECT_STREQ(address, "");
  g_host.ok = true;
  g_host.name = "";
  g_host.addresses = {{{8, 8, 8, 8}}};
  EXPECT_FALSE(TestLocalAddress(nullptr, nullptr));
  // Both outputs may be null.
  g_host.name = "builder";
  EXPECT_TRUE(TestLocalAddress(nullptr, nullptr));
}

TEST_F(LocalAddress, LongHostNameIsCut)
{
  std::string longName(300, 'h');
  g_host.name = longName.c_str();
  g_host.addresses = {{{8, 8, 4, 4}}};
  char name[kLocalHostNameLen];
  EXPECT_TRUE(TestLocalAddress(name, nullptr));
  EXPECT_EQ(strlen(name), kLocalHostNameLen - 1);
}

// ---- count-down answers ----

TEST(ConfirmTimeout, DeletionPromptsAnswerCancel)
{
  EXPECT_EQ(ConfirmTimeoutAnswer(IDS_CONFIRM_DELETE_SELECTION), kConfirmAnswerCancel);
  EXPECT_EQ(ConfirmTimeoutAnswer(IDS_CONFIRM_DELETE_SITE), kConfirmAnswerCancel);
  EXPECT_EQ(ConfirmTimeoutAnswer(IDS_CONFIRM_REMOVE_ALL_SITES), kConfirmAnswerCancel);
  for (unsigned id = 41041; id <= 41056; ++id) {
    if (id == IDS_CONFIRM_REMOVE_ALL_SITES)
      continue;
    EXPECT_EQ(ConfirmTimeoutAnswer(id), kConfirmAnswerOk) << id;
  }
  // The shut-down and quit count-downs announce that they go ahead.
  EXPECT_EQ(ConfirmTimeoutAnswer(IDS_COUNTDOWN_SHUTDOWN), kConfirmAnswerOk);
  EXPECT_EQ(ConfirmTimeoutAnswer(IDS_COUNTDOWN_QUIT), kConfirmAnswerOk);
  EXPECT_EQ(ConfirmTimeoutAnswer(0), kConfirmAnswerOk);
}

// ---- the replace message ----

TEST(ReplaceMessage, DownloadShowsLocalFolderAndBothSizes)
{
  CPlanItem item;
  strcpy(item.m_localPath, "C:\\Downloads");
  strcpy(item.m_remotePath, "/pub");
  strcpy(item.m_host, "ftp.example.test");
  item.m_fileSize = 89;
  const CString text = FormatReplaceMessage(item, false, "report.txt", 1234567);
  EXPECT_EQ(text, CString("Folder: C:\\Downloads\r\n"
                          "already contains a file named: \r\n"
                          "' report.txt '\r\n"
                          "The file size = 1,234,567\r\n\r\n"
                          "Would you like to replace the existing file with this one? \r\n"
                          "Size = 89"));
}

TEST(ReplaceMessage, UploadShowsHostAndRemoteFolder)
{
  CPlanItem item;
  strcpy(item.m_localPath, "C:\\Downloads");
  strcpy(item.m_remotePath, "/pub/incoming");
  strcpy(item.m_host, "ftp.example.test");
  item.m_fileSize = 3000000000LL;
  const CString text = FormatReplaceMessage(item, true, "big.iso", -5);
  EXPECT_EQ(text.Find("Folder: ftp.example.test::/pub/incoming\r\n"), 0);
  EXPECT_GE(text.Find("The file size = 0\r\n"), 0);
  EXPECT_GE(text.Find("Size = 3,000,000,000"), 0);
}

TEST(ReplaceMessage, UnterminatedFieldsStayInside)
{
  CPlanItem item;
  memset(item.m_host, 'h', sizeof(item.m_host));
  memset(item.m_remotePath, 'r', sizeof(item.m_remotePath));
  const CString text = FormatReplaceMessage(item, true, nullptr, 0);
  EXPECT_GE(text.Find(CString('h', (int)sizeof(item.m_host)) + "::" + CString('r', (int)sizeof(item.m_remotePath)) +
                      "\r\n"),
            0);
  EXPECT_GE(text.Find("' " " '"), 0);
}

// ---- the open fallback's command line ----

TEST(OpenCommandLine, CutAtQuotedPlaceholder)
{
  EXPECT_EQ(BuildOpenCommandLine("\"C:\\Program Files\\Browser\\browse.exe\" -nohome \"%1\"", "C:\\My Files\\a b.txt"),
            CString("\"C:\\Program Files\\Browser\\browse.exe\" -nohome \"C:\\My Files\\a b.txt\""));
}

TEST(OpenCommandLine, CutAtBarePlaceholder)
{
  EXPECT_EQ(BuildOpenCommandLine("C:\\browse.exe %1 -tail", "C:\\x y\\f.htm"),
            CString("C:\\browse.exe \"C:\\x y\\f.htm\""));
}

TEST(OpenCommandLine, WithoutPlaceholderTheTargetIsAppended)
{
  EXPECT_EQ(BuildOpenCommandLine("C:\\browse.exe -new", "C:\\a b\\f.txt"),
            CString("C:\\browse.exe -new \"C:\\a b\\f.txt\""));
  EXPECT_EQ(BuildOpenCommandLine("C:\\browse.exe ", "f.txt"), CString("C:\\browse.exe  \"f.txt\""));
}

// ---- the rename box's names ----

TEST(RenameName, RefusesFoldersAndNamesTheSystemWouldChange)
{
  EXPECT_TRUE(IsValidTransferName("report (2).txt"));
  EXPECT_TRUE(IsValidTransferName(".profile"));
  EXPECT_FALSE(IsValidTransferName(""));
  EXPECT_FALSE(IsValidTransferName(nullptr));
  EXPECT_FALSE(IsValidTransferName("."));
  EXPECT_FALSE(IsValidTransferName(".."));
  EXPECT_FALSE(IsValidTransferName("..\\..\\boot.ini"));
  EXPECT_FALSE(IsValidTransferName("sub/name.txt"));
  EXPECT_FALSE(IsValidTransferName("C:name.txt"));
  EXPECT_FALSE(IsValidTransferName("a?b"));
  EXPECT_FALSE(IsValidTransferName("tab\there"));
  EXPECT_FALSE(IsValidTransferName("name.txt."));
  EXPECT_FALSE(IsValidTransferName("name.txt "));
  EXPECT_TRUE(IsValidTransferName(std::string(259, 'n').c_str()));
  EXPECT_FALSE(IsValidTransferName(std::string(260, 'n').c_str()));
}

TEST(RenameName, DoubleByteTrailIsNoSeparator)
{
  FwSetCodePage(936);
  // "\xB1\x5C" is one GBK character whose trail byte is the backslash's.
  EXPECT_TRUE(IsValidTransferName("\xB1\x5C.txt"));
  EXPECT_FALSE(IsValidTransferName("\xB1\x5C\\x.txt"));
  FwSetCodePage(0);
}

}  // namespace
