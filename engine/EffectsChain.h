#pragma once

#include <cstdint>

#include "effects/Chorus.h"
#include "effects/Compressor.h"
#include "effects/Expander.h"
#include "effects/Gater.h"
#include "effects/Limiter.h"
#include "effects/Reverb.h"

namespace plimo {

class RandomGenerator;
class VoiceParameters;

// The time-domain effects of one run, owned by the run and used on its
// thread only. The record's switches and derived levels and thresholds
// (VoiceParameters::derivedEffects) are the window thread's hand-over: the
// chain reads them at every block and derives an effect again when its
// value has changed, so the window never calls into an effect the run is
// processing.
class EffectsChain {
 public:
  // The chorus draws its delays from random, which the run owns.
  EffectsChain(const VoiceParameters& record, RandomGenerator& random);

  EffectsChain(const EffectsChain&) = delete;
  EffectsChain& operator=(const EffectsChain&) = delete;

  // Derives every effect from the record and prepares them for a run at
  // samplingRate (Hz) with blocks of up to maxBlockLength samples; the
  // chorus draws its delays here, with the level it has now. Allocates;
  // call once per run. Returns 1, or -1 when the reverb or the chorus
  // refuses the rate (they then pass their input through).
  int Prepare(float samplingRate, int maxBlockLength);

  // Runs the time-domain effects that are switched on in the record over
  // one output block, in place and in a fixed order: reverb, chorus,
  // compressor, expander, limiter, gater. Each switch is read once, as it
  // stands when its step comes. The reverb and the chorus process at most
  // the prepared block length. Allocates nothing and takes no lock.
  void ApplyEffects(int16_t* samples, int length) noexcept;

 private:
  void TakeDerivedSettings() noexcept;

  const VoiceParameters& record;
  Reverb reverb;
  Chorus chorus;
  Compressor compressor;
  Expander expander;
  Limiter limiter;
  Gater gater;

  // The values the effects were last derived from.
  float reverbLevel;
  float compressionThreshold;
  float expansionThreshold;
  float limitingThreshold;
  float gatingThreshold;
};

}  // namespace plimo
