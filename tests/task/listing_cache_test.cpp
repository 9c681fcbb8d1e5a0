// The listing cache file: exact bytes, round trips, hostile files, and the
// listing generations.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "engine/listingcache.h"

namespace {

EntryRecord Entry(const char* name, const char* date, int64_t size, const char* attributes, int kind)
{
  EntryRecord e{};
  std::snprintf(e.m_name, sizeof(e.m_name), "%s", name);
  std::snprintf(e.m_date, sizeof(e.m_date), "%s", date);
  std::snprintf(e.m_attributes, sizeof(e.m_attributes), "%s", attributes);
  e.m_size = size;
  e.m_kind = kind;
  return e;
}

struct Parsed {
  std::unique_ptr<EntryRecord[]> entries;
  int count = -2;
};

Parsed Parse(const std::string& bytes)
{
  Parsed p;
  p.entries.reset(ParseListingCache(bytes.data(), bytes.size(), &p.count));
  return p;
}

std::string TempPath(const char* leaf)
{
  const char* dir = std::getenv("TMPDIR");
#ifdef _WIN32
  if (dir == nullptr)
    dir = std::getenv("TEMP");
  std::string sep = "\\";
#else
  std::string sep = "/";
#endif
  if (dir == nullptr)
    dir = ".";
  return std::string(dir) + sep + leaf;
}

const std::string kGolden =
    "2\r\r\n"
    "a, b  c.txt\r00:00:00\r0\r0\r5\r\r\r\n"
    "pub\rMay-01-12:30\r4096\rdrwxr-xr-x\r7\r\r\r\n";

}  // namespace

TEST(ListingCacheFormat, GoldenBytesAndRoundTrip)
{
  EntryRecord entries[3] = {Entry("a, b  c.txt", "", 0, "", kEntryFile),
                            Entry("pub", "May-01-12:30", 4096, "drwxr-xr-x", kEntryFolder), EntryRecord{}};
  std::string bytes;
  ASSERT_TRUE(FormatListingCache(entries, 2, bytes));
  EXPECT_EQ(kGolden, bytes);

  Parsed p = Parse(bytes);
  ASSERT_EQ(2, p.count);
  ASSERT_NE(nullptr, p.entries);
  EXPECT_STREQ("a, b  c.txt", p.entries[0].m_name);
  EXPECT_STREQ("00:00:00", p.entries[0].m_date);
  EXPECT_STREQ("", p.entries[0].m_attributes);
  EXPECT_EQ(0, p.entries[0].m_size);
  EXPECT_EQ(kEntryFile, p.entries[0].m_kind);
  EXPECT_STREQ("pub", p.entries[1].m_name);
  EXPECT_STREQ("May-01-12:30", p.entries[1].m_date);
  EXPECT_STREQ("drwxr-xr-x", p.entries[1].m_attributes);
  EXPECT_EQ(4096, p.entries[1].m_size);
  EXPECT_EQ(kEntryFolder, p.entries[1].m_kind);
  EXPECT_STREQ("", p.entries[2].m_name);  // the array's end
}

TEST(ListingCacheFormat, LongNamesLargeSizesAndEmptyListing)
{
  std::string longName(255, 'n');
  longName[100] = ' ';
  longName[101] = ' ';
  EntryRecord entries[2] = {Entry(longName.c_str(), "Jan-02-2020", int64_t(5) << 40, "-rw-r--r--", kEntryFile),
                            Entry("-1 neg", "x", -1, "0777", kEntryFile)};
  std::string bytes;
  ASSERT_TRUE(FormatListingCache(entries, 2, bytes));
  Parsed p = Parse(bytes);
  ASSERT_EQ(2, p.count);
  EXPECT_EQ(longName, p.entries[0].m_name);
  EXPECT_EQ(int64_t(5) << 40, p.entries[0].m_size);
  EXPECT_EQ(-1, p.entries[1].m_size);
  EXPECT_STREQ("", p.entries[1].m_attributes);  // a field starting with '0' reads as none

  // Empty names are skipped and the count line says what was written.
  EntryRecord withGap[3] = {Entry("a", "d", 1, "r", kEntryFile), EntryRecord{}, Entry("b", "d", 2, "r", kEntryFile)};
  ASSERT_TRUE(FormatListingCache(withGap, 3, bytes));
  p = Parse(bytes);
  ASSERT_EQ(2, p.count);
  EXPECT_STREQ("b", p.entries[1].m_name);

  ASSERT_TRUE(FormatListingCache(nullptr, 0, bytes));
  EXPECT_EQ("0\r\r\n", bytes);
  p = Parse(bytes);
  EXPECT_EQ(0, p.count);
  EXPECT_EQ(nullptr, p.entries);

  // A name with a line break cannot be stored.
  EntryRecord broken = Entry("a\rb", "d", 1, "r", kEntryFile);
  EXPECT_FALSE(FormatListingCache(&broken, 1, bytes));
  broken = Entry("a\nb", "d", 1, "r", kEntryFile);
  EXPECT_FALSE(FormatListingCache(&broken, 1, bytes));
}

TEST(ListingCacheFormat, UnsoundFilesGiveMinusOne)
{
  const std::string rec = "x\rd\r1\ra\r5\r\r\r\n";
  const char* bad[] = {
      "",                                  // nothing
      "-1\r\r\n",                          // negative count
      "1000000000\r\r\n",                  // count far above the lines present
      "99999999999999999999\r\r\n",        // out of range
      "abc\r\r\n",                         // not a number
      "2\r\r\nx\rd\r1\ra\r5\r\r\r\n",      // truncated: one record of two
      "1\r\r\nx\rd\r1\r\r\r\n",            // missing fields
      "1\r\r\nx\rd\rone\ra\r5\r\r\r\n",    // size not a number
      "1\r\r\nx\rd\r1\ra\rfive\r\r\r\n",   // kind not a number
      "1\r\r\nx\rdate-far-too-long-for-field\r1\ra\r5\r\r\r\n",
      "1\r\r\nx\rd\r1\rattributes-too-long\r5\r\r\r\n",
  };
  for (const char* b : bad) {
    Parsed p = Parse(b);
    EXPECT_EQ(-1, p.count) << b;
    EXPECT_EQ(nullptr, p.entries) << b;
  }
  // A 4 KB line is read whole, and its name is too long for a record.
  Parsed p = Parse("1\r\r\n" + std::string(4096, 'z') + "\rd\r1\ra\r5\r\r\r\n");
  EXPECT_EQ(-1, p.count);
  // Embedded NUL bytes in the count line.
  p = Parse(std::string("1\0\r\r\n", 5) + rec);
  EXPECT_EQ(-1, p.count);
  p = Parse(std::string("1\r\r\nx\0y\rd\r1\ra\r5\r\r\r\n", 19));
  EXPECT_EQ(-1, p.count);

  // No final LF: the last character is a real one and stays.
  p = Parse("1\r\r\nname\rd\r12\ra\r5");
  ASSERT_EQ(1, p.count);
  EXPECT_STREQ("name", p.entries[0].m_name);
  EXPECT_EQ(5, p.entries[0].m_kind);
  // Lines beyond the count are ignored; plain LF lines read the same.
  p = Parse("1\nx\rd\r1\ra\r7\n" + rec);
  ASSERT_EQ(1, p.count);
  EXPECT_EQ(7, p.entries[0].m_kind);
}

TEST(ListingCacheFile, NamesWriteAndRead)
{
  EXPECT_EQ("C:\\cache\\-42", ListingCacheFileName("C:\\cache\\", -42));
  EXPECT_EQ("", ListingCacheFileName("", 42));
  EXPECT_EQ("", ListingCacheFileName(nullptr, 42));
  if (sizeof(intptr_t) == 8)
    EXPECT_EQ("/c/81985529216486895", ListingCacheFileName("/c/", intptr_t(0x123456789ABCDEFLL)));
  EXPECT_TRUE(ListingCacheWanted('1', "c/"));
  EXPECT_FALSE(ListingCacheWanted('0', "c/"));
  EXPECT_FALSE(ListingCacheWanted('1', ""));

  std::string path = TempPath("zarn_listing_cache_test");
  std::remove(path.c_str());
  int count = 5;
  std::string error;
  EXPECT_EQ(nullptr, ReadListingCacheFile(path, &count, &error));
  EXPECT_EQ(-1, count);

  EntryRecord entries[2] = {Entry("a, b  c.txt", "", 0, "", kEntryFile),
                            Entry("pub", "May-01-12:30", 4096, "drwxr-xr-x", kEntryFolder)};
  ASSERT_EQ(1, WriteListingCacheFile(path, entries, 2, &error));
  EXPECT_EQ("", error);
  FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(nullptr, f);
  char raw[512];
  size_t got = std::fread(raw, 1, sizeof(raw), f);
  std::fclose(f);
  EXPECT_EQ(kGolden, std::string(raw, got));  // binary: the same bytes on every build

  std::unique_ptr<EntryRecord[]> read(ReadListingCacheFile(path, &count, &error));
  ASSERT_EQ(2, count);
  EXPECT_STREQ("pub", read[1].m_name);

  // A record that cannot be stored leaves no file, not a stale one.
  EntryRecord broken = Entry("a\nb", "d", 1, "r", kEntryFile);
  EXPECT_EQ(0, WriteListingCacheFile(path, &broken, 1, &error));
  EXPECT_EQ(nullptr, ReadListingCacheFile(path, &count, &error));
  EXPECT_EQ(-1, count);
  EXPECT_EQ(0, WriteListingCacheFile("", entries, 2, &error));
  EXPECT_EQ(0, WriteListingCacheFile(TempPath("no-such-dir/zarn/1"), entries, 2, &error));
}

TEST(ListingGeneration, LaterRequestMakesEarlierStale)
{
  int32_t first = NextListingGeneration(1);
  int32_t second = NextListingGeneration(1);
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsListingGenerationCurrent(1, first));
  EXPECT_TRUE(IsListingGenerationCurrent(1, second));
  int32_t other = NextListingGeneration(0);  // the second tree counts apart
  EXPECT_TRUE(IsListingGenerationCurrent(1, second));
  EXPECT_TRUE(IsListingGenerationCurrent(0, other));
  g_listingGeneration2.store(INT32_MAX);
  EXPECT_EQ(INT32_MIN, NextListingGeneration(0));
}
