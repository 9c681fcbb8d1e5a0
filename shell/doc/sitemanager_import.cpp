// The site manager's import, in a library of its own: only programs that link
// it load zarnsite.dll.
#include "shell/doc/sitemanagerlink.h"
#include "sitemanager/zarnsite.h"

void BindSiteManagerImport() { SetSiteManagerFunc(&OpenMySiteCommand); }
