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

// The pairing of RealFft's forward transform of even length 2 half, for
// k = 1 .. half-1: bins[k] = E + twiddles[k] O with E = (Z[k] +
// conj(Z[half - k])) / 2 and O = -i/2 (Z[k] - conj(Z[half - k])), Z the
// transform of the packed pairs, halved once at the end and rounded to
// float. The same bits whatever the vector width.
void PairForForward(const std::complex<double>* transformed, const std::complex<double>* twiddles, int half,
                    std::complex<float>* bins);

}  // namespace plimo
