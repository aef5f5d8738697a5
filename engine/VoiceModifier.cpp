#include "engine/VoiceModifier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "dsp/Primitives.h"
#include "engine/RunObserver.h"
#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"
#include "platform/RealTimeScheduling.h"
#include "platform/VirtualMicrophone.h"

namespace plimo {

namespace {

constexpr double kPercent = 100.0;
// The progress text shows tenths of a percent, rounded.
constexpr double kTenthsPerPercent = 10.0;
// How near a rounding point (in tenths) the text is formatted again in any
// case, so that the rounding of the value's own product cannot hide it.
constexpr double kRoundingMargin = 1e-6;
// The speaker of a real-time run.
constexpr int32_t kPlaybackQueueMs = 64;
constexpr int32_t kPlaybackBufferMs = 5;
constexpr int16_t kDeviceBits = 16;
constexpr int16_t kDeviceChannels = 1;
// What a file run gathers before it writes: 64 KB of 16-bit samples.
constexpr size_t kFileOutputSamples = 32768;
// How often a live run tells its delay: often enough for a display that
// follows it, seldom enough to cost nothing.
constexpr std::chrono::milliseconds kDelayReportInterval{250};
// What the devices hold settles this long after the speaker starts: until
// then the microphone's backlog from the set-up is still being worked off.
constexpr std::chrono::milliseconds kDelaySettleTime{1000};
constexpr double kMillisecondsPerSecond = 1000.0;

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

const MessagePair& MessageFor(RunStatus status) {
  switch (status) {
    case RunStatus::kRunInputUnreadable: return kMessageNoInputFile;
    case RunStatus::kRunSameInputOutput: return kMessageSameInputOutput;
    case RunStatus::kRunOutputFailed: return kMessageCannotWriteOutputFile;
    case RunStatus::kRunDeviceFailed: return kMessageSoundDeviceFailed;
    default: return kMessageCannotProcessInputFile;
  }
}

}  // namespace

VoiceModifier::VoiceModifier(VoiceParameters& parameters, const std::atomic<bool>& running,
                             RunObserver* runObserver, uint32_t seed)
    : inputName(kSoundBoardName),
      outputName(kSoundBoardName),
      processor(parameters, seed),
      keepRunning(running),
      observer(runObserver) {
  // A stop must reach a wait on either device, not only the frame loop.
  soundRead.SetRunFlag(&keepRunning);
  soundWrite.SetRunFlag(&keepRunning);
  voiceWrite.SetRunFlag(&keepRunning);
  voiceWrite.SetDeviceName(kVoiceSinkDevice);
  // Until a program records from the virtual microphone, its sink may take
  // sound in blocks of seconds; the speaker and the microphone go on.
  voiceWrite.SetDropWhenFull(true);
}

VoiceModifier::~VoiceModifier() = default;

StreamsStatus VoiceModifier::Start(const VoiceParameters& parameters) {
  return Start(parameters, parameters.workingFolder, parameters.inputFileName, parameters.outputFileName);
}

StreamsStatus VoiceModifier::Start(const VoiceParameters& settings, const std::string& workingFolder,
                                   const std::string& inputFileName, const std::string& outputFileName) {
  LoadSettings(settings);
  LoadNames(workingFolder, inputFileName, outputFileName);
  const StreamsStatus streams = OpenStreams();
  // A rate the engine does not run at is refused when the run starts.
  static_cast<void>(Prepare(samplingRate, kAnalysisFrameSeconds, kFirstHopSeconds));
  return streams;
}

void VoiceModifier::LoadParameters(const VoiceParameters& parameters) {
  LoadSettings(parameters);
  LoadNames(parameters.workingFolder, parameters.inputFileName, parameters.outputFileName);
}

void VoiceModifier::LoadSettings(const VoiceParameters& parameters) {
  samplingRate = parameters.samplingRate;
  liveInput = parameters.meterDisplay;
  realTime = parameters.realTimeMode;
  latencyProfile = parameters.latencyProfile;
  sendToMicrophone = parameters.sendToMicrophone;
  hearMyself = parameters.hearMyself;
  outputKind = realTime != 0 ? kStreamSoundBoard : kStreamFile;
}

void VoiceModifier::LoadNames(const std::string& workingFolder, const std::string& inputFileName,
                              const std::string& outputFileName) {
  if (inputFileName == kSoundBoardName) {
    inputName = kSoundBoardName;
    inputKind = kStreamSoundBoard;
  } else {
    inputName = JoinPath(workingFolder, inputFileName);
    inputKind = kStreamFile;
  }
  outputName = outputFileName == kSoundBoardName ? std::string(kSoundBoardName)
                                                 : JoinPath(workingFolder, outputFileName);
}

void VoiceModifier::SetDevices(const std::string& microphone, const std::string& speaker) {
  microphoneDevice = microphone;
  speakerDevice = speaker;
}

StreamsStatus VoiceModifier::OpenStreams() {
  StreamsStatus result = StreamsStatus::kStreamsOpen;
  SoundResult opened = SoundResult::kSoundFailed;
  if (inputKind == kStreamSoundBoard) {
    soundRead.SetDeviceName(microphoneDevice);
    soundRead.SetFormat(samplingRate, kDeviceBits, kDeviceChannels, kWaveFormatPcm);
    opened = LowLatency() ? soundRead.OpenDevice(kLowCaptureTotalMs, kLowCaptureBufferMs, true)
                          : soundRead.OpenDevice(kCaptureTotalMs, kCaptureBufferMs);
  } else {
    opened = soundRead.OpenFile(inputName);
  }
  if (opened == SoundResult::kSoundOk) {
    samplingRate = soundRead.SampleRate();
  } else {
    result = StreamsStatus::kSourceFailed;
  }
  soundWrite.SetFormat(soundRead.SampleRate(), soundRead.BitsPerSample(), soundRead.Channels(),
                       kWaveFormatPcm);
  soundWrite.SetDeviceName(speakerDevice);
  if (outputKind == kStreamSoundBoard && hearMyself != 0 &&
      soundWrite.OpenDevice(kPlaybackQueueMs, kPlaybackBufferMs, LowLatency()) != SoundResult::kSoundOk &&
      result == StreamsStatus::kStreamsOpen) {
    result = StreamsStatus::kSpeakerFailed;
  }
  voiceWrite.SetFormat(soundRead.SampleRate(), soundRead.BitsPerSample(), soundRead.Channels(),
                       kWaveFormatPcm);
  if (outputKind == kStreamSoundBoard && sendToMicrophone != 0 &&
      voiceWrite.OpenDevice(kPlaybackQueueMs, kPlaybackBufferMs, LowLatency()) != SoundResult::kSoundOk &&
      result == StreamsStatus::kStreamsOpen) {
    result = StreamsStatus::kVoiceSinkFailed;
  }
  return result;
}

int VoiceModifier::Prepare(int rate, double frameSeconds, double hopSeconds) {
  samplingRate = rate;
  return processor.Configure(rate, frameSeconds, hopSeconds);
}

RunStatus VoiceModifier::Process() {
  // A live run that is late is heard; a file run only takes longer.
  const RealTimeScope realTimeScope(realTime != 0 ? kEngineThreadPriority : 0);
  RunStatus status = SetUpRun();
  if (status == RunStatus::kRunOk) {
    status = RunFrames();
    // The figures as the run ends, for a summary.
    ReportDelay(true);
    // Whatever has been synthesised up to the synthesis position goes out,
    // also after a stop or a failed read.
    if (!analysisOnly && !writeFailed && !deviceFailed) {
      processor.Drain(*this);
      FlushFileOutput();
      if (writeFailed) status = RunStatus::kRunOutputFailed;
      if (deviceFailed) status = RunStatus::kRunDeviceFailed;
    }
  }
  return CloseRun(status);
}

RunStatus VoiceModifier::SetUpRun() {
  // A file run takes the file's rate throughout, whatever it was prepared
  // with.
  if (realTime == 0 && soundRead.SourceFile() != nullptr) {
    samplingRate = soundRead.SampleRate();
    if (processor.Tracker().SamplingRate() != samplingRate) {
      processor.ClearLpcOrder();
      // A rate the engine does not run at is refused just below.
      static_cast<void>(Prepare(samplingRate, kAnalysisFrameSeconds, kFirstHopSeconds));
    }
  }
  processor.SetLowLatency(LowLatency());
  processor.SetInverseTiming(realTime != 0 ? InverseTiming::kAllUpFront : InverseTiming::kOnFirstUse);
  captureShedBefore = 0;
  framesFed = 0;
  framesRead = 0;
  textPrefix = nullptr;
  framesWritten = 0;
  delaySums = DelaySums{};
  lastDelay = LiveDelay{};
  recentCount = 0;
  playingSeen = false;
  delaySettled = false;
  lastDelayReport = std::chrono::steady_clock::now();
  if (processor.SamplingRate() != samplingRate || processor.Prepare(analysisOnly) < 0) {
    return RunStatus::kRunNotPrepared;
  }
  writeFailed = false;
  deviceFailed = false;
  inputSamples.assign(static_cast<size_t>(processor.Tracker().FrameLength()), 0);

  totalSamples = 1;
  fileOutputFill = 0;
  if (realTime == 0) {
    const RunStatus opened = OpenFiles();
    if (opened != RunStatus::kRunOk) return opened;
    fileOutput.resize(kFileOutputSamples);
  }
  return RunStatus::kRunOk;
}

RunStatus VoiceModifier::OpenFiles() {
  const SoundFile* input = soundRead.SourceFile();
  if (soundRead.Mode() != kSoundModeFile || input == nullptr) return RunStatus::kRunInputUnreadable;
  totalSamples = std::max<int64_t>(input->FrameCount(), 1);
  if (analysisOnly) return RunStatus::kRunOk;
  // Creating the output truncates it: were it the input, the rest of the
  // input would be lost.
  if (SameFile(inputName, outputName)) return RunStatus::kRunSameInputOutput;
  outputFile = SoundFile::CreateLike(outputName, *input);
  return outputFile->Status() == SoundFileStatus::kSoundFileWriting ? RunStatus::kRunOk
                                                                    : RunStatus::kRunOutputFailed;
}

// Up to wanted new samples into inputSamples: their count, 0 at the end of
// the input (or a stop), -1 when a read fails. A short read at the end of a
// file is completed with silence, so nothing of the previous read repeats.
int VoiceModifier::ReadInput(int wanted) {
  if (realTime != 0) {
    if (soundRead.Read(inputSamples.data(), wanted) == SoundResult::kSoundOk) return wanted;
    return soundRead.Stopping() ? 0 : -1;
  }
  const int got = soundRead.SourceFile()->Read(inputSamples.data(), wanted);
  if (got <= 0) return got;
  std::fill(inputSamples.begin() + got, inputSamples.begin() + wanted, int16_t{0});
  return got;
}

RunStatus VoiceModifier::RunFrames() {
  while (keepRunning.load(std::memory_order_relaxed)) {
    const int wanted = processor.SamplesWanted();
    const int got = ReadInput(wanted);
    if (got == 0) break;
    if (got < 0) return realTime != 0 ? RunStatus::kRunDeviceFailed : RunStatus::kRunInputFailed;
    if (realTime != 0 && liveInput != 0 && observer != nullptr) {
      observer->OnInputLevel(std::abs(static_cast<int>(inputSamples[0])) * kLevelPerSample);
    }
    framesFed += wanted;
    framesRead += got;
    const FrameAnalysis analysis = processor.ProcessFrame(inputSamples.data(), wanted, *this);
    if (observer != nullptr) {
      observer->OnFrameAnalysed(analysis.index, analysis.analysisPosition, analysis.f0);
    }
    // What the microphone dropped while the run was being set up was
    // never part of its delay.
    if (analysis.index == 0) captureShedBefore = soundRead.ShedFrames();
    if (writeFailed) return RunStatus::kRunOutputFailed;
    if (deviceFailed) return RunStatus::kRunDeviceFailed;
    ReportProgress(analysis.analysisPosition);
    ReportDelay(false);
  }
  return RunStatus::kRunOk;
}

void VoiceModifier::TakeBlock(int16_t* block, int length) {
  if (realTime != 0) {
    if (!WriteLive(soundWrite, block, length) || !WriteLive(voiceWrite, block, length)) deviceFailed = true;
    framesWritten += length;
    SampleDelay();
  } else if (!writeFailed) {
    if (fileOutputFill + static_cast<size_t>(length) > fileOutput.size()) FlushFileOutput();
    if (static_cast<size_t>(length) > fileOutput.size()) {
      if (outputFile->Write(block, length) < 0) {
        writeFailed = true;
      } else {
        framesWritten += length;
      }
      return;
    }
    std::copy(block, block + length, fileOutput.begin() + static_cast<std::ptrdiff_t>(fileOutputFill));
    fileOutputFill += static_cast<size_t>(length);
  }
}

void VoiceModifier::FlushFileOutput() {
  if (fileOutputFill > 0 && !writeFailed) {
    if (outputFile->Write(fileOutput.data(), static_cast<int>(fileOutputFill)) < 0) {
      writeFailed = true;
    } else {
      framesWritten += static_cast<int64_t>(fileOutputFill);
    }
  }
  fileOutputFill = 0;
}

bool VoiceModifier::WriteLive(SoundWrite& sink, const int16_t* block, int length) {
  if (deviceFailed || sink.IsOpen() == 0) return true;
  // A write refused because of a stop is the stop; any other refusal is
  // a sink that failed.
  return sink.Write(block, length) == SoundResult::kSoundOk || sink.Stopping();
}

void VoiceModifier::ReportProgress(int64_t analysisPosition) {
  if (realTime != 0 || liveInput != 0 || observer == nullptr) return;
  const double fraction = static_cast<double>(analysisPosition) / static_cast<double>(totalSamples);
  // Formatting the text costs more than some stages of a frame, and it
  // only changes where the value passes the middle between two tenths.
  const double tenths = fraction * kPercent * kTenthsPerPercent;
  const char* prefix = ChooseText(kTextProgress);
  if (prefix != textPrefix || !(tenths >= textShownFrom && tenths < textShownUntil)) {
    std::snprintf(statusText, sizeof statusText, "%s%3.1f", prefix, fraction * kPercent);
    textPrefix = prefix;
    const double shown = std::floor(tenths + 0.5);
    textShownFrom = shown - 0.5 + kRoundingMargin;
    textShownUntil = shown + 0.5 - kRoundingMargin;
  }
  observer->OnProgress(fraction, statusText);
}

// The newest sample written entered the microphone when the input stood
// at its position (its output position over the duration): since then
// the engine has taken the input up to framesFed, the microphone holds
// what it recorded after, and the speaker plays what it holds before it.
// Summed, that is the sample's whole delay, and, the stream being steady,
// everyone's; the engine's part rises and falls with each frame's hand-out
// and the speaker's the other way, so the figures are averaged over the
// writes between reports.
void VoiceModifier::SampleDelay() {
  const SoundWrite& sink = DelaySink();
  if (!sink.Playing() || soundRead.Mode() != kSoundModeDevice) return;
  if (!delaySettled) {
    const auto now = std::chrono::steady_clock::now();
    if (!playingSeen) {
      playingSeen = true;
      playingSince = now;
    }
    if (now - playingSince < kDelaySettleTime) return;
    delaySettled = true;
    lastDelayReport = now;
  }
  const double position = static_cast<double>(framesWritten) / processor.DurationScale();
  delaySums.engine += static_cast<double>(framesFed) - position;
  delaySums.capture += static_cast<double>(soundRead.HeldFrames());
  delaySums.playback += static_cast<double>(sink.HeldFrames());
  ++delaySums.count;
}

void VoiceModifier::ReportDelay(bool force) {
  if (realTime == 0 || observer == nullptr || samplingRate <= 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDelayReport < kDelayReportInterval) return;
  // Nothing written while the speaker played since the last report: the
  // last figures stand (and there are none before the speaker starts).
  if (delaySums.count == 0 && lastDelay.totalMs == 0.0) return;
  // The closing report may cover only a few writes, which carry one
  // period's swing of the speaker's figure: only full intervals count,
  // unless there is no other.
  const bool full = now - lastDelayReport >= kDelayReportInterval || recentCount == 0;
  lastDelayReport = now;
  const double msPerFrame = kMillisecondsPerSecond / samplingRate;
  if (full && delaySums.count > 0) {
    const double perWrite = msPerFrame / static_cast<double>(delaySums.count);
    lastDelay.engineMs = delaySums.engine * perWrite;
    lastDelay.captureMs = delaySums.capture * perWrite;
    lastDelay.playbackMs = delaySums.playback * perWrite;
    lastDelay.totalMs = lastDelay.engineMs + lastDelay.captureMs + lastDelay.playbackMs;
    recentDelays[recentCount % kSummaryIntervals] = lastDelay;
    ++recentCount;
  }
  delaySums = DelaySums{};
  if (force && recentCount > 0) {
    const size_t count = std::min(recentCount, kSummaryIntervals);
    std::array<LiveDelay, kSummaryIntervals> sorted = recentDelays;
    std::nth_element(sorted.begin(), sorted.begin() + count / 2, sorted.begin() + count,
                     [](const LiveDelay& a, const LiveDelay& b) { return a.totalMs < b.totalMs; });
    lastDelay = sorted[count / 2];
  }
  lastDelay.underruns = DelaySink().Underruns();
  const int64_t shedFrames = soundRead.ShedFrames() - captureShedBefore + DelaySink().ShedFrames();
  lastDelay.shedMs = static_cast<int64_t>(static_cast<double>(shedFrames) * msPerFrame);
  observer->OnLiveDelay(lastDelay);
}

RunStatus VoiceModifier::CloseRun(RunStatus status) {
  if (outputFile != nullptr) {
    // Closing writes the header's sizes; a file that cannot take them is
    // as incomplete as one whose samples failed.
    if (!outputFile->Close() && status == RunStatus::kRunOk) {
      status = RunStatus::kRunOutputFailed;
    }
    outputFile.reset();
  }
  // Everything the run needed has been read; the source is released
  // whether or not its close works.
  static_cast<void>(soundRead.Close());
  for (SoundWrite* sink : {&soundWrite, &voiceWrite}) {
    if (sink->IsOpen() == 0) continue;
    // A speaker that stops playing what it was given failed as much as
    // one that refused it.
    const bool playedOut = sink->Flush() == SoundResult::kSoundDone;
    if (!playedOut && status == RunStatus::kRunOk && !sink->Stopping()) {
      status = RunStatus::kRunDeviceFailed;
    }
    // What was to be heard has been heard, or cut off by a stop; the
    // speaker is released whether or not its close works.
    static_cast<void>(sink->Close());
  }
  if (observer != nullptr) {
    if (status != RunStatus::kRunOk) observer->OnRunFailure(MessageFor(status));
    observer->OnRunEnd();
  }
  return status;
}

}  // namespace plimo
