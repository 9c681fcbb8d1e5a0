// The claim on a site's main connection: one place for the keeper and every
// borrower. Portable, so the native build tests it under the sanitizers.
#include "engine/keeper.h"

#include "engine/netsession.h"
#include "engine/siteitem.h"

bool TryTakeBusyWord(std::atomic<int32_t>& busy)
{
  int32_t expected = 0;
  // Acquire: what the last holder did to the record is visible to the taker.
  return busy.compare_exchange_strong(expected, 1, std::memory_order_acq_rel, std::memory_order_acquire);
}

void GiveBackBusyWord(std::atomic<int32_t>& busy)
{
  // Release: the next holder sees the record as this one left it.
  busy.store(0, std::memory_order_release);
}

NetSession* ClaimMainConnection(CSiteItem* site)
{
  if (site == nullptr || !TryTakeBusyWord(site->m_mainBusy))
    return nullptr;
  // The keeper replaces or frees the record only while it holds the claim
  // itself, so once taken the pointer stays valid until the release.
  NetSession* session = site->m_pMainSession;
  if (site->m_connected.load() == 0 || session == nullptr || session->m_loggedIn.load() == 0) {
    GiveBackBusyWord(site->m_mainBusy);
    return nullptr;
  }
  return session;
}

void ReleaseMainConnection(CSiteItem* site)
{
  if (site != nullptr)
    GiveBackBusyWord(site->m_mainBusy);
}
