#include "shell/tools/trafficbutton.h"

#include <algorithm>

namespace {

// The graph's palette (COLORREF values).
constexpr COLORREF kColorUp = 0x7DFF7D;         // the bars' gradient at its brightest
constexpr COLORREF kColorBarTop = 0xFFFF00;     // a bar's top pixel and the rate text
constexpr COLORREF kColorTextShadow = 0x4B0000;
constexpr COLORREF kColorBackground = 0x000000;
constexpr COLORREF kColorLight = 0x9CFF9C;
constexpr COLORREF kColorGrid = 0x204020;
constexpr char kLocalMaximum[] = "local maximum";
constexpr char kGlobalMaximum[] = "global maximum";
constexpr char kRateFormat[] = "%.1f KBps";
constexpr char kBothFormat[] = "%.1f / %.1f KBps";
constexpr uint32_t kCounterOfKind[3] = {kPerfBytesTotal, kPerfBytesReceived, kPerfBytesSent};

COLORREF Shade(COLORREF c, int level)
{
  return RGB(GetRValue(c) * level / 255, GetGValue(c) * level / 255, GetBValue(c) * level / 255);
}

}  // namespace

BEGIN_MESSAGE_MAP(CTrafficButton, CButton)
  ON_WM_CREATE()
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_CONTEXTMENU()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CTrafficButton::CTrafficButton() : m_otherScaling(kLocalMaximum)
{
  m_currentText.Format(kRateFormat, 0.0);
  m_maximumText.Format(kRateFormat, 0.0);
  m_bothText.Format(kBothFormat, 0.0, 0.0);
}

CTrafficButton::~CTrafficButton() = default;

void CTrafficButton::PreSubclassWindow()
{
  CButton::PreSubclassWindow();
  Attach();
}

int CTrafficButton::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
  if (CButton::OnCreate(lpCreateStruct) == -1)
    return -1;
  Attach();
  return 0;
}

// The history takes its size from the width the window has when it is attached.
void CTrafficButton::Attach()
{
  if (m_attached || m_hWnd == nullptr)
    return;
  m_attached = true;
  CRect rc;
  GetClientRect(&rc);
  m_client = CSize(rc.Width(), rc.Height());
  m_history.Resize(m_client.cx > 0 ? (size_t)(m_client.cx / m_plotStep) : 0);
  m_font.CreateFont(-10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
  m_gridPen.CreatePen(PS_SOLID, 1, kColorGrid);
  HRGN rgn = ::CreateRoundRectRgn(0, 0, m_client.cx + 1, m_client.cy + 1, 5, 5);
  if (::SetWindowRgn(m_hWnd, rgn, FALSE) == 0)
    ::DeleteObject(rgn);
  m_traffic.Initialize();
}

void CTrafficButton::StopTimers()
{
  if (m_hWnd == nullptr)
    return;
  KillTimer(kTimerRedraw);
  KillTimer(kTimerSample);
}

void CTrafficButton::RestartTimers()
{
  StopTimers();
  if (m_hWnd == nullptr || m_sampleMs == 0 || m_redrawMs == 0)
    return;
  SetTimer(kTimerRedraw, m_redrawMs, nullptr);
  SetTimer(kTimerSample, m_sampleMs, nullptr);
}

void CTrafficButton::SelectInterface(int index)
{
  StopTimers();
  m_interface = (index >= 0 && index < m_traffic.GetInterfaceCount()) ? index : -1;
  m_history.Reset();
  m_currentRate = 0.0;
  m_currentText.Format(kRateFormat, 0.0);
  m_maximumText.Format(kRateFormat, 0.0);
  m_bothText.Format(kBothFormat, 0.0, 0.0);
  // Two reads: the first may only take the base value of a newly read interface.
  m_traffic.ReadCounter(m_interface);
  m_traffic.ReadCounter(m_interface);
  RestartTimers();
  if (m_hWnd != nullptr)
    Invalidate(FALSE);
}

void CTrafficButton::SetIntervals(UINT sampleMs, UINT redrawMs)
{
  m_sampleMs = sampleMs;
  m_redrawMs = redrawMs;
  RestartTimers();
}

void CTrafficButton::SetCounterKind(int kind)
{
  if (kind < 0 || kind > 2)
    kind = 0;
  m_traffic.SelectCounter(kCounterOfKind[kind]);
}

void CTrafficButton::Sample()
{
  const double growth = m_traffic.ReadCounter(m_interface);
  m_currentRate = RateKBps(growth, m_sampleMs);
  m_currentText.Format(kRateFormat, m_currentRate);
  m_history.Add(m_currentRate);
  m_maximumText.Format(kRateFormat, m_history.Maximum());
  m_bothText.Format(kBothFormat, m_currentRate, m_history.Maximum());
  Invalidate(FALSE);
  if (m_sampleMs != 0 && m_redrawMs != 0) {
    SetTimer(kTimerRedraw, m_redrawMs, nullptr);
    SetTimer(kTimerSample, m_sampleMs, nullptr);
  }
}

void CTrafficButton::OnTimer(UINT_PTR nIDEvent)
{
  if (nIDEvent == kTimerSample)
    Sample();
  else if (nIDEvent == kTimerRedraw)
    Invalidate(FALSE);
  else
    CButton::OnTimer(nIDEvent);
}

void CTrafficButton::OnDestroy()
{
  StopTimers();
  m_history.Resize(0);
  CButton::OnDestroy();
}

BOOL CTrafficButton::OnEraseBkgnd(CDC*) { return TRUE; }

// A bitmap as large as the graph whose rows darken from the top: bars filled
// with it show the same shade at the same height whatever their size.
void CTrafficButton::BuildGradient(CDC* pDC, int width, int height)
{
  if (m_gradientBrush.GetSafeHandle() != nullptr || width <= 0 || height <= 0)
    return;
  CDC mem;
  mem.CreateCompatibleDC(pDC);
  m_gradientBitmap.CreateCompatibleBitmap(pDC, width, height);
  CBitmap* old = mem.SelectObject(&m_gradientBitmap);
  const double step = 255.0 / height;
  for (int y = 0; y < height; y++) {
    const int level = 255 - (int)(y * step);
    CBrush row(Shade(y == 0 ? kColorLight : kColorUp, std::max(level, 40)));
    CRect line(0, y, width, y + 1);
    mem.FillRect(&line, &row);
  }
  mem.SelectObject(old);
  m_gradientBrush.CreatePatternBrush(&m_gradientBitmap);
}

void CTrafficButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct)
{
  CDC* target = CDC::FromHandle(lpDrawItemStruct->hDC);
  const CRect rc(lpDrawItemStruct->rcItem);
  const int width = rc.Width();
  const int height = rc.Height();
  if (width <= 0 || height <= 0)
    return;
  BuildGradient(target, width, height);

  // Drawn off screen and copied in one piece: the graph never flickers.
  CDC dc;
  dc.CreateCompatibleDC(target);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(target, width, height);
  CBitmap* oldBitmap = dc.SelectObject(&canvas);
  CBrush back(kColorBackground);
  dc.FillRect(CRect(0, 0, width, height), &back);

  // The grid: horizontal lines stay, vertical ones move a pixel left each redraw.
  CPen* oldPen = dc.SelectObject(&m_gridPen);
  for (int y = m_gridSpacing; y < height; y += m_gridSpacing) {
    dc.MoveTo(0, y);
    dc.LineTo(width, y);
  }
  for (int x = m_gridSpacing - m_gridOffset; x < width; x += m_gridSpacing) {
    dc.MoveTo(x, 0);
    dc.LineTo(x, height);
  }
  m_gridOffset = (m_gridOffset + 1) % m_gridSpacing;

  const auto& samples = m_history.Samples();
  const double maximum = m_history.Maximum();
  for (size_t i = 0; i < samples.size(); i++) {
    if (samples[i].up != 1 || !(samples[i].value > 0.0))
      continue;
    const int bar = BarHeight(samples[i].value, maximum, height);
    if (bar <= 0)
      continue;
    const int x = (int)i * m_plotStep;
    CRect r(x, height - bar, x + m_plotStep, height);
    dc.FillRect(&r, &m_gradientBrush);
    dc.SetPixel(x, height - bar, kColorBarTop);
  }

  CString value;
  value.Format("%8.1f", m_history.Latest());
  CFont* oldFont = dc.SelectObject(&m_font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kColorTextShadow);
  dc.TextOut(6, 5, value);
  dc.SetTextColor(kColorBarTop);
  dc.TextOut(5, 5, value);
  dc.SelectObject(oldFont);
  dc.SelectObject(oldPen);

  target->BitBlt(rc.left, rc.top, width, height, &dc, 0, 0, SRCCOPY);
  dc.SelectObject(oldBitmap);
}

void CTrafficButton::OnContextMenu(CWnd*, CPoint point)
{
  if (point.x == -1 && point.y == -1) {
    CRect rc;
    GetWindowRect(&rc);
    point = rc.CenterPoint();
  }
  RunMenu(point);
}

void CTrafficButton::RunMenu(CPoint screen)
{
  CMenu menu;
  if (!menu.CreatePopupMenu())
    return;
  CMenu sub;
  const int count = m_traffic.GetInterfaceCount();
  auto line = [this](int i) {
    CString name, text;
    m_traffic.GetInterfaceLabel(name, i);
    text.Format("%s : %.1f MB", (const char*)name, m_traffic.GetStoredValue(i) / (1024.0 * 1024.0));
    return text;
  };
  if (count == 1) {
    menu.AppendMenu(MF_STRING, kCmdOnlyInterface, line(0));
  } else if (count > 1 && sub.CreatePopupMenu()) {
    for (int i = 0; i < count; i++)
      sub.AppendMenu(MF_STRING | (i == m_interface ? MF_CHECKED : MF_UNCHECKED), kCmdInterfaceBase + i, line(i));
    menu.AppendMenu(MF_POPUP, (UINT_PTR)sub.Detach(), "Select Interface:");
  }
  if (count > 0)
    menu.AppendMenu(MF_SEPARATOR, 0, (LPCTSTR) nullptr);
  menu.AppendMenu(MF_STRING, kCmdToggleScaling, "Toggle scaling to " + m_otherScaling);

  const UINT cmd = (UINT)menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                             screen.x, screen.y, this);
  menu.DestroyMenu();
  if (cmd == kCmdToggleScaling) {
    const bool toLocal = m_history.GetScaling() == CTrafficHistory::kGlobalMaximum;
    m_history.SetScaling(toLocal ? CTrafficHistory::kLocalMaximum : CTrafficHistory::kGlobalMaximum);
    m_otherScaling = toLocal ? kGlobalMaximum : kLocalMaximum;
    return;
  }
  int chosen = -1;
  if (cmd == kCmdOnlyInterface && count == 1)
    chosen = 0;
  else if (cmd >= (UINT)kCmdInterfaceBase && cmd < (UINT)(kCmdInterfaceBase + count))
    chosen = (int)cmd - kCmdInterfaceBase;
  if (chosen < 0)
    return;
  SelectInterface(chosen);
  if (m_onSelect)
    m_onSelect(chosen);
}
