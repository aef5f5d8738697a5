#pragma once

#include <complex>

namespace plimo {

// out[k] = 1 / max(|bins[k]|, floor) for k = 0 .. count-1, the magnitude
// and its inverse taken in double and rounded to float once at the end; a
// NaN bin gives NaN. The same bits whatever the vector width the
// processor offers. Allocates nothing.
void InverseMagnitudes(const std::complex<float>* bins, int count, double floor, float* out);

}  // namespace plimo
