// The walker over performance data blocks: names and raw values of each
// interface for each counter, a missing counter, and damaged blocks, which
// must all end as "not found" without a read past the bytes received.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/tools/perfwalker.h"
#include "tests/tools/perfblock.h"

using perfblock::Build;
using perfblock::Put;

namespace {

const std::vector<perfblock::Interface> kTwo = {
    {u"Loopback Pseudo-Interface", 1000, 400, 600},
    {u"Ethernet \u00e9t\u00e9", 0xFFFFFF00u, 7, 0x10},
};

bool Names(const std::vector<uint8_t>& b, std::vector<std::string>* names)
{
  // A copy of exactly the bytes: ASan sees a read past them.
  std::vector<uint8_t> exact(b);
  return PerfInstanceNames(exact.data(), exact.size(), kPerfObjectNetInterface, names);
}

bool Value(const std::vector<uint8_t>& b, uint32_t counter, int instance, uint32_t* v)
{
  std::vector<uint8_t> exact(b);
  return PerfRawValue(exact.data(), exact.size(), kPerfObjectNetInterface, counter, instance, v);
}

TEST(PerfWalker, ReadsNamesAndEveryCounterOfBothInterfaces)
{
  const auto block = Build(kTwo);
  std::vector<std::string> names;
  ASSERT_TRUE(Names(block.bytes, &names));
  EXPECT_EQ(names, (std::vector<std::string>{"Loopback Pseudo-Interface", "Ethernet ?t?"}));

  const struct {
    uint32_t counter;
    uint32_t expect[2];
  } cases[] = {{kPerfBytesTotal, {1000, 0xFFFFFF00u}}, {kPerfBytesReceived, {400, 7}}, {kPerfBytesSent, {600, 0x10}}};
  for (const auto& c : cases)
    for (int i = 0; i < 2; i++) {
      uint32_t v = 1;
      EXPECT_TRUE(Value(block.bytes, c.counter, i, &v)) << c.counter << " " << i;
      EXPECT_EQ(v, c.expect[i]) << c.counter << " " << i;
    }
  uint32_t v = 1;
  EXPECT_FALSE(Value(block.bytes, kPerfBytesTotal, 2, &v));  // no third interface
  EXPECT_EQ(v, 0u);
  EXPECT_FALSE(Value(block.bytes, kPerfBytesTotal, -1, &v));
}

TEST(PerfWalker, MissingCounterOrObjectOrInterfacesGivesNothing)
{
  const auto noReceived = Build(kTwo, false);
  uint32_t v = 1;
  EXPECT_FALSE(Value(noReceived.bytes, kPerfBytesReceived, 0, &v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(Value(noReceived.bytes, kPerfBytesSent, 1, &v));
  EXPECT_EQ(v, 0x10u);

  // What Wine answers: a valid block holding no object at all.
  auto empty = Build({});
  Put(empty.bytes, 28, 0);
  std::vector<std::string> names{"stale"};
  EXPECT_FALSE(Names(empty.bytes, &names));
  EXPECT_TRUE(names.empty());

  // The object without instances: found, no names.
  EXPECT_TRUE(Names(Build({}).bytes, &names));
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(PerfInstanceNames(nullptr, 0, kPerfObjectNetInterface, &names));
}

TEST(PerfWalker, EveryTruncationIsNotFound)
{
  const auto block = Build(kTwo);
  for (size_t len = 0; len < block.bytes.size(); len++) {
    std::vector<uint8_t> cut(block.bytes.begin(), block.bytes.begin() + (long)len);
    std::vector<std::string> names;
    uint32_t v = 1;
    EXPECT_FALSE(Names(cut, &names)) << len;
    EXPECT_FALSE(Value(cut, kPerfBytesSent, 1, &v)) << len;
    EXPECT_EQ(v, 0u);
  }
}

TEST(PerfWalker, LengthsAndOffsetsThatDoNotFitAreNotFound)
{
  const auto good = Build(kTwo);
  const size_t obj = good.netObject;
  const size_t inst1 = good.instances[1];
  const size_t cb1 = good.counterBlocks[1];
  const size_t def0 = good.counterDefs[0];
  const uint32_t huge = 0xFFFFFFF0u;
  const struct {
    const char* what;
    size_t at;
    uint32_t value;
  } damage[] = {
      {"block header past the end", 24, huge},
      {"block header inside itself", 24, 4},
      {"object length 0", 88, 0},
      {"object length huge", obj, huge},
      {"object definitions past the object", obj + 4, huge},
      {"object header 0", obj + 8, 0},
      {"counter definition length 0", def0, 0},
      {"counter definition length huge", def0, huge},
      {"instance count huge", obj + 40, 0x7FFFFFFF},
      {"instance length 0", inst1, 0},
      {"instance length huge", inst1, huge},
      {"name offset past the instance", inst1 + 16, huge},
      {"name length past the instance", inst1 + 20, huge},
      {"counter block length 0", cb1, 0},
      {"counter block length huge", cb1, huge},
  };
  for (const auto& d : damage) {
    auto b = good.bytes;
    Put(b, d.at, d.value);
    std::vector<std::string> names;
    uint32_t v = 1;
    EXPECT_FALSE(Names(b, &names) && Value(b, kPerfBytesSent, 1, &v)) << d.what;
  }
  // A counter whose offset lies past its counter block reads nothing.
  auto b = good.bytes;
  Put(b, good.counterDefs[2] + 36, 30);
  uint32_t v = 1;
  EXPECT_FALSE(Value(b, kPerfBytesSent, 0, &v));
  EXPECT_EQ(v, 0u);
}

}  // namespace
