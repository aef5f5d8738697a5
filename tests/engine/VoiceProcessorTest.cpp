// The processor on its own, fed and drained as a live driver would.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "EngineMeasures.h"
#include "engine/RunGeometry.h"
#include "engine/VoiceProcessor.h"
#include "params/VoiceParameters.h"

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
TEST(VoiceProcessorTest, StatedLatencyIsTheMeasuredDelay) {
  for (const int fs : {8000, 16000, 44100}) {
    const VoiceParameters record;  // pitch, formant and duration 1, effects off
    VoiceProcessor processor(record, 1);
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
    RecordProperty("latency_" + std::to_string(fs), std::to_string(stated));
    EXPECT_NEAR(measured, stated, 3) << fs << " Hz";
  }
}

}  // namespace
}  // namespace plimo::test
