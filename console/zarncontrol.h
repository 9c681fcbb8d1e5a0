// The manual-control-and-ping library's exports, bound by ordinal at load time.
#pragma once
class CSiteItem;
class CWnd;

#ifdef ZARNCONTROL_BUILD
#define ZARNCONTROL_API extern "C" __declspec(dllexport)
#else
#define ZARNCONTROL_API extern "C" __declspec(dllimport)
#endif

// Opens the raw-command console; a null host starts on port 21, passive, anonymous.
// 1 when the console ends with its Close button.
ZARNCONTROL_API int __stdcall OpenMyCommandCtrl(const char* host, int port, const char* user,
                                                const char* password, const char* localFolder,
                                                int passive, int anonymous, CWnd* parent);
// Opens the ping window over the caller's 200-slot work-site table; returns 1.
ZARNCONTROL_API int __stdcall OpenMyPingFunc(CSiteItem** sites);
