// The speaker and microphone gains on a private PulseAudio server's mixer,
// checked through the server's own tool, and on a machine without a card.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "audio/MixerControls.h"
#include "platform/SoundDevices.h"
#include "support/SoundEnvironment.h"
#include "support/SoundServer.h"

namespace plimo::test {
namespace {

class MixerControlsOnServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!SoundServer::Get().Running()) GTEST_SKIP() << SoundServer::Get().Failure();
    use = std::make_unique<UsingSoundServer>();
  }
  std::unique_ptr<UsingSoundServer> use;
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(MixerControlsOnServer, BothGainsAreFoundWithTheirRanges) {
  MixerControls controls;
  ASSERT_TRUE(controls.SpeakerUsable());
  ASSERT_TRUE(controls.MicrophoneUsable());
  EXPECT_EQ(controls.speaker->Minimum(), 0);
  EXPECT_EQ(controls.speaker->Maximum(), 65536);
  EXPECT_EQ(controls.speaker->Steps(), 65537);
  EXPECT_EQ(controls.microphone->Maximum(), 65536);
}

TEST_F(MixerControlsOnServer, SetVolumeReachesEveryChannelAndValuesOutOfRangeChangeNothing) {
  MixerControls controls;
  ASSERT_TRUE(controls.SpeakerUsable());
  controls.speaker->SetVolume(30000);
  EXPECT_EQ(controls.speaker->GetVolume(), 30000);
  const std::string sink = SoundServer::Get().Pactl({"get-sink-volume", "speaker"});
  EXPECT_TRUE(Contains(sink, "front-left: 30000") && Contains(sink, "front-right: 30000")) << sink;
  controls.speaker->SetVolume(70000);
  EXPECT_EQ(controls.speaker->GetVolume(), 30000);

  controls.microphone->SetVolume(45000);
  EXPECT_EQ(controls.microphone->GetVolume(), 45000);
  const std::string source = SoundServer::Get().Pactl({"get-source-volume", "micfeed.monitor"});
  EXPECT_TRUE(Contains(source, "front-left: 45000")) << source;
}

std::atomic<uint32_t> heardValue{0};
std::atomic<uint32_t> heardUserData{0};

void Remember(uint32_t value, uint32_t userData) {
  heardUserData.store(userData);
  heardValue.store(value);
}

TEST_F(MixerControlsOnServer, AChangeByAnotherProgramReachesTheListener) {
  MixerControls controls;
  ASSERT_TRUE(controls.SpeakerUsable());
  heardValue.store(0);
  controls.speaker->SetChangeListener(&Remember, 77);
  SoundServer::Get().Pactl({"set-sink-volume", "speaker", "12345"});
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (heardValue.load() != 12345 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(heardValue.load(), 12345u);
  EXPECT_EQ(heardUserData.load(), 77u);
  controls.speaker->SetChangeListener(nullptr, 0);
}

// A chosen device brings its own gains: the controls follow it there and
// back, and a change reaches the chosen device, not the default one.
TEST_F(MixerControlsOnServer, TheGainsFollowTheChosenDevices) {
  const SoundServer& server = SoundServer::Get();
  const std::string sinkModule = server.Pactl({"load-module", "module-null-sink", "sink_name=headset"});
  const std::string sourceModule =
      server.Pactl({"load-module", "module-remap-source", "source_name=headmic", "master=headset.monitor"});
  ASSERT_FALSE(sinkModule.empty());
  ASSERT_FALSE(sourceModule.empty());
  server.Pactl({"set-sink-volume", "headset", "20000"});
  server.Pactl({"set-source-volume", "headmic", "30000"});
  {
    MixerControls controls;
    ASSERT_TRUE(controls.SpeakerUsable() && controls.MicrophoneUsable());
    const int32_t defaultSpeaker = controls.speaker->GetVolume();
    controls.speaker->Follow(ServerDevicePcm("headset"));
    controls.microphone->Follow(ServerDevicePcm("headmic"));
    EXPECT_EQ(controls.speaker->GetVolume(), 20000);
    EXPECT_EQ(controls.microphone->GetVolume(), 30000);
    controls.microphone->SetVolume(41000);
    EXPECT_TRUE(Contains(server.Pactl({"get-source-volume", "headmic"}), "41000"));
    controls.speaker->Follow("");
    EXPECT_EQ(controls.speaker->GetVolume(), defaultSpeaker);
  }
  server.Pactl({"unload-module", sourceModule.substr(0, sourceModule.find('\n'))});
  server.Pactl({"unload-module", sinkModule.substr(0, sinkModule.find('\n'))});
}

TEST(MixerControlsWithoutSoundCard, TheSpeakerControlAnswersMinusOneAndThereIsNoMicrophone) {
  NoSoundCard none;
  MixerControls controls;
  ASSERT_NE(controls.speaker, nullptr);
  EXPECT_FALSE(controls.SpeakerUsable());
  EXPECT_FALSE(controls.speaker->HasVolumeControl());
  EXPECT_EQ(controls.speaker->Minimum(), -1);
  EXPECT_EQ(controls.speaker->Maximum(), -1);
  EXPECT_EQ(controls.speaker->Steps(), -1);
  EXPECT_EQ(controls.speaker->GetVolume(), -1);
  controls.speaker->SetVolume(1);
  EXPECT_EQ(controls.microphone, nullptr);
  EXPECT_FALSE(controls.MicrophoneUsable());
}

}  // namespace
}  // namespace plimo::test
