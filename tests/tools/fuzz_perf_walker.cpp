// Any bytes as the performance data of value "510": the walker never reads
// past them, and a value is found only where the names say an interface is.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/tools/perfwalker.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  // An exact copy: the sanitizer catches a read one byte past the input.
  std::vector<uint8_t> bytes(data, data + size);
  std::vector<std::string> names;
  const bool named = PerfInstanceNames(bytes.data(), bytes.size(), kPerfObjectNetInterface, &names);
  const uint32_t counters[] = {kPerfBytesTotal, kPerfBytesReceived, kPerfBytesSent};
  for (uint32_t counter : counters)
    for (int i = -1; i < 4; i++) {
      uint32_t v = 1;
      const bool found = PerfRawValue(bytes.data(), bytes.size(), kPerfObjectNetInterface, counter, i, &v);
      if (!found && v != 0)
        abort();
      if (found && (!named || i < 0 || (size_t)i >= names.size()))
        abort();
    }
  return 0;
}
