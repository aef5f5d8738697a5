#include "audio/VolumeControl.h"

#include <limits>

#include "platform/SoundDevices.h"

namespace plimo {

VolumeControl::~VolumeControl() {
  // The watcher thread must not call into a half-destroyed object.
  element.SetListener(nullptr);
  element.Close();
}

void VolumeControl::Open(MixerDirection newDirection, const char* const* newNames, size_t newNameCount,
                         bool newAnyVolume) {
  direction = newDirection;
  names = newNames;
  nameCount = newNameCount;
  anyVolume = newAnyVolume;
  isOpen = element.Open(mixerDevice.c_str(), direction, names, nameCount, anyVolume) == DeviceResult::kDeviceOk;
  if (!isOpen) return;
  isInitialised = true;
  long low = 0;
  long high = 0;
  // A range beyond what the control's 32-bit interface can carry is no
  // usable control.
  hasVolumeControl = element.HasVolume() && element.Range(&low, &high) == DeviceResult::kDeviceOk &&
                     low <= high && low >= 0 && high <= std::numeric_limits<int32_t>::max();
  if (hasVolumeControl) {
    minimum = static_cast<int32_t>(low);
    maximum = static_cast<int32_t>(high);
    steps = static_cast<int32_t>(high - low + 1 <= std::numeric_limits<int32_t>::max()
                                     ? high - low + 1
                                     : std::numeric_limits<int32_t>::max());
  }
  element.SetListener(this);
}

void VolumeControl::Follow(const std::string& devicePcm) {
  element.SetListener(nullptr);
  element.Close();
  isOpen = false;
  hasVolumeControl = false;
  minimum = maximum = steps = -1;
  mixerDevice = MixerDeviceOf(devicePcm);
  Open(direction, names, nameCount, anyVolume);
}

bool VolumeControl::HasVolumeControl() const { return hasVolumeControl; }

int32_t VolumeControl::Steps() const { return hasVolumeControl ? steps : -1; }
int32_t VolumeControl::Minimum() const { return hasVolumeControl ? minimum : -1; }
int32_t VolumeControl::Maximum() const { return hasVolumeControl ? maximum : -1; }

int32_t VolumeControl::GetVolume() const {
  if (!hasVolumeControl) return -1;
  long value = 0;
  if (element.GetVolume(&value) != DeviceResult::kDeviceOk || value < 0 ||
      value > std::numeric_limits<int32_t>::max()) {
    return -1;
  }
  return static_cast<int32_t>(value);
}

void VolumeControl::SetVolume(uint32_t value) {
  if (!hasVolumeControl) return;
  if (static_cast<int64_t>(value) < minimum || static_cast<int64_t>(value) > maximum) return;
  // A mixer that refuses keeps its value, and the volume window shows that
  // value the next time it reads the controls.
  static_cast<void>(element.SetVolume(static_cast<long>(value)));
}

void VolumeControl::SetChangeListener(VolumeChangeListener newListener, uint32_t newUserData) {
  std::lock_guard<std::mutex> lock(listenerMutex);
  listener = newListener;
  userData = newUserData;
}

void VolumeControl::MixerValueChanged() {
  const int32_t value = GetVolume();
  if (value == -1) return;
  std::lock_guard<std::mutex> lock(listenerMutex);
  if (listener != nullptr) listener(static_cast<uint32_t>(value), userData);
}

}  // namespace plimo
