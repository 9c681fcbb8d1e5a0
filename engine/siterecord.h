// The persistent fields of a work site, as one fixed binary layout shared by the
// engine's CSiteItem and the site manager's spare-site record. The site manager
// library reads CSiteItem objects in place through this layout, so every offset
// below is part of the interface between the two modules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

class CSiteItem;

// Widths of the text fields, terminating NUL included.
constexpr size_t kSiteDigitsLen = 11;
constexpr size_t kSiteHostLen = 50;
constexpr size_t kSiteNameLen = 50;
constexpr size_t kSiteUserLen = 64;
constexpr size_t kSitePasswordLen = 64;
constexpr size_t kSitePathLen = 260;

// The option digits of a new site (see CSiteItem for their meaning).
extern const char kDefaultSiteOptionDigits[];  // "0120200100"

// Plain data only: no constructor, no initialisers, so the layout is the same in
// both modules and for every compiler that builds them.
struct SiteFields {
  int32_t m_downloadLimit;    //   0 KB/s, 0 = the global limit (when obeyed)
  int32_t m_uploadLimit;      //   4 KB/s, 0 = the global limit (when obeyed)
  int32_t m_connLimit;        //   8 connections when digit 0 is '2'
  int32_t m_connectTimeout;   //  12 seconds; below 11 means g_connectTimeout
  int32_t m_retryCount;       //  16 0 means g_defRetryCount
  int32_t m_retryDelay;       //  20 seconds; 0 means g_retryDelay
  int32_t m_idleInterval;     //  24 seconds; below 11 means g_idleTimeout
  int32_t m_uploadTimeout;    //  28 seconds; below 11 means g_sendTimeout
  int32_t m_downloadTimeout;  //  32 seconds; below 11 means g_recvTimeout
  int32_t m_proxyPort;        //  36
  int32_t m_port;             //  40
  char SiteOptionDigits[kSiteDigitsLen];    //  44 ten digits '0'..'9'
  char m_host[kSiteHostLen];                //  55
  char m_name[kSiteNameLen];                // 105 alias, registry subkey, cache folder name
  char m_user[kSiteUserLen];                // 155
  char m_password[kSitePasswordLen];        // 219 plain in memory
  char m_localFolder[kSitePathLen];         // 283
  char m_proxyHost[kSiteHostLen];           // 543
  char m_proxyUser[kSiteUserLen];           // 593
  char m_proxyPassword[kSitePasswordLen];   // 657
  char m_note[kSitePathLen];                // 721 "FtpInfo"
  char m_remoteFolder[kSitePathLen];        // 981, ends at 1241
};

// The fields end at 1241; the struct's three bytes of tail padding belong to the
// reserved area of SiteRecord.
constexpr size_t kSiteFieldsEnd = 1241;

// The spare-site record of the site manager: the fields, reserved bytes up to
// 1504, then the pointer the main program writes when it adds the record as a
// work site (null when refused).
struct SiteRecord : SiteFields {
  char m_reserved[1504 - sizeof(SiteFields)];
  CSiteItem* m_pNewSite;
};

// Every field to its default: numbers 0 except connection limit 200, proxy port
// 1080 and port 21; digits "0120200100"; remote folder "/"; other texts empty.
void InitSiteFields(SiteFields& fields);

// Copies at most width - 1 bytes of src into a text field and terminates it.
void CopySiteText(char* field, size_t width, const char* src);
template <size_t N>
inline void CopySiteText(char (&field)[N], const char* src) { CopySiteText(field, N, src); }

// Room for the "Config" text: nine numbers of up to 11 characters, ten digits,
// nine commas and the NUL.
constexpr size_t kSiteConfigTextSize = 128;

// The "Config" text: download limit, upload limit, connection limit, retry
// count, retry delay, connect time-out, idle interval, download time-out,
// upload time-out, digits. Missing trailing fields keep their values; numbers
// saturate to 32 bits; the digits take at most 10 characters.
void ParseSiteConfig(SiteFields& fields, const char* text);
// Writes the same ten fields; returns the length (the text is cut to size).
int FormatSiteConfig(const SiteFields& fields, char* buffer, size_t size);

static_assert(std::is_trivial<SiteFields>::value && std::is_standard_layout<SiteFields>::value,
              "SiteFields is plain data");
static_assert(offsetof(SiteFields, m_downloadLimit) == 0, "site layout");
static_assert(offsetof(SiteFields, m_uploadLimit) == 4, "site layout");
static_assert(offsetof(SiteFields, m_connLimit) == 8, "site layout");
static_assert(offsetof(SiteFields, m_connectTimeout) == 12, "site layout");
static_assert(offsetof(SiteFields, m_retryCount) == 16, "site layout");
static_assert(offsetof(SiteFields, m_retryDelay) == 20, "site layout");
static_assert(offsetof(SiteFields, m_idleInterval) == 24, "site layout");
static_assert(offsetof(SiteFields, m_uploadTimeout) == 28, "site layout");
static_assert(offsetof(SiteFields, m_downloadTimeout) == 32, "site layout");
static_assert(offsetof(SiteFields, m_proxyPort) == 36, "site layout");
static_assert(offsetof(SiteFields, m_port) == 40, "site layout");
static_assert(offsetof(SiteFields, SiteOptionDigits) == 44, "site layout");
static_assert(offsetof(SiteFields, m_host) == 55, "site layout");
static_assert(offsetof(SiteFields, m_name) == 105, "site layout");
static_assert(offsetof(SiteFields, m_user) == 155, "site layout");
static_assert(offsetof(SiteFields, m_password) == 219, "site layout");
static_assert(offsetof(SiteFields, m_localFolder) == 283, "site layout");
static_assert(offsetof(SiteFields, m_proxyHost) == 543, "site layout");
static_assert(offsetof(SiteFields, m_proxyUser) == 593, "site layout");
static_assert(offsetof(SiteFields, m_proxyPassword) == 657, "site layout");
static_assert(offsetof(SiteFields, m_note) == 721, "site layout");
static_assert(offsetof(SiteFields, m_remoteFolder) == 981, "site layout");
static_assert(offsetof(SiteFields, m_remoteFolder) + kSitePathLen == kSiteFieldsEnd, "site layout");
static_assert(sizeof(SiteFields) == 1244, "site fields plus tail padding");

// SiteRecord adds members to a base, so it is not standard-layout; its offsets are
// still fixed by the ABI of both targets and checked here.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(SiteRecord, m_host) == 55 && offsetof(SiteRecord, m_remoteFolder) == 981,
              "spare-site record layout");
static_assert(offsetof(SiteRecord, m_reserved) == sizeof(SiteFields), "reserved area follows the fields");
static_assert(offsetof(SiteRecord, m_pNewSite) == 1504, "new work-site pointer at 1504");
static_assert(sizeof(SiteRecord) == 1504 + sizeof(void*), "1508 bytes on i686, 1512 on x86_64");
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
