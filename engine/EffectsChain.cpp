#include "engine/EffectsChain.h"

#include <bit>
#include <cstdint>

#include "params/VoiceParameters.h"

namespace plimo {

namespace {

// Compares bit patterns, so a level not derived yet (NaN) equals itself
// and is never taken as a change.
bool Same(float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }

}  // namespace

EffectsChain::EffectsChain(const VoiceParameters& parameters, RandomGenerator& random)
    : record(parameters),
      chorus(random),
      reverbLevel(VoiceParameters::DerivedEffects::kNotDerived),
      compressionThreshold(compressor.control1),
      expansionThreshold(expander.control),
      limitingThreshold(limiter.control),
      gatingThreshold(gater.control) {}

int EffectsChain::Prepare(float samplingRate, int maxBlockLength) {
  TakeDerivedSettings();
  chorus.SetLevel(record.derivedEffects.chorusLevel);
  // The reverb draws nothing, so the run's random sequence is the same
  // whichever effects are on.
  int status = reverb.Prepare(samplingRate, maxBlockLength);
  if (chorus.Prepare(samplingRate, maxBlockLength) < 0) status = -1;
  compressor.Prepare(samplingRate, maxBlockLength);
  expander.Prepare(samplingRate, maxBlockLength);
  limiter.Prepare(samplingRate, maxBlockLength);
  gater.Prepare(samplingRate, maxBlockLength);
  return status;
}

void EffectsChain::TakeDerivedSettings() noexcept {
  const VoiceParameters::DerivedEffects& derived = record.derivedEffects;
  const float reverb = derived.reverbLevel;
  if (!Same(reverb, reverbLevel)) {
    reverbLevel = reverb;
    this->reverb.SetLevel(reverb);
  }
  const float compression = derived.compressionThreshold;
  if (!Same(compression, compressionThreshold)) {
    compressionThreshold = compression;
    compressor.SetThreshold(compression, compression);
  }
  const float expansion = derived.expansionThreshold;
  if (!Same(expansion, expansionThreshold)) {
    expansionThreshold = expansion;
    expander.SetThreshold(expansion);
  }
  const float limiting = derived.limitingThreshold;
  if (!Same(limiting, limitingThreshold)) {
    limitingThreshold = limiting;
    limiter.SetThreshold(limiting);
  }
  const float gating = derived.gatingThreshold;
  if (!Same(gating, gatingThreshold)) {
    gatingThreshold = gating;
    gater.SetThreshold(gating);
  }
}

void EffectsChain::ApplyEffects(int16_t* samples, int length) noexcept {
  TakeDerivedSettings();
  if (record.reverbOn == 1) reverb.Process(samples, length);
  if (record.chorusOn == 1) chorus.Process(samples, length);
  if (record.compressorOn == 1) compressor.Process(samples, length);
  if (record.expanderOn == 1) expander.Process(samples, length);
  if (record.limiterOn == 1) limiter.Process(samples, length);
  if (record.gaterOn == 1) gater.Process(samples, length);
}

}  // namespace plimo
