#include "shell/options/optionrules.h"

#include <cstring>

#include "shell/options/optionsres.h"

namespace {

void SetBit(uint32_t& flags, int bit, bool on)
{
  if (on)
    flags |= 1u << bit;
  else
    flags &= ~(1u << bit);
}

void TakeNumber(const std::string& text, NumberRange range, int32_t& setting)
{
  int32_t value = 0;
  if (ParseNumberInRange(text, range, &value))
    setting = value;
}

// Trimmed, and only when something is left.
void TakeText(const std::string& typed, std::string& setting)
{
  const std::string text = TrimBlanks(typed);
  if (!text.empty())
    setting = text;
}

template <size_t N>
void Store(char (&field)[N], const std::string& text)
{
  CopySettingText(field, text.c_str(), text.size());
}

}  // namespace

std::string TrimBlanks(const std::string& text)
{
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return std::string();
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool ParseNumberInRange(const std::string& text, NumberRange range, int32_t* value)
{
  const std::string t = TrimBlanks(text);
  size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == '-' || t[i] == '+'))
    negative = t[i++] == '-';
  if (i >= t.size())
    return false;
  int64_t n = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9')
      return false;
    n = n * 10 + (t[i] - '0');
    if (n > (int64_t)1 << 40)
      return false;
  }
  if (negative)
    n = -n;
  if (n < range.low || n > range.high)
    return false;
  *value = (int32_t)n;
  return true;
}

OptionsRecord ReadOptionsFromGlobals()
{
  OptionsRecord o;
  o.optionFlags = g_optionFlags;
  o.proxyType = g_proxyType;
  o.proxyPort = g_proxyPort;
  o.proxyHost = g_proxyHost;
  o.proxyUser = g_proxyUser;
  o.proxyPassword = g_proxyPassword;
  o.anonymousPassword = g_anonymousPassword;
  o.dialEntry = g_dialEntry;
  o.transferType = g_transferType;
  o.asciiExtensions = g_asciiExtensions;
  o.downloadPath = g_downloadPath;
  o.queueFilePath = g_queueFilePath;
  o.defItemRetries = g_defItemRetries;
  o.queueRetries = g_queueRetries;
  o.connectTimeout = g_connectTimeout;
  o.defRetryCount = g_defRetryCount;
  o.retryDelay = g_retryDelay;
  o.idleTimeout = g_idleTimeout;
  o.recvTimeout = g_recvTimeout;
  o.sendTimeout = g_sendTimeout;
  o.socketBlockSize = g_socketBlockSize;
  o.globalLimitA = g_globalLimitA;
  o.globalLimitB = g_globalLimitB;
  for (int i = 0; i < 4; ++i)
    o.viewColors[i] = g_viewColors[i];
  return o;
}

void WriteOptionsToGlobals(const OptionsRecord& o)
{
  g_optionFlags = o.optionFlags;
  g_proxyType = o.proxyType;
  g_proxyPort = o.proxyPort;
  Store(g_proxyHost, o.proxyHost);
  Store(g_proxyUser, o.proxyUser);
  Store(g_proxyPassword, o.proxyPassword);
  Store(g_anonymousPassword, o.anonymousPassword);
  Store(g_dialEntry, o.dialEntry);
  g_transferType = o.transferType;
  Store(g_asciiExtensions, o.asciiExtensions);
  Store(g_downloadPath, o.downloadPath);
  Store(g_queueFilePath, o.queueFilePath);
  g_defItemRetries = o.defItemRetries;
  g_queueRetries = o.queueRetries;
  g_connectTimeout = o.connectTimeout;
  g_defRetryCount = o.defRetryCount;
  g_retryDelay = o.retryDelay;
  g_idleTimeout = o.idleTimeout;
  g_recvTimeout = o.recvTimeout;
  g_sendTimeout = o.sendTimeout;
  g_socketBlockSize = o.socketBlockSize;
  g_globalLimitA = o.globalLimitA;
  g_globalLimitB = o.globalLimitB;
  for (int i = 0; i < 4; ++i)
    g_viewColors[i] = o.viewColors[i];
}

// ---- Connect ----

void ApplyConnectPage(OptionsRecord& o, const ConnectPageInput& in)
{
  SetBit(o.optionFlags, OPTBIT_LAN_USER, in.lanUser);
  // Dialling needs an entry to dial.
  SetBit(o.optionFlags, OPTBIT_AUTO_DIAL, in.alwaysDial && in.entryCount > 0);
  o.dialEntry = in.entryCount > 0 ? in.selectedEntry : std::string();
  if (in.proxyType >= 0 && in.proxyType <= 12)
    o.proxyType = in.proxyType;
  TakeText(in.proxyHost, o.proxyHost);
  TakeNumber(in.proxyPort, kProxyPortRange, o.proxyPort);
  TakeText(in.proxyUser, o.proxyUser);
  TakeText(in.proxyPassword, o.proxyPassword);
  TakeText(in.email, o.anonymousPassword);
}

// ---- Transfer ----

std::vector<std::string> SplitAsciiExtensions(const std::string& setting)
{
  std::vector<std::string> rows;
  size_t start = 0;
  while (start <= setting.size()) {
    size_t dot = setting.find('.', start);
    if (dot == std::string::npos)
      dot = setting.size();
    if (dot > start)
      rows.push_back(setting.substr(start, dot - start));
    start = dot + 1;
  }
  return rows;
}

std::string JoinAsciiExtensions(const std::vector<std::string>& rows)
{
  std::string joined;
  for (const std::string& row : rows)
    joined += "." + row;
  return joined;
}

AsciiAddResult AddAsciiExtension(std::vector<std::string>& rows, const std::string& typed)
{
  std::string text = TrimBlanks(typed);
  if (!text.empty() && text[0] == '.')
    text.erase(0, 1);
  if (text.empty())
    return ASCII_EMPTY;
  for (const std::string& row : rows)
    if (row == text)
      return ASCII_DUPLICATE;
  // The list is split at "." when it is read back: a dot inside would make
  // two rows of one, and blanks do not survive the trim.
  if (text.find_first_of(". \t") != std::string::npos)
    return ASCII_REFUSED;
  if (JoinAsciiExtensions(rows).size() + 1 + text.size() > kSettingTextLen - 1)
    return ASCII_REFUSED;
  rows.push_back(text);
  return ASCII_ADDED;
}

void ApplyTransferPage(OptionsRecord& o, const TransferPageInput& in)
{
  if (in.transferType >= 0 && in.transferType <= 2)
    o.transferType = in.transferType;
  // Rows come only through Add, which keeps the list inside its setting; a
  // list that still would not fit keeps the old one rather than losing its tail.
  const std::string joined = JoinAsciiExtensions(in.rows);
  if (joined.size() <= kSettingTextLen - 1)
    o.asciiExtensions = joined;
  SetBit(o.optionFlags, OPTBIT_FXP, in.fxp);
  TakeText(in.downloadPath, o.downloadPath);
}

// ---- General ----

const OptionCheck kGeneralChecks[] = {
    {IDC_OPT_AUTOSTART, OPTBIT_QUEUE_AUTOSTART},
    {IDC_OPT_AUTODELETE, OPTBIT_QUEUE_AUTODELETE},
    {IDC_OPT_AUTOQUIT, OPTBIT_QUEUE_QUIT},
    {IDC_OPT_POWEROFF, OPTBIT_QUEUE_POWEROFF},
    {IDC_OPT_HANGUP, OPTBIT_QUEUE_HANGUP},
    {IDC_OPT_DROP_FINISHED, OPTBIT_DROP_FINISHED},
    {IDC_OPT_CONFIRM_CONNECT, OPTBIT_CONFIRM_CONNECT},
    {IDC_OPT_CONFIRM_DISCONNECT, OPTBIT_CONFIRM_DISCONNECT},
    {IDC_OPT_CONFIRM_STOP, OPTBIT_CONFIRM_STOP},
    {IDC_OPT_CONFIRM_DELETE_SITE, OPTBIT_CONFIRM_DELETE_SITE},
    {IDC_OPT_CONFIRM_UPLOAD, OPTBIT_CONFIRM_UPLOAD},
    {IDC_OPT_CONFIRM_DOWNLOAD, OPTBIT_CONFIRM_DOWNLOAD},
    {IDC_OPT_CONFIRM_DELETE_FILE, OPTBIT_CONFIRM_DELETE_FILE},
    {IDC_OPT_CONFIRM_INTERSITE, OPTBIT_CONFIRM_INTERSITE},
    {IDC_OPT_CONFIRM_LOOKUP, OPTBIT_CONFIRM_LOOKUP},
    {IDC_OPT_CONFIRM_EDIT, OPTBIT_CONFIRM_EDIT},
    {IDC_OPT_CONFIRM_PASTE, OPTBIT_CONFIRM_PASTE},
    {IDC_OPT_CONFIRM_DROP, OPTBIT_CONFIRM_DROP},
};
const int kGeneralCheckCount = (int)(sizeof kGeneralChecks / sizeof kGeneralChecks[0]);

void ApplyGeneralPage(OptionsRecord& o, const GeneralPageInput& in)
{
  for (const OptionCheck& check : kGeneralChecks)
    SetBit(o.optionFlags, check.bit, (in.checkedBits >> check.bit) & 1u);
  const std::string path = TrimBlanks(in.queueFilePath);
  if (path.size() <= kSettingTextLen - 1)
    o.queueFilePath = path;
  if (in.failAction >= 0 && in.failAction <= 2)
    o.defItemRetries = in.failAction;
  TakeNumber(in.queueRetries, kQueueRetriesRange, o.queueRetries);
}

// ---- Advanced ----

void ApplyAdvancedPage(OptionsRecord& o, const AdvancedPageInput& in)
{
  TakeNumber(in.connectTimeout, kConnectTimeoutRange, o.connectTimeout);
  TakeNumber(in.retryCount, kRetryCountRange, o.defRetryCount);
  TakeNumber(in.retryDelay, kRetryDelayRange, o.retryDelay);
  TakeNumber(in.idleTimeout, kIdleTimeoutRange, o.idleTimeout);
  TakeNumber(in.recvTimeout, kRecvTimeoutRange, o.recvTimeout);
  TakeNumber(in.sendTimeout, kSendTimeoutRange, o.sendTimeout);
  TakeNumber(in.blockSize, kBlockSizeRange, o.socketBlockSize);
  SetBit(o.optionFlags, OPTBIT_FILE_EXISTS_RULES, in.fileRules);
  SetBit(o.optionFlags, OPTBIT_SHOW_HIDDEN, in.showHidden);
  SetBit(o.optionFlags, OPTBIT_REUSE_CONNECTION, in.reuseConnection);
  // A limit is obeyed only with the check on and a limit above 0 typed.
  int32_t limit = 0;
  const bool download = ParseNumberInRange(in.downloadLimit, kSpeedLimitRange, &limit);
  if (download)
    o.globalLimitA = limit;
  SetBit(o.optionFlags, OPTBIT_DOWNLOAD_LIMIT, in.obeyDownload && download && limit > 0);
  const bool upload = ParseNumberInRange(in.uploadLimit, kSpeedLimitRange, &limit);
  if (upload)
    o.globalLimitB = limit;
  SetBit(o.optionFlags, OPTBIT_UPLOAD_LIMIT, in.obeyUpload && upload && limit > 0);
}

// ---- Display ----

unsigned ApplyDisplayPage(OptionsRecord& o, const DisplayPageInput& in)
{
  SetBit(o.optionFlags, OPTBIT_FLAT_MENU, in.win98Menu);
  SetBit(o.optionFlags, OPTBIT_MENU_3D_ICONS, in.icons3d);
  SetBit(o.optionFlags, OPTBIT_SAVE_LAYOUT, in.saveLayout);
  SetBit(o.optionFlags, OPTBIT_TIP_OF_DAY, in.startup == 1);
  SetBit(o.optionFlags, OPTBIT_NOTIFIER, in.notifier);
  unsigned changed = 0;
  for (int i = 0; i < 4; ++i) {
    if (o.viewColors[i] != in.colors[i]) {
      o.viewColors[i] = in.colors[i] & 0xFFFFFFu;
      changed |= 1u << i;
    }
  }
  return changed;
}

// ---- File Exists Options ----

const FileExistsCombo kFileExistsCombos[kFileExistsComboCount] = {
    {IDC_FE_UP_SMALLER, FILERULE_UPLOAD, FILERULE_SMALLER},
    {IDC_FE_UP_SAME, FILERULE_UPLOAD, FILERULE_SAME},
    {IDC_FE_UP_LARGER, FILERULE_UPLOAD, FILERULE_LARGER},
    {IDC_FE_DOWN_SMALLER, FILERULE_DOWNLOAD, FILERULE_SMALLER},
    {IDC_FE_DOWN_SAME, FILERULE_DOWNLOAD, FILERULE_SAME},
    {IDC_FE_DOWN_LARGER, FILERULE_DOWNLOAD, FILERULE_LARGER},
};

void UnpackFileExistsCombos(uint32_t word, int indexes[kFileExistsComboCount])
{
  for (int i = 0; i < kFileExistsComboCount; ++i)
    indexes[i] = FileRuleGet(word, kFileExistsCombos[i].direction, kFileExistsCombos[i].size);
}

uint32_t PackFileExistsCombos(uint32_t word, const int indexes[kFileExistsComboCount])
{
  for (int i = 0; i < kFileExistsComboCount; ++i)
    if (indexes[i] >= 0)  // a list with nothing selected keeps its rule
      word = FileRuleSet(word, kFileExistsCombos[i].direction, kFileExistsCombos[i].size, indexes[i]);
  return word;
}
