// The summary line of a data connection and the short-transfer rule.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/netsession.h"
#include "engine/transfersummary.h"

namespace {

TEST(TransferSummary, Lines)
{
  EXPECT_EQ(FormatTransferSummary("ftp.example.com", VERB_RETR, 1234567, 2500),
            CString("ftp.example.com::Total received 1,234,567 bytes in 2.500 seconds (493.826 KBytes/sec)"));
  // Milliseconds keep their leading zeros; the rate is cut, not rounded.
  EXPECT_EQ(FormatTransferSummary("h", VERB_STOR, 1000, 2005),
            CString("h::Total sent 1,000 bytes in 2.005 seconds (0.498 KBytes/sec)"));
  EXPECT_EQ(FormatTransferSummary("h", VERB_APPE, 1050, 1000),
            CString("h::Total sent 1,050 bytes in 1.000 seconds (1.050 KBytes/sec)"));
  // Large counts: 64-bit rate maths.
  EXPECT_EQ(FormatTransferSummary("h", VERB_RETW, 5000000000ull, 100000),
            CString("h::Total received 5,000,000,000 bytes in 100.000 seconds (50000.000 KBytes/sec)"));
  EXPECT_EQ(FormatTransferSummary("h", VERB_RETR, UINT64_MAX, 0),
            CString("h::Total received 18,446,744,073,709,551,615 bytes in 0.027 seconds "
                    "(683212743470724133.888 KBytes/sec)"));
}

TEST(TransferSummary, ShortTransfersAndNoBytes)
{
  EXPECT_EQ(RateElapsedMs(0), 27u);
  EXPECT_EQ(RateElapsedMs(55), 27u);
  EXPECT_EQ(RateElapsedMs(56), 56u);
  EXPECT_EQ(FormatTransferSummary("h", VERB_LIST, 5400, 55),
            CString("h::Total received 5,400 bytes in 0.027 seconds (200.000 KBytes/sec)"));
  EXPECT_EQ(FormatTransferSummary("h", VERB_LIST, 5600, 56),
            CString("h::Total received 5,600 bytes in 0.056 seconds (100.000 KBytes/sec)"));
  EXPECT_TRUE(FormatTransferSummary("h", VERB_RETR, 0, 2500).IsEmpty());
}

TEST(TransferSummary, Direction)
{
  for (int verb : {VERB_LIST, VERB_RETM, VERB_RETR, VERB_RETW})
    EXPECT_TRUE(TransferVerbReceives(verb)) << verb;
  for (int verb : {VERB_STOR, VERB_STOM, VERB_STOW, VERB_APPE, VERB_ABOR, VERB_NONE})
    EXPECT_FALSE(TransferVerbReceives(verb)) << verb;
}

}  // namespace
