// The module whose resources the framework loads (string tables and the like).
#pragma once

#include "framework/fwtypes.h"

#ifdef _WIN32
// Default: the module (exe or dll) that this copy of the framework is linked into,
// so every DLL loads its own resources.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
#endif
