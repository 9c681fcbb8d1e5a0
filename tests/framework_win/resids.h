#pragma once
#define IDS_SHARED_ID 101
#define IDS_EXE_ONLY 102
#define IDS_LONG 103
