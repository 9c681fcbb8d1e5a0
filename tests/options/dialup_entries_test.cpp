// The phone-book entries of the Connect page through the dial-up seam.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/dialup.h"

namespace {

struct EnumScript {
  std::vector<std::string> names;
  std::vector<DWORD> bytesOffered;
  bool failSecond = false;
} g_script;

DWORD WINAPI FakeEnumEntries(LPCSTR, LPCSTR, RasEntryNameV1* entries, LPDWORD bytes, LPDWORD count)
{
  g_script.bytesOffered.push_back(*bytes);
  if (entries[0].dwSize != sizeof(RasEntryNameV1))
    return ERROR_INVALID_SIZE;
  const DWORD needed = (DWORD)(g_script.names.size() * sizeof(RasEntryNameV1));
  if (*bytes < needed) {
    *bytes = needed;
    *count = (DWORD)g_script.names.size();
    return ERROR_BUFFER_TOO_SMALL;
  }
  if (g_script.failSecond && g_script.bytesOffered.size() > 1)
    return ERROR_CANNOT_OPEN_PHONEBOOK;
  for (size_t i = 0; i < g_script.names.size(); ++i)
    strncpy(entries[i].szEntryName, g_script.names[i].c_str(), RAS_MaxEntryName);
  *count = (DWORD)g_script.names.size();
  return ERROR_SUCCESS;
}

class DialUpEntries : public ::testing::Test {
protected:
  void SetUp() override
  {
    g_script = EnumScript();
    m_api.enumEntries = &FakeEnumEntries;
    SetDialUpApi(&m_api);
  }
  void TearDown() override { SetDialUpApi(nullptr); }
  DialUpApi m_api = {};
};

TEST_F(DialUpEntries, TheBufferGrowsOnceToWhatRasAsks)
{
  g_script.names = {"Office", "Home", "Backup line"};
  EXPECT_EQ(EnumDialUpEntries(), g_script.names);
  ASSERT_EQ(g_script.bytesOffered.size(), 2u);
  EXPECT_EQ(g_script.bytesOffered[0], sizeof(RasEntryNameV1));
  EXPECT_EQ(g_script.bytesOffered[1], 3 * sizeof(RasEntryNameV1));

  g_script = EnumScript();
  g_script.names = {"Only"};
  EXPECT_EQ(EnumDialUpEntries(), std::vector<std::string>{"Only"});
  EXPECT_EQ(g_script.bytesOffered.size(), 1u);
}

TEST_F(DialUpEntries, NoneWhenRasFailsOrIsMissing)
{
  g_script.names = {"a", "b"};
  g_script.failSecond = true;
  EXPECT_TRUE(EnumDialUpEntries().empty());
  m_api.enumEntries = nullptr;
  EXPECT_TRUE(EnumDialUpEntries().empty());
  // The system's own: Wine keeps no phone book, so nothing (and no crash).
  SetDialUpApi(nullptr);
  EXPECT_TRUE(EnumDialUpEntries().empty());
  EXPECT_NE(LoadDialUpApi().enumEntries, nullptr);
}

}  // namespace
