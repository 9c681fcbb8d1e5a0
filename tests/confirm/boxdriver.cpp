// Finding and driving boxes from a second thread.
#include "boxdriver.h"

#include <atomic>
#include <cstring>

namespace boxdriver {

namespace {

struct FindArgs {
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM lParam)
{
  FindArgs* args = reinterpret_cast<FindArgs*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(window))
    return TRUE;
  // The caption without a message: other threads' hidden windows do not answer.
  WCHAR caption[256] = {};
  const int length = InternalGetWindowText(window, caption, 256);
  char narrow[512] = {};
  WideCharToMultiByte(CP_ACP, 0, caption, length, narrow, sizeof(narrow) - 1, nullptr, nullptr);
  if (strcmp(narrow, args->caption) == 0) {
    args->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForBox(const char* caption, DWORD timeoutMs)
{
  const DWORD start = GetTickCount();
  do {
    FindArgs args = {caption, nullptr};
    EnumWindows(&FindProc, reinterpret_cast<LPARAM>(&args));
    if (args.found != nullptr)
      return args.found;
    Sleep(10);
  } while (GetTickCount() - start < timeoutMs);
  return nullptr;
}

bool WaitGone(HWND box, DWORD timeoutMs)
{
  const DWORD start = GetTickCount();
  do {
    if (!IsWindow(box) || !IsWindowVisible(box))
      return true;
    Sleep(10);
  } while (GetTickCount() - start < timeoutMs);
  return false;
}

namespace {

// False when the window's thread did not answer in time (it may be busy ending
// the box).
bool TryText(HWND window, std::string* out)
{
  char text[1024] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000,
                           &length))
    return false;
  out->assign(text, length < sizeof(text) ? length : sizeof(text) - 1);
  return true;
}

}  // namespace

std::string Text(HWND window)
{
  std::string text;
  TryText(window, &text);
  return text;
}

std::string ItemText(HWND box, int id) { return Text(GetDlgItem(box, id)); }

void SetItemText(HWND box, int id, const char* text)
{
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(GetDlgItem(box, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 2000,
                      &ignored);
}

bool ItemVisible(HWND box, int id)
{
  HWND item = GetDlgItem(box, id);
  return item != nullptr && IsWindowVisible(item);
}

bool ItemEnabled(HWND box, int id)
{
  HWND item = GetDlgItem(box, id);
  return item != nullptr && IsWindowEnabled(item);
}

void Click(HWND box, int id) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); }

std::vector<std::string> RecordTexts(HWND box, int id, DWORD timeoutMs)
{
  std::vector<std::string> texts;
  HWND item = GetDlgItem(box, id);
  const DWORD start = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box) && GetTickCount() - start < timeoutMs) {
    std::string text;
    if (TryText(item, &text) && IsWindow(box) && (texts.empty() || texts.back() != text))
      texts.push_back(text);
    Sleep(5);
  }
  return texts;
}

bool PumpUntil(HANDLE event, DWORD timeoutMs)
{
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs)
      return false;
    const DWORD r = MsgWaitForMultipleObjects(1, &event, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0)
      return true;
    if (r != WAIT_OBJECT_0 + 1)
      return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
}

std::vector<std::string> TextsOfBoxesDuring(const char* caption, int textId, const std::function<void()>& body)
{
  std::vector<std::string> texts;
  std::atomic<bool> done{false};
  Driver driver([&] {
    while (!done.load()) {
      HWND box = WaitForBox(caption, 100);
      if (box == nullptr)
        continue;
      texts.push_back(ItemText(box, textId));
      Click(box, IDOK);
      WaitGone(box);
    }
  });
  body();
  done = true;
  driver.Join();
  return texts;
}

}  // namespace boxdriver
