// The ping window's import, in a library of its own: only programs that link
// it load zarncontrol.dll.
#include "console/zarncontrol.h"
#include "shell/doc/pinglink.h"

void BindPingImport() { SetPingFunc(&OpenMyPingFunc); }
