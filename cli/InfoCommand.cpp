// plimo-cli info: one line (or one JSON object) per wav file.

#include <cstdio>
#include <string>

#include "audio/SoundFile.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/Options.h"

namespace plimo::cli {

namespace {

constexpr const char* kInfoUsage =
    "usage: plimo-cli info [--json] FILE...\n"
    "\n"
    "Prints one line per sound file (wav, AIFF, RF64, FLAC, Ogg Vorbis, Opus,\n"
    "MP3): name, format, channels, sampling rate, bits per sample, frames and\n"
    "duration. A file that cannot be read gets one line on stderr with the\n"
    "reason, and the exit status is 1.\n"
    "\n"
    "  --json   one JSON object per line instead, with the keys file, ok, status,\n"
    "           error, container, encoding, format_tag, channels, rate, bits,\n"
    "           frames, seconds\n";

// A classic wav keeps its short name; other files name their container and
// encoding ("FLAC, 24 bits", "WAV, float 32 bits", "MP3").
std::string FormatName(const SoundFile& file) {
  if (!file.Encoded()) return file.FormatTag() == kWaveFormatMuLaw ? "µ-law" : "PCM";
  const std::string container = file.ContainerName();
  const std::string encoding = file.EncodingName();
  return container == encoding ? container : container + ", " + encoding;
}

double Seconds(const SoundFile& file) {
  return file.SampleRate() > 0 ? static_cast<double>(file.FrameCount()) / file.SampleRate() : 0.0;
}

void PrintText(const std::string& name, const SoundFile& file) {
  std::printf("%s: %s, %u channel%s, %u Hz, %u bits, %lld frames, %.3f s\n", name.c_str(),
              FormatName(file).c_str(), static_cast<unsigned>(file.Channels()),
              file.Channels() == 1 ? "" : "s", static_cast<unsigned>(file.SampleRate()),
              static_cast<unsigned>(file.BitsPerSample()), static_cast<long long>(file.FrameCount()),
              Seconds(file));
}

void PrintJson(const std::string& name, const SoundFile& file, bool ok) {
  std::string line = "{\"file\":" + JsonString(name) + ",\"ok\":" + (ok ? "true" : "false") +
                     ",\"status\":" + std::to_string(static_cast<int32_t>(file.Status())) +
                     ",\"error\":" + JsonString(ok ? "" : SoundFileStatusText(file.Status()));
  if (ok) {
    line += ",\"container\":" + JsonString(file.ContainerName()) +
            ",\"encoding\":" + JsonString(file.EncodingName()) +
            ",\"format_tag\":" + std::to_string(file.FormatTag()) +
            ",\"channels\":" + std::to_string(file.Channels()) +
            ",\"rate\":" + std::to_string(file.SampleRate()) +
            ",\"bits\":" + std::to_string(file.BitsPerSample()) +
            ",\"frames\":" + std::to_string(file.FrameCount()) + ",\"seconds\":" + JsonNumber(Seconds(file));
  } else {
    line +=
        ",\"container\":null,\"encoding\":null,\"format_tag\":null,\"channels\":null,"
        "\"rate\":null,\"bits\":null,\"frames\":null,\"seconds\":null";
  }
  std::printf("%s}\n", line.c_str());
}

}  // namespace

int RunInfo(int argc, char** argv) {
  bool json = false;
  int first = 0;
  for (; first < argc; ++first) {
    std::string argument = argv[first];
    if (IsHelp(argv[first])) {
      std::fputs(kInfoUsage, stdout);
      return kExitOk;
    }
    if (argument == "--json") {
      json = true;
    } else if (argument == "--") {
      ++first;
      break;
    } else if (argument.size() > 1 && argument[0] == '-') {
      std::fprintf(stderr, "plimo-cli info: unknown option '%s'\n", argv[first]);
      return kExitUsage;
    } else {
      break;
    }
  }
  if (first >= argc) {
    std::fprintf(stderr, "plimo-cli info: no file given (usage: plimo-cli info [--json] FILE...)\n");
    return kExitUsage;
  }

  int exitStatus = kExitOk;
  for (int i = first; i < argc; ++i) {
    const std::string name = argv[i];
    std::unique_ptr<SoundFile> file = SoundFile::OpenForReading(name);
    const bool ok = file->Status() == SoundFileStatus::kSoundFileReading;
    if (!ok) {
      std::fprintf(stderr, "plimo-cli info: %s: %s\n", name.c_str(), SoundFileStatusText(file->Status()));
      exitStatus = kExitFailure;
    }
    if (json) {
      PrintJson(name, *file, ok);
    } else if (ok) {
      PrintText(name, *file);
    }
    std::fflush(stdout);
  }
  return exitStatus;
}

}  // namespace plimo::cli
