// A site's connection addresses: written on the connection's thread, read on
// the window thread as one copy of whole texts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "engine/siteitem.h"

namespace {

TEST(SiteAddresses, ReadersSeeOldOrNewTextNeverAMix)
{
  CSiteItem site;
  SiteAddresses empty = site.ReadAddresses();
  EXPECT_STREQ(empty.local, "");
  EXPECT_STREQ(empty.server, "");

  // Texts of different lengths, so a torn copy shows as a text of neither.
  const char* const locals[] = {"127.0.0.1", "192.168.100.200", ""};
  const char* const servers[] = {"10.0.0.2", "255.255.255.255", "8.8.8.8"};
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 200000; ++i) {
      site.SetLocalAddress(locals[i % 3]);
      site.SetServerAddress(servers[i % 3]);
      if (i % 7 == 0)
        site.ClearAddresses();
    }
    done = true;
  });
  int torn = 0, reads = 0;
  auto known = [](const char* text, const char* const* set) {
    if (*text == '\0')
      return true;
    for (int i = 0; i < 3; ++i)
      if (strcmp(text, set[i]) == 0)
        return true;
    return false;
  };
  while (!done || reads < 1000) {
    const SiteAddresses a = site.ReadAddresses();
    ++reads;
    if (!known(a.local, locals) || !known(a.server, servers))
      ++torn;
  }
  writer.join();
  EXPECT_EQ(torn, 0) << "of " << reads;

  // A text longer than the field is cut, never overruns it.
  site.SetServerAddress(std::string(40, '9').c_str());
  EXPECT_EQ(std::string(site.ReadAddresses().server), std::string(kSiteLocalAddressLen - 1, '9'));
  site.SetServerAddress(nullptr);
  EXPECT_STREQ(site.ReadAddresses().server, "");
}

}  // namespace
