// The server trees' command ids: the views' one set (views/viewcmds.h).
#pragma once

#include "views/viewcmds.h"

namespace sertreecmd = viewcmd;
