#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "params/SettingsControls.h"

namespace plimo {
class VoiceParameters;
}

namespace plimo::cli {

// The name that stands for standard input or output in place of a file.
inline constexpr const char* kStandardStream = "-";

// What plimo-cli render was asked to do.
struct RenderOptions {
  std::vector<std::string> inputs;  // the files named on the command line
  std::string output;               // the two-file form
  std::string outDir;               // the batch form
  std::string filesFrom;            // more inputs, one a line, or kStandardStream
  int jobs = 0;                     // files rendered at once; 0: a CPU each
  bool skipExisting = false;
  // This run takes the shardIndex-th of shardCount shares of the inputs.
  int64_t shardIndex = 0;
  int64_t shardCount = 1;
  std::string reportFile;  // or kStandardStream; empty: no report
  int32_t speakerKind = 1;
  int32_t presetIndex = 4;  // "Woman 1"
  std::string settingsFile;
  // Explicit values, each within its slider's range.
  std::optional<float> pitch;
  std::optional<float> pitchOffset;  // Hz
  std::optional<float> duration;
  std::optional<float> vocalTract;
  std::optional<float> robot;  // Hz; switches the robot voice on
  std::optional<float> whisper;
  std::optional<float> reverb;
  std::optional<float> chorus;
  std::optional<float> compressor;
  std::optional<float> expander;
  std::optional<float> limiter;
  std::optional<float> gater;
  std::optional<std::array<float, kBandSliderCount>> equaliser;  // dB
  uint32_t seed = 1;
  bool quiet = false;
};

// Whether name is one of render's options about files, batches and what
// is printed, not a setting: commands that take no files refuse them.
bool IsFileOption(const std::string& name);

// Fills options from the arguments after "render". Returns -1 to go on, or
// the exit status to end with: 0 after --help, 2 after a usage error (one
// line on stderr naming what is accepted).
int ParseRenderOptions(int argc, char** argv, RenderOptions* options);

// The record a run starts from: the preset for the speaker, brought within
// the sliders' ranges as the settings window does; then the parameter file,
// as loading it in the settings window and closing the window does; then
// the explicit values, each switching its effect on. false, with one line
// on stderr, when the parameter file cannot be read.
bool BuildRenderRecord(const RenderOptions& options, VoiceParameters& record);

}  // namespace plimo::cli
