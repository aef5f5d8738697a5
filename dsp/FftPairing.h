#pragma once

#include <complex>

namespace plimo {

// The pairing of RealFft's backward transform of even length 2 half, for
// k = 1 .. half-1 (none of whose mirrors is bin 0 or bin half): packed[k] =
// conj(E + i O) with E = X[k] + conj(X[half - k]) and O = (X[k] -
// conj(X[half - k])) conj(twiddles[k]), X the bins widened to double. The
// same bits as std::complex's limited-range arithmetic (re = ac - bd,
// im = ad + bc) whatever the vector width the processor offers.
void PairForBackward(const std::complex<float>* bins, const std::complex<double>* twiddles, int half,
                     std::complex<double>* packed);

}  // namespace plimo
