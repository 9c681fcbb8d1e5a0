#include "shell/sitestore/sitefile.h"

#include <cstddef>
#include <cstring>
#include <exception>
#include <string>

#include "shell/sitestore/scramble.h"
#include "shell/sitestore/storemessage.h"

const char kSiteFileFilter[] = "ZARN site files(*.sit)|*.sit|All files (*.*)|*.*||";
const char kSiteFileExtension[] = "sit";
const char kSiteFileDefaultName[] = "zarn";
const char kSiteFileDamagedText[] = "The site file is damaged; only the sites before the damage were imported.";

namespace {

struct RecordField {
    size_t offset;
    size_t width;
    int droppedBit;  // nonzero: a scrambled password
};

// The record text's fields in their order.
const RecordField kRecordFields[kSiteRecordFieldCount] = {
    {offsetof(SiteFields, SiteOptionDigits), kSiteDigitsLen, 0},
    {offsetof(SiteFields, m_host), kSiteHostLen, 0},
    {offsetof(SiteFields, m_name), kSiteNameLen, 0},
    {offsetof(SiteFields, m_user), kSiteUserLen, 0},
    {offsetof(SiteFields, m_password), kSitePasswordLen, SITEREC_PASSWORD_DROPPED},
    {offsetof(SiteFields, m_localFolder), kSitePathLen, 0},
    {offsetof(SiteFields, m_proxyHost), kSiteHostLen, 0},
    {offsetof(SiteFields, m_proxyUser), kSiteUserLen, 0},
    {offsetof(SiteFields, m_proxyPassword), kSitePasswordLen, SITEREC_PROXY_PASSWORD_DROPPED},
    {offsetof(SiteFields, m_note), kSitePathLen, 0},
    {offsetof(SiteFields, m_remoteFolder), kSitePathLen, 0},
};

// The eleven numbers in stored order, which is their order in the record.
void NumberFields(SiteFields& f, int32_t* (&out)[11])
{
    int32_t* const fields[11] = {&f.m_downloadLimit,   &f.m_uploadLimit, &f.m_connLimit,    &f.m_connectTimeout,
                                 &f.m_retryCount,      &f.m_retryDelay,  &f.m_idleInterval, &f.m_uploadTimeout,
                                 &f.m_downloadTimeout, &f.m_proxyPort,   &f.m_port};
    for (int i = 0; i < 11; ++i)
        out[i] = fields[i];
}

char* FieldAt(SiteFields& f, const RecordField& field)
{
    return reinterpret_cast<char*>(&f) + field.offset;
}

const char* FieldAt(const SiteFields& f, const RecordField& field)
{
    return reinterpret_cast<const char*>(&f) + field.offset;
}

}  // namespace

int FormatSiteRecord(const SiteFields& site, CString& text)
{
    std::string out;
    int dropped = 0;
    for (int k = 0; k < kSiteRecordFieldCount; ++k) {
        const RecordField& field = kRecordFields[k];
        const char* source = FieldAt(site, field);
        std::string value(source, strnlen(source, field.width - 1));
        if (field.droppedBit != 0) {
            value = ScramblePassword(value);
            // A CR would split the field and a leading FF would mark it empty.
            if (value.find(kSiteFieldSeparator) != std::string::npos ||
                (!value.empty() && value[0] == kSiteEmptyField)) {
                value.clear();
                dropped |= field.droppedBit;
            }
        }
        if (k > 0)
            out += kSiteFieldSeparator;
        if (value.empty())
            out += kSiteEmptyField;
        else
            out += value;
    }
    text = CString(out);
    return dropped;
}

bool ParseSiteRecord(SiteFields& record, const CString& text)
{
    const std::string s(text.GetString(), static_cast<size_t>(text.GetLength()));
    SiteFields parsed = record;
    for (const RecordField& field : kRecordFields)
        memset(FieldAt(parsed, field), 0, field.width);
    size_t pos = 0;
    for (int k = 0; k < kSiteRecordFieldCount; ++k) {
        size_t end = s.find(kSiteFieldSeparator, pos);
        if (end == std::string::npos)
            end = s.size();
        std::string value = s.substr(pos, end - pos);
        if (!value.empty() && value[0] == kSiteEmptyField)
            value.clear();
        const RecordField& field = kRecordFields[k];
        if (value.size() > field.width - 1)
            return false;
        if (field.droppedBit != 0)
            value = ScramblePassword(value);
        memcpy(FieldAt(parsed, field), value.data(), value.size());
        if (end == s.size())
            break;
        pos = end + 1;
    }
    record = parsed;
    return true;
}

bool CSiteTableTarget::IsSiteTableFull()
{
    return FindFreeSiteSlot(m_sites) < 0;
}

bool CSiteTableTarget::AddSiteRecord(SiteRecord& record)
{
    const int slot = AddSiteToTable(m_sites, m_nSites, record);
    record.m_pNewSite = slot >= 0 ? m_sites[slot] : nullptr;
    return slot >= 0;
}

void StoreSiteFile(CArchive& ar, const SiteTable& sites, SiteFileStoreResult* result)
{
    ar << static_cast<WORD>(CountSites(sites));
    for (CSiteItem* site : sites) {
        if (site == nullptr)
            continue;
        int32_t* numbers[11];
        NumberFields(*site, numbers);
        for (int32_t* number : numbers)
            ar << static_cast<WORD>(static_cast<uint32_t>(*number) & 0xFFFFu);
        CString text;
        const int dropped = FormatSiteRecord(*site, text);
        ar << text;
        if (result != nullptr) {
            ++result->nStored;
            if (dropped != 0)
                result->passwordDropped.push_back(CString(site->m_name));
        }
    }
}

void LoadSiteFile(CArchive& ar, CSiteFileTarget& target, SiteFileLoadResult& result)
{
    WORD count = 0;
    ar >> count;
    for (UINT i = 0; i < count; ++i) {
        if (target.IsSiteTableFull()) {
            result.bLimitReached = true;
            return;
        }
        SiteRecord record;
        memset(&record, 0, sizeof(record));
        int32_t* numbers[11];
        NumberFields(record, numbers);
        for (int32_t* number : numbers) {
            WORD value = 0;
            ar >> value;
            *number = value;
        }
        CString text;
        ar >> text;
        ++result.nRecords;
        if (!ParseSiteRecord(record, text)) {
            ++result.nOverlong;
            continue;
        }
        if (target.AddSiteRecord(record))
            ++result.nAdded;
        else
            ++result.nRefused;
    }
}

SiteImportResult ImportSitesFromFile(const char* path, CSiteFileTarget& target)
{
    SiteImportResult result;
    CFile file;
    CFileException error;
    if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite, &error)) {
        ShowSiteStoreMessage(SITEBOX_ERROR, error.GetErrorMessage());
        return result;
    }
    result.bOpened = true;
    {
        CArchive ar(&file, CArchive::load, kSiteFileBufferSize);
        try {
            LoadSiteFile(ar, target, result);
            ar.Close();
        } catch (CException* e) {
            e->Delete();
            ar.Abort();
            result.bDamaged = true;
        } catch (const std::exception&) {
            // Out of memory for a length the file does hold: no better than damage.
            ar.Abort();
            result.bDamaged = true;
        }
    }
    file.Abort();
    if (result.bDamaged)
        ShowSiteStoreMessage(SITEBOX_ERROR, kSiteFileDamagedText);
    return result;
}

BOOL ExportSitesToFile(const char* path, const SiteTable& sites)
{
    CFile file;
    CFileException openError;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &openError)) {
        ShowSiteStoreMessage(SITEBOX_ERROR, openError.GetErrorMessage());
        return FALSE;
    }
    SiteFileStoreResult stored;
    CString failure;
    bool failed = false;
    {
        CArchive ar(&file, CArchive::store, kSiteFileBufferSize);
        try {
            StoreSiteFile(ar, sites, &stored);
            ar.Close();
            file.Close();
        } catch (CException* e) {
            failure = e->GetErrorMessage();
            e->Delete();
            ar.Abort();
            failed = true;
        }
    }
    if (failed) {
        file.Abort();
        // A half-written file would import as damaged: leave none.
        try {
            CFile::Remove(path);
        } catch (CException* e) {
            e->Delete();
        }
        ShowSiteStoreMessage(SITEBOX_ERROR, failure);
        return FALSE;
    }
    if (!stored.passwordDropped.empty())
        ShowSiteStoreMessage(SITEBOX_ERROR, FormatPasswordDroppedText(stored.passwordDropped));
    return TRUE;
}

CString FormatPasswordDroppedText(const std::vector<CString>& names)
{
    CString text("The passwords of these sites can't be stored in a site file and were exported empty:");
    for (size_t i = 0; i < names.size(); ++i) {
        text += i == 0 ? " \"" : ", \"";
        text += names[i];
        text += "\"";
    }
    return text;
}
