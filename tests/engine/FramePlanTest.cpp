// The run's sizes per sampling rate and how each frame is cut and placed.

#include "engine/FramePlan.h"

#include <gtest/gtest.h>

#include "engine/FrameModifier.h"
#include "engine/RunGeometry.h"
#include "engine/VoiceModifier.h"
#include "params/VoiceParameters.h"

namespace plimo {
namespace {

TEST(RunGeometry, SizesFollowTheRate) {
  EXPECT_EQ(FftSizeFor(8000), 512);
  EXPECT_EQ(FftSizeFor(11025), 512);
  EXPECT_EQ(FftSizeFor(16000), 1024);
  EXPECT_EQ(FftSizeFor(22050), 1024);
  EXPECT_EQ(FftSizeFor(32000), 2048);
  EXPECT_EQ(FftSizeFor(44100), 2048);
  EXPECT_EQ(FftSizeFor(48000), 2048);
  // 0.02 in single precision: 159.99999 samples at 8000 Hz.
  EXPECT_EQ(BlockLengthFor(8000), 159);
  EXPECT_EQ(BlockLengthFor(16000), 319);
  EXPECT_EQ(BlockLengthFor(44100), 881);
  EXPECT_EQ(LpcOrderFor(8000), 10);
  EXPECT_EQ(LpcOrderFor(16000), 18);
  EXPECT_EQ(LpcOrderFor(44100), 46);
  EXPECT_EQ(UnvoicedHopFor(8000), 48);
  EXPECT_EQ(UnvoicedHopFor(44100), 264);        // truncated, unlike the first hop
  EXPECT_EQ(SmallestInverseBinCount(257), 85);  // 257 / 3 = 85.7 rounds to 86
  EXPECT_EQ(SmallestInverseBinCount(1025), 341);
}

TEST(RunGeometry, PrepareSetsTheAnalysisAt8000Hz) {
  VoiceParameters record;
  const std::atomic<bool> running{true};
  VoiceModifier modifier(record, running, nullptr, 1);
  ASSERT_EQ(modifier.Prepare(8000, kAnalysisFrameSeconds, kFirstHopSeconds), 1);
  EXPECT_EQ(modifier.SamplingRate(), 8000);
  EXPECT_EQ(modifier.LpcOrder(), 10);
  EXPECT_EQ(modifier.Tracker().FrameLength(), 320);
  EXPECT_EQ(modifier.Tracker().Hop(), 48);
  EXPECT_EQ(modifier.Prepare(200000, kAnalysisFrameSeconds, kFirstHopSeconds), -1);
}

TEST(FramePlan, VoicedFrameAt100HzRaisedByHalf) {
  const PitchSettings settings{0, 100.0f, 1.5f, 0.0f};
  const FramePlan plan = PlanFrame(100.0f, 8000, 320, 320, settings);
  EXPECT_TRUE(plan.voiced);
  EXPECT_EQ(plan.analysisLength, 160);
  EXPECT_EQ(plan.hop, 80);
  EXPECT_FLOAT_EQ(plan.pitchFactor, 1.5f);
  EXPECT_EQ(PlacementStep(plan.hop, plan.pitchFactor), 53);
  Equaliser equaliser;
  RandomGenerator random;
  FrameModifier modifier;
  ASSERT_EQ(modifier.Configure(8000, 512, 10, 320, equaliser, random), 1);
  EXPECT_EQ(modifier.SizesFor(plan.analysisLength, plan.pitchFactor, 1.0f).outputLength, 106);
}

TEST(FramePlan, PitchFactorIsLimitedAndOffsetAdds) {
  const PitchSettings robot{1, 400.0f, 1.0f, 0.0f};
  EXPECT_FLOAT_EQ(PlanFrame(100.0f, 8000, 320, 320, robot).pitchFactor, 3.0f);
  const PitchSettings low{0, 100.0f, 0.6f, -30.0f};
  EXPECT_FLOAT_EQ(PlanFrame(100.0f, 8000, 320, 320, low).pitchFactor, 0.6f);
  const PitchSettings offset{0, 100.0f, 1.2f, 40.0f};
  EXPECT_FLOAT_EQ(PlanFrame(200.0f, 8000, 320, 320, offset).pitchFactor, 1.4f);
  const PitchSettings robotLow{1, 150.0f, 2.0f, 0.0f};  // robot ignores the scale
  EXPECT_FLOAT_EQ(PlanFrame(100.0f, 8000, 320, 320, robotLow).pitchFactor, 1.5f);
}

TEST(FramePlan, UnvoicedFrameKeepsTheLastVoicedLength) {
  const PitchSettings settings;
  const FramePlan plan = PlanFrame(0.0f, 8000, 320, 126, settings);
  EXPECT_FALSE(plan.voiced);
  EXPECT_EQ(plan.analysisLength, 126);
  EXPECT_EQ(plan.hop, 48);
  EXPECT_FLOAT_EQ(plan.pitchFactor, 1.0f);
}

TEST(FramePlan, LengthIsEvenAndHopNeverPassesTheFrame) {
  const PitchSettings settings;
  // 2 * 8000 / 123 = 130.08: 130. 2 * 8000 / 122 = 131.1: odd, so 130.
  EXPECT_EQ(PlanFrame(123.0f, 8000, 320, 320, settings).analysisLength, 130);
  EXPECT_EQ(PlanFrame(122.0f, 8000, 320, 320, settings).analysisLength, 130);
  // The smoother can return about 19 Hz after octave halving: one period
  // (421 samples) would read past the 320-sample history.
  const FramePlan low = PlanFrame(19.0f, 8000, 320, 320, settings);
  EXPECT_EQ(low.analysisLength, 320);
  EXPECT_EQ(low.hop, 320);
}

TEST(FramePlan, EveryPlacementMovesForward) {
  EXPECT_EQ(PlacementStep(80, 1.5f), 53);
  EXPECT_EQ(PlacementStep(80, 0.6f), 133);
  EXPECT_EQ(PlacementStep(1, 3.0f), 1);  // 0.33 would round to 0 and never end
}

}  // namespace
}  // namespace plimo
