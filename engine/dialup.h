// Dial-up connections: hang up every active one, and dial the configured entry.
//
// The real functions live in rasapi32.dll and wininet.dll and are loaded by name
// at first use; a missing library or export makes hang-up do nothing and dialling
// fail, and never stops the program. Tests put in their own functions.
#pragma once

#include "framework/afxwin.h"

#include <ras.h>
#include <raserror.h>

#include <string>
#include <vector>

// The connection record as RAS version 4 knows it: what RasEnumConnectionsA
// fills. Its dwSize is this struct's size (412 bytes on 32-bit Windows). RAS
// records are packed to 4 bytes, as the system's own header declares them.
#pragma pack(push, 4)
struct RasConnV4 {
  DWORD dwSize;
  HRASCONN hrasconn;
  CHAR szEntryName[RAS_MaxEntryName + 1];
  CHAR szDeviceType[RAS_MaxDeviceType + 1];
  CHAR szDeviceName[RAS_MaxDeviceName + 1];
};
#pragma pack(pop)
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RasConnV4) == 412, "RAS version 4 connection record");
#endif

// A phone-book entry's name as RasEnumEntriesA fills it in its first version
// (no flags, no phone-book path): 264 bytes on both targets.
#pragma pack(push, 4)
struct RasEntryNameV1 {
  DWORD dwSize;
  CHAR szEntryName[RAS_MaxEntryName + 1];
};
#pragma pack(pop)
static_assert(sizeof(RasEntryNameV1) == 264, "RAS version 1 entry-name record");

typedef DWORD(WINAPI* RasEnumEntriesFn)(LPCSTR reserved, LPCSTR phoneBook, RasEntryNameV1* entries, LPDWORD bytes,
                                        LPDWORD count);

// The statistics record of a connection as RasGetConnectionStatistics fills it:
// fifteen 32-bit words, 60 bytes on every target.
struct RasStatsRecord {
  DWORD dwSize;
  DWORD dwBytesXmited;
  DWORD dwBytesRcved;
  DWORD dwFramesXmited;
  DWORD dwFramesRcved;
  DWORD dwCrcErr;
  DWORD dwTimeoutErr;
  DWORD dwAlignmentErr;
  DWORD dwHardwareOverrunErr;
  DWORD dwFramingErr;
  DWORD dwBufferOverrunErr;
  DWORD dwCompressionRatioIn;
  DWORD dwCompressionRatioOut;
  DWORD dwBps;
  DWORD dwConnectDuration;  // milliseconds
};
static_assert(sizeof(RasStatsRecord) == 60, "RAS statistics record");

typedef DWORD(WINAPI* RasEnumConnectionsFn)(RasConnV4* connections, LPDWORD bytes, LPDWORD count);
typedef DWORD(WINAPI* RasHangUpFn)(HRASCONN connection);
typedef DWORD(WINAPI* InternetDialFn)(HWND parent, LPSTR entryName, DWORD flags, DWORD_PTR* connection,
                                      DWORD reserved);
typedef DWORD(WINAPI* RasGetConnectionStatisticsFn)(HRASCONN connection, RasStatsRecord* statistics);

// Null members: the function is missing.
struct DialUpApi {
  RasEnumConnectionsFn enumConnections;
  RasHangUpFn hangUp;
  InternetDialFn dial;
  RasEnumEntriesFn enumEntries;
  RasGetConnectionStatisticsFn getStatistics;
};

// The functions found in the two libraries (RasEnumConnectionsA, RasHangUpA,
// RasEnumEntriesA and RasGetConnectionStatistics in the first, InternetDial in
// the second). The libraries stay loaded.
DialUpApi LoadDialUpApi(const char* rasLibrary = "rasapi32.dll", const char* internetLibrary = "wininet.dll");

// The functions hang-up and dialling use; null puts the real ones back (loaded
// once, at first use).
void SetDialUpApi(const DialUpApi* api);
// The functions in use now: the ones set, else the real ones.
const DialUpApi* CurrentDialUpApi();

// Enumerates the active connections (growing the buffer once to the size RAS
// asks for) and hangs each up in turn, stopping at the first failure. Returns
// the number hung up.
int HangUpAllConnections();

// The number of active dial-up connections (0 when RAS is missing or fails).
int ActiveDialUpCount();

// The names of the phone-book entries (the buffer grown once to the size RAS
// asks for); none when RAS is missing or fails.
std::vector<std::string> EnumDialUpEntries();

// Dials g_dialEntry, forced unattended; true only when the dial reports success.
bool AutoDial();
