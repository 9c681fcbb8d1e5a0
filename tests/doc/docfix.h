// Shared by the document tests: a recorder that answers every box the
// document shows.
#pragma once

#include <string>
#include <vector>

#include "shell/doc/zarndoc.h"

namespace doctest {

struct SeenBox {
  UINT stringId;
  std::string text;
  int mode;
  BOOL autoClose;
};

// Boxes shown since the last Reset, answered with g_answer (IDOK by default),
// with the "don't show" box ticked when g_tick is set.
extern std::vector<SeenBox> g_boxes;
extern int g_answer;
extern bool g_tick;

// Installs the recorder and clears what it saw.
void RecordBoxes(int answer = IDOK, bool tick = false);

}  // namespace doctest
