// The site manager tree's rules, kept free of windows: which drops do what,
// which names a spare site or label may take, and how a label's sections are
// renamed or moved in the site file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CIniText;

// Longest spare-site or label name, in bytes (the name field less its zero).
constexpr size_t kSpareNameMax = 49;

// A name for a spare site or label: 1..49 bytes and no control byte (0x0C
// separates the names of a section, a line break would end its header).
bool IsValidSpareName(std::string_view name);

enum class SiteNodeKind { None, WorkHeading, SpareHeading, WorkSite, SpareSite, Label };

struct SiteDropQuery {
  SiteNodeKind source = SiteNodeKind::None;
  SiteNodeKind target = SiteNodeKind::None;  // None: no item under the cursor
  bool sameItem = false;                     // the target is the source
  bool targetInSourceSubtree = false;        // the source is an ancestor of the target
  bool targetHasChildNamed = false;          // a child of the target bears the source's name
};

enum class SiteDropAction {
  Nothing,
  WorkToSpare,   // a spare site made from the work site's fields
  SpareToWork,   // the spare site copied to a new work site
  MoveInSpare,   // the subtree moved under the target, its sections rewritten
};

SiteDropAction DecideSiteDrop(const SiteDropQuery& q);

// The section name with its first `depth` labels (top-down) replaced by
// newLabels: a label renamed (depth = its depth, newLabels = the path to it
// with the new name) or a subtree moved (the labels of its new parent plus the
// moved label). A section with fewer labels comes back unchanged.
std::string RelocateLabelPath(std::string_view section, size_t depth, const std::vector<std::string>& newLabels);

// Moves one section's entries to a new name, the new one written before the
// old one goes, so a refused write loses nothing. False (the file unchanged
// when the new name was refused) when the old section is missing or the new
// name cannot be written; a section of that name already there is replaced.
bool MoveSiteSection(CIniText& ini, std::string_view from, std::string_view to);
