// The processor on its own, fed and drained as a live driver would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "EngineMeasures.h"
#include "engine/RunGeometry.h"
#include "engine/VoiceProcessor.h"
#include "params/VoiceParameters.h"
#include "support/Signals.h"

namespace plimo::test {
namespace {

// Keeps every sample handed out with the input count that had been fed
// when it was.
class TimedSink : public BlockSink {
 public:
  void TakeBlock(int16_t* block, int length) override {
    samples.insert(samples.end(), block, block + length);
    fedAt.insert(fedAt.end(), static_cast<size_t>(length), fed);
  }
  int64_t fed = 0;
  std::vector<int16_t> samples;
  std::vector<int64_t> fedAt;
};

// A click through neutral settings, played as a listener would hear it:
// output starts as late as it must so that every sample is there when its
// turn comes. The click's delay, found by cross-correlation, is the
// latency the processor states.
// Standard and low latency, and low latency with a block effect on.
TEST(VoiceProcessorTest, StatedLatencyIsTheMeasuredDelay) {
  struct Case {
    bool low;
    bool reverb;
  };
  for (const Case run : {Case{false, false}, Case{true, false}, Case{true, true}})
    for (const int fs : {8000, 16000, 44100}) {
      VoiceParameters record;  // pitch, formant and duration 1, effects off
      record.reverbOn = run.reverb ? 1 : 0;
      record.reverbLevel = 0.0f;  // the comb units' own echo would blur the click
      VoiceProcessor processor(record, 1);
      processor.SetLowLatency(run.low);
      ASSERT_EQ(processor.Configure(fs, kAnalysisFrameSeconds, kFirstHopSeconds), 1) << fs;
      ASSERT_EQ(processor.Prepare(false), 1) << fs;

      std::vector<int16_t> input(static_cast<size_t>(fs * 3 / 2), 0);  // 1.5 s
      const size_t click = static_cast<size_t>(fs / 2);
      input[click] = 20000;
      TimedSink sink;
      for (size_t at = 0; at < input.size();) {
        const int count = processor.SamplesWanted();
        if (at + static_cast<size_t>(count) > input.size()) break;
        sink.fed += count;
        static_cast<void>(processor.ProcessFrame(input.data() + at, count, sink));
        at += static_cast<size_t>(count);
      }
      ASSERT_GT(sink.samples.size(), click + static_cast<size_t>(fs / 10)) << fs;

      int64_t start = 0;  // when the listener's output begins, in input samples
      for (size_t j = 0; j < sink.samples.size(); ++j) {
        start = std::max(start, sink.fedAt[j] - static_cast<int64_t>(j));
      }
      std::vector<int16_t> heard(static_cast<size_t>(start), 0);
      heard.insert(heard.end(), sink.samples.begin(), sink.samples.end());
      const int measured = BestLag(input, heard, click - 1, click + 1, fs / 10);

      const int stated = processor.LatencySamples();
      const std::string name = std::string(run.low ? "low_" : "standard_") + (run.reverb ? "reverb_" : "");
      RecordProperty("latency_" + name + std::to_string(fs), std::to_string(stated));
      EXPECT_NEAR(measured, stated, 3) << fs << " Hz, " << name;
    }
}

// At low latency the samples leave sooner, in smaller pieces, but they are
// the ones a file run makes: the voice raised with the dynamics effects on,
// or with a reverb (which keeps to whole blocks), and with a duration the
// live run does not follow.
TEST(VoiceProcessorTest, LowLatencyHandsOutTheFileRunsSamples) {
  const int fs = 16000;
  const std::vector<int16_t> input = Vowel(120.0, fs, 2 * fs);
  auto render = [&](bool low, float duration, int reverb) {
    VoiceParameters record;
    record.pitchFactor = 1.8f;
    record.vocalTractFactor = 1.2f;
    record.durationFactor = duration;
    record.compressorOn = 1;
    record.limiterOn = 1;
    record.reverbOn = reverb;
    VoiceProcessor processor(record, 7);
    processor.SetLowLatency(low);
    static_cast<void>(processor.Configure(fs, kAnalysisFrameSeconds, kFirstHopSeconds));
    static_cast<void>(processor.Prepare(false));
    TimedSink sink;
    for (size_t at = 0; at + static_cast<size_t>(processor.SamplesWanted()) <= input.size();) {
      const int count = processor.SamplesWanted();
      static_cast<void>(processor.ProcessFrame(input.data() + at, count, sink));
      at += static_cast<size_t>(count);
    }
    processor.Drain(sink);
    return sink.samples;
  };
  for (const int reverb : {0, 1}) {
    const std::vector<int16_t> file = render(false, 1.0f, reverb);
    ASSERT_GT(file.size(), static_cast<size_t>(fs));
    for (const float duration : {1.0f, 1.5f}) {
      std::vector<int16_t> low = render(true, duration, reverb);
      // Without a block effect the last, partly filled block leaves too.
      ASSERT_GE(low.size(), file.size());
      EXPECT_LT(low.size(), file.size() + static_cast<size_t>(BlockLengthFor(fs)));
      low.resize(file.size());
      EXPECT_EQ(low, file) << "reverb " << reverb << ", duration " << duration;
    }
  }
}

}  // namespace
}  // namespace plimo::test
