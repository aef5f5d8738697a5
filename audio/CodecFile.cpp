#include "audio/CodecFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>

#include "audio/CodecLibrary.h"
#include "audio/SampleDecoding.h"
#include "audio/SoundFile.h"

namespace plimo {

namespace {

// Read and Write convert through this many samples (all channels) at a
// time, allocated once when the file opens.
constexpr size_t kScratchSamples = 16384;
// Longer than any real recording at the highest rate (more than a year),
// short enough that frame arithmetic never comes near overflowing.
constexpr int64_t kMaxFrames = int64_t{1} << 45;
// A float sample of full scale 1.0 as a 32-bit fraction, so that it meets
// the 24-bit rule exactly where both can hold the same value.
constexpr double kFloatScale32 = 2147483648.0;
constexpr uint32_t kOpusRatesHz[] = {8000, 12000, 16000, 24000, 48000};
// A rate every container takes, for asking whether one holds an encoding.
constexpr int kProbeRateHz = 8000;

std::FILE* StreamOf(void* user) { return static_cast<std::FILE*>(user); }

sf_count_t VirtualLength(void* user) {
  std::FILE* stream = StreamOf(user);
  const off_t here = ftello(stream);
  if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return -1;
  const off_t end = ftello(stream);
  if (fseeko(stream, here, SEEK_SET) != 0) return -1;
  return end;
}

sf_count_t VirtualSeek(sf_count_t offset, int whence, void* user) {
  std::FILE* stream = StreamOf(user);
  if (fseeko(stream, offset, whence) != 0) return -1;
  return ftello(stream);
}

sf_count_t VirtualRead(void* destination, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(std::fread(destination, 1, static_cast<size_t>(count), StreamOf(user)));
}

sf_count_t VirtualWrite(const void* source, sf_count_t count, void* user) {
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(std::fwrite(source, 1, static_cast<size_t>(count), StreamOf(user)));
}

sf_count_t VirtualTell(void* user) { return ftello(StreamOf(user)); }

SF_VIRTUAL_IO VirtualIo() {
  return SF_VIRTUAL_IO{VirtualLength, VirtualSeek, VirtualRead, VirtualWrite, VirtualTell};
}

bool IsLossy(int subtype) {
  switch (subtype) {
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: return true;
    default: return false;
  }
}

// Decoded as fractions of full scale rather than as integers.
bool IsFloatLike(int subtype) {
  return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE || IsLossy(subtype);
}

bool IsWide(int subtype) { return subtype == SF_FORMAT_PCM_24 || subtype == SF_FORMAT_PCM_32; }

int16_t FromFloat(double value) {
  const double scaled = std::nearbyint(value * kFloatScale32);
  const double clamped = std::clamp(scaled, static_cast<double>(INT32_MIN), static_cast<double>(INT32_MAX));
  return ScalePcm32(static_cast<int32_t>(clamped));
}

bool RateFits(int format, uint32_t rate) {
  if ((format & SF_FORMAT_SUBMASK) != SF_FORMAT_OPUS) return true;
  return std::find(std::begin(kOpusRatesHz), std::end(kOpusRatesHz), rate) != std::end(kOpusRatesHz);
}

}  // namespace

std::unique_ptr<CodecFile> CodecFile::OpenForReading(std::FILE* stream) {
  const CodecLibrary* codecs = Codecs();
  if (codecs == nullptr || stream == nullptr || fseeko(stream, 0, SEEK_SET) != 0) return nullptr;
  SF_VIRTUAL_IO io = VirtualIo();
  SF_INFO info{};
  SNDFILE* handle = codecs->openVirtual(&io, SFM_READ, &info, stream);
  if (handle == nullptr) return nullptr;
  std::unique_ptr<CodecFile> file(new CodecFile());
  file->handle = handle;
  const bool fits = info.channels >= 1 && info.channels <= kMaxChannels &&
                    info.samplerate >= static_cast<int>(kSoundFileMinRateHz) &&
                    info.samplerate <= static_cast<int>(kSoundFileMaxRateHz) && info.frames >= 0 &&
                    info.frames <= kMaxFrames;
  if (!fits) return nullptr;
  file->format = info.format;
  file->sampleRate = static_cast<uint32_t>(info.samplerate);
  file->channels = static_cast<uint16_t>(info.channels);
  file->frameCount = info.frames;
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  if (IsFloatLike(subtype)) {
    file->real.resize(kScratchSamples);
  } else if (IsWide(subtype)) {
    file->wide.resize(kScratchSamples);
  } else {
    file->narrow.resize(kScratchSamples);
  }
  return file;
}

bool CodecFile::CanWrite(int format, uint32_t rate, uint16_t channels, std::string* reason) {
  const CodecLibrary* codecs = Codecs();
  if (codecs == nullptr) {
    *reason = std::string("the codec library ") + kCodecLibraryName + " cannot be loaded";
    return false;
  }
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = channels;
  info.format = format;
  if (channels < 1 || channels > kMaxChannels || codecs->formatCheck(&info) == 0) {
    *reason = "this container cannot hold this encoding, rate and channel count";
    return false;
  }
  // The library accepts other rates here and fails on the first write.
  if (!RateFits(format, rate)) {
    *reason = "Opus holds only 8000, 12000, 16000, 24000 or 48000 Hz";
    return false;
  }
  return true;
}

bool CodecFormatIsClassicWav(int format) {
  const int subtype = format & SF_FORMAT_SUBMASK;
  return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV &&
         (subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_24);
}

std::unique_ptr<CodecFile> CodecFile::CreateForWriting(std::FILE* stream, int format, uint32_t rate,
                                                       uint16_t channels, std::string* reason) {
  if (!CanWrite(format, rate, channels, reason)) return nullptr;
  SF_INFO info{};
  info.samplerate = static_cast<int>(rate);
  info.channels = channels;
  info.format = format;
  SF_VIRTUAL_IO io = VirtualIo();
  SNDFILE* handle = Codecs()->openVirtual(&io, SFM_WRITE, &info, stream);
  if (handle == nullptr) {
    *reason = Codecs()->errorText(nullptr);
    return nullptr;
  }
  std::unique_ptr<CodecFile> file(new CodecFile());
  file->handle = handle;
  file->format = format;
  file->sampleRate = rate;
  file->channels = channels;
  file->narrow.resize(kScratchSamples);
  return file;
}

CodecFile::~CodecFile() { static_cast<void>(Close()); }

bool CodecFile::Close() {
  if (handle == nullptr) return true;
  const bool ok = Codecs()->close(handle) == 0;
  handle = nullptr;
  return ok;
}

uint16_t CodecFile::ClassicBits() const {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE: return 24;
    default: return 16;
  }
}

// Each channel is divided before summing so the mix cannot leave 16 bits,
// as in the own wav reader.
int CodecFile::Read(int16_t* destination, int n) {
  if (handle == nullptr) return -1;
  if (n < 1 || destination == nullptr) return 0;
  const sf_count_t framesPerPiece = static_cast<sf_count_t>(kScratchSamples / channels);
  int delivered = 0;
  while (delivered < n) {
    const sf_count_t frames = std::min<sf_count_t>(framesPerPiece, n - delivered);
    sf_count_t got = 0;
    if (!real.empty()) {
      got = Codecs()->readDouble(handle, real.data(), frames);
    } else if (!wide.empty()) {
      got = Codecs()->readInt(handle, wide.data(), frames);
    } else {
      got = Codecs()->readShort(handle, narrow.data(), frames);
    }
    if (got < 0 || got > frames) return -1;
    for (sf_count_t f = 0; f < got; ++f) {
      int32_t sum = 0;
      for (int c = 0; c < channels; ++c) {
        const size_t i = static_cast<size_t>(f) * channels + static_cast<size_t>(c);
        int16_t sample = 0;
        if (!real.empty()) {
          sample = FromFloat(real[i]);
        } else if (!wide.empty()) {
          sample = ScalePcm32(wide[i]);
        } else {
          sample = narrow[i];
        }
        sum += channels == 1 ? sample : sample / channels;
      }
      destination[delivered + f] = static_cast<int16_t>(sum);
    }
    delivered += static_cast<int>(got);
    if (got < frames) {
      // A corrupt or cut stream ends early with an error; a clean end has
      // none. Samples already delivered stay delivered.
      if (Codecs()->error(handle) != SF_ERR_NO_ERROR && delivered == 0) return -1;
      break;
    }
  }
  return delivered;
}

int CodecFile::Write(const int16_t* source, int n) {
  if (handle == nullptr || n < 0) return -1;
  const int framesPerPiece = static_cast<int>(kScratchSamples / channels);
  int written = 0;
  while (written < n) {
    const int frames = std::min(framesPerPiece, n - written);
    for (int f = 0; f < frames; ++f) {
      std::fill_n(narrow.begin() + static_cast<ptrdiff_t>(f) * channels, channels, source[written + f]);
    }
    if (Codecs()->writeShort(handle, narrow.data(), frames) != frames) return -1;
    written += frames;
    frameCount += frames;
  }
  return n;
}

const char* CodecFile::ContainerName() const {
  switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX: return "WAV";
    case SF_FORMAT_RF64: return "RF64";
    case SF_FORMAT_AIFF: return "AIFF";
    case SF_FORMAT_FLAC: return "FLAC";
    case SF_FORMAT_OGG: return "Ogg";
    case SF_FORMAT_MPEG: return "MP3";
    case SF_FORMAT_CAF: return "CAF";
    case SF_FORMAT_W64: return "Wave64";
    case SF_FORMAT_AU: return "AU";
    default: return "other";
  }
}

const char* CodecFile::EncodingName() const {
  switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return "8 bits";
    case SF_FORMAT_PCM_16: return "16 bits";
    case SF_FORMAT_PCM_24: return "24 bits";
    case SF_FORMAT_PCM_32: return "32 bits";
    case SF_FORMAT_FLOAT: return "float 32 bits";
    case SF_FORMAT_DOUBLE: return "float 64 bits";
    case SF_FORMAT_ULAW: return "µ-law";
    case SF_FORMAT_ALAW: return "A-law";
    case SF_FORMAT_VORBIS: return "Vorbis";
    case SF_FORMAT_OPUS: return "Opus";
    case SF_FORMAT_MPEG_LAYER_I: return "MPEG layer I";
    case SF_FORMAT_MPEG_LAYER_II: return "MPEG layer II";
    case SF_FORMAT_MPEG_LAYER_III: return "MP3";
    default: return "other";
  }
}

int CodecContainerOfName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  const size_t slash = name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return 0;
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "wav") return SF_FORMAT_WAV;
  if (extension == "rf64") return SF_FORMAT_RF64;
  if (extension == "aif" || extension == "aiff") return SF_FORMAT_AIFF;
  if (extension == "flac") return SF_FORMAT_FLAC;
  if (extension == "ogg" || extension == "oga") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  if (extension == "opus") return SF_FORMAT_OGG | SF_FORMAT_OPUS;
  if (extension == "mp3") return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  return 0;
}

int CodecFormatFor(int container, int inputFormat, uint16_t classicBits) {
  const int major = container & SF_FORMAT_TYPEMASK;
  const int inputMajor = inputFormat & SF_FORMAT_TYPEMASK;
  const bool sameFamily =
      major == inputMajor || (major == SF_FORMAT_WAV && inputMajor == SF_FORMAT_WAVEX);
  // An Ogg name keeps an Opus input Opus only when it names no codec itself.
  if (sameFamily && ((container & SF_FORMAT_SUBMASK) == 0 || major != SF_FORMAT_OGG ||
                     (container & SF_FORMAT_SUBMASK) == (inputFormat & SF_FORMAT_SUBMASK))) {
    return inputFormat;
  }
  if ((container & SF_FORMAT_SUBMASK) != 0) return container;
  // A lossy encoding is only ever kept in its own container: the library
  // admits MP3 in a wav header but cannot write one.
  SF_INFO probe{};
  probe.samplerate = kProbeRateHz;
  probe.channels = 1;
  probe.format = major | (inputFormat & SF_FORMAT_SUBMASK);
  // A classic wav input names no encoding, and a format without one is never
  // valid, so the library is not asked (nor loaded) for it.
  const int inputEncoding = inputFormat & SF_FORMAT_SUBMASK;
  if (inputEncoding != 0 && !IsLossy(inputEncoding) && Codecs() != nullptr &&
      Codecs()->formatCheck(&probe) != 0) {
    return probe.format;
  }
  switch (classicBits) {
    case 8: return major | (major == SF_FORMAT_FLAC || major == SF_FORMAT_AIFF ? SF_FORMAT_PCM_S8 : SF_FORMAT_PCM_U8);
    case 24: return major | SF_FORMAT_PCM_24;
    default: return major | SF_FORMAT_PCM_16;
  }
}

}  // namespace plimo
