// Reads the performance data block the registry answers for value "510"
// (network interfaces): the instance names of an object and one 32-bit raw
// counter of an instance. The block's structures are read by their documented
// byte offsets, so this builds without Windows headers; every length and offset
// the block carries is checked against the bytes received, and one that does
// not fit ends the walk as "not found".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Byte offsets of the fields the walker reads (x86 and x64 alike: the title
// pointers of 32-bit Windows are DWORDs on 64-bit and take 4 bytes either way).
namespace perfoff {
constexpr size_t kBlockTotalByteLength = 20;
constexpr size_t kBlockHeaderLength = 24;
constexpr size_t kBlockNumObjectTypes = 28;
constexpr size_t kBlockSize = 88;  // PERF_DATA_BLOCK

constexpr size_t kObjTotalByteLength = 0;
constexpr size_t kObjDefinitionLength = 4;
constexpr size_t kObjHeaderLength = 8;
constexpr size_t kObjNameTitleIndex = 12;
constexpr size_t kObjNumCounters = 32;
constexpr size_t kObjNumInstances = 40;
constexpr size_t kObjSize = 64;  // PERF_OBJECT_TYPE

constexpr size_t kCtrByteLength = 0;
constexpr size_t kCtrNameTitleIndex = 4;
constexpr size_t kCtrCounterSize = 32;
constexpr size_t kCtrCounterOffset = 36;
constexpr size_t kCtrSize = 40;  // PERF_COUNTER_DEFINITION

constexpr size_t kInstByteLength = 0;
constexpr size_t kInstNameOffset = 16;
constexpr size_t kInstNameLength = 20;
constexpr size_t kInstSize = 24;  // PERF_INSTANCE_DEFINITION

constexpr size_t kCtrBlockByteLength = 0;
constexpr size_t kCtrBlockSize = 4;  // PERF_COUNTER_BLOCK
}  // namespace perfoff

// Title indexes of the performance registry the traffic meter uses.
constexpr uint32_t kPerfObjectNetInterface = 510;
constexpr uint32_t kPerfBytesTotal = 388;
constexpr uint32_t kPerfBytesReceived = 264;
constexpr uint32_t kPerfBytesSent = 506;

// Turns a wide instance name (UTF-16 code units, no terminator) into the
// system code page. The default keeps ASCII and writes '?' for the rest; the
// Windows reader passes the code page's own conversion.
using PerfNameConverter = std::string (*)(const char16_t* text, size_t count);
std::string PerfAsciiName(const char16_t* text, size_t count);

// The names of every instance of the object, in block order. FALSE ("not
// found", names emptied) when the object is missing or the block is damaged.
bool PerfInstanceNames(const uint8_t* data, size_t size, uint32_t objectIndex, std::vector<std::string>* names,
                       PerfNameConverter convert = PerfAsciiName);

// The 32-bit raw value of counter `counterIndex` of instance `instance` of the
// object. FALSE (value 0) when the object, the counter or the instance is
// missing or the block is damaged.
bool PerfRawValue(const uint8_t* data, size_t size, uint32_t objectIndex, uint32_t counterIndex, int instance,
                  uint32_t* value);
