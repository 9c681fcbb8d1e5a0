#pragma once
// The system family the program runs on, as GetVersionExA's dwPlatformId
// reports it: 2 is the NT family, which the traffic page and the dial-up
// statistics need. Read once by the main window; 2 until then.
#include <cstdint>

extern int32_t g_osPlatformId;

// Reads dwPlatformId into g_osPlatformId (Windows builds; elsewhere keeps 2).
void InitOsPlatformId();
