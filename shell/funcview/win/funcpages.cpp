#include "shell/funcview/funcpages.h"

namespace {
struct PageMakerSlot {
  UINT templateId;
  FuncPageMaker maker;
};
// Six pages at most; registration runs before any thread starts.
PageMakerSlot g_pageMakers[8];
int g_pageMakerCount = 0;
}  // namespace

void RegisterFuncViewPage(UINT templateId, FuncPageMaker maker) {
  for (int i = 0; i < g_pageMakerCount; ++i) {
    if (g_pageMakers[i].templateId == templateId) {
      g_pageMakers[i].maker = maker;
      return;
    }
  }
  if (g_pageMakerCount < static_cast<int>(sizeof(g_pageMakers) / sizeof(g_pageMakers[0])))
    g_pageMakers[g_pageMakerCount++] = {templateId, maker};
}

FuncPageMaker FindFuncViewPage(UINT templateId) {
  for (int i = 0; i < g_pageMakerCount; ++i)
    if (g_pageMakers[i].templateId == templateId) return g_pageMakers[i].maker;
  return nullptr;
}
