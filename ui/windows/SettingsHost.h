#pragma once

namespace plimo {

// What the settings window asks of the main window.
class SettingsHost {
 public:
  virtual ~SettingsHost() = default;

  // Takes the working folder from the main window's field, as before every
  // operation (skipped while one runs).
  virtual void RefreshWorkingFolder() = 0;
  // Enables the main window's file controls for the current mode; while
  // an operation runs they stay as the operation set them.
  virtual void ApplyModeEnabling() = 0;
  // Selects presetIndex in the target-voice list and applies it as a
  // choice of the user would.
  virtual void ChoosePreset(int presetIndex) = 0;
  // The user chose another microphone or speaker, or a chosen one went:
  // the volume window follows the record's devices.
  virtual void DevicesChosen() = 0;
  // True while a recording, playback or modification runs.
  virtual bool IsOperationRunning() const = 0;
};

}  // namespace plimo
