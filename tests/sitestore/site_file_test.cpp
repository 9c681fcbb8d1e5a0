// The site file: its exact bytes, reading them back, damaged and hostile
// files; the site-name rules, the table helpers and password scrambling.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "shell/sitestore/scramble.h"
#include "shell/sitestore/sitefile.h"
#include "shell/sitestore/sitename.h"
#include "shell/sitestore/sitetable.h"
#include "shell/sitestore/storemessage.h"

namespace fs = std::filesystem;

namespace {

typedef std::vector<uint8_t> Bytes;

std::vector<std::pair<int, std::string>> g_messages;

void RecordMessage(int box, const char* text, const char*)
{
    g_messages.emplace_back(box, text);
}

void Word(Bytes& b, uint16_t w)
{
    b.push_back(static_cast<uint8_t>(w & 0xFF));
    b.push_back(static_cast<uint8_t>(w >> 8));
}

void Raw(Bytes& b, const std::string& s)
{
    b.insert(b.end(), s.begin(), s.end());
}

void Numbers(Bytes& b, std::initializer_list<uint16_t> words)
{
    for (uint16_t w : words)
        Word(b, w);
}

// An archive string in its short form (texts below 255 bytes) or 16-bit form.
void Text(Bytes& b, const std::string& s)
{
    if (s.size() < 255) {
        b.push_back(static_cast<uint8_t>(s.size()));
    } else {
        b.push_back(0xFF);
        Word(b, static_cast<uint16_t>(s.size()));
    }
    Raw(b, s);
}

std::string JoinFields(const std::vector<std::string>& fields)
{
    std::string text;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += '\r';
        text += fields[i];
    }
    return text;
}

// A record of default numbers with the given record text.
void Record(Bytes& b, const std::string& text)
{
    Numbers(b, {0, 0, 200, 0, 0, 0, 0, 0, 0, 1080, 21});
    Text(b, text);
}

std::string NamedRecordText(const std::string& name)
{
    return JoinFields({"0120200100", "host", name, "\x0C", "\x0C", "\x0C", "\x0C", "\x0C", "\x0C", "\x0C", "/"});
}

// Site A: a number above 65535, an empty password, a text below 255 bytes.
const std::string kTextA =
    "0120200100\rftp.example.org\rAlpha\ranonymous\r\x0C\rC:\\dl\r\x0C\r\x0C\r\x0C\r\x0C\r/pub";
// Site B: scrambled passwords ("pw" and "x"), a text above 255 bytes.
const std::string kTextB = "1011010121\r10.0.0.2\rBeta\rbob\r\xD7\xD0\r" + std::string(200, 'L') +
                           "\rproxy\rpu\r\xDF\rnote\r/home/bob";

Bytes GoldenFile()
{
    Bytes b;
    Word(b, 2);
    Numbers(b, {0x1170 /* 70000 */, 5, 200, 30, 3, 10, 60, 0, 0, 1080, 21});
    b.push_back(static_cast<uint8_t>(kTextA.size()));
    Raw(b, kTextA);
    Numbers(b, {1, 2, 3, 40, 5, 6, 70, 80, 90, 8080, 2121});
    b.push_back(0xFF);
    Word(b, static_cast<uint16_t>(kTextB.size()));
    Raw(b, kTextB);
    return b;
}

void FillSiteA(SiteFields& f)
{
    InitSiteFields(f);
    f.m_downloadLimit = 70000;
    f.m_uploadLimit = 5;
    f.m_connLimit = 200;
    f.m_connectTimeout = 30;
    f.m_retryCount = 3;
    f.m_retryDelay = 10;
    f.m_idleInterval = 60;
    CopySiteText(f.m_host, "ftp.example.org");
    CopySiteText(f.m_name, "Alpha");
    CopySiteText(f.m_user, "anonymous");
    CopySiteText(f.m_localFolder, "C:\\dl");
    CopySiteText(f.m_remoteFolder, "/pub");
}

void FillSiteB(SiteFields& f)
{
    InitSiteFields(f);
    const int32_t numbers[11] = {1, 2, 3, 40, 5, 6, 70, 80, 90, 8080, 2121};
    int32_t* fields[11] = {&f.m_downloadLimit, &f.m_uploadLimit,     &f.m_connLimit,     &f.m_connectTimeout,
                           &f.m_retryCount,    &f.m_retryDelay,      &f.m_idleInterval,  &f.m_uploadTimeout,
                           &f.m_downloadTimeout, &f.m_proxyPort,     &f.m_port};
    for (int i = 0; i < 11; ++i)
        *fields[i] = numbers[i];
    CopySiteText(f.SiteOptionDigits, "1011010121");
    CopySiteText(f.m_host, "10.0.0.2");
    CopySiteText(f.m_name, "Beta");
    CopySiteText(f.m_user, "bob");
    CopySiteText(f.m_password, "pw");
    CopySiteText(f.m_localFolder, std::string(200, 'L').c_str());
    CopySiteText(f.m_proxyHost, "proxy");
    CopySiteText(f.m_proxyUser, "pu");
    CopySiteText(f.m_proxyPassword, "x");
    CopySiteText(f.m_note, "note");
    CopySiteText(f.m_remoteFolder, "/home/bob");
}

void ExpectSameFields(const SiteFields& a, const SiteFields& b)
{
    EXPECT_EQ(a.m_downloadLimit, b.m_downloadLimit);
    EXPECT_EQ(a.m_uploadLimit, b.m_uploadLimit);
    EXPECT_EQ(a.m_connLimit, b.m_connLimit);
    EXPECT_EQ(a.m_connectTimeout, b.m_connectTimeout);
    EXPECT_EQ(a.m_retryCount, b.m_retryCount);
    EXPECT_EQ(a.m_retryDelay, b.m_retryDelay);
    EXPECT_EQ(a.m_idleInterval, b.m_idleInterval);
    EXPECT_EQ(a.m_uploadTimeout, b.m_uploadTimeout);
    EXPECT_EQ(a.m_downloadTimeout, b.m_downloadTimeout);
    EXPECT_EQ(a.m_proxyPort, b.m_proxyPort);
    EXPECT_EQ(a.m_port, b.m_port);
    EXPECT_STREQ(a.SiteOptionDigits, b.SiteOptionDigits);
    EXPECT_STREQ(a.m_host, b.m_host);
    EXPECT_STREQ(a.m_name, b.m_name);
    EXPECT_STREQ(a.m_user, b.m_user);
    EXPECT_STREQ(a.m_password, b.m_password);
    EXPECT_STREQ(a.m_localFolder, b.m_localFolder);
    EXPECT_STREQ(a.m_proxyHost, b.m_proxyHost);
    EXPECT_STREQ(a.m_proxyUser, b.m_proxyUser);
    EXPECT_STREQ(a.m_proxyPassword, b.m_proxyPassword);
    EXPECT_STREQ(a.m_note, b.m_note);
    EXPECT_STREQ(a.m_remoteFolder, b.m_remoteFolder);
}

class SiteFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> serial{0};
        g_messages.clear();
        m_previousHook = SetSiteStoreMessageHook(RecordMessage);
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_dir = fs::temp_directory_path() /
                ("zarn-sitefile-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        fs::create_directories(m_dir);
    }

    void TearDown() override
    {
        ClearTable();
        SetSiteStoreMessageHook(m_previousHook);
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
    }

    void ClearTable()
    {
        for (CSiteItem*& site : m_sites) {
            delete site;
            site = nullptr;
        }
        m_nSites = 0;
    }

    std::string PathOf(const char* name) const { return (m_dir / name).string(); }

    void WriteBytes(const std::string& path, const Bytes& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    Bytes ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    SiteImportResult Import(const Bytes& bytes)
    {
        const std::string path = PathOf("in.sit");
        WriteBytes(path, bytes);
        CSiteTableTarget target(m_sites, m_nSites);
        return ImportSitesFromFile(path.c_str(), target);
    }

    CSiteItem* AddNamed(const char* name, int slot = -1)
    {
        SiteFields f;
        InitSiteFields(f);
        CopySiteText(f.m_name, name);
        return AddFields(f, slot);
    }

    // Into the given slot (leaving holes before it), or the first free one.
    CSiteItem* AddFields(const SiteFields& f, int slot = -1)
    {
        if (slot < 0) {
            const int added = AddSiteToTable(m_sites, m_nSites, f);
            return added >= 0 ? m_sites[added] : nullptr;
        }
        CSiteItem* site = new CSiteItem;
        static_cast<SiteFields&>(*site) = f;
        m_sites[slot] = site;
        ++m_nSites;
        return site;
    }

    CSiteItem* Find(const char* name)
    {
        for (CSiteItem* site : m_sites) {
            if (site != nullptr && strcmp(site->m_name, name) == 0)
                return site;
        }
        return nullptr;
    }

    SiteTable m_sites = {};
    UINT m_nSites = 0;
    fs::path m_dir;
    SiteStoreMessageFn m_previousHook = nullptr;
};

TEST_F(SiteFileTest, ExportWritesTheGoldenBytesAndImportReadsThemBack)
{
    SiteFields a;
    SiteFields b;
    FillSiteA(a);
    FillSiteB(b);
    // One record per occupied slot, in slot order: holes are not written.
    AddFields(a, 3);
    AddFields(b, 150);
    const std::string path = PathOf("out.sit");
    ASSERT_TRUE(ExportSitesToFile(path.c_str(), m_sites));
    EXPECT_EQ(ReadBytes(path), GoldenFile());
    EXPECT_TRUE(g_messages.empty());

    ClearTable();
    const SiteImportResult result = Import(GoldenFile());
    EXPECT_TRUE(result.bOpened);
    EXPECT_FALSE(result.bDamaged);
    EXPECT_EQ(result.nAdded, 2u);
    EXPECT_EQ(m_nSites, 2u);
    ASSERT_NE(m_sites[0], nullptr);
    ASSERT_NE(m_sites[1], nullptr);
    a.m_downloadLimit = 70000 & 0xFFFF;  // only the low half is stored
    ExpectSameFields(*m_sites[0], a);
    ExpectSameFields(*m_sites[1], b);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteFileTest, NumbersAreStoredAsTheirLowHalfAndReadBackZeroExtended)
{
    SiteFields f;
    InitSiteFields(f);
    CopySiteText(f.m_name, "Numbers");
    f.m_port = -1;
    f.m_proxyPort = 0x12345678;
    AddFields(f);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        StoreSiteFile(ar, m_sites);
        ar.Close();
    }
    const BYTE* p = file.GetBufferPtr();
    EXPECT_EQ(p[2 + 18] | (p[2 + 19] << 8), 0x5678);
    EXPECT_EQ(p[2 + 20] | (p[2 + 21] << 8), 0xFFFF);

    ClearTable();
    file.SeekToBegin();
    CArchive ar(&file, CArchive::load);
    CSiteTableTarget target(m_sites, m_nSites);
    SiteFileLoadResult result;
    LoadSiteFile(ar, target, result);
    ASSERT_NE(m_sites[0], nullptr);
    EXPECT_EQ(m_sites[0]->m_port, 0xFFFF);
    EXPECT_EQ(m_sites[0]->m_proxyPort, 0x5678);
}

TEST_F(SiteFileTest, PasswordsAreScrambledByLength)
{
    char scrambled[8];
    EXPECT_EQ(ScramblePassword(scrambled, "\xA7", 1), 1u);
    EXPECT_EQ(scrambled[0], '\0');  // the key itself becomes a zero byte
    EXPECT_EQ(ScramblePassword(scrambled, "", 0), 0u);
    EXPECT_EQ(ScramblePassword(scrambled, sizeof(scrambled), "0123456789"), 7u);  // cut to the room
    EXPECT_EQ(ScramblePassword(ScramblePassword(std::string("a\xA7" "b\xFF", 4))), std::string("a\xA7" "b\xFF", 4));

    SiteFields f;
    InitSiteFields(f);
    CopySiteText(f.m_name, "Keyed");
    CopySiteText(f.m_password, "a\xA7" "b");
    CopySiteText(f.m_proxyPassword, "\xA7\xA7");
    CopySiteText(f.m_user, "after");
    CString text;
    EXPECT_EQ(FormatSiteRecord(f, text), 0);
    EXPECT_EQ(std::string(text.GetString(), text.GetLength()),
              std::string("0120200100\r\x0C\rKeyed\rafter\r\xC6\0\xC5\r\x0C\r\x0C\r\x0C\r\0\0\r\x0C\r/", 41));

    SiteFields back;
    InitSiteFields(back);
    ASSERT_TRUE(ParseSiteRecord(back, text));
    EXPECT_STREQ(back.m_password, "a\xA7" "b");
    EXPECT_STREQ(back.m_proxyPassword, "\xA7\xA7");
    EXPECT_STREQ(back.m_user, "after");
}

TEST_F(SiteFileTest, PasswordsTheFileCannotCarryAreExportedEmptyWithAWarning)
{
    SiteFields f;
    InitSiteFields(f);
    CopySiteText(f.m_name, "Gamma");
    CopySiteText(f.m_user, "gu");
    CopySiteText(f.m_password, "p\xAA" "q");   // scrambles to a CR
    CopySiteText(f.m_proxyPassword, "\xAB" "c");  // scrambles to a leading FF
    CopySiteText(f.m_note, "kept");
    AddFields(f);
    InitSiteFields(f);
    CopySiteText(f.m_name, "Delta");
    CopySiteText(f.m_password, "x\xAB" "y");  // an FF inside a field is read back whole
    AddFields(f);

    const std::string path = PathOf("out.sit");
    ASSERT_TRUE(ExportSitesToFile(path.c_str(), m_sites));
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_EQ(g_messages[0].first, SITEBOX_ERROR);
    EXPECT_NE(g_messages[0].second.find("\"Gamma\""), std::string::npos);
    EXPECT_EQ(g_messages[0].second.find("Delta"), std::string::npos);

    ClearTable();
    g_messages.clear();
    const SiteImportResult result = Import(ReadBytes(path));
    EXPECT_EQ(result.nAdded, 2u);
    CSiteItem* gamma = Find("Gamma");
    CSiteItem* delta = Find("Delta");
    ASSERT_NE(gamma, nullptr);
    ASSERT_NE(delta, nullptr);
    EXPECT_STREQ(gamma->m_password, "");
    EXPECT_STREQ(gamma->m_proxyPassword, "");
    EXPECT_STREQ(gamma->m_user, "gu");  // nothing shifted
    EXPECT_STREQ(gamma->m_note, "kept");
    EXPECT_STREQ(delta->m_password, "x\xAB" "y");
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteFileTest, TruncatedFilesKeepTheSitesBeforeTheDamage)
{
    const Bytes golden = GoldenFile();
    const size_t endOfA = 2 + 22 + 1 + kTextA.size();
    for (size_t cut = 0; cut < golden.size(); ++cut) {
        ClearTable();
        g_messages.clear();
        const SiteImportResult result = Import(Bytes(golden.begin(), golden.begin() + cut));
        EXPECT_TRUE(result.bDamaged) << cut;
        EXPECT_EQ(m_nSites, cut >= endOfA ? 1u : 0u) << cut;
        EXPECT_EQ(CountSites(m_sites), m_nSites);
        ASSERT_EQ(g_messages.size(), 1u) << cut;
        EXPECT_EQ(g_messages[0].second, kSiteFileDamagedText);
    }
}

TEST_F(SiteFileTest, HugeStringClaimsAreDamageWithoutAllocating)
{
    const uint32_t claims[] = {0x7FFFFFF0u, 0xFFFFFFFFu, 0x80000000u};
    for (uint32_t claim : claims) {
        ClearTable();
        g_messages.clear();
        Bytes b;
        Word(b, 2);
        Record(b, NamedRecordText("First"));
        Numbers(b, {0, 0, 200, 0, 0, 0, 0, 0, 0, 1080, 21});
        b.push_back(0xFF);
        Word(b, 0xFFFF);
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<uint8_t>(claim >> (8 * i)));
        Raw(b, "short");
        const SiteImportResult result = Import(b);
        EXPECT_TRUE(result.bDamaged);
        EXPECT_EQ(m_nSites, 1u);
        EXPECT_NE(Find("First"), nullptr);
        ASSERT_EQ(g_messages.size(), 1u);
        EXPECT_EQ(g_messages[0].second, kSiteFileDamagedText);
    }
    // A 16-bit length beyond the end, and a record count beyond the records.
    ClearTable();
    Bytes b;
    Word(b, 1);
    Numbers(b, {0, 0, 200, 0, 0, 0, 0, 0, 0, 1080, 21});
    b.push_back(0xFF);
    Word(b, 0x1000);
    Raw(b, "0120200100");
    EXPECT_TRUE(Import(b).bDamaged);
    Bytes c;
    Word(c, 40000);
    Record(c, NamedRecordText("Only"));
    EXPECT_TRUE(Import(c).bDamaged);
    EXPECT_NE(Find("Only"), nullptr);
}

TEST_F(SiteFileTest, AStringInTheLongLengthFormLoads)
{
    Bytes b;
    Word(b, 1);
    Numbers(b, {0, 0, 200, 0, 0, 0, 0, 0, 0, 1080, 21});
    const std::string text = NamedRecordText("Long");
    b.push_back(0xFF);
    Word(b, 0xFFFF);
    const uint32_t n = static_cast<uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(n >> (8 * i)));
    Raw(b, text);
    const SiteImportResult result = Import(b);
    EXPECT_FALSE(result.bDamaged);
    EXPECT_NE(Find("Long"), nullptr);
}

TEST_F(SiteFileTest, ARecordWithAnOverLongFieldIsSkippedWhole)
{
    const size_t widths[kSiteRecordFieldCount] = {10, 49, 49, 63, 63, 259, 49, 63, 63, 259, 259};
    for (int k = 0; k < kSiteRecordFieldCount; ++k) {
        ClearTable();
        g_messages.clear();
        std::vector<std::string> full = {"0120200100", "h", "Full" + std::to_string(k), "u", "p", "l",
                                         "ph", "pu", "pp", "n", "/r"};
        std::vector<std::string> over = full;
        over[2] = "Over" + std::to_string(k);
        full[k] = std::string(widths[k], k == 0 ? '1' : 'f');
        over[k] = std::string(widths[k] + 1, k == 0 ? '1' : 'o');
        if (k == 2) {
            full[2] = std::string(49, 'F');
            over[2] = std::string(50, 'O');
        }
        Bytes b;
        Word(b, 3);
        Record(b, JoinFields(over));
        Record(b, JoinFields(full));
        Record(b, NamedRecordText("After" + std::to_string(k)));
        const SiteImportResult result = Import(b);
        EXPECT_FALSE(result.bDamaged) << k;
        EXPECT_EQ(result.nOverlong, 1u) << k;
        EXPECT_EQ(result.nAdded, 2u) << k;
        EXPECT_TRUE(g_messages.empty()) << k;
        EXPECT_EQ(m_nSites, 2u) << k;
        ASSERT_NE(m_sites[0], nullptr);
        // The field at its full width arrives whole.
        const char* fields[kSiteRecordFieldCount] = {
            m_sites[0]->SiteOptionDigits, m_sites[0]->m_host,      m_sites[0]->m_name,
            m_sites[0]->m_user,           m_sites[0]->m_password,  m_sites[0]->m_localFolder,
            m_sites[0]->m_proxyHost,      m_sites[0]->m_proxyUser, m_sites[0]->m_proxyPassword,
            m_sites[0]->m_note,           m_sites[0]->m_remoteFolder};
        EXPECT_EQ(strlen(fields[k]), widths[k]) << k;
    }
}

TEST_F(SiteFileTest, RefusedNamesAreSkippedSilently)
{
    AddNamed("Alpha")->m_port = 2100;  // already in the table: stays as it is
    Bytes b;
    const char* names[] = {"", "..", "a\\b", "CON", "Foo", "foo", "alpha", "Good"};
    Word(b, static_cast<uint16_t>(sizeof(names) / sizeof(names[0])));
    for (const char* name : names)
        Record(b, NamedRecordText(name));
    const SiteImportResult result = Import(b);
    EXPECT_FALSE(result.bDamaged);
    EXPECT_EQ(result.nAdded, 2u);
    EXPECT_EQ(result.nRefused, 6u);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(m_nSites, 3u);
    EXPECT_NE(Find("Foo"), nullptr);
    EXPECT_NE(Find("Good"), nullptr);
    EXPECT_EQ(Find("Alpha")->m_port, 2100);
}

TEST_F(SiteFileTest, ImportStopsAtTwoHundredSites)
{
    for (int i = 0; i < 10; ++i)
        AddNamed(("Old" + std::to_string(i)).c_str());
    Bytes b;
    Word(b, 250);
    for (int i = 0; i < 250; ++i)
        Record(b, NamedRecordText("S" + std::to_string(i)));
    const SiteImportResult result = Import(b);
    EXPECT_FALSE(result.bDamaged);
    EXPECT_TRUE(result.bLimitReached);
    EXPECT_EQ(result.nAdded, 190u);
    EXPECT_EQ(m_nSites, 200u);
    EXPECT_EQ(CountSites(m_sites), 200u);
    EXPECT_NE(Find("S189"), nullptr);
    EXPECT_EQ(Find("S190"), nullptr);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteFileTest, AnEmptyFileOfNoRecordsChangesNothing)
{
    AddNamed("Kept");
    Bytes b;
    Word(b, 0);
    Raw(b, "trailing bytes are not read");
    const SiteImportResult result = Import(b);
    EXPECT_FALSE(result.bDamaged);
    EXPECT_EQ(result.nRecords, 0u);
    EXPECT_EQ(m_nSites, 1u);
    EXPECT_TRUE(g_messages.empty());
}

TEST_F(SiteFileTest, FilesThatCannotBeOpenedOrWrittenAreTold)
{
    CSiteTableTarget target(m_sites, m_nSites);
    const SiteImportResult result = ImportSitesFromFile(PathOf("missing.sit").c_str(), target);
    EXPECT_FALSE(result.bOpened);
    ASSERT_EQ(g_messages.size(), 1u);
    EXPECT_NE(g_messages[0].second.find("missing.sit"), std::string::npos);

    g_messages.clear();
    AddNamed("One");
    const std::string nowhere = (m_dir / "no-such-folder" / "out.sit").string();
    EXPECT_FALSE(ExportSitesToFile(nowhere.c_str(), m_sites));
    EXPECT_EQ(g_messages.size(), 1u);
    EXPECT_FALSE(fs::exists(nowhere));
}

TEST(SiteRecordText, FieldsSplitAtEveryCrAndExtraFieldsAreIgnored)
{
    SiteFields f;
    InitSiteFields(f);
    // A CR inside the remarks shifts the remote folder (the format has no escape).
    ASSERT_TRUE(ParseSiteRecord(f, CString("0120200100\rh\rn\ru\r\x0C\rl\rph\rpu\r\x0C\rline1\rline2\rextra")));
    EXPECT_STREQ(f.m_note, "line1");
    EXPECT_STREQ(f.m_remoteFolder, "line2");
    EXPECT_EQ(f.m_port, 21);  // numbers are not the text's

    // Fields the text lacks are empty.
    ASSERT_TRUE(ParseSiteRecord(f, CString("0120200100\rhost")));
    EXPECT_STREQ(f.m_host, "host");
    EXPECT_STREQ(f.m_name, "");
    EXPECT_STREQ(f.m_remoteFolder, "");

    // A refused text leaves the record as it was.
    ASSERT_FALSE(ParseSiteRecord(f, CString(("0120200100\r" + std::string(50, 'h')).c_str())));
    EXPECT_STREQ(f.m_host, "host");
}

TEST(SiteName, FormRules)
{
    const char* good[] = {"a", "Foo", "ftp.example.org", " lead", "a b", "CONSOLE", "COM0", "LPT10", "con-site"};
    for (const char* name : good)
        EXPECT_TRUE(IsValidSiteName(name)) << name;
    EXPECT_TRUE(IsValidSiteName(std::string(49, 'x').c_str()));

    const char* bad[] = {"",      " ",     "   ",     ".",    "..",      "a\\b",  "a/b",   "c:",
                         "a*",    "a?",    "a\"b",    "a<b",  "a>b",     "a|b",   "tab\t", "bell\x07",
                         "del\x7F", "end ", "end.",   "CON",  "con",     "Nul.txt", "aux .x", "COM1",
                         "lpt9",  "PRN",   "CONIN$",  "conout$"};
    for (const char* name : bad)
        EXPECT_FALSE(IsValidSiteName(name)) << name;
    EXPECT_FALSE(IsValidSiteName(std::string(50, 'x').c_str()));
    EXPECT_FALSE(IsValidSiteName(nullptr));

    EXPECT_STREQ(kInvalidSiteNameText,
                 "Invalid site name. It can't be empty, \".\" or \"..\", end in a blank or dot, or contain \\ / : * ? \" < > |");
}

TEST(SiteName, DoubleByteTrailBytesAreNotSeparators)
{
    FwSetCodePage(936);
    // GBK characters whose trail bytes are "\" and "|".
    EXPECT_TRUE(IsValidSiteName("\xD5\x5C\xB0\x7C"));
    EXPECT_TRUE(IsSiteSubkeyName("\xD5\x5C"));
    EXPECT_FALSE(IsValidSiteName("\xD5\x5C\\"));
    FwSetCodePage(0);
}

TEST(SiteTable, NamesAreUniqueIgnoringCaseOverAllSlots)
{
    SiteTable sites = {};
    CSiteItem high;
    CopySiteText(high.m_name, "Foo");
    sites[199] = &high;  // above any number of holes
    EXPECT_TRUE(IsSiteNameTaken(sites, "foo"));
    EXPECT_TRUE(IsSiteNameTaken(sites, "FOO"));
    EXPECT_FALSE(IsSiteNameAcceptable(sites, "fOo"));
    EXPECT_FALSE(IsSiteNameTaken(sites, "foo", 199));  // renaming the site itself
    EXPECT_TRUE(IsSiteNameAcceptable(sites, "FOO", 199));
    EXPECT_TRUE(IsSiteNameAcceptable(sites, "Bar"));
    EXPECT_FALSE(IsSiteNameAcceptable(sites, "Bar."));
    sites[199] = nullptr;
}

TEST(SiteTable, AddFillsTheFirstHoleAndStopsAtTwoHundred)
{
    SiteTable sites = {};
    UINT n = 0;
    SiteFields f;
    InitSiteFields(f);
    for (int i = 0; i < 10; ++i) {
        CopySiteText(f.m_name, ("s" + std::to_string(i)).c_str());
        EXPECT_EQ(AddSiteToTable(sites, n, f), i);
    }
    delete sites[5];
    sites[5] = nullptr;
    --n;
    CopySiteText(f.m_name, "new");
    EXPECT_EQ(AddSiteToTable(sites, n, f), 5);
    CopySiteText(f.m_name, "NEW");
    EXPECT_EQ(AddSiteToTable(sites, n, f), ADDSITE_BAD_NAME);
    memset(f.m_name, 'x', sizeof(f.m_name));  // unterminated
    EXPECT_EQ(AddSiteToTable(sites, n, f), ADDSITE_BAD_NAME);
    for (int i = 10; i < MAX_SITES; ++i) {
        CopySiteText(f.m_name, ("s" + std::to_string(i)).c_str());
        ASSERT_EQ(AddSiteToTable(sites, n, f), i);
    }
    EXPECT_EQ(n, 200u);
    CopySiteText(f.m_name, "one-more");
    EXPECT_EQ(AddSiteToTable(sites, n, f), ADDSITE_TABLE_FULL);
    EXPECT_EQ(n, 200u);
    EXPECT_STREQ(kSitesLimitText, "Exceeds 200 sites number limit");
    for (CSiteItem*& site : sites) {
        delete site;
        site = nullptr;
    }
}

TEST(SiteName, CacheFolderIsSetOnlyForGoodNamesThatFit)
{
    char out[kSiteCacheFolderLen];
    EXPECT_TRUE(BuildSiteCacheFolder("C:\\zarn\\cache\\", "Site", out));
    EXPECT_STREQ(out, "C:\\zarn\\cache\\Site\\");
    EXPECT_FALSE(BuildSiteCacheFolder("C:\\zarn\\cache\\", "..", out));
    EXPECT_STREQ(out, "");
    const std::string root = "C:\\" + std::string(220, 'r') + "\\";
    EXPECT_FALSE(BuildSiteCacheFolder(root.c_str(), std::string(40, 's').c_str(), out));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(BuildSiteCacheFolder(root.c_str(), std::string(38, 's').c_str(), out));
}

}  // namespace
