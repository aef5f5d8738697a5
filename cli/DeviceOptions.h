#pragma once

#include <string>

#include "platform/ServerClient.h"

namespace plimo::cli {

// What --input NAME and --output NAME name: a device of plimo-cli devices,
// "default" (or nothing) for the system's own.
struct DeviceNames {
  std::string input;
  std::string output;
};

// Takes --input NAME or --output NAME at argv[*i] (moving *i past the
// name); false when argv[*i] is neither. A missing name sets *usageError.
bool TakeDeviceOption(int argc, char** argv, int* i, DeviceNames* names, bool* usageError);

// The ALSA devices the names stand for ("" for the default), looked up in
// the device list of client (connected or not). false, after telling the
// user on stderr, when a name is not listed.
bool ResolveDevices(const char* command, const DeviceNames& names, ServerClient& client,
                    std::string* inputPcm, std::string* outputPcm);

// Connects client to the sound server, if one answers, for the device
// lookups and the virtual microphone.
void ConnectToServer(ServerClient& client);

}  // namespace plimo::cli
