#pragma once

#include <fftw3.h>

#include <complex>
#include <cstddef>

namespace plimo {

// The process-wide cache of FFTW plans shared by the transform classes.
// FFTW's planner keeps global state, so plans are only made under a lock;
// executing a plan with the new-array functions needs none.

enum class PlanKind { kComplexForward, kRealForward, kRealBackward };

// The plan of length n and kind, made on first use for the fftw_malloc'd
// arrays in and out (complex or real as the kind says) and kept for the
// life of the process. nullptr when FFTW cannot plan it.
fftw_plan FindPlan(int n, PlanKind kind, void* in, void* out);

// Whether FFTW's own plan of length n takes working memory on every
// execute (its Rader and buffered solvers do), so that the transform must
// be carried out as a chirp convolution instead.
bool NeedsChirp(int n);

// std::complex<double> and fftw_complex share their layout.
inline fftw_complex* AsFftw(std::complex<double>* values) { return reinterpret_cast<fftw_complex*>(values); }

// n complex values aligned as FFTW's fastest plans want them.
inline std::complex<double>* ComplexArray(int n) {
  return static_cast<std::complex<double>*>(
      fftw_malloc(sizeof(std::complex<double>) * static_cast<size_t>(n)));
}

}  // namespace plimo
