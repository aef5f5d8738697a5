#include "engine/OverlapAdd.h"

#include <algorithm>

#include "dsp/Primitives.h"

namespace plimo {

namespace {

// Below this a position has had no window added: it leaves unscaled, so
// silence stays 0.
constexpr float kMinWeight = 1e-37f;
constexpr float kMaxSample = 32767.0f;

int16_t Normalise(float sum, float weight) {
  if (weight < kMinWeight) weight = 1.0f;
  const float value = sum / weight;
  if (!(value == value)) return 0;  // NaN
  return static_cast<int16_t>(std::clamp(value, -kMaxSample, kMaxSample));
}

}  // namespace

int OverlapAdd::Prepare(int ring, int blockSamples) {
  if (ring < 1 || blockSamples < 1) return -1;
  ringSize = ring;
  blockLength = blockSamples;
  sumRing.assign(static_cast<size_t>(ring), 0.0f);
  weightRing.assign(static_cast<size_t>(ring), 0.0f);
  block.assign(static_cast<size_t>(blockSamples), 0);
  outputPosition = 0;
  blockFill = 0;
  blockGiven = 0;
  return 1;
}

void OverlapAdd::Place(const float* frame, const float* window, int length, int64_t position) {
  int index = static_cast<int>(position % ringSize);
  for (int i = 0; i < length; ++i) {
    sumRing[static_cast<size_t>(index)] += frame[i];
    weightRing[static_cast<size_t>(index)] += window[i] * window[i];
    if (++index == ringSize) index = 0;
  }
}

int64_t OverlapAdd::PlaceRepeatedly(float* frame, const float* window, int length, int64_t position,
                                    double target, int step, bool alternate) {
  bool first = true;
  while (static_cast<double>(position) < target) {
    if (alternate && !first) Reverse(frame, length);
    Place(frame, window, length, position);
    position += step;
    first = false;
  }
  return position;
}

void OverlapAdd::Emit(double limit, int chunk, int64_t end, BlockSink& sink) {
  chunk = std::max(chunk, 1);
  while (outputPosition < limit && outputPosition < end) {
    const int64_t count = std::min<int64_t>(chunk, end - outputPosition);
    int index = static_cast<int>(outputPosition % ringSize);
    for (int64_t i = 0; i < count; ++i) {
      block[static_cast<size_t>(blockFill)] =
          Normalise(sumRing[static_cast<size_t>(index)], weightRing[static_cast<size_t>(index)]);
      sumRing[static_cast<size_t>(index)] = 0.0f;
      weightRing[static_cast<size_t>(index)] = 0.0f;
      if (++index == ringSize) index = 0;
      if (++blockFill == blockLength) {
        sink.TakeBlock(block.data() + blockGiven, blockLength - blockGiven);
        blockFill = 0;
        blockGiven = 0;
      }
    }
    outputPosition += count;
  }
}

void OverlapAdd::EmitGathered(BlockSink& sink) {
  if (blockFill == blockGiven) return;
  sink.TakeBlock(block.data() + blockGiven, blockFill - blockGiven);
  blockGiven = blockFill;
}

}  // namespace plimo
