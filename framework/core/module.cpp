#include "framework/module.h"

#ifdef _WIN32
#include <atomic>

namespace {
// fwcore is a static library, so each exe and dll has its own copy of this.
std::atomic<HINSTANCE> g_hResource{nullptr};
const char g_anchor = 0;

HINSTANCE ThisModule() {
  HMODULE h = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          &g_anchor, &h))
    return GetModuleHandleA(nullptr);
  return h;
}
}  // namespace

HINSTANCE AfxGetResourceHandle() {
  HINSTANCE h = g_hResource.load();
  if (!h) {
    h = ThisModule();
    g_hResource.store(h);
  }
  return h;
}

void AfxSetResourceHandle(HINSTANCE hInstResource) { g_hResource.store(hInstResource); }
#endif
