#include "shell/tools/portinfodlg.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <string>
#include <vector>

#include "shell/tools/mibrows.h"
#include "shell/tools/toolsres.h"

namespace {
constexpr COLORREF kListBack = 0x666666;
constexpr COLORREF kListText = 0xB2F7FF;
constexpr uint32_t kTcpFirstAsk = 2004;
constexpr uint32_t kUdpFirstAsk = 804;
}  // namespace

BEGIN_MESSAGE_MAP(CPortInfoDlg, CDialog)
  ON_BN_CLICKED(IDC_PORT_TCP, OnTcp)
  ON_BN_CLICKED(IDC_PORT_UDP, OnUdp)
  ON_BN_CLICKED(IDC_PORT_REFRESH, OnRefresh)
END_MESSAGE_MAP()

CPortInfoDlg::CPortInfoDlg(CWnd* pParent) : CDialog(IDD_PORT_INFO, pParent) {}

void CPortInfoDlg::DoDataExchange(CDataExchange* pDX) { DDX_Control(pDX, IDC_PORT_LIST, m_list); }

BOOL CPortInfoDlg::OnInitDialog()
{
  CDialog::OnInitDialog();
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  m_list.SetBkColor(kListBack);
  m_list.SetTextBkColor(kListBack);
  m_list.SetTextColor(kListText);
  SwitchMode(kModeTcp);
  return TRUE;
}

void CPortInfoDlg::SwitchMode(int mode)
{
  if (mode == m_mode)
    return;
  m_mode = mode;
  m_list.DeleteAllColumns();
  if (mode == kModeTcp) {
    SetWindowText(kPortTcpCaption);
    m_list.SetColumns(kPortTcpColumns);
  } else {
    SetWindowText(kPortUdpCaption);
    m_list.SetColumns(kPortUdpColumns);
  }
  Fill();
}

void CPortInfoDlg::Fill()
{
  if (m_mode == kModeTcp)
    FillTcp();
  else
    FillUdp();
}

void CPortInfoDlg::AddRow(const std::vector<std::string>& cells)
{
  const int row = m_list.InsertItem(m_list.GetItemCount(), cells[0].c_str());
  if (row < 0)
    return;
  for (size_t c = 1; c < cells.size(); c++)
    m_list.SetItemText(row, (int)c, cells[c].c_str());
}

void CPortInfoDlg::FillTcp()
{
  m_list.DeleteAllItems();
  std::vector<uint8_t> buffer;
  const bool ok = FetchIpTable(
      [](uint8_t* data, uint32_t* size) {
        ULONG len = *size;
        const DWORD rc = ::GetTcpTable(reinterpret_cast<PMIB_TCPTABLE>(data), &len, TRUE);
        *size = len;
        return (uint32_t)rc;
      },
      kTcpFirstAsk, &buffer);
  if (!ok)
    return;
  m_list.SetRedraw(FALSE);
  for (const TcpEntry& e : ParseTcpTable(buffer))
    AddRow(FormatTcpRow(e));
  m_list.SetRedraw(TRUE);
}

void CPortInfoDlg::FillUdp()
{
  m_list.DeleteAllItems();
  std::vector<uint8_t> buffer;
  // The first answer may be too small for the machine's listeners: asked
  // again with the size the call reports, as the TCP table is.
  const bool ok = FetchIpTable(
      [](uint8_t* data, uint32_t* size) {
        ULONG len = *size;
        const DWORD rc = ::GetUdpTable(reinterpret_cast<PMIB_UDPTABLE>(data), &len, TRUE);
        *size = len;
        return (uint32_t)rc;
      },
      kUdpFirstAsk, &buffer);
  if (!ok)
    return;
  m_list.SetRedraw(FALSE);
  for (const UdpEntry& e : ParseUdpTable(buffer))
    AddRow(FormatUdpRow(e));
  m_list.SetRedraw(TRUE);
}

void RunPortMonitor(CWnd* parent)
{
  CPortInfoDlg dlg(parent);
  dlg.DoModal();
}

static_assert(sizeof(MIB_TCPROW) == sizeof(TcpEntry), "TCP rows");
static_assert(sizeof(MIB_UDPROW) == sizeof(UdpEntry), "UDP rows");
static_assert(offsetof(MIB_TCPTABLE, table) == 4 && offsetof(MIB_UDPTABLE, table) == 4, "the count precedes the rows");
