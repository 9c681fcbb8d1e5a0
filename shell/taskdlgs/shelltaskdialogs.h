// The program's answer to the views' task dialogs: each call runs the real
// dialog over the preset values.
#pragma once

#include "engine/taskdialogs.h"

class CShellTaskDialogs : public CTaskDialogs {
public:
  bool MoveTo(CWnd* parent, MoveToValues& values) override;
  bool ChangePassword(CWnd* parent, ChangePasswordValues& values) override;
  bool SearchFile(CWnd* parent, SearchFileValues& values) override;
  bool RecordDir(CWnd* parent, RecordDirValues& values) override;
  bool Chmod(CWnd* parent, ChmodValues& values) override;
  // Cancel until the Quick Add dialog can modify a site.
  bool ModifyInfo(CWnd* parent, int siteIndex, SiteLoginValues& values) override;
  bool QuickAddSite(CWnd* parent, SiteLoginValues& values) override;
};

// Binds the one CShellTaskDialogs (SetTaskDialogs); the program calls it at
// start, tests before they drive a command. Returns the previous binding.
CTaskDialogs* BindShellTaskDialogs();
