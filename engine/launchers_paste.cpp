// The paste launcher: a drag or clipboard block onto a server or local pane.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/confirmdlg.h"
#include "engine/dragpayload.h"
#include "engine/launchers.h"
#include "engine/launchstart.h"
#include "engine/planitem.h"
#include "engine/planthread.h"
#include "engine/progthread.h"
#include "engine/siteitem.h"
#include "engine/viewslots.h"
#include "shell/settings/settings.h"

static PasteHook s_pasteHook = nullptr;

void SetPasteHook(PasteHook hook)
{
  s_pasteHook = hook;
}

namespace {

// A folder path without the separators at its end ("/" and a drive root stay).
std::string FolderKey(const char* path, bool local)
{
  std::string key = path;
  const char sep = local ? '\\' : '/';
  while (key.size() > 1 && key.back() == sep && !(local && key.size() == 3 && key[1] == ':'))
    key.pop_back();
  return key;
}

// The same folder on the same side: nothing would move but each file onto itself.
bool SameFolder(const DragPayload& p)
{
  if (p.m_source != p.m_target)
    return false;
  const bool local = p.m_source == kPayloadLocalSite;
  const std::string a = FolderKey(p.m_sourcePath, local), b = FolderKey(p.m_targetPath, local);
  return local ? _stricmp(a.c_str(), b.c_str()) == 0 : a == b;
}

void CopyText(char* to, size_t width, const char* from)
{
  std::snprintf(to, width, "%s", from);
}

// Step 4: one queue item per entry, then the queue tab and the queue's start.
int QueueEntries(const DragPayload& p, const EntryRecord* entries, int count, CSiteItem* site)
{
  CWnd* funcView = g_pFuncView.load();
  if (funcView == nullptr || funcView->m_hWnd == nullptr)
    return 0;
  const bool upload = p.m_source == kPayloadLocalSite;
  int queued = 0;
  for (int i = 0; i < count; ++i) {
    const EntryRecord& e = entries[i];
    if (e.m_name[0] == '\0')
      break;
    CPlanItem* item = new CPlanItem();
    CopyText(item->m_localPath, sizeof item->m_localPath, upload ? p.m_sourcePath : p.m_targetPath);
    CopyText(item->m_remotePath, sizeof item->m_remotePath, upload ? p.m_targetPath : p.m_sourcePath);
    CopyText(item->m_fileName, sizeof item->m_fileName, e.m_name);
    CopyText(item->m_direction, sizeof item->m_direction, upload ? "->" : "<-");
    SetPlanItemSite(*item, *site);
    item->m_kind = e.m_kind;
    item->m_fileSize = e.m_kind == kEntryFolder ? 0 : e.m_size;
    if (!::PostMessage(funcView->m_hWnd, UWM_QUEUE_ADD, 0, reinterpret_cast<LPARAM>(item))) {
      delete item;  // never reached the queue
      continue;
    }
    ++queued;
  }
  if (queued == 0)
    return 0;
  ::PostMessage(funcView->m_hWnd, UWM_SHOW_FUNC_TAB, 0, 3);
  CWnd* frame = g_pMainFrame.load();
  if (frame != nullptr && frame->m_hWnd != nullptr)
    ::PostMessage(frame->m_hWnd, UWM_RUN_QUEUE, 0, 0);
  return 1;
}

}  // namespace

int PasteBetweenServerPanes(int paneFlag, HTREEITEM node, const void* block, size_t size)
{
  if (s_pasteHook != nullptr)
    return s_pasteHook(paneFlag, node, block, size);
  DragPayload p;
  int count = 0;
  const EntryRecord* entries =
      ValidateDragPayload(block, size, static_cast<uint32_t>(::GetCurrentProcessId()), &p, &count);
  if (entries == nullptr || count <= 0)
    return 0;
  const bool sourceServer = p.m_source != kPayloadLocalSite, targetServer = p.m_target != kPayloadLocalSite;
  // A slot emptied since the copy, or no server on either side: nothing to do.
  if ((!sourceServer && !targetServer) || (sourceServer && launch::SiteOf(p.m_source) == nullptr) ||
      (targetServer && launch::SiteOf(p.m_target) == nullptr))
    return 0;
  if (SameFolder(p) || TargetInsideSource(p, p.m_target, p.m_targetPath)) {
    ShowConfirmDlgText(g_pMainFrame.load(), kPasteSamePathText, kConfirmModeError, TRUE);
    return 0;
  }
  if (sourceServer && launch::ConnectedSite(p.m_source, kLaunchConnectFailedText2) == nullptr)
    return 0;
  if (targetServer && launch::ConnectedSite(p.m_target, kLaunchConnectFailedText2) == nullptr)
    return 0;
  // The connects may have pumped messages: the slots and the entries are read
  // again (the clipboard's array may have gone meanwhile).
  entries = ValidateDragPayload(block, size, static_cast<uint32_t>(::GetCurrentProcessId()), &p, &count);
  CSiteItem* source = sourceServer ? launch::SiteOf(p.m_source) : nullptr;
  CSiteItem* target = targetServer ? launch::SiteOf(p.m_target) : nullptr;
  if (entries == nullptr || count <= 0 || (sourceServer && source == nullptr) || (targetServer && target == nullptr))
    return 0;
  if (!sourceServer || !targetServer)
    return QueueEntries(p, entries, count, sourceServer ? source : target);

  // The task gets its own copy: the clipboard keeps its array for another paste.
  EntryRecord* copy = new EntryRecord[count + 1]();
  std::memcpy(copy, entries, sizeof(EntryRecord) * count);
  const TaskCode task = source != target && IsOptionSet(OPTBIT_FXP) ? TASK_SITE_FXP : TASK_SITE_RELAY;
  return launch::Start(new CProgThread(paneFlag != 0 ? 1 : 0, task, source, target, node, p.m_sourcePath,
                                       p.m_targetPath, count, copy));
}
