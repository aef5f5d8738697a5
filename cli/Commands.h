#pragma once

namespace plimo::cli {

// Each subcommand gets the arguments after its own name and returns the
// process exit status: 0 success, 1 a file or run failed, 2 a usage error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

int RunDevices(int argc, char** argv);
int RunInfo(int argc, char** argv);
int RunLive(int argc, char** argv);
int RunPitch(int argc, char** argv);
int RunPlay(int argc, char** argv);
int RunPresets(int argc, char** argv);
int RunRecord(int argc, char** argv);
int RunRender(int argc, char** argv);
int RunSettings(int argc, char** argv);
int RunVolume(int argc, char** argv);

}  // namespace plimo::cli
