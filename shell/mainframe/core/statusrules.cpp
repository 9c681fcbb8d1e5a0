#include "shell/mainframe/statusrules.h"

#include <cstdio>

#include "engine/queuerules.h"

StatusBegin StatusOnBegin(StatusDisplayState& state, ThreadStatusRecord* records, std::atomic<int32_t>& active,
                          int worker, uint32_t fileSize, uint32_t now)
{
  if (records == nullptr || worker < 0 || worker >= kThreadStatusRecords)
    return StatusBegin::Ignored;
  ThreadStatusRecord& r = records[worker];
  r.m_bytesMoved = 0;
  r.m_bytesPresent = 0;
  r.m_uploadDone = 0;
  r.m_downloadDone = 0;
  std::snprintf(r.m_elapsed, sizeof r.m_elapsed, "00:00:00");
  std::snprintf(r.m_speed, sizeof r.m_speed, "00.00");
  r.m_fileSize = fileSize;
  r.m_startTick = now;
  if (active.exchange(1) != 0)
    return StatusBegin::Recorded;
  return state.timerRunning ? StatusBegin::Recorded : StatusBegin::StartDisplay;
}

void StatusOnStart(StatusDisplayState& state, uint64_t uploadTotal, uint64_t downloadTotal, uint32_t now)
{
  state.startTick = now;
  state.lastUpdateTick = now;
  state.lastUploadTotal = uploadTotal;
  state.lastDownloadTotal = downloadTotal;
}

bool StatusOnFinish(StatusDisplayState& state, ThreadStatusRecord* records, int worker)
{
  if (records == nullptr || worker < 0 || worker >= kThreadStatusRecords)
    return false;
  ThreadStatusRecord& r = records[worker];
  r.m_startTick = 0;
  r.m_bytesMoved = 0;
  if (r.m_direction == 0) {
    state.finishedUploads += r.m_uploadDone;
    r.m_uploadDone = 0;
  } else {
    state.finishedDownloads += r.m_downloadDone;
    r.m_downloadDone = 0;
  }
  return true;
}

void StatusOnTick(StatusDisplayState& state, uint64_t uploadTotal, uint64_t downloadTotal, uint32_t now,
                  StatusTickTexts& out)
{
  std::snprintf(out.uploads, sizeof out.uploads, "%d", state.finishedUploads);
  std::snprintf(out.downloads, sizeof out.downloads, "%d", state.finishedDownloads);
  const uint32_t period = now - state.lastUpdateTick;
  // Totals only grow; a smaller one (a reset elsewhere) counts as no bytes.
  const uint64_t up = uploadTotal >= state.lastUploadTotal ? uploadTotal - state.lastUploadTotal : 0;
  const uint64_t down = downloadTotal >= state.lastDownloadTotal ? downloadTotal - state.lastDownloadTotal : 0;
  FormatQueueSpeed(out.uploadSpeed, sizeof out.uploadSpeed, up, period);
  FormatQueueSpeed(out.downloadSpeed, sizeof out.downloadSpeed, down, period);
  FormatQueueElapsed(out.elapsed, sizeof out.elapsed, now - state.startTick);
  state.lastUploadTotal = uploadTotal;
  state.lastDownloadTotal = downloadTotal;
  state.lastUpdateTick = now;
}

const char* StatusPaneText(int pane)
{
  static const char* const kTexts[kStatusPanes] = {"Start Time:", "", "Upload No.", "", "Download No.", "",
                                                   "ulSpeed", "", "dlSpeed:", "", "Elapsed:", "00:00:00"};
  return pane >= 0 && pane < kStatusPanes ? kTexts[pane] : "";
}

void FormatStatusClock(char* out, unsigned size, int hour, int minute, int second)
{
  std::snprintf(out, size, "%.2d:%.2d:%.2d", hour, minute, second);
}

int StatusFieldWidth(int pane)
{
  switch (pane) {
    case 3:
    case 5:
      return 30;
    case 7:
    case 9:
      return 60;
    default:
      return 0;
  }
}
