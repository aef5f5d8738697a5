#pragma once

#include <alsa/asoundlib.h>
#include <poll.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/PcmFormat.h"
#include "platform/WakeEvent.h"

namespace plimo {

enum class MixerDirection { kPlayback, kCapture };

// Told on the mixer's own thread when the element's value changes, by this
// program or another one.
class MixerListener {
 public:
  virtual ~MixerListener() = default;
  virtual void MixerValueChanged() = 0;
};

// One volume element of a mixer (a simple element, in ALSA's terms), with a
// thread that watches the mixer for changes while it is open. A mixer that
// fails (a card unplugged, a sound server gone) is watched no longer; the
// element then keeps its last value. All calls are safe from any thread.
class MixerElement {
 public:
  MixerElement() = default;
  ~MixerElement();
  MixerElement(const MixerElement&) = delete;
  MixerElement& operator=(const MixerElement&) = delete;

  // Opens the mixer of device. The element is the first of names that
  // exists with a volume in that direction; without such a name and with
  // anyVolume, the first element that has such a volume at all. A mixer
  // without one opens all the same (HasVolume is false); failing to open
  // the mixer is an error.
  [[nodiscard]] DeviceResult Open(const char* device, MixerDirection direction, const char* const* names,
                                  size_t nameCount, bool anyVolume);
  void Close();

  bool IsOpen() const;
  bool HasVolume() const;
  // The element's name, or "" without one.
  const char* Name() const;

  [[nodiscard]] DeviceResult Range(long* minimum, long* maximum) const;
  // The value of the element's first channel.
  [[nodiscard]] DeviceResult GetVolume(long* value) const;
  // The same value on every channel of the element.
  [[nodiscard]] DeviceResult SetVolume(long value);
  // The element's on/off switch on every channel, where it has one.
  [[nodiscard]] DeviceResult SetSwitch(bool on);

  // nullptr to stop being told. The listener must outlive the element's
  // open state or be replaced before it goes.
  void SetListener(MixerListener* listener);

 private:
  static int ElementEvent(snd_mixer_elem_t* element, unsigned int mask);
  void Pick(const char* const* names, size_t nameCount, bool anyVolume);
  bool HasVolumeLocked(snd_mixer_elem_t* candidate) const;
  void WatchChanges();

  mutable std::mutex mutex;  // ALSA's mixer handle is not thread-safe
  snd_mixer_t* mixer = nullptr;
  snd_mixer_elem_t* element = nullptr;
  MixerDirection direction = MixerDirection::kPlayback;
  std::atomic<MixerListener*> listener{nullptr};
  bool changed = false;  // set by ElementEvent, under the mutex

  WakeEvent wake;
  std::vector<pollfd> pollSet;  // the wake event first, then the mixer's
  std::atomic<bool> quit{false};
  std::thread watcher;
};

}  // namespace plimo
