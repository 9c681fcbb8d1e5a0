#include "console/pingdlg.h"

#include <commctrl.h>

#include <cstring>

#include "console/consoleres.h"
#include "engine/siteitem.h"

namespace {

constexpr COLORREF kListBack = 0x000000;
constexpr COLORREF kListText = 0xFFFFFF;
constexpr int kMaxCount = 99;
constexpr int kFirstCount = 5;
constexpr int kSiteSlots = 200;  // the caller's work-site table
constexpr char kEnterHostText[] = "Please enter Host IP. ";

std::string Trimmed(const std::string& s)
{
  const char* blanks = " \t\r\n";
  const size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos)
    return std::string();
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

std::string ItemText(HWND dlg, int id)
{
  HWND item = ::GetDlgItem(dlg, id);
  const int len = ::GetWindowTextLengthA(item);
  std::string text(len + 1, '\0');
  ::GetWindowTextA(item, &text[0], len + 1);
  text.resize(std::strlen(text.c_str()));
  return text;
}

RECT ItemRect(HWND dlg, int id)
{
  RECT rc = {};
  HWND item = ::GetDlgItem(dlg, id);
  ::GetWindowRect(item, &rc);
  ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPingDlg, CDialog)
  ON_BN_CLICKED(IDC_PING_START, OnStart)
  ON_BN_CLICKED(IDC_PING_CLOSE, OnCloseButton)
  ON_MESSAGE(UWM_PING_TEXT, OnPingText)
  ON_MESSAGE(UWM_PING_DONE, OnPingDone)
  ON_WM_TIMER()
  ON_WM_PAINT()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CPingDlg::CPingDlg(CSiteItem** sites, CWnd* parent) : CDialog(IDD_PING, parent), m_sites(sites) {}

CPingDlg::~CPingDlg() = default;

BOOL CPingDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  HWND dlg = m_hWnd;
  HWND combo = ::GetDlgItem(dlg, IDC_PING_HOST);
  if (m_sites != nullptr) {
    for (int i = 0; i < kSiteSlots; i++) {
      CSiteItem* site = m_sites[i];
      if (site == nullptr)
        continue;
      const SiteFields* fields = static_cast<SiteFields*>(site);
      const std::string host(fields->m_host, strnlen(fields->m_host, sizeof fields->m_host));
      ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)host.c_str());
    }
  }

  const RECT left = ItemRect(dlg, IDC_PING_LEFT_END);
  const RECT right = ItemRect(dlg, IDC_PING_RIGHT_END);
  m_leftEnd = left.right + kMarkerInset;
  m_rightEnd = right.left;
  m_lineY = (left.top + left.bottom) / 2;
  m_markerX = m_leftEnd;

  HWND list = ::GetDlgItem(dlg, IDC_PING_LIST);
  RECT client = {};
  ::GetClientRect(list, &client);
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.fmt = LVCFMT_LEFT;
  // The list's width less the vertical bar that a long run brings: no
  // horizontal bar then.
  column.cx = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
  column.pszText = const_cast<char*>("Status");
  ::SendMessageA(list, LVM_INSERTCOLUMNA, 0, (LPARAM)&column);
  ::SendMessageA(list, LVM_SETBKCOLOR, 0, (LPARAM)kListBack);
  ::SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, (LPARAM)kListBack);
  ::SendMessageA(list, LVM_SETTEXTCOLOR, 0, (LPARAM)kListText);

  HWND spin = ::GetDlgItem(dlg, IDC_PING_SPIN);
  ::SendMessageA(spin, UDM_SETRANGE32, 1, kMaxCount);
  ::SendMessageA(spin, UDM_SETPOS32, 0, kFirstCount);

  m_worker = std::make_unique<CPingThread>(dlg, m_factory);
  if (!m_worker->Start())
    ::EnableWindow(::GetDlgItem(dlg, IDC_PING_START), FALSE);
  return TRUE;
}

void CPingDlg::EnableRunControls(BOOL enable)
{
  for (int id : {IDC_PING_START, IDC_PING_HOST, IDC_PING_COUNT, IDC_PING_SPIN})
    ::EnableWindow(::GetDlgItem(m_hWnd, id), enable);
}

void CPingDlg::OnStart()
{
  if (m_running || !m_worker)
    return;
  BOOL error = FALSE;
  int count = (int)::SendDlgItemMessageA(m_hWnd, IDC_PING_SPIN, UDM_GETPOS32, 0, (LPARAM)&error);
  if (count < 1)
    count = 1;
  if (count > kMaxCount)
    count = kMaxCount;
  const std::string host = Trimmed(ItemText(m_hWnd, IDC_PING_HOST));
  if (host.empty()) {
    ::MessageBoxA(m_hWnd, kEnterHostText, "ZARN Ping Window", MB_OK | MB_ICONINFORMATION);
    return;
  }
  EnableRunControls(FALSE);
  m_runHost = host;
  m_running = true;
  m_markerX = m_leftEnd;
  m_markerStep = kMarkerStep;
  m_timer = SetTimer(kMarkerTimer, 100);
  InvalidateMarker();
  m_worker->Go(count, host);
}

void CPingDlg::OnCloseButton() { EndDialog(IDOK); }

LRESULT CPingDlg::OnPingText(WPARAM, LPARAM lParam)
{
  if (lParam == 0)
    return 0;
  HWND list = ::GetDlgItem(m_hWnd, IDC_PING_LIST);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = (int)::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
  item.pszText = reinterpret_cast<char*>(lParam);
  const int row = (int)::SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
  if (row >= 0)
    ::SendMessageA(list, LVM_ENSUREVISIBLE, (WPARAM)row, FALSE);
  FreePingLine(lParam);
  return 0;
}

LRESULT CPingDlg::OnPingDone(WPARAM, LPARAM lParam)
{
  m_running = false;
  if (m_timer != 0) {
    KillTimer(kMarkerTimer);
    m_timer = 0;
  }
  InvalidateMarker();
  EnableRunControls(TRUE);
  HWND combo = ::GetDlgItem(m_hWnd, IDC_PING_HOST);
  if (lParam == 1) {
    if (::SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)m_runHost.c_str()) == CB_ERR)
      ::SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)m_runHost.c_str());
    ::SetFocus(combo);
  }
  return 0;
}

RECT CPingDlg::MarkerBand() const
{
  const int half = kMarkerSize / 2 + 1;
  RECT band = {m_leftEnd - kMarkerSize, m_lineY - half, m_rightEnd + kMarkerSize, m_lineY + half + 1};
  return band;
}

void CPingDlg::InvalidateMarker()
{
  const RECT band = MarkerBand();
  ::InvalidateRect(m_hWnd, &band, TRUE);
}

void CPingDlg::OnTimer(UINT_PTR id)
{
  if (id != kMarkerTimer || !m_running)
    return;
  m_markerX += m_markerStep;
  if (m_markerX >= m_rightEnd) {
    m_markerX = m_rightEnd - kMarkerInset;
    m_markerStep = -m_markerStep;
  } else if (m_markerX <= m_leftEnd) {
    m_markerX = m_leftEnd + kMarkerInset;
    m_markerStep = -m_markerStep;
  }
  InvalidateMarker();
}

void CPingDlg::OnPaint()
{
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  HPEN pen = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
  HGDIOBJ oldPen = ::SelectObject(dc, pen);
  ::MoveToEx(dc, m_leftEnd, m_lineY, nullptr);
  ::LineTo(dc, m_rightEnd, m_lineY);
  ::SelectObject(dc, oldPen);
  ::DeleteObject(pen);
  if (m_running) {
    const int half = kMarkerSize / 2;
    RECT marker = {m_markerX - half, m_lineY - half, m_markerX - half + kMarkerSize, m_lineY - half + kMarkerSize};
    HBRUSH brush = ::CreateSolidBrush(kMarkerColour);
    ::FillRect(dc, &marker, brush);
    ::DeleteObject(brush);
  }
  ::EndPaint(m_hWnd, &ps);
}

void CPingDlg::OnDestroy()
{
  if (m_timer != 0) {
    KillTimer(kMarkerTimer);
    m_timer = 0;
  }
  // A worker inside a name look-up cannot be stopped; it ends by itself later
  // and no longer reaches this window.
  if (m_worker)
    m_worker->Stop(2000);
  MSG msg;
  while (::PeekMessageA(&msg, m_hWnd, UWM_PING_TEXT, UWM_PING_TEXT, PM_REMOVE))
    FreePingLine(msg.lParam);
  CWnd::OnDestroy();
}
