// The operations on a sound card whose microphone reads a raw file and
// whose speaker writes one: recording, playback, modification, the busy
// flags and the stop.

#include "ops/Operations.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "params/Presets.h"
#include "params/VoiceParameters.h"
#include "support/RecordingControls.h"
#include "support/Signals.h"
#include "support/SoundEnvironment.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"
#include "support/WaveBuffers.h"

namespace plimo::test {
namespace {

std::vector<int16_t> Ramp(size_t n) {
  std::vector<int16_t> samples(n);
  for (size_t i = 0; i < n; ++i) samples[i] = static_cast<int16_t>(i * 7 - 20000);
  return samples;
}

// Waits (a few seconds at most) until the flags are clear.
bool WaitIdle(const Operations& operations) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (operations.flags.Any()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// Waits (a few seconds at most) until a recording has reached the disk.
bool WaitForRecordedBytes(const std::string& path) {
  constexpr size_t kHeaderBytes = 44;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ReadBytes(path).size() <= kHeaderBytes) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class OperationsOnFileCard : public ::testing::Test {
 protected:
  OperationsOnFileCard() : microphone(Ramp(2000000)), card(LittleEndianBytes(microphone)) {}

  // The wav file's header sizes agree with its length; its samples.
  static std::vector<int16_t> CompleteWavSamples(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return {};
    EXPECT_EQ(ReadLittle32(bytes, 4), bytes.size() - 8);
    EXPECT_EQ(ReadLittle32(bytes, 40), bytes.size() - 44);
    return SamplesOf(std::vector<uint8_t>(bytes.begin() + 44, bytes.end()));
  }

  // Whether samples are what the microphone delivered from its start. The
  // card delivers as fast as it is asked, so a stop held up by a busy
  // machine can reach past the end of its input, where it repeats stale
  // samples: only the part the input covers is known.
  ::testing::AssertionResult IsMicrophoneFromStart(const std::vector<int16_t>& samples) const {
    const size_t known = std::min(samples.size(), microphone.size());
    const auto differ = std::mismatch(samples.begin(), samples.begin() + known, microphone.begin());
    if (differ.first == samples.begin() + known) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sample " << (differ.first - samples.begin()) << " is "
                                         << *differ.first << ", the microphone's " << *differ.second;
  }

  std::vector<int16_t> microphone;
  FileSoundCard card;
  TempDir dir;
  RecordingControls controls;
  RecordingMessages messages;
};

TEST_F(OperationsOnFileCard, AStoppedRecordingIsACompleteWavOfWhatTheMicrophoneHeard) {
  Operations operations(controls, messages);
  const std::string path = dir.Path("take.wav");
  ASSERT_TRUE(operations.StartRecording(path, 16000));
  ASSERT_TRUE(WaitForRecordedBytes(path));
  operations.StopAllOperations();
  operations.WaitForWorkers();
  EXPECT_FALSE(operations.flags.Any());
  const std::vector<int16_t> recorded = CompleteWavSamples(path);
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(recorded.size() % 64, 0u);
  EXPECT_TRUE(IsMicrophoneFromStart(recorded));
  EXPECT_EQ(operations.input.Mode(), kSoundModeClosed);
  const std::vector<std::string> calls = controls.Calls();
  EXPECT_EQ(calls, (std::vector<std::string>{"recording started with level", "recording done"}));
  EXPECT_GT(controls.Levels(), 0);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(OperationsOnFileCard, AStopAtAnyMomentWritesOnlyWhatTheMicrophoneDelivered) {
  // Stops land before the first block, in the middle of a read and between
  // reads; none may repeat a block or report a failure.
  for (int take = 0; take < 12; ++take) {
    Operations operations(controls, messages);
    const std::string path = dir.Path("take" + std::to_string(take) + ".wav");
    ASSERT_TRUE(operations.StartRecording(path, 16000));
    std::this_thread::sleep_for(std::chrono::milliseconds(take * 3));
    operations.StopAllOperations();
    operations.WaitForWorkers();
    // A stop before the first block leaves no file at all.
    if (!std::filesystem::exists(path)) continue;
    const std::vector<int16_t> recorded = CompleteWavSamples(path);
    EXPECT_EQ(recorded.size() % 64, 0u) << "take " << take;
    EXPECT_TRUE(IsMicrophoneFromStart(recorded)) << "take " << take;
  }
  EXPECT_TRUE(messages.Shown().empty());
  // Whether a take began or not, nothing but the takes is left behind.
  for (const auto& entry : std::filesystem::directory_iterator(dir.Root())) {
    EXPECT_EQ(entry.path().filename().string().rfind("take", 0), 0u) << entry.path();
  }
}

TEST_F(OperationsOnFileCard, ARecordingWithASampleLimitEndsByItselfHoldingExactlyThat) {
  Operations operations(controls, messages);
  const std::string path = dir.Path("limited.wav");
  ASSERT_TRUE(operations.StartRecording(path, 16000, 1000));
  ASSERT_TRUE(WaitIdle(operations));
  operations.WaitForWorkers();
  EXPECT_EQ(CompleteWavSamples(path), std::vector<int16_t>(microphone.begin(), microphone.begin() + 1000));
  EXPECT_EQ(operations.input.Mode(), kSoundModeClosed);
  EXPECT_EQ(controls.Calls().back(), "recording done");
  EXPECT_TRUE(messages.Shown().empty());
}

// Runs in a child process: the file size limit makes the kernel refuse the
// recording's growth beyond 10000 bytes, as a disk that fills up would.
[[noreturn]] void RecordUntilTheDiskIsFull(const std::string& path) {
  signal(SIGXFSZ, SIG_IGN);
  constexpr rlim_t kFileLimitBytes = 10000;
  const rlimit limit = {kFileLimitBytes, kFileLimitBytes};
  setrlimit(RLIMIT_FSIZE, &limit);
  RecordingControls controls;
  RecordingMessages messages;
  Operations operations(controls, messages);
  ASSERT_TRUE(operations.StartRecording(path, 16000));
  const bool endedByItself = WaitIdle(operations);
  operations.WaitForWorkers();
  const bool told = messages.Shown() == std::vector<std::string>{"Cannot write output file!"};
  std::exit(endedByItself && told ? 0 : 1);
}

TEST_F(OperationsOnFileCard, ARecordingThatFillsTheDiskEndsAndSaysSo) {
  EXPECT_EXIT(RecordUntilTheDiskIsFull(dir.Path("full.wav")), ::testing::ExitedWithCode(0), "");
}

// Controls that take a while to take in an end, as a busy window would: a
// stopped worker is then still on its way out when the next start comes.
class SlowToHideControls : public RecordingControls {
 public:
  void OperationEnded(int32_t operation, OperationResult result) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    RecordingControls::OperationEnded(operation, result);
  }
};

TEST_F(OperationsOnFileCard, AnOperationStartedWhileTheStoppedOneWindsUpRunsUntilItsOwnStop) {
  SlowToHideControls slow;
  Operations operations(slow, messages);
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 16000, 16, Ramp(32000)));
  ASSERT_TRUE(operations.StartRecording(dir.Path("first.wav"), 16000));
  ASSERT_TRUE(WaitForRecordedBytes(dir.Path("first.wav")));
  operations.StopAllOperations();
  const std::string path = dir.Path("second.wav");
  ASSERT_TRUE(operations.StartRecording(path, 16000));
  ASSERT_TRUE(WaitForRecordedBytes(path));
  EXPECT_TRUE(operations.flags.isRecording.load());
  operations.StopAllOperations();
  ASSERT_TRUE(operations.StartPlay(wav, kOperationPlayInput));
  EXPECT_TRUE(operations.flags.isPlaying.load());
  ASSERT_TRUE(WaitIdle(operations));
  operations.WaitForWorkers();
  const std::vector<int16_t> recorded = CompleteWavSamples(path);
  ASSERT_FALSE(recorded.empty());
  EXPECT_TRUE(IsMicrophoneFromStart(recorded));
  EXPECT_EQ(card.Played(), LittleEndianBytes(Ramp(32000)));
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(OperationsOnFileCard, ClosingDuringARecordingCompletesTheFile) {
  const std::string path = dir.Path("closed.wav");
  {
    Operations operations(controls, messages);
    ASSERT_TRUE(operations.StartRecording(path, 8000));
    ASSERT_TRUE(WaitForRecordedBytes(path));
  }
  const std::vector<uint8_t> bytes = ReadBytes(path);
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(ReadLittle32(bytes, 24), 8000u);
  CompleteWavSamples(path);
}

TEST_F(OperationsOnFileCard, ASecondStartIsRefusedEvenBeforeTheFirstWorkerRuns) {
  Operations operations(controls, messages);
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 16000, 16, Ramp(16000)));
  ASSERT_TRUE(operations.StartRecording(dir.Path("a.wav"), 16000));
  EXPECT_FALSE(operations.StartRecording(dir.Path("b.wav"), 16000));
  EXPECT_FALSE(operations.StartPlay(wav, kOperationPlayInput));
  VoiceParameters record;
  EXPECT_FALSE(operations.StartModification(record, 1));
  EXPECT_TRUE(operations.flags.isRecording.load());
  EXPECT_FALSE(operations.flags.isPlaying.load() || operations.flags.isModifying.load());
  ASSERT_TRUE(WaitForRecordedBytes(dir.Path("a.wav")));
  operations.StopAllOperations();
  operations.WaitForWorkers();
  EXPECT_FALSE(ReadBytes(dir.Path("a.wav")).empty());
  EXPECT_TRUE(ReadBytes(dir.Path("b.wav")).empty());
}

TEST_F(OperationsOnFileCard, ARecordingFileThatCannotBeCreatedIsReported) {
  Operations operations(controls, messages);
  ASSERT_TRUE(operations.StartRecording(dir.Path("no/such/folder/take.wav"), 16000));
  operations.WaitForWorkers();
  EXPECT_FALSE(operations.flags.Any());
  EXPECT_EQ(messages.Shown(), std::vector<std::string>{"Cannot create recording file!"});
  EXPECT_EQ(controls.Calls().back(), "recording failed");
  EXPECT_EQ(operations.input.Mode(), kSoundModeClosed);
}

TEST_F(OperationsOnFileCard, PlaybackPlaysTheFileAndEndsByItself) {
  Operations operations(controls, messages);
  const std::vector<int16_t> samples = Ramp(16000 / 50 * 12 + 100);
  const std::string wav = dir.Write("in.wav", MakeWav(kWavPcm, 1, 16000, 16, samples));
  EXPECT_FALSE(operations.StartPlay(dir.Path("missing.wav"), kOperationPlayOutput));
  EXPECT_FALSE(operations.StartPlay("", kOperationPlayOutput));
  ASSERT_TRUE(operations.StartPlay(wav, kOperationPlayOutput));
  EXPECT_EQ(operations.activeOperation.load(), kOperationPlayOutput);
  ASSERT_TRUE(WaitIdle(operations));
  operations.WaitForWorkers();
  EXPECT_EQ(card.Played(), LittleEndianBytes(samples));
  EXPECT_EQ(controls.Calls(),
            (std::vector<std::string>{"playing the output started with level", "playing the output done"}));
  EXPECT_EQ(operations.output.IsOpen(), 0);
}

TEST_F(OperationsOnFileCard, AFileModificationEndsByItselfAtTheEndOfItsInput) {
  Operations operations(controls, messages);
  const std::vector<int16_t> voice = Vowel(120.0, 16000, 16000);
  dir.Write("voice.wav", MakeWav(kWavPcm, 1, 16000, 16, voice));
  VoiceParameters record;
  ASSERT_EQ(PreviewPreset(record, 1, 4), 1);
  record.workingFolder = dir.Root();
  record.inputFileName = "voice.wav";
  record.outputFileName = "out.wav";
  record.realTimeMode = 0;
  record.meterDisplay = 0;
  ASSERT_TRUE(operations.StartModification(record, 1));
  EXPECT_EQ(operations.activeOperation.load(), kOperationModification);
  ASSERT_TRUE(WaitIdle(operations));
  operations.WaitForWorkers();
  const std::vector<int16_t> out = CompleteWavSamples(dir.Path("out.wav"));
  EXPECT_GT(out.size(), voice.size() / 2);
  EXPECT_EQ(controls.Calls(),
            (std::vector<std::string>{"modification started with progress", "modification done"}));
  EXPECT_GT(controls.ProgressUpdates(), 0);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(OperationsOnFileCard, ARealTimeRunGoesFromTheMicrophoneToTheSpeakerInWholeBlocks) {
  Operations operations(controls, messages);
  VoiceParameters record;
  ASSERT_EQ(PreviewPreset(record, 1, 4), 1);
  record.samplingRate = 16000;
  record.inputFileName = "sb";
  record.outputFileName = "sb";
  record.realTimeMode = 1;
  record.meterDisplay = 1;
  ASSERT_TRUE(operations.StartModification(record, 1));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!card.PlayedAnything() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  operations.StopAllOperations();
  operations.WaitForWorkers();
  EXPECT_FALSE(operations.flags.Any());
  const std::vector<uint8_t> played = card.Played();
  EXPECT_FALSE(played.empty());
  EXPECT_EQ(played.size() % (319 * 2), 0u);  // 20 ms blocks at 16000 Hz
  EXPECT_EQ(controls.Calls(),
            (std::vector<std::string>{"modification started with level", "modification done"}));
  EXPECT_GT(controls.Levels(), 0);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST(OperationsWithoutSoundCard, RecordingAndRealTimeRunsTellTheUserAndEnd) {
  NoSoundCard none;
  TempDir dir;
  RecordingControls controls;
  RecordingMessages messages;
  Operations operations(controls, messages);
  ASSERT_TRUE(operations.StartRecording(dir.Path("take.wav"), 16000));
  operations.WaitForWorkers();
  EXPECT_FALSE(operations.flags.Any());

  VoiceParameters record;
  record.samplingRate = 16000;
  record.inputFileName = "sb";
  record.outputFileName = "sb";
  record.realTimeMode = 1;
  ASSERT_TRUE(operations.StartModification(record, 1));
  operations.WaitForWorkers();
  EXPECT_FALSE(operations.flags.Any());
  EXPECT_EQ(messages.Shown(),
            (std::vector<std::string>{"Cannot open microphone!", "Cannot open microphone!"}));
  EXPECT_EQ(controls.Calls(),
            (std::vector<std::string>{"recording started with level", "recording failed",
                                      "modification started with level", "modification failed"}));
}

}  // namespace
}  // namespace plimo::test
