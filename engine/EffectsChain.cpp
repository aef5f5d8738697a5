#include "engine/EffectsChain.h"

#include "params/VoiceParameters.h"

namespace plimo {

void ApplyEffects(VoiceParameters& record, int16_t* samples, int length, int samplingRate) {
  if (record.reverbOn == 1) record.reverb.Process(samples, length, static_cast<float>(samplingRate));
  if (record.chorusOn == 1) record.chorus.Process(samples, length);
  if (record.compressorOn == 1) record.compressor.Process(samples, length);
  if (record.expanderOn == 1) record.expander.Process(samples, length);
  if (record.limiterOn == 1) record.limiter.Process(samples, length);
  if (record.gaterOn == 1) record.gater.Process(samples, length);
}

}  // namespace plimo
