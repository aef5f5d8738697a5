// The wave devices against a private PulseAudio server: real time.

#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>

#include "platform/WaveInDevice.h"
#include "platform/RealTimeScheduling.h"
#include "platform/WaveOutDevice.h"
#include "support/Signals.h"
#include "support/SoundMeasures.h"
#include "support/SoundServer.h"
#include "support/WaveBuffers.h"

namespace plimo {
namespace {

using Clock = std::chrono::steady_clock;
using test::SoundServer;
using test::WaveBufferSet;

constexpr int kRate = 16000;
constexpr PcmFormat kMono16k{1, 1, kRate, 16};
constexpr int kSamplesPerMs = kRate / 1000;

class WaveDeviceOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SoundServer::Get().Running()) GTEST_SKIP() << SoundServer::Get().Failure();
    use = std::make_unique<test::UsingSoundServer>();
  }
  std::unique_ptr<test::UsingSoundServer> use;
};

std::vector<int16_t> ToneSamples(double hz, int ms) {
  const std::vector<float> tone = test::Tone(hz, 12000.0, kRate, ms * kSamplesPerMs);
  return std::vector<int16_t>(tone.begin(), tone.end());
}

int LoudMs(const std::vector<int16_t>& samples) { return test::LoudMs(samples, kRate); }
double ToneHz(const std::vector<int16_t>& samples) { return test::MedianToneHz(samples, kRate); }

TEST_F(WaveDeviceOnServer, PlaybackGivesBuffersBackAsTheyAreHeard) {
  constexpr int kBufferMs = 20;
  constexpr int kToneMs = 600;
  const std::vector<uint8_t> tone = test::LittleEndianBytes(ToneSamples(440.0, kToneMs));
  auto recorder = SoundServer::Get().RecordFrom("speaker.monitor", kRate, "played");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  const size_t count = kToneMs / kBufferMs;
  const size_t bytes = kBufferMs * kSamplesPerMs * 2;
  WaveBufferSet buffers(count, 0);
  WaveOutDevice device;
  ASSERT_EQ(device.Open(kMono16k, 64), DeviceResult::kDeviceOk);
  const Clock::time_point start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    buffers.Fill(i, std::vector<uint8_t>(tone.begin() + i * bytes, tone.begin() + (i + 1) * bytes));
    ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.Write(&buffers[i]), DeviceResult::kDeviceOk);
  }
  // Handed over at once, but not heard yet: most are still out.
  size_t doneEarly = 0;
  for (size_t i = 0; i < count; ++i) doneEarly += buffers[i].done.load();
  EXPECT_LT(doneEarly, count / 2);
  buffers.WaitAllDone(device);
  const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  EXPECT_FALSE(device.HasFailed());
  EXPECT_GE(elapsedMs, kToneMs * 0.8);
  EXPECT_LE(elapsedMs, kToneMs + 1000.0);
  EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);

  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  recorder->Stop();
  const std::vector<int16_t> heard = SoundServer::Get().Recorded("played");
  EXPECT_NEAR(LoudMs(heard), kToneMs, 100);
}

// The scheduling policies of this process's threads called name.
std::vector<int> PoliciesOfThreads(const std::string& name) {
  std::vector<int> policies;
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return policies;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    std::string comm;
    std::getline(std::ifstream(std::string("/proc/self/task/") + entry->d_name + "/comm"), comm);
    if (comm == name) policies.push_back(sched_getscheduler(std::stoi(entry->d_name)));
  }
  closedir(tasks);
  return policies;
}

// Every buffer passes through the server client's event thread, which
// must not wait behind ordinary programs when the device's own thread
// does not.
TEST_F(WaveDeviceOnServer, TheServerClientsThreadRunsInRealTimeWhereAllowed) {
  const bool allowed = RealTimeScope(kDeviceThreadPriority).Granted();
  WaveOutDevice device;
  ASSERT_EQ(device.Open(kMono16k, 4), DeviceResult::kDeviceOk);
  const std::vector<int> policies = PoliciesOfThreads("threaded-ml");
  EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);
  ASSERT_FALSE(policies.empty());
  for (const int policy : policies) EXPECT_EQ(policy, allowed ? SCHED_FIFO : SCHED_OTHER);
}

TEST_F(WaveDeviceOnServer, PlaybackResetFallsSilentAtOnce) {
  constexpr int kToneMs = 2000;
  const std::vector<uint8_t> tone = test::LittleEndianBytes(ToneSamples(440.0, kToneMs));
  auto recorder = SoundServer::Get().RecordFrom("speaker.monitor", kRate, "reset");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  WaveBufferSet buffers(1, 0);
  WaveOutDevice device;
  ASSERT_EQ(device.Open(kMono16k, 8), DeviceResult::kDeviceOk);
  buffers.Fill(0, tone);
  ASSERT_EQ(device.PrepareBuffer(&buffers[0]), DeviceResult::kDeviceOk);
  ASSERT_EQ(device.Write(&buffers[0]), DeviceResult::kDeviceOk);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(buffers[0].done.load());
  ASSERT_EQ(device.Reset(), DeviceResult::kDeviceOk);
  EXPECT_TRUE(buffers[0].done.load());
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  recorder->Stop();
  EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);
  const int loud = LoudMs(SoundServer::Get().Recorded("reset"));
  EXPECT_GE(loud, 150);
  EXPECT_LE(loud, 600);
}

TEST_F(WaveDeviceOnServer, CaptureRecordsWhatTheMicrophoneHearsInRealTime) {
  constexpr int kCaptureMs = 600;
  auto player = SoundServer::Get().PlayInto("micfeed", ToneSamples(1000.0, 2000), kRate, "mic");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  constexpr uint32_t kBufferBytes = 3 * kSamplesPerMs * 2;
  const size_t count = kCaptureMs / 3;
  WaveBufferSet buffers(count, kBufferBytes);
  WaveInDevice device;
  ASSERT_EQ(device.Open(kMono16k, 256), DeviceResult::kDeviceOk);
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.AddBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  }
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(device.Start(), DeviceResult::kDeviceOk);
  buffers.WaitAllDone(device);
  const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  EXPECT_FALSE(device.HasFailed());
  EXPECT_GE(elapsedMs, kCaptureMs * 0.8);
  EXPECT_LE(elapsedMs, kCaptureMs + 1000.0);

  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < count; ++i) {
    ASSERT_EQ(buffers[i].recordedBytes, kBufferBytes);
    bytes.insert(bytes.end(), buffers[i].data, buffers[i].data + kBufferBytes);
  }
  const std::vector<int16_t> samples = test::SamplesOf(bytes);
  const std::vector<int16_t> tail(samples.begin() + samples.size() / 2, samples.end());
  EXPECT_NEAR(ToneHz(tail), 1000.0, 60.0);
  EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);
}

}  // namespace
}  // namespace plimo
