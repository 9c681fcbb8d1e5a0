#include "engine/taskdialogs.h"

#include "engine/siteitem.h"

// GUI thread only: the commands that ask and the program that binds.
static CTaskDialogs* s_taskDialogs = nullptr;
static CommandCtrlFn s_commandCtrl = nullptr;

CTaskDialogs* SetTaskDialogs(CTaskDialogs* dialogs)
{
  CTaskDialogs* previous = s_taskDialogs;
  s_taskDialogs = dialogs;
  return previous;
}

CTaskDialogs* TaskDialogs()
{
  return s_taskDialogs;
}

CommandCtrlFn SetCommandCtrl(CommandCtrlFn fn)
{
  CommandCtrlFn previous = s_commandCtrl;
  s_commandCtrl = fn;
  return previous;
}

int OpenCommandCtrl(const CSiteItem* site, CWnd* parent)
{
  if (s_commandCtrl == nullptr)
    return 0;
  if (site == nullptr)
    return s_commandCtrl(nullptr, 0, nullptr, nullptr, nullptr, 0, 1, parent);
  return s_commandCtrl(site->m_host, site->m_port, site->m_user, site->m_password, site->m_localFolder,
                       site->SiteOptionDigits[4] != '0' ? 1 : 0, site->SiteOptionDigits[1] != '0' ? 1 : 0, parent);
}
