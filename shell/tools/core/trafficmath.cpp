#include "shell/tools/trafficmath.h"

double RateKBps(double growth, uint32_t intervalMs)
{
  if (intervalMs == 0)
    return 0.0;
  return 1000.0 / static_cast<double>(intervalMs) * growth / 1024.0;
}

void CTrafficHistory::Resize(size_t count)
{
  m_samples.assign(count, TrafficSample{0.0, 1, 0});
  m_maximum = 0.0;
}

void CTrafficHistory::Reset() { Resize(m_samples.size()); }

void CTrafficHistory::Add(double rate)
{
  if (m_scaling == kLocalMaximum)
    m_maximum = 0.0;
  if (m_samples.empty()) {
    if (rate > m_maximum)
      m_maximum = rate;
    return;
  }
  for (size_t i = 0; i + 1 < m_samples.size(); i++) {
    m_samples[i] = m_samples[i + 1];
    if (m_samples[i].value > m_maximum)
      m_maximum = m_samples[i].value;
  }
  m_samples.back() = TrafficSample{rate, 1, 0};
  if (rate > m_maximum)
    m_maximum = rate;
}

int BarHeight(double value, double maximum, int height)
{
  if (!(value > 0.0) || !(maximum > 0.0) || height <= 0)
    return 0;
  const double h = value / maximum * height;
  return h >= height ? height : static_cast<int>(h);
}
