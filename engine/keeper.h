// The site keeper: the thread that holds a connected work site's own logged-in
// connection (the main connection), keeps it alive with idle commands, connects
// it again after a drop, and lends it to one worker at a time.
//
// Lending is a claim on the site's busy word (0 free, 1 taken), taken by
// compare-exchange so that two borrowers, or a borrower and the keeper's own
// keep-alive, can never drive one NetSession at once. The keeper is never
// suspended: while a borrower holds the claim it only sleeps in its slices,
// sends no keep-alive and neither frees nor replaces the main record. A server
// drop while lent reaches the borrower as alive 0; the keeper reconnects once the
// claim comes back.
#pragma once

#include <atomic>
#include <cstdint>

class CSiteItem;
struct NetSession;

// Borrower side. Takes the claim (busy 0 -> 1), then checks that the site is
// connected and its main record exists and is logged in; on failure the claim is
// given back and the result is null. On success the caller owns the main record
// until ReleaseMainConnection; it pushes, posts and waits as any client does.
NetSession* ClaimMainConnection(CSiteItem* site);
// Gives the claim back (busy := 0). Only the holder calls it.
void ReleaseMainConnection(CSiteItem* site);

// The compare-exchange alone, for the keeper (which needs no checks): true when
// the word went from 0 to 1.
bool TryTakeBusyWord(std::atomic<int32_t>& busy);
void GiveBackBusyWord(std::atomic<int32_t>& busy);

#ifdef _WIN32
#include "framework/afxwin.h"

// The keeper's waits are cut into slices of at most this, each re-checking the
// keeper-running flag, so a stop ends the keeper within a few seconds.
constexpr DWORD kKeeperSliceMs = 2000;
// The wait for the site's workers at the end is polled this often.
constexpr DWORD kKeeperEndPollMs = 1000;

// The keeper thread's procedure; pParam is the CSiteItem. It is started as the
// document starts it: AfxBeginThread(ConnectKeeperProc, site, normal priority,
// 0, CREATE_SUSPENDED), auto-delete off, the thread object kept in the site's
// m_pKeeperThread, then resumed. Clearing the site's m_keeperRunning stops it.
// Returns 0.
UINT __cdecl ConnectKeeperProc(LPVOID pParam);
#endif
