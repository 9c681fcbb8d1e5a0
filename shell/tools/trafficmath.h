// The traffic graph's arithmetic: the growth of a 32-bit raw byte counter, the
// rate it makes over a sample interval, and the history of samples with the
// maximum the bars are scaled to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How much a raw counter grew from `before` to `after`. The counter is 32 bits
// and a busy link wraps it every few seconds: the difference is taken modulo 2^32.
inline uint32_t CounterGrowth(uint32_t before, uint32_t after) { return after - before; }

// KB per second of `growth` bytes over `intervalMs` milliseconds; 0 for an
// interval of 0.
double RateKBps(double growth, uint32_t intervalMs);

// One plotted step: the rate and whether the interface was up.
struct TrafficSample {
  double value;
  uint32_t up;
  uint32_t reserved;
};
static_assert(sizeof(TrafficSample) == 16, "one sample is 16 bytes");

class CTrafficHistory {
public:
  enum Scaling { kGlobalMaximum = 0, kLocalMaximum = 1 };

  // `count` samples, every one up with value 0, maximum 0.
  void Resize(size_t count);
  void Reset();
  // Shifts the history one step left and appends `rate`. In local-maximum mode
  // the maximum is the largest sample left; in global mode it never falls.
  void Add(double rate);

  void SetScaling(Scaling scaling) { m_scaling = scaling; }
  Scaling GetScaling() const { return m_scaling; }
  double Maximum() const { return m_maximum; }
  // The newest sample's value (0 without samples).
  double Latest() const { return m_samples.empty() ? 0.0 : m_samples.back().value; }
  const std::vector<TrafficSample>& Samples() const { return m_samples; }

private:
  std::vector<TrafficSample> m_samples;
  double m_maximum = 0.0;
  Scaling m_scaling = kGlobalMaximum;
};

// The height in pixels of a bar of `value` in a graph `height` pixels high
// scaled to `maximum`; 0 when nothing is to be drawn.
int BarHeight(double value, double maximum, int height);
