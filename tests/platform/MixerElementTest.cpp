// Mixer elements of the private PulseAudio server's ALSA mixer, read and
// set here and checked through the server's own tool.

#include <gtest/gtest.h>

#include <signal.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "platform/MixerElement.h"
#include "support/SoundEnvironment.h"
#include "support/SoundServer.h"

namespace plimo {
namespace {

using test::SoundServer;

constexpr const char* kMasterNames[] = {"Master"};
constexpr const char* kMicrophoneNames[] = {"Capture", "Mic", "Internal Mic", "Mic Boost"};

class MixerOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SoundServer::Get().Running()) GTEST_SKIP() << SoundServer::Get().Failure();
    use = std::make_unique<test::UsingSoundServer>();
  }
  std::unique_ptr<test::UsingSoundServer> use;
};

class CountingListener : public MixerListener {
 public:
  void MixerValueChanged() override {
    calls.fetch_add(1);
    calls.notify_all();
  }
  // Waits up to a few seconds for a call after seen; false without one.
  bool WaitBeyond(int seen) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (calls.load() <= seen) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }
  std::atomic<int> calls{0};
};

TEST_F(MixerOnServer, MasterVolumeIsTheDefaultSinkVolumeOnEveryChannel) {
  MixerElement master;
  ASSERT_EQ(master.Open("default", MixerDirection::kPlayback, kMasterNames, 1, true),
            DeviceResult::kDeviceOk);
  ASSERT_TRUE(master.HasVolume());
  EXPECT_STREQ(master.Name(), "Master");
  long minimum = -1, maximum = -1;
  ASSERT_EQ(master.Range(&minimum, &maximum), DeviceResult::kDeviceOk);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(maximum, 65536);

  ASSERT_EQ(master.SetVolume(32768), DeviceResult::kDeviceOk);
  long value = -1;
  ASSERT_EQ(master.GetVolume(&value), DeviceResult::kDeviceOk);
  EXPECT_EQ(value, 32768);
  // Both channels of the stereo sink carry the value.
  const std::string volume = SoundServer::Get().Pactl({"get-sink-volume", "speaker"});
  EXPECT_NE(volume.find("front-left: 32768"), std::string::npos) << volume;
  EXPECT_NE(volume.find("front-right: 32768"), std::string::npos) << volume;
}

TEST_F(MixerOnServer, MicrophoneVolumeIsTheDefaultSourceVolume) {
  MixerElement microphone;
  ASSERT_EQ(microphone.Open("default", MixerDirection::kCapture, kMicrophoneNames, 4, false),
            DeviceResult::kDeviceOk);
  ASSERT_TRUE(microphone.HasVolume());
  EXPECT_STREQ(microphone.Name(), "Capture");
  ASSERT_EQ(microphone.SetVolume(40000), DeviceResult::kDeviceOk);
  const std::string volume = SoundServer::Get().Pactl({"get-source-volume", "micfeed.monitor"});
  EXPECT_NE(volume.find("front-left: 40000"), std::string::npos) << volume;
  long value = -1;
  ASSERT_EQ(microphone.GetVolume(&value), DeviceResult::kDeviceOk);
  EXPECT_EQ(value, 40000);
}

TEST_F(MixerOnServer, AChangeByAnotherProgramReachesTheListener) {
  MixerElement master;
  ASSERT_EQ(master.Open("default", MixerDirection::kPlayback, kMasterNames, 1, true),
            DeviceResult::kDeviceOk);
  CountingListener listener;
  master.SetListener(&listener);
  const int before = listener.calls.load();
  SoundServer::Get().Pactl({"set-sink-volume", "speaker", "20000"});
  ASSERT_TRUE(listener.WaitBeyond(before));
  long value = -1;
  ASSERT_EQ(master.GetVolume(&value), DeviceResult::kDeviceOk);
  EXPECT_EQ(value, 20000);
  master.SetListener(nullptr);
  master.Close();
  EXPECT_FALSE(master.IsOpen());
}

TEST_F(MixerOnServer, AnElementOfNoListedNameIsMissingUnlessAnyVolumeWillDo) {
  constexpr const char* kNames[] = {"No Such Control"};
  MixerElement strict;
  ASSERT_EQ(strict.Open("default", MixerDirection::kCapture, kNames, 1, false), DeviceResult::kDeviceOk);
  EXPECT_FALSE(strict.HasVolume());
  long value = 0;
  EXPECT_EQ(strict.GetVolume(&value), DeviceResult::kDeviceNoElement);
  EXPECT_EQ(strict.SetVolume(1), DeviceResult::kDeviceNoElement);
  EXPECT_STREQ(strict.Name(), "");

  MixerElement lenient;
  ASSERT_EQ(lenient.Open("default", MixerDirection::kPlayback, kNames, 1, true), DeviceResult::kDeviceOk);
  EXPECT_TRUE(lenient.HasVolume());
}

double ProcessCpuSeconds() {
  constexpr double kSecondsPerNanosecond = 1e-9;
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * kSecondsPerNanosecond;
}

TEST(MixerOfAServerThatDies, KeepsItsLastValueAndItsWatcherGoesQuiet) {
  test::DisposableServer server;
  if (server.Environment().empty()) GTEST_SKIP() << "no PulseAudio server could be started";
  test::SoundVariablesScope use(server.Environment());
  auto master = std::make_unique<MixerElement>();
  ASSERT_EQ(master->Open("default", MixerDirection::kPlayback, kMasterNames, 1, true),
            DeviceResult::kDeviceOk);
  ASSERT_EQ(master->SetVolume(30000), DeviceResult::kDeviceOk);
  ASSERT_TRUE(server.Crash());

  // Once the watcher has seen the server go, the process has nothing to do:
  // a watcher that spins takes most of a core, an idle one none of it.
  constexpr double kIdleCpuSeconds = 0.1;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const double before = ProcessCpuSeconds();
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_LT(ProcessCpuSeconds() - before, kIdleCpuSeconds) << "CPU seconds used in one idle second";

  long value = -1;
  EXPECT_EQ(master->GetVolume(&value), DeviceResult::kDeviceOk);
  EXPECT_EQ(value, 30000);
  static_cast<void>(master->SetVolume(40000));  // refused or not, it returns

  // The destruction runs aside so that a watcher that never ends fails the
  // test instead of hanging it.
  auto destroyed = std::make_shared<std::atomic<bool>>(false);
  std::thread destroyer([element = std::move(master), destroyed]() mutable {
    element.reset();
    destroyed->store(true);
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!destroyed->load() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(destroyed->load()) << "the mixer element's destruction did not return";
  if (destroyed->load()) {
    destroyer.join();
  } else {
    destroyer.detach();
  }
}

TEST(MixerWithoutSoundCard, FailsToOpen) {
  test::NoSoundCard none;
  MixerElement master;
  EXPECT_NE(master.Open("default", MixerDirection::kPlayback, kMasterNames, 1, true),
            DeviceResult::kDeviceOk);
  EXPECT_FALSE(master.IsOpen());
  EXPECT_FALSE(master.HasVolume());
}

}  // namespace
}  // namespace plimo
