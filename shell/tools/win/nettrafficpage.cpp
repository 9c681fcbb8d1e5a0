#include "shell/tools/nettrafficpage.h"

#include "framework/commctrls.h"
#include "shell/settings/osplatform.h"
#include "shell/tools/toolsres.h"

namespace {
constexpr int kNtPlatform = 2;
constexpr int kMaxSeconds = 3600;
constexpr char kUnsupported[] = "Windows 95/98: Unsupported. This function requires Windows NT 4.0 or later";
struct GraphIds {
  UINT graph, edit, spin;
  int kind;
};
// Total, outgoing, incoming: counter kinds 0, 2 and 1.
constexpr GraphIds kGraphs[3] = {
    {IDC_TRAFFIC_TOTAL, IDC_TRAFFIC_TOTAL_SECS, IDC_TRAFFIC_TOTAL_SPIN, 0},
    {IDC_TRAFFIC_OUT, IDC_TRAFFIC_OUT_SECS, IDC_TRAFFIC_OUT_SPIN, 2},
    {IDC_TRAFFIC_IN, IDC_TRAFFIC_IN_SECS, IDC_TRAFFIC_IN_SPIN, 1},
};
}  // namespace

BEGIN_MESSAGE_MAP(CNetTrafficPage, CDialog)
  ON_EN_CHANGE(IDC_TRAFFIC_TOTAL_SECS, OnIntervalChange)
  ON_EN_CHANGE(IDC_TRAFFIC_OUT_SECS, OnIntervalChange)
  ON_EN_CHANGE(IDC_TRAFFIC_IN_SECS, OnIntervalChange)
  ON_BN_CLICKED(IDC_TRAFFIC_APPLY, OnApply)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CNetTrafficPage::CNetTrafficPage(CWnd* pParent) : CDialog(IDD_NET_TRAFFIC, pParent) {}

void CNetTrafficPage::DoDataExchange(CDataExchange* pDX)
{
  for (int i = 0; i < 3; i++)
    DDX_Control(pDX, (int)kGraphs[i].graph, m_graphs[i]);
}

BOOL CNetTrafficPage::OnInitDialog()
{
  CDialog::OnInitDialog();
  const bool nt = g_osPlatformId == kNtPlatform;
  for (int i = 0; i < 3; i++) {
    ::SendMessage(::GetDlgItem(m_hWnd, (int)kGraphs[i].spin), UDM_SETRANGE32, 0, kMaxSeconds);
    SetDlgItemInt((int)kGraphs[i].edit, (UINT)m_seconds[i], FALSE);
    CTrafficButton& graph = m_graphs[i];
    graph.SetCounterKind(kGraphs[i].kind);
    graph.SetSelectCallback([this](int index) { OnInterfaceChanged(index); });
    if (nt) {
      // The graph samples and redraws every interval; elsewhere it stays idle.
      graph.SetIntervals((UINT)m_seconds[i] * 1000, (UINT)m_seconds[i] * 1000);
      graph.SelectInterface(0);
    } else {
      graph.SetIntervals(0, 0);
    }
  }
  if (!nt)
    SetDlgItemText(IDC_TRAFFIC_STATUS, kUnsupported);
  GetDlgItem(IDC_TRAFFIC_APPLY)->EnableWindow(FALSE);
  return TRUE;
}

void CNetTrafficPage::OnIntervalChange()
{
  CWnd* apply = GetDlgItem(IDC_TRAFFIC_APPLY);
  if (g_osPlatformId == kNtPlatform && apply != nullptr)
    apply->EnableWindow(TRUE);
}

void CNetTrafficPage::OnApply()
{
  for (int i = 0; i < 3; i++) {
    BOOL ok = FALSE;
    const UINT seconds = GetDlgItemInt((int)kGraphs[i].edit, &ok, FALSE);
    if (!ok || seconds > (UINT)kMaxSeconds || (int)seconds == m_seconds[i])
      continue;
    m_seconds[i] = (int)seconds;
    m_graphs[i].SetIntervals(seconds * 1000, seconds * 1000);
  }
  GetDlgItem(IDC_TRAFFIC_APPLY)->EnableWindow(FALSE);
}

void CNetTrafficPage::OnInterfaceChanged(int index)
{
  CString text;
  text.Format("NetTrafficButton using Interface: %d", index);
  SetDlgItemText(IDC_TRAFFIC_STATUS, text);
}

void CNetTrafficPage::OnDestroy()
{
  for (CTrafficButton& graph : m_graphs)
    if (graph.m_hWnd != nullptr)
      graph.DestroyWindow();
  CDialog::OnDestroy();
}

CWnd* CreateNetTrafficPage(CWnd* parent)
{
  CNetTrafficPage* page = new CNetTrafficPage(parent);
  if (!page->Create(IDD_NET_TRAFFIC, parent)) {
    delete page;
    return nullptr;
  }
  return page;
}
