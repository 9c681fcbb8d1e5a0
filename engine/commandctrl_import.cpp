// The console's import, in a library of its own: only programs that link it
// load zarncontrol.dll.
#include "console/zarncontrol.h"
#include "engine/taskdialogs.h"

void BindCommandCtrlImport()
{
  SetCommandCtrl(&OpenMyCommandCtrl);
}
