#pragma once

#include <vector>

namespace plimo {

// The pitch tracker's sixth-order low-pass, evaluated only at the outputs
// that the decimated signal keeps. Each frame starts the filter from rest,
// so the state after a block of `step` inputs is a fixed linear map of the
// state before and of the block's inputs. The blocks' input terms do not
// depend on one another and take six multiply-adds per sample; only the
// 6x6 step from block to block is chained, where the direct form chains
// every sample. The same transfer function, summed in another order, so
// the outputs agree with the direct form up to rounding.
class DecimatingLowPass {
 public:
  static constexpr int kOrder = 6;
  // kOrder rounded up to whole vectors of four doubles.
  static constexpr int kPaddedRows = 8;

  DecimatingLowPass() = default;
  virtual ~DecimatingLowPass() = default;

  // Takes the filter b / a (kOrder + 1 values each, a[0] taken as 1) and
  // the decimation step (>= 1, samples) and precomputes the block maps in
  // double precision. Allocates.
  void Configure(const float* b, const float* a, int step);

  // y[j] = the filter's output number j * step for the n samples of x
  // from rest, for j < count; 0 where j * step >= n. Allocates nothing.
  void Run(const float* x, int n, float* y, int count) const;

 private:
  int step = 1;
  double direct = 0.0;                     // b[0]: the input's own share of its output
  // The state map over one block by columns: stateColumns[c][r] is the
  // share of state value c before the block in value r after it, rows
  // padded with zeros to kPaddedRows so that a column is whole vectors.
  double stateColumns[kOrder][kPaddedRows] = {};
  // The value at a block's end of state value r that a unit input at
  // position k of the block leaves, by pairs of positions: for k = 2p the
  // 2 * kOrder values (r, k), (r, k + 1) for r = 0 .. kOrder - 1 side by
  // side (0 for a position past an odd step), so that a pair of inputs
  // meets one run of consecutive values.
  std::vector<double> blockInput;
};

}  // namespace plimo
