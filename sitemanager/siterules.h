// The spare-site record's rules: new records, the option digits, the numeric
// field rules the property pages and the site file share, the clean-up of a
// record before it is stored, and the copy of a work site's fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/siterecord.h"

// A record zero-filled as a whole (reserved bytes and the new-site pointer
// included), then given the defaults of InitSiteFields. The caller's record
// array owns it.
std::unique_ptr<SiteRecord> NewSiteRecord();

// ---- SiteOptionDigits[0..9] ----
enum SiteDigit : int {
  SITEDIGIT_LIMIT_KIND = 0,     // 0 None, 1 Single, 2 Limit
  SITEDIGIT_ANONYMOUS = 1,
  SITEDIGIT_CACHE = 2,
  SITEDIGIT_LOCAL_PATH = 3,
  SITEDIGIT_PASSIVE = 4,
  SITEDIGIT_UPLOAD_CASE = 5,    // 0..3, the conversion combo's order
  SITEDIGIT_DOWNLOAD_CASE = 6,
  SITEDIGIT_KEEP_ALIVE = 7,     // 0..2
  SITEDIGIT_REST_APPE = 8,
  SITEDIGIT_PROXY_TYPE = 9,     // 0..12, stored as '0' + type
  kSiteDigitCount = 10,
};

constexpr int kSiteProxyTypeCount = 13;
// The proxy types in the order of the Advanced page's combo.
extern const char* const kSiteProxyTypeNames[kSiteProxyTypeCount];

// The digit's value: its character less '0'. A digit that is missing or out of
// its range (a hand-edited file) reads as 0, so a combo never gets a bad index.
int GetSiteDigit(const SiteFields& fields, int digit);
// Stores '0' + value; false (nothing changed) for a value out of range.
bool SetSiteDigit(SiteFields& fields, int digit, int value);
inline int GetSiteProxyType(const SiteFields& f) { return GetSiteDigit(f, SITEDIGIT_PROXY_TYPE); }
inline bool SetSiteProxyType(SiteFields& f, int type) { return SetSiteDigit(f, SITEDIGIT_PROXY_TYPE, type); }

// ---- numeric fields ----
struct SiteFieldRule {
  int controlId;
  size_t offset;        // of the int32_t field in SiteFields
  int32_t low, high;    // accepted range
  bool zeroAccepted;    // 0 (the global setting) besides the range
  const char* message;  // shown when a typed value is refused
};

constexpr int kSiteFieldRuleCount = 9;
extern const SiteFieldRule kSiteFieldRules[kSiteFieldRuleCount];

// The rule of an edit control, or null (the speed limits have none).
const SiteFieldRule* FindSiteFieldRule(int controlId);
// Null when the value is accepted (or the control has no rule); otherwise the
// message to show.
const char* ValidateSiteField(int controlId, int32_t value);
inline int32_t& SiteFieldAt(SiteFields& f, const SiteFieldRule& rule)
{
  return *reinterpret_cast<int32_t*>(reinterpret_cast<char*>(&f) + rule.offset);
}

// Longest site note kept, in bytes (the edit takes 200 typed characters).
constexpr size_t kSiteNoteKept = 256;

// What storing a site does to the values taken from the pages: every text
// field trimmed of blanks, an empty proxy host sets the proxy type to "None",
// the remote folder gets a leading "/", the note is cut to 256 bytes (whole
// characters) with its line breaks made blanks, since no line may carry them.
void NormaliseSiteRecord(SiteFields& fields);

// ---- work sites ----
// The persistent fields of a work site, read in place (the caller's CSiteItem
// outlives the call; its run-time state is never touched).
class CSiteItem;
const SiteFields& WorkSiteFields(const CSiteItem* site);
SiteFields& WorkSiteFields(CSiteItem* site);
// A record with the work site's fields; reserved bytes and pointer zero.
std::unique_ptr<SiteRecord> RecordFromWorkSite(const CSiteItem* site);
// The record's fields written back into the work site.
void StoreRecordInWorkSite(const SiteFields& record, CSiteItem* site);
