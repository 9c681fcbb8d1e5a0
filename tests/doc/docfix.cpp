#include "tests/doc/docfix.h"

#include <mutex>

namespace doctest {

std::vector<SeenBox> g_boxes;
int g_answer = IDOK;
bool g_tick = false;

namespace {
std::mutex g_boxLock;

int Recorder(const DocBoxRequest& r, BOOL* dontShow)
{
  std::lock_guard<std::mutex> hold(g_boxLock);
  g_boxes.push_back(SeenBox{r.stringId, r.text != nullptr ? r.text : "", r.mode, r.autoClose});
  *dontShow = g_tick ? TRUE : FALSE;
  return g_answer;
}
}  // namespace

void RecordBoxes(int answer, bool tick)
{
  std::lock_guard<std::mutex> hold(g_boxLock);
  g_boxes.clear();
  g_answer = answer;
  g_tick = tick;
  SetDocBoxHook(&Recorder);
}

}  // namespace doctest
