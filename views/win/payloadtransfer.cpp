#include "views/payloadtransfer.h"

#include <cstring>

#include "engine/confirmdlg.h"
#include "toolkit/clipboard.h"
#include "views/remotename.h"

namespace {

uint32_t ThisProcess() { return (uint32_t)::GetCurrentProcessId(); }

bool BuildOrRefuse(DragPayload& payload, const PayloadRow* rows, int count, int sourceSite, const char* sourcePath,
                   CWnd* owner)
{
  std::string tooLong;
  const std::string date = PayloadDateText();
  if (BuildDragPayload(payload, rows, count, sourceSite, sourcePath, ThisProcess(), date.c_str(), &tooLong))
    return true;
  ShowPathTooLong(owner, tooLong);
  return false;
}

}  // namespace

void ShowPathTooLong(CWnd* owner, const std::string& path)
{
  ShowConfirmDlgText(owner, PathTooLongText(path).c_str(), kConfirmModeError, FALSE);
}

bool AcceptRemoteName(CWnd* owner, const char* name)
{
  switch (CheckRemoteName(name)) {
    case RemoteNameCheck::kOk:
      return true;
    case RemoteNameCheck::kEmpty:
      return false;
    case RemoteNameCheck::kTooLong:
      ShowPathTooLong(owner, name);
      return false;
    case RemoteNameCheck::kLeavesFolder:
      ShowConfirmDlgText(owner, (std::string(kRemoteNameRefusedText) + name).c_str(), kConfirmModeError, FALSE);
      return false;
  }
  return false;
}

BOOL CopyPayloadRows(const PayloadRow* rows, int count, int sourceSite, const char* sourcePath, CWnd* owner)
{
  if (rows == nullptr || count <= 0)
    return FALSE;
  DragPayload payload;
  if (!BuildOrRefuse(payload, rows, count, sourceSite, sourcePath, owner))
    return FALSE;
  SetClipPayloadRelease(&ReleasePayloadRecord);
  if (!CopyPayloadToClipboard(&payload, owner)) {
    ReleasePayloadEntries(payload.m_entries);
    return FALSE;
  }
  return TRUE;
}

const EntryRecord* ReadClipboardPayload(DragPayload* out, int* count, CWnd* owner)
{
  BYTE record[kClipPayloadSize] = {};
  if (!GetPayloadFromClipboard(record, owner)) {
    ValidateDragPayload(nullptr, 0, ThisProcess(), out, count);
    return nullptr;
  }
  return ValidateDragPayload(record, sizeof record, ThisProcess(), out, count);
}

const EntryRecord* ReadDroppedPayload(COleDataObject* pDataObject, DragPayload* out, int* count)
{
  HGLOBAL block = nullptr;
  if (pDataObject != nullptr && g_clipFormat != 0 && pDataObject->IsDataAvailable((CLIPFORMAT)g_clipFormat))
    block = pDataObject->GetGlobalData((CLIPFORMAT)g_clipFormat);
  const void* data = block != nullptr ? ::GlobalLock(block) : nullptr;
  // GlobalSize bounds the read: a short block of another program is refused.
  const EntryRecord* entries =
      ValidateDragPayload(data, data != nullptr ? ::GlobalSize(block) : 0, ThisProcess(), out, count);
  if (data != nullptr)
    ::GlobalUnlock(block);
  return entries;
}

DROPEFFECT DragPayloadRows(const PayloadRow* rows, int count, int sourceSite, const char* sourcePath, CWnd* owner)
{
  if (g_clipFormat == 0)
    return DROPEFFECT_NONE;
  DragPayload payload;
  if (!BuildOrRefuse(payload, rows, count, sourceSite, sourcePath, owner))
    return DROPEFFECT_NONE;
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, sizeof payload);
  void* p = block != nullptr ? ::GlobalLock(block) : nullptr;
  if (p == nullptr) {
    if (block != nullptr)
      ::GlobalFree(block);
    ReleasePayloadEntries(payload.m_entries);
    return DROPEFFECT_NONE;
  }
  memcpy(p, &payload, sizeof payload);
  ::GlobalUnlock(block);
  DROPEFFECT effect = DROPEFFECT_NONE;
  {
    COleDataSource source;
    source.CacheGlobalData((CLIPFORMAT)g_clipFormat, block);
    effect = source.DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
  }
  // The targets are in this process and took what they needed before the
  // drag returned; the block goes with the data source.
  ReleasePayloadEntries(payload.m_entries);
  return effect;
}
