// Any bytes opened as a wav file: the header walk and the reader must stay
// in bounds and agree with each other, and what they deliver must survive
// being written and read again.

#include <sys/mman.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/SoundFile.h"

namespace {

using plimo::SoundFile;

void Check(bool ok) {
  if (!ok) std::abort();
}

// Read block sizes from one sample to more than the reader converts at once.
constexpr int kBlocks[] = {1, 3, 319, 881, 4096, 70001};
constexpr int kBlockKinds = sizeof kBlocks / sizeof kBlocks[0];
constexpr int kLargestBlock = 70001;
// The write-back is skipped for bigger data; it would only slow the search.
constexpr int64_t kRoundTripMaxBytes = 256 * 1024;

// A file name for the writer that lives in memory, made once per process.
const std::string& ScratchPath() {
  static const std::string path = [] {
    const int fd = memfd_create("wav_fuzz", 0);
    return fd < 0 ? std::string() : "/proc/self/fd/" + std::to_string(fd);
  }();
  return path;
}

std::vector<int16_t> ReadEverything(SoundFile& file, uint8_t seed) {
  static std::vector<int16_t> block(kLargestBlock);
  std::vector<int16_t> samples;
  for (int pick = seed;; ++pick) {
    const int n = kBlocks[pick % kBlockKinds];
    const int got = file.Read(block.data(), n);
    Check(got >= 0 && got <= n);
    if (got == 0) break;
    samples.insert(samples.end(), block.begin(), block.begin() + got);
  }
  return samples;
}

// Written with the input's layout (µ-law as 16-bit PCM) and read back, each
// sample comes within the rounding of the width and the channel mix.
void RoundTrip(const SoundFile& input, const std::vector<int16_t>& samples) {
  if (ScratchPath().empty()) return;
  const uint16_t bits = input.FormatTag() == plimo::kWaveFormatMuLaw ? 16 : input.BitsPerSample();
  auto out = SoundFile::CreateForWriting(ScratchPath(), input.SampleRate(), bits, input.Channels(),
                                         plimo::kWaveFormatPcm);
  // Widening µ-law to 16 bits can make the frame or the byte rate too big
  // for their header fields, which the writer then rightly refuses.
  const uint64_t widenedAlign = uint64_t{input.Channels()} * bits / 8;
  const bool widenedTooFar = bits != input.BitsPerSample() &&
                             (widenedAlign > UINT16_MAX || widenedAlign * input.SampleRate() > UINT32_MAX);
  if (widenedTooFar) {
    Check(out->Status() == plimo::SoundFileStatus::kSoundFileUnsupported);
    return;
  }
  Check(out->Status() == plimo::SoundFileStatus::kSoundFileWriting);
  Check(out->Write(samples.data(), static_cast<int>(samples.size())) == static_cast<int>(samples.size()));
  Check(out->Close());

  auto back = SoundFile::OpenForReading(ScratchPath());
  Check(back->Status() == plimo::SoundFileStatus::kSoundFileReading);
  Check(back->FrameCount() == static_cast<int64_t>(samples.size()));
  const std::vector<int16_t> again = ReadEverything(*back, 0);
  Check(again.size() == samples.size());
  // A mix of 8-bit channels falls between the 256-steps 8 bits can store;
  // mono 8-bit samples are on them and come back exactly.
  const int widthLoss = bits == 24 ? 1 : (bits == 8 && input.Channels() > 1 ? 255 : 0);
  const int tolerance = widthLoss + (input.Channels() - 1);
  for (size_t i = 0; i < samples.size(); ++i) Check(std::abs(again[i] - samples[i]) <= tolerance);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;  // fmemopen refuses an empty buffer
  std::vector<uint8_t> bytes(data, data + size);
  auto file = SoundFile::OpenStreamForReading(fmemopen(bytes.data(), bytes.size(), "rb"));
  if (file->Status() != plimo::SoundFileStatus::kSoundFileReading) {
    Check(file->Stream() == nullptr);
    return 0;
  }
  Check(file->ByteCount() == size);
  Check(file->Channels() >= 1);
  Check(file->BlockAlign() == file->Channels() * file->BitsPerSample() / 8);
  Check(file->FrameCount() >= 0);
  Check(file->DataStart() + file->FrameCount() * file->BlockAlign() <= static_cast<int64_t>(size));

  const std::vector<int16_t> samples = ReadEverything(*file, data[0]);
  Check(static_cast<int64_t>(samples.size()) == file->FrameCount());
  int16_t after = 0;
  Check(file->Read(&after, 1) == 0);
  if (file->FrameCount() * file->BlockAlign() <= kRoundTripMaxBytes) RoundTrip(*file, samples);
  return 0;
}
