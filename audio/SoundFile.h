#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace plimo {

class CodecFile;

// Outcome and state of a SoundFile; the numbers are part of the contract
// (plimo-cli prints them).
enum class SoundFileStatus : int32_t {
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

// Sampling rates outside this range are refused: nothing below is speech
// audio, and nothing above is produced by any sound card.
inline constexpr uint32_t kSoundFileMinRateHz = 1000;
inline constexpr uint32_t kSoundFileMaxRateHz = 768000;

// The reason for a status in words, for messages and plimo-cli.
const char* SoundFileStatusText(SoundFileStatus status);

// A RIFF WAVE file opened for reading (any supported format delivered as
// 16-bit mono) or created for writing (a mono block copied to every channel).
class SoundFile {
 public:
  // Opens name for reading and walks its header. An empty name opens nothing
  // (status 0); a directory, device or other file that is neither a regular
  // file nor a pipe cannot be opened (status 4). Never returns null; check
  // status for SoundFileStatus::kSoundFileReading.
  static std::unique_ptr<SoundFile> OpenForReading(const std::string& name);

  // Takes ownership of an already open stream positioned at its start (a
  // memory stream in the fuzzer and tests) and walks its header. A null
  // stream gives status 4. A stream that cannot seek (a pipe) is read front
  // to back: chunks are skipped by reading them, and a data chunk whose
  // size is 0 runs to the end of the stream, as one whose size is too large
  // does (streaming writers know no sizes when they write the header).
  static std::unique_ptr<SoundFile> OpenStreamForReading(std::FILE* stream);

  // Creates name and writes a 44-byte header with both sizes 0. Only PCM of
  // 8, 16 or 24 bits with a supported rate and channel count can be written
  // (otherwise status 9 and no file is created). A name that is a pipe gets
  // a header with both sizes kWavStreamSize instead, as it cannot be gone
  // back to. Never returns null; check status for
  // SoundFileStatus::kSoundFileWriting.
  static std::unique_ptr<SoundFile> CreateForWriting(const std::string& name, uint32_t sampleRate,
                                                     uint16_t bitsPerSample, uint16_t channels,
                                                     uint16_t formatTag);

  // Creates name for the output of a run on input: in the input's container
  // and encoding unless name's extension asks for another (".flac",
  // ".wav", ".mp3", ...), at the input's rate and channel count. A classic
  // wav, and anything sent down a pipe, goes through CreateForWriting.
  static std::unique_ptr<SoundFile> CreateLike(const std::string& name, const SoundFile& input);
  // Why CreateLike would refuse name for input before creating anything
  // (an Opus name for a rate Opus cannot hold); empty when it would not.
  static std::string RefusalOfOutput(const std::string& name, const SoundFile& input);

  virtual ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  // Reads up to n mono samples; returns the count delivered, 0 at the end of
  // the data, -1 when not open for reading (a failed read leaves status 12).
  [[nodiscard]] int Read(int16_t* destination, int n);

  // Appends n mono samples, copied to every channel; returns the frames
  // written, -1 when not open for writing, on a failed write (status 13), or
  // when the file would outgrow the 4 GiB a RIFF header can describe (nothing
  // written, status unchanged).
  [[nodiscard]] int Write(const int16_t* source, int n);

  // Writes the final RIFF and data sizes; false (and status 13) on failure.
  [[nodiscard]] bool FinishHeader();

  // Finishes the header when writing and closes the stream; status 15.
  // Returns false, leaving status 13, when the written file is incomplete.
  [[nodiscard]] bool Close();

  SoundFileStatus Status() const { return status; }
  // The open file, null once closed, when opening failed, or when the codec
  // library owns the reading of its bytes.
  std::FILE* Stream() const { return codec ? nullptr : stream; }
  // Read or written through the codec library rather than the own wav code.
  bool Encoded() const { return codec != nullptr; }
  // "WAV", "FLAC", "Ogg", "MP3", ...; and "PCM 16 bits", "µ-law", "24 bits",
  // "float 32 bits", "Vorbis", ...
  const char* ContainerName() const;
  std::string EncodingName() const;
  // Reading: the file's length (0 for a pipe); writing: bytes written,
  // header included (0 when encoded).
  uint64_t ByteCount() const { return byteCount; }
  // Reading: frames in the data chunk; writing: frames written so far.
  int64_t FrameCount() const { return frameCount; }
  uint16_t FormatTag() const { return formatTag; }
  uint16_t Channels() const { return channels; }
  uint32_t SampleRate() const { return sampleRate; }  // Hz
  uint32_t BytesPerSecond() const { return bytesPerSecond; }
  uint16_t BlockAlign() const { return blockAlign; }  // bytes a frame
  // Encoded files: the bits of a classic wav that keeps their precision.
  uint16_t BitsPerSample() const { return bitsPerSample; }
  // Where the RIFF and data sizes stand, and the first sample byte.
  int64_t RiffSizePosition() const { return riffSizePosition; }
  int64_t DataSizePosition() const { return dataSizePosition; }
  int64_t DataStart() const { return dataStart; }

 private:
  SoundFile();

  SoundFileStatus status = SoundFileStatus::kSoundFileNotOpened;
  std::FILE* stream = nullptr;
  // stdio's buffer for a file opened by name; the stream is closed before
  // the object's members go.
  std::unique_ptr<char[]> streamBuffer;
  uint64_t byteCount = 0;
  int64_t frameCount = 0;
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint32_t bytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  int64_t riffSizePosition = 0;
  int64_t dataSizePosition = 0;
  int64_t dataStart = 0;

  [[nodiscard]] SoundFileStatus WalkHeader();
  [[nodiscard]] SoundFileStatus ReadFormatChunk(uint32_t chunkSize);
  [[nodiscard]] SoundFileStatus ValidateFormat();
  [[nodiscard]] SoundFileStatus SkipChunkBody(uint32_t chunkSize, uint32_t consumed, int64_t* remaining);
  [[nodiscard]] bool ReadChunkHeader(char identifier[4], uint32_t* size);
  [[nodiscard]] bool ReadHeaderBytes(void* bytes, size_t n);
  [[nodiscard]] bool SkipBytes(int64_t n);
  [[nodiscard]] bool WriteHeader();
  void FailWrite();
  [[nodiscard]] bool OpenEncoded();

  std::unique_ptr<CodecFile> codec;

  // Conversion buffer for Read and Write, allocated once when the file opens
  // so that the per-block calls do not allocate.
  std::vector<uint8_t> scratch;
  // Reading: frames of the data chunk not yet delivered.
  int64_t framesLeft = 0;
  // A pipe: read or written front to back, never sought in. position
  // counts the bytes read so far.
  bool streaming = false;
  int64_t position = 0;
};

}  // namespace plimo
