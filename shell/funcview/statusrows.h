// The rows of the server status tree's detail list, built from a snapshot of
// the machine or of one site, so the texts are made (and tested) apart from
// the windows that gather the figures and show them.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/fwstring.h"

struct StatusRow {
  const char* name;
  CString value;
};

// The machine's figures. The dial-up ones count only when statsOk.
struct MachineStatus {
  int siteCount = 0;
  int connectedCount = 0;
  int taskCount = 0;        // tasks of the connected sites
  CString computerName;
  CString localAddress;
  bool online = false;      // a usable local address was found
  bool fxp = false;         // site-to-site transfers use FXP
  bool dialUpActive = false;  // a dial-up connection is listed
  bool statsOk = false;     // its statistics were read (function there, NT family, call succeeded)
  CString dialUpEntry;
  uint32_t bps = 0;
  uint32_t bytesSent = 0;
  uint32_t bytesReceived = 0;
  uint32_t durationMs = 0;
};

// One site's figures, copied out of its CSiteItem. present is false when the
// slot was empty when read: every value then shows empty.
struct SiteStatus {
  bool present = false;
  CString name;
  CString host;
  CString serverAddress;
  CString localAddress;
  int32_t port = 0;
  int32_t localPort = 0;
  char passiveDigit = '0';    // option digit 4
  char keepAliveDigit = '0';  // option digit 7
  char cacheDigit = '0';      // option digit 2
  bool connected = false;
  bool workerFlag = false;
  bool keeperRunning = false;
  bool mainBusy = false;
  int32_t taskCount = 0;
  int64_t connectedSince = 0;  // time of the login, 0 when none
  int64_t now = 0;
  int32_t transferType = 0;    // the global type: 0 auto, 1 ASCII, 2 binary
  uint64_t bytesSent = 0;
  uint64_t bytesReceived = 0;
};

// Writes a byte count as the system's size formatter does ("4.50 GB").
typedef CString (*ByteSizeFormatter)(uint64_t bytes);

constexpr int kMachineRowCount = 13;
constexpr int kSiteRowCount = 20;

std::vector<StatusRow> MachineStatusRows(const MachineStatus& m);
// refresh: the rows are being refreshed in place (some texts differ from a
// first fill).
std::vector<StatusRow> SiteStatusRows(const SiteStatus& s, bool refresh, ByteSizeFormatter formatBytes);

// The text boxes: a header and then the log lines (all of them for the
// machine; for a site those beginning with its host and "::").
CString MachineStatusText(const std::vector<CString>& logLines);
CString SiteStatusText(const SiteStatus& s, bool refresh, const std::vector<CString>& logLines);
