// The clipboard monitor: the main window in the system's clipboard-viewer
// chain, turning an FTP address copied elsewhere into a download or a Quick
// Add pre-fill.
#include <cstring>

#include "engine/planitem.h"
#include "engine/progthread.h"
#include "engine/planthread.h"
#include "engine/viewslots.h"
#include "shell/doc/zarndoc.h"
#include "shell/mainframe/clipmonitor.h"
#include "shell/mainframe/mainframe.h"
#include "shell/mainframe/quickaddsite.h"
#include "shell/settings/settings.h"
#include "toolkit/clipboard.h"
#include "views/serlistrules.h"

#include <wininet.h>

ClipMonitorState g_clipMonitor;

bool ParseFtpUrl(const char* text, SiteRecord& record)
{
  if (!ClipLooksLikeFtpUrl(text))
    return false;
  while (*text == ' ' || *text == '\t')
    ++text;
  char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
  char user[INTERNET_MAX_USER_NAME_LENGTH + 1] = {};
  char password[INTERNET_MAX_PASSWORD_LENGTH + 1] = {};
  char path[INTERNET_MAX_PATH_LENGTH + 1] = {};
  URL_COMPONENTSA parts = {};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUserName = user;
  parts.dwUserNameLength = sizeof user;
  parts.lpszPassword = password;
  parts.dwPasswordLength = sizeof password;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = sizeof path;
  if (!::InternetCrackUrlA(text, 0, ICU_DECODE, &parts))
    return false;
  FtpUrlParts url;
  url.host = host;
  url.user = user;
  url.password = password;
  url.path = path;
  url.port = parts.nPort != 0 ? parts.nPort : INTERNET_DEFAULT_FTP_PORT;
  std::memset(&record, 0, sizeof record);
  return ClipSiteFields(url, record);
}

bool QueueClipboardUrl(const SiteRecord& record, int mode)
{
  const ClipQueueTarget target = ClipQueueSplit(record.m_remoteFolder, mode);
  if (!target.queue || g_downloadPath[0] == '\0' || target.folder.size() >= kPlanPathLen ||
      target.name.size() >= kPlanPathLen)
    return false;
  CPlanItem* item = new CPlanItem();
  CopySiteText(item->m_localPath, sizeof item->m_localPath, g_downloadPath);
  CopySiteText(item->m_remotePath, sizeof item->m_remotePath, target.folder.c_str());
  CopySiteText(item->m_fileName, sizeof item->m_fileName, target.name.c_str());
  CopySiteText(item->m_direction, sizeof item->m_direction, "<-");
  CopySiteText(item->m_host, sizeof item->m_host, record.m_host);
  CopySiteText(item->m_user, sizeof item->m_user, record.m_user);
  CopySiteText(item->m_password, sizeof item->m_password, record.m_password);
  item->m_port = record.m_port;
  item->m_anonymous = record.SiteOptionDigits[1] - '0';
  item->m_passive = record.SiteOptionDigits[4] - '0';
  item->m_kind = target.kind;
  item->m_bytesDone = 0;
  if (!PostToView(g_pFuncView, UWM_QUEUE_ADD, 0, (LPARAM)item)) {
    delete item;  // never reached the queue
    return false;
  }
  if ((g_optionFlags & (1u << 4)) != 0)
    PostToView(g_pMainFrame, UWM_RUN_QUEUE, 0, 0);
  return true;
}

bool QuickAddPrefill(SiteLoginValues& values)
{
  SiteRecord record;
  if (g_clipMonitor.mode != CLIPMODE_REMEMBER || !ParseFtpUrl(g_clipMonitor.lastText, record))
    return false;
  values.host = record.m_host;
  values.name = record.m_name;
  values.port = record.m_port;
  values.user = record.m_user;
  values.password = record.m_password;
  values.anonymous = record.SiteOptionDigits[1];
  return true;
}

void ClipboardNotice(CWnd* owner)
{
  char text[kClipTextMax + 2] = {};
  UINT size = 0;
  // More than fits is read cut, and then counts as too long.
  const bool hasText = GetClipboardTextSize(&size, owner) && GetClipboardText(text, sizeof text, owner);
  const ClipAction action = ClipOnNotice(g_clipMonitor, hasText ? text : nullptr, g_ownClipboardText);
  if (action != ClipAction::Queue)
    return;
  SiteRecord record;
  if (ParseFtpUrl(g_clipMonitor.lastText, record))
    QueueClipboardUrl(record, g_clipMonitor.mode);
}

// ---- the main window's part ----

void CMainFrame::StartClipboardMonitor()
{
  g_clipMonitor = ClipMonitorState{};
  g_clipMonitor.mode = m_window.clipboardMode;
  if (m_window.clipboardMode != CLIPMODE_OFF) {
    ClipJoined(g_clipMonitor, true);
    m_hNextViewer = ::SetClipboardViewer(m_hWnd);
  }
}

void CMainFrame::StopClipboardMonitor()
{
  if (g_clipMonitor.inChain && m_hWnd != nullptr)
    ::ChangeClipboardChain(m_hWnd, m_hNextViewer);
  m_hNextViewer = nullptr;
  ClipLeft(g_clipMonitor);
}

void CMainFrame::OnClipboardMode(UINT nID)
{
  const int mode = ClipModeOfCommand(nID);
  if (mode < 0)
    return;
  const ClipChainStep step = ClipSetMode(g_clipMonitor, mode);
  m_window.clipboardMode = mode;
  if (step.leave)
    StopClipboardMonitor();
  if (step.join) {
    // The join's notice comes inside the call: the state expects it first.
    ClipJoined(g_clipMonitor, true);
    m_hNextViewer = ::SetClipboardViewer(m_hWnd);
  }
}

void CMainFrame::OnClipboardModeMonitor() { OnClipboardMode(kClipModeCommands[CLIPMODE_REMEMBER]); }
void CMainFrame::OnClipboardModeDefault() { OnClipboardMode(kClipModeCommands[CLIPMODE_OFF]); }

void CMainFrame::OnUpdateClipboardMode(CCmdUI* pCmdUI)
{
  pCmdUI->SetRadio(ClipModeOfCommand(pCmdUI->m_nID) == m_window.clipboardMode);
}

LRESULT CMainFrame::OnDrawClipboard(WPARAM wParam, LPARAM lParam)
{
  const bool first = !g_clipMonitor.noticeSeen;
  ClipboardNotice(this);
  if (!first && m_hNextViewer != nullptr)
    ::SendMessageA(m_hNextViewer, WM_DRAWCLIPBOARD, wParam, lParam);
  return 0;
}

LRESULT CMainFrame::OnChangeCbChain(WPARAM wParam, LPARAM lParam)
{
  HWND leaving = reinterpret_cast<HWND>(wParam);
  if (leaving == m_hNextViewer)
    m_hNextViewer = reinterpret_cast<HWND>(lParam);
  else if (m_hNextViewer != nullptr)
    ::SendMessageA(m_hNextViewer, WM_CHANGECBCHAIN, wParam, lParam);
  return 0;
}
