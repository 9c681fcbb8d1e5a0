#include "shell/funcview/statusrows.h"

#include <cstring>
#include <ctime>

#include "engine/engineutil.h"

namespace {

CString Number(long long n)
{
  CString s;
  s.Format("%lld", n);
  return s;
}

const char* YesNo(bool b, const char* yes, const char* no) { return b ? yes : no; }

}  // namespace

std::vector<StatusRow> MachineStatusRows(const MachineStatus& m)
{
  std::vector<StatusRow> rows = {
      {"Sites No.", Number(m.siteCount)},
      {"No. Connected", Number(m.connectedCount)},
      {"Tasks No.", Number(m.taskCount)},
      {"Computer Name", m.computerName},
      {"Local IP", m.localAddress},
      {"Connection Status", YesNo(m.online, "Online", "Offline")},
      {"Site to Site Type", YesNo(m.fxp, "FXP", "Local Transfer")},
      {"Connection Type", !m.online ? "Unknown" : YesNo(m.dialUpActive, "Modem", "LAN")},
      {"Profile", CString()},
      {"Speed", CString()},
      {"Sent", CString()},
      {"Received", CString()},
      {"Duration", CString()},
  };
  if (m.online && m.dialUpActive && m.statsOk) {
    rows[8].value = m.dialUpEntry;
    rows[9].value.Format("%d bps", (int)m.bps);
    rows[10].value = FormatThousands(m.bytesSent);
    rows[11].value = FormatThousands(m.bytesReceived);
    const uint32_t seconds = m.durationMs / 1000;
    rows[12].value.Format("%2d:%2d:%2d", (int)(seconds / 3600 % 24), (int)(seconds / 60 % 60), (int)(seconds % 60));
  }
  return rows;
}

std::vector<StatusRow> SiteStatusRows(const SiteStatus& s, bool refresh, ByteSizeFormatter formatBytes)
{
  static const char* const kNames[kSiteRowCount] = {
      "Server Domain Name", "Server IP",         "Server Port",     "Local IP",
      "Local Port",         "Server Mode",       "Receiving Cache", "Sending Cache",
      "Keep Alive Type",    "Connection Status", "Directory Initialization",
      "Monitor Thread",     "Main Connection Flag", "Active Tasks No.", "Last Login Time",
      "Duration",           "Transfer Mode",     "Server Sent",     "Server Received",
      "Cache Directory"};
  std::vector<StatusRow> rows;
  rows.reserve(kSiteRowCount);
  for (const char* name : kNames)
    rows.push_back({name, CString()});
  if (!s.present)
    return rows;

  rows[0].value = s.host;
  rows[1].value = s.serverAddress;
  rows[2].value = Number(s.port);
  rows[3].value = s.localAddress;
  rows[4].value = Number(s.localPort);
  rows[5].value = s.passiveDigit == '0' ? "PORT" : "PASS";
  rows[6].value = "8192";
  rows[7].value = "8192";
  switch (s.keepAliveDigit) {
    case '0': rows[8].value = refresh ? "None" : "Not"; break;
    case '1': rows[8].value = "Normal"; break;
    case '2': rows[8].value = "Force"; break;
    default: break;
  }
  rows[9].value = YesNo(s.connected, "Connected", "Disconnect");
  rows[10].value = YesNo(s.workerFlag, "Yes", "No");
  rows[11].value = YesNo(s.keeperRunning, "Established", "Unestablished");
  rows[12].value = YesNo(s.mainBusy, "Busy", "Idle");
  rows[13].value = Number(s.taskCount);
  rows[14].value = "00:00:00";
  if (s.connectedSince != 0) {
    const time_t since = (time_t)s.connectedSince;
    struct tm local;
#ifdef _WIN32
    const bool ok = localtime_s(&local, &since) == 0;
#else
    const bool ok = localtime_r(&since, &local) != nullptr;
#endif
    char text[64];
    if (ok && strftime(text, sizeof(text), "%X", &local) > 0)
      rows[14].value = text;
  }
  if (s.connected && s.connectedSince != 0) {
    const long long seconds = s.now > s.connectedSince ? s.now - s.connectedSince : 0;
    rows[15].value.Format("%d:%d:%d", (int)(seconds / 3600 % 24), (int)(seconds / 60 % 60), (int)(seconds % 60));
  } else {
    rows[15].value = refresh ? "00:00:00" : "0";
  }
  switch (s.transferType) {
    case 0: rows[16].value = "Auto-Detect"; break;
    case 1: rows[16].value = "ASCII"; break;
    case 2: rows[16].value = "Binary"; break;
    default: break;
  }
  if (formatBytes != nullptr) {
    rows[17].value = formatBytes(s.bytesSent);
    rows[18].value = formatBytes(s.bytesReceived);
  }
  rows[19].value = YesNo(s.cacheDigit != '0', "Yes", "No");
  return rows;
}

CString MachineStatusText(const std::vector<CString>& logLines)
{
  CString text = "       ******** Server Information ********      \r\n\r\n";
  for (const CString& line : logLines)
    text += line;
  return text;
}

CString SiteStatusText(const SiteStatus& s, bool refresh, const std::vector<CString>& logLines)
{
  if (!s.present)
    return CString();
  CString text;
  if (refresh)
    text.Format("%s%s%s", "      ************ ", s.name.GetString(), " ************\r\n\r\n");
  else
    text.Format("%s%s%s", "      ******** ", s.name.GetString(), " ********\r\n\r\n");
  // Every line begins with the host of the site that wrote it.
  const CString prefix = s.host + "::";
  const size_t n = (size_t)prefix.GetLength();
  for (const CString& line : logLines) {
    if (!s.host.IsEmpty() && (size_t)line.GetLength() >= n && strncmp(line.GetString(), prefix.GetString(), n) == 0)
      text += line;
  }
  return text;
}
