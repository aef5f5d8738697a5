#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

namespace plimo {

// A float array taken zeroed from calloc, whose large blocks are pages the
// system zeroes as they are first written: storage a run uses little of,
// or only by and by, costs no clearing up front. nullptr when the memory
// cannot be had.
struct FreeFloats {
  void operator()(float* values) const { std::free(values); }
};
using ZeroedFloats = std::unique_ptr<float[], FreeFloats>;

inline ZeroedFloats MakeZeroedFloats(size_t count) {
  return ZeroedFloats(static_cast<float*>(std::calloc(count, sizeof(float))));
}

}  // namespace plimo
