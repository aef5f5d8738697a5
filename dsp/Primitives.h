#pragma once

namespace plimo {

// Small numeric routines shared by the pitch tracker, the frame modifier and
// the driver. Signals are floats in 16-bit sample units; every sum runs in
// double precision. None of them allocates: where a routine needs working
// storage the caller passes it, so the frame loop stays allocation-free.

// Sum of x[i]^2; 0 for n < 1.
double Energy(const float* x, int n);

// Arithmetic mean of x[0 .. n-1]; 0 for n < 1.
double Mean(const float* x, int n);

// Reverses x in place.
void Reverse(float* x, int n);

// Element n/2 of an ascending sorted copy of x; x is left unchanged.
// scratch must hold n floats. 0 for n < 1.
float Median(const float* x, int n, float* scratch);

// Median of three values (the pitch smoother's case), no scratch needed.
float Median3(float a, float b, float c);

// Symmetric Hamming window: w[i] = 0.54 - 0.46 cos(2 pi i / (n - 1)).
// n == 1 gives w[0] = 1; n < 1 does nothing.
void HammingWindow(float* w, int n);

// r[k] = sum_{i=0}^{n-1-k} x[i] x[i+k] for k = 0 .. p (0 where k >= n).
void Autocorrelation(double* r, const float* x, int p, int n);

// Levinson-Durbin recursion of order p on r[0 .. p]; writes the predictor
// a_1 .. a_p to a[0 .. p-1]. The prediction error starts at 1e-37 when
// r[0] is below that, so silence never divides by zero. scratch holds p
// doubles. Returns the final prediction error.
double LevinsonDurbin(double* a, const double* r, int p, double* scratch);

// Linear resampler from s (length m) to t (length q): keeps s[0], s[1] and
// the last sample and interpolates the rest. Returns q.
int LinearResample(const float* s, int m, float* t, int q);

// Direct-form IIR filter with a fresh state: b has nb numerator values,
// a has na denominator values (a[0] is taken as 1 and not read). x is
// filtered in place; scratch holds n floats.
void Filter(const float* b, int nb, const float* a, int na, float* x, int n, float* scratch);

}  // namespace plimo
