#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/MixerElement.h"

namespace plimo {

// Told of a new value of a volume control, with the number given when it
// was set. Called on the mixer's own thread.
using VolumeChangeListener = void (*)(uint32_t value, uint32_t userData);

// One gain of the sound card, found on the default device's mixer: its
// range, its value (the same on every channel) and changes made to it by
// any program. Without a usable control every query answers -1 and every
// set is ignored.
class VolumeControl : private MixerListener {
 public:
  ~VolumeControl() override;
  VolumeControl(const VolumeControl&) = delete;
  VolumeControl& operator=(const VolumeControl&) = delete;

  virtual bool HasVolumeControl() const;
  // Speaker: unmute; microphone: switch its capture on.
  virtual void Activate() = 0;
  // Speaker: mute; microphone: nothing.
  virtual void Deactivate() = 0;
  // The number of distinct values, -1 without a control.
  virtual int32_t Steps() const;
  virtual int32_t Minimum() const;
  virtual int32_t Maximum() const;
  // The first channel's value, -1 without a control or when it cannot be read.
  virtual int32_t GetVolume() const;
  // Values outside Minimum .. Maximum are ignored.
  virtual void SetVolume(uint32_t value);
  // A null listener stops the calls.
  virtual void SetChangeListener(VolumeChangeListener listener, uint32_t userData);

  // The default device's mixer was opened.
  bool IsOpen() const { return isOpen; }

  // Takes the control of another device's mixer (devicePcm as the sound
  // devices name it, "" for the default one), found as the first was.
  // Not while the mixer's listener may be called into user code that
  // reads this control on another thread.
  void Follow(const std::string& devicePcm);

 protected:
  VolumeControl() = default;
  // Opens the default device's mixer and looks for the control (see
  // MixerElement::Open).
  void Open(MixerDirection direction, const char* const* names, size_t nameCount, bool anyVolume);

  MixerElement element;
  std::string mixerDevice = "default";
  // How Open looked for the control, to look again on another mixer.
  MixerDirection direction = MixerDirection::kPlayback;
  const char* const* names = nullptr;
  size_t nameCount = 0;
  bool anyVolume = false;
  bool isOpen = false;
  bool isInitialised = false;
  bool hasVolumeControl = false;
  int32_t minimum = -1;
  int32_t maximum = -1;
  int32_t steps = -1;

 private:
  void MixerValueChanged() override;

  std::mutex listenerMutex;  // the listener is set on one thread and called on another
  VolumeChangeListener listener = nullptr;
  uint32_t userData = 0;
};

}  // namespace plimo
