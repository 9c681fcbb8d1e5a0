// The document's site table: the 200-site limit, holes, the name check, the
// boxes of Delete and Remove All, renaming, the clipboard, and start-up.
#include "shell/doc/zarndoc.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/dragpayload.h"
#include "engine/engineres.h"
#include "shell/doc/pinglink.h"
#include "shell/doc/sitemanagerlink.h"
#include "shell/settings/settings.h"
#include "shell/sitestore/sitename.h"
#include "tests/doc/docfix.h"
#include "tests/support/tempfolder.h"
#include "toolkit/clipboard.h"

using namespace doctest;

namespace {

const char kStorePath[] = "SOFTWARE\\ZARN\\ZARNSITE";

std::string g_appFolder;

bool KeyExists(const std::string& subkey)
{
  const std::string path = subkey.empty() ? std::string(kStorePath) : std::string(kStorePath) + "\\" + subkey;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

bool FolderExists(const std::string& path)
{
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A fresh store and program folder, and a document started on them.
std::unique_ptr<CZarnDoc> NewDoc()
{
  SHDeleteKeyA(HKEY_CURRENT_USER, kStorePath);
  ResetSettingsDefaults();
  if (g_appFolder.empty()) {
    g_appFolder = testsupport::TempFolder("zarn-doc");
  }
  lstrcpynA(g_appPath, g_appFolder.c_str(), (int)sizeof(g_appPath));  // no "\": the document adds it
  g_downloadPath[0] = '\0';
  RecordBoxes();
  auto doc = std::make_unique<CZarnDoc>();
  EXPECT_TRUE(doc->OnNewDocument());
  return doc;
}

SiteRecord Record(const char* name)
{
  SiteRecord r;
  memset(&r, 0, sizeof(r));
  CopySiteText(r.m_name, name);
  CopySiteText(r.m_host, "127.0.0.1");
  CopySiteText(r.m_user, "anonymous");
  memcpy(r.SiteOptionDigits, "0000000000", sizeof(r.SiteOptionDigits));
  r.m_port = 21;
  r.m_proxyPort = 1080;
  return r;
}

CSiteItem* Add(CZarnDoc& doc, const char* name)
{
  SiteRecord r = Record(name);
  CSiteItem* site = doc.AddSite(&r);
  if (site != nullptr) {
    EXPECT_EQ(r.m_pNewSite, site);
  }
  return site;
}

int SlotOf(CZarnDoc& doc, const char* name)
{
  for (int i = 0; i < MAX_SITES; ++i)
    if (doc.m_sites[i] != nullptr && strcmp(doc.m_sites[i]->m_name, name) == 0)
      return i;
  return -1;
}

TEST(SiteTable, StartUpStoresTheDefaultSiteAndMakesTheFolders)
{
  auto doc = NewDoc();
  EXPECT_EQ(g_pDoc, doc.get());
  ASSERT_NE(doc->m_sites[0], nullptr);
  EXPECT_EQ(doc->m_nSites, 1u);
  EXPECT_EQ(doc->m_sites[0]->SiteOptionDigits[1], '1') << "the default site logs in anonymously";
  EXPECT_TRUE(KeyExists(doc->m_sites[0]->m_name));
  EXPECT_EQ(std::string(g_downloadPath), g_appFolder + "\\download");
  EXPECT_TRUE(FolderExists(g_downloadPath));
  const std::string cache = g_appFolder + "\\cache\\" + doc->m_sites[0]->m_name + "\\";
  EXPECT_EQ(std::string(doc->m_sites[0]->m_cacheFolder), cache);
  EXPECT_TRUE(FolderExists(cache));

  // A second start loads what the first stored.
  ASSERT_NE(Add(*doc, "second"), nullptr);
  doc.reset();
  auto again = std::make_unique<CZarnDoc>();
  ASSERT_TRUE(again->OnNewDocument());
  EXPECT_EQ(again->m_nSites, 2u);
  EXPECT_GE(SlotOf(*again, "second"), 0);
}

TEST(SiteTable, TwoHundredSitesThenAddChangesNothing)
{
  auto doc = NewDoc();
  char name[32];
  for (int i = 1; i < MAX_SITES; ++i) {
    snprintf(name, sizeof(name), "site%03d", i);
    ASSERT_NE(Add(*doc, name), nullptr) << name;
  }
  EXPECT_EQ(doc->m_nSites, 200u);
  EXPECT_TRUE(g_boxes.empty());
  SiteRecord r = Record("one too many");
  EXPECT_EQ(doc->AddSite(&r), nullptr);
  EXPECT_EQ(r.m_pNewSite, nullptr);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "Exceeds 200 sites number limit");
  EXPECT_EQ(g_boxes[0].mode, -1);
  EXPECT_EQ(doc->m_nSites, 200u);
  EXPECT_FALSE(KeyExists("one too many"));
  EXPECT_EQ(SlotOf(*doc, "one too many"), -1);
}

TEST(SiteTable, ADeletedSiteLeavesAHoleTheNextAddFills)
{
  auto doc = NewDoc();
  char name[32];
  for (int i = 1; i < 10; ++i) {
    snprintf(name, sizeof(name), "s%d", i);
    ASSERT_NE(Add(*doc, name), nullptr);
  }
  ASSERT_EQ(doc->m_nSites, 10u);
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_SITE);
  EXPECT_TRUE(doc->DeleteSite(5));
  EXPECT_EQ(doc->m_sites[5], nullptr);
  EXPECT_EQ(doc->m_nSites, 9u);
  EXPECT_FALSE(KeyExists("s5"));
  EXPECT_NE(doc->m_sites[6], nullptr) << "slots are not compacted";
  EXPECT_TRUE(KeyExists("s6"));

  // The name is free again, in any case; a site above the hole still counts.
  EXPECT_EQ(Add(*doc, "S9"), nullptr) << "s9 sits above the hole";
  CSiteItem* refill = Add(*doc, "S5");
  ASSERT_NE(refill, nullptr);
  EXPECT_EQ(doc->m_sites[5], refill);
  EXPECT_EQ(doc->m_nSites, 10u);
  EXPECT_TRUE(g_boxes.empty());
}

TEST(SiteTable, RefusedNamesChangeNothing)
{
  auto doc = NewDoc();
  ASSERT_NE(Add(*doc, "foo"), nullptr);
  const UINT before = doc->m_nSites;
  for (const char* bad : {"", "   ", ".", "..", "a\\b", "a/b", "CON", "nul.txt", "Foo", "FOO", "dot.", "blank ",
                          "q?", "a|b", "tab\there", "a:b", "COM1"}) {
    EXPECT_EQ(Add(*doc, bad), nullptr) << "'" << bad << "'";
  }
  EXPECT_EQ(doc->m_nSites, before);
  EXPECT_FALSE(KeyExists("a")) << "\"a\\b\" nested a key";
  // The store itself is still there with its sites.
  EXPECT_TRUE(KeyExists("foo"));
  EXPECT_TRUE(FolderExists(g_appFolder + "\\cache"));
  EXPECT_NE(Add(*doc, "foo bar"), nullptr);
}

TEST(SiteTable, DeleteRefusesASiteWithARunningTask)
{
  auto doc = NewDoc();
  CSiteItem* site = Add(*doc, "busy");
  ASSERT_NE(site, nullptr);
  const int slot = SlotOf(*doc, "busy");
  site->m_taskCount = 1;
  EXPECT_FALSE(doc->DeleteSite(slot));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The site has active task. So it can't be deleted. ");
  EXPECT_EQ(g_boxes[0].mode, -1);
  EXPECT_EQ(doc->m_sites[slot], site);
  EXPECT_TRUE(KeyExists("busy"));
  site->m_taskCount = 0;
}

TEST(SiteTable, DeleteAndRemoveAllAskWithoutCountDown)
{
  auto doc = NewDoc();
  ASSERT_NE(Add(*doc, "keep"), nullptr);
  const int slot = SlotOf(*doc, "keep");
  g_optionFlags |= 1u << OPTBIT_CONFIRM_DELETE_SITE;

  RecordBoxes(IDCANCEL);
  EXPECT_FALSE(doc->DeleteSite(slot));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].stringId, (UINT)IDS_CONFIRM_DELETE_SITE);
  EXPECT_FALSE(g_boxes[0].autoClose);
  EXPECT_EQ(g_boxes[0].mode, 1 << OPTBIT_CONFIRM_DELETE_SITE) << "keeps its don't-show box";
  EXPECT_NE(doc->m_sites[slot], nullptr);

  RecordBoxes(IDOK, true);
  EXPECT_TRUE(doc->DeleteSite(slot));
  EXPECT_FALSE(IsOptionSet(OPTBIT_CONFIRM_DELETE_SITE)) << "ticked box clears bit 14";
  EXPECT_FALSE(KeyExists("keep"));

  RecordBoxes(IDCANCEL);
  doc->OnRemoveAllSites();
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].stringId, (UINT)IDS_CONFIRM_REMOVE_ALL_SITES);
  EXPECT_FALSE(g_boxes[0].autoClose);
  EXPECT_EQ(g_boxes[0].mode, -2);
  EXPECT_TRUE(KeyExists(""));

  RecordBoxes(IDOK);
  doc->OnRemoveAllSites();
  EXPECT_FALSE(KeyExists(""));
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[1].text, "Clear complete");
  EXPECT_NE(doc->m_sites[0], nullptr) << "the sites in memory stay";
}

TEST(SiteTable, ModifyRenamesOnlyToAFreeName)
{
  auto doc = NewDoc();
  ASSERT_NE(Add(*doc, "alpha"), nullptr);
  ASSERT_NE(Add(*doc, "beta"), nullptr);
  const int slot = SlotOf(*doc, "alpha");
  SiteLoginValues v;
  v.host = "10.0.0.9";
  v.port = 2121;
  v.name = "BETA";
  v.user = "me";
  v.password = "pw";
  v.limitKind = '2';
  v.anonymous = '0';
  v.passive = '2';
  v.connLimit = 4;
  EXPECT_FALSE(doc->ModifySite(slot, v));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The same site name already exists! ");
  EXPECT_STREQ(doc->m_sites[slot]->m_name, "alpha");
  EXPECT_STREQ(doc->m_sites[slot]->m_host, "127.0.0.1");

  RecordBoxes();
  v.name = "..";
  EXPECT_FALSE(doc->ModifySite(slot, v));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, kInvalidSiteNameText);
  EXPECT_TRUE(KeyExists("alpha"));

  RecordBoxes();
  v.name = "gamma";
  EXPECT_TRUE(doc->ModifySite(slot, v));
  EXPECT_TRUE(g_boxes.empty());
  CSiteItem* s = doc->m_sites[slot];
  EXPECT_STREQ(s->m_name, "gamma");
  EXPECT_STREQ(s->m_host, "10.0.0.9");
  EXPECT_EQ(s->m_port, 2121);
  EXPECT_STREQ(s->m_password, "pw");
  EXPECT_EQ(s->SiteOptionDigits[0], '2');
  EXPECT_EQ(s->SiteOptionDigits[4], '2');
  EXPECT_EQ(s->m_connLimit, 4);
  EXPECT_FALSE(KeyExists("alpha"));
  EXPECT_TRUE(KeyExists("gamma"));

  // Connected: host and port stay.
  s->m_connected = 1;
  v.host = "10.9.9.9";
  v.port = 99;
  v.user = "other";
  EXPECT_TRUE(doc->ModifySite(slot, v));
  EXPECT_STREQ(s->m_host, "10.0.0.9");
  EXPECT_EQ(s->m_port, 2121);
  EXPECT_STREQ(s->m_user, "other");
  s->m_connected = 0;
}

int g_releasedCopies = 0;
void CountRelease(const void* record)
{
  ++g_releasedCopies;
  ReleasePayloadRecord(record);
}

// A copy of one entry in the payload's layout: entry reference, count, source
// site, target site (the clipboard routine adds this process's mark at 16).
void PutClipboard(int source, int target)
{
  BYTE record[kClipPayloadSize] = {};
  const int32_t words[4] = {(int32_t)RegisterPayloadEntries(new EntryRecord[2](), 1), 1, source, target};
  memcpy(record, words, sizeof words);
  ASSERT_TRUE(CopyPayloadToClipboard(record, nullptr));
}

TEST(SiteTable, DeletingTheCopiedSiteEmptiesTheClipboard)
{
  auto doc = NewDoc();
  g_optionFlags &= ~(1u << OPTBIT_CONFIRM_DELETE_SITE);
  ASSERT_NE(Add(*doc, "one"), nullptr);
  ASSERT_NE(Add(*doc, "two"), nullptr);
  ASSERT_NE(Add(*doc, "three"), nullptr);
  SetClipPayloadRelease(CountRelease);
  g_releasedCopies = 0;

  PutClipboard(-1, SlotOf(*doc, "two"));
  EXPECT_TRUE(doc->DeleteSite(SlotOf(*doc, "one")));
  EXPECT_TRUE(IsClipboardFormatAvailable(g_clipFormat)) << "another site's copy stays";
  EXPECT_EQ(g_releasedCopies, 0);
  EXPECT_TRUE(doc->DeleteSite(SlotOf(*doc, "two")));
  EXPECT_FALSE(IsClipboardFormatAvailable(g_clipFormat)) << "target site deleted";
  EXPECT_EQ(g_releasedCopies, 1) << "its entries released";

  PutClipboard(SlotOf(*doc, "three"), -1);
  EXPECT_TRUE(doc->DeleteSite(SlotOf(*doc, "three")));
  EXPECT_FALSE(IsClipboardFormatAvailable(g_clipFormat)) << "source site deleted";
  EXPECT_EQ(g_releasedCopies, 2);
  SetClipPayloadRelease(nullptr);
}

}  // namespace

namespace {

TEST(SiteTable, ImportAddsThroughTheDocumentAndSkipsNamesTaken)
{
  auto doc = NewDoc();
  ASSERT_NE(Add(*doc, "north"), nullptr);
  ASSERT_NE(Add(*doc, "south"), nullptr);
  CopySiteText(doc->m_sites[SlotOf(*doc, "south")]->m_password, "s\xA7" "cret");
  const std::string file = g_appFolder + "\\sites.sit";
  ASSERT_TRUE(doc->ExportSitesTo(file.c_str()));
  EXPECT_TRUE(g_boxes.empty());

  // The same sites again: every name is taken, skipped without a word.
  EXPECT_TRUE(doc->ImportSitesFrom(file.c_str()));
  EXPECT_EQ(doc->m_nSites, 3u);
  EXPECT_TRUE(g_boxes.empty());

  // Into a fresh store: each imported site gets its key and cache folder.
  doc.reset();
  auto fresh = NewDoc();
  const int before = (int)fresh->m_nSites;
  fresh->DeleteSite(0);
  EXPECT_TRUE(fresh->ImportSitesFrom(file.c_str()));
  EXPECT_EQ((int)fresh->m_nSites, before - 1 + 3);
  const int south = SlotOf(*fresh, "south");
  ASSERT_GE(south, 0);
  EXPECT_STREQ(fresh->m_sites[south]->m_password, "s\xA7" "cret");
  EXPECT_TRUE(KeyExists("south"));
  EXPECT_TRUE(FolderExists(g_appFolder + "\\cache\\south"));

  // A damaged file: the sites before the damage stay, and the user is told.
  std::string bytes;
  {
    FILE* f = fopen(file.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
      bytes.append(buf, n);
    fclose(f);
  }
  fresh.reset();
  auto third = NewDoc();
  third->DeleteSite(0);
  const std::string cut = g_appFolder + "\\cut.sit";
  {
    FILE* f = fopen(cut.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size() - 5, f);
    fclose(f);
  }
  RecordBoxes();
  EXPECT_FALSE(third->ImportSitesFrom(cut.c_str()));
  EXPECT_EQ(third->m_nSites, 2u);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0].text, "The site file is damaged; only the sites before the damage were imported.");
}

// The Ping command hands the library the live table: the slots as they are.
CSiteItem** g_pingTable = nullptr;
int __stdcall RecordPing(CSiteItem** sites)
{
  g_pingTable = sites;
  return 1;
}

CSiteItem** g_siteManagerTable = nullptr;
CWnd* g_siteManagerParent = reinterpret_cast<CWnd*>(1);
int __stdcall RecordSiteManager(CSiteItem** sites, CWnd* parent)
{
  g_siteManagerTable = sites;
  g_siteManagerParent = parent;
  return 1;
}

// Site Manager too: the slots themselves, edited in place, and the main window.
TEST(SiteTable, SiteManagerGetsTheLiveTable)
{
  auto doc = NewDoc();
  doc->OnCmdMsg(ID_SITE_MANAGER, CN_COMMAND, nullptr, nullptr);  // no entry bound: nothing happens
  EXPECT_EQ(g_siteManagerTable, nullptr);
  const SiteManagerFn previous = SetSiteManagerFunc(&RecordSiteManager);
  EXPECT_TRUE(doc->OnCmdMsg(ID_SITE_MANAGER, CN_COMMAND, nullptr, nullptr));
  SetSiteManagerFunc(previous);
  EXPECT_EQ(g_siteManagerTable, &doc->m_sites[0]);
  EXPECT_EQ(g_siteManagerParent, AfxGetMainWnd());
}

TEST(SiteTable, PingGetsTheLiveTable)
{
  auto doc = NewDoc();
  ASSERT_NE(Add(*doc, "north"), nullptr);
  doc->OnCmdMsg(ID_PING, CN_COMMAND, nullptr, nullptr);  // no entry bound: nothing happens
  const PingFn previous = SetPingFunc(&RecordPing);
  EXPECT_TRUE(doc->OnCmdMsg(ID_PING, CN_COMMAND, nullptr, nullptr));
  SetPingFunc(previous);
  ASSERT_EQ(g_pingTable, &doc->m_sites[0]);
  EXPECT_STREQ(static_cast<SiteFields*>(g_pingTable[SlotOf(*doc, "north")])->m_host, "127.0.0.1");
}

}  // namespace
