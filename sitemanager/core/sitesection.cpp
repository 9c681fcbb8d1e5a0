#include "sitemanager/sitesection.h"

#include <cstring>

#include "shell/settings/settingtext.h"
#include "shell/sitestore/scramble.h"
#include "sitemanager/initext.h"
#include "sitemanager/siterules.h"

const char kPasswordNotStoredText[] =
    "The password of site \"%s\" can't be stored in the site file; it was saved empty.";

std::string MakeLabelPath(std::string_view site, const std::vector<std::string>& labels)
{
  std::string path(site);
  path += kLabelPathSeparator;
  for (const std::string& label : labels) {
    path += label;
    path += kLabelPathSeparator;
  }
  return path;
}

std::vector<std::string> SplitLabelPath(std::string_view section)
{
  std::vector<std::string> names;
  size_t pos = 0;
  while (pos < section.size()) {
    size_t sep = section.find(kLabelPathSeparator, pos);
    if (sep == std::string_view::npos)
      sep = section.size();
    names.emplace_back(section.substr(pos, sep - pos));
    pos = sep + 1;
  }
  return names;
}

namespace {

template <size_t N>
void ReadText(const CIniText& ini, std::string_view section, const char* key, char (&field)[N])
{
  std::string value;
  if (ini.GetValue(section, key, value))
    CopySettingText(field, value.data(), value.size());
}

template <size_t N>
void ReadPassword(const CIniText& ini, std::string_view section, const char* key, char (&field)[N])
{
  std::string value;
  if (ini.GetValue(section, key, value))
    ScramblePassword(field, value.data(), value.size());
}

// The number when the key is there and its rule takes it.
void ReadNumber(const CIniText& ini, std::string_view section, const char* key, int controlId, int32_t& field)
{
  std::string value;
  if (!ini.GetValue(section, key, value))
    return;
  const int32_t number = ParseSettingNumber(value.data(), value.data() + value.size());
  if (ValidateSiteField(controlId, number) == nullptr)
    field = number;
}

// "Pass" and "ProxyPass": scrambled by length; empty when a byte would become
// a line break.
bool WritePassword(CIniText& ini, std::string_view section, const char* key, const char* plain)
{
  char scrambled[kSitePasswordLen];
  const size_t n = ScramblePassword(scrambled, sizeof scrambled, plain);
  std::string_view value(scrambled, n);
  const bool storable = value.find_first_of("\r\n") == std::string_view::npos;
  ini.SetString(section, key, storable ? value : std::string_view());
  return storable;
}

}  // namespace

void ReadSiteSection(const CIniText& ini, std::string_view section, SiteRecord& record)
{
  ReadText(ini, section, "Address", record.m_host);
  ReadText(ini, section, "User", record.m_user);
  ReadNumber(ini, section, "Port", 1044, record.m_port);
  ReadPassword(ini, section, "Pass", record.m_password);
  std::string config;
  if (ini.GetValue(section, "Config", config)) {
    // Parsed over a copy, so a number its rule refuses keeps the default.
    SiteFields parsed = record;
    ParseSiteConfig(parsed, config.c_str());
    for (const SiteFieldRule& rule : kSiteFieldRules) {
      const int32_t value = SiteFieldAt(parsed, rule);
      if (ValidateSiteField(rule.controlId, value) == nullptr)
        SiteFieldAt(record, rule) = value;
    }
    // The speed limits have no rule.
    record.m_downloadLimit = parsed.m_downloadLimit;
    record.m_uploadLimit = parsed.m_uploadLimit;
    memcpy(record.SiteOptionDigits, parsed.SiteOptionDigits, sizeof record.SiteOptionDigits);
  }
  ReadText(ini, section, "LocalDir", record.m_localFolder);
  ReadText(ini, section, "RemoteDir", record.m_remoteFolder);
  ReadText(ini, section, "FtpInfo", record.m_note);
  ReadText(ini, section, "ProxyAdd", record.m_proxyHost);
  ReadText(ini, section, "ProxyUser", record.m_proxyUser);
  ReadPassword(ini, section, "ProxyPass", record.m_proxyPassword);
  ReadNumber(ini, section, "ProxyPort", 1041, record.m_proxyPort);
}

SiteRecord* LoadSiteSection(const CIniText& ini, std::string_view section, CSiteTreeSink& sink)
{
  const std::vector<std::string> names = SplitLabelPath(section);
  if (names.empty() || names[0].empty())
    return nullptr;
  std::unique_ptr<SiteRecord> record = NewSiteRecord();
  ReadSiteSection(ini, section, *record);
  CopySettingText(record->m_name, names[0].data(), names[0].size());
  CSiteTreeSink::Node parent = nullptr;
  for (size_t i = 1; i < names.size(); ++i)
    parent = sink.FindOrCreateLabel(parent, names[i]);
  SiteRecord* site = record.get();
  sink.AppendSite(parent, std::move(record));
  return site;
}

SiteSectionSaved SaveSiteSection(CIniText& ini, std::string_view section, const SiteFields& f)
{
  SiteSectionSaved saved;
  saved.written = ini.SetString(section, "Address", f.m_host);
  if (!saved.written)
    return saved;
  char config[kSiteConfigTextSize];
  FormatSiteConfig(f, config, sizeof config);
  ini.SetString(section, "User", f.m_user);
  ini.SetInt(section, "Port", f.m_port);
  saved.passwordDropped = !WritePassword(ini, section, "Pass", f.m_password);
  ini.SetString(section, "Config", config);
  ini.SetString(section, "LocalDir", f.m_localFolder);
  ini.SetString(section, "RemoteDir", f.m_remoteFolder);
  ini.SetString(section, "FtpInfo", f.m_note);
  ini.SetString(section, "ProxyAdd", f.m_proxyHost);
  ini.SetString(section, "ProxyUser", f.m_proxyUser);
  saved.proxyPasswordDropped = !WritePassword(ini, section, "ProxyPass", f.m_proxyPassword);
  ini.SetInt(section, "ProxyPort", f.m_proxyPort);
  return saved;
}
