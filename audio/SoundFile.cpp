#include "audio/SoundFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "audio/CodecFile.h"
#include "audio/LittleEndian.h"
#include "audio/OpenWithoutBlocking.h"
#include "audio/SampleDecoding.h"
#include "audio/WavHeader.h"

namespace plimo {

namespace {

constexpr int64_t kChunkHeaderBytes = 8;
constexpr int64_t kRiffHeaderBytes = 12;  // "RIFF", size, "WAVE"
constexpr uint32_t kFmtFieldsBytes = 16;
constexpr uint32_t kDefaultRateHz = 16000;
constexpr int kBitsPerByte = 8;
// The RIFF size field counts every byte after itself and its identifier.
constexpr uint64_t kMaxFileBytes = UINT32_MAX + static_cast<uint64_t>(kChunkHeaderBytes);
// Read and Write convert through this many bytes at a time; a frame is at
// most 65535 bytes, so at least one always fits.
constexpr size_t kScratchBytes = 64 * 1024;
constexpr size_t kStreamBufferBytes = 64 * 1024;
// A pipe has no end to measure chunks against: every chunk fits.
constexpr int64_t kStreamRemaining = INT64_MAX / 2;
// Chunks of a pipe are skipped by reading them through this many bytes.
constexpr size_t kSkipPieceBytes = 4096;

// 8-bit PCM is written unsigned with silence at 128; 16-bit samples fill
// the upper byte of 24-bit ones.
constexpr int kPcm8Offset = 128;
constexpr int kByteShift = 8;

bool SameId(const char* identifier, const char* expected) {
  return std::memcmp(identifier, expected, 4) == 0;
}

// Chunk identifiers are four printable ASCII characters; anything else at a
// chunk boundary means the boundary is wrong.
bool PlausibleId(const uint8_t* p) {
  return std::all_of(p, p + 4, [](uint8_t c) { return c >= 0x20 && c <= 0x7E; });
}

// The frame layout every reader and writer agrees on, or false when the
// numbers cannot describe a file the header fields could hold.
bool ComputeLayout(uint16_t channels, uint16_t bits, uint32_t rate, uint16_t* blockAlign,
                   uint32_t* bytesPerSecond) {
  if (channels == 0 || rate < kSoundFileMinRateHz || rate > kSoundFileMaxRateHz) return false;
  const uint64_t align = static_cast<uint64_t>(channels) * bits / kBitsPerByte;
  const uint64_t perSecond = align * rate;
  if (align == 0 || align > UINT16_MAX || perSecond > UINT32_MAX) return false;
  *blockAlign = static_cast<uint16_t>(align);
  *bytesPerSecond = static_cast<uint32_t>(perSecond);
  return true;
}

// A pipe or socket, which can be neither measured nor sought in (a memory
// stream has no descriptor and can be both).
bool IsPipe(std::FILE* stream) {
  const int fd = fileno(stream);
  struct stat info;
  return fd >= 0 && fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

bool WritableBits(uint16_t bits) { return bits == 8 || bits == 16 || bits == 24; }

// Each channel is divided before summing so the mix cannot leave 16 bits.
template <int16_t (*Decode)(const uint8_t*), int kBytes>
void MixToMono(const uint8_t* bytes, size_t frames, int channels, int16_t* out) {
  if (channels == 1) {
    for (size_t f = 0; f < frames; ++f) out[f] = Decode(bytes + f * kBytes);
    return;
  }
  for (size_t f = 0; f < frames; ++f) {
    int32_t sum = 0;
    for (int c = 0; c < channels; ++c) {
      sum += Decode(bytes) / channels;
      bytes += kBytes;
    }
    out[f] = static_cast<int16_t>(sum);
  }
}

void EncodeSample(int16_t sample, int bits, uint8_t* p) {
  const uint16_t pattern = static_cast<uint16_t>(sample);
  switch (bits) {
    case 8: p[0] = static_cast<uint8_t>((pattern >> kByteShift) + kPcm8Offset); break;
    case 16: PutLittle16(p, pattern); break;
    default:  // 24: the sample in the upper two bytes
      p[0] = 0;
      PutLittle16(p + 1, pattern);
      break;
  }
}

}  // namespace

const char* SoundFileStatusText(SoundFileStatus status) {
  switch (status) {
    case SoundFileStatus::kSoundFileNotOpened: return "no file opened";
    case SoundFileStatus::kSoundFileReading: return "open for reading";
    case SoundFileStatus::kSoundFileWriting: return "open for writing";
    case SoundFileStatus::kSoundFileCannotOpen: return "the file could not be opened or created";
    case SoundFileStatus::kSoundFileNotRiff: return "not a RIFF file";
    case SoundFileStatus::kSoundFileNotWave: return "not a WAVE file";
    case SoundFileStatus::kSoundFileNoFormat: return "no format chunk";
    case SoundFileStatus::kSoundFileUnsupported: return "unsupported sample format";
    case SoundFileStatus::kSoundFileNoData: return "no data chunk";
    case SoundFileStatus::kSoundFileChunkTooLong: return "a chunk is longer than the file";
    case SoundFileStatus::kSoundFileHeaderReadFailed: return "the file could not be read";
    case SoundFileStatus::kSoundFileWriteFailed: return "the file could not be written";
    case SoundFileStatus::kSoundFileClosed: return "closed";
    default: return "unknown sound file status";
  }
}

SoundFile::SoundFile() = default;

std::unique_ptr<SoundFile> SoundFile::OpenForReading(const std::string& name) {
  if (name.empty()) return std::unique_ptr<SoundFile>(new SoundFile());
  const int fd = OpenWithoutBlocking(name, O_RDONLY);
  if (fd < 0) return OpenStreamForReading(nullptr);
  // fopen of a directory succeeds on Linux and only the reads fail, and a
  // device may never end; a regular file has the length the header walk
  // relies on, and a pipe ends when its writer is done.
  struct stat info;
  if (fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISFIFO(info.st_mode))) {
    close(fd);
    return OpenStreamForReading(nullptr);
  }
  std::FILE* stream = fdopen(fd, "rb");
  if (stream == nullptr) {
    close(fd);
    return OpenStreamForReading(nullptr);
  }
  // A run reads a hop at a time, and stdio's own buffer of 4 KiB made a
  // read system call every few frames.
  auto buffer = std::make_unique_for_overwrite<char[]>(kStreamBufferBytes);
  std::setvbuf(stream, buffer.get(), _IOFBF, kStreamBufferBytes);
  std::unique_ptr<SoundFile> file = OpenStreamForReading(stream);
  file->streamBuffer = std::move(buffer);
  return file;
}

std::unique_ptr<SoundFile> SoundFile::OpenStreamForReading(std::FILE* stream) {
  std::unique_ptr<SoundFile> file(new SoundFile());
  if (stream == nullptr) {
    file->status = SoundFileStatus::kSoundFileCannotOpen;
    return file;
  }
  file->stream = stream;
  file->status = file->WalkHeader();
  // What the own reader refuses as no wav or an unknown wav format may still
  // be a sound file; the codec library needs to seek, which a pipe cannot.
  const bool codecMayRead = file->status == SoundFileStatus::kSoundFileNotRiff ||
                            file->status == SoundFileStatus::kSoundFileNotWave ||
                            file->status == SoundFileStatus::kSoundFileUnsupported;
  if (codecMayRead && !file->streaming && file->OpenEncoded()) {
    file->status = SoundFileStatus::kSoundFileReading;
  } else if (file->status == SoundFileStatus::kSoundFileReading) {
    file->scratch.resize(kScratchBytes);
  } else {
    std::fclose(file->stream);
    file->stream = nullptr;
  }
  return file;
}

bool SoundFile::OpenEncoded() {
  codec = CodecFile::OpenForReading(stream);
  if (codec == nullptr) return false;
  formatTag = kWaveFormatPcm;
  channels = codec->Channels();
  sampleRate = codec->SampleRate();
  bitsPerSample = codec->ClassicBits();
  if (!ComputeLayout(channels, bitsPerSample, sampleRate, &blockAlign, &bytesPerSecond)) {
    codec.reset();
    return false;
  }
  frameCount = codec->FrameCount();
  framesLeft = frameCount;
  riffSizePosition = 0;
  dataSizePosition = 0;
  dataStart = 0;
  return true;
}

const char* SoundFile::ContainerName() const { return codec ? codec->ContainerName() : "WAV"; }

std::string SoundFile::EncodingName() const {
  if (codec) return codec->EncodingName();
  if (formatTag == kWaveFormatMuLaw) return "µ-law";
  return "PCM " + std::to_string(bitsPerSample) + " bits";
}

bool SoundFile::ReadHeaderBytes(void* bytes, size_t n) {
  if (std::fread(bytes, 1, n, stream) != n) return false;
  position += static_cast<int64_t>(n);
  return true;
}

bool SoundFile::SkipBytes(int64_t n) {
  if (!streaming) return fseeko(stream, n, SEEK_CUR) == 0;
  uint8_t dropped[kSkipPieceBytes];
  while (n > 0) {
    const size_t piece = static_cast<size_t>(std::min<int64_t>(n, kSkipPieceBytes));
    if (!ReadHeaderBytes(dropped, piece)) return false;
    n -= static_cast<int64_t>(piece);
  }
  return true;
}

bool SoundFile::ReadChunkHeader(char identifier[4], uint32_t* size) {
  uint8_t bytes[kChunkHeaderBytes];
  if (!ReadHeaderBytes(bytes, sizeof bytes)) return false;
  std::memcpy(identifier, bytes, 4);
  *size = Little32(bytes + 4);
  return true;
}

SoundFileStatus SoundFile::WalkHeader() {
  char identifier[4];
  uint32_t size = 0;
  if (!ReadChunkHeader(identifier, &size)) return SoundFileStatus::kSoundFileHeaderReadFailed;
  if (!SameId(identifier, "RIFF")) return SoundFileStatus::kSoundFileNotRiff;

  // The stored RIFF size is often wrong; the real length is what bounds
  // every chunk below. A pipe has no length yet.
  riffSizePosition = kWavRiffSizePosition;
  int64_t remaining = kStreamRemaining;
  streaming = IsPipe(stream);
  if (!streaming) {
    if (fseeko(stream, 0, SEEK_END) != 0) return SoundFileStatus::kSoundFileHeaderReadFailed;
    const off_t length = ftello(stream);
    if (length < 0 || fseeko(stream, kChunkHeaderBytes, SEEK_SET) != 0) {
      return SoundFileStatus::kSoundFileHeaderReadFailed;
    }
    byteCount = static_cast<uint64_t>(length);
    // Only a file that stops right after the RIFF header lacks a form type;
    // one that stops inside it is a failed read.
    if (length == kChunkHeaderBytes) return SoundFileStatus::kSoundFileNotWave;
    remaining = length - kRiffHeaderBytes;
  }
  char form[4];
  const size_t formBytes = std::fread(form, 1, sizeof form, stream);
  position += static_cast<int64_t>(formBytes);
  if (formBytes == 0 && std::feof(stream)) return SoundFileStatus::kSoundFileNotWave;
  if (formBytes != sizeof form) return SoundFileStatus::kSoundFileHeaderReadFailed;
  if (!SameId(form, "WAVE")) return SoundFileStatus::kSoundFileNotWave;

  // Running out of chunks means the chunk is missing; running out inside a
  // chunk header is a failed read of that header.
  for (;;) {
    if (remaining == 0) return SoundFileStatus::kSoundFileNoFormat;
    if (remaining < kChunkHeaderBytes || !ReadChunkHeader(identifier, &size)) {
      return SoundFileStatus::kSoundFileHeaderReadFailed;
    }
    remaining -= kChunkHeaderBytes;
    if (remaining < size) return SoundFileStatus::kSoundFileChunkTooLong;
    if (SameId(identifier, "fmt ")) break;
    const SoundFileStatus skipped = SkipChunkBody(size, 0, &remaining);
    if (skipped != SoundFileStatus::kSoundFileReading) return skipped;
  }
  const SoundFileStatus format = ReadFormatChunk(size);
  if (format != SoundFileStatus::kSoundFileReading) return format;
  const SoundFileStatus skipped = SkipChunkBody(size, std::min(size, kFmtFieldsBytes), &remaining);
  if (skipped != SoundFileStatus::kSoundFileReading) return skipped;
  const SoundFileStatus valid = ValidateFormat();
  if (valid != SoundFileStatus::kSoundFileReading) return valid;

  for (;;) {
    if (remaining == 0) return SoundFileStatus::kSoundFileNoData;
    if (remaining < kChunkHeaderBytes || !ReadChunkHeader(identifier, &size)) {
      return SoundFileStatus::kSoundFileHeaderReadFailed;
    }
    remaining -= kChunkHeaderBytes;
    if (SameId(identifier, "data")) break;
    if (remaining < size) return SoundFileStatus::kSoundFileNoData;
    const SoundFileStatus skippedChunk = SkipChunkBody(size, 0, &remaining);
    if (skippedChunk != SoundFileStatus::kSoundFileReading) return skippedChunk;
  }
  const int64_t start = streaming ? position : static_cast<int64_t>(ftello(stream));
  if (start < 0) return SoundFileStatus::kSoundFileHeaderReadFailed;
  // A streaming writer that wrote no size meant "until the end".
  if (streaming && size == 0) size = kWavStreamSize;
  const int64_t dataBytes = std::min<int64_t>(size, remaining);
  frameCount = dataBytes / blockAlign;
  framesLeft = frameCount;
  dataSizePosition = start - 4;
  dataStart = start;
  return SoundFileStatus::kSoundFileReading;
}

// Reads the fields the chunk is long enough for, the first 16 bytes at
// most; the caller skips the rest of the chunk afterwards.
SoundFileStatus SoundFile::ReadFormatChunk(uint32_t chunkSize) {
  uint8_t fields[kFmtFieldsBytes] = {};
  const uint32_t present = std::min(chunkSize, kFmtFieldsBytes);
  if (!ReadHeaderBytes(fields, present)) return SoundFileStatus::kSoundFileHeaderReadFailed;
  // Each field counts only when the chunk holds all of it.
  if (present >= 2) formatTag = Little16(fields);
  if (present >= 4) channels = Little16(fields + 2);
  if (present >= 8) sampleRate = Little32(fields + 4);
  if (present >= 12) bytesPerSecond = Little32(fields + 8);
  if (present >= 14) blockAlign = Little16(fields + 12);
  if (present >= 16) bitsPerSample = Little16(fields + 14);
  return SoundFileStatus::kSoundFileReading;
}

SoundFileStatus SoundFile::ValidateFormat() {
  if (formatTag != kWaveFormatPcm && formatTag != kWaveFormatMuLaw)
    return SoundFileStatus::kSoundFileUnsupported;
  if (channels == 0) channels = 1;
  if (sampleRate == 0) sampleRate = kDefaultRateHz;
  if (bitsPerSample == 0) bitsPerSample = formatTag == kWaveFormatMuLaw ? 8 : 16;
  const bool bitsOk = formatTag == kWaveFormatMuLaw ? bitsPerSample == 8 : WritableBits(bitsPerSample);
  // The file's own block align and byte rate are not trusted.
  if (!bitsOk || !ComputeLayout(channels, bitsPerSample, sampleRate, &blockAlign, &bytesPerSecond)) {
    return SoundFileStatus::kSoundFileUnsupported;
  }
  return SoundFileStatus::kSoundFileReading;
}

// Moves past the rest of a chunk whose 8-byte header and first consumed
// bytes have been read. Writers
// disagree about the pad byte after an odd-sized chunk. A standard pad byte
// is zero, so it never starts an identifier: when four printable characters
// follow the chunk directly, that is the next chunk and there is no pad.
// (Checking behind the pad instead would misread an unpadded writer's next
// header whenever the low byte of its size happens to be printable.) A pipe
// can give back only one byte: a zero byte there is the pad.
SoundFileStatus SoundFile::SkipChunkBody(uint32_t chunkSize, uint32_t consumed, int64_t* remaining) {
  if (!SkipBytes(chunkSize - consumed)) return SoundFileStatus::kSoundFileHeaderReadFailed;
  *remaining -= chunkSize;
  if (chunkSize % 2 == 0 || *remaining == 0) return SoundFileStatus::kSoundFileReading;
  if (streaming) {
    const int next = std::getc(stream);
    if (next == 0) {
      ++position;
      --*remaining;
    } else if (next != EOF) {
      std::ungetc(next, stream);
    }
    return SoundFileStatus::kSoundFileReading;
  }

  bool nextChunkUnpadded = false;
  if (*remaining >= kChunkHeaderBytes) {
    uint8_t next[4];
    if (std::fread(next, 1, sizeof next, stream) != sizeof next ||
        fseeko(stream, -static_cast<off_t>(sizeof next), SEEK_CUR) != 0) {
      return SoundFileStatus::kSoundFileHeaderReadFailed;
    }
    nextChunkUnpadded = PlausibleId(next);
  }
  if (!nextChunkUnpadded) {
    if (fseeko(stream, 1, SEEK_CUR) != 0) return SoundFileStatus::kSoundFileHeaderReadFailed;
    --*remaining;
  }
  return SoundFileStatus::kSoundFileReading;
}

std::unique_ptr<SoundFile> SoundFile::CreateForWriting(const std::string& name, uint32_t sampleRate,
                                                       uint16_t bitsPerSample, uint16_t channels,
                                                       uint16_t formatTag) {
  std::unique_ptr<SoundFile> file(new SoundFile());
  file->formatTag = formatTag;
  file->channels = channels;
  file->sampleRate = sampleRate;
  file->bitsPerSample = bitsPerSample;
  // Refused before anything is created: samples the writer cannot encode
  // would otherwise leave a header that promises them.
  if (formatTag != kWaveFormatPcm || !WritableBits(bitsPerSample) ||
      !ComputeLayout(channels, bitsPerSample, sampleRate, &file->blockAlign, &file->bytesPerSecond)) {
    file->status = SoundFileStatus::kSoundFileUnsupported;
    return file;
  }
  const int fd = OpenWithoutBlocking(name, O_WRONLY | O_CREAT | O_TRUNC);
  std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "wb");
  if (stream == nullptr) {
    if (fd >= 0) close(fd);
    file->status = SoundFileStatus::kSoundFileCannotOpen;
    return file;
  }
  // Write assembles whole pieces itself; unbuffered, a full disk shows up in
  // the Write that hit it instead of at some later flush.
  std::setvbuf(stream, nullptr, _IONBF, 0);
  file->stream = stream;
  file->streaming = IsPipe(stream);
  file->riffSizePosition = kWavRiffSizePosition;
  file->dataSizePosition = kWavDataSizePosition;
  file->dataStart = static_cast<int64_t>(kWavHeaderBytes);
  file->status = SoundFileStatus::kSoundFileWriting;
  if (!file->WriteHeader()) {
    file->FailWrite();
    return file;
  }
  file->byteCount = kWavHeaderBytes;
  file->scratch.resize(kScratchBytes);
  return file;
}

namespace {

// The codec library's format for an output named name of a run on a file
// read as inputFormat (0: a classic wav); 0 for a classic wav.
int OutputFormat(const std::string& name, int inputFormat, uint16_t classicBits) {
  const int asked = CodecContainerOfName(name);
  const int container = asked != 0 ? asked : inputFormat;
  return container == 0 ? 0 : CodecFormatFor(container, inputFormat, classicBits);
}

}  // namespace

std::string SoundFile::RefusalOfOutput(const std::string& name, const SoundFile& input) {
  const int format = OutputFormat(name, input.codec ? input.codec->Format() : 0, input.BitsPerSample());
  std::string reason;
  if (format != 0 && !CodecFormatIsClassicWav(format) &&
      !CodecFile::CanWrite(format, input.SampleRate(), input.Channels(), &reason)) {
    return reason;
  }
  return std::string();
}

std::unique_ptr<SoundFile> SoundFile::CreateLike(const std::string& name, const SoundFile& input) {
  const int format = OutputFormat(name, input.codec ? input.codec->Format() : 0, input.BitsPerSample());
  std::string reason;
  struct stat info;
  const bool pipe = stat(name.c_str(), &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
  // The codec library goes back to its header, which a pipe cannot.
  if (pipe || format == 0 || CodecFormatIsClassicWav(format)) {
    return CreateForWriting(name, input.SampleRate(), input.BitsPerSample(), input.Channels(), kWaveFormatPcm);
  }
  // Refused before anything is created, as the own writer does.
  if (!CodecFile::CanWrite(format, input.SampleRate(), input.Channels(), &reason)) {
    std::unique_ptr<SoundFile> refused(new SoundFile());
    refused->status = SoundFileStatus::kSoundFileUnsupported;
    return refused;
  }
  // Encoders read back what they wrote (the FLAC seek table, headers).
  const int fd = OpenWithoutBlocking(name, O_RDWR | O_CREAT | O_TRUNC);
  std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "w+b");
  std::unique_ptr<SoundFile> file(new SoundFile());
  file->formatTag = kWaveFormatPcm;
  file->channels = input.Channels();
  file->sampleRate = input.SampleRate();
  file->bitsPerSample = input.BitsPerSample();
  file->blockAlign = input.BlockAlign();
  file->bytesPerSecond = input.BytesPerSecond();
  if (stream == nullptr) {
    if (fd >= 0) close(fd);
    file->status = SoundFileStatus::kSoundFileCannotOpen;
    return file;
  }
  file->codec = CodecFile::CreateForWriting(stream, format, input.SampleRate(), input.Channels(), &reason);
  file->stream = stream;
  if (file->codec == nullptr) {
    std::fclose(stream);
    file->stream = nullptr;
    file->status = SoundFileStatus::kSoundFileWriteFailed;
    return file;
  }
  file->status = SoundFileStatus::kSoundFileWriting;
  return file;
}

bool SoundFile::WriteHeader() {
  uint8_t header[kWavHeaderBytes];
  const uint32_t size = streaming ? kWavStreamSize : 0;
  EncodeWavHeader({formatTag, channels, sampleRate, bitsPerSample}, size, size, header);
  return std::fwrite(header, 1, sizeof header, stream) == sizeof header;
}

void SoundFile::FailWrite() {
  status = SoundFileStatus::kSoundFileWriteFailed;
  if (codec) static_cast<void>(codec->Close());
  codec.reset();
  if (stream != nullptr) std::fclose(stream);
  stream = nullptr;
}

int SoundFile::Read(int16_t* destination, int n) {
  if (status != SoundFileStatus::kSoundFileReading) return -1;
  if (n < 1 || destination == nullptr) return 0;
  if (codec) {
    const int got = codec->Read(destination, n);
    if (got < 0) status = SoundFileStatus::kSoundFileHeaderReadFailed;
    return got;
  }
  const int64_t wanted = std::min<int64_t>(n, framesLeft);
  const size_t framesPerPiece = scratch.size() / blockAlign;
  int64_t delivered = 0;
  while (delivered < wanted) {
    const size_t frames = static_cast<size_t>(std::min<int64_t>(framesPerPiece, wanted - delivered));
    const size_t got = std::fread(scratch.data(), blockAlign, frames, stream);
    int16_t* out = destination + delivered;
    switch (bitsPerSample) {
      case 8:
        if (formatTag == kWaveFormatMuLaw) {
          MixToMono<DecodeMuLaw, 1>(scratch.data(), got, channels, out);
        } else {
          MixToMono<DecodePcm8, 1>(scratch.data(), got, channels, out);
        }
        break;
      case 16: MixToMono<DecodePcm16, 2>(scratch.data(), got, channels, out); break;
      default: MixToMono<DecodePcm24, 3>(scratch.data(), got, channels, out); break;
    }
    delivered += static_cast<int64_t>(got);
    framesLeft -= static_cast<int64_t>(got);
    if (got < frames) {
      // The file shrank under us or the device failed: either way no more
      // samples will come, and a device failure must not pass for the end.
      framesLeft = 0;
      if (std::ferror(stream)) {
        status = SoundFileStatus::kSoundFileHeaderReadFailed;
        if (delivered == 0) return -1;
      }
      break;
    }
  }
  return static_cast<int>(delivered);
}

int SoundFile::Write(const int16_t* source, int n) {
  if (status != SoundFileStatus::kSoundFileWriting) return -1;
  if (n < 0 || (source == nullptr && n > 0)) return -1;
  if (codec) {
    if (codec->Write(source, n) != n) {
      FailWrite();
      return -1;
    }
    frameCount += n;
    return n;
  }
  if (byteCount + static_cast<uint64_t>(n) * blockAlign > kMaxFileBytes) return -1;
  const int bytesPerSample = bitsPerSample / kBitsPerByte;
  const size_t framesPerPiece = scratch.size() / blockAlign;
  int64_t written = 0;
  while (written < n) {
    const size_t frames = static_cast<size_t>(std::min<int64_t>(framesPerPiece, n - written));
    uint8_t* p = scratch.data();
    for (size_t f = 0; f < frames; ++f) {
      EncodeSample(source[written + static_cast<int64_t>(f)], bitsPerSample, p);
      for (int c = 1; c < channels; ++c) {
        std::memcpy(p + c * bytesPerSample, p, static_cast<size_t>(bytesPerSample));
      }
      p += blockAlign;
    }
    const size_t bytes = frames * blockAlign;
    if (std::fwrite(scratch.data(), 1, bytes, stream) != bytes) {
      FailWrite();
      return -1;
    }
    written += static_cast<int64_t>(frames);
    frameCount += static_cast<int64_t>(frames);
    byteCount += bytes;
  }
  return n;
}

bool SoundFile::FinishHeader() {
  if (status != SoundFileStatus::kSoundFileWriting) return false;
  // What went down a pipe stays as it was sent; the codec library writes
  // its own header when it closes.
  if (streaming || codec) return true;
  // Write keeps byteCount within what the 32-bit fields can hold.
  uint8_t riffSize[4];
  uint8_t dataSize[4];
  PutLittle32(riffSize, static_cast<uint32_t>(byteCount - kChunkHeaderBytes));
  PutLittle32(dataSize, static_cast<uint32_t>(frameCount * blockAlign));
  const bool ok = fseeko(stream, riffSizePosition, SEEK_SET) == 0 &&
                  std::fwrite(riffSize, 1, sizeof riffSize, stream) == sizeof riffSize &&
                  fseeko(stream, dataSizePosition, SEEK_SET) == 0 &&
                  std::fwrite(dataSize, 1, sizeof dataSize, stream) == sizeof dataSize &&
                  fseeko(stream, 0, SEEK_END) == 0;
  if (!ok) FailWrite();
  return ok;
}

bool SoundFile::Close() {
  bool ok = status != SoundFileStatus::kSoundFileWriteFailed;
  if (status == SoundFileStatus::kSoundFileWriting) ok = FinishHeader();
  // The library flushes through the stream, so it closes first.
  if (codec) {
    const bool flushed = codec->Close();
    if (status == SoundFileStatus::kSoundFileWriting && !flushed) ok = false;
    codec.reset();
  }
  if (stream != nullptr) {
    const bool writing = status == SoundFileStatus::kSoundFileWriting;
    if (std::fclose(stream) != 0 && writing) ok = false;
    stream = nullptr;
  }
  status = ok ? SoundFileStatus::kSoundFileClosed : SoundFileStatus::kSoundFileWriteFailed;
  return ok;
}

// A caller that wants to know whether the file is complete closes it itself.
SoundFile::~SoundFile() { static_cast<void>(Close()); }

}  // namespace plimo
