#include "shell/taskdlgs/shelltaskdialogs.h"

#include "shell/mainframe/quickaddsite.h"
#include "shell/taskdlgs/changepassworddlg.h"
#include "shell/taskdlgs/chmoddlg.h"
#include "shell/taskdlgs/movetodlg.h"
#include "shell/taskdlgs/recorddirdlg.h"
#include "shell/taskdlgs/searchfiledlg.h"

bool CShellTaskDialogs::MoveTo(CWnd* parent, MoveToValues& values)
{
  CMoveToDlg dlg(parent);
  dlg.m_target = values.target;
  if (dlg.DoModal() != IDOK)
    return false;
  values.target = dlg.m_target;
  return true;
}

bool CShellTaskDialogs::ChangePassword(CWnd* parent, ChangePasswordValues& values)
{
  CChangePasswordDlg dlg(values.siteIndex, parent);
  if (dlg.DoModal() != IDOK)
    return false;
  values.oldPassword = dlg.m_oldPassword;
  values.newPassword = dlg.m_newPassword;
  values.confirmPassword = dlg.m_confirmPassword;
  return true;
}

bool CShellTaskDialogs::SearchFile(CWnd* parent, SearchFileValues& values)
{
  CSearchFileDlg dlg(values.siteIndex, parent);
  dlg.m_startFolder = values.startFolder;
  dlg.m_types = values.types;
  dlg.m_noLoop = values.noLoop;
  dlg.m_caseSensitive = values.caseSensitive;
  if (dlg.DoModal() != IDOK)
    return false;
  values.siteIndex = dlg.m_siteIndex;
  values.startFolder = dlg.m_startFolder;
  values.types = dlg.m_types;
  values.noLoop = dlg.m_noLoop;
  values.caseSensitive = dlg.m_caseSensitive;
  return true;
}

bool CShellTaskDialogs::RecordDir(CWnd* parent, RecordDirValues& values)
{
  CRecordDirDlg dlg(values.mode, values.siteIndex, parent);
  dlg.m_saveTarget = values.saveTarget;
  dlg.m_remoteText = values.remoteText;
  if (dlg.DoModal() != IDOK)
    return false;
  values.siteIndex = dlg.m_siteIndex;
  values.saveTarget = dlg.m_saveTarget;
  values.remoteText = dlg.m_remoteText;
  return true;
}

bool CShellTaskDialogs::Chmod(CWnd* parent, ChmodValues& values)
{
  CChmodDlg dlg(values.mode, parent);
  if (dlg.DoModal() != IDOK)
    return false;
  values.mode = dlg.m_mode;
  return true;
}

bool CShellTaskDialogs::ModifyInfo(CWnd* parent, int siteIndex, SiteLoginValues& values)
{
  return RunModifyInfoDialog(parent, siteIndex, values);
}

bool CShellTaskDialogs::QuickAddSite(CWnd* parent, SiteLoginValues& values)
{
  return RunQuickAddSiteDialog(parent, values);
}

CTaskDialogs* BindShellTaskDialogs()
{
  static CShellTaskDialogs dialogs;
  return SetTaskDialogs(&dialogs);
}
