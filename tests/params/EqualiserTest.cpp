#include "params/Equaliser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace plimo {
namespace {

constexpr int kDefaultBands = 10;
constexpr float kDefaultHz[kDefaultBands] = {100, 200, 300, 600, 1000, 3000, 5000, 8000, 12000, 17000};

TEST(EqualiserTest, RefusedBandsChangeNothing) {
  Equaliser equaliser;
  equaliser.SetGain(2, 3.0f);
  std::vector<float> many(Equaliser::kMaxBands + 1, 500.0f);
  EXPECT_EQ(equaliser.SetBands(Equaliser::kMaxBands + 1, many.data()), -1);
  EXPECT_EQ(equaliser.SetBands(-1, nullptr), -1);
  const float nan[2] = {100.0f, NAN};
  EXPECT_EQ(equaliser.SetBands(2, nan), -1);
  EXPECT_EQ(equaliser.SetBands(2, kDefaultHz, nan), -1);
  EXPECT_EQ(equaliser.SetGain(10, 1.0f), -1);
  EXPECT_EQ(equaliser.SetGain(0, INFINITY), -1);
  EXPECT_EQ(equaliser.SetFrequency(-1, 1.0f), -1);
  EXPECT_EQ(equaliser.SetFrequency(0, NAN), -1);
  ASSERT_EQ(equaliser.BandCount(), kDefaultBands);
  for (int k = 0; k < kDefaultBands; ++k) {
    EXPECT_EQ(equaliser.Frequency(k), kDefaultHz[k]);
    EXPECT_EQ(equaliser.Gain(k), k == 2 ? 3.0f : 0.0f);
  }
}

}  // namespace
}  // namespace plimo
