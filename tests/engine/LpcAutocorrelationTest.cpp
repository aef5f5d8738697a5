#include "engine/LpcAutocorrelation.h"

#include <gtest/gtest.h>

#include <vector>

#include "dsp/Primitives.h"

namespace plimo {
namespace {

// The sums side by side must be the plain sums to the bit, at the orders of
// 8000 to 48000 Hz and for frames shorter than a group of lags or the order.
TEST(LpcAutocorrelation, IsThePlainAutocorrelationToTheBit) {
  for (int order : {10, 18, 46, 50}) {
    for (int n : {3, 15, 17, 290, 801, 1920}) {
      std::vector<float> frame(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) {
        frame[static_cast<size_t>(i)] = static_cast<float>((i * 7919) % 2001 - 1000) * 13.37f;
      }
      std::vector<double> widened(frame.begin(), frame.end());
      std::vector<double> plain(static_cast<size_t>(order) + 1);
      std::vector<double> grouped(plain.size());
      Autocorrelation(plain.data(), frame.data(), order, n);
      LpcAutocorrelation(widened.data(), n, order, grouped.data());
      EXPECT_EQ(grouped, plain) << "order " << order << ", " << n << " samples";
    }
  }
}

}  // namespace
}  // namespace plimo
