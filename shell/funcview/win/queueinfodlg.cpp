#include "shell/funcview/queueinfodlg.h"

#include <cstdio>

#include "engine/confirmdlg.h"
#include "shell/funcview/batchpanedlg.h"
#include "shell/funcview/listpagesres.h"
#include "shell/funcview/myplanlist.h"
#include "shell/funcview/searchpanedlg.h"

// ---- Queue Information ----

CQueueInfoDlg::CQueueInfoDlg(int mode, CWnd* list, CWnd* pParent)
    : CDialog(IDD_QUEUE_INFO, pParent), m_mode(mode), m_pList(list)
{
}

BOOL CQueueInfoDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  if (m_mode == INFO_QUEUE)
    SetWindowText("Schedule Queue Information");
  else if (m_mode == INFO_SEARCH)
    SetWindowText("Search List Information");
  CListCtrl list;
  list.Attach(GetDlgItem(IDC_INFO_LIST)->GetSafeHwnd());
  list.SetExtendedStyle(list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  list.InsertColumn(0, "Item Name", LVCFMT_LEFT, 150);
  list.InsertColumn(1, "Data", LVCFMT_CENTER, 100);
  QueueInfoRows rows;
  CObject* target = m_pList;
  if (m_mode == INFO_QUEUE && target != nullptr && target->IsKindOf(RUNTIME_CLASS(CMyPlanList))) {
    rows = CountQueueItems(static_cast<CMyPlanList*>(m_pList)->Items());
  } else if (m_mode == INFO_BATCH && target != nullptr && target->IsKindOf(RUNTIME_CLASS(CMyBackList))) {
    rows = CountBatchJobs(static_cast<CMyBackList*>(m_pList)->Jobs().Jobs());
  } else if (m_mode == INFO_SEARCH && target != nullptr && target->IsKindOf(RUNTIME_CLASS(CMySearchList))) {
    CMySearchList* search = static_cast<CMySearchList*>(m_pList);
    std::vector<const EntryRecord*> entries;
    for (int i = 0; i < search->GetCount(); ++i) entries.push_back(&search->GetHit(i)->entry);
    rows = CountSearchEntries(entries);
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = list.InsertItem(static_cast<int>(i), rows[i].label.c_str());
    list.SetItemText(row, 1, rows[i].value.c_str());
  }
  list.Detach();
  return TRUE;
}

// ---- Item Information ----

namespace {

const char* const kStatusTexts[] = {"Waiting", "Working", "Queueing", "Failed", "Finished"};
const char* const kFailTexts[] = {"Remove it", "Just move to the last", "Move to the last and resume it"};

struct TextField {
  int id;
  std::string PlanItemForm::*field;
  int width;  // the item's field, terminator included
};
const TextField kTextFields[] = {
    {IDC_ITEM_HOST, &PlanItemForm::host, static_cast<int>(kPlanHostLen)},
    {IDC_ITEM_LOCAL, &PlanItemForm::localPath, static_cast<int>(kPlanPathLen)},
    {IDC_ITEM_REMOTE, &PlanItemForm::remotePath, static_cast<int>(kPlanPathLen)},
    {IDC_ITEM_NAME, &PlanItemForm::fileName, static_cast<int>(kPlanPathLen)},
    {IDC_ITEM_USER, &PlanItemForm::user, static_cast<int>(kPlanUserLen)},
    {IDC_ITEM_PASSWORD, &PlanItemForm::password, static_cast<int>(kPlanPasswordLen)},
};

int ReadNumber(CWnd* dlg, int id, bool* ok)
{
  CString text;
  dlg->GetDlgItemText(id, text);
  long long value = 0;
  int digits = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') {
      *ok = false;
      return 0;
    }
    if (value < 10000000)
      value = value * 10 + (*p - '0');
    ++digits;
  }
  *ok = digits > 0;
  return static_cast<int>(value);
}

}  // namespace

CPlanItemDlg::CPlanItemDlg(const PlanItemForm& form, CWnd* pParent) : CDialog(IDD_PLAN_ITEM, pParent), m_form(form) {}

BOOL CPlanItemDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_filling = true;
  for (const TextField& f : kTextFields) {
    SendDlgItemMessage(f.id, EM_LIMITTEXT, static_cast<WPARAM>(f.width - 1), 0);
    SetDlgItemText(f.id, (m_form.*f.field).c_str());
  }
  SendDlgItemMessage(IDC_ITEM_PORT, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessage(IDC_ITEM_RETRIES, EM_LIMITTEXT, 3, 0);
  char number[16];
  std::snprintf(number, sizeof(number), "%d", static_cast<int>(m_form.port));
  SetDlgItemText(IDC_ITEM_PORT, number);
  std::snprintf(number, sizeof(number), "%d", static_cast<int>(m_form.retryCount));
  SetDlgItemText(IDC_ITEM_RETRIES, number);
  CheckDlgButton(IDC_ITEM_ANONYMOUS, m_form.anonymous ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(IDC_ITEM_PASV, m_form.passive ? BST_CHECKED : BST_UNCHECKED);
  for (const char* text : kStatusTexts)
    SendDlgItemMessage(IDC_ITEM_STATUS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  for (const char* text : kFailTexts)
    SendDlgItemMessage(IDC_ITEM_FAILED, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendDlgItemMessage(IDC_ITEM_STATUS, CB_SETCURSEL, static_cast<WPARAM>(m_form.status), 0);
  SendDlgItemMessage(IDC_ITEM_FAILED, CB_SETCURSEL, static_cast<WPARAM>(m_form.failAction), 0);
  m_filling = false;
  return TRUE;
}

BOOL CPlanItemDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
  // Typing a user name means a named login.
  if (!m_filling && LOWORD(wParam) == IDC_ITEM_USER && HIWORD(wParam) == EN_CHANGE)
    CheckDlgButton(IDC_ITEM_ANONYMOUS, BST_UNCHECKED);
  return CDialog::OnCommand(wParam, lParam);
}

void CPlanItemDlg::OnOK()
{
  PlanItemForm form = m_form;
  for (const TextField& f : kTextFields) {
    CString text;
    GetDlgItemText(f.id, text);
    form.*f.field = static_cast<const char*>(text);
  }
  bool portOk = false, retryOk = false;
  form.port = ReadNumber(this, IDC_ITEM_PORT, &portOk);
  form.retryCount = ReadNumber(this, IDC_ITEM_RETRIES, &retryOk);
  if (!portOk)
    form.port = 0;
  if (!retryOk)
    form.retryCount = -1;
  form.anonymous = IsDlgButtonChecked(IDC_ITEM_ANONYMOUS) == BST_CHECKED;
  form.passive = IsDlgButtonChecked(IDC_ITEM_PASV) == BST_CHECKED;
  form.status = static_cast<int32_t>(SendDlgItemMessage(IDC_ITEM_STATUS, CB_GETCURSEL, 0, 0));
  form.failAction = static_cast<int32_t>(SendDlgItemMessage(IDC_ITEM_FAILED, CB_GETCURSEL, 0, 0));
  if (const char* problem = CheckPlanItemForm(form)) {
    ShowConfirmDlgText(this, problem, kConfirmModeError, FALSE);
    GetDlgItem(!portOk || form.port < 1 || form.port > 65535 ? IDC_ITEM_PORT : IDC_ITEM_RETRIES)->SetFocus();
    return;
  }
  m_form = form;
  EndDialog(IDOK);
}

int EditPlanItem(CPlanItem* item, CWnd* pParent)
{
  if (!PlanItemEditable(item))
    return 0;
  const int32_t before = StatusOf(item);
  // Stopped while the box is open, so no worker takes it meanwhile.
  SetStatus(item, PLAN_STOPPED);
  CPlanItemDlg dlg(PlanItemFormOf(*item, before), pParent);
  const int result = static_cast<int>(dlg.DoModal());
  if (result == IDOK)
    ApplyPlanItemForm(*item, dlg.m_form, before);
  else
    SetStatus(item, before);
  return result;
}
