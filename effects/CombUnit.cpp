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
  history.reset();
  historyLength = 0;
  oldest = 0;
  if (!(rate > 0.0f && rate <= kMaxSamplingRate)) return -1;
  const int length = static_cast<int>(std::floor(rate * kHistorySeconds + 0.5));
  history = MakeZeroedFloats(static_cast<size_t>(length));
  if (history == nullptr) return -1;
  historyLength = length;
  return 1;
}

void CombUnit::ClearHistory() {
  std::fill(history.get(), history.get() + historyLength, 0.0f);
  oldest = 0;
}

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
  // The last d outputs start d before the newest end of the ring, and may
  // wrap round its end.
  float* ring = history.get();
  int from = oldest - d;
  if (from < 0) from += N;
  const int unwrapped = std::min(d, N - from);
  for (int i = 0; i < unwrapped; ++i) out[i] = b * ring[from + i] + a * in[i];
  for (int i = unwrapped; i < d; ++i) out[i] = b * ring[i - unwrapped] + a * in[i];
  for (int i = d; i < n; ++i) out[i] = b * in[i - d] + a * in[i];

  if (N == 0) return;
  // The newest N outputs replace the oldest entries, in at most two runs.
  const int kept = std::min(n, N);
  const float* newest = out + (n - kept);
  const int first = std::min(kept, N - oldest);
  std::copy(newest, newest + first, ring + oldest);
  std::copy(newest + first, newest + kept, ring);
  oldest = (oldest + kept) % N;
}

}  // namespace plimo
