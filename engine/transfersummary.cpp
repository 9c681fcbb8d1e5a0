// Transfer summary line and rate rules.
#include "engine/transfersummary.h"

#include "engine/engineutil.h"
#include "engine/netsession.h"

bool TransferVerbReceives(int verb)
{
  return verb == VERB_LIST || verb == VERB_RETM || verb == VERB_RETR || verb == VERB_RETW;
}

CString FormatTransferSummary(const char* host, int verb, uint64_t bytesMoved, uint32_t elapsedMs)
{
  CString line;
  if (bytesMoved == 0)
    return line;
  const uint32_t ms = RateElapsedMs(elapsedMs);
  // Whole part and remainder separately, so even 64-bit byte counts cannot
  // overflow the times-1000 of the fraction (the remainder is below ms).
  const uint64_t whole = bytesMoved / ms;
  const uint64_t frac = (bytesMoved % ms) * 1000 / ms;
  line.Format("%s::Total %s %s bytes in %lu.%03lu seconds (%llu.%03llu KBytes/sec)", host != nullptr ? host : "",
              TransferVerbReceives(verb) ? "received" : "sent", FormatThousands(bytesMoved).GetString(),
              (unsigned long)(ms / 1000), (unsigned long)(ms % 1000), (unsigned long long)whole,
              (unsigned long long)frac);
  return line;
}
