#include "engine/VoiceModifier.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "engine/RunObserver.h"
#include "dsp/Primitives.h"
#include "params/VoiceParameters.h"
#include "messages/MessageTable.h"

namespace plimo {

namespace {

constexpr double kPercent = 100.0;
// The speaker of a real-time run.
constexpr int32_t kPlaybackQueueMs = 64;
constexpr int32_t kPlaybackBufferMs = 5;
constexpr int16_t kDeviceBits = 16;
constexpr int16_t kDeviceChannels = 1;

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

float LimitDuration(float d) {
  if (!(d >= kMinDurationFactor)) return kMinDurationFactor;  // NaN too
  return std::min(d, kMaxDurationFactor);
}

}  // namespace

VoiceModifier::VoiceModifier(VoiceParameters& parameters, const std::atomic<bool>& running,
                             RunObserver* runObserver, uint32_t seed)
    : inputName(kSoundBoardName),
      outputName(kSoundBoardName),
      random(seed),
      effectsChain(parameters, random),
      record(parameters),
      keepRunning(running),
      observer(runObserver) {
  // A stop must reach a wait on either device, not only the frame loop.
  soundRead.SetRunFlag(&keepRunning);
  soundWrite.SetRunFlag(&keepRunning);
}

VoiceModifier::~VoiceModifier() = default;

void VoiceModifier::LoadParameters(const VoiceParameters& parameters) {
  LoadSettings(parameters);
  LoadNames(parameters.workingFolder, parameters.inputFileName, parameters.outputFileName);
}

void VoiceModifier::LoadSettings(const VoiceParameters& parameters) {
  samplingRate = parameters.samplingRate;
  liveInput = parameters.meterDisplay;
  realTime = parameters.realTimeMode;
  outputKind = realTime != 0 ? kStreamSoundBoard : kStreamFile;
  durationScale = parameters.durationFactor;
  LoadFrameParameters(parameters);
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

// What the settings window may change during a run; the rate, the mode, the
// names and the duration are the run's own.
void VoiceModifier::LoadFrameParameters(const VoiceParameters& parameters) {
  pitch.robotVoiceOn = parameters.robotVoiceOn;
  pitch.robotPitch = parameters.robotPitchHz;
  pitch.pitchScale = parameters.pitchFactor;
  pitch.pitchOffset = parameters.pitchOffsetHz;
  formantScale = parameters.vocalTractFactor;
  whisperOn = parameters.whisperOn;
  whisperLevel = parameters.whisperLevel;
}

StreamsStatus VoiceModifier::OpenStreams() {
  StreamsStatus result = StreamsStatus::kStreamsOpen;
  SoundResult opened = SoundResult::kSoundFailed;
  if (inputKind == kStreamSoundBoard) {
    soundRead.SetFormat(samplingRate, kDeviceBits, kDeviceChannels, kWaveFormatPcm);
    opened = soundRead.OpenDevice(kCaptureTotalMs, kCaptureBufferMs);
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
  if (outputKind == kStreamSoundBoard &&
      soundWrite.OpenDevice(kPlaybackQueueMs, kPlaybackBufferMs) != SoundResult::kSoundOk &&
      result == StreamsStatus::kStreamsOpen) {
    result = StreamsStatus::kSpeakerFailed;
  }
  return result;
}

int VoiceModifier::Prepare(int rate, double frameSeconds, double hopSeconds) {
  samplingRate = rate;
  if (rate < kMinRunRate || rate > kMaxRunRate) return -1;
  if (lpcOrder == 0) lpcOrder = LpcOrderFor(rate);
  pitchTracker.ConfigurePitchTracker(rate, frameSeconds, hopSeconds);
  return 1;
}

RunStatus VoiceModifier::Process() {
  RunStatus status = SetUpRun();
  if (status == RunStatus::kRunOk) {
    status = RunFrames();
    // Whatever has been synthesised up to the synthesis position goes out,
    // also after a stop or a failed read.
    if (!analysisOnly && !writeFailed && !deviceFailed) {
      overlapAdd.Emit(static_cast<double>(synthesisPosition), previousHop, synthesisPosition,
                      *this);
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
    if (pitchTracker.SamplingRate() != samplingRate) {
      lpcOrder = 0;
      // A rate the engine does not run at is refused just below.
      static_cast<void>(Prepare(samplingRate, kAnalysisFrameSeconds, kFirstHopSeconds));
    }
  }
  const int fs = samplingRate;
  const int frameLength = pitchTracker.FrameLength();
  if (fs < kMinRunRate || fs > kMaxRunRate || pitchTracker.SamplingRate() != fs ||
      frameLength < 2 || lpcOrder < 1) {
    return RunStatus::kRunNotPrepared;
  }

  fftSize = FftSizeFor(fs);
  // At a few odd rates L rounds up past N; a frame must fit the transform.
  while (fftSize < frameLength) fftSize *= 2;
  binCount = fftSize / 2 + 1;
  blockLength = BlockLengthFor(fs);
  if (!analysisOnly &&
      (frameModifier.Configure(fs, fftSize, lpcOrder, frameLength, record.equaliser, random) < 0 ||
       overlapAdd.Prepare(ringSize, blockLength) < 0)) {
    return RunStatus::kRunNotPrepared;
  }
  durationScale = LimitDuration(record.durationFactor);

  analysisLength = frameLength;
  previousHop = pitchTracker.Hop();
  analysisPosition = 0;
  synthesisPosition = 0;
  wrappedAnalysisPosition = 0;
  frameIndex = 0;
  writeFailed = false;
  deviceFailed = false;
  inputSamples.assign(static_cast<size_t>(frameLength), 0);
  history.assign(static_cast<size_t>(frameLength), 0.0f);
  frame.assign(static_cast<size_t>(frameLength), 0.0f);
  analysisWindow.Prepare(frameLength);
  synthesisWindow.Prepare(frameLength);

  totalSamples = 1;
  if (realTime == 0) {
    const RunStatus opened = OpenFiles();
    if (opened != RunStatus::kRunOk) return opened;
  }

  // The chorus draws its delays before the first frame whether or not it
  // is on, so a run's random sequence is the same whichever effects are on.
  effectsChain.Prepare(static_cast<float>(fs), blockLength);
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
  outputFile = SoundFile::CreateForWriting(outputName, input->SampleRate(), input->BitsPerSample(),
                                           input->Channels(), kWaveFormatPcm);
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

// Brings the new samples into the history, dithers it and plans the frame.
RunStatus VoiceModifier::RunFrames() {
  const int fs = samplingRate;
  const int frameLength = pitchTracker.FrameLength();
  while (keepRunning.load(std::memory_order_relaxed)) {
    LoadFrameParameters(record);
    const bool first = frameIndex == 0;
    const int wanted = first ? frameLength : previousHop;
    const int got = ReadInput(wanted);
    if (got == 0) break;
    if (got < 0) return realTime != 0 ? RunStatus::kRunDeviceFailed : RunStatus::kRunInputFailed;
    if (!first) std::copy(history.begin() + wanted, history.end(), history.begin());
    std::copy(inputSamples.begin(), inputSamples.begin() + wanted, history.end() - wanted);

    if (realTime != 0 && liveInput != 0 && observer != nullptr) {
      observer->OnInputLevel(std::abs(static_cast<int>(inputSamples[0])) * kLevelPerSample);
    }
    for (int i = 0; i < analysisLength; ++i) {
      history[static_cast<size_t>(i)] =
          static_cast<float>(history[static_cast<size_t>(i)] + NoiseValue(random));
    }

    const float f0 = pitchTracker.EstimatePitch(history.data());
    const FramePlan plan = PlanFrame(f0, fs, frameLength, analysisLength, pitch);
    if (observer != nullptr) {
      observer->OnFrameAnalysed(frameIndex, analysisPosition, plan.voiced ? f0 : 0.0f);
    }
    analysisLength = plan.analysisLength;
    if (!analysisOnly && SynthesiseFrame(plan, frame.data()) < 0) {
      return deviceFailed ? RunStatus::kRunDeviceFailed : RunStatus::kRunOutputFailed;
    }

    previousHop = plan.hop;
    ReportProgress();
    analysisPosition += plan.hop;
    wrappedAnalysisPosition += plan.hop;
    if (wrappedAnalysisPosition > 2 * kWrapDistance) {
      wrappedAnalysisPosition -= kWrapDistance;
      pitchTracker.SetVoicedFrameCount(kVoicedCountAfterWrap);
    }
    ++frameIndex;
  }
  return RunStatus::kRunOk;
}

// Cuts, modifies and places one frame, then emits what no later frame can
// change. -1 when writing the output failed.
int VoiceModifier::SynthesiseFrame(const FramePlan& plan, float* x) {
  const int n = plan.analysisLength;
  const double mean = Mean(history.data(), n);
  const float* analysis = analysisWindow.Hamming(n);
  for (int i = 0; i < n; ++i) {
    x[i] = static_cast<float>(history[static_cast<size_t>(i)] - mean) * analysis[i];
  }
  const double inEnergy = Energy(x, n);

  const int m = frameModifier.ModifyFrame(x, n, plan.pitchFactor, formantScale, whisperOn,
                                          whisperLevel);
  const float* synthesis = synthesisWindow.Hamming(m);
  const double outEnergy = Energy(x, m);
  double gain = 1.0;
  if (outEnergy > 0.0 && n > 0) gain = (std::sqrt(inEnergy) / n) / (std::sqrt(outEnergy) / m);
  for (int i = 0; i < m; ++i) x[i] = static_cast<float>(synthesis[i] * x[i] * gain);

  // Placed at the new period until the output time line has caught up with
  // the analysis position scaled by the duration.
  const double target = static_cast<double>(analysisPosition) * durationScale +
                        static_cast<double>(static_cast<float>(plan.hop) * plan.pitchFactor);
  synthesisPosition =
      overlapAdd.PlaceRepeatedly(x, synthesis, m, synthesisPosition, target,
                                 PlacementStep(plan.hop, plan.pitchFactor), !plan.voiced);

  // Output trails the synthesis position by about 20 ms less one hop, but
  // never passes it: later frames still add to the positions beyond.
  const double limit = static_cast<double>(synthesisPosition) + previousHop -
                       kOutputLagSeconds * samplingRate;
  overlapAdd.Emit(limit, previousHop, synthesisPosition, *this);
  return writeFailed || deviceFailed ? -1 : 0;
}

void VoiceModifier::TakeBlock(int16_t* block, int length) {
  effectsChain.ApplyEffects(block, length);
  if (realTime != 0) {
    // A write refused because of a stop is the stop; any other refusal is
    // a speaker that failed.
    if (!deviceFailed && soundWrite.Write(block, length) != SoundResult::kSoundOk &&
        !soundWrite.Stopping()) {
      deviceFailed = true;
    }
  } else if (!writeFailed && outputFile->Write(block, length) < 0) {
    writeFailed = true;
  }
}

void VoiceModifier::ReportProgress() {
  if (realTime != 0 || liveInput != 0 || observer == nullptr) return;
  const double fraction = static_cast<double>(analysisPosition) / static_cast<double>(totalSamples);
  std::snprintf(statusText, sizeof statusText, "%s%3.1f", ChooseText(kTextProgress),
                fraction * kPercent);
  observer->OnProgress(fraction, statusText);
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
  if (soundWrite.IsOpen() != 0) {
    // A speaker that stops playing what it was given failed as much as
    // one that refused it.
    const bool playedOut = soundWrite.Flush() == SoundResult::kSoundDone;
    if (!playedOut && status == RunStatus::kRunOk && !soundWrite.Stopping()) {
      status = RunStatus::kRunDeviceFailed;
    }
    // What was to be heard has been heard, or cut off by a stop; the
    // speaker is released whether or not its close works.
    static_cast<void>(soundWrite.Close());
  }
  if (observer != nullptr) {
    if (status != RunStatus::kRunOk) observer->OnRunFailure(MessageFor(status));
    observer->OnRunEnd();
  }
  return status;
}

}  // namespace plimo
