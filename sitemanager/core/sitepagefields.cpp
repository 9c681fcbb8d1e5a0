#include "sitemanager/sitepagefields.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sitemanager/siterules.h"

namespace {

#define ZARN_TEXT(id, field) {id, SitePageControlKind::Text, offsetof(SiteFields, field), sizeof(SiteFields::field), 0}
#define ZARN_NUMBER(id, field) {id, SitePageControlKind::Number, offsetof(SiteFields, field), 0, 0}
#define ZARN_CHECK(id, digit) {id, SitePageControlKind::Check, 0, 0, digit}
#define ZARN_COMBO(id, digit) {id, SitePageControlKind::Combo, 0, 0, digit}

const SitePageControl kGeneralControls[] = {
    ZARN_TEXT(1003, m_name),
    ZARN_TEXT(1005, m_host),
    ZARN_NUMBER(1044, m_port),
    ZARN_TEXT(1009, m_user),
    ZARN_TEXT(1014, m_password),
    ZARN_CHECK(1011, SITEDIGIT_ANONYMOUS),
    ZARN_TEXT(1048, m_remoteFolder),
    ZARN_CHECK(1054, SITEDIGIT_LOCAL_PATH),
    ZARN_TEXT(1016, m_localFolder),
    ZARN_TEXT(1020, m_note),
};

const SitePageControl kOptionControls[] = {
    ZARN_COMBO(1021, SITEDIGIT_LIMIT_KIND),
    ZARN_NUMBER(1025, m_connLimit),
    ZARN_NUMBER(1033, m_connectTimeout),
    ZARN_NUMBER(1037, m_downloadTimeout),
    ZARN_NUMBER(1038, m_uploadTimeout),
    ZARN_NUMBER(1034, m_retryCount),
    ZARN_NUMBER(1035, m_retryDelay),
    ZARN_NUMBER(1036, m_idleInterval),
    ZARN_NUMBER(1046, m_downloadLimit),
    ZARN_NUMBER(1047, m_uploadLimit),
    ZARN_COMBO(1049, SITEDIGIT_KEEP_ALIVE),
    ZARN_COMBO(1031, SITEDIGIT_UPLOAD_CASE),
    ZARN_COMBO(1032, SITEDIGIT_DOWNLOAD_CASE),
    ZARN_CHECK(1030, SITEDIGIT_PASSIVE),
    ZARN_CHECK(1043, SITEDIGIT_CACHE),
    ZARN_CHECK(1045, SITEDIGIT_REST_APPE),
};

const SitePageControl kProxyControls[] = {
    ZARN_COMBO(1066, SITEDIGIT_PROXY_TYPE),
    ZARN_TEXT(1040, m_proxyHost),
    ZARN_NUMBER(1041, m_proxyPort),
    ZARN_TEXT(1007, m_proxyUser),
    ZARN_TEXT(1042, m_proxyPassword),
};

#undef ZARN_TEXT
#undef ZARN_NUMBER
#undef ZARN_CHECK
#undef ZARN_COMBO

template <size_t N>
SitePageLayout LayoutOf(const SitePageControl (&controls)[N])
{
  return {controls, static_cast<int>(N)};
}

}  // namespace

SitePageLayout GetSitePageLayout(SitePage page)
{
  switch (page) {
  case SitePage::General:
    return LayoutOf(kGeneralControls);
  case SitePage::Option:
    return LayoutOf(kOptionControls);
  default:
    return LayoutOf(kProxyControls);
  }
}

void CopySitePageFields(SitePage page, const SiteFields& from, SiteFields& to)
{
  const SitePageLayout layout = GetSitePageLayout(page);
  const char* src = reinterpret_cast<const char*>(&from);
  char* dst = reinterpret_cast<char*>(&to);
  for (int i = 0; i < layout.count; ++i) {
    const SitePageControl& c = layout.controls[i];
    switch (c.kind) {
    case SitePageControlKind::Text:
      CopySiteText(dst + c.offset, c.width, src + c.offset);
      break;
    case SitePageControlKind::Number:
      memcpy(dst + c.offset, src + c.offset, sizeof(int32_t));
      break;
    default:
      SetSiteDigit(to, c.digit, GetSiteDigit(from, c.digit));
      break;
    }
  }
}

bool ParseSiteNumber(const std::string& text, int32_t& value)
{
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  size_t end = text.size();
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t'))
    --end;
  size_t digits = i;
  if (digits < end && (text[digits] == '-' || text[digits] == '+'))
    ++digits;
  if (digits == end)
    return false;
  for (size_t k = digits; k < end; ++k)
    if (text[k] < '0' || text[k] > '9')
      return false;
  if (end - digits > 11)
    return false;
  const long long v = strtoll(text.substr(i, end - i).c_str(), nullptr, 10);
  if (v < INT32_MIN || v > INT32_MAX)
    return false;
  value = static_cast<int32_t>(v);
  return true;
}

std::string SiteControlText(const SitePageControl& control, const SiteFields& fields)
{
  const char* base = reinterpret_cast<const char*>(&fields);
  switch (control.kind) {
  case SitePageControlKind::Text:
    return std::string(base + control.offset, strnlen(base + control.offset, control.width));
  case SitePageControlKind::Number: {
    int32_t v;
    memcpy(&v, base + control.offset, sizeof v);
    return std::to_string(v);
  }
  default:
    return std::to_string(GetSiteDigit(fields, control.digit));
  }
}
