// The listing parser against hand-made lines and real server output, and the
// file-list row made from an entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engineutil.h"
#include "engine/listing.h"

namespace {

struct Parsed {
  std::unique_ptr<EntryRecord[]> entries;
  int count = -1;
};

Parsed Parse(const std::string& text)
{
  Parsed p;
  p.entries.reset(ParseListing(text.c_str(), &p.count));
  return p;
}

TEST(ListingParser, UnixLineWithGroup)
{
  Parsed p = Parse("drwxr-xr-x   2 ftp      ftp          4096 Jan 15 10:30 pub\r\n");
  ASSERT_EQ(p.count, 1);
  const EntryRecord& e = p.entries[0];
  EXPECT_STREQ(e.m_name, "pub");
  EXPECT_EQ(e.m_kind, kEntryFolder);
  EXPECT_EQ(e.m_size, 4096);
  EXPECT_STREQ(e.m_attributes, "drwxr-xr-x");
  EXPECT_STREQ(e.m_date, "Jan-15-10:30");
  EXPECT_STREQ(e.m_second, "");
  EXPECT_EQ(e.m_tag, 0);
  EXPECT_EQ(e.m_node, nullptr);
  EXPECT_STREQ(p.entries[1].m_name, "");  // the end of the array
}

TEST(ListingParser, UnixLinesWithoutGroup)
{
  Parsed p = Parse("-rw-r--r--   1 ftp        2048 Mar  3  2002 read me.txt\r\n"
                   "-rw-r--r--   1 ftp          17 Apr 30 09:15 notes\r\n");
  ASSERT_EQ(p.count, 2);
  EXPECT_STREQ(p.entries[0].m_name, "read me.txt");
  EXPECT_EQ(p.entries[0].m_size, 2048);
  EXPECT_STREQ(p.entries[0].m_date, "Mar-3-2002");
  EXPECT_EQ(p.entries[0].m_kind, kEntryFile);
  EXPECT_STREQ(p.entries[1].m_name, "notes");
  EXPECT_EQ(p.entries[1].m_size, 17);
  EXPECT_STREQ(p.entries[1].m_date, "Apr-30-09:15");
}

TEST(ListingParser, MixedListingKeepsEverySizeAndEntry)
{
  // Column layouts may change from line to line: each line is read alone.
  Parsed p = Parse("-rw-r--r--   1 owner    group        1000 Jan  1  2020 with group\r\n"
                   "-rw-r--r--   1 owner          2000 Feb  2  2021 no group\r\n"
                   "-rw-r--r--   1 1001     1002         3000 Mar  3 12:00 numeric group\r\n"
                   "drwxr-xr-x   1 owner           512 Apr  4  2022 folder without group\r\n"
                   "-rw-r--r--   1 owner    group        4000 May  5  2023 group again\r\n");
  ASSERT_EQ(p.count, 5);
  const char* names[5] = {"with group", "no group", "numeric group", "folder without group", "group again"};
  const int64_t sizes[5] = {1000, 2000, 3000, 512, 4000};
  const char* dates[5] = {"Jan-1-2020", "Feb-2-2021", "Mar-3-12:00", "Apr-4-2022", "May-5-2023"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_STREQ(p.entries[i].m_name, names[i]) << i;
    EXPECT_EQ(p.entries[i].m_size, sizes[i]) << i;
    EXPECT_STREQ(p.entries[i].m_date, dates[i]) << i;
  }
  EXPECT_EQ(p.entries[3].m_kind, kEntryFolder);
}

TEST(ListingParser, NamesKeepTheirBlanks)
{
  Parsed p = Parse("-rw-r--r--   1 ftp      ftp             5 Dec 09 06:08 a  b\r\n"
                   "-rw-r--r--   1 ftp      ftp             7 Dec 09 06:08 a b\r\n"
                   "-rw-r--r--   1 ftp      ftp             9 Dec 09 06:08 tail blanks   \r\n"
                   "01-15-03  10:30AM                   11 dos  name .txt  \r\n");
  ASSERT_EQ(p.count, 4);
  EXPECT_STREQ(p.entries[0].m_name, "a  b");
  EXPECT_EQ(p.entries[0].m_size, 5);
  EXPECT_STREQ(p.entries[1].m_name, "a b");
  EXPECT_STREQ(p.entries[2].m_name, "tail blanks");
  EXPECT_STREQ(p.entries[3].m_name, "dos  name .txt");
}

TEST(ListingParser, DosLines)
{
  Parsed p = Parse("01-15-03  10:30AM       <DIR>          My Folder\r\n"
                   "01-15-03  10:30AM                  512 a.txt\r\n");
  ASSERT_EQ(p.count, 2);
  EXPECT_STREQ(p.entries[0].m_name, "My Folder");
  EXPECT_EQ(p.entries[0].m_kind, kEntryFolder);
  EXPECT_EQ(p.entries[0].m_size, 0);
  EXPECT_STREQ(p.entries[0].m_date, "01-15-03-10:30AM");
  EXPECT_STREQ(p.entries[0].m_attributes, "");
  EXPECT_EQ(p.entries[1].m_kind, kEntryFile);
  EXPECT_EQ(p.entries[1].m_size, 512);
}

TEST(ListingParser, LargeSizesNeverWrap)
{
  Parsed p = Parse("-rw-r--r--   1 ftp      ftp      3000000000 Dec 09 06:08 big.iso\r\n"
                   "-rw-r--r--   1 ftp      ftp      5497558138880 Dec 09 06:08 five-tib.img\r\n"
                   "-rw-r--r--   1 ftp      ftp      99999999999999999999999 Dec 09 06:08 absurd\r\n"
                   "07-04-21  02:05PM        5497558138880 dos-five-tib.img\r\n");
  ASSERT_EQ(p.count, 4);
  EXPECT_EQ(p.entries[0].m_size, 3000000000LL);
  EXPECT_EQ(p.entries[1].m_size, 5497558138880LL);
  EXPECT_EQ(p.entries[2].m_size, INT64_MAX);
  EXPECT_EQ(p.entries[3].m_size, 5497558138880LL);
}

TEST(ListingParser, DroppedLines)
{
  Parsed p = Parse("total 12\r\n"
                   "drwxr-xr-x   2 ftp      ftp          4096 Jan 15 10:30 .\r\n"
                   "drwxr-xr-x   2 ftp      ftp          4096 Jan 15 10:30 ..\r\n"
                   "lrwxrwxrwx   1 ftp      ftp            11 Jan 15 10:30 link -> read me.txt\r\n"
                   "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 kept\r\n"
                   "-rw-r--r-- 1 a b 1 Jan 1 1 s\r\n"  // 29 characters with CR
                   "\r\n"
                   "01-15-03  10:30AM       <DIR>          .\r\n"
                   "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30\r\n"
                   "                                               \r\n");
  ASSERT_EQ(p.count, 1);
  EXPECT_STREQ(p.entries[0].m_name, "kept");
  EXPECT_STREQ(p.entries[1].m_name, "");
}

TEST(ListingParser, LinesOfNeitherStyleAndSpecialFilesInventNoNames)
{
  Parsed p = Parse("./pub/a folder with a long name/and more words:\r\n"    // recursive-listing header
                   "1999 photos and other things from long ago:\r\n"         // a digit, but no DOS columns
                   "srwxrwxrwx   1 root     root            0 Jan  1 12:00 control.sock\r\n"
                   "brw-rw----   1 root     disk       8,   0 Jan  1 12:00 sda\r\n"
                   "crw-rw-rw-   1 root     root       1,   3 Jan  1 12:00 null\r\n"
                   "prw-r--r--   1 root     root            0 Jan  1 12:00 fifo\r\n"
                   "Total of 3 files and 2 folders in this listing\r\n"
                   "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 kept\r\n"
                   "01-15-03  10:30AM                  512 a.txt\r\n");
  ASSERT_EQ(p.count, 2);
  EXPECT_STREQ(p.entries[0].m_name, "kept");
  EXPECT_STREQ(p.entries[1].m_name, "a.txt");
  EXPECT_STREQ(p.entries[2].m_name, "");
}

TEST(ListingParser, IsoDatesKeepTheWholeName)
{
  Parsed p = Parse("-rw-r--r-- 1 u g 1234 2023-01-01 12:00 my file.txt\r\n"
                   "drwxr-xr-x 2 owner 4096 2024-02-29 23:59 no group folder\r\n"
                   "-rw-r--r--   1 ftp      ftp            77 Mar  3  2002 classic\r\n");
  ASSERT_EQ(p.count, 3);
  EXPECT_STREQ(p.entries[0].m_name, "my file.txt");
  EXPECT_EQ(p.entries[0].m_size, 1234);
  EXPECT_STREQ(p.entries[0].m_date, "2023-01-01-12:00");
  EXPECT_STREQ(p.entries[1].m_name, "no group folder");
  EXPECT_EQ(p.entries[1].m_size, 4096);
  EXPECT_EQ(p.entries[1].m_kind, kEntryFolder);
  EXPECT_STREQ(p.entries[1].m_date, "2024-02-29-23:59");
  EXPECT_STREQ(p.entries[2].m_name, "classic");
  EXPECT_STREQ(p.entries[2].m_date, "Mar-3-2002");
}

TEST(ListingParser, OwnersAndGroupsWithBlanksKeepTheName)
{
  // Servers that map Windows accounts: the date, not the column count, says
  // where the name starts.
  Parsed p = Parse("drwxrwxr-x   3 builder  Domain Users     4096 Dec  9  2009 release notes\r\n"
                   "-rw-r--r--   1 John Smith Domain Users  1234 jan 15 10:30 a  b.txt\r\n"
                   "-rw-r--r--   1 ACME\\Jo Domain Admins   77 2021-03-04 05:06 iso name\r\n"
                   // An owner with a blank and no group column reads as owner and group.
                   "-rw-r--r--   1 Domain Users        88 Feb  2  2002 no group\r\n");
  ASSERT_EQ(p.count, 4);
  EXPECT_STREQ(p.entries[0].m_name, "release notes");
  EXPECT_EQ(p.entries[0].m_kind, kEntryFolder);
  EXPECT_EQ(p.entries[0].m_size, 4096);
  EXPECT_STREQ(p.entries[0].m_date, "Dec-9-2009");
  EXPECT_STREQ(p.entries[0].m_attributes, "drwxrwxr-x");
  EXPECT_STREQ(p.entries[1].m_name, "a  b.txt");
  EXPECT_EQ(p.entries[1].m_size, 1234);
  EXPECT_STREQ(p.entries[1].m_date, "jan-15-10:30");
  EXPECT_EQ(p.entries[1].m_kind, kEntryFile);
  EXPECT_STREQ(p.entries[2].m_name, "iso name");
  EXPECT_EQ(p.entries[2].m_size, 77);
  EXPECT_STREQ(p.entries[2].m_date, "2021-03-04-05:06");
  EXPECT_STREQ(p.entries[3].m_name, "no group");
  EXPECT_EQ(p.entries[3].m_size, 88);
}

TEST(ListingParser, EmptyResults)
{
  int count = 77;
  EXPECT_EQ(ParseListing("total 0\r\nshort\r\n", &count), nullptr);
  EXPECT_EQ(count, 77);  // no line passed: the count is left alone
  EXPECT_EQ(ParseListing("", &count), nullptr);
  EXPECT_EQ(ParseListing(nullptr, &count), nullptr);
  EXPECT_EQ(count, 77);

  Parsed p = Parse("drwxr-xr-x   2 ftp      ftp          4096 Jan 15 10:30 ..\r\n");
  ASSERT_NE(p.entries, nullptr);
  EXPECT_EQ(p.count, 0);
  EXPECT_STREQ(p.entries[0].m_name, "");
}

TEST(ListingParser, LineEnds)
{
  std::vector<std::string> lines;
  SplitListingLines("-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 unix-lf\n"
                    "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 crlf\r\n"
                    "30 characters with its CR....\r\n"
                    "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 last",
                    lines);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].substr(lines[0].size() - 7), "unix-lf");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 4), "crlf");
  EXPECT_EQ(lines[2], "30 characters with its CR....");
  EXPECT_EQ(lines[3].substr(lines[3].size() - 4), "last");
}

TEST(ListingParser, LongLinesAndFields)
{
  const std::string name255(255, 'n');
  const std::string name256(256, 'm');
  const std::string prefix = "-rw-r--r--   1 ftp      ftp             1 Jan 15 10:30 ";
  Parsed p = Parse(prefix + name255 + "\r\n" +
                   prefix + name256 + "\r\n" +                       // would be cut: dropped
                   prefix + "form\x0C" "feed\r\n" +                  // would split a queue item: dropped
                   "-rw-r--r--+extended-acl-flags 1 ftp ftp 42 Septembre 15 10:30:59.123456 acl\r\n" +
                   "01-15-2003-with-a-very-long-date  10:30:00.000AM  9 dos\r\n");
  ASSERT_EQ(p.count, 3);
  EXPECT_EQ(std::string(p.entries[0].m_name), name255);
  EXPECT_STREQ(p.entries[1].m_name, "acl");
  EXPECT_STREQ(p.entries[1].m_attributes, "-rw-r--r--+");  // cut to 11 characters
  EXPECT_EQ(p.entries[1].m_size, 42);
  EXPECT_EQ(strlen(p.entries[1].m_date), 19u);
  EXPECT_STREQ(p.entries[2].m_name, "dos");
  EXPECT_EQ(strlen(p.entries[2].m_date), 19u);
  EXPECT_EQ(p.entries[2].m_size, 9);
}

// ---- real server output ----

std::string FixturePath(const char* file)
{
  std::string dir = ZARN_LISTING_FIXTURES;
#ifdef _WIN32
  if (!dir.empty() && dir[0] == '/')
    dir = "Z:" + dir;  // the Unix root as Wine maps it
#endif
  return dir + "/" + file;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void ExpectFixture(const char* server)
{
  const std::string text = ReadFile(FixturePath((std::string(server) + ".list").c_str()));
  const std::string expectedText = ReadFile(FixturePath((std::string(server) + ".expected").c_str()));
  ASSERT_FALSE(text.empty()) << server;
  ASSERT_FALSE(expectedText.empty()) << server;

  std::vector<std::string> expected;
  std::istringstream lines(expectedText);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty())
      expected.push_back(line);
  }
  Parsed p = Parse(text);
  std::vector<std::string> got;
  for (int i = 0; i < p.count; ++i) {
    const EntryRecord& e = p.entries[i];
    got.push_back(std::to_string(e.m_kind) + "\t" + std::to_string(e.m_size) + "\t" + e.m_name);
  }
  std::sort(got.begin(), got.end(), [](const std::string& a, const std::string& b) {
    return a.substr(a.find('\t', a.find('\t') + 1)) < b.substr(b.find('\t', b.find('\t') + 1));
  });
  EXPECT_EQ(got, expected) << server;
}

TEST(ListingParser, Pyftpdlib) { ExpectFixture("pyftpdlib"); }
TEST(ListingParser, Vsftpd) { ExpectFixture("vsftpd"); }
TEST(ListingParser, DosSample) { ExpectFixture("iis"); }

// ---- the file-list row ----

TEST(FileListRow, FilledFromAnEntry)
{
  EntryRecord entry;
  memset(&entry, 0, sizeof(entry));
  strcpy(entry.m_name, "big.iso");
  strcpy(entry.m_date, "Dec-09-06:08");
  strcpy(entry.m_attributes, "-rw-r--r--");
  entry.m_size = 5497558138880LL;
  entry.m_kind = kEntryFile;
  entry.m_tag = 9;

  CFileListItem* first = NewFileListItem(nullptr, &entry);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->m_name, "big.iso");
  EXPECT_STREQ(first->m_date, "Dec-09-06:08");
  EXPECT_STREQ(first->m_displayName, "");
  EXPECT_STREQ(first->m_attributes, "-rw-r--r--");
  EXPECT_EQ(first->m_size, 5497558138880LL);
  EXPECT_EQ(first->m_kind, kEntryFile);
  EXPECT_EQ(first->m_icon, -1);
  EXPECT_EQ(first->m_icon2, 9);
  EXPECT_EQ(first->m_pNext, nullptr);

  // Unterminated fields of a damaged entry are cut to the row's fields.
  memset(entry.m_date, 'd', sizeof(entry.m_date));
  memset(entry.m_attributes, 'a', sizeof(entry.m_attributes));
  memset(entry.m_second, 's', sizeof(entry.m_second));
  CFileListItem* second = NewFileListItem(first, &entry);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->m_pNext, first);
  EXPECT_EQ(strlen(second->m_date), sizeof(second->m_date) - 1);
  EXPECT_EQ(strlen(second->m_attributes), sizeof(second->m_attributes) - 1);
  EXPECT_EQ(strlen(second->m_displayName), sizeof(second->m_displayName) - 1);
  EXPECT_EQ(NewFileListItem(second, nullptr), second);
  delete second;
  delete first;
}

}  // namespace
