// The site-manager library's export, bound by ordinal at load time.
#pragma once
class CSiteItem;
class CWnd;

#ifdef ZARNSITE_BUILD
#define ZARNSITE_API extern "C" __declspec(dllexport)
#else
#define ZARNSITE_API extern "C" __declspec(dllimport)
#endif

// Opens the site manager over the caller's 200-slot work-site table; 1 on OK.
ZARNSITE_API int __stdcall OpenMySiteCommand(CSiteItem** sites, CWnd* parent);
