// The main window's transfer status in the status bar: started by the first
// begin of a queue run, refreshed by timer 1, collapsed once the run ended.
#include <ctime>

#include "shell/mainframe/mainframe.h"
#include "shell/settings/meteredsection.h"
#include "shell/tools/graphctrl.h"

namespace {

constexpr UINT kUploadGraphId = 0x7101;
constexpr UINT kDownloadGraphId = 0x7102;

void PlaceGraph(CStatusBar& bar, CGraphCtrl*& graph, int pane, UINT id)
{
  CRect r;
  bar.GetItemRect(pane, &r);
  if (graph == nullptr) {
    graph = new CGraphCtrl();
    if (!graph->Create("", WS_CHILD | WS_VISIBLE, r, &bar, id)) {
      delete graph;
      graph = nullptr;
      return;
    }
  }
  bar.SetPaneChild(pane, graph->m_hWnd);
  graph->SetText("0.00");
}

void DestroyGraph(CStatusBar& bar, CGraphCtrl*& graph, int pane)
{
  if (graph == nullptr)
    return;
  if (bar.m_hWnd != nullptr && pane < bar.GetCount())
    bar.SetPaneChild(pane, nullptr);
  if (graph->m_hWnd != nullptr)
    graph->DestroyWindow();
  delete graph;
  graph = nullptr;
}

}  // namespace

void CMainFrame::StartStatusDisplay()
{
  StatusOnStart(m_status, m_uploadTotal.load(), m_downloadTotal.load(), ::GetTickCount());
  if (m_statusBar.m_hWnd == nullptr || m_statusBar.GetCount() < kStatusPanes)
    return;
  const time_t now = time(nullptr);
  struct tm local = {};
  localtime_s(&local, &now);
  char clock[16];
  FormatStatusClock(clock, sizeof clock, local.tm_hour, local.tm_min, local.tm_sec);
  for (int pane = 0; pane < kStatusPanes; ++pane) {
    const char* text = pane == 1 ? clock : StatusPaneText(pane);
    int width = StatusFieldWidth(pane);
    if (width == 0)
      width = m_statusBar.GetTextWidth(pane == 6 ? "ulSpeed:" : text);
    UINT id = 0, style = 0;
    int old = 0;
    m_statusBar.GetPaneInfo(pane, id, style, old);
    m_statusBar.SetPaneInfo(pane, id, style & ~SBPS_STRETCH, width);
    m_statusBar.SetPaneText(pane, text);
  }
  PlaceGraph(m_statusBar, m_pUploadGraph, 7, kUploadGraphId);
  PlaceGraph(m_statusBar, m_pDownloadGraph, 9, kDownloadGraphId);
}

void CMainFrame::ResetStatusDisplay()
{
  if (m_status.timerRunning && m_hWnd != nullptr)
    KillTimer(kStatusTimerId);
  m_status.timerRunning = false;
  DestroyGraph(m_statusBar, m_pUploadGraph, 7);
  DestroyGraph(m_statusBar, m_pDownloadGraph, 9);
  if (m_statusBar.m_hWnd != nullptr && m_statusBar.GetCount() >= kStatusPanes) {
    for (int pane = 0; pane < kStatusPanes; ++pane) {
      UINT id = 0, style = 0;
      int old = 0;
      m_statusBar.GetPaneInfo(pane, id, style, old);
      m_statusBar.SetPaneInfo(pane, id, style, 1);
      m_statusBar.SetPaneText(pane, "");
    }
  }
  m_status = StatusDisplayState{};
}

void CMainFrame::OnStatusTimer()
{
  KillTimer(kStatusTimerId);
  m_status.timerRunning = false;
  if (m_transfersActive.load() == 0) {
    ResetStatusDisplay();
    return;
  }
  // A worker holding the lock is never waited for: the next tick tries again.
  if (g_meteredSection != nullptr && CMeteredSection::Enter(g_meteredSection, 0) == WAIT_OBJECT_0) {
    StatusTickTexts texts;
    StatusOnTick(m_status, m_uploadTotal.load(), m_downloadTotal.load(), ::GetTickCount(), texts);
    CMeteredSection::Leave(g_meteredSection, 1);
    if (m_statusBar.m_hWnd != nullptr && m_statusBar.GetCount() >= kStatusPanes) {
      m_statusBar.SetPaneText(3, texts.uploads);
      m_statusBar.SetPaneText(5, texts.downloads);
      m_statusBar.SetPaneText(11, texts.elapsed);
    }
    if (m_pUploadGraph != nullptr)
      m_pUploadGraph->SetText(texts.uploadSpeed);
    if (m_pDownloadGraph != nullptr)
      m_pDownloadGraph->SetText(texts.downloadSpeed);
  }
  if (SetTimer(kStatusTimerId, kStatusTickMs, nullptr) != 0)
    m_status.timerRunning = true;
}
