// The data address of 227 replies, well-formed and hostile.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/pasvreply.h"

namespace {

struct Parsed {
  bool ok;
  std::string addr;
  int32_t port;
};

Parsed Parse(const std::string& reply)
{
  // The field sits between guard bytes that must survive any reply.
  char buf[kPasvAddrSize + 8];
  memset(buf, 'G', sizeof(buf));
  int32_t port = -1;
  const bool ok = ParsePasvReply(reply.c_str(), buf + 4, kPasvAddrSize, &port);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(buf[i], 'G');
    EXPECT_EQ(buf[sizeof(buf) - 1 - i], 'G');
  }
  return Parsed{ok, std::string(buf + 4), port};
}

TEST(PasvReply, WellFormed)
{
  Parsed p = Parse("227 Entering Passive Mode (192,168,0,2,19,137).");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.addr, "192.168.0.2");
  EXPECT_EQ(p.port, 5001);

  // No parentheses: the numbers start at the first digit after the code.
  p = Parse("227 Entering Passive Mode 127,0,0,1,4,1");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.addr, "127.0.0.1");
  EXPECT_EQ(p.port, 1025);
  p = Parse("227 =10,0,0,5,200,10");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.addr, "10.0.0.5");
  EXPECT_EQ(p.port, 200 * 256 + 10);

  // Blanks around the commas, the largest values, no closing parenthesis.
  p = Parse("227 Ok (255, 255 ,255,255 , 255,255");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.addr, "255.255.255.255");
  EXPECT_EQ(p.port, 65535);
  // The line without its code, and a port with a zero high byte.
  p = Parse("Entering Passive Mode (127,0,0,1,0,21)");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.port, 21);
}

TEST(PasvReply, MalformedIsRefusedWithoutTouchingTheField)
{
  const std::string huge = "227 Entering Passive Mode (127,0,0,1," + std::string(600, '9') + ",1)";
  const char* bad[] = {
      "227 Entering Passive Mode (127,0,300,1,4,1)",  // 300 in a field
      "227 Entering Passive Mode (127,0,0,1,4)",      // five numbers
      "227 Entering Passive Mode (127,0,0,1,0,0)",    // port 0
      "227 Entering Passive Mode (127,0,0,1,4,1,7)",  // seven numbers
      "227 Entering Passive Mode (127,0,0,1,0004,1)", // four digits
      "227 Entering Passive Mode (127,0,0,1,4,1000)", // a longer last one
      "227 Entering Passive Mode (127,0,,1,4,1)",
      "227 Entering Passive Mode (127 0 0 1 4 1)",
      "227 Entering Passive Mode (-127,0,0,1,4,1)",
      "227 Entering Passive Mode (a,b,c,d,e,f) 127,0,0,1,4,1",  // '(' decides where to look
      "227 Entering Passive Mode",
      "227",
      "",
  };
  for (const char* reply : bad) {
    const Parsed p = Parse(reply);
    EXPECT_FALSE(p.ok) << reply;
    EXPECT_EQ(p.addr, "") << reply;
    EXPECT_EQ(p.port, 0) << reply;
  }
  const Parsed p = Parse(huge);
  EXPECT_FALSE(p.ok);
  EXPECT_EQ(p.addr, "");
}

TEST(PasvReply, CallerMistakes)
{
  char small[kPasvAddrSize - 1];
  int32_t port = 7;
  EXPECT_FALSE(ParsePasvReply("227 (1,2,3,4,5,6)", small, sizeof(small), &port));
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(port, 0);
  char addr[kPasvAddrSize];
  EXPECT_FALSE(ParsePasvReply(nullptr, addr, sizeof(addr), &port));
  EXPECT_FALSE(ParsePasvReply("227 (1,2,3,4,5,6)", addr, sizeof(addr), nullptr));
  EXPECT_FALSE(ParsePasvReply("227 (1,2,3,4,5,6)", nullptr, 0, &port));
}

}  // namespace
