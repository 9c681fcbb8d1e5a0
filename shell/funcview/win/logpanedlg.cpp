#include "shell/funcview/logpanedlg.h"

#include <cstring>

#include "engine/connlog.h"
#include "framework/commdlgs.h"
#include "shell/funcview/funcpages.h"
#include "shell/funcview/logpagesres.h"
#include "toolkit/bcmenu.h"
#include "toolkit/clipboard.h"
#include "toolkit/menuupdate.h"

uint64_t g_connLogShown = 0;

namespace {

LogPaneLowerPageMaker g_lowerPageMaker = nullptr;

constexpr UINT_PTR kLogTimer = 1;
constexpr UINT kLogTimerMs = 2000;
constexpr int kLogSplitHeight = 3;
constexpr UINT kContextMenus = 188;
constexpr UINT kContextMenuIcons = 171;
constexpr int kConnInfoSubMenu = 4;  // "Connection Info", the fifth

const char kConnInfoColumn[] = "\xB7\xFE\xCE\xF1\xC6\xF7\xB2\xD9\xD7\xF7\xBD\xBB\xBB\xA5\xD0\xC5\xCF\xA2";

}  // namespace

void SetLogPaneLowerPageMaker(LogPaneLowerPageMaker maker) { g_lowerPageMaker = maker; }

// ---- CConnInfoList ----

IMPLEMENT_DYNAMIC(CConnInfoList, CListCtrl)

BEGIN_MESSAGE_MAP(CConnInfoList, CListCtrl)
  ON_NOTIFY_REFLECT(LVN_GETDISPINFOA, OnGetDispInfo)
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

void CConnInfoList::Setup()
{
  SetBkColor(RGB(0, 0, 0));
  SetTextBkColor(RGB(0, 0, 0));
  SetTextColor(RGB(255, 255, 255));
  InsertColumn(0, kConnInfoColumn, LVCFMT_LEFT, 1000);
}

void CConnInfoList::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(pNMHDR)->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0)
    return;
  const CString text = ConnLogRowText(item.iItem);
  // The line's own CR LF would show as two boxes.
  int n = text.GetLength();
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n'))
    --n;
  const int room = n < item.cchTextMax ? n : item.cchTextMax - 1;
  memcpy(item.pszText, text.GetString(), (size_t)room);
  item.pszText[room] = '\0';
}

// Rows are never selected.
void CConnInfoList::OnLButtonDown(UINT, CPoint) {}
void CConnInfoList::OnLButtonDblClk(UINT, CPoint) {}

void CConnInfoList::OnRButtonDown(UINT, CPoint point)
{
  // Not passed on: the list's own handling would select the row and send a
  // right-click notice that would open the menu again.
  CLogPaneDlg* pane = DYNAMIC_DOWNCAST(CLogPaneDlg, GetParent());
  if (pane == nullptr)
    return;
  ClientToScreen(&point);
  pane->ShowConnInfoMenu(point);
}

// ---- CLogPaneDlg ----

IMPLEMENT_DYNAMIC(CLogPaneDlg, CTabPageDialog)

BEGIN_MESSAGE_MAP(CLogPaneDlg, CTabPageDialog)
  ON_WM_SIZE()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_NOTIFY(UWM_SPLITTERBAR_MOVED, IDC_LOG_SPLIT, OnSplitterMoved)
  ON_UPDATE_COMMAND_UI_RANGE(ID_CONNINFO_COPY, ID_CONNINFO_CLEAR, OnUpdateConnInfo)
END_MESSAGE_MAP()

CLogPaneDlg::CLogPaneDlg(CWnd* pParent) : CTabPageDialog(IDD_LOG_PANE, pParent) {}

BOOL CLogPaneDlg::OnInitDialog()
{
  CTabPageDialog::OnInitDialog();
  if (!m_list.SubclassDlgItem(IDC_CONN_INFO_LIST, this))
    return FALSE;
  m_list.Setup();
  CRect rc;
  GetClientRect(&rc);
  m_splitter.Create(WS_CHILD | WS_VISIBLE, CRect(0, rc.Height() * 4 / 5, rc.Width(), rc.Height() * 4 / 5 + 3), this,
                    IDC_LOG_SPLIT);
  if (g_lowerPageMaker != nullptr)
    m_pLowerPage = g_lowerPageMaker(this);
  Layout(rc.Width(), rc.Height());
  // Whatever the ring holds shows at once, not two seconds later.
  g_connLogShown = ConnLogWritten() + 1;
  TakeNewLines();
  SetTimer(kLogTimer, kLogTimerMs);
  return TRUE;
}

void CLogPaneDlg::Layout(int cx, int cy)
{
  if (m_list.m_hWnd == nullptr)
    return;
  // The splitter stands at 0.8 of the height until the user moves it; then it
  // keeps its place while that lies inside the page.
  if (!m_splitMoved || m_splitY > cy - 5 || m_splitY < 5) {
    m_splitY = cy * 4 / 5;
    m_splitMoved = false;
  }
  m_height = cy;
  m_list.MoveWindow(0, 0, cx, m_splitY);
  if (m_splitter.m_hWnd != nullptr) {
    m_splitter.MoveWindow(0, m_splitY, cx, kLogSplitHeight);
    m_splitter.SetRange(5, cy - 5);
  }
  if (m_pLowerPage != nullptr && m_pLowerPage->m_hWnd != nullptr) {
    const int top = m_splitY + kLogSplitHeight;
    m_pLowerPage->MoveWindow(0, top, cx, cy > top ? cy - top : 0);
  }
}

void CLogPaneDlg::OnSize(UINT nType, int cx, int cy)
{
  CTabPageDialog::OnSize(nType, cx, cy);
  Layout(cx, cy);
}

void CLogPaneDlg::OnSplitterMoved(NMHDR* pNMHDR, LRESULT* pResult)
{
  *pResult = 0;
  const int delta = reinterpret_cast<SplitterBarNotify*>(pNMHDR)->delta;
  m_splitY += delta;
  m_splitMoved = true;
  CSplitterBar::ChangeHeight(&m_list, delta, 3);
  if (m_pLowerPage != nullptr && m_pLowerPage->m_hWnd != nullptr) {
    CSplitterBar::ChangeHeight(m_pLowerPage, delta, 4);
    m_pLowerPage->Invalidate();
  }
}

void CLogPaneDlg::TakeNewLines()
{
  const uint64_t written = ConnLogWritten();
  if (written == g_connLogShown || m_list.m_hWnd == nullptr)
    return;
  KillTimer(kLogTimer);
  g_connLogShown = written;
  const int rows = ConnLogCount();
  m_list.SetItemCountEx(rows, 0);
  m_list.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
  // Not every list control takes SB_BOTTOM (Wine's ignores it): the last row
  // is brought into view as well.
  if (rows > 0)
    m_list.EnsureVisible(rows - 1, FALSE);
  m_list.Invalidate(FALSE);
  SetTimer(kLogTimer, kLogTimerMs);
}

void CLogPaneDlg::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent == kLogTimer)
    TakeNewLines();
  else
    CTabPageDialog::OnTimer(nIDEvent);
}

void CLogPaneDlg::OnDestroy()
{
  KillTimer(kLogTimer);
  if (m_pLowerPage != nullptr && m_pLowerPage->m_hWnd != nullptr)
    m_pLowerPage->DestroyWindow();
  m_pLowerPage = nullptr;
  CTabPageDialog::OnDestroy();
}

void CLogPaneDlg::PostNcDestroy()
{
  CTabPageDialog::PostNcDestroy();
  if (m_autoDelete)
    delete this;
}

BOOL CLogPaneDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
  if (CDialog::OnNotify(wParam, lParam, pResult))
    return TRUE;
  return CTabPageDialog::OnNotify(wParam, lParam, pResult);
}

UINT CLogPaneDlg::ShowConnInfoMenu(CPoint screen)
{
  if (m_list.GetItemCount() <= 0)
    return 0;
  BCMenu menu;
  CMenu* popup = nullptr;
  if (menu.LoadMenu(kContextMenus) && (popup = menu.GetSubMenu(kConnInfoSubMenu)) != nullptr) {
    menu.LoadToolbar(kContextMenuIcons);
  } else {
    // The program's menus are not there: the same three commands, plain.
    menu.DestroyMenu();
    if (!menu.CreatePopupMenu())
      return 0;
    menu.AppendMenu(MF_STRING, ID_CONNINFO_COPY, "Copy to Clipboard");
    menu.AppendMenu(MF_STRING, ID_CONNINFO_SAVE, "Save to File");
    menu.AppendMenu(MF_STRING, ID_CONNINFO_CLEAR, "Clear");
    popup = &menu;
  }
  UpdatePopupMenuUI(this, popup);
  const UINT chosen = (UINT)popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD,
                                                  screen.x, screen.y, this);
  menu.DestroyMenu();
  switch (chosen) {
    case ID_CONNINFO_COPY: OnCopy(); break;
    case ID_CONNINFO_SAVE: OnSave(); break;
    case ID_CONNINFO_CLEAR: OnClear(); break;
    default: break;
  }
  return chosen;
}

void CLogPaneDlg::OnUpdateConnInfo(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CLogPaneDlg::OnCopy()
{
  const CString text = ConnLogClipboardText(ConnLogRows());
  CopyTextToClipboard(text.GetString(), this);
}

void CLogPaneDlg::OnSave()
{
  CFileDialog dialog(FALSE, "log", "zarninfo", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                     "Log File (*.log)|*.log|All Files (*.*)|*.*||", this);
  if (dialog.DoModal() != IDOK)
    return;
  SaveConnLog(dialog.GetPathName().GetString());
}

void CLogPaneDlg::OnClear()
{
  ConnLogClear();
  m_list.SetItemCountEx(0, 0);
  m_list.Invalidate();
}

// ---- registration ----

namespace {

CTabPageDialog* MakeLogPane(CWnd* parent)
{
  CLogPaneDlg* page = new CLogPaneDlg(parent);
  if (!page->Create(IDD_LOG_PANE, parent)) {
    delete page;
    return nullptr;
  }
  page->m_autoDelete = true;
  return page;
}

}  // namespace

CTabPageDialog* MakeSiteStatusPane(CWnd* parent);  // sitestatuspanedlg.cpp

void RegisterLogPanes()
{
  RegisterFuncViewPage(IDD_LOG_PANE, MakeLogPane);
  RegisterFuncViewPage(IDD_SITE_STATUS_PANE, MakeSiteStatusPane);
}
