// Helpers of the toolkit's window tests: the pointer through xdotool, as a user
// moves it, and screenshots when ZARN_SHOT_DIR names a folder to put them in.
#pragma once

#include "tests/support/xside.h"

#include <cstdlib>
#include <string>

namespace wintest {

using guitest::PumpUntil;

// Runs a command line of the host (xdotool, import) through its shell and pumps
// this thread's messages until it is done, so what it does to the windows is
// taken in meanwhile. A host program's process handle does not signal its end
// under Wine: the shell leaves a marker file instead.
inline bool RunHost(const std::string& commandLine) { return xside::RunUnix(commandLine, "zarn-host", 20000); }

inline bool Xdo(const std::string& actions) { return RunHost("xdotool " + actions); }

// Away first: a pointer already resting there sends no motion.
inline std::string MoveTo(int x, int y) {
  return "mousemove 0 0 sleep 0.2 mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2";
}

// Clicks at a screen point until done() holds; a loaded X server may drop the
// first motion, so up to three attempts.
template <class Done>
bool ClickUntil(int x, int y, Done done) {
  for (int attempt = 0; attempt < 3; attempt++) {
    Xdo(MoveTo(x, y) + " click 1");
    if (PumpUntil(done, 5000))
      return true;
  }
  return false;
}

inline POINT ScreenCentre(HWND h) { return xside::WindowCentre(h); }

// The whole screen into $ZARN_SHOT_DIR/<name>.png; nothing without the variable.
inline void Shot(const char* name) {
  const char* dir = std::getenv("ZARN_SHOT_DIR");
  if (dir == nullptr || *dir == '\0')
    return;
  ::RedrawWindow(nullptr, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
  RunHost(std::string("import -window root ") + dir + "/" + name + ".png");
}

}  // namespace wintest
