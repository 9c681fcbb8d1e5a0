#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/framework_gui/guitest.h"
#include "toolkit/clipboard.h"

CWinApp theApp("toolkit_clipboard");

namespace {

const char kForeignFlag[] = "--foreign-producer";
const char kForeignReady[] = "ZarnClipForeignReady";
const char kForeignQuit[] = "ZarnClipForeignQuit";

int g_released = 0;
BYTE g_releasedRecord[kClipPayloadSize];
void CountRelease(const void* record) {
  ++g_released;
  memcpy(g_releasedRecord, record, kClipPayloadSize);
}

// Every routine hands the clipboard back.
bool Closed() { return ::GetOpenClipboardWindow() == nullptr; }

void PutRaw(UINT format, const void* data, size_t size) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, size);
  ASSERT_NE(block, nullptr);
  memcpy(::GlobalLock(block), data, size);
  ::GlobalUnlock(block);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ASSERT_NE(::SetClipboardData(format, block), nullptr);
  ::CloseClipboard();
}

class ClipboardTest : public ::testing::Test {
protected:
  CWnd owner;
  void SetUp() override {
    guitest::BecomeGuiThread();
    ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), "clip owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    g_released = 0;
    SetClipPayloadRelease(CountRelease);
    ClearClipboard(&owner);
    g_released = 0;
  }
  void TearDown() override {
    ClearClipboard(&owner);
    SetClipPayloadRelease(nullptr);
  }
};

TEST_F(ClipboardTest, TextLosesItsSeparatorAndIsReadWithinTheBuffer) {
  ASSERT_TRUE(CopyTextToClipboard("\r\nftp://h/x", &owner));
  EXPECT_TRUE(Closed());
  char buffer[64];
  ASSERT_TRUE(GetClipboardText(buffer, sizeof buffer, &owner));
  EXPECT_STREQ(buffer, "ftp://h/x");
  UINT size = 0;
  ASSERT_TRUE(GetClipboardTextSize(&size, &owner));
  EXPECT_GE(size, 10u);
  char small[5] = "####";
  ASSERT_TRUE(GetClipboardText(small, 4, &owner));
  EXPECT_STREQ(small, "ftp");
  char untouched[4] = "abc";
  EXPECT_FALSE(GetClipboardText(untouched, 0, &owner));
  EXPECT_STREQ(untouched, "abc");
  EXPECT_TRUE(Closed());

  ASSERT_TRUE(CopyTextToClipboard("x", &owner));  // under two characters: empty
  ASSERT_TRUE(GetClipboardText(buffer, sizeof buffer, &owner));
  EXPECT_STREQ(buffer, "");

  // A block of CF_TEXT without its terminator is read to its end, no further.
  PutRaw(CF_TEXT, "ABCDEFGH", 8);
  ASSERT_TRUE(GetClipboardText(buffer, sizeof buffer, &owner));
  EXPECT_LE(strlen(buffer), 8u);  // Wine takes the last byte for the terminator
  EXPECT_EQ(std::string("ABCDEFGH").compare(0, strlen(buffer), buffer), 0) << buffer;
  EXPECT_TRUE(Closed());

  ClearClipboard(&owner);
  EXPECT_FALSE(GetClipboardText(buffer, sizeof buffer, &owner));
  EXPECT_FALSE(GetClipboardTextSize(&size, &owner));
  EXPECT_TRUE(Closed());
}

TEST_F(ClipboardTest, PayloadRoundTripsWithTheMarkAndATextReleasesItOnce) {
  BYTE record[kClipPayloadSize];
  for (UINT i = 0; i < kClipPayloadSize; i++)
    record[i] = (BYTE)(i * 7 + 1);
  ASSERT_TRUE(CopyPayloadToClipboard(record, &owner));
  EXPECT_TRUE(Closed());
  ASSERT_TRUE(::IsClipboardFormatAvailable(g_clipFormat));
  BYTE back[kClipPayloadSize] = {};
  ASSERT_TRUE(GetPayloadFromClipboard(back, &owner));
  ASSERT_TRUE(GetPayloadFromClipboard(back, &owner)) << "a copy pastes more than once";
  EXPECT_TRUE(Closed());
  DWORD mark = 0;
  memcpy(&mark, back + kClipProducerOffset, sizeof mark);
  EXPECT_EQ(mark, ::GetCurrentProcessId());
  memcpy(record + kClipProducerOffset, &mark, sizeof mark);
  EXPECT_EQ(memcmp(back, record, kClipPayloadSize), 0);
  EXPECT_EQ(g_released, 0);

  ASSERT_TRUE(CopyTextToClipboard("  text", &owner));
  EXPECT_EQ(g_released, 1);
  EXPECT_EQ(memcmp(g_releasedRecord, record, kClipPayloadSize), 0);
  ASSERT_TRUE(CopyTextToClipboard("  more", &owner));
  ReleaseClipboardPayload();
  ClearClipboard(&owner);
  EXPECT_EQ(g_released, 1) << "released once only";
  EXPECT_FALSE(GetPayloadFromClipboard(back, &owner));

  // A payload replaced by a payload, then cleared.
  ASSERT_TRUE(CopyPayloadToClipboard(record, &owner));
  ASSERT_TRUE(CopyPayloadToClipboard(record, &owner));
  EXPECT_EQ(g_released, 2);
  ClearClipboard(&owner);
  EXPECT_EQ(g_released, 3);
  EXPECT_FALSE(::IsClipboardFormatAvailable(g_clipFormat));
  EXPECT_TRUE(Closed());
}

TEST_F(ClipboardTest, ShortAndUnheldBlocksAreRefused) {
  BYTE back[kClipPayloadSize];
  memset(back, 0x5A, sizeof back);
  const BYTE tiny[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  PutRaw(g_clipFormat, tiny, sizeof tiny);
  EXPECT_FALSE(GetPayloadFromClipboard(back, &owner));
  EXPECT_EQ(back[0], 0x5A);

  // A full block with this process's mark that this process never put there
  // (an earlier process of the same id, or a forged one).
  BYTE forged[kClipBlockSize] = {};
  const DWORD pid = ::GetCurrentProcessId();
  memcpy(forged + kClipProducerOffset, &pid, sizeof pid);
  PutRaw(g_clipFormat, forged, sizeof forged);
  EXPECT_FALSE(GetPayloadFromClipboard(back, &owner));
  ReleaseClipboardPayload();
  EXPECT_EQ(g_released, 0);
  EXPECT_TRUE(Closed());
}

TEST_F(ClipboardTest, AnotherInstancesPayloadIsRefusedAndNothingIsReleased) {
  HANDLE hReady = ::CreateEventA(nullptr, TRUE, FALSE, kForeignReady);
  HANDLE hQuit = ::CreateEventA(nullptr, TRUE, FALSE, kForeignQuit);
  ASSERT_NE(hReady, nullptr);
  ASSERT_NE(hQuit, nullptr);
  char path[MAX_PATH];
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string line = std::string("\"") + path + "\" " + kForeignFlag;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  ASSERT_TRUE(guitest::Signalled(hReady)) << "the other instance put its payload";

  BYTE back[kClipPayloadSize] = {};
  EXPECT_TRUE(::IsClipboardFormatAvailable(g_clipFormat));
  EXPECT_FALSE(GetPayloadFromClipboard(back, &owner));
  ReleaseClipboardPayload();
  EXPECT_EQ(g_released, 0);
  EXPECT_TRUE(::IsClipboardFormatAvailable(g_clipFormat)) << "its copy is left alone";
  EXPECT_TRUE(Closed());

  ::SetEvent(hQuit);
  EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  ::CloseHandle(hReady);
  ::CloseHandle(hQuit);
}

// The other instance: puts a payload with its own mark and stays alive (with
// its owner window) until told to go.
int RunForeignProducer() {
  HANDLE hReady = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, kForeignReady);
  HANDLE hQuit = ::OpenEventA(SYNCHRONIZE, FALSE, kForeignQuit);
  if (hReady == nullptr || hQuit == nullptr)
    return 2;
  CWnd owner;
  if (!owner.CreateEx(0, AfxRegisterWndClass(0), "foreign owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr))
    return 3;
  BYTE record[kClipPayloadSize] = {};
  memset(record, 0x11, 16);
  if (!CopyPayloadToClipboard(record, &owner))
    return 4;
  ::SetEvent(hReady);
  // Owner of the clipboard: answer its messages while waiting.
  while (::MsgWaitForMultipleObjects(1, &hQuit, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      ::DispatchMessageA(&msg);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], kForeignFlag) == 0)
    return RunForeignProducer();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
