// The program's confirmation and error box with its count-down, the "Confirm
// File Replace" box of the queue workers, and the shortcuts that show the first.
// Both boxes run modal on the GUI thread and on worker threads alike.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/confirmtext.h"
#include "engine/engineres.h"
#include "framework/afxwin.h"
#include "framework/dialog.h"

class CPlanItem;

// ---- the confirmation box ----
//
// Modes: 1 or more: a question whose "Don't show this prompt again" clears
// these bits of g_optionFlags (through ShowConfirmDlg); 0: a question with the
// check box; -1: an error box (no check box, no Cancel, caption 41050); any
// other negative mode: a question without the check box (-2).
constexpr int kConfirmModeError = -1;
constexpr int kConfirmModeQuestion = -2;

class CConfirmDlg : public CDialog {
public:
  enum { IDD = IDD_CONFIRM };
  explicit CConfirmDlg(BOOL autoClose, CWnd* pParent = nullptr);

  BOOL m_dontShow;        // check box 1167
  CString m_text;         // edit 1169
  int32_t m_mode;
  BOOL m_autoClose;
  UINT_PTR m_timerId;
  int m_countdown;
  UINT m_tickPeriod;      // ms between count-down steps
  int m_timeoutAnswer;    // IDOK or IDCANCEL: the answer when the count-down ends

  // The tick period new boxes start with (1000 ms; tests shorten it).
  static std::atomic<UINT> s_defaultTickPeriod;

  BOOL DestroyWindow() override;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  void StopTimer();
  DECLARE_MESSAGE_MAP()
};

// Shows string stringId of this module with auto-close in a box of the given
// mode; returns the box's result (IDOK, IDCANCEL). The count-down answers what
// ConfirmTimeoutAnswer says for the id. OK with the box ticked and mode 1 or
// more clears the mode's bits of g_optionFlags.
int ShowConfirmDlg(CWnd* pParent, UINT stringId, int mode);

// The same with a literal text and the given auto-close; clears no bit. The
// count-down answers timeoutAnswer.
int ShowConfirmDlgText(CWnd* pParent, const char* text, int mode, BOOL autoClose, int timeoutAnswer = IDOK);

// ---- the replace box ----

// Results of CConfirmReplaceDlg (DoModal returns the same).
enum ReplaceResult : int32_t {
  REPLACE_OVERWRITE = 2,      // "&Overwrite", and the count-down
  REPLACE_SKIP = 3,           // "&Skip", Escape, the close box
  REPLACE_RESUME = 4,
  REPLACE_OVERWRITE_ALL = 5,  // the caller sets the case's rule to overwrite
  REPLACE_SKIP_ALL = 6,
  REPLACE_RESUME_ALL = 7,
  REPLACE_RENAME = 8,         // transfer under m_newName
};

// The File Exists dialog, run modal over parent; TRUE when it ended with OK
// (g_fileRule then holds the new rules). Set by the settings dialogs; while it
// is unset "&Configure" is disabled.
typedef BOOL (*FileExistsDialogFn)(CWnd* pParent);
void SetFileExistsDialogHook(FileExistsDialogFn hook);
FileExistsDialogFn GetFileExistsDialogHook();

class CConfirmReplaceDlg : public CDialog {
public:
  enum { IDD = IDD_CONFIRM_REPLACE };
  // direction: 1 upload, 0 download. rulesWord: the running queue's File Exists
  // rules (g_queueFileExistsRules), set from g_fileRule by "&Configure".
  CConfirmReplaceDlg(std::atomic<int32_t>* rulesWord, int direction, CWnd* pParent = nullptr);

  int32_t m_result;
  BOOL m_resumeEnabled;
  UINT_PTR m_timerId;
  int m_countdown;
  CString m_newName;
  int32_t m_direction;
  std::atomic<int32_t>* m_pRulesWord;
  int64_t m_existingSize;
  CPlanItem* m_pItem;
  CString m_fileName;
  UINT m_tickPeriod;       // ms between count-down steps (1000)

  BOOL DestroyWindow() override;

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnResume();
  afx_msg void OnOverwriteAll();
  afx_msg void OnSkipAll();
  afx_msg void OnResumeAll();
  afx_msg void OnRename();
  afx_msg void OnConfigure();
  void Finish(int32_t result);
  void StartTimer();
  void StopTimer();
  DECLARE_MESSAGE_MAP()
};

// The rename box: OK only with a name IsValidTransferName accepts.
class CRenameBoxDlg : public CDialog {
public:
  enum { IDD = IDD_RENAME_BOX };
  explicit CRenameBoxDlg(CWnd* pParent = nullptr);
  CString m_name;

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
};
