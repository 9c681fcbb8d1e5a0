// The persistent fields' defaults and their "Config" text, shared by the
// engine's work sites and the site manager's spare sites.
#include "engine/siterecord.h"

#include <cstdio>
#include <cstring>

#include "shell/settings/settingtext.h"

const char kDefaultSiteOptionDigits[] = "0120200100";

void CopySiteText(char* field, size_t width, const char* src)
{
  if (width == 0)
    return;
  size_t n = 0;
  if (src != nullptr) {
    while (n + 1 < width && src[n] != '\0')
      ++n;
    memcpy(field, src, n);
  }
  field[n] = '\0';
}

void InitSiteFields(SiteFields& f)
{
  memset(&f, 0, sizeof(f));
  f.m_connLimit = 200;
  f.m_proxyPort = 1080;
  f.m_port = 21;
  CopySiteText(f.SiteOptionDigits, kDefaultSiteOptionDigits);
  CopySiteText(f.m_remoteFolder, "/");
}

void ParseSiteConfig(SiteFields& f, const char* text)
{
  if (text == nullptr)
    return;
  // "Config" order, which is not the order of the fields.
  int32_t* const numbers[9] = {&f.m_downloadLimit, &f.m_uploadLimit,     &f.m_connLimit,
                               &f.m_retryCount,    &f.m_retryDelay,      &f.m_connectTimeout,
                               &f.m_idleInterval,  &f.m_downloadTimeout, &f.m_uploadTimeout};
  const char* p = text;
  for (int field = 0; field < 10; ++field) {
    const char* end = strchr(p, ',');
    if (end == nullptr)
      end = p + strlen(p);
    if (field < 9) {
      *numbers[field] = ParseSettingNumber(p, end);
    } else {
      // Zero the whole array so a shorter text leaves no digits of the old one.
      size_t n = (size_t)(end - p);
      if (n > kSiteDigitsLen - 1)
        n = kSiteDigitsLen - 1;
      memset(f.SiteOptionDigits, 0, sizeof(f.SiteOptionDigits));
      memcpy(f.SiteOptionDigits, p, n);
    }
    if (*end == '\0')
      break;  // the fields after this one keep their values
    p = end + 1;
  }
}

int FormatSiteConfig(const SiteFields& f, char* buffer, size_t size)
{
  if (buffer == nullptr || size == 0)
    return 0;
  int n = snprintf(buffer, size, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%.10s", (int)f.m_downloadLimit,
                   (int)f.m_uploadLimit, (int)f.m_connLimit, (int)f.m_retryCount, (int)f.m_retryDelay,
                   (int)f.m_connectTimeout, (int)f.m_idleInterval, (int)f.m_downloadTimeout,
                   (int)f.m_uploadTimeout, f.SiteOptionDigits);
  if (n < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return (size_t)n < size ? n : (int)size - 1;
}
