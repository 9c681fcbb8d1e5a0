// The seams between the view commands and what they open: the task dialogs
// (one interface the program binds to its real dialogs and tests to a scripted
// answerer) and the manual-control console of the zarncontrol library (one
// pointer the program points at the library's import, tests at a recorder).
#pragma once

#include "framework/afxwin.h"

class CSiteItem;
struct SiteLoginValues;

// ---- the task dialogs: the fields the commands preset and read ----

struct MoveToValues {  // Move To: the target folder as typed
  CString target;
};

struct ChangePasswordValues {  // for the site of the slot; the new one is read
  int siteIndex = -1;
  CString oldPassword;
  CString newPassword;  // trimmed
  CString confirmPassword;
};

struct SearchFileValues {  // preset: site and start folder of the node
  int siteIndex = -1;
  CString startFolder = "/";  // with "?" behind it when caseSensitive
  CString types = "*.*";
  BOOL noLoop = FALSE;
  BOOL caseSensitive = FALSE;
};

struct RecordDirValues {  // mode 1: record the structure, 0: manual get
  int mode = 1;
  int siteIndex = -1;
  CString saveTarget;        // the record file (mode 1) or the folder (mode 0)
  CString remoteText = "/";  // start folder (mode 1) or remote file (mode 0)
};

struct ChmodValues {  // the mode as three octal digits in decimal (755)
  int mode = 0;
};

class CTaskDialogs {
public:
  // Each runs its dialog over parent with the preset values and returns true
  // when it ended with OK (the values then hold what the user chose).
  virtual bool MoveTo(CWnd* parent, MoveToValues& values) = 0;
  virtual bool ChangePassword(CWnd* parent, ChangePasswordValues& values) = 0;
  virtual bool SearchFile(CWnd* parent, SearchFileValues& values) = 0;
  virtual bool RecordDir(CWnd* parent, RecordDirValues& values) = 0;
  virtual bool Chmod(CWnd* parent, ChmodValues& values) = 0;
  // Modify Info: the edited login values of the site of the slot.
  virtual bool ModifyInfo(CWnd* parent, int siteIndex, SiteLoginValues& values) = 0;
  // Quick Add Site: the new site's login values (values comes preset with
  // anonymous '1'). A binding without the dialog answers Cancel.
  virtual bool QuickAddSite(CWnd* parent, SiteLoginValues& values) { return false; }

protected:
  ~CTaskDialogs() = default;
};

// Returns the previous one; null: every dialog answers Cancel.
CTaskDialogs* SetTaskDialogs(CTaskDialogs* dialogs);
CTaskDialogs* TaskDialogs();

// ---- the console ----

using CommandCtrlFn = int(__stdcall*)(const char* host, int port, const char* user, const char* password,
                                      const char* localFolder, int passive, int anonymous, CWnd* parent);
// Returns the previous entry; null: the console cannot be opened.
CommandCtrlFn SetCommandCtrl(CommandCtrlFn fn);
// A program that links zarncontrol_imp points the entry at the library's
// import once at start (defined there, so the engine does not import the
// library for every program that links it).
void BindCommandCtrlImport();

// Opens the console for the site (host, port, user, password, local folder,
// passive unless option digit 4 is '0', anonymous unless digit 1 is '0'), or
// with no site (all 0, anonymous 1). Its result, 0 when there is no entry.
int OpenCommandCtrl(const CSiteItem* site, CWnd* parent);
