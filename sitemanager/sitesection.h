// One spare site as one section of the site file: the twelve keys, the label
// path that names the section, and the tree the sections are read into.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/siterecord.h"

class CIniText;

// The byte between the names of a label path.
constexpr char kLabelPathSeparator = '\x0C';

// "site" 0x0C, then each label from the top one down, each followed by 0x0C.
std::string MakeLabelPath(std::string_view site, const std::vector<std::string>& labels);
// The names of a section: [0] the site, then the labels top-down. A trailing
// 0x0C ends the last name; empty names between two separators are kept.
std::vector<std::string> SplitLabelPath(std::string_view section);

// Where LoadSiteSection puts what it reads: the site manager's tree, or a
// recorder in the tests. A node is the sink's own handle; null is the spare
// sites' heading.
class CSiteTreeSink {
public:
  using Node = void*;
  virtual ~CSiteTreeSink() = default;
  // The child label of parent with exactly this text, created when missing.
  virtual Node FindOrCreateLabel(Node parent, const std::string& label) = 0;
  // Appends the site under parent; the sink owns the record from now on.
  virtual void AppendSite(Node parent, std::unique_ptr<SiteRecord> record) = 0;
};

// The fields of one section into record (defaults first): texts cut to their
// field less one byte, passwords unscrambled by length, "Config" parsed; a
// number outside its field rule keeps the default.
void ReadSiteSection(const CIniText& ini, std::string_view section, SiteRecord& record);

// A new record from the section, named by the path's first name and appended
// under its labels (found or made). Null (nothing appended) when the section
// names no site.
SiteRecord* LoadSiteSection(const CIniText& ini, std::string_view section, CSiteTreeSink& sink);

// What SaveSiteSection wrote.
struct SiteSectionSaved {
  bool written = false;               // false: the section name has a line break
  bool passwordDropped = false;       // "Pass" written empty
  bool proxyPasswordDropped = false;  // "ProxyPass" written empty
};

// A password holding 0xAA or 0xAD scrambles to a line break, which no line of
// the file can carry: such a password is written empty and reported, and the
// caller shows this text with the site's name.
extern const char kPasswordNotStoredText[];

// The twelve keys in order: Address, User, Port, Pass, Config, LocalDir,
// RemoteDir, FtpInfo, ProxyAdd, ProxyUser, ProxyPass, ProxyPort.
SiteSectionSaved SaveSiteSection(CIniText& ini, std::string_view section, const SiteFields& fields);
