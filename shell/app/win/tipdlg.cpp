#include "shell/app/tipdlg.h"

#include <sys/stat.h>

#include <ctime>

#include "framework/controls.h"
#include "framework/winthread.h"
#include "shell/app/appres.h"

namespace {
const char kTipSection[] = "Tip";
const char kTipStartup[] = "StartUp";
const char kTipFilePos[] = "FilePos";
const char kTipTimeStamp[] = "TimeStamp";
CString g_tipsPathOverride;

// The file's modification time as text (what the profile keeps to notice an edit).
CString FileStampText(const char* path) {
  struct _stat info = {};
  if (_stat(path, &info) != 0) return CString();
  char text[64] = {};
  const time_t when = info.st_mtime;
  if (const char* t = std::ctime(&when)) std::snprintf(text, sizeof text, "%s", t);
  CString stamp(text);
  stamp.TrimRight("\r\n");
  return stamp;
}
}  // namespace

BEGIN_MESSAGE_MAP(CTipDlg, CDialog)
  ON_BN_CLICKED(IDC_TIP_NEXT, OnNextTip)
  ON_WM_PAINT()
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CString CTipDlg::TipsFilePath() {
  if (!g_tipsPathOverride.IsEmpty()) return g_tipsPathOverride;
  char module[MAX_PATH] = {};
  const DWORD n = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "Tips.txt";
  CString path(module);
  const int slash = path.ReverseFind('\\');
  return (slash >= 0 ? path.Left(slash + 1) : CString()) + "Tips.txt";
}

void CTipDlg::SetTipsFilePathForTest(const char* path) { g_tipsPathOverride = path != nullptr ? path : ""; }

CTipDlg::CTipDlg(CWnd* pParent) : CDialog(IDD_TIP, pParent) {
  CWinApp* app = AfxGetApp();
  m_bStartup = app != nullptr ? !app->GetProfileInt(kTipSection, kTipStartup, 0) : TRUE;
  long pos = app != nullptr ? static_cast<long>(static_cast<int>(app->GetProfileInt(kTipSection, kTipFilePos, 0))) : 0;

  const CString path = TipsFilePath();
  m_pStream = std::fopen(path, "rb");
  if (m_pStream == nullptr) {
    m_strHeading = "Oops!";
    ShowResourceText(IDS_TIP_NO_FILE);
    return;
  }
  const CString stamp = FileStampText(path);
  const CString stored = app != nullptr ? app->GetProfileString(kTipSection, kTipTimeStamp, "") : CString();
  if (stamp != stored && app != nullptr) app->WriteProfileString(kTipSection, kTipTimeStamp, stamp);
  pos = TipStartOffset(std::string(stored), std::string(stamp), pos);
  if (std::fseek(m_pStream, pos, SEEK_SET) != 0) {
    ShowResourceText(IDS_TIP_BAD_FILE);
    return;
  }
  ShowNextTip();
}

CTipDlg::~CTipDlg() {
  if (m_pStream != nullptr) {
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kTipSection, kTipFilePos, static_cast<int>(std::ftell(m_pStream)));
    std::fclose(m_pStream);
  }
}

void CTipDlg::ShowResourceText(UINT id) {
  if (!m_strTip.LoadString(id)) m_strTip.Format("(text %u)", id);
}

void CTipDlg::ShowNextTip() {
  TipText tip;
  switch (ReadNextTip(m_pStream, tip)) {
    case TipReadResult::Tip:
      m_strTip = tip.text.c_str();
      if (!tip.heading.empty()) m_strHeading = tip.heading.c_str();
      m_strFooter = tip.footer.c_str();
      m_tipNumber = tip.number;
      break;
    case TipReadResult::NoTip:
      ShowResourceText(IDS_TIP_NONE);
      break;
    case TipReadResult::SeekFailed:
      ShowResourceText(IDS_TIP_BAD_FILE);
      break;
  }
}

void CTipDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Check(pDX, IDC_TIP_STARTUP, m_bStartup);
  DDX_Text(pDX, IDC_TIP_TEXT, m_strTip);
  DDX_Text(pDX, IDC_TIP_HEADING, m_strHeading);
  DDX_Text(pDX, IDC_TIP_FOOTER, m_strFooter);
}

BOOL CTipDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bulb.LoadBitmap(IDB_TIP_BULB);
  m_hollow = static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
  if (m_pStream == nullptr) GetDlgItem(IDC_TIP_NEXT)->EnableWindow(FALSE);
  return TRUE;
}

void CTipDlg::OnNextTip() {
  ShowNextTip();
  UpdateData(FALSE);
  // The texts draw on the panel without a background of their own.
  CRect panel;
  GetDlgItem(IDC_TIP_PICTURE)->GetWindowRect(&panel);
  ScreenToClient(&panel);
  InvalidateRect(&panel, TRUE);
}

void CTipDlg::OnOK() {
  CDialog::OnOK();
  if (CWinApp* app = AfxGetApp()) app->WriteProfileInt(kTipSection, kTipStartup, !m_bStartup);
}

void CTipDlg::OnCancel() { OnOK(); }

HBRUSH CTipDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  const int id = pWnd != nullptr ? pWnd->GetDlgCtrlID() : 0;
  if (nCtlColor == CTLCOLOR_STATIC && (id == IDC_TIP_TEXT || id == IDC_TIP_HEADING || id == IDC_TIP_FOOTER)) {
    pDC->SetBkMode(TRANSPARENT);
    return m_hollow;
  }
  return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CTipDlg::OnPaint() {
  CPaintDC dc(this);
  CWnd* picture = GetDlgItem(IDC_TIP_PICTURE);
  if (picture == nullptr) return;
  CRect panel;
  picture->GetWindowRect(&panel);
  ScreenToClient(&panel);
  dc.FillSolidRect(&panel, ::GetSysColor(COLOR_WINDOW));
  // The grey band on the left with the bulb at its top.
  CRect band = panel;
  band.right = band.left + 48;
  dc.FillSolidRect(&band, ::GetSysColor(COLOR_BTNSHADOW));
  if (m_bulb.GetSafeHandle() != nullptr) {
    BITMAP bm = {};
    m_bulb.GetBitmap(&bm);
    CDC memDC;
    if (memDC.CreateCompatibleDC(&dc)) {
      CBitmap* old = memDC.SelectObject(&m_bulb);
      dc.BitBlt(band.left + (band.Width() - bm.bmWidth) / 2, band.top + 8, bm.bmWidth, bm.bmHeight, &memDC, 0, 0,
                SRCCOPY);
      memDC.SelectObject(old);
    }
  }
}
