#include "engine/PitchTracker.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/Signals.h"

namespace plimo {
namespace {

using test::Tone;

// Runs the tracker over consecutive L-sample buffers of x, hop samples apart.
std::vector<float> Track(PitchTracker& tracker, const std::vector<float>& x, int hop, int frames) {
  std::vector<float> results;
  for (int k = 0; k < frames; ++k) {
    results.push_back(tracker.EstimatePitch(x.data() + static_cast<size_t>(k) * hop));
  }
  return results;
}

PitchTracker Configured(int fs) {
  PitchTracker tracker;
  tracker.ConfigurePitchTracker(fs, 0.04, 0.006);
  return tracker;
}

TEST(PitchTrackerSetUp, FrameHopAndLagRangesFollowTheRate) {
  PitchTracker at8000 = Configured(8000);
  EXPECT_EQ(at8000.FrameLength(), 320);
  EXPECT_EQ(at8000.Hop(), 48);
  EXPECT_EQ(at8000.DecimatedFrameLength(), 40);
  EXPECT_EQ(at8000.DecimatedMinLag(), 2);
  EXPECT_EQ(at8000.DecimatedMaxLag(), 20);

  PitchTracker at12000 = Configured(12000);
  EXPECT_EQ(at12000.MinLag(), 24);
  EXPECT_EQ(at12000.MaxLag(), 239);  // single-precision 0.02, not 240

  PitchTracker at44100 = Configured(44100);
  EXPECT_EQ(at44100.FrameLength(), 1764);
  EXPECT_EQ(at44100.Hop(), 265);
}

TEST(PitchTrackerSmoother, SteadyToneAppearsOnTheSecondVoicedFrame) {
  PitchTracker tracker = Configured(8000);
  std::vector<float> x = Tone(125.0, 10000.0, 8000, 320 + 10 * 48);
  std::vector<float> f0 = Track(tracker, x, 48, 10);
  EXPECT_EQ(f0[0], 0.0f);  // history 0, 0, 125: the median wins
  EXPECT_EQ(f0[1], 125.0f);
  for (int k = 2; k < 10; ++k) EXPECT_FLOAT_EQ(f0[k], 125.0f) << "frame " << k;
}

TEST(PitchTrackerSmoother, LoneVoicedFrameIsSuppressed) {
  PitchTracker tracker = Configured(8000);
  std::vector<float> quiet = Tone(125.0, 1.0, 8000, 320);  // below the energy gate
  std::vector<float> loud = Tone(125.0, 10000.0, 8000, 320);
  EXPECT_EQ(tracker.EstimatePitch(quiet.data()), 0.0f);
  EXPECT_EQ(tracker.EstimatePitch(quiet.data()), 0.0f);
  EXPECT_EQ(tracker.EstimatePitch(loud.data()), 0.0f);   // 0, 0, 125
  EXPECT_EQ(tracker.EstimatePitch(quiet.data()), 0.0f);  // 0, 125, 0
  EXPECT_EQ(tracker.History(1), 0.0f);
}

TEST(PitchTrackerVoicing, PeriodOutsideTheLagRangeIsUnvoiced) {
  PitchTracker tracker = Configured(8000);
  std::vector<float> x = Tone(40.0, 10000.0, 8000, 320 + 20 * 48);
  for (float f0 : Track(tracker, x, 48, 20)) EXPECT_EQ(f0, 0.0f);
}

TEST(PitchTrackerVoicing, EveryStandardRateFindsA200HzTone) {
  for (int fs : {8000, 11025, 16000, 22050, 32000, 44100, 48000}) {
    PitchTracker tracker = Configured(fs);
    const int hop = tracker.Hop();
    std::vector<float> x = Tone(200.0, 8000.0, fs, tracker.FrameLength() + 6 * hop);
    std::vector<float> f0 = Track(tracker, x, hop, 6);
    EXPECT_FLOAT_EQ(f0[5], 200.0f) << fs << " Hz";
  }
}

TEST(PitchTrackerVoicing, OtherRatesUseTheFullRatePath) {
  PitchTracker tracker = Configured(12000);
  std::vector<float> x = Tone(200.0, 8000.0, 12000, 480 + 6 * 72);
  std::vector<float> f0 = Track(tracker, x, 72, 6);
  EXPECT_FLOAT_EQ(f0[5], 12000.0f / 60.0f);
}

TEST(PitchTrackerVoicing, EnergyGateFollowsTheQuietestFrame) {
  PitchTracker tracker = Configured(12000);
  // Mean power 125000: ln(125001) is about 11.7, below the starting gate of 13.
  std::vector<float> moderate = Tone(200.0, 500.0, 12000, 480);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(tracker.EstimatePitch(moderate.data()), 0.0f);

  // A near-silent frame lowers the minimum, and with it the gate.
  std::vector<float> silence = Tone(200.0, 0.5, 12000, 480);
  tracker.EstimatePitch(silence.data());
  EXPECT_LT(tracker.MinLogEnergy(), 1.0f);
  tracker.EstimatePitch(moderate.data());
  tracker.EstimatePitch(moderate.data());
  EXPECT_FLOAT_EQ(tracker.EstimatePitch(moderate.data()), 200.0f);
}

TEST(PitchTrackerVoicing, AllZeroBufferIsUnvoicedNotNan) {
  PitchTracker tracker = Configured(16000);
  std::vector<float> zeros(640, 0.0f);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(tracker.EstimatePitch(zeros.data()), 0.0f);
  EXPECT_EQ(tracker.PreviousStrength(), 0.0f);
}

// At 12000 Hz the full-rate path measures 300 Hz and 75 Hz exactly.
float SettledPitch(PitchTracker& tracker, double hz) {
  std::vector<float> x = Tone(hz, 8000.0, 12000, 480);
  float f0 = 0.0f;
  for (int k = 0; k < 3; ++k) f0 = tracker.EstimatePitch(x.data());
  return f0;
}

TEST(PitchTrackerOctaves, NoCorrectionDuringTheFirst60VoicedFrames) {
  PitchTracker tracker = Configured(12000);
  EXPECT_FLOAT_EQ(SettledPitch(tracker, 300.0), 300.0f);
}

TEST(PitchTrackerOctaves, HighEstimateIsHalvedOnceTheCounterPasses60) {
  PitchTracker tracker = Configured(12000);
  tracker.SetVoicedFrameCount(60);  // as after a position wrap
  EXPECT_FLOAT_EQ(SettledPitch(tracker, 300.0), 150.0f);
  EXPECT_NEAR(tracker.SlowAverage(), 150.0f, 1e-3f);
}

TEST(PitchTrackerOctaves, LowEstimateIsDoubledOnceTheCounterPasses60) {
  PitchTracker tracker = Configured(12000);
  tracker.SetVoicedFrameCount(60);
  EXPECT_FLOAT_EQ(SettledPitch(tracker, 75.0), 150.0f);
}

TEST(PitchTrackerOctaves, AveragesTrackVoicedFramesOnly) {
  PitchTracker tracker = Configured(12000);
  SettledPitch(tracker, 200.0);  // three voiced frames at 200 Hz
  EXPECT_EQ(tracker.VoicedFrameCount(), 3);
  EXPECT_GT(tracker.FastAverage(), tracker.SlowAverage());
  EXPECT_GT(tracker.SlowAverage(), 150.0f);
  EXPECT_LT(tracker.FastAverage(), 200.0f);
}

}  // namespace
}  // namespace plimo
