#include "shell/settings/meteredsection.h"

#include <climits>
#include <cstdio>
#include <cstring>

LPMETERED_SECTION g_meteredSection = nullptr;

// Waking: every Leave moves min(count, waiting) threads from `waiting` to the
// semaphore's count, so `waiting` plus the semaphore's count is the number of
// threads between registering as a waiter and leaving Enter. Wakes never merge
// (an auto-reset event set twice wakes one thread) and nobody resets a wake
// that was handed out, so a waiter cannot sleep while a count is free.

namespace {

const DWORD kOpenWaitMs = 10000;  // an opener waits this long for the creator
// A holder mostly leaves within a message round trip or two to a window's
// thread. Spinning that long (yielding the processor) takes the count without
// the sleep and the wake, each a trip to the system, that a wait on the
// semaphore costs: with five queue workers, some seven in ten waits for the
// lock to report a finished file end within a millisecond.
const LONGLONG kEnterSpinMicros = 1000;

// Yields until the count looks free or the spin time is over. Read without the
// block's lock: only a hint, the caller takes the count under it.
void SpinForCount(const METERED_SECTION_SHARED* block)
{
    LARGE_INTEGER freq, now, end;
    if (!QueryPerformanceFrequency(&freq) || !QueryPerformanceCounter(&now))
        return;
    end.QuadPart = now.QuadPart + freq.QuadPart * kEnterSpinMicros / 1000000;
    while (block->available <= 0) {
        SwitchToThread();
        if (!QueryPerformanceCounter(&now) || now.QuadPart >= end.QuadPart)
            return;
    }
}

void LockBlock(METERED_SECTION_SHARED* block)
{
    while (InterlockedExchange(&block->spinLock, 1) == 1)
        Sleep(0);
}

void UnlockBlock(METERED_SECTION_SHARED* block)
{
    InterlockedExchange(&block->spinLock, 0);
}

void FreeRecord(LPMETERED_SECTION section)
{
    if (section->shared)
        UnmapViewOfFile(const_cast<METERED_SECTION_SHARED*>(section->shared));
    if (section->mapping)
        CloseHandle(section->mapping);
    if (section->wake)
        CloseHandle(section->wake);
    HeapFree(GetProcessHeap(), 0, section);
}

}  // namespace

LPMETERED_SECTION CreateMeteredSection(LONG initialCount, LONG maximumCount, LPCSTR name)
{
    if (maximumCount < 1 || initialCount < 0 || initialCount > maximumCount ||
        (name && std::strlen(name) > kMeteredSectionMaxName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* section = static_cast<LPMETERED_SECTION>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(METERED_SECTION)));
    if (!section) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    char wakeName[16 + kMeteredSectionMaxName];
    char mapName[16 + kMeteredSectionMaxName];
    if (name) {
        std::snprintf(wakeName, sizeof wakeName, "QRV_MSECT_EVT_%s", name);
        std::snprintf(mapName, sizeof mapName, "QRV_MSECT_MMF_%s", name);
    }
    // A semaphore keeps each wake apart; LONG_MAX leaves room for any number of waiters.
    section->wake = CreateSemaphoreA(nullptr, 0, LONG_MAX, name ? wakeName : nullptr);
    if (!section->wake) {
        DWORD error = GetLastError();
        FreeRecord(section);
        SetLastError(error);
        return nullptr;
    }
    section->mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(METERED_SECTION_SHARED), name ? mapName : nullptr);
    const bool existed = section->mapping && GetLastError() == ERROR_ALREADY_EXISTS;
    if (section->mapping)
        section->shared = static_cast<METERED_SECTION_SHARED*>(
            MapViewOfFile(section->mapping, FILE_MAP_WRITE, 0, 0, sizeof(METERED_SECTION_SHARED)));
    if (!section->shared) {
        DWORD error = GetLastError();
        FreeRecord(section);
        SetLastError(error);
        return nullptr;
    }

    METERED_SECTION_SHARED* block = section->shared;
    if (!existed) {
        block->spinLock = 0;
        block->waiting = 0;
        block->available = initialCount;
        block->maximum = maximumCount;
        InterlockedExchange(&block->initialised, 1);
    } else {
        // Another handle made the block; it may still be filling it. A creator
        // that died half-way must not hang us.
        DWORD start = GetTickCount();
        for (int spins = 0; InterlockedCompareExchange(&block->initialised, 0, 0) == 0; ++spins) {
            if (GetTickCount() - start > kOpenWaitMs) {
                FreeRecord(section);
                SetLastError(ERROR_TIMEOUT);
                return nullptr;
            }
            Sleep(spins < 100 ? 0 : 1);
        }
    }
    return section;
}

void CloseMeteredSection(LPMETERED_SECTION section)
{
    if (section)
        FreeRecord(section);
}

DWORD CMeteredSection::Enter(LPMETERED_SECTION section, DWORD timeoutMs)
{
    if (!section)
        return WAIT_TIMEOUT;
    METERED_SECTION_SHARED* block = section->shared;
    const DWORD start = GetTickCount();
    bool spun = timeoutMs == 0;
    for (;;) {
        LockBlock(block);
        if (block->available > 0) {
            block->available--;
            UnlockBlock(block);
            return WAIT_OBJECT_0;
        }
        if (!spun) {
            spun = true;
            UnlockBlock(block);
            SpinForCount(block);
            continue;
        }
        // A woken waiter only waits for what is left of its time-out.
        DWORD remaining = INFINITE;
        if (timeoutMs != INFINITE) {
            DWORD elapsed = GetTickCount() - start;
            remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        }
        if (remaining == 0) {
            UnlockBlock(block);
            return WAIT_TIMEOUT;
        }
        block->waiting++;
        UnlockBlock(block);

        if (WaitForSingleObject(section->wake, remaining) == WAIT_OBJECT_0)
            continue;  // Leave took us off `waiting`; compete again

        // Timed out. Either we are still counted in `waiting`, or a Leave has
        // handed out a wake meanwhile that nobody took yet: consume it (it
        // stands for us) and take the count it came with.
        LockBlock(block);
        if (WaitForSingleObject(section->wake, 0) == WAIT_OBJECT_0) {
            if (block->available > 0) {
                block->available--;
                UnlockBlock(block);
                return WAIT_OBJECT_0;
            }
        } else {
            block->waiting--;
        }
        UnlockBlock(block);
        return WAIT_TIMEOUT;
    }
}

BOOL CMeteredSection::Leave(LPMETERED_SECTION section, LONG count, LPLONG previous)
{
    if (!section) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    METERED_SECTION_SHARED* block = section->shared;
    LockBlock(block);
    if (previous)
        *previous = block->available;
    if (count < 0 || static_cast<LONGLONG>(block->available) + count > block->maximum) {
        UnlockBlock(block);
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    block->available += count;
    LONG wakes = count < block->waiting ? count : block->waiting;
    if (wakes > 0 && ReleaseSemaphore(section->wake, wakes, nullptr))
        block->waiting -= wakes;
    UnlockBlock(block);
    return TRUE;
}
