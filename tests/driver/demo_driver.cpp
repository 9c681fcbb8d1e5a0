// demo_driver select | exit
//   select: waits for zarn's main window, finds the first server tree (control
//           1078 inside the splitter's first pane, 0xE900) and selects its
//           root's first child, the first site: the site connects and lists.
//   exit:   posts Exit (57665) to the main window.
// Exit status 0 when done, 1 when the window or the tree never came.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr int kPaneFirst = 0xE900;
constexpr int kServerTree = 1078;
constexpr UINT kExitCommand = 57665;

BOOL CALLBACK MainWindowProbe(HWND w, LPARAM out)
{
  char title[64] = {};
  ::GetWindowTextA(w, title, sizeof title);
  if (std::strcmp(title, "ZARN") == 0 && ::IsWindowVisible(w) && ::GetDlgItem(w, kPaneFirst) != nullptr) {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindMainWindow()
{
  HWND found = nullptr;
  ::EnumWindows(&MainWindowProbe, (LPARAM)&found);
  return found;
}

BOOL CALLBACK ServerTreeProbe(HWND w, LPARAM out)
{
  if (::GetDlgCtrlID(w) != kServerTree)
    return TRUE;
  for (HWND up = ::GetParent(w); up != nullptr; up = ::GetParent(up)) {
    if (::GetDlgCtrlID(up) == kPaneFirst) {
      *reinterpret_cast<HWND*>(out) = w;
      return FALSE;
    }
  }
  return TRUE;
}

// A tree control of id 1078 below a window of id 0xE900 below the frame.
HWND FindServerTree(HWND frame)
{
  HWND tree = nullptr;
  ::EnumChildWindows(frame, &ServerTreeProbe, (LPARAM)&tree);
  return tree;
}

}  // namespace

int main(int argc, char** argv)
{
  const bool exitCmd = argc > 1 && std::strcmp(argv[1], "exit") == 0;
  HWND frame = nullptr;
  for (int i = 0; i < 600 && frame == nullptr; ++i) {
    frame = FindMainWindow();
    if (frame == nullptr)
      ::Sleep(100);
  }
  if (frame == nullptr) {
    std::fprintf(stderr, "demo_driver: no main window\n");
    return 1;
  }
  if (exitCmd) {
    ::PostMessageA(frame, WM_COMMAND, kExitCommand, 0);
    return 0;
  }
  for (int i = 0; i < 300; ++i) {
    HWND tree = FindServerTree(frame);
    if (tree != nullptr) {
      auto root = (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
      auto site = root != nullptr ? (HTREEITEM)::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root) : nullptr;
      if (site != nullptr) {
        ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)site);
        std::printf("demo_driver: first site selected\n");
        return 0;
      }
    }
    ::Sleep(100);
  }
  std::fprintf(stderr, "demo_driver: no server tree with a site\n");
  return 1;
}
