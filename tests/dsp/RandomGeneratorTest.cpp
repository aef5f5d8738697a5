#include "dsp/RandomGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plimo {
namespace {

// The recurrence in 64-bit arithmetic with an explicit 2^32 modulus, so it
// does not lean on the generator's own unsigned wrap-around.
std::vector<int> ReferenceSequence(uint64_t seed, int count) {
  std::vector<int> values;
  uint64_t state = seed;
  for (int i = 0; i < count; ++i) {
    state = (state * 214013ull + 2531011ull) % (1ull << 32);
    values.push_back(static_cast<int>((state >> 16) & 0x7FFFull));
  }
  return values;
}

TEST(RandomGenerator, MatchesTheRecurrence) {
  const std::vector<int> reference = ReferenceSequence(1, 10000);
  EXPECT_EQ(std::vector<int>(reference.begin(), reference.begin() + 5),
            (std::vector<int>{41, 18467, 6334, 26500, 19169}));

  RandomGenerator random;
  for (int i = 0; i < 10000; ++i) {
    ASSERT_EQ(random.Next(), reference[i]) << "value " << i;
  }

  RandomGenerator seeded(0xDEADBEEFu);
  for (int expected : ReferenceSequence(0xDEADBEEFu, 1000)) {
    ASSERT_EQ(seeded.Next(), expected);
  }
}

TEST(RandomGenerator, RangeAndSpread) {
  RandomGenerator random;
  int lowest = RandomGenerator::kMax;
  int highest = 0;
  double sum = 0.0;
  const int count = 200000;
  for (int i = 0; i < count; ++i) {
    const int value = random.Next();
    ASSERT_GE(value, 0);
    ASSERT_LE(value, RandomGenerator::kMax);
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
    sum += value;
  }
  EXPECT_LT(lowest, 10);
  EXPECT_GT(highest, RandomGenerator::kMax - 10);
  EXPECT_NEAR(sum / count, RandomGenerator::kMax / 2.0, 100.0);
}

TEST(RandomGenerator, SameSeedSameSequence) {
  RandomGenerator first(99);
  RandomGenerator second(99);
  RandomGenerator other(100);
  int differences = 0;
  for (int i = 0; i < 1000; ++i) {
    const int value = first.Next();
    ASSERT_EQ(value, second.Next());
    differences += value != other.Next();
  }
  EXPECT_GT(differences, 900);

  // Reseeding starts the sequence over.
  first.Seed(99);
  RandomGenerator fresh(99);
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(first.Next(), fresh.Next());
  }
}

TEST(NoiseValue, CentredUnitSpan) {
  RandomGenerator random;
  double sum = 0.0;
  const int count = 200000;
  for (int i = 0; i < count; ++i) {
    const double value = NoiseValue(random);
    ASSERT_GE(value, -0.5);
    ASSERT_LE(value, 0.5);
    sum += value;
  }
  EXPECT_NEAR(sum / count, 0.0, 0.005);

  // The first value from seed 1 is 41: 0.5 - 41/32767.
  RandomGenerator first;
  EXPECT_DOUBLE_EQ(NoiseValue(first), 0.5 - 41.0 / 32767.0);
}

// Two draws at a time must give the very values, and leave the very state,
// of one NoiseValue after another, for even and odd counts alike.
TEST(NoiseValue, AddedTwoAtATimeAsOneAfterAnother) {
  for (int n : {0, 1, 2, 7, 640}) {
    std::vector<float> oneByOne(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) oneByOne[static_cast<size_t>(i)] = 1000.0f * static_cast<float>(i) - 3.25f;
    std::vector<float> paired = oneByOne;
    RandomGenerator single(12345);
    RandomGenerator pairs(12345);
    for (float& x : oneByOne) x = static_cast<float>(x + NoiseValue(single));
    AddNoise(paired.data(), n, pairs);
    EXPECT_EQ(paired, oneByOne) << n;
    EXPECT_EQ(pairs.state, single.state) << n;
  }
}

}  // namespace
}  // namespace plimo
