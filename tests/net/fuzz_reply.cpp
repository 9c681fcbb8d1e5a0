// Reply assembly over arbitrary bytes: never out of bounds, and the same
// replies and log lines whether the bytes come at once or cut into pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/ftpreply.h"

namespace {

std::vector<std::string> Run(const uint8_t* data, size_t size, size_t step)
{
  FtpReplyAssembler a("host");
  std::vector<std::string> out;
  FtpReplyAssembler::Event e;
  for (size_t pos = 0; pos < size; pos += step) {
    const size_t n = size - pos < step ? size - pos : step;
    a.Feed(data + pos, n);
    while (a.NextEvent(e)) {
      if (e.kind == FtpReplyAssembler::Event::REPLY) {
        if (e.text.size() > FtpReplyAssembler::kMaxLine || FtpReplyAssembler::LineCode(e.text) != e.code)
          abort();
        out.push_back("R" + e.text);
      } else {
        if (e.text.size() < 2 || e.text.compare(e.text.size() - 2, 2, "\r\n") != 0)
          abort();
        out.push_back("L" + e.text);
      }
    }
  }
  a.Finish();
  while (a.NextEvent(e))
    out.push_back((e.kind == FtpReplyAssembler::Event::REPLY ? "R" : "L") + e.text);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size == 0)
    return 0;
  // The first byte picks how the rest is cut.
  const size_t step = (size_t)data[0] % 17 + 1;
  const std::vector<std::string> whole = Run(data + 1, size - 1, size);
  if (Run(data + 1, size - 1, step) != whole)
    abort();
  return 0;
}
