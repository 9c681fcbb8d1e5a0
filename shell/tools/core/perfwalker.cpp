#include "shell/tools/perfwalker.h"

#include <cstring>

using namespace perfoff;

namespace {

// NumInstances of an object that has one counter block and no instances.
constexpr int32_t kNoInstances = -1;

struct Bytes {
  const uint8_t* data;
  size_t size;

  // The DWORD at `at`, FALSE when it lies past the end.
  bool Dword(size_t at, uint32_t* out) const
  {
    if (at > size || size - at < 4)
      return false;
    std::memcpy(out, data + at, 4);
    return true;
  }
  // [at, at + len) lies inside the bytes.
  bool Fits(size_t at, size_t len) const { return at <= size && len <= size - at; }
};

struct ObjectView {
  size_t at = 0;       // the object's first byte
  size_t end = 0;      // one past its last byte (inside the block)
  size_t defsAt = 0;   // first counter definition
  size_t instAt = 0;   // first instance
  uint32_t numCounters = 0;
  int32_t numInstances = 0;
};

// The object of title index `objectIndex`, with its lengths checked.
bool FindObject(const Bytes& b, uint32_t objectIndex, ObjectView* view)
{
  uint32_t total = 0, header = 0, count = 0;
  if (!b.Fits(0, kBlockSize) || !b.Dword(kBlockTotalByteLength, &total) || !b.Dword(kBlockHeaderLength, &header) ||
      !b.Dword(kBlockNumObjectTypes, &count))
    return false;
  // The block may say it is shorter than what arrived; never longer.
  if (total > b.size || header < kBlockSize || header > total)
    return false;
  const Bytes block{b.data, total};
  size_t at = header;
  for (uint32_t i = 0; i < count; i++) {
    uint32_t objLen = 0, defLen = 0, hdrLen = 0, title = 0, counters = 0, instances = 0;
    if (!block.Fits(at, kObjSize) || !block.Dword(at + kObjTotalByteLength, &objLen) ||
        !block.Dword(at + kObjDefinitionLength, &defLen) || !block.Dword(at + kObjHeaderLength, &hdrLen) ||
        !block.Dword(at + kObjNameTitleIndex, &title) || !block.Dword(at + kObjNumCounters, &counters) ||
        !block.Dword(at + kObjNumInstances, &instances))
      return false;
    if (objLen < kObjSize || !block.Fits(at, objLen))
      return false;
    if (title == objectIndex) {
      if (hdrLen < kObjSize || defLen < hdrLen || defLen > objLen)
        return false;
      view->at = at;
      view->end = at + objLen;
      view->defsAt = at + hdrLen;
      view->instAt = at + defLen;
      view->numCounters = counters;
      view->numInstances = static_cast<int32_t>(instances);
      return true;
    }
    at += objLen;
  }
  return false;
}

// The offset of counter `counterIndex` inside an instance's counter block.
bool FindCounterOffset(const Bytes& b, const ObjectView& obj, uint32_t counterIndex, uint32_t* offset)
{
  size_t at = obj.defsAt;
  for (uint32_t i = 0; i < obj.numCounters; i++) {
    uint32_t len = 0, title = 0, off = 0;
    if (at + kCtrSize > obj.instAt || !b.Dword(at + kCtrByteLength, &len) ||
        !b.Dword(at + kCtrNameTitleIndex, &title) || !b.Dword(at + kCtrCounterOffset, &off))
      return false;
    if (len < kCtrSize || len > obj.instAt - at)
      return false;
    if (title == counterIndex) {
      *offset = off;
      return true;
    }
    at += len;
  }
  return false;
}

struct InstanceView {
  size_t nameAt = 0;
  size_t nameLen = 0;    // bytes, terminator included
  size_t blockAt = 0;    // its counter block
  size_t blockLen = 0;
};

// Visits the instances in order; visit returns false to stop. FALSE when an
// instance does not fit in its object.
template <class Visit>
bool WalkInstances(const Bytes& b, const ObjectView& obj, Visit visit)
{
  // Without instances there is no interface to name or read.
  if (obj.numInstances == kNoInstances || obj.numInstances <= 0)
    return true;
  size_t at = obj.instAt;
  for (int32_t i = 0; i < obj.numInstances; i++) {
    uint32_t len = 0, nameOff = 0, nameLen = 0, blockLen = 0;
    if (at > obj.end || obj.end - at < kInstSize || !b.Dword(at + kInstByteLength, &len) ||
        !b.Dword(at + kInstNameOffset, &nameOff) || !b.Dword(at + kInstNameLength, &nameLen))
      return false;
    if (len < kInstSize || len > obj.end - at)
      return false;
    if (nameOff < kInstSize || nameOff > len || nameLen > len - nameOff)
      return false;
    const size_t blockAt = at + len;
    if (obj.end - blockAt < kCtrBlockSize || !b.Dword(blockAt + kCtrBlockByteLength, &blockLen))
      return false;
    if (blockLen < kCtrBlockSize || blockLen > obj.end - blockAt)
      return false;
    InstanceView inst;
    inst.nameAt = at + nameOff;
    inst.nameLen = nameLen;
    inst.blockAt = blockAt;
    inst.blockLen = blockLen;
    if (!visit(i, inst))
      return true;
    at = blockAt + blockLen;
  }
  return true;
}

}  // namespace

std::string PerfAsciiName(const char16_t* text, size_t count)
{
  std::string out;
  out.reserve(count);
  for (size_t i = 0; i < count; i++)
    out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
  return out;
}

bool PerfInstanceNames(const uint8_t* data, size_t size, uint32_t objectIndex, std::vector<std::string>* names,
                       PerfNameConverter convert)
{
  names->clear();
  const Bytes b{data, size};
  ObjectView obj;
  if (data == nullptr || !FindObject(b, objectIndex, &obj))
    return false;
  std::vector<std::string> found;
  std::u16string wide;
  const bool ok = WalkInstances(b, obj, [&](int, const InstanceView& inst) {
    // The name ends at its terminator or its length, whichever comes first.
    wide.clear();
    for (size_t k = 0; k + 2 <= inst.nameLen; k += 2) {
      char16_t c;
      std::memcpy(&c, data + inst.nameAt + k, 2);
      if (c == 0)
        break;
      wide += c;
    }
    found.push_back(convert(wide.data(), wide.size()));
    return true;
  });
  if (!ok)
    return false;
  names->swap(found);
  return true;
}

bool PerfRawValue(const uint8_t* data, size_t size, uint32_t objectIndex, uint32_t counterIndex, int instance,
                  uint32_t* value)
{
  *value = 0;
  const Bytes b{data, size};
  ObjectView obj;
  uint32_t offset = 0;
  if (data == nullptr || instance < 0 || !FindObject(b, objectIndex, &obj) ||
      !FindCounterOffset(b, obj, counterIndex, &offset))
    return false;
  // Every instance is walked even past the wanted one: a block damaged
  // anywhere in the object is not believed at all.
  bool found = false;
  bool fits = true;
  uint32_t raw = 0;
  const bool ok = WalkInstances(b, obj, [&](int i, const InstanceView& inst) {
    if (i != instance)
      return true;
    if (offset > inst.blockLen || inst.blockLen - offset < 4) {
      fits = false;
      return false;
    }
    std::memcpy(&raw, data + inst.blockAt + offset, 4);
    found = true;
    return true;
  });
  if (!ok || !fits || !found)
    return false;
  *value = raw;
  return true;
}
