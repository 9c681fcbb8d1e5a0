// The test program's application object.
#include "guitest.h"

CWinApp theApp("framework_gui");
