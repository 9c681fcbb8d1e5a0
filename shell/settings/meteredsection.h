// A counting lock with a time-out on a shared-memory block, so that processes
// can share it when it has a name.
#pragma once

#include "framework/fwtypes.h"  // winsock2.h before windows.h

#include <cstddef>
#include <cstdint>

// The block every handle of one lock maps; five 32-bit fields.
struct METERED_SECTION_SHARED {
    volatile LONG initialised;  // 0 until the creator has filled the block, then 1
    volatile LONG spinLock;     // 0 free, 1 taken
    volatile LONG waiting;      // threads that found no count and have no wake yet
    volatile LONG available;    // counts free now
    volatile LONG maximum;      // maximum count
};
static_assert(sizeof(LONG) == 4, "32-bit block fields");
static_assert(sizeof(METERED_SECTION_SHARED) == 20, "shared block is 20 bytes");
static_assert(offsetof(METERED_SECTION_SHARED, spinLock) == 4, "block layout");
static_assert(offsetof(METERED_SECTION_SHARED, waiting) == 8, "block layout");
static_assert(offsetof(METERED_SECTION_SHARED, available) == 12, "block layout");
static_assert(offsetof(METERED_SECTION_SHARED, maximum) == 16, "block layout");

// The handle record, private to the process.
struct METERED_SECTION {
    HANDLE wake;                     // semaphore: one unit per wake handed out
    HANDLE mapping;                  // page-file mapping of the block
    METERED_SECTION_SHARED* shared;  // the mapped view
};
typedef METERED_SECTION* LPMETERED_SECTION;

constexpr size_t kMeteredSectionMaxName = 128;

// Null with last error 87 when maximum < 1, initial < 0 or > maximum, or the
// name is longer than 128 characters. A name shares the lock between handles
// and processes ("QRV_MSECT_MMF_<name>", "QRV_MSECT_EVT_<name>").
LPMETERED_SECTION CreateMeteredSection(LONG initialCount, LONG maximumCount, LPCSTR name);

// Unmaps and closes; a null handle is ignored.
void CloseMeteredSection(LPMETERED_SECTION section);

class CMeteredSection {
public:
    // 0 (WAIT_OBJECT_0) when a count was taken, 258 (WAIT_TIMEOUT) otherwise.
    static DWORD Enter(LPMETERED_SECTION section, DWORD timeoutMs);
    // Gives back count units; FALSE with last error 87 when count is negative
    // or the available count would pass the maximum (nothing changes then).
    static BOOL Leave(LPMETERED_SECTION section, LONG count = 1, LPLONG previous = nullptr);
};

// The main window's lock (count 1 of 1, unnamed); null until it is made.
extern LPMETERED_SECTION g_meteredSection;
