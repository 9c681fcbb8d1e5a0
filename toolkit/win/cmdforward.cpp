#include "toolkit/cmdforward.h"

namespace {
thread_local HWND t_hForwarding = nullptr;
}

CForwardingCommand::CForwardingCommand(HWND hCtrl) : m_hPrev(t_hForwarding) { t_hForwarding = hCtrl; }
CForwardingCommand::~CForwardingCommand() { t_hForwarding = m_hPrev; }
BOOL IsForwardedCommand(HWND hCtrl) { return hCtrl != nullptr && hCtrl == t_hForwarding; }
