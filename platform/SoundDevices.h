#pragma once

#include <string>
#include <vector>

#include "platform/ServerClient.h"

namespace plimo {

// A microphone or speaker people can pick.
struct SoundDevice {
  std::string name;         // the sound server's name, or ALSA's without a server
  std::string description;  // what people are shown
  std::string pcm;          // the ALSA device that reaches it
  bool output = false;      // a speaker
};

// The devices of the sound server when client is connected: its sinks and
// sources, without monitors (which only repeat a sink) and without what
// programs like this one made for themselves (the virtual microphone and
// its sink). Without a server, ALSA's device hints. Sorted inputs first,
// each in the order found; the system's default device is not among them
// (its ALSA name is ""). false when the server did not answer; the list is
// then ALSA's.
bool ListSoundDevices(ServerClient* client, std::vector<SoundDevice>* devices);

// The ALSA device that reaches a sound server's sink or source.
std::string ServerDevicePcm(const std::string& name);

// The mixer that holds the gains of the ALSA device pcm ("" for the
// default one): the sound server's control of the same sink or source,
// or the card's own.
std::string MixerDeviceOf(const std::string& pcm);

}  // namespace plimo
