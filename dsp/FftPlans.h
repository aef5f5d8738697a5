#pragma once

#include <fftw3.h>

#include <complex>
#include <cstddef>

namespace plimo {

// The process-wide cache of FFTW plans shared by the transform classes:
// single precision, but for the real forward transform (see RealFft).
// FFTW's planner keeps global state, so plans are only made under a lock;
// executing a plan with the new-array functions needs none.

enum class PlanKind { kComplexForward, kComplexBackward, kRealBackward };

// The plan of length n and kind, made on first use for the fftwf_malloc'd
// arrays in and out (complex or real as the kind says) and kept for the
// life of the process. nullptr when FFTW cannot plan it.
fftwf_plan FindPlan(int n, PlanKind kind, void* in, void* out);

// The double-precision real forward plan of length n, made likewise for
// the fftw_malloc'd arrays in (n values) and out (n/2 + 1).
fftw_plan FindDoublePlan(int n, double* in, fftw_complex* out);

// Whether FFTW's own plan of length n takes working memory on every
// execute (its Rader and buffered solvers do), so that the transform must
// be carried out as a chirp convolution instead.
bool NeedsChirp(int n);

// std::complex<float> and fftwf_complex share their layout.
inline fftwf_complex* AsFftw(std::complex<float>* values) { return reinterpret_cast<fftwf_complex*>(values); }

// n complex values aligned as FFTW's fastest plans want them.
inline std::complex<float>* ComplexArray(int n) {
  return static_cast<std::complex<float>*>(
      fftwf_malloc(sizeof(std::complex<float>) * static_cast<size_t>(n)));
}

// n real values, aligned likewise.
inline float* RealArray(int n) {
  return static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<size_t>(n)));
}

// Whether a caller's array is aligned as the arrays the plans were made
// for, so that a plan may run on it in place of a copy.
inline bool PlanAligned(const void* values) {
  return fftwf_alignment_of(static_cast<float*>(const_cast<void*>(values))) == 0;
}

}  // namespace plimo
