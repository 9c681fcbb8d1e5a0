// The platform's floor for the start-up bench: the least a Windows program
// does to show a window under this Wine. It opens a top-level window titled
// "zarn floor" with a list view in it, paints, and ends when closed.
#include <windows.h>
#include <commctrl.h>

namespace {

LRESULT CALLBACK FloorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &FloorProc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "ZarnFloor";
  ::RegisterClassA(&wc);
  HWND w = ::CreateWindowA("ZarnFloor", "zarn floor", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr, inst,
                           nullptr);
  HWND list = ::CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 800, 600, w, nullptr, inst,
                              nullptr);
  LVCOLUMNA col = {};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 200;
  col.pszText = (LPSTR) "Name";
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&col);
  ::ShowWindow(w, show);
  ::UpdateWindow(w);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
