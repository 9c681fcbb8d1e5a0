// Drives the program's boxes from a second thread, as a user would: finds a box
// of this process by caption, reads its controls and clicks its buttons.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace boxdriver {

// A visible top-level window of this process with this caption, waited for up to
// timeoutMs; null when none came.
HWND WaitForBox(const char* caption, DWORD timeoutMs = 10000);
// True once the window is gone (destroyed or hidden) within timeoutMs.
bool WaitGone(HWND box, DWORD timeoutMs = 10000);

std::string Text(HWND window);
std::string ItemText(HWND box, int id);
void SetItemText(HWND box, int id, const char* text);
bool ItemVisible(HWND box, int id);
bool ItemEnabled(HWND box, int id);
// A button press, posted so that a handler that opens another box does not hold
// the driver.
void Click(HWND box, int id);

// Polls the control's text until the box is gone and returns each new text in
// order (the first one included).
std::vector<std::string> RecordTexts(HWND box, int id, DWORD timeoutMs = 20000);

// Runs the driver beside the test thread; Join waits for it.
class Driver {
public:
  explicit Driver(std::function<void()> body) : m_thread(std::move(body)) {}
  ~Driver() { Join(); }
  void Join()
  {
    if (m_thread.joinable())
      m_thread.join();
  }

private:
  std::thread m_thread;
};

// Runs body on this thread while a driver answers each box of that caption
// with OK; the texts of control textId of the boxes, in order.
std::vector<std::string> TextsOfBoxesDuring(const char* caption, int textId, const std::function<void()>& body);

// Waits for the event while handling this thread's messages (a window of this
// thread may own a box of another thread).
bool PumpUntil(HANDLE event, DWORD timeoutMs);

}  // namespace boxdriver
