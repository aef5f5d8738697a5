#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct sf_private_tag;

namespace plimo {

// A sound file in any container and encoding the codec library knows (FLAC,
// Ogg Vorbis, Opus, MP3, AIFF, RF64 and the wav kinds the own reader does
// not take), read as 16-bit mono and written from 16-bit mono. The stream
// stays the caller's; the library sees its bytes only through it.
class CodecFile {
 public:
  // Channels beyond this are refused: no speech recording has more, and the
  // mix buffer must hold whole frames.
  static constexpr int kMaxChannels = 64;

  // Null when the library cannot make sense of the stream or its numbers
  // are out of range (rate, channels, a frame count that fits no file).
  static std::unique_ptr<CodecFile> OpenForReading(std::FILE* stream);

  // Whether format (major and sub type) can be written at rate and
  // channels; when not, reason says why.
  static bool CanWrite(int format, uint32_t rate, uint16_t channels, std::string* reason);

  // Null when the library cannot write format (its major and sub type) at
  // rate and channels; reason then says why.
  static std::unique_ptr<CodecFile> CreateForWriting(std::FILE* stream, int format, uint32_t rate,
                                                     uint16_t channels, std::string* reason);

  ~CodecFile();
  CodecFile(const CodecFile&) = delete;
  CodecFile& operator=(const CodecFile&) = delete;

  // Reads up to n mono samples: the count, 0 at the end, -1 on a failed
  // read (a truncated or corrupt stream).
  [[nodiscard]] int Read(int16_t* destination, int n);
  // Writes n mono samples to every channel: n, or -1 when writing failed.
  [[nodiscard]] int Write(const int16_t* source, int n);
  // Flushes the encoder and the header; false when that failed.
  [[nodiscard]] bool Close();

  int Format() const { return format; }
  uint32_t SampleRate() const { return sampleRate; }  // Hz
  uint16_t Channels() const { return channels; }
  int64_t FrameCount() const { return frameCount; }
  // Bits a 16-bit mono sample is widened to when this file is rewritten as
  // a classic wav: 8, 16 or 24.
  uint16_t ClassicBits() const;
  // "FLAC", "WAV", "Ogg", "MP3", ...; and "24 bits", "float 32 bits", ...
  const char* ContainerName() const;
  const char* EncodingName() const;

 private:
  CodecFile() = default;

  sf_private_tag* handle = nullptr;
  int format = 0;
  uint32_t sampleRate = 0;
  uint16_t channels = 0;
  int64_t frameCount = 0;
  std::vector<int32_t> wide;
  std::vector<int16_t> narrow;
  std::vector<double> real;
};

// The container an output name's extension asks for (".flac" gives the
// codec library's FLAC type), 0 when the extension names none.
int CodecContainerOfName(const std::string& name);

// A wav the own writer makes: 8, 16 or 24-bit PCM in a plain header.
bool CodecFormatIsClassicWav(int format);

// The full format (container and encoding) to write container in for an
// input of inputFormat with classicBits of precision (8, 16 or 24).
int CodecFormatFor(int container, int inputFormat, uint16_t classicBits);

}  // namespace plimo
