#include "toolkit/clipboard.h"

#include <cstring>
#include <mutex>

const char kClipFormatName[] = "ZARNClipData";
UINT g_clipFormat = ::RegisterClipboardFormatA(kClipFormatName);

namespace {

std::mutex g_heldLock;
ClipPayloadReleaseFn g_release = nullptr;
bool g_held = false;
BYTE g_heldRecord[kClipPayloadSize];

// Another program may hold the clipboard for a moment (a viewer reading it).
BOOL OpenClip(CWnd* owner) {
  HWND h = owner ? owner->GetSafeHwnd() : nullptr;
  for (int attempt = 0; attempt < 20; attempt++) {
    if (::OpenClipboard(h))
      return TRUE;
    ::Sleep(10);
  }
  return FALSE;
}

// Puts a copy of data (size bytes) zero-padded to blockSize in format. The
// held payload is released only once the clipboard is ours to replace, so a
// copy that fails leaves the earlier one usable.
BOOL PutBlock(UINT format, const void* data, size_t size, size_t blockSize, CWnd* owner) {
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, blockSize);
  if (block == nullptr)
    return FALSE;
  void* p = ::GlobalLock(block);
  if (p == nullptr) {
    ::GlobalFree(block);
    return FALSE;
  }
  memcpy(p, data, size);
  ::GlobalUnlock(block);
  if (!OpenClip(owner)) {
    ::GlobalFree(block);
    return FALSE;
  }
  ReleaseClipboardPayload();
  ::EmptyClipboard();
  const BOOL ok = ::SetClipboardData(format, block) != nullptr;
  if (!ok)
    ::GlobalFree(block);
  ::CloseClipboard();
  return ok;
}

}  // namespace

void SetClipPayloadRelease(ClipPayloadReleaseFn release) {
  std::lock_guard<std::mutex> lock(g_heldLock);
  g_release = release;
}

void ReleaseClipboardPayload() {
  ClipPayloadReleaseFn release = nullptr;
  BYTE record[kClipPayloadSize];
  {
    std::lock_guard<std::mutex> lock(g_heldLock);
    if (!g_held)
      return;
    g_held = false;
    release = g_release;
    memcpy(record, g_heldRecord, sizeof record);
  }
  if (release != nullptr)
    release(record);
}

void ClearClipboard(CWnd* owner) {
  if (!OpenClip(owner)) {
    ReleaseClipboardPayload();
    return;
  }
  ReleaseClipboardPayload();
  ::EmptyClipboard();
  ::CloseClipboard();
}

BOOL CopyTextToClipboard(const char* text, CWnd* owner) {
  const size_t len = text ? strlen(text) : 0;
  const char* body = len >= 2 ? text + 2 : "";
  const size_t size = strlen(body) + 1;
  return PutBlock(CF_TEXT, body, size, size, owner);
}

BOOL GetClipboardText(char* buffer, int size, CWnd* owner) {
  if (buffer == nullptr || size < 1)
    return FALSE;
  if (!OpenClip(owner))
    return FALSE;
  BOOL ok = FALSE;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    const SIZE_T blockSize = ::GlobalSize(data);
    if (const char* p = (const char*)::GlobalLock(data)) {
      SIZE_T n = blockSize < (SIZE_T)size - 1 ? blockSize : (SIZE_T)size - 1;
      const void* nul = memchr(p, '\0', n);
      if (nul != nullptr)
        n = (SIZE_T)((const char*)nul - p);
      memcpy(buffer, p, n);
      buffer[n] = '\0';
      ::GlobalUnlock(data);
      ok = TRUE;
    }
  }
  ::CloseClipboard();
  return ok;
}

BOOL GetClipboardTextSize(UINT* size, CWnd* owner) {
  if (size == nullptr || !OpenClip(owner))
    return FALSE;
  BOOL ok = FALSE;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    *size = (UINT)::GlobalSize(data);
    ok = TRUE;
  }
  ::CloseClipboard();
  return ok;
}

BOOL CopyPayloadToClipboard(const void* record, CWnd* owner) {
  if (record == nullptr)
    return FALSE;
  BYTE stamped[kClipPayloadSize];
  memcpy(stamped, record, sizeof stamped);
  const DWORD pid = ::GetCurrentProcessId();
  memcpy(stamped + kClipProducerOffset, &pid, sizeof pid);
  if (g_clipFormat == 0 || !PutBlock(g_clipFormat, stamped, sizeof stamped, kClipBlockSize, owner))
    return FALSE;
  std::lock_guard<std::mutex> lock(g_heldLock);
  memcpy(g_heldRecord, stamped, sizeof stamped);
  g_held = true;
  return TRUE;
}

BOOL GetPayloadFromClipboard(void* record, CWnd* owner) {
  if (record == nullptr || g_clipFormat == 0 || !::IsClipboardFormatAvailable(g_clipFormat) || !OpenClip(owner))
    return FALSE;
  BOOL ok = FALSE;
  if (HANDLE data = ::GetClipboardData(g_clipFormat)) {
    if (::GlobalSize(data) >= kClipPayloadSize) {
      if (const BYTE* p = (const BYTE*)::GlobalLock(data)) {
        DWORD pid = 0;
        memcpy(&pid, p + kClipProducerOffset, sizeof pid);
        // Only the copy whose entries are still held: an id alone may be an
        // earlier process's that had the same number.
        std::lock_guard<std::mutex> lock(g_heldLock);
        if (pid == ::GetCurrentProcessId() && g_held && memcmp(p, g_heldRecord, kClipPayloadSize) == 0) {
          memcpy(record, p, kClipPayloadSize);
          ok = TRUE;
        }
        ::GlobalUnlock(data);
      }
    }
  }
  ::CloseClipboard();
  return ok;
}
