// What a file run does to the sound: measured pitch, resonance, length,
// fidelity, and the absence of dropouts and clicks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "DriverFixture.h"
#include "EngineMeasures.h"

namespace plimo::test {
namespace {

constexpr int kRate = 16000;  // Hz

class VoiceModifierTest : public DriverTest {};

// Aligned SNR of the output against the input over the steady vowel.
double NormalSnr(const std::vector<int16_t>& in, const std::vector<int16_t>& out, int fs) {
  const size_t from = static_cast<size_t>(fs / 2);
  const size_t to = std::min(in.size(), out.size()) - static_cast<size_t>(fs / 10);
  const int lag = BestLag(in, out, from, to, fs / 100);
  return SnrDb(in, out, from, to, lag);
}

TEST_F(VoiceModifierTest, NeutralSettingsGiveTheInputBack) {
  const auto input = WithLeadIn(Vowel(125.0, kRate, 2 * kRate), kRate);
  ASSERT_EQ(Run(WriteMono("in.wav", input, kRate), dir.Path("out.wav")), RunStatus::kRunOk);
  const auto output = ReadMono(dir.Path("out.wav"));
  ASSERT_GT(output.size(), input.size() - static_cast<size_t>(kRate / 10));
  const double snr = NormalSnr(input, output, kRate);
  RecordProperty("snr_db", std::to_string(snr));
  EXPECT_GT(snr, 20.0);
}

TEST_F(VoiceModifierTest, PitchFactorScalesTheMeasuredFundamental) {
  const auto input = WithLeadIn(Vowel(125.0, kRate, 2 * kRate), kRate);
  const std::string in = WriteMono("in.wav", input, kRate);
  const double inputF0 = MeasureF0(input, kRate, kRate, 2048);
  ASSERT_NEAR(inputF0, 125.0, 1.0);
  for (float factor : {1.5f, 0.7f, 2.0f}) {
    record.pitchFactor = factor;
    ASSERT_EQ(Run(in, dir.Path("out.wav")), RunStatus::kRunOk);
    const auto output = ReadMono(dir.Path("out.wav"));
    for (size_t at : {static_cast<size_t>(kRate * 3 / 4), static_cast<size_t>(kRate * 3 / 2)}) {
      const double f0 = MeasureF0(output, kRate, at, 2048);
      EXPECT_NEAR(f0 / inputF0, factor, 0.03 * factor) << "factor " << factor << " at " << at;
    }
  }
}

TEST_F(VoiceModifierTest, OffsetAndRobotSetTheFundamental) {
  const auto input = WithLeadIn(Vowel(125.0, kRate, 2 * kRate), kRate);
  const std::string in = WriteMono("in.wav", input, kRate);
  record.pitchOffsetHz = 50.0f;  // 125 + 50
  ASSERT_EQ(Run(in, dir.Path("offset.wav")), RunStatus::kRunOk);
  EXPECT_NEAR(MeasureF0(ReadMono(dir.Path("offset.wav")), kRate, kRate, 2048), 175.0, 0.03 * 175.0);
  record.pitchOffsetHz = 0.0f;
  record.robotVoiceOn = 1;
  record.robotPitchHz = 200.0f;
  ASSERT_EQ(Run(in, dir.Path("robot.wav")), RunStatus::kRunOk);
  EXPECT_NEAR(MeasureF0(ReadMono(dir.Path("robot.wav")), kRate, kRate, 2048), 200.0, 0.03 * 200.0);
}

TEST_F(VoiceModifierTest, VocalTractFactorMovesTheResonance) {
  // Below the pitch tracker's 1 kHz analysis band, so the voice is voiced.
  const auto input = WithLeadIn(Resonance(100.0, 700.0, 80.0, kRate, 2 * kRate), kRate);
  const std::string in = WriteMono("in.wav", input, kRate);
  constexpr int kOrder = 8;
  const size_t at = kRate;
  const double inputHz = ResonanceHz(input, kRate, at, 1024, kOrder);
  ASSERT_NEAR(inputHz, 700.0, 21.0);
  for (float factor : {1.2f, 0.8f, 1.5f}) {
    record.vocalTractFactor = factor;
    ASSERT_EQ(Run(in, dir.Path("out.wav")), RunStatus::kRunOk);
    const double hz = ResonanceHz(ReadMono(dir.Path("out.wav")), kRate, at, 1024, kOrder);
    EXPECT_NEAR(hz / inputHz, factor, 0.05 * factor) << "factor " << factor;
  }
  // With the pitch raised too, the formant still moves by its own factor.
  record.vocalTractFactor = 1.2f;
  record.pitchFactor = 1.5f;
  ASSERT_EQ(Run(in, dir.Path("both.wav")), RunStatus::kRunOk);
  const auto both = ReadMono(dir.Path("both.wav"));
  EXPECT_NEAR(ResonanceHz(both, kRate, at, 1024, kOrder) / inputHz, 1.2, 0.06);
  EXPECT_NEAR(MeasureF0(both, kRate, at, 2048), 150.0, 4.5);
}

TEST_F(VoiceModifierTest, DurationFactorStretchesTheOutput) {
  const auto input = WithLeadIn(Vowel(125.0, kRate, 2 * kRate), kRate);
  const std::string in = WriteMono("in.wav", input, kRate);
  const int block = BlockLengthFor(kRate);
  ASSERT_EQ(Run(in, dir.Path("d1.wav")), RunStatus::kRunOk);
  const auto single = ReadMono(dir.Path("d1.wav"));
  const int64_t singleEnd = modifier->SynthesisPosition();
  record.durationFactor = 2.0f;
  ASSERT_EQ(Run(in, dir.Path("d2.wav")), RunStatus::kRunOk);
  const auto twice = ReadMono(dir.Path("d2.wav"));
  // The synthesised time line doubles within one block; the files are each
  // cut to whole blocks on top of that.
  EXPECT_NEAR(static_cast<double>(modifier->SynthesisPosition()), 2.0 * singleEnd, block);
  EXPECT_NEAR(static_cast<double>(twice.size()), 2.0 * single.size(), 2.0 * block);
  EXPECT_NEAR(MeasureF0(twice, kRate, kRate * 2, 2048), 125.0, 2.0);  // pitch kept
  record.durationFactor = 0.5f;
  ASSERT_EQ(Run(in, dir.Path("d05.wav")), RunStatus::kRunOk);
  const auto half = ReadMono(dir.Path("d05.wav"));
  EXPECT_NEAR(static_cast<double>(half.size()), 0.5 * single.size(), 2.0 * block);
  EXPECT_NEAR(MeasureF0(half, kRate, kRate / 2, 2048), 125.0, 2.0);
}

TEST_F(VoiceModifierTest, OutputEndsWithTheLastFullBlock) {
  const auto input = WithLeadIn(Vowel(125.0, kRate, kRate), kRate);
  ASSERT_EQ(Run(WriteMono("in.wav", input, kRate), dir.Path("out.wav")), RunStatus::kRunOk);
  const auto output = ReadMono(dir.Path("out.wav"));
  const int64_t block = BlockLengthFor(kRate);
  const int64_t synthesised = modifier->SynthesisPosition();
  // Up to B - 1 drained samples at the very end are dropped.
  EXPECT_EQ(static_cast<int64_t>(output.size()), synthesised / block * block);
  EXPECT_GT(synthesised, static_cast<int64_t>(input.size()) - 640 - 2 * 128);
}

// A 70 Hz voice hops by 229 samples, more than 0.01 fs: the plain output
// rule would emit positions that the next frames still add to. Those
// additions would stay in the rings and come out one ring later
// (RingSizeFor the rate) as an echo in whatever follows.
TEST_F(VoiceModifierTest, LowVoiceLosesNoSamples) {
  const size_t voiceLength = 3 * kRate / 2;
  auto input = WithLeadIn(Vowel(70.0, kRate, static_cast<int>(voiceLength)), kRate);
  const size_t voiceEnd = input.size();
  input.resize(voiceEnd + static_cast<size_t>(kRingSize) + kRate / 2, 0);
  ASSERT_EQ(Run(WriteMono("in.wav", input, kRate), dir.Path("out.wav")), RunStatus::kRunOk);
  const auto output = ReadMono(dir.Path("out.wav"));
  ASSERT_GT(output.size(), voiceEnd + static_cast<size_t>(kRingSize));

  const size_t from = kRate / 2;
  const size_t to = voiceEnd - kRate / 10;
  const int lag = BestLag(input, output, from, to, kRate / 100);
  const double snr = SnrDb(input, output, from, to, lag);
  RecordProperty("snr_db", std::to_string(snr));
  EXPECT_GT(snr, 20.0);
  // After the voice, silence: nothing of it comes round again.
  int loudest = 0;
  for (size_t i = voiceEnd + kRate / 10; i < output.size(); ++i) {
    loudest = std::max(loudest, std::abs(static_cast<int>(output[i])));
  }
  EXPECT_LT(loudest, 20);
}

// Positions pass the 3,000,000 samples at which a 32-bit run wraps them;
// the sound goes on without a click, and at any duration without a gap.
TEST_F(VoiceModifierTest, LongRunsPassTheWrapWithoutAClick) {
  constexpr int kLowRate = 8000;  // Hz
  const auto period = Vowel(125.0, kLowRate, kLowRate);
  std::vector<int16_t> input(static_cast<size_t>(kLowRate / 4), 0);
  while (input.size() < 3200000) input.insert(input.end(), period.begin(), period.end());
  const std::string in = WriteMono("long.wav", input, kLowRate);
  for (float duration : {1.0f, 0.5f, 2.0f}) {
    record.durationFactor = duration;
    ASSERT_EQ(Run(in, dir.Path("out.wav")), RunStatus::kRunOk);
    const auto output = ReadMono(dir.Path("out.wav"));
    EXPECT_NEAR(static_cast<double>(output.size()), duration * input.size(), 0.002 * input.size())
        << "duration " << duration;
    auto largestStep = [&output](size_t from, size_t to) {
      int largest = 0;
      for (size_t i = from + 1; i < to && i < output.size(); ++i) {
        largest = std::max(largest, std::abs(output[i] - output[i - 1]));
      }
      return largest;
    };
    const size_t wrap = static_cast<size_t>(3000000 * duration);
    const int typical = largestStep(wrap - 40000, wrap - 20000);
    EXPECT_LE(largestStep(wrap - 20000, wrap + 20000), typical * 5 / 4) << "duration " << duration;
    EXPECT_GT(Rms(output, wrap - 2000, wrap + 2000), 0.5 * Rms(output, wrap - 40000, wrap - 20000));
  }
}

}  // namespace
}  // namespace plimo::test
