// The image lists every tree and list of the views shares: the shell's system
// lists with the program's own four icons appended.
#pragma once

#include "framework/commctrls.h"

extern CImageList g_smallImageList;
extern CImageList g_largeImageList;
extern int g_siteImageBase;  // small list's count after our icons

// Attaches and extends both lists; FALSE (after an "Error" box) when the shell
// gives none.
BOOL BuildSharedImageLists();
