#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace plimo {

// Outcome and state of a SoundFile; the numbers are part of the contract
// (plimo-cli prints them).
enum SoundFileStatus : int32_t {
  kSoundFileNotOpened = 0,
  kSoundFileReading = 1,
  kSoundFileWriting = 2,
  kSoundFileCannotOpen = 4,
  kSoundFileNotRiff = 5,
  kSoundFileNotWave = 6,
  kSoundFileNoFormat = 7,
  kSoundFileUnsupported = 9,
  kSoundFileNoData = 10,
  kSoundFileChunkTooLong = 11,
  kSoundFileHeaderReadFailed = 12,
  kSoundFileWriteFailed = 13,
  kSoundFileClosed = 15,
};

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatMuLaw = 7;

// The reason for a status in words, for messages and plimo-cli.
const char* SoundFileStatusText(int32_t status);

// A RIFF WAVE file opened for reading (any supported format delivered as
// 16-bit mono) or created for writing (a mono block copied to every channel).
class SoundFile {
 public:
  // Opens name for reading and walks its header. An empty name opens nothing
  // (status 0). Never returns null; check status for kSoundFileReading.
  static std::unique_ptr<SoundFile> OpenForReading(const std::string& name);

  // Takes ownership of an already open stream positioned at its start (a
  // memory stream in the fuzzer and tests) and walks its header.
  static std::unique_ptr<SoundFile> OpenStreamForReading(std::FILE* stream);

  // Creates name and writes a 44-byte header with both sizes 0. Never
  // returns null; check status for kSoundFileWriting.
  static std::unique_ptr<SoundFile> CreateForWriting(const std::string& name,
                                                     uint32_t sampleRate,
                                                     uint16_t bitsPerSample,
                                                     uint16_t channels,
                                                     uint16_t formatTag);

  virtual ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  // Reads up to n mono samples; returns the count delivered, 0 at the end of
  // the data, -1 when not open for reading.
  int Read(int16_t* destination, int n);

  // Appends n mono samples, copied to every channel; returns the frames
  // written, -1 when not open for writing or on a failed write.
  int Write(const int16_t* source, int n);

  // Writes the final RIFF and data sizes; false (and status 13) on failure.
  bool FinishHeader();

  // Finishes the header when writing, closes the stream; status 15.
  void Close();

  int32_t status = kSoundFileNotOpened;
  std::FILE* stream = nullptr;
  uint32_t byteCount = 0;
  int32_t frameCount = 0;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  int32_t riffSizePosition = 0;
  int32_t dataSizePosition = 0;
  int32_t dataStart = 0;

 private:
  SoundFile() = default;
  // ... implementation details (header walk, conversion scratch) go here.
};

}  // namespace plimo
