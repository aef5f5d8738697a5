#pragma once

#include <cstdint>

namespace plimo {

class VoiceParameters;

// Runs the time-domain effects that are switched on in the record over one
// output block, in place and in a fixed order: reverb, chorus, compressor,
// expander, limiter, gater. Each switch is read once, as it stands when its
// step comes. The chorus processes at most the block length it was
// prepared for. Allocates nothing once the reverb and the chorus have been
// prepared for the run's block length.
void ApplyEffects(VoiceParameters& record, int16_t* samples, int length, int samplingRate);

}  // namespace plimo
