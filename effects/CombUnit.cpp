#include "effects/CombUnit.h"

#include <algorithm>
#include <cmath>

namespace plimo {

void CombUnit::Reset() {
  baseDelay = kDefaultBaseDelaySeconds;
  gain = kDefaultGain;
  delay = kDefaultDelaySeconds;
}

int CombUnit::Prepare(float rate) {
  samplingRate = rate;
  if (!(rate > 0.0f && rate <= kMaxSamplingRate)) {
    historyLength = 0;
    history.clear();
    return -1;
  }
  historyLength = static_cast<int>(std::floor(rate * kHistorySeconds + 0.5));
  history.assign(static_cast<size_t>(historyLength), 0.0f);
  return 1;
}

void CombUnit::ClearHistory() { std::fill(history.begin(), history.end(), 0.0f); }

namespace {

// Delay in samples, cut to [0, limit]; a NaN or negative delay gives 0.
int DelaySamples(float samplingRate, float delaySeconds, int limit) {
  const double samples = std::floor(samplingRate * delaySeconds + 0.5);
  if (!(samples > 0.0)) return 0;
  if (samples >= limit) return limit;
  return static_cast<int>(samples);
}

}  // namespace

void CombUnit::Process(float* out, const int16_t* in, int n) noexcept {
  if (n <= 0) return;
  const float g = gain;
  const float a = 1.0f / (g + 1.0f);
  const float b = 1.0f - a;
  const int N = historyLength;
  const int d = DelaySamples(samplingRate, delay, std::min(n, N));
  const float* past = history.data() + (N - d);
  for (int i = 0; i < d; ++i) out[i] = b * past[i] + a * in[i];
  for (int i = d; i < n; ++i) out[i] = b * in[i - d] + a * in[i];

  if (N == 0) return;
  if (n >= N) {
    std::copy(out + (n - N), out + n, history.begin());
  } else {
    std::copy(history.begin() + n, history.end(), history.begin());
    std::copy(out, out + n, history.end() - n);
  }
}

}  // namespace plimo
