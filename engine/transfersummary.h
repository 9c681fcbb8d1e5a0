// The line written when a data connection closes, and the rate rules it uses.
#pragma once

#include <cstdint>

#include "framework/fwstring.h"

// The elapsed time rates are computed with: 55 ms or less counts as 27 ms, so a
// short transfer never divides by zero or shows an absurd rate.
inline uint32_t RateElapsedMs(uint32_t elapsedMs)
{
  return elapsedMs <= 55 ? 27 : elapsedMs;
}

// True for the verbs whose data comes in (LIST, RETM, RETR, RETW): their bytes
// count as received, every other verb's as sent.
bool TransferVerbReceives(int verb);

// "host::Total received 1,234,567 bytes in 2.500 seconds (493.826 KBytes/sec)":
// "received" or "sent" by the verb, the byte count with thousands separators,
// the elapsed time (after RateElapsedMs) in seconds with milliseconds, and bytes
// per millisecond with three decimals, the last digit cut, not rounded. Empty
// when no bytes moved: such a transfer gets no line.
CString FormatTransferSummary(const char* host, int verb, uint64_t bytesMoved, uint32_t elapsedMs);
