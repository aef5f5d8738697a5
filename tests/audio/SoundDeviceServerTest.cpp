// The audio source and sink on a private PulseAudio server: real-time
// pacing, the queue limit, stopping playback, and the microphone.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "audio/SoundRead.h"
#include "audio/SoundWrite.h"
#include "support/SchedulingProbe.h"
#include "support/Signals.h"
#include "support/SoundMeasures.h"
#include "support/SoundServer.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 16000;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<int16_t> ToneSamples(double hz, int ms) {
  const std::vector<float> tone = Tone(hz, 12000.0, kRate, ms * kRate / 1000);
  return std::vector<int16_t>(tone.begin(), tone.end());
}

// Counts the blocks PlayFile has put in its queue.
class BlockCounter : public PlaybackLevelListener {
 public:
  void OnPlaybackLevel(double /*level*/) override { blocks.fetch_add(1); }
  std::atomic<int> blocks{0};
};

class SoundOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SoundServer::Get().Running()) GTEST_SKIP() << SoundServer::Get().Failure();
    use = std::make_unique<UsingSoundServer>();
  }
  std::unique_ptr<UsingSoundServer> use;
};

TEST_F(SoundOnServer, WritesArePacedByTheQueueAndFlushWaitsUntilAllIsHeard) {
  constexpr int kToneMs = 1000;
  const std::vector<int16_t> tone = ToneSamples(440.0, kToneMs);
  auto recorder = SoundServer::Get().RecordFrom("speaker.monitor", kRate, "paced");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  SoundWrite sink;
  sink.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  const Clock::time_point start = Clock::now();
  constexpr int kBlock = 319;
  for (size_t at = 0; at < tone.size(); at += kBlock) {
    const int n = static_cast<int>(std::min<size_t>(kBlock, tone.size() - at));
    ASSERT_EQ(sink.Write(tone.data() + at, n), SoundResult::kSoundOk);
  }
  // At most 300 ms (and one block) were still queued when the writes ended.
  EXPECT_GE(MsSince(start), kToneMs - 300 - 20 - 100);
  ASSERT_EQ(sink.Flush(), SoundResult::kSoundDone);
  EXPECT_GE(MsSince(start), kToneMs * 0.9);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  recorder->Stop();
  EXPECT_NEAR(LoudMs(SoundServer::Get().Recorded("paced"), kRate), kToneMs, 60);
}

TEST_F(SoundOnServer, APlayingQueueTakesShortBuffersAtOnceUntilItIsFull) {
  SoundWrite sink;
  sink.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  constexpr int64_t kBytesPerMs = kRate / 1000 * 2;
  // 260 ms: past the pre-roll, so the device starts playing it.
  const std::vector<uint8_t> first(260 * kBytesPerMs, 0);
  ASSERT_EQ(sink.WriteBytes(first.data(), static_cast<int64_t>(first.size())),
            static_cast<int64_t>(first.size()));
  ASSERT_TRUE(sink.Buffers().Back().Sent());
  // With a buffer playing, 20 ms (more than the 160 bytes of 5 ms) go to
  // the device at once.
  const std::vector<uint8_t> block(20 * kBytesPerMs, 0);
  ASSERT_EQ(sink.WriteBytes(block.data(), static_cast<int64_t>(block.size())),
            static_cast<int64_t>(block.size()));
  EXPECT_EQ(sink.Buffers().Size(), 2u);
  EXPECT_TRUE(sink.Buffers().Back().Sent());
  // Blocks are taken while no more than 300 ms are queued, then refused.
  int64_t taken = 0;
  while ((taken = sink.WriteBytes(block.data(), static_cast<int64_t>(block.size()))) > 0) {
  }
  EXPECT_EQ(taken, 0);
  const int64_t queuedMs = sink.QueuedBytes() / kBytesPerMs;
  EXPECT_GT(queuedMs, 300);
  EXPECT_LE(queuedMs, 320);
  EXPECT_EQ(sink.Shutdown(), SoundResult::kSoundDone);
}

TEST_F(SoundOnServer, ALowDelaySpeakerStartsOnItsCushionAndShedsABacklogAtOnce) {
  SoundWrite sink;
  sink.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5, true), SoundResult::kSoundOk);
  const std::vector<int16_t> tone = ToneSamples(440.0, 2);
  // Nothing plays until the cushion is together.
  const int cushionWrites = kLowCushionMs / 2;
  for (int i = 0; i < cushionWrites - 1; ++i) {
    ASSERT_EQ(sink.Write(tone.data(), static_cast<int>(tone.size())), SoundResult::kSoundOk);
  }
  EXPECT_FALSE(sink.Playing());
  ASSERT_EQ(sink.Write(tone.data(), static_cast<int>(tone.size())), SoundResult::kSoundOk);
  EXPECT_TRUE(sink.Playing());
  // 200 ms at once, as a run that was held up hands them out: the writes
  // never wait, and what is held stays within the cushion and the backlog
  // allowed beyond it, the sound server's own latency apart.
  const std::vector<int16_t> backlog = ToneSamples(440.0, 200);
  const Clock::time_point start = Clock::now();
  for (size_t at = 0; at < backlog.size(); at += 64) {
    ASSERT_EQ(sink.Write(backlog.data() + at, 64), SoundResult::kSoundOk);
  }
  // Half a second in one write likewise.
  const std::vector<int16_t> longer = ToneSamples(440.0, 500);
  ASSERT_EQ(sink.Write(longer.data(), static_cast<int>(longer.size())), SoundResult::kSoundOk);
  EXPECT_LT(MsSince(start), 100.0);
  EXPECT_GT(sink.ShedFrames(), 500 * kRate / 1000);
  EXPECT_LT(sink.HeldFrames() * 1000 / kRate, kLowCushionMs + kLowBacklogMs + 60);
  EXPECT_EQ(sink.Close(), SoundResult::kSoundDone);
}

TEST_F(SoundOnServer, StoppingPlayFileDiscardsTheQueueWithinABlock) {
  TempDir dir;
  const std::string wav = dir.Write("long.wav", MakeWav(kWavPcm, 1, kRate, 16, ToneSamples(440.0, 3000)));
  auto recorder = SoundServer::Get().RecordFrom("speaker.monitor", kRate, "stopped");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  SoundWrite sink;
  PlayResult result = PlayResult::kPlayDeviceFailed;
  BlockCounter queued;
  std::thread player([&] { result = sink.PlayFile(wav, false, &queued); });
  // Under way by its own count, however long the device took to open: a
  // second of blocks taken, so all but the queue's 300 ms and the device's
  // ring have been played.
  constexpr int kBlockMs = 20;
  constexpr int kBlocksBeforeStop = 1000 / kBlockMs;
  const Clock::time_point begun = Clock::now();
  while (queued.blocks.load() < kBlocksBeforeStop && MsSince(begun) < 10000.0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  const SchedulingProbe probe;
  const Clock::time_point stop = Clock::now();
  sink.RequestStop();
  const double stopMs = MsSince(stop);
  player.join();
  EXPECT_EQ(result, PlayResult::kPlayFilePlayed);
  EXPECT_EQ(sink.IsOpen(), 0);
  // The current block with its wait for room, and the device reset, which
  // waits for the sound server: on a busy machine that answers late, and
  // the close gives up on it after its time limit.
  if (probe.KeptTime()) {
    EXPECT_LT(stopMs, 100.0);
  } else {
    std::printf("stop: took %.0f ms, threads waited %.0f ms, %.1f runnable\n", stopMs,
                probe.WorstLatenessMs(), probe.AverageRunnable());
    EXPECT_LT(stopMs, static_cast<double>(kDeviceStallLimit.count()));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  recorder->Stop();
  // Heard: what had left the queue before the stop, nothing queued after.
  // A queue played out would be heard to the last block taken (a stop may
  // still let one in); one cut off loses its 300 ms, of which half may
  // have drained while a busy machine kept the player waiting.
  constexpr int kDiscardedAtLeastMs = 150;
  const int taken = (queued.blocks.load() + 1) * kBlockMs;
  const int loud = LoudMs(SoundServer::Get().Recorded("stopped"), kRate);
  EXPECT_GE(loud, 300) << taken << " ms taken";
  EXPECT_LE(loud, taken - kDiscardedAtLeastMs) << taken << " ms taken";
}

TEST_F(SoundOnServer, TheMicrophoneDeliversWhatItHearsInRealTime) {
  auto player = SoundServer::Get().PlayInto("micfeed", ToneSamples(1000.0, 2500), kRate, "tone");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  SoundRead source;
  source.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> all;
  std::vector<int16_t> block(64);
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kRate / 64; ++i) {  // one second
    ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
    all.insert(all.end(), block.begin(), block.end());
  }
  const double elapsed = MsSince(start);
  EXPECT_GE(elapsed, 800.0);
  EXPECT_LE(elapsed, 2000.0);
  EXPECT_NEAR(MedianToneHz(std::vector<int16_t>(all.begin() + kRate / 2, all.end()), kRate), 1000.0, 60.0);
  EXPECT_EQ(source.Close(), SoundResult::kSoundDone);
}

TEST_F(SoundOnServer, AReaderThatFellBehindIsNeverMoreThanItsQueueBehind) {
  auto player = SoundServer::Get().PlayInto("micfeed", ToneSamples(1000.0, 3000), kRate, "behind");
  SoundRead source;
  source.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(source.OpenDevice(128, 3), SoundResult::kSoundOk);
  std::vector<int16_t> block(64);
  for (int i = 0; i < kRate / 2 / 64; ++i) ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
  // A stall longer than the 126 ms of capture buffers, shorter than the
  // device's own ring.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // What arrives without waiting is what waited for the reader.
  int backlog = 0;
  for (;;) {
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(source.Read(block.data(), 64), SoundResult::kSoundOk);
    if (MsSince(start) > 2.0) break;
    backlog += 64;
  }
  const double backlogMs = backlog * 1000.0 / kRate;
  std::printf("microphone: %.0f ms waited for a reader 300 ms late\n", backlogMs);
  EXPECT_LT(backlogMs, 200.0);
  EXPECT_EQ(source.Close(), SoundResult::kSoundDone);
}

TEST_F(SoundOnServer, ASpeakerThatTakesNothingForTwoSecondsHasFailed) {
  SoundWrite sink;
  sink.SetFormat(kRate, 16, 1, kWavPcm);
  ASSERT_EQ(sink.OpenDevice(64, 5), SoundResult::kSoundOk);
  const std::vector<int16_t> tone = ToneSamples(440.0, 20);
  for (int i = 0; i < 25; ++i) {
    ASSERT_EQ(sink.Write(tone.data(), static_cast<int>(tone.size())), SoundResult::kSoundOk);
  }
  SoundServer::Get().Pactl({"suspend-sink", "speaker", "1"});
  const Clock::time_point start = Clock::now();
  SoundResult result = SoundResult::kSoundOk;
  for (int i = 0; i < 1000 && result == SoundResult::kSoundOk; ++i) {
    result = sink.Write(tone.data(), static_cast<int>(tone.size()));
  }
  const double failedAfterMs = MsSince(start);
  SoundServer::Get().Pactl({"suspend-sink", "speaker", "0"});
  EXPECT_EQ(result, SoundResult::kSoundFailed) << "a speaker that plays nothing kept taking sound";
  EXPECT_GE(failedAfterMs, 1500.0);
  // Failed, it refuses at once, and its close returns.
  const Clock::time_point again = Clock::now();
  EXPECT_EQ(sink.Write(tone.data(), static_cast<int>(tone.size())), SoundResult::kSoundFailed);
  EXPECT_EQ(sink.Flush(), SoundResult::kSoundFailed);
  EXPECT_LT(MsSince(again), 1000.0);                   // well short of another stall limit
  EXPECT_EQ(sink.Close(), SoundResult::kSoundFailed);  // its queue can no longer be played
  EXPECT_EQ(sink.IsOpen(), 0);
}

}  // namespace
}  // namespace plimo::test
