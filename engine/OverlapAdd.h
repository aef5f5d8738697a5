#pragma once

#include <cstdint>
#include <vector>

#include "dsp/ZeroedFloats.h"

namespace plimo {

// Where full output blocks go: the effects chain and the run's sink.
class BlockSink {
 public:
  virtual ~BlockSink() = default;
  virtual void TakeBlock(int16_t* block, int length) = 0;
};

// Weighted overlap-add on an output time line kept in two rings (sums of
// windowed frames and sums of squared window values; position q lives at
// q mod ringSize), normalised sample by sample on the way out and cut into
// blocks of a fixed length.
class OverlapAdd {
 public:
  OverlapAdd() = default;
  virtual ~OverlapAdd() = default;

  OverlapAdd(const OverlapAdd&) = delete;
  OverlapAdd& operator=(const OverlapAdd&) = delete;

  // Zeroed rings of ringSize positions and an empty block of blockLength
  // samples; the output position starts at 0. Allocates. Returns 1, or -1
  // for sizes below 1.
  [[nodiscard]] int Prepare(int ringSize, int blockLength);

  // Adds length samples of frame, and the squares of window, from position
  // on. The caller keeps position - outputPosition + length <= ringSize.
  void Place(const float* frame, const float* window, int length, int64_t position);

  // Places the frame at position, position + step, ... while the position
  // is below target, and returns the position after the last placement
  // (position itself when target is already passed). With alternate,
  // every copy after the first runs the other way round than the one
  // before, so that repeated copies of a noise frame do not form a
  // periodic buzz; the frame is left as the last copy was placed.
  int64_t PlaceRepeatedly(float* frame, const float* window, int length, int64_t position, double target,
                          int step, bool alternate);

  // Emits chunks of chunk positions from the output position while it is
  // below limit, but none at or past end, whose sums may still grow. Each
  // position leaves as sum / weight (weight 1 where none was added),
  // limited to +-32767 and truncated toward zero, and is cleared for reuse.
  // Every block that fills goes to sink; a partly filled block waits for
  // more.
  void Emit(double limit, int chunk, int64_t end, BlockSink& sink);

  // Hands what the block has gathered and not yet given out to sink ahead
  // of the rest: the block's next hand-over, partial or full, begins after
  // it. For a listener who cannot wait for whole blocks; the blocks stay
  // cut where they are, so an effect that keeps to blocks is handed the
  // rest of one.
  void EmitGathered(BlockSink& sink);

  int64_t outputPosition = 0;  // P_o, samples
  int blockFill = 0;           // F, samples in the block
  int blockGiven = 0;          // samples of the block already handed out
  int ringSize = 0;            // samples
  int blockLength = 0;         // B, samples
  // Zeroed pages as they are first reached, not cleared up front.
  ZeroedFloats sumRing;
  ZeroedFloats weightRing;
  std::vector<int16_t> block;
};

}  // namespace plimo
