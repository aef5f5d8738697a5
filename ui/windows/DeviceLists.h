#pragma once

#include <string>
#include <vector>

#include "platform/SoundDevices.h"

class QComboBox;
class QWidget;

namespace plimo {

class VoiceParameters;

// The settings window's two device lists: the microphone and the speaker
// that recording, playback and live runs use, "System default" first. The
// choice goes into the record as the device's ALSA name ("" for the
// default). A new list from the sound server keeps the choice while its
// device is still there; a device that went (a headset pulled out) leaves
// the system's default chosen.
class DeviceLists {
 public:
  DeviceLists(VoiceParameters& record, QWidget* window);

  void SetDevices(const std::vector<SoundDevice>& devices);
  // Shows the record's devices, after a choice that could not be taken.
  void ShowChosen();

  QComboBox* Microphones() const { return microphones; }
  QComboBox* Speakers() const { return speakers; }

  // The record's device that list stands for, after the user picked row.
  void Take(QComboBox* list, int row);

 private:
  void Fill(QComboBox* list, const std::vector<SoundDevice>& devices, bool output, std::string* chosen);
  static void Select(QComboBox* list, const std::string& pcm);

  VoiceParameters& record;
  QComboBox* microphones = nullptr;
  QComboBox* speakers = nullptr;
};

}  // namespace plimo
