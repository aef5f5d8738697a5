#include "platform/PcmFormat.h"

#include <mutex>

#include "platform/AlsaLibrary.h"

namespace plimo {

namespace {
constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagMuLaw = 7;
}  // namespace

snd_pcm_format_t AlsaFormat(const PcmFormat& format) {
  if (format.channels == 0 || format.sampleRate == 0) return SND_PCM_FORMAT_UNKNOWN;
  if (format.formatTag == kTagMuLaw && format.bitsPerSample == 8) return SND_PCM_FORMAT_MU_LAW;
  if (format.formatTag != kTagPcm) return SND_PCM_FORMAT_UNKNOWN;
  if (format.bitsPerSample == 8) return SND_PCM_FORMAT_U8;
  if (format.bitsPerSample == 16) return SND_PCM_FORMAT_S16_LE;
  return SND_PCM_FORMAT_UNKNOWN;
}

namespace {
void IgnoreDiagnostic(const char*, int, const char*, int, const char*, ...) {}
}  // namespace

void QuietenAlsaDiagnostics() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (Alsa() != nullptr) Alsa()->snd_lib_error_set_handler(&IgnoreDiagnostic);
  });
}

}  // namespace plimo
