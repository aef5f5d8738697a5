#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "audio/DeviceWait.h"
#include "audio/PlaybackQueue.h"
#include "audio/SoundRead.h"
#include "platform/WaveOutDevice.h"

namespace plimo {

// Results of PlayFile.
enum class PlayResult : int {
  kPlayFilePlayed = 1,
  kPlayFileUnreadable = -1,
  kPlaySpeakerUnavailable = -2,
  kPlayDeviceFailed = -3,
};

// A block's level, before the level meter's own scale: a sample of it over
// 32700. Recording and playback take its first sample as it is, the
// modification run its magnitude.
inline constexpr double kLevelPerSample = 1.0 / 32700.0;

// The speaker of a low-delay run. Its own buffering: periods of 2.5 ms in a
// ring of 10 ms, asked for (the sound server may round them up, to 4 and
// 12 ms at 16000 Hz; after running dry it waits for all but a period of
// the ring before it plays again, which the cushion covers). What the run
// keeps queued: a cushion of kLowCushionMs, started on once collected,
// which bridges the device's periods and the engine's uneven hand-outs
// (nothing one frame and a placement step the next); a backlog beyond the
// cushion and kLowBacklogMs is dropped at once, and a smaller lasting
// surplus or shortfall is trimmed a few samples at a time where the sound
// is quiet.
inline constexpr DeviceBuffering kLowPlaybackBuffering{2500, 10000};
inline constexpr int32_t kLowCushionMs = 12;
inline constexpr int32_t kLowBacklogMs = 30;

// Told the level of each block PlayFile plays: its first sample times
// kLevelPerSample (signed).
class PlaybackLevelListener {
 public:
  virtual ~PlaybackLevelListener() = default;
  virtual void OnPlaybackLevel(double level) = 0;
};

// The audio sink: signed 16-bit samples to the speaker or to a new wav
// file. In file mode the samples are written as they come (channels
// interleaved by the caller) after a 44-byte header whose sizes are filled
// in when the file is shut down.
//
// Counts are -1 on failure.
class SoundWrite {
 public:
  // Closed, format 16-bit mono PCM with no rate set (-1).
  SoundWrite();
  // Shuts an open file or device down, so a file's header is complete and
  // the device's thread does not outlive the buffers.
  virtual ~SoundWrite();

  SoundWrite(const SoundWrite&) = delete;
  SoundWrite& operator=(const SoundWrite&) = delete;

  // Ignored while open. A µ-law or A-law tag with 16 bits is stored as PCM.
  void SetFormat(int32_t sampleRate, int16_t bitsPerSample, int16_t channels, uint16_t formatTag);

  // Creates fileName and writes the header with size 0. kSoundFailed when
  // the file cannot be created, when the object is already open, or when the format
  // (rate, width, channels) cannot be described by a wav header.
  [[nodiscard]] SoundResult OpenFile(const std::string& fileName);

  // The speaker, with at most maxQueuedMs (at least 300) queued in buffers
  // of at least bufferMs; whenever nothing else is queued, 250 ms are
  // collected before sound starts. kSoundOk (also when the device is open
  // already), or kSoundFailed when it cannot be opened or a file is open.
  // With lowDelay both are ignored and a cushion kept instead (see
  // kLowCushionMs); writes then never wait.
  [[nodiscard]] SoundResult OpenDevice(int32_t maxQueuedMs, int32_t bufferMs,
                                       bool lowDelay = false);

  // Takes all n samples (16-bit little-endian): kSoundOk, or kSoundFailed
  // when closed, when the width is not 16 bits, or when a write fails. To
  // the speaker it waits while the queue is full, unless a stop is
  // requested (or runFlag is cleared): then what does not fit at once is
  // refused (kSoundFailed). A speaker that takes nothing for
  // kDeviceStallLimit has failed; once failed, every Write and Flush fails
  // at once until the device is opened again. Allocates nothing in steady use.
  [[nodiscard]] SoundResult Write(const int16_t* samples, int n);

  // Takes m bytes: m, 0 when the device queue is full (nothing taken), or
  // -1 on failure. A file never grows past what its 32-bit sizes describe.
  [[nodiscard]] int64_t WriteBytes(const uint8_t* bytes, int64_t m);

  // File: pushes buffered bytes to the file. Device: sends what is still
  // collecting and returns once everything has been heard, or at once
  // when a stop is requested (the shutdown that follows cuts it off).
  // kSoundDone, or kSoundFailed when not open or the bytes cannot be
  // written or played.
  [[nodiscard]] SoundResult Flush();

  // Flush, then Shutdown. The file is closed even when the flush fails;
  // kSoundFailed then, as when the shutdown fails.
  [[nodiscard]] SoundResult Close();

  // Closes at once. File: the header is rewritten with the final sizes
  // first. Device: what is queued is cut off. kSoundDone, or kSoundFailed
  // when not open or the header or the close fails (the file is then
  // incomplete).
  [[nodiscard]] SoundResult Shutdown();

  // Makes a running PlayFile stop after its current block, discarding what
  // is queued, and a waiting Write give up; returns once PlayFile has
  // ended (within a block and a bounded device shutdown).
  void RequestStop();

  // Whether a device Write or Flush gives up because it was asked to.
  bool Stopping() const;

  // Plays a wav file to the speaker in 20 ms blocks (channels as in the
  // file) until it ends or a stop is requested. Without deviceAlreadyOpen
  // it opens the device in the file's format and closes it at the end,
  // letting the queue play out, or cutting it off after a stop. A cleared
  // keepPlaying stops it as RequestStop does (and is not missed when it is
  // cleared before PlayFile begins). kPlayFilePlayed, kPlayFileUnreadable,
  // kPlaySpeakerUnavailable (the device cannot be opened) or
  // kPlayDeviceFailed (it failed while playing).
  [[nodiscard]] PlayResult PlayFile(const std::string& fileName, bool deviceAlreadyOpen,
                                    PlaybackLevelListener* levelListener = nullptr,
                                    const std::atomic<bool>* keepPlaying = nullptr);

  int32_t IsOpen() const { return isOpen; }

  // The ALSA device the next OpenDevice opens; "" (the start) is the
  // user's default speaker.
  void SetDeviceName(const std::string& name) { deviceName = name; }

  // Back to closed with the format kept.
  void Reset();

  int32_t Mode() const { return mode; }
  int32_t SampleRate() const { return sampleRate; }  // Hz; -1 = not set
  int16_t BitsPerSample() const { return bitsPerSample; }
  int16_t Channels() const { return channels; }
  uint16_t FormatTag() const { return formatTag; }
  uint32_t BytesPerSecond() const { return bytesPerSecond; }
  // Device mode: the queue's limit and its buffers' length as opened.
  int32_t MaxQueuedMs() const { return maxQueuedMs; }
  int32_t BufferMs() const { return bufferMs; }
  // File mode: the sample bytes written so far.
  uint64_t DataBytes() const { return dataBytes; }
  // Device mode: the buffers queued, oldest first.
  const PlaybackQueue& Buffers() const { return buffers; }
  // No PlayFile is running.
  bool Idle() const { return idle != 0; }
  // Device mode: the bytes of every buffer in the queue.
  int64_t QueuedBytes() const { return queuedBytes; }
  // The speaker failed or stalled since it was opened.
  bool DeviceFailed() const { return deviceFailed; }
  // The owner's run flag, when it has one: cleared, it stops a waiting
  // Write as RequestStop does. It must outlive the object's writes.
  void SetRunFlag(const std::atomic<bool>* flag) { runFlag = flag; }
  // Device mode: a Write that finds the queue full drops what does not fit
  // instead of waiting, for a sink that nobody may be taking sound from
  // yet, which must not hold up the run.
  void SetDropWhenFull(bool on) { dropWhenFull = on; }

  // Device mode: frames written and not yet heard (still collecting, queued,
  // or in the sound system). Allocates nothing and never waits.
  int64_t HeldFrames() const;
  // Device mode: sound is playing (the first buffer has gone out).
  bool Playing() const { return playing; }
  // Device mode, low delay: times the speaker ran dry, and the frames
  // dropped to keep the delay down, since the open.
  int64_t Underruns() const { return underrunCount; }
  int64_t ShedFrames() const { return shedFrames; }

 private:
  std::string fileName;
  std::string deviceName;  // "" for the default speaker
  int16_t bitsPerSample = 16;
  int32_t mode = kSoundModeClosed;
  int32_t sampleRate = -1;  // Hz; -1 = not set
  int16_t channels = 1;
  uint32_t bytesPerSecond = 0;
  int32_t maxQueuedMs = 0;  // device mode
  int32_t bufferMs = 0;     // device mode
  int32_t isOpen = 0;
  uint16_t formatTag = kWaveFormatPcm;
  std::FILE* stream = nullptr;  // file mode
  uint64_t dataBytes = 0;       // file mode: sample bytes written
  std::atomic<int32_t> idle{1};
  std::atomic<int32_t> stopRequested{0};
  PlaybackQueue buffers;    // device mode, oldest first
  int64_t queuedBytes = 0;  // device mode: the bytes of every buffer in the queue
  // Shared with its I/O thread, which may outlive a shutdown when the
  // device stops answering; a new one is made then.
  std::shared_ptr<WaveOutDevice> device = std::make_shared<WaveOutDevice>();
  // The owner's run flag, when it has one: cleared, it stops a waiting
  // Write as RequestStop does.
  const std::atomic<bool>* runFlag = nullptr;
  // The speaker failed or stalled since it was opened.
  bool deviceFailed = false;
  bool dropWhenFull = false;
  bool playing = false;  // device mode: a buffer has been sent

  // Device mode, low delay (frames).
  bool low = false;
  int64_t cushionFrames = 0;
  int64_t backlogFrames = 0;
  int64_t underrunCount = 0;
  int64_t shedFrames = 0;
  // The least and most held right after a write since the window began,
  // and the writes in it.
  int64_t windowLeast = 0;
  int64_t windowMost = 0;
  int64_t windowFrames = 0;

  [[nodiscard]] int64_t WriteLowBytes(const uint8_t* bytes, int64_t m);
  // Drops (count < 0) or repeats count frames of buffer's last added
  // frames, where they are quietest.
  void Trim(PlaybackBuffer& buffer, int64_t added, int64_t count);

  [[nodiscard]] bool WriteHeader();
  [[nodiscard]] int64_t WriteDeviceBytes(const uint8_t* bytes, int64_t m);
  // Device mode: frees the buffers the device has played; -1 on a failure.
  [[nodiscard]] int Reclaim();
  [[nodiscard]] int Send(PlaybackBuffer& buffer);
  [[nodiscard]] SoundResult FlushDevice();
  // Waits a slice for the speaker to play, seen being the device's event
  // count before the last look; false, with the device marked failed, once
  // the queue has not shrunk for kDeviceStallLimit.
  [[nodiscard]] bool AwaitSpeaker(uint32_t seen, StallWatch& watch, int64_t& queuedBefore);
  [[nodiscard]] SoundResult ShutdownDevice();

  // Samples become bytes here, sized once when the file or device opens.
  std::vector<uint8_t> scratch;
};

}  // namespace plimo
