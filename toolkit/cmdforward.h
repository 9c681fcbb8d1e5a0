// A page passes its controls' commands on to its host with the control's
// window in lParam, and the host's framework offers such a notification to the
// control's own class again. While a command is passed on, the controls of
// this toolkit see it as a repeat and leave it alone (a checkbox would
// otherwise toggle once per window on the way).
#pragma once

#include "framework/fwtypes.h"

class CForwardingCommand {
public:
  explicit CForwardingCommand(HWND hCtrl);
  ~CForwardingCommand();
  CForwardingCommand(const CForwardingCommand&) = delete;
  CForwardingCommand& operator=(const CForwardingCommand&) = delete;

private:
  HWND m_hPrev;
};

// TRUE while the calling thread passes on a command of hCtrl.
BOOL IsForwardedCommand(HWND hCtrl);
