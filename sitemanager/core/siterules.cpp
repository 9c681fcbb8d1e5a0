#include "sitemanager/siterules.h"

#include <cstring>
#include <string>

#include "shell/settings/settingtext.h"

std::unique_ptr<SiteRecord> NewSiteRecord()
{
  std::unique_ptr<SiteRecord> record(new SiteRecord);
  // InitSiteFields clears only the fields; the reserved bytes and the pointer
  // are part of what the main program receives.
  memset(record.get(), 0, sizeof(SiteRecord));
  InitSiteFields(*record);
  return record;
}

const char* const kSiteProxyTypeNames[kSiteProxyTypeCount] = {
    "None",
    "Socket 4",
    "Socket 5",
    "HTTP Proxy",
    "OPEN ftp_host:ftp_port",
    "SITE ftp_host ftp_port",
    "SITE ftp_host:ftp_port",
    "SITE ftp_user@ftp_host ftp_port",
    "SITE ftp_user@ftp_host:ftp_port",
    "USER ftp_user@ftp_host ftp_port",
    "USER ftp_user@ftp_host:ftp_port",
    "USER ftp_user@ftp_host proxy_user",
    "USER Proxy_user@ftp_host",
};

namespace {

// Highest value of each digit: the last entry of its combo, 1 for a check box.
constexpr int kDigitHigh[kSiteDigitCount] = {2, 1, 1, 1, 1, 3, 3, 2, 1, kSiteProxyTypeCount - 1};

bool IsBlank(char c)
{
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Trims a terminated field in place. Blanks are ASCII, never the trail byte of
// a double-byte character, so a byte walk is safe.
void TrimField(char* field)
{
  size_t len = strlen(field);
  while (len > 0 && IsBlank(field[len - 1]))
    --len;
  size_t start = 0;
  while (start < len && IsBlank(field[start]))
    ++start;
  memmove(field, field + start, len - start);
  field[len - start] = '\0';
}

}  // namespace

int GetSiteDigit(const SiteFields& f, int digit)
{
  if (digit < 0 || digit >= kSiteDigitCount)
    return 0;
  const int value = static_cast<unsigned char>(f.SiteOptionDigits[digit]) - '0';
  return value >= 0 && value <= kDigitHigh[digit] ? value : 0;
}

bool SetSiteDigit(SiteFields& f, int digit, int value)
{
  if (digit < 0 || digit >= kSiteDigitCount || value < 0 || value > kDigitHigh[digit])
    return false;
  // A short digit string from a hand-edited file: fill the gap so the string
  // stays ten digits long and this digit is not cut off by a NUL before it.
  for (int i = 0; i < digit; ++i) {
    if (f.SiteOptionDigits[i] == '\0')
      f.SiteOptionDigits[i] = '0';
  }
  f.SiteOptionDigits[digit] = static_cast<char>('0' + value);
  f.SiteOptionDigits[kSiteDigitsLen - 1] = '\0';
  return true;
}

#define ZARN_RULE(id, field, low, high, zero, text) {id, offsetof(SiteFields, field), low, high, zero, text}
const SiteFieldRule kSiteFieldRules[kSiteFieldRuleCount] = {
    ZARN_RULE(1044, m_port, 1, 65535, false,
              "\xC7\xEB\xBC\xFC\xC8\xEB 1 - 65535 \xD6\xAE\xBC\xE4\xB5\xC4\xD2\xBB\xB8\xF6\xCA\xFD\xD6\xB5"),
    ZARN_RULE(1041, m_proxyPort, 1, 65535, false, "Please enter number: 1 - 65535"),
    ZARN_RULE(1025, m_connLimit, 0, 200, false, "Please enter number: 0 - 200 "),
    ZARN_RULE(1033, m_connectTimeout, 10, 600, true, "Please enter number: 10 - 600 "),
    ZARN_RULE(1037, m_downloadTimeout, 10, 600, true, "Please enter number: 10 - 600 "),
    ZARN_RULE(1038, m_uploadTimeout, 10, 600, true, "Please enter number: 10 - 600 "),
    ZARN_RULE(1034, m_retryCount, 0, 32767, false, "Please enter number: 0 - 32767 "),
    ZARN_RULE(1035, m_retryDelay, 0, 3600, false, "Please enter number: 0 - 3600 "),
    ZARN_RULE(1036, m_idleInterval, 0, 360, false, "Please enter number: 0 - 360 "),
};
#undef ZARN_RULE

const SiteFieldRule* FindSiteFieldRule(int controlId)
{
  for (const SiteFieldRule& rule : kSiteFieldRules) {
    if (rule.controlId == controlId)
      return &rule;
  }
  return nullptr;
}

const char* ValidateSiteField(int controlId, int32_t value)
{
  const SiteFieldRule* rule = FindSiteFieldRule(controlId);
  if (rule == nullptr)
    return nullptr;
  if ((value == 0 && rule->zeroAccepted) || (value >= rule->low && value <= rule->high))
    return nullptr;
  return rule->message;
}

void NormaliseSiteRecord(SiteFields& f)
{
  char* const texts[] = {f.m_host, f.m_name, f.m_user, f.m_password, f.m_localFolder, f.m_proxyHost,
                         f.m_proxyUser, f.m_proxyPassword, f.m_note, f.m_remoteFolder};
  for (char* text : texts)
    TrimField(text);
  if (f.m_proxyHost[0] == '\0')
    SetSiteProxyType(f, 0);
  if (f.m_remoteFolder[0] != '/') {
    const std::string folder = std::string("/") + f.m_remoteFolder;
    CopySettingText(f.m_remoteFolder, folder.data(), folder.size());
  }
  for (char* p = f.m_note; *p != '\0'; ++p) {
    if (*p == '\r' || *p == '\n')
      *p = ' ';
  }
  CopySettingText(f.m_note, kSiteNoteKept + 1, f.m_note, strlen(f.m_note));
}
