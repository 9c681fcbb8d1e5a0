#include "sitemanager/sitetreerules.h"

#include "sitemanager/initext.h"
#include "sitemanager/sitesection.h"

bool IsValidSpareName(std::string_view name)
{
  if (name.empty() || name.size() > kSpareNameMax)
    return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F)
      return false;
  return true;
}

SiteDropAction DecideSiteDrop(const SiteDropQuery& q)
{
  using K = SiteNodeKind;
  if (q.target == K::None || q.sameItem || q.targetInSourceSubtree || q.targetHasChildNamed)
    return SiteDropAction::Nothing;
  if (q.target == K::WorkSite || q.target == K::SpareSite)
    return SiteDropAction::Nothing;
  const bool targetSpare = q.target == K::SpareHeading || q.target == K::Label;
  switch (q.source) {
  case K::WorkSite:
    return targetSpare ? SiteDropAction::WorkToSpare : SiteDropAction::Nothing;
  case K::SpareSite:
    if (q.target == K::WorkHeading)
      return SiteDropAction::SpareToWork;
    return targetSpare ? SiteDropAction::MoveInSpare : SiteDropAction::Nothing;
  case K::Label:
    return targetSpare ? SiteDropAction::MoveInSpare : SiteDropAction::Nothing;
  default:  // headings never move
    return SiteDropAction::Nothing;
  }
}

std::string RelocateLabelPath(std::string_view section, size_t depth, const std::vector<std::string>& newLabels)
{
  std::vector<std::string> names = SplitLabelPath(section);
  if (names.empty() || names.size() - 1 < depth)
    return std::string(section);
  std::vector<std::string> labels(newLabels);
  labels.insert(labels.end(), names.begin() + 1 + static_cast<std::ptrdiff_t>(depth), names.end());
  return MakeLabelPath(names[0], labels);
}

bool MoveSiteSection(CIniText& ini, std::string_view from, std::string_view to)
{
  if (from == to)
    return true;
  // Copy the entries by line, so keys this version does not know survive too.
  bool found = false;
  for (int i = 0; i < ini.SectionCount(); ++i) {
    std::string name;
    if (ini.SectionName(i, name) && name == from) {
      found = true;
      break;
    }
  }
  if (!found || to.find_first_of("\r\n") != std::string_view::npos)
    return false;
  ini.DeleteSection(to);
  std::vector<std::pair<std::string, std::string>> entries;
  {
    // The section's lines, from the text itself.
    const std::string& text = ini.Text();
    size_t pos = 0;
    size_t body = std::string::npos;
    while (pos <= text.size()) {
      size_t eol = text.find('\n', pos);
      if (eol == std::string::npos)
        eol = text.size();
      std::string_view line(text.data() + pos, eol - pos);
      if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
      if (body == std::string::npos) {
        if (!line.empty() && line[0] == '[') {
          size_t close = line.rfind(']');
          std::string_view name = close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
          if (name == from)
            body = eol + 1;
        }
      } else {
        if (!line.empty() && line[0] == '[')
          break;
        size_t eq = line.find('=');
        if (eq != std::string_view::npos && eq > 0)
          entries.emplace_back(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
      }
      pos = eol + 1;
    }
  }
  for (const auto& e : entries) {
    if (!ini.SetString(to, e.first, e.second)) {
      ini.DeleteSection(to);
      return false;
    }
  }
  if (entries.empty() && !ini.SetString(to, "Address", ini.GetString(from, "Address")))
    return false;
  ini.DeleteSection(from);
  return true;
}
