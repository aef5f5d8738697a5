// How a file run behaves as a run: formats in and out, the observer's
// reports, stopping, failures that must not pass for success, the same
// bytes from the same seed, and a frame loop that allocates nothing.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "DriverFixture.h"
#include "EngineMeasures.h"
#include "messages/MessageTable.h"
#include "support/AllocationCounter.h"

namespace plimo::test {
namespace {

constexpr int kRate = 16000;  // Hz

// Everything a run reports, kept without allocating in the frame loop.
class Recorder : public RunObserver {
 public:
  void OnProgress(double fraction, const char* text) override {
    if (fraction < lastFraction) progressWentBack = true;
    lastFraction = fraction;
    ++progressCount;
    std::snprintf(lastText, sizeof lastText, "%s", text);
    // The run formats its text only when it changes; it must never lag.
    char expected[64];
    std::snprintf(expected, sizeof expected, "Process: %% %3.1f", fraction * 100.0);
    if (std::strcmp(text, expected) != 0) ++staleTexts;
  }
  void OnFrameAnalysed(int64_t frame, int64_t, float f0) override {
    if (frame == allocationsFromFrame) allocationsAtFirstFrame = AllocationCount();
    allocationsAtLastFrame = AllocationCount();
    frames = frame + 1;
    if (f0 > 0.0f) ++voiced;
    if (frame == stopAtFrame && stop != nullptr) stop->store(false);
  }
  void OnRunFailure(const MessagePair& message) override { failure = &message; }
  void OnRunEnd() override { ++ends; }

  double lastFraction = 0.0;
  bool progressWentBack = false;
  int progressCount = 0;
  int staleTexts = 0;
  char lastText[64] = {};
  // A file run makes an inverse transform when it first meets its length;
  // a steady voice has met all of its lengths well before this frame.
  int64_t allocationsFromFrame = 1;
  long allocationsAtFirstFrame = -1;
  long allocationsAtLastFrame = -1;
  int64_t frames = 0;
  int64_t voiced = 0;
  const MessagePair* failure = nullptr;
  int ends = 0;
  int64_t stopAtFrame = -1;
  std::atomic<bool>* stop = nullptr;
};

class DriverRunTest : public DriverTest {
 protected:
  std::string VowelFile(const std::string& name, double seconds = 1.0) {
    return WriteMono(name, WithLeadIn(Vowel(125.0, kRate, static_cast<int>(seconds * kRate)), kRate), kRate);
  }
};

TEST_F(DriverRunTest, OutputKeepsTheInputsWidthChannelsAndRate) {
  const auto mono = WithLeadIn(Vowel(125.0, 22050, 22050), 22050);
  std::vector<int16_t> stereo;
  for (int16_t s : mono) stereo.insert(stereo.end(), {s, s});
  struct Case {
    const char* name;
    uint16_t tag;
    uint16_t channels;
    uint16_t bits;
    const std::vector<int16_t>* samples;
    uint16_t writtenBits;
  };
  const Case cases[] = {{"8.wav", kWavPcm, 1, 8, &mono, 8},
                        {"16.wav", kWavPcm, 1, 16, &mono, 16},
                        {"24.wav", kWavPcm, 1, 24, &mono, 24},
                        {"stereo.wav", kWavPcm, 2, 16, &stereo, 16},
                        {"mulaw.wav", kWavMuLaw, 1, 8, &mono, 8}};
  record.pitchFactor = 1.3f;
  for (const Case& c : cases) {
    const std::string in = dir.Write(c.name, MakeWav(c.tag, c.channels, 22050, c.bits, *c.samples));
    const std::string out = dir.Path(std::string("out-") + c.name);
    ASSERT_EQ(Run(in, out), RunStatus::kRunOk) << c.name;
    const std::vector<uint8_t> bytes = ReadBytes(out);
    ASSERT_GE(bytes.size(), 44u) << c.name;
    EXPECT_EQ(ReadLittle16(bytes, 20), kWavPcm) << c.name;
    EXPECT_EQ(ReadLittle16(bytes, 22), c.channels) << c.name;
    EXPECT_EQ(ReadLittle32(bytes, 24), 22050u) << c.name;
    EXPECT_EQ(ReadLittle16(bytes, 34), c.writtenBits) << c.name;
    const size_t frameBytes = static_cast<size_t>(c.channels) * c.writtenBits / 8;
    EXPECT_EQ(ReadLittle32(bytes, 40), bytes.size() - 44) << c.name;
    const size_t frames = (bytes.size() - 44) / frameBytes;
    EXPECT_EQ(frames % static_cast<size_t>(BlockLengthFor(22050)), 0u) << c.name;
    EXPECT_GT(frames, mono.size() - 22050 / 10) << c.name;
    const auto output = ReadMono(out);
    EXPECT_NEAR(MeasureF0(output, 22050, 22050 / 2, 4096), 162.5, 0.03 * 162.5) << c.name;
    if (c.channels == 2) {
      for (size_t i = 44; i + 3 < bytes.size(); i += 4) {
        ASSERT_EQ(ReadLittle16(bytes, i), ReadLittle16(bytes, i + 2)) << "frame " << (i - 44) / 4;
      }
    }
  }
}

TEST_F(DriverRunTest, SameSeedSameBytesOtherSeedOtherBytes) {
  const std::string in = VowelFile("in.wav");
  record.whisperOn = 1;
  record.whisperLevel = 0.6f;
  record.chorusOn = 1;
  ASSERT_EQ(Run(in, dir.Path("a.wav"), nullptr, 42), RunStatus::kRunOk);
  ASSERT_EQ(Run(in, dir.Path("b.wav"), nullptr, 42), RunStatus::kRunOk);
  ASSERT_EQ(Run(in, dir.Path("c.wav"), nullptr, 43), RunStatus::kRunOk);
  EXPECT_EQ(ReadBytes(dir.Path("a.wav")), ReadBytes(dir.Path("b.wav")));
  EXPECT_NE(ReadBytes(dir.Path("a.wav")), ReadBytes(dir.Path("c.wav")));
}

TEST_F(DriverRunTest, ProgressRisesToTheEndAndIsResetOnce) {
  Recorder recorder;
  ASSERT_EQ(Run(VowelFile("in.wav"), dir.Path("out.wav"), &recorder), RunStatus::kRunOk);
  EXPECT_EQ(recorder.progressCount, recorder.frames);
  EXPECT_EQ(recorder.staleTexts, 0);
  EXPECT_FALSE(recorder.progressWentBack);
  EXPECT_GT(recorder.lastFraction, 0.9);
  EXPECT_LT(recorder.lastFraction, 1.0);
  // "%3.1f" of the percentage after the prefix.
  char expected[64];
  std::snprintf(expected, sizeof expected, "Process: %% %3.1f", recorder.lastFraction * 100.0);
  EXPECT_STREQ(recorder.lastText, expected);
  EXPECT_EQ(recorder.failure, nullptr);
  EXPECT_EQ(recorder.ends, 1);
  EXPECT_GT(recorder.voiced, recorder.frames / 2);
}

// The last read of a file is usually short; the rest of the new samples
// are silence rather than the previous read's samples again.
TEST_F(DriverRunTest, ShortLastReadIsCompletedWithSilence) {
  constexpr int kTail = 96;  // the unvoiced hop at 16000 Hz
  class TailCheck : public RunObserver {
   public:
    void OnFrameAnalysed(int64_t, int64_t position, float) override {
      tailPosition = position;
      tail.assign(modifier->History().end() - kTail, modifier->History().end());
    }
    VoiceModifier* modifier = nullptr;
    int64_t tailPosition = 0;
    std::vector<float> tail;
  };
  // Constant loud input (unvoiced to the tracker), so any sample of an
  // earlier read is far from 0; 640 + 160 hops of 96 and 50 more.
  const std::vector<int16_t> input(16050, 10000);
  TailCheck check;
  record.inputFileName = WriteMono("in.wav", input, kRate);
  record.outputFileName = dir.Path("out.wav");
  record.realTimeMode = 0;
  modifier = std::make_unique<VoiceModifier>(record, keepRunning, &check, 1);
  check.modifier = modifier.get();
  modifier->LoadParameters(record);
  ASSERT_EQ(modifier->OpenStreams(), StreamsStatus::kStreamsOpen);
  ASSERT_EQ(modifier->Prepare(modifier->SamplingRate(), kAnalysisFrameSeconds, kFirstHopSeconds), 1);
  ASSERT_EQ(modifier->Process(), RunStatus::kRunOk);
  const int64_t beyond =
      check.tailPosition + modifier->Tracker().FrameLength() - static_cast<int64_t>(input.size());
  ASSERT_EQ(beyond, 46);
  // Within the dither of +-0.5.
  for (int64_t i = kTail - beyond; i < kTail; ++i) {
    EXPECT_LE(std::fabs(check.tail[static_cast<size_t>(i)]), 0.5f) << i;
  }
  EXPECT_NEAR(check.tail[static_cast<size_t>(kTail - beyond - 1)], 10000.0f, 0.5f);
}

TEST_F(DriverRunTest, StoppedRunDrainsInWholeBlocksWithACompleteHeader) {
  Recorder recorder;
  recorder.stop = &keepRunning;
  recorder.stopAtFrame = 60;
  ASSERT_EQ(Run(VowelFile("in.wav"), dir.Path("out.wav"), &recorder), RunStatus::kRunOk);
  EXPECT_EQ(recorder.frames, 61);
  const std::vector<uint8_t> bytes = ReadBytes(dir.Path("out.wav"));
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(ReadLittle32(bytes, 40), bytes.size() - 44);
  const int64_t samples = static_cast<int64_t>(bytes.size() - 44) / 2;
  EXPECT_EQ(samples, modifier->SynthesisPosition() / BlockLengthFor(kRate) * BlockLengthFor(kRate));

  keepRunning = false;  // stopped before the first frame
  ASSERT_EQ(Run(dir.Path("in.wav"), dir.Path("none.wav")), RunStatus::kRunOk);
  EXPECT_EQ(ReadBytes(dir.Path("none.wav")).size(), 44u);
}

TEST_F(DriverRunTest, OutputThatCannotBeWrittenFailsTheRun) {
  const std::string in = VowelFile("in.wav");
  for (const std::string& out : {dir.Path("no-such-folder/out.wav"), dir.Root(), std::string("/dev/full")}) {
    Recorder recorder;
    EXPECT_EQ(Run(in, out, &recorder), RunStatus::kRunOutputFailed) << out;
    ASSERT_NE(recorder.failure, nullptr) << out;
    EXPECT_STREQ(recorder.failure->english, kMessageCannotWriteOutputFile.english);
    EXPECT_EQ(recorder.ends, 1);
  }
}

TEST_F(DriverRunTest, OutputNeverOverwritesTheInput) {
  const std::string in = VowelFile("in.wav");
  const std::vector<uint8_t> before = ReadBytes(in);
  Recorder recorder;
  // The same file under another name.
  EXPECT_EQ(Run(in, dir.Root() + "/./in.wav", &recorder), RunStatus::kRunSameInputOutput);
  ASSERT_NE(recorder.failure, nullptr);
  EXPECT_STREQ(recorder.failure->english, kMessageSameInputOutput.english);
  EXPECT_EQ(ReadBytes(in), before);
}

TEST_F(DriverRunTest, InputsTheEngineCannotRunAreReported) {
  Recorder missing;
  EXPECT_EQ(Run(dir.Path("missing.wav"), dir.Path("out.wav"), &missing), RunStatus::kRunInputUnreadable);
  ASSERT_NE(missing.failure, nullptr);
  EXPECT_STREQ(missing.failure->english, kMessageNoInputFile.english);
  EXPECT_EQ(missing.ends, 1);

  Recorder tooFast;
  const std::vector<int16_t> samples(19200, 0);
  EXPECT_EQ(Run(WriteMono("fast.wav", samples, 192000), dir.Path("out.wav"), &tooFast),
            RunStatus::kRunNotPrepared);
  ASSERT_NE(tooFast.failure, nullptr);
  EXPECT_STREQ(tooFast.failure->english, kMessageCannotProcessInputFile.english);
}

TEST_F(DriverRunTest, EmptyInputGivesAnEmptyOutput) {
  Recorder recorder;
  EXPECT_EQ(Run(WriteMono("empty.wav", {}, kRate), dir.Path("out.wav"), &recorder), RunStatus::kRunOk);
  EXPECT_EQ(recorder.frames, 0);
  EXPECT_EQ(ReadBytes(dir.Path("out.wav")).size(), 44u);
}

// The record's rate may lag behind the file chosen; the run takes the
// file's rate for everything.
TEST_F(DriverRunTest, FileRunUsesTheFilesRateThroughout) {
  const std::string in = VowelFile("in.wav");
  record.workingFolder.clear();
  record.inputFileName = in;
  record.outputFileName = dir.Path("out.wav");
  record.realTimeMode = 0;
  record.samplingRate = 8000;
  record.pitchFactor = 1.5f;
  VoiceModifier run(record, keepRunning, nullptr, 1);
  run.LoadParameters(record);
  ASSERT_EQ(run.Prepare(8000, kAnalysisFrameSeconds, kFirstHopSeconds), 1);  // the record's rate
  ASSERT_EQ(run.OpenStreams(), StreamsStatus::kStreamsOpen);
  ASSERT_EQ(run.Process(), RunStatus::kRunOk);
  EXPECT_EQ(run.SamplingRate(), kRate);
  EXPECT_EQ(run.Tracker().SamplingRate(), kRate);
  EXPECT_EQ(run.FftSize(), 1024);
  EXPECT_EQ(run.LpcOrder(), 18);
  EXPECT_NEAR(MeasureF0(ReadMono(dir.Path("out.wav")), kRate, kRate / 2, 2048), 187.5, 0.03 * 187.5);
}

TEST_F(DriverRunTest, FrameLoopAllocatesNothing) {
  record.whisperOn = 1;
  record.reverbOn = 1;
  record.chorusOn = 1;
  record.compressorOn = 1;
  record.expanderOn = 1;
  record.limiterOn = 1;
  record.gaterOn = 1;
  record.equaliser.SetGain(3, 9.0f);
  record.pitchFactor = 1.7f;
  record.vocalTractFactor = 1.3f;
  Recorder recorder;
  recorder.allocationsFromFrame = 50;
  ASSERT_EQ(Run(VowelFile("in.wav", 2.0), dir.Path("out.wav"), &recorder), RunStatus::kRunOk);
  ASSERT_GT(recorder.frames, 150);
  EXPECT_EQ(recorder.allocationsAtLastFrame, recorder.allocationsAtFirstFrame);
}

}  // namespace
}  // namespace plimo::test
