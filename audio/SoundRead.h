#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "platform/WaveInDevice.h"

namespace plimo {

// Mode of a SoundRead or SoundWrite.
inline constexpr int32_t kSoundModeClosed = -1;
inline constexpr int32_t kSoundModeFile = 0;
inline constexpr int32_t kSoundModeDevice = 1;

// Outcome of a SoundRead or SoundWrite call that moves no count: opening,
// and reading or writing a whole request, give kSoundOk; flushing and
// closing give kSoundDone.
enum class SoundResult : int {
  kSoundOk = 1,
  kSoundDone = 0,
  kSoundFailed = -1,
};

// The microphone's capture queue as recordings and real-time runs open it:
// 42 buffers of 3 ms.
inline constexpr int32_t kCaptureTotalMs = 128;
inline constexpr int32_t kCaptureBufferMs = 3;
// The capture queue of a low-delay run: the longest hop the run reads at
// once and a device period, in buffers of 2 ms; what waits beyond it is
// dropped, so a run that fell behind is never more than that behind.
inline constexpr int32_t kLowCaptureTotalMs = 16;
inline constexpr int32_t kLowCaptureBufferMs = 2;
// The microphone's own buffering in a low-delay run: periods of 2.5 ms in a
// ring of 40 ms, which bridges a late I/O thread without adding delay (the
// thread empties the ring every period).
inline constexpr DeviceBuffering kLowCaptureBuffering{2500, 40000};

// The format tag SoundRead and SoundWrite keep for a requested one: a µ-law
// or A-law tag with 16 bits means the samples are already linear, so PCM.
uint16_t LinearFormatTag(uint16_t formatTag, int16_t bitsPerSample);
// Bytes a second of interleaved samples in that format.
uint32_t ByteRateOf(int32_t sampleRate, int16_t bitsPerSample, int16_t channels);

// One recording buffer: its data block of bufferBytes bytes and the wave
// header through which the device records into it and hands it back.
struct CaptureBuffer {
  std::vector<uint8_t> data;
  WaveBuffer header;
};

// The audio source: signed 16-bit samples from the microphone or from a
// sound file. Each modification run owns one; in file mode the engine reads
// mono samples through sourceFile, while Read and ReadFile deliver the
// file's samples with the channels still interleaved.
//
// Counts are -1 on failure.
class SoundRead {
 public:
  // Closed, format 16-bit mono PCM with no rate set (-1).
  SoundRead();
  // Closes an open device first: its thread must not outlive the buffers.
  virtual ~SoundRead();

  SoundRead(const SoundRead&) = delete;
  SoundRead& operator=(const SoundRead&) = delete;

  // Ignored while open or while a file's format is in force. A µ-law or
  // A-law tag with 16 bits means the samples are already linear: stored as
  // PCM.
  void SetFormat(int32_t sampleRate, int16_t bitsPerSample, int16_t channels, uint16_t formatTag);

  // The microphone, with totalMs (at least 128 unless lowDelay) of capture
  // queue in buffers of bufferMs; recording starts at once. With lowDelay
  // the queue is taken as it is given (at least two buffers) and the
  // device opened with kLowCaptureBuffering. kSoundOk (also when the
  // device is open already), or kSoundFailed when it cannot be opened, a
  // file is open, or the format or buffer length describe no buffer.
  [[nodiscard]] SoundResult OpenDevice(int32_t totalMs, int32_t bufferMs,
                                       bool lowDelay = false);

  // Opens a wav file (any format SoundFile reads) and takes its format.
  // kSoundFailed when it cannot be opened or is not a valid wav file.
  [[nodiscard]] SoundResult OpenFile(const std::string& fileName);

  // Delivers exactly n samples: kSoundOk, or kSoundFailed when fewer are
  // available, on a read failure, or when nothing is open. From the
  // microphone it waits until they have been recorded, unless a stop is
  // requested (or runFlag is cleared) or the device fails; a microphone
  // that delivers nothing for kDeviceStallLimit has failed. Once failed,
  // every Read fails at once until the device is opened again. Allocates
  // nothing.
  [[nodiscard]] SoundResult Read(int16_t* samples, int n);

  // File mode: up to n samples, their count (fewer at the end of the data,
  // 0 once it has ended), or -1 when no file is open or a read fails.
  [[nodiscard]] int ReadFile(int16_t* samples, int n);

  // Device mode: frames recorded and not yet read, in the capture queue
  // and in the sound system; and frames dropped since the open because
  // the reader fell behind. Allocate nothing and never wait.
  int64_t HeldFrames() const;
  int64_t ShedFrames() const;

  // Asks a waiting Read to give up, and every later device Read until the
  // device is opened again; returns once the object is idle.
  void RequestStop();

  // Whether a device Read gives up because it was asked to.
  bool Stopping() const;

  // Closes the device or file; kSoundDone, or kSoundFailed when a device
  // call fails (the device is released all the same).
  [[nodiscard]] SoundResult Close();

  // Back to closed with the format kept.
  void Reset();

  // File mode: the open file, which the engine reads mono samples from.
  SoundFile* SourceFile() const { return sourceFile.get(); }
  int32_t Mode() const { return mode; }
  int32_t SampleRate() const { return sampleRate; }  // Hz; -1 = not set
  int16_t BitsPerSample() const { return bitsPerSample; }
  int16_t Channels() const { return channels; }
  uint16_t FormatTag() const { return formatTag; }
  uint32_t BytesPerSecond() const { return bytesPerSecond; }
  int32_t IsOpen() const { return isOpen; }

  // The ALSA device the next OpenDevice opens; "" (the start) is the
  // user's default microphone.
  void SetDeviceName(const std::string& name) { deviceName = name; }
  // Device mode: how the capture queue was split.
  int32_t BufferCount() const { return bufferCount; }
  int32_t BufferBytes() const { return bufferBytes; }
  // Device mode: every recording buffer, handed to the device in turn
  // from FirstBuffer on.
  const std::vector<std::unique_ptr<CaptureBuffer>>& Buffers() const { return buffers; }
  size_t FirstBuffer() const { return firstBuffer; }
  // File mode: the format is the file's, and its first sample byte.
  bool FormatFromFile() const { return formatFromFile != 0; }
  int64_t DataStart() const { return dataStart; }
  // Whether a stop was requested since the device was last opened.
  bool StopRequested() const { return stopRequested != 0; }
  // The microphone failed or stalled since it was opened.
  bool DeviceFailed() const { return deviceFailed; }
  // The owner's run flag, when it has one: cleared, it stops a waiting
  // Read as RequestStop does. It must outlive the object's reads.
  void SetRunFlag(const std::atomic<bool>* flag) { runFlag = flag; }

 private:
  std::unique_ptr<SoundFile> sourceFile;
  int16_t bitsPerSample = 16;
  int32_t mode = kSoundModeClosed;
  int32_t sampleRate = -1;  // Hz; -1 = not set
  int16_t channels = 1;
  uint32_t bytesPerSecond = 0;
  int32_t isOpen = 0;
  int32_t formatFromFile = 0;
  std::atomic<int32_t> idle{1};
  std::atomic<int32_t> stopRequested{0};
  uint16_t formatTag = kWaveFormatPcm;
  int64_t dataStart = 0;    // file mode: offset of the first sample byte
  int32_t bufferCount = 0;  // device mode
  int32_t bufferBytes = 0;  // device mode
  // Device mode: every recording buffer; from firstBuffer on, in the order
  // they were handed to the device (moving the front to the back is a step
  // of firstBuffer).
  std::vector<std::unique_ptr<CaptureBuffer>> buffers;
  size_t firstBuffer = 0;
  // Shared with its I/O thread, which may outlive a close when the device
  // stops answering; a new one is made then.
  std::shared_ptr<WaveInDevice> device = std::make_shared<WaveInDevice>();
  std::string deviceName;  // "" for the default microphone
  // The owner's run flag, when it has one: cleared, it stops a waiting
  // Read as RequestStop does.
  const std::atomic<bool>* runFlag = nullptr;
  // The microphone failed or stalled since it was opened.
  bool deviceFailed = false;

  [[nodiscard]] int64_t ReadBytes(uint8_t* destination, int64_t m);
  [[nodiscard]] int64_t ReadDeviceBytes(uint8_t* destination, int64_t m);
  [[nodiscard]] SoundResult ReadDevice(int16_t* samples, int64_t n);
  [[nodiscard]] SoundResult ReadDeviceSamples(int16_t* samples, int64_t n);
  [[nodiscard]] SoundResult CloseDevice();
  [[nodiscard]] int64_t ReadSamples(int16_t* samples, int64_t n, bool wholeRequest);
  int BytesPerSample() const;

  // The raw bytes between the file or device and the conversion, sized
  // once when either opens.
  std::vector<uint8_t> scratch;
};

}  // namespace plimo
