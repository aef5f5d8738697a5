#include "engine/VoiceProcessor.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "dsp/Primitives.h"
#include "params/VoiceParameters.h"

namespace plimo {

namespace {

float LimitDuration(float d) {
  if (!(d >= kMinDurationFactor)) return kMinDurationFactor;  // NaN too
  return std::min(d, kMaxDurationFactor);
}

}  // namespace

VoiceProcessor::VoiceProcessor(const VoiceParameters& parameters, uint32_t seed)
    : record(parameters), random(seed), effectsChain(parameters, random) {}

int VoiceProcessor::Configure(int rate, double frameSeconds, double hopSeconds) {
  if (rate < kMinRunRate || rate > kMaxRunRate) return -1;
  samplingRate = rate;
  if (lpcOrder == 0) lpcOrder = LpcOrderFor(rate);
  pitchTracker.ConfigurePitchTracker(rate, frameSeconds, hopSeconds);
  return 1;
}

int VoiceProcessor::Prepare(bool analysisOnlyRun) {
  const int fs = samplingRate;
  const int frameLength = pitchTracker.FrameLength();
  if (fs < kMinRunRate || fs > kMaxRunRate || pitchTracker.SamplingRate() != fs || frameLength < 2 ||
      lpcOrder < 1) {
    return -1;
  }
  analysisOnly = analysisOnlyRun;
  fftSize = FftSizeFor(fs);
  // At a few odd rates L rounds up past N; a frame must fit the transform.
  while (fftSize < frameLength) fftSize *= 2;
  binCount = fftSize / 2 + 1;
  blockLength = BlockLengthFor(fs);
  if (!analysisOnly &&
      (frameModifier.Configure(fs, fftSize, lpcOrder, frameLength, record.equaliser, random) < 0 ||
       overlapAdd.Prepare(RingSizeFor(fs), blockLength) < 0)) {
    return -1;
  }
  // Live output at another duration would drift ever further from the
  // input; at low latency there is no cushion to hide it in.
  durationScale = lowLatency ? 1.0f : LimitDuration(record.durationFactor);

  analysisLength = frameLength;
  previousHop = pitchTracker.Hop();
  lastPitchFactor = 1.0f;
  analysisPosition = 0;
  synthesisPosition = 0;
  wrappedAnalysisPosition = 0;
  frameIndex = 0;
  history.assign(static_cast<size_t>(frameLength), 0.0f);
  frame.assign(static_cast<size_t>(frameLength), 0.0f);
  analysisWindow.Prepare(frameLength);
  synthesisWindow.Prepare(frameLength);

  // The chorus draws its delays before the first frame whether or not it
  // is on, so a run's random sequence is the same whichever effects are on.
  effectsChain.Prepare(static_cast<float>(fs), blockLength);
  return 1;
}

// What the settings window may change during a run; the rate and the
// duration are the run's own.
void VoiceProcessor::LoadFrameParameters() {
  pitch.robotVoiceOn = record.robotVoiceOn;
  pitch.robotPitch = record.robotPitchHz;
  pitch.pitchScale = record.pitchFactor;
  pitch.pitchOffset = record.pitchOffsetHz;
  formantScale = record.vocalTractFactor;
  whisperOn = record.whisperOn;
  whisperLevel = record.whisperLevel;
}

// Brings the new samples into the history, dithers it, plans the frame and
// synthesises it.
FrameAnalysis VoiceProcessor::ProcessFrame(const int16_t* samples, int count, BlockSink& sink) {
  LoadFrameParameters();
  if (frameIndex != 0) std::copy(history.begin() + count, history.end(), history.begin());
  std::copy(samples, samples + count, history.end() - count);
  AddNoise(history.data(), analysisLength, random);

  const float f0 = pitchTracker.EstimatePitch(history.data());
  const FramePlan plan = PlanFrame(f0, samplingRate, pitchTracker.FrameLength(), analysisLength, pitch);
  const FrameAnalysis analysis{frameIndex, analysisPosition, plan.voiced ? f0 : 0.0f};
  analysisLength = plan.analysisLength;
  if (!analysisOnly) {
    output = &sink;
    SynthesiseFrame(plan);
    output = nullptr;
  }

  previousHop = plan.hop;
  lastPitchFactor = plan.pitchFactor;
  analysisPosition += plan.hop;
  wrappedAnalysisPosition += plan.hop;
  if (wrappedAnalysisPosition > 2 * kWrapDistance) {
    wrappedAnalysisPosition -= kWrapDistance;
    pitchTracker.SetVoicedFrameCount(kVoicedCountAfterWrap);
  }
  ++frameIndex;
  return analysis;
}

// Cuts, modifies and places one frame, then emits what no later frame can
// change.
void VoiceProcessor::SynthesiseFrame(const FramePlan& plan) {
  float* x = frame.data();
  const int n = plan.analysisLength;
  const double mean = Mean(history.data(), n);
  const float* analysis = analysisWindow.Hamming(n);
  for (int i = 0; i < n; ++i) {
    x[i] = static_cast<float>(history[static_cast<size_t>(i)] - mean) * analysis[i];
  }
  const double inEnergy = Energy(x, n);

  const int m = frameModifier.ModifyFrame(x, n, plan.pitchFactor, formantScale, whisperOn, whisperLevel);
  const float* synthesis = synthesisWindow.Hamming(m);
  const double outEnergy = Energy(x, m);
  double gain = 1.0;
  if (outEnergy > 0.0 && n > 0) gain = (std::sqrt(inEnergy) / n) / (std::sqrt(outEnergy) / m);
  for (int i = 0; i < m; ++i) x[i] = static_cast<float>(synthesis[i] * x[i] * gain);

  // Placed at the new period until the output time line has caught up with
  // the analysis position scaled by the duration.
  const double target = static_cast<double>(analysisPosition) * durationScale +
                        static_cast<double>(static_cast<float>(plan.hop) * plan.pitchFactor);
  synthesisPosition = overlapAdd.PlaceRepeatedly(x, synthesis, m, synthesisPosition, target,
                                                 PlacementStep(plan.hop, plan.pitchFactor), !plan.voiced);

  // Output trails the synthesis position by about 20 ms less one hop, but
  // never passes it: later frames still add to the positions beyond. At
  // low latency it runs up to it.
  const double end = static_cast<double>(synthesisPosition);
  const double limit = lowLatency ? end : end + previousHop - kOutputLagSeconds * samplingRate;
  overlapAdd.Emit(limit, previousHop, synthesisPosition, *this);
  if (lowLatency && !BlockEffectsOn()) overlapAdd.EmitGathered(*this);
}

bool VoiceProcessor::BlockEffectsOn() const { return record.reverbOn == 1 || record.chorusOn == 1; }

void VoiceProcessor::Drain(BlockSink& sink) {
  if (analysisOnly) return;
  output = &sink;
  overlapAdd.Emit(static_cast<double>(synthesisPosition), previousHop, synthesisPosition, *this);
  output = nullptr;
}

void VoiceProcessor::TakeBlock(int16_t* block, int length) {
  effectsChain.ApplyEffects(block, length);
  output->TakeBlock(block, length);
}

int VoiceProcessor::LatencySamples() const {
  if (blockLength == 0) return 0;
  const int c = previousHop;
  const int lookAhead = pitchTracker.FrameLength() - static_cast<int>(std::lround(lastPitchFactor * c));
  if (lowLatency) {
    // The newest frame's window still reaches back to the previous
    // synthesis position, which it left at least a * c past that frame's
    // start: the sample there waits for the whole L.
    const int lowLookAhead = lookAhead + c;
    // A block waits for its last sample, which leaves with the frame that
    // passes it.
    return BlockEffectsOn() ? lowLookAhead + blockLength - 1 : lowLookAhead;
  }
  const int lagChunks = static_cast<int>(kOutputLagSeconds * samplingRate) / c;
  // A hop longer than the lag lets output run up to the synthesis position.
  const int outputLag = std::max(lagChunks - 1, 0) * c;
  const int blockWait = blockLength + c - std::gcd(blockLength, c);
  return lookAhead + outputLag + blockWait;
}

}  // namespace plimo
