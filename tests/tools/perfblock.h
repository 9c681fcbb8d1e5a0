// Synthetic performance data blocks as the registry answers value "510": an
// unrelated object first, then the network interface object with counters
// 388, 264 and 506 at known offsets of each instance's counter block, and
// wide instance names. Offsets of each part are kept so tests can damage them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace perfblock {

struct Interface {
  std::u16string name;
  uint32_t total, received, sent;
};

struct Block {
  std::vector<uint8_t> bytes;
  size_t netObject = 0;                 // the interface object's first byte
  std::vector<size_t> counterDefs;      // each counter definition
  std::vector<size_t> instances;        // each instance definition
  std::vector<size_t> counterBlocks;    // each instance's counter block
};

inline void Put(std::vector<uint8_t>& b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
inline uint32_t Get(const std::vector<uint8_t>& b, size_t at)
{
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

// Counter values sit at 8 (388), 16 (264) and 24 (506) of a 32-byte counter block.
inline Block Build(const std::vector<Interface>& ifs, bool withReceived = true)
{
  Block out;
  std::vector<uint8_t>& b = out.bytes;
  b.assign(88, 0);
  const char16_t sig[4] = {u'P', u'E', u'R', u'F'};
  std::memcpy(&b[0], sig, 8);
  Put(b, 8, 1);
  Put(b, 24, 88);  // header length
  Put(b, 28, 2);   // two objects

  // An object of another kind, with no counters and no instances.
  size_t other = b.size();
  b.resize(other + 64, 0);
  Put(b, other + 0, 64);
  Put(b, other + 4, 64);
  Put(b, other + 8, 64);
  Put(b, other + 12, 238);

  const size_t obj = b.size();
  out.netObject = obj;
  b.resize(obj + 64, 0);
  Put(b, obj + 8, 64);
  Put(b, obj + 12, 510);
  const uint32_t titles[3] = {388, 264, 506};
  const uint32_t offsets[3] = {8, 16, 24};
  uint32_t counters = 0;
  for (int c = 0; c < 3; c++) {
    if (c == 1 && !withReceived)
      continue;
    const size_t def = b.size();
    out.counterDefs.push_back(def);
    b.resize(def + 40, 0);
    Put(b, def + 0, 40);
    Put(b, def + 4, titles[c]);
    Put(b, def + 28, 0x00010000);  // a 32-bit raw counter
    Put(b, def + 32, 4);
    Put(b, def + 36, offsets[c]);
    counters++;
  }
  Put(b, obj + 4, (uint32_t)(b.size() - obj));  // definition length
  Put(b, obj + 32, counters);
  Put(b, obj + 40, (uint32_t)ifs.size());
  for (const Interface& i : ifs) {
    const size_t inst = b.size();
    out.instances.push_back(inst);
    const size_t nameBytes = (i.name.size() + 1) * 2;
    const size_t len = 24 + ((nameBytes + 7) & ~size_t(7));
    b.resize(inst + len, 0);
    Put(b, inst + 0, (uint32_t)len);
    Put(b, inst + 16, 24);
    Put(b, inst + 20, (uint32_t)nameBytes);
    std::memcpy(&b[inst + 24], i.name.data(), i.name.size() * 2);
    const size_t cb = b.size();
    out.counterBlocks.push_back(cb);
    b.resize(cb + 32, 0);
    Put(b, cb + 0, 32);
    Put(b, cb + 8, i.total);
    Put(b, cb + 16, i.received);
    Put(b, cb + 24, i.sent);
  }
  Put(b, obj + 0, (uint32_t)(b.size() - obj));
  Put(b, 20, (uint32_t)b.size());
  return out;
}

}  // namespace perfblock
