// The option pages' rules: what a page's controls do to the settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/options/optionrules.h"

namespace {

class SettingsApply : public ::testing::Test {
protected:
  void SetUp() override
  {
    ResetSettingsDefaults();
    options = ReadOptionsFromGlobals();
  }
  void TearDown() override { ResetSettingsDefaults(); }

  bool Bit(int bit) const { return (options.optionFlags >> bit) & 1u; }

  // The Advanced page as loaded: every field showing its setting.
  AdvancedPageInput Loaded() const
  {
    AdvancedPageInput in;
    in.connectTimeout = std::to_string(options.connectTimeout);
    in.retryCount = std::to_string(options.defRetryCount);
    in.retryDelay = std::to_string(options.retryDelay);
    in.idleTimeout = std::to_string(options.idleTimeout);
    in.recvTimeout = std::to_string(options.recvTimeout);
    in.sendTimeout = std::to_string(options.sendTimeout);
    in.blockSize = std::to_string(options.socketBlockSize);
    in.downloadLimit = std::to_string(options.globalLimitA);
    in.uploadLimit = std::to_string(options.globalLimitB);
    return in;
  }

  OptionsRecord options;
};

TEST_F(SettingsApply, ConnectKeepsTextsThatWereClearedAndRefusesBadPorts)
{
  options.proxyHost = "proxy.example";
  options.proxyPort = 1080;
  ConnectPageInput in;
  in.proxyType = 2;
  in.proxyHost = "   ";  // a proxy host of blanks
  in.proxyPort = "70000";
  in.proxyUser = "  bob  ";
  in.email = "";
  ApplyConnectPage(options, in);
  EXPECT_EQ(options.proxyHost, "proxy.example");
  EXPECT_EQ(options.proxyPort, 1080);
  EXPECT_EQ(options.proxyUser, "bob");
  EXPECT_EQ(options.anonymousPassword, kDefaultAnonymousPassword);
  EXPECT_EQ(options.proxyType, 2);
  for (const char* port : {"0", "-1", "80x", ""}) {
    in.proxyPort = port;
    ApplyConnectPage(options, in);
    EXPECT_EQ(options.proxyPort, 1080) << port;
  }
  in.proxyPort = "65535";
  ApplyConnectPage(options, in);
  EXPECT_EQ(options.proxyPort, 65535);
  in.proxyPort = "1";
  ApplyConnectPage(options, in);
  EXPECT_EQ(options.proxyPort, 1);
}

TEST_F(SettingsApply, AlwaysDialNeedsAnEntry)
{
  options.dialEntry = "Old";
  ConnectPageInput in;
  in.lanUser = false;
  in.alwaysDial = true;
  in.entryCount = 0;
  ApplyConnectPage(options, in);
  EXPECT_FALSE(Bit(OPTBIT_AUTO_DIAL));
  EXPECT_FALSE(Bit(OPTBIT_LAN_USER));
  EXPECT_EQ(options.dialEntry, "");
  in.entryCount = 2;
  in.selectedEntry = "Work";
  ApplyConnectPage(options, in);
  EXPECT_TRUE(Bit(OPTBIT_AUTO_DIAL));
  EXPECT_EQ(options.dialEntry, "Work");
}

TEST_F(SettingsApply, AdvancedNumbersOnlyInsideTheirRanges)
{
  struct Case {
    std::string AdvancedPageInput::*field;
    int32_t OptionsRecord::*setting;
    NumberRange range;
  };
  const Case cases[] = {
      {&AdvancedPageInput::connectTimeout, &OptionsRecord::connectTimeout, kConnectTimeoutRange},
      {&AdvancedPageInput::retryCount, &OptionsRecord::defRetryCount, kRetryCountRange},
      {&AdvancedPageInput::retryDelay, &OptionsRecord::retryDelay, kRetryDelayRange},
      {&AdvancedPageInput::idleTimeout, &OptionsRecord::idleTimeout, kIdleTimeoutRange},
      {&AdvancedPageInput::recvTimeout, &OptionsRecord::recvTimeout, kRecvTimeoutRange},
      {&AdvancedPageInput::sendTimeout, &OptionsRecord::sendTimeout, kSendTimeoutRange},
      {&AdvancedPageInput::blockSize, &OptionsRecord::socketBlockSize, kBlockSizeRange},
      {&AdvancedPageInput::downloadLimit, &OptionsRecord::globalLimitA, kSpeedLimitRange},
      {&AdvancedPageInput::uploadLimit, &OptionsRecord::globalLimitB, kSpeedLimitRange},
  };
  for (const Case& c : cases) {
    for (int32_t v : {c.range.low, c.range.high}) {
      AdvancedPageInput in = Loaded();
      in.*c.field = std::to_string(v);
      ApplyAdvancedPage(options, in);
      EXPECT_EQ(options.*c.setting, v);
    }
    for (int64_t v : {(int64_t)c.range.low - 1, (int64_t)c.range.high + 1}) {
      const int32_t before = options.*c.setting;
      AdvancedPageInput in = Loaded();
      in.*c.field = std::to_string(v);
      ApplyAdvancedPage(options, in);
      EXPECT_EQ(options.*c.setting, before) << v;
    }
  }
  // The figures of a user's mistakes.
  options = ReadOptionsFromGlobals();
  AdvancedPageInput in = Loaded();
  in.idleTimeout = "5";
  in.blockSize = "9000";
  ApplyAdvancedPage(options, in);
  EXPECT_EQ(options.idleTimeout, 120);
  EXPECT_EQ(options.socketBlockSize, 1460);
  // KBps x 1024 stays inside 32 bits.
  EXPECT_LE((int64_t)kSpeedLimitRange.high * 1024, (int64_t)INT32_MAX);
}

TEST_F(SettingsApply, SpeedLimitBitNeedsCheckAndValue)
{
  AdvancedPageInput in = Loaded();
  in.obeyDownload = true;
  in.downloadLimit = "0";
  in.obeyUpload = false;
  in.uploadLimit = "50";
  ApplyAdvancedPage(options, in);
  EXPECT_FALSE(Bit(OPTBIT_DOWNLOAD_LIMIT));
  EXPECT_FALSE(Bit(OPTBIT_UPLOAD_LIMIT));
  EXPECT_EQ(options.globalLimitB, 50);
  in.obeyUpload = true;
  in.obeyDownload = true;
  in.downloadLimit = "3000000";  // out of range: neither the value nor the bit
  ApplyAdvancedPage(options, in);
  EXPECT_TRUE(Bit(OPTBIT_UPLOAD_LIMIT));
  EXPECT_FALSE(Bit(OPTBIT_DOWNLOAD_LIMIT));
  EXPECT_EQ(options.globalLimitA, 0);
  in.downloadLimit = "7";
  ApplyAdvancedPage(options, in);
  EXPECT_TRUE(Bit(OPTBIT_DOWNLOAD_LIMIT));
  EXPECT_EQ(options.globalLimitA, 7);
}

TEST_F(SettingsApply, AsciiListAddsEachOnceAndStaysInsideItsSetting)
{
  std::vector<std::string> rows = SplitAsciiExtensions(".TXT.NFO..C");
  EXPECT_EQ(rows, (std::vector<std::string>{"TXT", "NFO", "C"}));
  EXPECT_EQ(AddAsciiExtension(rows, "TXT"), ASCII_DUPLICATE);
  EXPECT_EQ(AddAsciiExtension(rows, " .LOG "), ASCII_ADDED);
  EXPECT_EQ(AddAsciiExtension(rows, "LOG"), ASCII_DUPLICATE);
  EXPECT_EQ(AddAsciiExtension(rows, "   "), ASCII_EMPTY);
  EXPECT_EQ(AddAsciiExtension(rows, "TX.T"), ASCII_REFUSED);
  EXPECT_EQ(AddAsciiExtension(rows, "..X"), ASCII_REFUSED);
  EXPECT_EQ(AddAsciiExtension(rows, "A B"), ASCII_REFUSED);
  EXPECT_EQ(JoinAsciiExtensions(rows), ".TXT.NFO.C.LOG");
  // What is stored reads back as the same rows.
  EXPECT_EQ(SplitAsciiExtensions(JoinAsciiExtensions(rows)), rows);

  // 40 six-character extensions: as many as fit in 259 characters go in.
  rows.clear();
  int added = 0;
  for (int i = 0; i < 40; ++i) {
    char ext[8];
    snprintf(ext, sizeof ext, "EXT%03d", i);
    if (AddAsciiExtension(rows, ext) == ASCII_ADDED)
      ++added;
  }
  EXPECT_EQ(added, 259 / 7);
  EXPECT_LE(JoinAsciiExtensions(rows).size(), kSettingTextLen - 1);
  TransferPageInput in;
  in.rows = rows;
  ApplyTransferPage(options, in);
  WriteOptionsToGlobals(options);
  EXPECT_EQ(std::string(g_asciiExtensions), JoinAsciiExtensions(rows));
}

TEST_F(SettingsApply, GeneralAndDisplayBitsAndRetries)
{
  GeneralPageInput in;
  in.checkedBits = (1u << OPTBIT_QUEUE_QUIT) | (1u << OPTBIT_CONFIRM_DROP) | (1u << OPTBIT_LAN_USER);
  in.failAction = 2;
  in.queueRetries = "101";
  in.queueFilePath = "  C:\\q.pln ";
  const uint32_t kGeneralBits = 0x23C7FCF0u;  // bits 4-7, 10-18, 22-25 and 29
  const uint32_t others = options.optionFlags & ~kGeneralBits;
  ApplyGeneralPage(options, in);
  EXPECT_TRUE(Bit(OPTBIT_QUEUE_QUIT));
  EXPECT_TRUE(Bit(OPTBIT_CONFIRM_DROP));
  EXPECT_FALSE(Bit(OPTBIT_CONFIRM_STOP));
  EXPECT_FALSE(Bit(OPTBIT_DROP_FINISHED));
  // Bits of other pages are not the General page's to change.
  EXPECT_EQ(options.optionFlags & ~kGeneralBits, others);
  EXPECT_EQ(options.queueRetries, 5);
  EXPECT_EQ(options.defItemRetries, 2);
  EXPECT_EQ(options.queueFilePath, "C:\\q.pln");
  in.queueRetries = "100";
  ApplyGeneralPage(options, in);
  EXPECT_EQ(options.queueRetries, 100);

  DisplayPageInput d;
  d.win98Menu = true;
  d.startup = 1;
  for (int i = 0; i < 4; ++i)
    d.colors[i] = options.viewColors[i];
  d.colors[VIEWCOLOR_REMOTE_LISTS] = 0x123456;
  EXPECT_EQ(ApplyDisplayPage(options, d), 1u << VIEWCOLOR_REMOTE_LISTS);
  EXPECT_TRUE(Bit(OPTBIT_FLAT_MENU));
  EXPECT_TRUE(Bit(OPTBIT_TIP_OF_DAY));
  EXPECT_FALSE(Bit(OPTBIT_NOTIFIER));
  EXPECT_EQ(ApplyDisplayPage(options, d), 0u);
}

TEST_F(SettingsApply, LongTextsAreCutToTheirSettings)
{
  options.proxyHost = std::string(400, 'h');
  options.downloadPath = std::string(300, 'd');
  WriteOptionsToGlobals(options);
  EXPECT_EQ(strlen(g_proxyHost), kSettingTextLen - 1);
  EXPECT_EQ(strlen(g_downloadPath), kSettingTextLen - 1);
}

// ---- File Exists Options ----

TEST(FileExistsMap, EachListChangesOnlyItsOwnField)
{
  for (int i = 0; i < kFileExistsComboCount; ++i) {
    int indexes[kFileExistsComboCount];
    UnpackFileExistsCombos(0, indexes);
    indexes[i] = 2;  // Skip, valid in every column
    const uint32_t word = PackFileExistsCombos(0, indexes);
    int back[kFileExistsComboCount];
    UnpackFileExistsCombos(word, back);
    for (int k = 0; k < kFileExistsComboCount; ++k)
      EXPECT_EQ(back[k], k == i ? 2 : 0) << i << " " << k;
    EXPECT_EQ(FileRuleGet(word, kFileExistsCombos[i].direction, kFileExistsCombos[i].size), 2);
  }
  // The grid: 1025/1027/1029 upload smaller/same/larger, 1026/1028/1030 download.
  EXPECT_EQ(kFileExistsCombos[0].id, 1025);
  EXPECT_EQ(kFileExistsCombos[0].direction, FILERULE_UPLOAD);
  EXPECT_EQ(kFileExistsCombos[5].id, 1030);
  EXPECT_EQ(kFileExistsCombos[5].size, FILERULE_LARGER);
}

TEST(FileExistsMap, DefaultIsAskEverywhereAndNoSelectionKeeps)
{
  const int all[kFileExistsComboCount] = {4, 3, 3, 4, 3, 3};
  const uint32_t word = PackFileExistsCombos(0, all);
  int back[kFileExistsComboCount];
  UnpackFileExistsCombos(word, back);
  for (int i = 0; i < kFileExistsComboCount; ++i)
    EXPECT_EQ(back[i], all[i]);
  const int asks[kFileExistsComboCount] = {};
  EXPECT_EQ(PackFileExistsCombos(word, asks), 0u);
  const int none[kFileExistsComboCount] = {-1, -1, -1, -1, -1, -1};
  EXPECT_EQ(PackFileExistsCombos(word, none), word);
}

}  // namespace
