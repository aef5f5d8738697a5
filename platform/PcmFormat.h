#pragma once

#include <alsa/asoundlib.h>

#include <cerrno>
#include <cstdint>

namespace plimo {

// The sample format of a wave device, as a wav header describes it.
struct PcmFormat {
  uint16_t formatTag = 1;  // 1 PCM, 7 µ-law
  uint16_t channels = 1;
  uint32_t sampleRate = 0;  // Hz
  uint16_t bitsPerSample = 16;

  uint32_t BlockAlign() const { return static_cast<uint32_t>(bitsPerSample) / 8 * channels; }
};

// The ALSA sample format for a wave format, or SND_PCM_FORMAT_UNKNOWN when
// the devices cannot carry it (only unsigned 8-bit and signed 16-bit PCM
// and 8-bit µ-law can).
snd_pcm_format_t AlsaFormat(const PcmFormat& format);

// Outcome of a device call: kDeviceOk, or a negative errno value. The
// failures the devices find themselves are named; ALSA's own codes are
// errno values too and pass through AlsaResult as they are.
enum class DeviceResult : int {
  kDeviceOk = 0,
  kDeviceInvalid = -EINVAL,  // no such buffer or format
  kDeviceBusy = -EBUSY,      // open already, or the buffer is with the device
  kDeviceFull = -ENOSPC,     // the queue holds its capacity
  kDeviceNotOpen = -EBADFD,
  kDeviceFailed = -EIO,           // the device failed and refuses buffers
  kDeviceTimedOut = -ETIMEDOUT,   // the I/O thread did not answer in time
  kDeviceNoDescriptor = -EMFILE,  // no wake event could be made
  kDeviceNoElement = -ENOENT,     // the mixer has no such element or channel
  kDeviceNoLibrary = -ELIBACC,    // ALSA's library cannot be loaded
};

// An ALSA call's result: its negative error code, or kDeviceOk for any
// other value.
inline DeviceResult AlsaResult(int code) {
  return code < 0 ? static_cast<DeviceResult>(code) : DeviceResult::kDeviceOk;
}

// Stops ALSA from printing its own diagnostics: failures reach the user
// through the program's messages. Safe to call any number of times, and
// without ALSA's library.
void QuietenAlsaDiagnostics();

}  // namespace plimo
