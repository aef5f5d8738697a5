#include "platform/MixerElement.h"

#include <cerrno>
#include <cstring>

#include "platform/AlsaLibrary.h"

namespace plimo {

namespace {
// A descriptor in any of these states never becomes usable again.
constexpr short kBrokenEvents = POLLERR | POLLHUP | POLLNVAL;
}  // namespace

MixerElement::~MixerElement() { Close(); }

DeviceResult MixerElement::Open(const char* device, MixerDirection which, const char* const* names,
                                size_t nameCount, bool anyVolume) {
  if (IsOpen()) return DeviceResult::kDeviceBusy;
  if (!wake.IsValid()) return DeviceResult::kDeviceNoDescriptor;
  if (Alsa() == nullptr) return DeviceResult::kDeviceNoLibrary;
  std::lock_guard<std::mutex> lock(mutex);
  direction = which;
  QuietenAlsaDiagnostics();
  int error = Alsa()->snd_mixer_open(&mixer, 0);
  if (error < 0) {
    mixer = nullptr;
    return AlsaResult(error);
  }
  if ((error = Alsa()->snd_mixer_attach(mixer, device)) < 0 ||
      (error = Alsa()->snd_mixer_selem_register(mixer, nullptr, nullptr)) < 0 ||
      (error = Alsa()->snd_mixer_load(mixer)) < 0) {
    Alsa()->snd_mixer_close(mixer);
    mixer = nullptr;
    return AlsaResult(error);
  }
  Pick(names, nameCount, anyVolume);
  const int count = Alsa()->snd_mixer_poll_descriptors_count(mixer);
  pollSet.assign(count > 0 ? static_cast<size_t>(count) + 1 : 1, pollfd{});
  pollSet[0] = pollfd{wake.Descriptor(), POLLIN, 0};
  if (count > 0) Alsa()->snd_mixer_poll_descriptors(mixer, pollSet.data() + 1, static_cast<unsigned>(count));
  quit.store(false, std::memory_order_relaxed);
  watcher = std::thread(&MixerElement::WatchChanges, this);
  return DeviceResult::kDeviceOk;
}

void MixerElement::Close() {
  if (!watcher.joinable()) return;
  quit.store(true, std::memory_order_release);
  wake.Signal();
  watcher.join();
  std::lock_guard<std::mutex> lock(mutex);
  Alsa()->snd_mixer_close(mixer);
  mixer = nullptr;
  element = nullptr;
}

bool MixerElement::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex);
  return mixer != nullptr;
}

bool MixerElement::HasVolumeLocked(snd_mixer_elem_t* candidate) const {
  if (candidate == nullptr || !Alsa()->snd_mixer_selem_is_active(candidate)) return false;
  return direction == MixerDirection::kPlayback ? Alsa()->snd_mixer_selem_has_playback_volume(candidate)
                                                : Alsa()->snd_mixer_selem_has_capture_volume(candidate);
}

void MixerElement::Pick(const char* const* names, size_t nameCount, bool anyVolume) {
  element = nullptr;
  for (size_t i = 0; i < nameCount && element == nullptr; ++i) {
    for (snd_mixer_elem_t* e = Alsa()->snd_mixer_first_elem(mixer); e != nullptr;
         e = Alsa()->snd_mixer_elem_next(e)) {
      if (std::strcmp(Alsa()->snd_mixer_selem_get_name(e), names[i]) == 0 && HasVolumeLocked(e)) {
        element = e;
        break;
      }
    }
  }
  if (element == nullptr && anyVolume) {
    for (snd_mixer_elem_t* e = Alsa()->snd_mixer_first_elem(mixer); e != nullptr;
         e = Alsa()->snd_mixer_elem_next(e)) {
      if (HasVolumeLocked(e)) {
        element = e;
        break;
      }
    }
  }
  if (element != nullptr) {
    Alsa()->snd_mixer_elem_set_callback(element, &MixerElement::ElementEvent);
    Alsa()->snd_mixer_elem_set_callback_private(element, this);
  }
}

bool MixerElement::HasVolume() const {
  std::lock_guard<std::mutex> lock(mutex);
  return element != nullptr;
}

const char* MixerElement::Name() const {
  std::lock_guard<std::mutex> lock(mutex);
  return element != nullptr ? Alsa()->snd_mixer_selem_get_name(element) : "";
}

DeviceResult MixerElement::Range(long* minimum, long* maximum) const {
  std::lock_guard<std::mutex> lock(mutex);
  if (element == nullptr) return DeviceResult::kDeviceNoElement;
  return AlsaResult(direction == MixerDirection::kPlayback
                        ? Alsa()->snd_mixer_selem_get_playback_volume_range(element, minimum, maximum)
                        : Alsa()->snd_mixer_selem_get_capture_volume_range(element, minimum, maximum));
}

DeviceResult MixerElement::GetVolume(long* value) const {
  std::lock_guard<std::mutex> lock(mutex);
  if (element == nullptr) return DeviceResult::kDeviceNoElement;
  // The first channel the element has: mono elements only have "front left".
  for (int c = SND_MIXER_SCHN_FRONT_LEFT; c <= SND_MIXER_SCHN_LAST; ++c) {
    const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
    if (direction == MixerDirection::kPlayback) {
      if (Alsa()->snd_mixer_selem_has_playback_channel(element, channel)) {
        return AlsaResult(Alsa()->snd_mixer_selem_get_playback_volume(element, channel, value));
      }
    } else if (Alsa()->snd_mixer_selem_has_capture_channel(element, channel)) {
      return AlsaResult(Alsa()->snd_mixer_selem_get_capture_volume(element, channel, value));
    }
  }
  return DeviceResult::kDeviceNoElement;
}

DeviceResult MixerElement::SetVolume(long value) {
  std::lock_guard<std::mutex> lock(mutex);
  if (element == nullptr) return DeviceResult::kDeviceNoElement;
  return AlsaResult(direction == MixerDirection::kPlayback
                        ? Alsa()->snd_mixer_selem_set_playback_volume_all(element, value)
                        : Alsa()->snd_mixer_selem_set_capture_volume_all(element, value));
}

DeviceResult MixerElement::SetSwitch(bool on) {
  std::lock_guard<std::mutex> lock(mutex);
  if (element == nullptr) return DeviceResult::kDeviceNoElement;
  if (direction == MixerDirection::kPlayback) {
    if (!Alsa()->snd_mixer_selem_has_playback_switch(element)) return DeviceResult::kDeviceOk;
    return AlsaResult(Alsa()->snd_mixer_selem_set_playback_switch_all(element, on ? 1 : 0));
  }
  if (!Alsa()->snd_mixer_selem_has_capture_switch(element)) return DeviceResult::kDeviceOk;
  return AlsaResult(Alsa()->snd_mixer_selem_set_capture_switch_all(element, on ? 1 : 0));
}

void MixerElement::SetListener(MixerListener* newListener) {
  listener.store(newListener, std::memory_order_release);
}

int MixerElement::ElementEvent(snd_mixer_elem_t* changedElement, unsigned int mask) {
  auto* self = static_cast<MixerElement*>(Alsa()->snd_mixer_elem_get_callback_private(changedElement));
  // Called inside snd_mixer_handle_events, with the mutex held.
  if (mask == SND_CTL_EVENT_MASK_REMOVE) {
    self->element = nullptr;
  } else if ((mask & SND_CTL_EVENT_MASK_VALUE) != 0) {
    self->changed = true;
  }
  return 0;
}

void MixerElement::WatchChanges() {
  const nfds_t count = static_cast<nfds_t>(pollSet.size());
  while (!quit.load(std::memory_order_acquire)) {
    if (poll(pollSet.data(), count, -1) < 0 && errno != EINTR) return;
    if (pollSet[0].revents != 0) wake.Clear();
    if (quit.load(std::memory_order_acquire) || count == 1) continue;
    bool tell = false;
    bool gone = false;
    {
      std::lock_guard<std::mutex> lock(mutex);
      for (nfds_t i = 1; i < count; ++i) gone |= (pollSet[i].revents & kBrokenEvents) != 0;
      unsigned short revents = 0;
      gone = gone ||
             Alsa()->snd_mixer_poll_descriptors_revents(mixer, pollSet.data() + 1,
                                                        static_cast<unsigned>(count - 1), &revents) < 0 ||
             (revents & kBrokenEvents) != 0;
      if (!gone && revents != 0) gone = Alsa()->snd_mixer_handle_events(mixer) < 0;
      tell = changed;
      changed = false;
    }
    MixerListener* target = listener.load(std::memory_order_acquire);
    if (tell && target != nullptr) target->MixerValueChanged();
    // An unplugged card or a server that went away stays in error, and
    // every poll would return at once. The element keeps its last value.
    if (gone) return;
  }
}

}  // namespace plimo
