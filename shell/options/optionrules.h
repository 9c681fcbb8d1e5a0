// What the option pages do with what the user typed, without windows: the
// settings as one record, each page's apply over it, the ASCII extension list
// and the File Exists dialog's six lists. The pages read their controls into
// the inputs below; nothing here touches a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/settings/settings.h"

// Every setting a page shows, as one value (read from and written back to the
// globals in one go, so a page's apply is a pure function of it).
struct OptionsRecord {
  uint32_t optionFlags = 0;
  int32_t proxyType = 0;
  int32_t proxyPort = 0;
  std::string proxyHost, proxyUser, proxyPassword, anonymousPassword, dialEntry;
  int32_t transferType = 0;
  std::string asciiExtensions;
  std::string downloadPath;
  std::string queueFilePath;
  int32_t defItemRetries = 0;
  int32_t queueRetries = 0;
  int32_t connectTimeout = 0, defRetryCount = 0, retryDelay = 0, idleTimeout = 0;
  int32_t recvTimeout = 0, sendTimeout = 0, socketBlockSize = 0;
  int32_t globalLimitA = 0, globalLimitB = 0;  // download, upload (KBps)
  uint32_t viewColors[4] = {};
};

OptionsRecord ReadOptionsFromGlobals();
// Texts are cut to their settings' widths (never half a double-byte character).
void WriteOptionsToGlobals(const OptionsRecord& options);

// The ranges a page takes a number in; anything else keeps the setting.
struct NumberRange {
  int32_t low, high;
};
constexpr NumberRange kConnectTimeoutRange = {10, 3600};
constexpr NumberRange kRetryCountRange = {0, 1000};
constexpr NumberRange kRetryDelayRange = {1, 1200};
constexpr NumberRange kIdleTimeoutRange = {10, 900};
constexpr NumberRange kRecvTimeoutRange = {10, 3600};
constexpr NumberRange kSendTimeoutRange = {10, 3600};
constexpr NumberRange kBlockSizeRange = {512, 8192};
// KBps x 1024 must fit 32 bits.
constexpr NumberRange kSpeedLimitRange = {0, 2097151};
constexpr NumberRange kQueueRetriesRange = {0, 100};
constexpr NumberRange kProxyPortRange = {1, 65535};

// The text as a whole decimal number (blanks around allowed) inside the
// range; false for anything else (empty, letters, out of range).
bool ParseNumberInRange(const std::string& text, NumberRange range, int32_t* value);

// Blanks and tabs off both ends.
std::string TrimBlanks(const std::string& text);

// ---- Connect ----
struct ConnectPageInput {
  bool lanUser = true;
  bool alwaysDial = false;
  int entryCount = 0;          // phone-book entries in the list
  std::string selectedEntry;   // "" when none is selected
  int proxyType = 0;
  std::string proxyHost, proxyPort, proxyUser, proxyPassword, email;
};
void ApplyConnectPage(OptionsRecord& options, const ConnectPageInput& input);

// ---- Transfer ----
// The setting split at "." (empty pieces dropped).
std::vector<std::string> SplitAsciiExtensions(const std::string& setting);
// "." before each row, joined.
std::string JoinAsciiExtensions(const std::vector<std::string>& rows);

enum AsciiAddResult : int {
  ASCII_ADDED = 0,      // appended; the field is cleared
  ASCII_EMPTY = 1,      // nothing typed; the field is cleared
  ASCII_DUPLICATE = 2,  // a row equals it already; the field is cleared
  ASCII_REFUSED = 3,    // a "." or blank inside, or the list would not fit: beep, the text stays
};
// Add: the typed text trimmed, one leading "." dropped.
AsciiAddResult AddAsciiExtension(std::vector<std::string>& rows, const std::string& typed);

struct TransferPageInput {
  int transferType = 0;
  std::vector<std::string> rows;
  bool fxp = false;
  std::string downloadPath;
};
void ApplyTransferPage(OptionsRecord& options, const TransferPageInput& input);

// ---- General ----
// The check boxes of the General page and their option bits, in one table.
struct OptionCheck {
  int id;
  int bit;
};
extern const OptionCheck kGeneralChecks[];
extern const int kGeneralCheckCount;

struct GeneralPageInput {
  uint32_t checkedBits = 0;  // the bits of kGeneralChecks that are checked
  std::string queueFilePath;
  int failAction = 0;        // 0..2
  std::string queueRetries;
};
void ApplyGeneralPage(OptionsRecord& options, const GeneralPageInput& input);

// ---- Advanced ----
struct AdvancedPageInput {
  std::string connectTimeout, retryCount, retryDelay, idleTimeout, recvTimeout, sendTimeout, blockSize;
  bool fileRules = false, showHidden = false, reuseConnection = false;
  bool obeyDownload = false, obeyUpload = false;
  std::string downloadLimit, uploadLimit;
};
void ApplyAdvancedPage(OptionsRecord& options, const AdvancedPageInput& input);

// ---- Display ----
struct DisplayPageInput {
  bool win98Menu = false;  // radio 1
  bool icons3d = false;
  bool saveLayout = false;
  int startup = 0;         // 1 = tip of the day
  bool notifier = false;
  uint32_t colors[4] = {};  // by ViewColorIndex
};
// Returns the ViewColorIndex bits of the colours that changed.
unsigned ApplyDisplayPage(OptionsRecord& options, const DisplayPageInput& input);

// ---- File Exists Options ----
// The six lists in the grid: control id, direction, size of the destination.
struct FileExistsCombo {
  int id;
  FileRuleDirection direction;
  FileRuleSize size;
};
constexpr int kFileExistsComboCount = 6;
extern const FileExistsCombo kFileExistsCombos[kFileExistsComboCount];
// Each list's index from the word, in kFileExistsCombos order.
void UnpackFileExistsCombos(uint32_t word, int indexes[kFileExistsComboCount]);
// The word with each list's field set (an index not valid in its column:
// Overwrite, as FileRuleSet stores it; -1, nothing selected: the field kept).
uint32_t PackFileExistsCombos(uint32_t word, const int indexes[kFileExistsComboCount]);
