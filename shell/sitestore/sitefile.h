// The site file (*.sit): the work sites exported as a framework archive.
//
//   WORD count of records
//   per record: eleven WORDs, the low halves of the site's eleven numbers in
//   field order (download limit ... port), then the record text as an archive
//   string: eleven fields joined by CR, an empty field written as one FF
//   (0x0C), passwords scrambled:
//     0 option digits  1 host  2 name  3 user  4 password  5 local folder
//     6 proxy host  7 proxy user  8 proxy password  9 remarks  10 remote folder
#pragma once

#include <vector>

#include "engine/siterecord.h"
#include "framework/afx.h"
#include "shell/sitestore/sitetable.h"

constexpr char kSiteFieldSeparator = '\r';
constexpr char kSiteEmptyField = '\x0C';
constexpr int kSiteRecordFieldCount = 11;
constexpr int kSiteFileBufferSize = 4096;

// The import and export dialogs' settings.
extern const char kSiteFileFilter[];       // "ZARN site files(*.sit)|*.sit|All files (*.*)|*.*||"
extern const char kSiteFileExtension[];    // "sit"
extern const char kSiteFileDefaultName[];  // "zarn"

extern const char kSiteFileDamagedText[];

// Passwords that FormatSiteRecord had to write empty.
enum : int {
    SITEREC_PASSWORD_DROPPED = 1,
    SITEREC_PROXY_PASSWORD_DROPPED = 2,
};

// The record text of a site. A password whose scrambled form the format cannot
// carry (a CR anywhere, or FF first: plain bytes 0xAA and 0xAB) is written
// empty; the result says which were.
int FormatSiteRecord(const SiteFields& site, CString& text);

// The eleven text fields of record from text (by length: a scrambled password
// may hold zero bytes). Missing fields are left empty, fields after the
// eleventh ignored. False, with record unchanged, when a field is longer than
// its place in the record: such a record is skipped whole.
bool ParseSiteRecord(SiteFields& record, const CString& text);

// Where loaded records go: the document, or a bare table.
class CSiteFileTarget {
public:
    virtual ~CSiteFileTarget() = default;
    // True once no further site can be added (200 sites).
    virtual bool IsSiteTableFull() = 0;
    // Adds a site made from the record; false when refused (skipped silently).
    // On success the new site's pointer is in record.m_pNewSite.
    virtual bool AddSiteRecord(SiteRecord& record) = 0;
};

// A target that puts the sites straight into a table (AddSiteToTable).
class CSiteTableTarget : public CSiteFileTarget {
public:
    CSiteTableTarget(SiteTable& sites, UINT& nSites) : m_sites(sites), m_nSites(nSites) {}
    bool IsSiteTableFull() override;
    bool AddSiteRecord(SiteRecord& record) override;

private:
    SiteTable& m_sites;
    UINT& m_nSites;
};

struct SiteFileLoadResult {
    UINT nRecords = 0;       // records read whole
    UINT nAdded = 0;
    UINT nOverlong = 0;      // skipped: a field too long for the record
    UINT nRefused = 0;       // skipped: the target refused it
    bool bLimitReached = false;
};

struct SiteFileStoreResult {
    UINT nStored = 0;
    std::vector<CString> passwordDropped;  // names of sites with a password written empty
};

// Serialisation, storing: every occupied slot in slot order.
void StoreSiteFile(CArchive& ar, const SiteTable& sites, SiteFileStoreResult* result = nullptr);
// Serialisation, loading: records up to the count, stopping when the target is
// full. Damage throws (CArchiveException*, CFileException*) after the records
// before it have been added; result counts them.
void LoadSiteFile(CArchive& ar, CSiteFileTarget& target, SiteFileLoadResult& result);

struct SiteImportResult : SiteFileLoadResult {
    bool bOpened = false;
    bool bDamaged = false;
};

// The Import command after its dialog: loads the file into target. A file that
// cannot be opened, or is damaged, is told through the store's message hook;
// the sites before the damage stay.
SiteImportResult ImportSitesFromFile(const char* path, CSiteFileTarget& target);

// The Export command after its dialog: writes every site to path (replacing
// it). Passwords that had to be left empty are named in a warning; a failure is
// told and the half-written file removed. FALSE on failure.
BOOL ExportSitesToFile(const char* path, const SiteTable& sites);

// The export warning for the named sites.
CString FormatPasswordDroppedText(const std::vector<CString>& names);
