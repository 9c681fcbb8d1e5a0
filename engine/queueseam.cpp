// The end-of-queue actions and their seam.
#include "engine/queueseam.h"

#include <mutex>

#include "engine/confirmdlg.h"
#include "engine/dialup.h"
#include "engine/engineres.h"
#include "engine/exitrequest.h"
#include "engine/progthread.h"
#include "shell/settings/settings.h"

namespace {

void PostToMainFrame(UINT message, WPARAM wParam, LPARAM lParam)
{
  CWnd* frame = g_pMainFrame.load();
  HWND hWnd = frame != nullptr ? frame->GetSafeHwnd() : nullptr;
  if (hWnd != nullptr)
    ::PostMessageA(hWnd, message, wParam, lParam);
}

int RealConfirm(UINT stringId)
{
  return ShowConfirmDlg(g_pMainFrame.load(), stringId, -2);
}

int RealHangUp()
{
  return HangUpAllConnections();
}

void RealPowerOff()
{
  PostToMainFrame(UWM_POWER_OFF, 0, 0);
}

void RealClose()
{
  PostToMainFrame(WM_SYSCOMMAND, SC_CLOSE, 0);
}

const QueueEndActions kRealActions = {RealConfirm, RealHangUp, RealPowerOff, RealClose};

std::mutex g_actionsLock;
QueueEndActions g_actions = kRealActions;

QueueEndActions CurrentActions()
{
  std::lock_guard<std::mutex> guard(g_actionsLock);
  return g_actions;
}

}  // namespace

void SetQueueEndActions(const QueueEndActions* actions)
{
  std::lock_guard<std::mutex> guard(g_actionsLock);
  g_actions = actions != nullptr ? *actions : kRealActions;
}

void RunQueueEndActions(uint32_t optionFlags)
{
  if (g_exitRequested.load() != 0)
    return;
  const QueueEndActions actions = CurrentActions();
  auto bit = [optionFlags](int n) { return ((optionFlags >> n) & 1u) != 0; };
  if (bit(OPTBIT_QUEUE_POWEROFF)) {
    if (actions.confirm != nullptr && actions.confirm(IDS_COUNTDOWN_SHUTDOWN) == IDOK &&
        g_exitRequested.exchange(1) == 0 && actions.postPowerOff != nullptr)
      actions.postPowerOff();
    return;
  }
  if (bit(OPTBIT_QUEUE_HANGUP) && actions.hangUpAll != nullptr)
    actions.hangUpAll();
  if (bit(OPTBIT_QUEUE_QUIT) && g_exitRequested.load() == 0 && actions.confirm != nullptr &&
      actions.confirm(IDS_COUNTDOWN_QUIT) == IDOK && g_exitRequested.exchange(1) == 0 &&
      actions.postClose != nullptr)
    actions.postClose();
}
