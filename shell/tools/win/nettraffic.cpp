#include "shell/tools/nettraffic.h"

#include <windows.h>
#include <winperf.h>

#include <cstddef>
#include <string>

#include "shell/tools/trafficmath.h"

// The walker reads by offsets of its own; they must be those of the system's records.
static_assert(sizeof(PERF_DATA_BLOCK) == perfoff::kBlockSize, "PERF_DATA_BLOCK");
static_assert(offsetof(PERF_DATA_BLOCK, TotalByteLength) == perfoff::kBlockTotalByteLength, "block length");
static_assert(offsetof(PERF_DATA_BLOCK, HeaderLength) == perfoff::kBlockHeaderLength, "block header");
static_assert(offsetof(PERF_DATA_BLOCK, NumObjectTypes) == perfoff::kBlockNumObjectTypes, "object count");
static_assert(sizeof(PERF_OBJECT_TYPE) == perfoff::kObjSize, "PERF_OBJECT_TYPE");
static_assert(offsetof(PERF_OBJECT_TYPE, TotalByteLength) == perfoff::kObjTotalByteLength, "object length");
static_assert(offsetof(PERF_OBJECT_TYPE, DefinitionLength) == perfoff::kObjDefinitionLength, "definitions");
static_assert(offsetof(PERF_OBJECT_TYPE, HeaderLength) == perfoff::kObjHeaderLength, "object header");
static_assert(offsetof(PERF_OBJECT_TYPE, ObjectNameTitleIndex) == perfoff::kObjNameTitleIndex, "object title");
static_assert(offsetof(PERF_OBJECT_TYPE, NumCounters) == perfoff::kObjNumCounters, "counter count");
static_assert(offsetof(PERF_OBJECT_TYPE, NumInstances) == perfoff::kObjNumInstances, "instance count");
static_assert(sizeof(PERF_COUNTER_DEFINITION) == perfoff::kCtrSize, "PERF_COUNTER_DEFINITION");
static_assert(offsetof(PERF_COUNTER_DEFINITION, ByteLength) == perfoff::kCtrByteLength, "definition length");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterNameTitleIndex) == perfoff::kCtrNameTitleIndex, "title");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterSize) == perfoff::kCtrCounterSize, "size");
static_assert(offsetof(PERF_COUNTER_DEFINITION, CounterOffset) == perfoff::kCtrCounterOffset, "offset");
static_assert(sizeof(PERF_INSTANCE_DEFINITION) == perfoff::kInstSize, "PERF_INSTANCE_DEFINITION");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, ByteLength) == perfoff::kInstByteLength, "instance length");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameOffset) == perfoff::kInstNameOffset, "name offset");
static_assert(offsetof(PERF_INSTANCE_DEFINITION, NameLength) == perfoff::kInstNameLength, "name length");
static_assert(sizeof(PERF_COUNTER_BLOCK) == perfoff::kCtrBlockSize, "PERF_COUNTER_BLOCK");

namespace {

constexpr DWORD kPerfBufferStep = 40960;
constexpr DWORD kPerfBufferLimit = 16u << 20;

PerfDataSource g_perfSource = nullptr;

std::string CodePageName(const char16_t* text, size_t count)
{
  if (count == 0)
    return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
  const int need = ::WideCharToMultiByte(CP_ACP, 0, wide, (int)count, nullptr, 0, nullptr, nullptr);
  if (need <= 0)
    return PerfAsciiName(text, count);
  std::string out((size_t)need, '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, (int)count, &out[0], need, nullptr, nullptr);
  return out;
}

bool FetchPerfData(std::vector<uint8_t>* bytes)
{
  bytes->clear();
  return (g_perfSource != nullptr ? g_perfSource : ReadRegistryPerfData)(bytes) && !bytes->empty();
}

}  // namespace

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide names are UTF-16 code units");

bool ReadRegistryPerfData(std::vector<uint8_t>* bytes)
{
  DWORD size = kPerfBufferStep;
  LONG rc = ERROR_MORE_DATA;
  for (;;) {
    bytes->assign(size, 0);
    DWORD got = size;
    DWORD type = 0;
    rc = ::RegQueryValueExA(HKEY_PERFORMANCE_DATA, "510", nullptr, &type, bytes->data(), &got);
    if (rc == ERROR_SUCCESS) {
      if (got < bytes->size())
        bytes->resize(got);
      break;
    }
    if (rc != ERROR_MORE_DATA || size + kPerfBufferStep > kPerfBufferLimit)
      break;
    size += kPerfBufferStep;
  }
  ::RegCloseKey(HKEY_PERFORMANCE_DATA);
  if (rc != ERROR_SUCCESS)
    bytes->clear();
  return rc == ERROR_SUCCESS;
}

void SetPerfDataSource(PerfDataSource source) { g_perfSource = source; }

CNetTraffic::CNetTraffic() = default;

BOOL CNetTraffic::Initialize()
{
  m_names.RemoveAll();
  m_rawValues.clear();
  m_lastGrowth.clear();
  m_nInterfaces = 0;
  m_lastInterface = -1;
  std::vector<uint8_t> bytes;
  std::vector<std::string> names;
  if (!FetchPerfData(&bytes) ||
      !PerfInstanceNames(bytes.data(), bytes.size(), kPerfObjectNetInterface, &names, CodePageName))
    return FALSE;
  for (const std::string& name : names)
    m_names.AddTail(CString(name.c_str()));
  m_nInterfaces = (int)names.size();
  m_rawValues.assign(names.size(), 0);
  m_lastGrowth.assign(names.size(), 0);
  for (int i = 0; i < m_nInterfaces; i++) {
    uint32_t raw = 0;
    if (PerfRawValue(bytes.data(), bytes.size(), kPerfObjectNetInterface, m_counter, i, &raw))
      m_rawValues[(size_t)i] = raw;
  }
  return m_nInterfaces > 0;
}

BOOL CNetTraffic::ReadRaw(int index, uint32_t* raw)
{
  std::vector<uint8_t> bytes;
  return FetchPerfData(&bytes) &&
         PerfRawValue(bytes.data(), bytes.size(), kPerfObjectNetInterface, m_counter, index, raw);
}

double CNetTraffic::ReadCounter(int index)
{
  if (index < 0 || index >= m_nInterfaces)
    return 0.0;
  uint32_t raw = 0;
  if (!ReadRaw(index, &raw))
    return 0.0;
  const size_t i = (size_t)index;
  if (index != m_lastInterface) {
    m_lastInterface = index;
    m_rawValues[i] = raw;
    return 0.0;
  }
  const uint32_t growth = CounterGrowth(m_rawValues[i], raw);
  m_rawValues[i] = raw;
  m_lastGrowth[i] = growth;
  return (double)growth;
}

double CNetTraffic::GetStoredValue(int index)
{
  if (index < 0 || index >= m_nInterfaces)
    return 0.0;
  const size_t i = (size_t)index;
  if (m_rawValues[i] == 0) {
    uint32_t raw = 0;
    if (ReadRaw(index, &raw))
      m_rawValues[i] = raw;
  }
  return (double)m_rawValues[i];
}

BOOL CNetTraffic::GetInterfaceLabel(CString& label, int index) const
{
  if (index < 0 || index >= m_nInterfaces)
    return FALSE;
  POSITION pos = m_names.FindIndex(index);
  if (pos == nullptr)
    return FALSE;
  label.Format("%s", (const char*)m_names.GetAt(pos));
  return TRUE;
}

void CNetTraffic::SelectCounter(uint32_t titleIndex)
{
  m_counter = titleIndex;
  // A value of another counter is no base for a growth: the next read only primes.
  m_lastInterface = -1;
}
