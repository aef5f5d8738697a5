// Any bytes opened as a sound file where the own wav reader gives up: the
// codec library's parsing behind the wrapper must end, stay in bounds and
// deliver no more than it promised to be able to.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "audio/SoundFile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr int kBlock = 1024;
// Decoding stops here: a few bytes can promise hours of silence, and the
// search gains nothing from decoding all of it.
constexpr int64_t kMaxSamples = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  std::vector<uint8_t> bytes(data, data + size);
  auto file = plimo::SoundFile::OpenStreamForReading(fmemopen(bytes.data(), bytes.size(), "rb"));
  if (file->Status() != plimo::SoundFileStatus::kSoundFileReading) return 0;
  Check(file->Channels() >= 1);
  Check(file->SampleRate() >= plimo::kSoundFileMinRateHz && file->SampleRate() <= plimo::kSoundFileMaxRateHz);
  Check(file->FrameCount() >= 0);
  static std::vector<int16_t> block(kBlock);
  int64_t total = 0;
  for (;;) {
    const int got = file->Read(block.data(), kBlock);
    Check(got >= -1 && got <= kBlock);
    if (got <= 0) break;
    total += got;
    if (total >= kMaxSamples) break;
  }
  return 0;
}
