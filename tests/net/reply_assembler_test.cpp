// The control connection's reply assembly: whatever way TCP cuts the stream,
// the same replies and the same log lines come out, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ftpreply.h"

namespace {

struct Outcome {
  std::vector<std::string> events;  // "LOG <line>" or "REPLY <code> <last line>"
  bool operator==(const Outcome& o) const { return events == o.events; }
};

void Drain(FtpReplyAssembler& a, Outcome& out)
{
  FtpReplyAssembler::Event e;
  while (a.NextEvent(e)) {
    if (e.kind == FtpReplyAssembler::Event::LOG)
      out.events.push_back("LOG " + e.text);
    else
      out.events.push_back("REPLY " + std::to_string(e.code) + " " + e.text);
  }
}

// Feeds the stream in pieces cut at the given offsets (ascending), draining
// after every piece as the window does after every read.
Outcome FeedCut(const std::string& stream, const std::vector<size_t>& cuts, bool finish = false)
{
  FtpReplyAssembler a("h");
  Outcome out;
  size_t pos = 0;
  for (size_t c : cuts) {
    a.Feed(stream.data() + pos, c - pos);
    Drain(a, out);
    pos = c;
  }
  a.Feed(stream.data() + pos, stream.size() - pos);
  if (finish)
    a.Finish();
  Drain(a, out);
  return out;
}

Outcome FeedWhole(const std::string& stream, bool finish = false)
{
  return FeedCut(stream, {}, finish);
}

Outcome FeedBytewise(const std::string& stream)
{
  std::vector<size_t> cuts;
  for (size_t i = 1; i < stream.size(); ++i)
    cuts.push_back(i);
  return FeedCut(stream, cuts);
}

const char kBlock[] = "230-Welcome to the zarn test host\r\n"
                      "230-2300 users may not log in; 123 neither\r\n"
                      "230 Login successful.\r\n";

TEST(ReplyAssembler, SingleLineAtEverySplit)
{
  const std::string stream = "226 Transfer complete.\r\n";
  const Outcome whole = FeedWhole(stream);
  ASSERT_EQ(whole.events.size(), 2u);
  EXPECT_EQ(whole.events[0], "LOG h::Reply: 226 Transfer complete.\r\n");
  EXPECT_EQ(whole.events[1], "REPLY 226 226 Transfer complete.");
  for (size_t i = 1; i < stream.size(); ++i)
    EXPECT_EQ(FeedCut(stream, {i}).events, whole.events) << "cut at " << i;
  EXPECT_EQ(FeedBytewise(stream).events, whole.events);
}

TEST(ReplyAssembler, WelcomeBlockAtEverySplit)
{
  const std::string stream = kBlock;
  const Outcome whole = FeedWhole(stream);
  const std::vector<std::string> expected = {
      "LOG h::Welcome Message:230-Welcome to the zarn test host\r\n",
      "LOG h::Welcome Message:230-2300 users may not log in; 123 neither\r\n",
      "LOG h::Welcome Message:230 Login successful.\r\n",
      "REPLY 230 230 Login successful.",
  };
  EXPECT_EQ(whole.events, expected);
  // Every pair of cuts (one cut when i == j), so a line and a CR LF are split
  // every way at once.
  for (size_t i = 1; i < stream.size(); ++i)
    for (size_t j = i; j < stream.size(); ++j) {
      std::vector<size_t> cuts = {i};
      if (j > i)
        cuts.push_back(j);
      ASSERT_EQ(FeedCut(stream, cuts).events, expected) << "cuts at " << i << "," << j;
    }
  EXPECT_EQ(FeedBytewise(stream).events, expected);
}

TEST(ReplyAssembler, SeveralRepliesInOneChunkKeepTheirOrder)
{
  const std::string stream = "250 cwd ok\r\n200 extra\r\n220-a\r\n220 b\r\n";
  const Outcome out = FeedWhole(stream);
  const std::vector<std::string> expected = {
      "LOG h::Reply: 250 cwd ok\r\n", "REPLY 250 250 cwd ok",
      "LOG h::Reply: 200 extra\r\n",  "REPLY 200 200 extra",
      "LOG h::Reply: 220-a\r\n",      "LOG h::Reply: 220 b\r\n",
      "REPLY 220 220 b",
  };
  EXPECT_EQ(out.events, expected);
  EXPECT_EQ(FeedBytewise(stream).events, expected);
}

TEST(ReplyAssembler, BlockEndsOnlyAtItsOwnCodeAndABlank)
{
  // Lines that look like replies but are not the end: another code, the same
  // code with a hyphen, four digits, indented text, a lone CR line.
  const std::string stream = "211-Features:\r\n"
                             "200 not the end\r\n"
                             "211-still inside\r\n"
                             "2110 four digits\r\n"
                             " 211 indented\r\n"
                             "\r\n"
                             "211\r\n"
                             "200 next\r\n";
  FtpReplyAssembler a("h");
  a.Feed(stream.data(), stream.size());
  Outcome out;
  Drain(a, out);
  const std::vector<std::string> expected = {
      "LOG h::Reply: 211-Features:\r\n",   "LOG h::Reply: 200 not the end\r\n",
      "LOG h::Reply: 211-still inside\r\n", "LOG h::Reply: 2110 four digits\r\n",
      "LOG h::Reply:  211 indented\r\n",    "LOG h::Reply: 211\r\n",
      "REPLY 211 211",                      "LOG h::Reply: 200 next\r\n",
      "REPLY 200 200 next",
  };
  EXPECT_EQ(out.events, expected);
  EXPECT_FALSE(a.InBlock());
}

TEST(ReplyAssembler, LinesWithoutACodeAreLoggedAndIgnored)
{
  // An HTTP proxy's answer ahead of the greeting, and codes that are not FTP's.
  const std::string stream = "HTTP/1.1 200 Connection established\r\n"
                             "\r\n"
                             "600 out of range\r\n"
                             "22\r\n"
                             "220abc\r\n"
                             "220 server ready\r\n";
  const Outcome out = FeedWhole(stream);
  const std::vector<std::string> expected = {
      "LOG h::Reply: HTTP/1.1 200 Connection established\r\n",
      "LOG h::Reply: 600 out of range\r\n",
      "LOG h::Reply: 22\r\n",
      "LOG h::Reply: 220abc\r\n",
      "LOG h::Reply: 220 server ready\r\n",
      "REPLY 220 220 server ready",
  };
  EXPECT_EQ(out.events, expected);
  EXPECT_EQ(FeedBytewise(stream).events, expected);
}

TEST(ReplyAssembler, OverlongLineKeepsItsFirstBytes)
{
  std::string longLine = "250 " + std::string(1596, 'x');  // 1,600 bytes
  const std::string stream = longLine + "\r\n150 next\r\n";
  for (const Outcome& out : {FeedWhole(stream), FeedBytewise(stream), FeedCut(stream, {1459, 1461, 1601})}) {
    ASSERT_EQ(out.events.size(), 4u);
    const std::string kept = longLine.substr(0, FtpReplyAssembler::kMaxLine);
    EXPECT_EQ(out.events[0], "LOG h::Reply: " + kept + "\r\n");
    EXPECT_EQ(out.events[1], "REPLY 250 " + kept);
    EXPECT_EQ(out.events[3], "REPLY 150 150 next");
  }
  // A line of exactly the limit keeps its CR dropped; one byte more is cut.
  std::string exact = "200 " + std::string(FtpReplyAssembler::kMaxLine - 4, 'y');
  Outcome out = FeedWhole(exact + "\r\n");
  ASSERT_EQ(out.events.size(), 2u);
  EXPECT_EQ(out.events[1], "REPLY 200 " + exact);
}

TEST(ReplyAssembler, BareLineFeedsAndLastLineAtClose)
{
  Outcome out = FeedWhole("220 unix\n221 bye", true);
  const std::vector<std::string> expected = {
      "LOG h::Reply: 220 unix\r\n", "REPLY 220 220 unix",
      "LOG h::Reply: 221 bye\r\n",  "REPLY 221 221 bye",
  };
  EXPECT_EQ(out.events, expected);

  // Without the close the half line waits.
  FtpReplyAssembler a("h");
  a.Feed("421 Timeout", 11);
  EXPECT_FALSE(a.HasEvents());
  EXPECT_TRUE(a.HasPartialLine());
  a.Reset();
  EXPECT_FALSE(a.HasPartialLine());
  a.Feed("\r\n", 2);
  EXPECT_FALSE(a.HasEvents());
}

TEST(ReplyAssembler, LongMultiLineGoodbyeIsOneReply)
{
  // A server that gives up mid-transfer: many lines, one reply, classified by
  // its last line.
  std::string stream = "421-Service closing\r\n";
  for (int i = 0; i < 200; ++i)
    stream += "421-line " + std::to_string(i) + " of the notice\r\n";
  stream += "421 Goodbye.\r\n";
  const Outcome out = FeedBytewise(stream);
  ASSERT_EQ(out.events.size(), 203u);
  EXPECT_EQ(out.events.back(), "REPLY 421 421 Goodbye.");
  EXPECT_EQ(out.events, FeedWhole(stream).events);
}

TEST(ReplyAssembler, LineCode)
{
  EXPECT_EQ(FtpReplyAssembler::LineCode("226 ok"), 226);
  EXPECT_EQ(FtpReplyAssembler::LineCode("230-"), 230);
  EXPECT_EQ(FtpReplyAssembler::LineCode("026"), 26);
  EXPECT_EQ(FtpReplyAssembler::LineCode("599"), 599);
  EXPECT_EQ(FtpReplyAssembler::LineCode("600 x"), -1);
  EXPECT_EQ(FtpReplyAssembler::LineCode("2a6 x"), -1);
  EXPECT_EQ(FtpReplyAssembler::LineCode("22"), -1);
  EXPECT_EQ(FtpReplyAssembler::LineCode("2266"), -1);
}

}  // namespace
