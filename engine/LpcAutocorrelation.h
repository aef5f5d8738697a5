#pragma once

namespace plimo {

// r[k] = sum over i of x[i] x[i + k] for k = 0 .. order, each sum taken in
// the order of Autocorrelation (dsp/Primitives.h). x holds floats widened
// to double, whose products are exact, so the results are Autocorrelation's
// to the bit, computed many lags side by side in the widest vectors the
// processor has. Allocates nothing.
void LpcAutocorrelation(const double* x, int n, int order, double* r);

}  // namespace plimo
