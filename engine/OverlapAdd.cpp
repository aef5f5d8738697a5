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
  sumRing = MakeZeroedFloats(static_cast<size_t>(ring));
  weightRing = MakeZeroedFloats(static_cast<size_t>(ring));
  if (sumRing == nullptr || weightRing == nullptr) return -1;
  ringSize = ring;
  blockLength = blockSamples;
  block.assign(static_cast<size_t>(blockSamples), 0);
  outputPosition = 0;
  blockFill = 0;
  blockGiven = 0;
  return 1;
}

void OverlapAdd::Place(const float* frame, const float* window, int length, int64_t position) {
  // In at most two stretches, up to the ring's end and on from its start,
  // so that each is one plain loop.
  int index = static_cast<int>(position % ringSize);
  for (int done = 0; done < length;) {
    const int count = std::min(length - done, ringSize - index);
    float* sums = sumRing.get() + index;
    float* weights = weightRing.get() + index;
    const float* values = frame + done;
    const float* gains = window + done;
    for (int i = 0; i < count; ++i) {
      sums[i] += values[i];
      weights[i] += gains[i] * gains[i];
    }
    done += count;
    index = 0;
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
    // In stretches that end at the ring's end or where a block is full.
    for (int64_t left = count; left > 0;) {
      const int run = static_cast<int>(std::min<int64_t>({left, ringSize - index, blockLength - blockFill}));
      float* sums = sumRing.get() + index;
      float* weights = weightRing.get() + index;
      int16_t* out = block.data() + blockFill;
      for (int i = 0; i < run; ++i) out[i] = Normalise(sums[i], weights[i]);
      std::fill(sums, sums + run, 0.0f);
      std::fill(weights, weights + run, 0.0f);
      left -= run;
      index += run;
      if (index == ringSize) index = 0;
      blockFill += run;
      if (blockFill == blockLength) {
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
