// The tips file: comments never shown, fields split at TABs, going round at
// the end, a file without tips ending instead of looping, long lines cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "shell/app/tipreader.h"

namespace {

struct TipFile {
  std::FILE* f = nullptr;
  explicit TipFile(const std::string& bytes) {
    f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
  }
  ~TipFile() { std::fclose(f); }
  std::string Next() {
    TipText tip;
    const TipReadResult r = ReadNextTip(f, tip);
    return r == TipReadResult::Tip ? tip.text : r == TipReadResult::NoTip ? "<none>" : "<seek>";
  }
};

TEST(TipReader, SkipsCommentsAndGoesRoundAtTheEnd) {
  TipFile file("; a comment\r\n\r\n first blank\n\tTAB first\nOne\r\nTwo\tHeading\tFooter\t42\n;last");
  EXPECT_EQ("One", file.Next());
  TipText tip;
  ASSERT_EQ(TipReadResult::Tip, ReadNextTip(file.f, tip));
  EXPECT_EQ("Two", tip.text);
  EXPECT_EQ("Heading", tip.heading);
  EXPECT_EQ("Footer", tip.footer);
  EXPECT_EQ(42, tip.number);
  // The end: back to the start, over the comments again.
  EXPECT_EQ("One", file.Next());
  EXPECT_EQ("Two", file.Next());
}

TEST(TipReader, AFileWithoutTipsEndsInsteadOfLooping) {
  TipFile comments("; only\n\n  indented\n\tand tabbed\n");
  EXPECT_EQ("<none>", comments.Next());
  EXPECT_EQ("<none>", comments.Next());
  TipFile empty("");
  EXPECT_EQ("<none>", empty.Next());
  // Offsets past the end (a stored "FilePos" of a longer file) go round too.
  TipFile shorter("Only tip\n");
  std::fseek(shorter.f, 5000, SEEK_SET);
  EXPECT_EQ("Only tip", shorter.Next());
}

TEST(TipReader, LongLinesAreCutAndTheirRestSkipped) {
  const std::string longLine(3000, 'x');
  TipFile file(longLine + "\nAfter\n");
  const std::string first = file.Next();
  EXPECT_EQ(kTipLineMax, first.size());
  EXPECT_EQ("After", file.Next());
}

TEST(TipReader, StartOffsetFollowsTheFilesStamp) {
  EXPECT_EQ(120, TipStartOffset("Mon Dec  7", "Mon Dec  7", 120));
  EXPECT_EQ(0, TipStartOffset("Mon Dec  7", "Tue Dec  8", 120));  // edited: from the first tip
  EXPECT_EQ(0, TipStartOffset("", "Tue Dec  8", 120));
  EXPECT_EQ(0, TipStartOffset("same", "same", -4));                // damaged profile value
  TipText plain = SplitTipLine("No tabs at all");
  EXPECT_EQ("No tabs at all", plain.text);
  EXPECT_TRUE(plain.heading.empty());
  EXPECT_EQ(0, plain.number);
}

}  // namespace
