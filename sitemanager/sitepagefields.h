// Which fields of a site each property page shows, in which control, and how a
// page's values go back into a record: window-free, so the pages and the tests
// share one table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/siterecord.h"

enum class SitePage : int { General = 0, Option = 1, Proxy = 2 };
constexpr int kSitePageCount = 3;

enum class SitePageControlKind : int {
  Text,    // a text field of `width` bytes at `offset`
  Number,  // an int32_t at `offset`
  Check,   // option digit `digit`, 0 or 1
  Combo,   // option digit `digit`, the combo's index
};

struct SitePageControl {
  int id;
  SitePageControlKind kind;
  size_t offset;  // Text, Number
  size_t width;   // Text: the field's width (the edit takes width - 1 bytes)
  int digit;      // Check, Combo
};

struct SitePageLayout {
  const SitePageControl* controls;
  int count;
};

SitePageLayout GetSitePageLayout(SitePage page);

// Copies into `to` the fields page shows, taken from `from`: what storing one
// modified page writes.
void CopySitePageFields(SitePage page, const SiteFields& from, SiteFields& to);

// The text of a number edit as a value: optional blanks, an optional sign and
// decimal digits only; false for anything else or a value past 32 bits.
bool ParseSiteNumber(const std::string& text, int32_t& value);

// The control's value as its edit or box shows it (numbers in decimal).
std::string SiteControlText(const SitePageControl& control, const SiteFields& fields);
