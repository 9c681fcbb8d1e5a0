// The byte counters of the machine's network interfaces, from the performance
// data the registry answers for value "510", and the growth of one interface's
// counter from one read to the next.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/afxwin.h"
#include "shell/tools/perfwalker.h"

// Fills `bytes` with the answer to value "510"; FALSE when there is none.
using PerfDataSource = bool (*)(std::vector<uint8_t>* bytes);
// The registry's answer: asked with 40960 bytes, growing by 40960 while the
// answer is "more data", at most 16 MiB; the performance key is closed after.
bool ReadRegistryPerfData(std::vector<uint8_t>* bytes);
// The source every reader uses from now on; null restores the registry.
void SetPerfDataSource(PerfDataSource source);

class CNetTraffic : public CObject {
public:
  CNetTraffic();

  // Enumerates the interfaces (names in the list, raw values primed). FALSE
  // when the data holds no interface object; the list is then empty.
  BOOL Initialize();
  // How much the selected counter of `index` grew since its previous read; 0
  // when the interface differs from the one read last (the value is only kept
  // then), for a bad index and on any failure.
  double ReadCounter(int index);
  // The last raw value of `index`, read again first when it is still 0.
  double GetStoredValue(int index);
  BOOL GetInterfaceLabel(CString& label, int index) const;
  // The number of interfaces: 0 when there is none.
  int GetInterfaceCount() const { return m_nInterfaces; }
  // Title index of the counter to read (388 total, 264 received, 506 sent).
  void SelectCounter(uint32_t titleIndex);
  uint32_t GetCounter() const { return m_counter; }

private:
  BOOL ReadRaw(int index, uint32_t* raw);

  CStringList m_names{10};
  std::vector<uint32_t> m_rawValues;   // the last raw counter value of each interface
  std::vector<uint32_t> m_lastGrowth;  // the last growth of each interface
  int m_nInterfaces = 0;
  int m_lastInterface = -1;            // the interface read last
  uint32_t m_counter = kPerfBytesTotal;
};
