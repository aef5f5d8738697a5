#pragma once

// Real sound devices for tests on machines without a sound card: ALSA's
// configuration is pointed at a throwaway HOME, which holds either an
// .asoundrc whose default device reads and writes raw files, or nothing
// but the client settings of a private PulseAudio server (Debian's ALSA
// hook routes "default" to a running server). Nothing here reaches a
// user's own sound server.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/AlsaLibrary.h"
#include "support/TempFiles.h"

namespace plimo::test {

// Makes ALSA read its configuration again when next used.
inline void ReloadAlsaConfiguration() {
  if (Alsa() != nullptr) Alsa()->snd_config_update_free_global();
}

// The variables through which ALSA and PulseAudio clients find their
// configuration and server.
inline const std::vector<std::string>& SoundVariables() {
  static const std::vector<std::string> names{"HOME", "XDG_RUNTIME_DIR", "PULSE_SERVER", "PULSE_CLIENTCONFIG",
                                              "ALSA_CONFIG_PATH"};
  return names;
}

// Sets the sound variables for this process (those not given are unset)
// and makes ALSA read its configuration again; restores them when it goes.
class SoundVariablesScope {
 public:
  explicit SoundVariablesScope(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const std::string& name : SoundVariables()) {
      const char* old = std::getenv(name.c_str());
      saved.emplace_back(name, old != nullptr ? std::optional<std::string>(old) : std::nullopt);
      unsetenv(name.c_str());
    }
    for (const auto& [name, value] : values) setenv(name.c_str(), value.c_str(), 1);
    ReloadAlsaConfiguration();
  }
  ~SoundVariablesScope() {
    for (const auto& [name, value] : saved) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    ReloadAlsaConfiguration();
  }
  SoundVariablesScope(const SoundVariablesScope&) = delete;
  SoundVariablesScope& operator=(const SoundVariablesScope&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

// A machine without any sound card or sound server.
class NoSoundCard {
 public:
  NoSoundCard() : scope({{"HOME", dir.Root()}, {"XDG_RUNTIME_DIR", dir.Root()}}) {}

 private:
  TempDir dir;
  SoundVariablesScope scope;
};

// A default device whose capture side delivers the bytes of an input file
// (as fast as they are asked for) and whose playback side appends what is
// played to a file, byte for byte, with no timing at all. There is no
// mixer. Past the end of its input, ALSA's file plugin repeats stale
// samples, so give it more input than a test reads.
class FileSoundCard {
 public:
  explicit FileSoundCard(const std::vector<uint8_t>& captureInput)
      : inputPath(dir.Write("capture.raw", captureInput)),
        playbackPath(dir.Path("playback.raw")),
        scope({{"HOME", dir.Root()}, {"XDG_RUNTIME_DIR", dir.Root()}}) {
    std::ofstream rc(dir.Path(".asoundrc"));
    rc << "pcm.!default {\n"
          "  type asym\n"
          "  playback.pcm { type file slave.pcm null format raw file \""
       << playbackPath
       << "\" }\n"
          "  capture.pcm { type file slave.pcm null format raw file \"/dev/null\" infile \""
       << inputPath
       << "\" }\n"
          "}\n";
    rc.close();
    ReloadAlsaConfiguration();
  }

  // Everything played since the playback device was last opened.
  std::vector<uint8_t> Played() const { return ReadBytes(playbackPath); }
  // Whether anything has been played, without reading it: a real-time run
  // plays as fast as it can, faster than a reader of the whole file keeps
  // up with on a busy machine.
  bool PlayedAnything() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(playbackPath, error);
    return !error && size > 0;
  }
  const std::string& Folder() const { return dir.Root(); }

 private:
  TempDir dir;
  std::string inputPath;
  std::string playbackPath;
  SoundVariablesScope scope;
};

}  // namespace plimo::test
