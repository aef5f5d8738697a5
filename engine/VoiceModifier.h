#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "audio/SoundRead.h"
#include "audio/SoundWrite.h"
#include "engine/LiveDelay.h"
#include "engine/OverlapAdd.h"
#include "engine/PitchTracker.h"
#include "engine/SoundBoard.h"
#include "engine/VoiceProcessor.h"
#include "params/LatencyProfile.h"

namespace plimo {

class RunObserver;
class VoiceParameters;

// Where a run's samples come from and go to.
inline constexpr int kStreamFile = 1;
inline constexpr int kStreamSoundBoard = 2;  // the microphone, or the speaker
// Results of Process; failures are negative and have been reported to the
// observer.
enum class RunStatus : int {
  kRunOk = 0,
  kRunNotPrepared = -1,      // no Prepare, or a rate the engine does not run at
  kRunInputUnreadable = -2,  // file mode: the input file is not open
  kRunInputFailed = -3,      // file mode: reading the input fails part way
  kRunOutputFailed = -4,     // file mode: the output cannot be created or written
  kRunSameInputOutput = -5,  // file mode: the output would overwrite the input
  kRunDeviceFailed = -6,     // real time: the microphone or speaker failed or stalled
};

// Results of OpenStreams.
enum class StreamsStatus : int {
  kStreamsOpen = 2,
  kSourceFailed = -1,
  kSpeakerFailed = -4,
  kVoiceSinkFailed = -5,  // the virtual microphone's sink
};

class VoiceModifierBase {
 public:
  virtual ~VoiceModifierBase() = default;
  [[nodiscard]] virtual RunStatus Process() { return RunStatus::kRunOk; }
};

// One voice-modification run: the driver of a VoiceProcessor. It reads
// 16-bit mono samples from the input file or the microphone, feeds them to
// the processor a frame at a time, and writes the blocks the processor
// hands out to the output file or the speaker.
//
// Use: construct, Start, Process, destroy. Process runs while keepRunning
// is set (read before the first frame and after every frame; clearing it
// also ends a wait on the microphone or the speaker), drains what has been
// synthesised, and closes the source and the sink. A microphone or speaker
// that fails ends the run with RunStatus::kRunDeviceFailed. A live run
// opens its devices in the record's latency profile and reports its delay
// to the observer (OnLiveDelay) once both devices run, then about four
// times a second and once as it ends. Every buffer,
// transform and the equaliser's curve are made in Process's set-up, so the
// frame loop allocates nothing and takes no lock.
class VoiceModifier : public VoiceModifierBase, private BlockSink {
 public:
  // record stays the run's source of settings; observer may be
  // null. The run's pseudo-random generator starts from seed.
  VoiceModifier(VoiceParameters& record, const std::atomic<bool>& keepRunning, RunObserver* observer,
                uint32_t seed);
  ~VoiceModifier() override;

  VoiceModifier(const VoiceModifier&) = delete;
  VoiceModifier& operator=(const VoiceModifier&) = delete;

  // The whole set-up of a run: the settings, the names (the working folder
  // joined to each file name, or "sb"), the streams, and the processor at
  // the source's rate with the standard frame and hop. The second form
  // takes the names from copies made where the record's strings may be
  // read (the user-interface thread). Returns what OpenStreams returns; a
  // rate the engine does not run at makes Process end at once with
  // RunStatus::kRunNotPrepared.
  [[nodiscard]] StreamsStatus Start(const VoiceParameters& parameters);
  [[nodiscard]] StreamsStatus Start(const VoiceParameters& settings, const std::string& workingFolder,
                                    const std::string& inputFileName, const std::string& outputFileName);

  // Start's steps, for callers that need one of them on its own.
  //
  // Copies the run's settings, the mode, and the input and output names.
  void LoadParameters(const VoiceParameters& parameters);
  // LoadParameters in two: the scalar settings, which any thread may read,
  // and the names.
  void LoadSettings(const VoiceParameters& parameters);
  void LoadNames(const std::string& workingFolder, const std::string& inputFileName,
                 const std::string& outputFileName);

  // The ALSA devices of the microphone and the speaker; "" (the start) for
  // the default ones. Before OpenStreams.
  void SetDevices(const std::string& microphone, const std::string& speaker);

  // Opens the source (the input file, or the microphone at samplingRate)
  // and, in real-time mode, the speaker when the record's hearMyself is on
  // and the virtual microphone's sink when its sendToMicrophone is. The run's rate becomes the
  // source's. StreamsStatus::kStreamsOpen, StreamsStatus::kSourceFailed or
  // StreamsStatus::kSpeakerFailed; the run may go on in every case (it then
  // ends at its first read).
  [[nodiscard]] StreamsStatus OpenStreams();

  // Sets the run's rate, the LPC order (when not set yet) and the pitch
  // tracker: frame length and first hop in seconds (0.04 and 0.006). 1, or
  // -1 for a rate outside kMinRunRate .. kMaxRunRate.
  [[nodiscard]] int Prepare(int rate, double frameSeconds, double hopSeconds);

  // The run.
  [[nodiscard]] RunStatus Process() override;

  // With analysis only the run reads and analyses its input (and reports
  // every frame) but synthesises and writes nothing. Set before Process.
  void SetAnalysisOnly(bool on) { analysisOnly = on; }

  int SamplingRate() const { return samplingRate; }           // Hz, the run's rate from Prepare on
  // Input frames read and output frames written by the run so far; the
  // length of a stream is known only from these.
  int64_t FramesRead() const { return framesRead; }
  int64_t FramesWritten() const { return framesWritten; }
  const std::string& InputName() const { return inputName; }  // or "sb"
  int InputKind() const { return inputKind; }
  // Real time: the sinks the run writes to.
  bool SpeakerOpen() const { return soundWrite.IsOpen() != 0; }
  bool VoiceSinkOpen() const { return voiceWrite.IsOpen() != 0; }
  int FftSize() const { return processor.FftSize(); }                          // N
  int LpcOrder() const { return processor.LpcOrder(); }                        // p
  int64_t SynthesisPosition() const { return processor.SynthesisPosition(); }  // P_s, samples
  // The sliding analysis history, L samples, as the last frame left it.
  const std::vector<float>& History() const { return processor.History(); }
  const PitchTracker& Tracker() const { return processor.Tracker(); }
  const VoiceProcessor& Processor() const { return processor; }

 private:
  // A live run in the low profile.
  bool LowLatency() const { return realTime != 0 && latencyProfile == LatencyProfile::kLow; }
  RunStatus SetUpRun();
  RunStatus OpenFiles();
  RunStatus RunFrames();
  int ReadInput(int wanted);
  void ReportProgress(int64_t analysisPosition);
  // Real time, once both devices run: the delay, averaged over what was
  // written since the last report, every kDelayReportInterval or when
  // forced.
  void ReportDelay(bool force);
  // Real time, after each write to the speaker: where the newest sample
  // written stands on its way from the microphone to the listener.
  void SampleDelay();
  RunStatus CloseRun(RunStatus status);
  // Real time: the sink whose figures the delay reports, the speaker when
  // it plays, else the virtual microphone's.
  const SoundWrite& DelaySink() const { return soundWrite.IsOpen() != 0 ? soundWrite : voiceWrite; }
  // Real time: writes a block to one sink; false when it failed (not
  // merely stopped).
  bool WriteLive(SoundWrite& sink, const int16_t* block, int length);
  void TakeBlock(int16_t* block, int length) override;
  // Writes the gathered blocks of a file run.
  void FlushFileOutput();

  // Settings copied from the record.
  int samplingRate = 0;                                       // Hz, the run's rate from Prepare on
  int liveInput = 0;                                          // meterDisplay: the input is the microphone
  int realTime = 0;                                           // realTimeMode: output to the speaker
  LatencyProfile latencyProfile = LatencyProfile::kStandard;  // real time only
  int sendToMicrophone = 0;                                   // real time only
  int hearMyself = 1;                                         // real time only
  std::string microphoneDevice;                               // "" for the default one
  std::string speakerDevice;                                  // "" for the default one
  std::string inputName;
  std::string outputName;
  int inputKind = kStreamSoundBoard;
  int outputKind = kStreamSoundBoard;

  bool analysisOnly = false;

  // The samples just read, up to L.
  std::vector<int16_t> inputSamples;

  SoundRead soundRead;
  SoundWrite soundWrite;
  SoundWrite voiceWrite;  // into the virtual microphone
  VoiceProcessor processor;

  const std::atomic<bool>& keepRunning;
  RunObserver* observer;

  // The run's state.
  std::unique_ptr<SoundFile> outputFile;
  // A file run's blocks, gathered so that the file takes a few large
  // writes instead of a system call per 20 ms block.
  std::vector<int16_t> fileOutput;
  size_t fileOutputFill = 0;
  int64_t totalSamples = 1;  // S_total, for the progress
  bool writeFailed = false;
  bool deviceFailed = false;      // real time: the microphone or the speaker
  int64_t captureShedBefore = 0;  // frames the microphone dropped before the first frame
  std::chrono::steady_clock::time_point lastDelayReport;
  // Input frames given to the processor (a short last read of a file
  // counts whole), frames read from the source, and output frames handed to
  // the speaker or the file, since the run began.
  int64_t framesFed = 0;
  int64_t framesRead = 0;
  int64_t framesWritten = 0;
  // Sums over the writes since the last report, in frames.
  struct DelaySums {
    double engine = 0.0;
    double capture = 0.0;
    double playback = 0.0;
    int64_t count = 0;
  } delaySums;
  LiveDelay lastDelay;
  // The latest intervals' figures, oldest overwritten first: the summary
  // at the end takes their median, which one burst at the speaker does
  // not move.
  static constexpr size_t kSummaryIntervals = 5;
  std::array<LiveDelay, kSummaryIntervals> recentDelays{};
  size_t recentCount = 0;
  // When the speaker began to play, and whether the figures have settled
  // since (the first second carries the start's backlog).
  std::chrono::steady_clock::time_point playingSince;
  bool playingSeen = false;
  bool delaySettled = false;
  char statusText[64] = {};
  // The prefix (the program's language) and the tenths of a percent over
  // which statusText stays as it is.
  const char* textPrefix = nullptr;
  double textShownFrom = 0.0;
  double textShownUntil = 0.0;
};

}  // namespace plimo
