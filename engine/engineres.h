// Resource ids of the engine: the confirmation boxes, the rename box and the
// engine's string table. Included by engine.rc and by C++ alike.
#pragma once

// ---- dialog templates ----
#define IDD_CONFIRM 157          // "Operation Confirmation"
#define IDD_CONFIRM_REPLACE 182  // "Confirm File Replace"
#define IDD_RENAME_BOX 3001      // new name for a file that exists already

// ---- controls of the confirmation box ----
#define IDC_CONFIRM_COUNTDOWN 1127  // "5 sec auto-close."
#define IDC_CONFIRM_DONT_SHOW 1167  // "Don't show this prompt again"
#define IDC_CONFIRM_TEXT 1169       // the message, read-only

// ---- controls of the replace box (IDOK "&Overwrite", IDCANCEL "&Skip") ----
#define IDC_REPLACE_OVERWRITE_ALL 1032
#define IDC_REPLACE_SKIP_ALL 1033
#define IDC_REPLACE_RESUME_ALL 1034
#define IDC_REPLACE_RENAME 1035
#define IDC_REPLACE_CONFIGURE 1036
#define IDC_REPLACE_COUNTDOWN 1131
#define IDC_REPLACE_TEXT 1177
#define IDC_REPLACE_RESUME 1178

// ---- controls of the rename box ----
#define IDC_RENAME_PROMPT 3002
#define IDC_RENAME_EDIT 3003

// ---- strings shown through ShowConfirmDlg ----
#define IDS_CONFIRM_UPLOAD 41036
#define IDS_CONFIRM_DOWNLOAD 41037
#define IDS_CONFIRM_DELETE_SELECTION 41039
#define IDS_CONFIRM_DELETE_SITE 41040
#define IDS_CONFIRM_COPY 41041
#define IDS_CONFIRM_CONNECT 41042
#define IDS_CONFIRM_STOP 41043
#define IDS_CONFIRM_DISCONNECT 41044
#define IDS_CONFIRM_PASTE 41045
#define IDS_CONFIRM_DROP 41046
#define IDS_CONFIRM_LOOKUP 41047
#define IDS_CONFIRM_EDIT_REMOTE 41048
#define IDS_CONFIRM_REMOVE_ALL_SITES 41049
#define IDS_ERROR_CAPTION 41050
#define IDS_NO_RECEIVING_PATH 41051
#define IDS_SERVER_THREAD_FAILED 41052
#define IDS_SELECTION_ERROR 41053
#define IDS_NOT_CONNECTED 41054
#define IDS_COUNTDOWN_SHUTDOWN 41055
#define IDS_COUNTDOWN_QUIT 41056
