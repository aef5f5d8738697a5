#include "engine/DecimatingLowPass.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace plimo {

namespace {

constexpr int kOrder = DecimatingLowPass::kOrder;
// The values a pair of block positions weighs its inputs with.
constexpr int kPairValues = 2 * kOrder;

// Two and four doubles, in the vector registers every x86-64 and ARM64
// processor has, and those of AVX2.
using DoublePair = double __attribute__((vector_size(16)));
using DoubleQuad = double __attribute__((vector_size(32)));
constexpr int kPaddedRows = DecimatingLowPass::kPaddedRows;

// The lanes that take the even and the odd values of two vectors.
template <typename Vector>
struct LaneIndex;
template <>
struct LaneIndex<DoublePair> {
  using Type = long long __attribute__((vector_size(16)));
  static constexpr Type kEven = {0, 2};
  static constexpr Type kOdd = {1, 3};
};
template <>
struct LaneIndex<DoubleQuad> {
  using Type = long long __attribute__((vector_size(32)));
  static constexpr Type kEven = {0, 2, 4, 6};
  static constexpr Type kOdd = {1, 3, 5, 7};
};

// The filter's kept outputs, with the blocks' input terms summed in
// vectors of pairs: per state value the even and the odd positions apart,
// in the same order whatever the vector width. The step from block to
// block runs on the state's rows side by side, each row's sum in the
// order of its columns, so every width gives the same bits.
template <typename Vector>
[[gnu::always_inline]] inline void RunBlocks(const double* weights, const double (&stateColumns)[kOrder][kPaddedRows],
                                             double direct, int step, const float* x, int kept, float* y) {
  constexpr int kLanes = sizeof(Vector) / sizeof(double);
  constexpr int kVectors = kPairValues / kLanes;
  constexpr int kRowVectors = (kOrder + kLanes - 1) / kLanes;
  static_assert(kRowVectors * kLanes <= kPaddedRows);
  const int pairs = step / 2;
  Vector columns[kOrder][kRowVectors];
  for (int c = 0; c < kOrder; ++c) {
    for (int v = 0; v < kRowVectors; ++v) std::memcpy(&columns[c][v], &stateColumns[c][kLanes * v], sizeof(Vector));
  }
  Vector state[kRowVectors] = {};
  if (kept > 0) y[0] = static_cast<float>(direct * x[0]);
  for (int j = 1; j < kept; ++j) {
    const float* block = x + static_cast<ptrdiff_t>(j - 1) * step;
    // Two vectors per row vector; those past the pairs' values stay 0.
    Vector sums[2 * kRowVectors] = {};
    for (int p = 0; p < pairs; ++p) {
      Vector inputs;
#pragma GCC unroll 4
      for (int lane = 0; lane < kLanes; lane += 2) {
        inputs[lane] = block[2 * p];
        inputs[lane + 1] = block[2 * p + 1];
      }
      const double* w = weights + static_cast<ptrdiff_t>(p) * kPairValues;
#pragma GCC unroll 6
      for (int v = 0; v < kVectors; ++v) {
        Vector values;
        std::memcpy(&values, w + kLanes * v, sizeof values);
        sums[v] += values * inputs;
      }
    }
    if (step % 2 != 0) {
      // The last position, with no partner, goes to the even sums.
      const double* w = weights + static_cast<ptrdiff_t>(pairs) * kPairValues;
      const double last = block[step - 1];
#pragma GCC unroll 6
      for (int r = 0; r < kOrder; ++r) sums[2 * r / kLanes][2 * r % kLanes] += w[2 * r] * last;
    }
#pragma GCC unroll 4
    for (int v = 0; v < kRowVectors; ++v) {
      Vector next = __builtin_shuffle(sums[2 * v], sums[2 * v + 1], LaneIndex<Vector>::kEven) +
                    __builtin_shuffle(sums[2 * v], sums[2 * v + 1], LaneIndex<Vector>::kOdd);
#pragma GCC unroll 6
      for (int c = 0; c < kOrder; ++c) next += columns[c][v] * (Vector{} + state[c / kLanes][c % kLanes]);
      sums[v] = next;
    }
#pragma GCC unroll 4
    for (int v = 0; v < kRowVectors; ++v) state[v] = sums[v];
    y[j] = static_cast<float>(state[0][0] + direct * x[static_cast<ptrdiff_t>(j) * step]);
  }
}

using Blocks = void (*)(const double*, const double (&)[kOrder][kPaddedRows], double, int, const float*, int,
                        float*);

void BlocksInPairs(const double* weights, const double (&stateColumns)[kOrder][kPaddedRows], double direct,
                   int step, const float* x, int kept, float* y) {
  RunBlocks<DoublePair>(weights, stateColumns, direct, step, x, kept, y);
}

#if defined(__x86_64__)
// Half the instructions of the pairs.
[[gnu::target("avx2")]] void BlocksInQuads(const double* weights, const double (&stateColumns)[kOrder][kPaddedRows],
                                           double direct, int step, const float* x, int kept, float* y) {
  RunBlocks<DoubleQuad>(weights, stateColumns, direct, step, x, kept, y);
}
#endif

Blocks Chosen() {
#if defined(__x86_64__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return BlocksInQuads;
#endif
  return BlocksInPairs;
}

// One sample of the transposed direct form with no input: the output is
// the first state value, and each value takes the next one less its share
// of the output.
void AdvanceWithoutInput(const float* a, double* s) {
  const double y = s[0];
  for (int r = 0; r + 1 < kOrder; ++r) s[r] = s[r + 1] - static_cast<double>(a[r + 1]) * y;
  s[kOrder - 1] = -static_cast<double>(a[kOrder]) * y;
}

}  // namespace

void DecimatingLowPass::Configure(const float* b, const float* a, int stepSamples) {
  step = std::max(stepSamples, 1);
  direct = b[0];
  const int pairs = (step + 1) / 2;
  blockInput.assign(static_cast<size_t>(pairs) * kPairValues, 0.0);
  // A unit input at the last position of a block leaves the state b - a b[0];
  // one position earlier, that state one sample further on.
  double impulse[kOrder];
  for (int r = 0; r < kOrder; ++r) {
    impulse[r] = static_cast<double>(b[r + 1]) - static_cast<double>(a[r + 1]) * direct;
  }
  for (int k = step - 1; k >= 0; --k) {
    double* pair = blockInput.data() + static_cast<size_t>(k / 2) * kPairValues;
    for (int r = 0; r < kOrder; ++r) pair[2 * r + k % 2] = impulse[r];
    AdvanceWithoutInput(a, impulse);
  }
  for (int c = 0; c < kOrder; ++c) {
    double s[kOrder] = {};
    s[c] = 1.0;
    for (int k = 0; k < step; ++k) AdvanceWithoutInput(a, s);
    for (int r = 0; r < kOrder; ++r) stateColumns[c][r] = s[r];
  }
}

void DecimatingLowPass::Run(const float* x, int n, float* y, int count) const {
  static const Blocks blocks = Chosen();
  // Output j * step reads inputs up to j * step only, so every block the
  // kept outputs need lies whole inside the signal.
  const int kept = n < 1 ? 0 : std::clamp((n - 1) / step + 1, 0, std::max(count, 0));
  blocks(blockInput.data(), stateColumns, direct, step, x, kept, y);
  std::fill(y + kept, y + std::max(count, kept), 0.0f);
}

}  // namespace plimo
