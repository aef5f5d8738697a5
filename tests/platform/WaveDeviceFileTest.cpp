// The wave devices against ALSA's file plugin: exact bytes, no timing.

#include <gtest/gtest.h>
#include <chrono>

#include <cerrno>
#include <numeric>

#include "platform/WaveInDevice.h"
#include "platform/WaveOutDevice.h"
#include "support/SoundEnvironment.h"
#include "support/WaveBuffers.h"

namespace plimo {
namespace {

using test::FileSoundCard;
using test::WaveBufferSet;

constexpr PcmFormat kMono16k{1, 1, 16000, 16};
// 3 ms at 16000 Hz, 16-bit mono.
constexpr uint32_t kCaptureBufferBytes = 96;
constexpr size_t kCaptureBuffers = 42;

// A byte pattern whose every position is told apart within a test.
std::vector<uint8_t> Pattern(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xff);
  return bytes;
}

TEST(WaveInDeviceOnFiles, FillsBuffersWithTheInputInTheOrderTheyWereAdded) {
  const std::vector<uint8_t> input = Pattern(64000);
  FileSoundCard card(input);
  // Buffers outlive the device that holds them.
  WaveBufferSet buffers(kCaptureBuffers, kCaptureBufferBytes);
  WaveInDevice device;
  ASSERT_EQ(device.Open(kMono16k, 64), DeviceResult::kDeviceOk);
  for (size_t i = 0; i < buffers.Size(); ++i) {
    ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.AddBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  }
  ASSERT_EQ(device.Start(), DeviceResult::kDeviceOk);
  buffers.WaitAllDone(device);

  std::vector<uint8_t> got;
  for (size_t i = 0; i < buffers.Size(); ++i) {
    ASSERT_EQ(buffers[i].recordedBytes, kCaptureBufferBytes);
    got.insert(got.end(), buffers[i].data, buffers[i].data + buffers[i].recordedBytes);
  }
  EXPECT_EQ(got, std::vector<uint8_t>(input.begin(), input.begin() + got.size()));

  // Handed back in another order, they continue the stream in that order.
  for (size_t i : {5u, 2u, 9u}) ASSERT_EQ(device.AddBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  buffers.WaitAllDone(device);
  const size_t at = got.size();
  std::vector<uint8_t> next;
  for (size_t i : {5u, 2u, 9u})
    next.insert(next.end(), buffers[i].data, buffers[i].data + kCaptureBufferBytes);
  EXPECT_EQ(next, std::vector<uint8_t>(input.begin() + at, input.begin() + at + next.size()));
  EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);
}

TEST(WaveInDeviceOnFiles, RecordsNothingBeforeStartAndResetGivesEveryBufferBack) {
  FileSoundCard card(Pattern(8000));
  WaveBufferSet buffers(4, kCaptureBufferBytes);
  WaveInDevice device;
  ASSERT_EQ(device.Open(kMono16k, 8), DeviceResult::kDeviceOk);
  for (size_t i = 0; i < buffers.Size(); ++i) {
    ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.AddBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  }
  // A buffer the device holds cannot be taken back or handed over twice.
  EXPECT_EQ(device.UnprepareBuffer(&buffers[0]), DeviceResult::kDeviceBusy);
  EXPECT_EQ(device.AddBuffer(&buffers[0]), DeviceResult::kDeviceBusy);

  ASSERT_EQ(device.Reset(), DeviceResult::kDeviceOk);
  for (size_t i = 0; i < buffers.Size(); ++i) {
    EXPECT_TRUE(buffers[i].done.load());
    EXPECT_EQ(buffers[i].recordedBytes, 0u);
    EXPECT_EQ(device.UnprepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  }
  // Unprepared buffers are refused; after Reset the device records again.
  EXPECT_EQ(device.AddBuffer(&buffers[0]), DeviceResult::kDeviceInvalid);
  ASSERT_EQ(device.PrepareBuffer(&buffers[0]), DeviceResult::kDeviceOk);
  ASSERT_EQ(device.AddBuffer(&buffers[0]), DeviceResult::kDeviceOk);
  ASSERT_EQ(device.Start(), DeviceResult::kDeviceOk);
  while (!buffers[0].done.load()) {
    const uint32_t seen = device.EventCount();
    if (buffers[0].done.load()) break;
    device.WaitForEvent(seen, std::chrono::seconds(10));
  }
  EXPECT_EQ(buffers[0].recordedBytes, kCaptureBufferBytes);
}

TEST(WaveInDeviceOnFiles, RefusesMoreBuffersThanItsQueueHolds) {
  FileSoundCard card(Pattern(8000));
  WaveBufferSet buffers(5, kCaptureBufferBytes);
  WaveInDevice device;
  ASSERT_EQ(device.Open(kMono16k, 4), DeviceResult::kDeviceOk);
  for (size_t i = 0; i < 4; ++i) {
    ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.AddBuffer(&buffers[i]), DeviceResult::kDeviceOk);
  }
  ASSERT_EQ(device.PrepareBuffer(&buffers[4]), DeviceResult::kDeviceOk);
  EXPECT_EQ(device.AddBuffer(&buffers[4]), DeviceResult::kDeviceFull);
  EXPECT_FALSE(buffers[4].inDevice.load());
}

TEST(WaveDevicesOnFiles, RefuseFormatsTheyCannotCarryAndASecondOpen) {
  FileSoundCard card(Pattern(8000));
  WaveOutDevice device;
  EXPECT_EQ(device.Open(PcmFormat{1, 1, 16000, 24}, 8), DeviceResult::kDeviceInvalid);
  EXPECT_EQ(device.Open(PcmFormat{3, 1, 16000, 16}, 8), DeviceResult::kDeviceInvalid);
  EXPECT_EQ(device.Open(PcmFormat{1, 0, 16000, 16}, 8), DeviceResult::kDeviceInvalid);
  EXPECT_FALSE(device.IsOpen());
  ASSERT_EQ(device.Open(kMono16k, 8), DeviceResult::kDeviceOk);
  EXPECT_EQ(device.Open(kMono16k, 8), DeviceResult::kDeviceBusy);
}

TEST(WaveDevicesWithoutSoundCard, FailToOpenAndStayClosed) {
  test::NoSoundCard none;
  WaveBufferSet buffers(1, kCaptureBufferBytes);
  WaveInDevice in;
  WaveOutDevice out;
  EXPECT_NE(in.Open(kMono16k, 8), DeviceResult::kDeviceOk);
  EXPECT_NE(out.Open(kMono16k, 8), DeviceResult::kDeviceOk);
  EXPECT_FALSE(in.IsOpen());
  EXPECT_FALSE(out.IsOpen());
  ASSERT_EQ(out.PrepareBuffer(&buffers[0]), DeviceResult::kDeviceOk);
  EXPECT_NE(out.Write(&buffers[0]), DeviceResult::kDeviceOk);
  EXPECT_NE(in.Start(), DeviceResult::kDeviceOk);
  EXPECT_NE(out.Close(), DeviceResult::kDeviceOk);
}

TEST(WaveOutDeviceOnFiles, PlaysWrittenBuffersInOrderByteForByte) {
  FileSoundCard card(Pattern(8000));
  const std::vector<uint8_t> all = Pattern(8064 + 96 + 160 + 2 + 640);
  const std::vector<size_t> sizes{8064, 96, 160, 2, 640};
  {
    WaveBufferSet buffers(sizes.size(), 0);
    WaveOutDevice device;
    ASSERT_EQ(device.Open(kMono16k, 16), DeviceResult::kDeviceOk);
    size_t at = 0;
    for (size_t i = 0; i < sizes.size(); ++i) {
      buffers.Fill(i, std::vector<uint8_t>(all.begin() + at, all.begin() + at + sizes[i]));
      at += sizes[i];
      ASSERT_EQ(device.PrepareBuffer(&buffers[i]), DeviceResult::kDeviceOk);
      ASSERT_EQ(device.Write(&buffers[i]), DeviceResult::kDeviceOk);
    }
    buffers.WaitAllDone(device);
    EXPECT_TRUE(buffers.AllDone());
    EXPECT_FALSE(device.HasFailed());
    EXPECT_EQ(device.Close(), DeviceResult::kDeviceOk);
  }
  EXPECT_EQ(card.Played(), all);
}

TEST(WaveOutDeviceOnFiles, PlaysOnlyWholeFramesOfAStereoBuffer) {
  FileSoundCard card(Pattern(8000));
  const std::vector<uint8_t> bytes = Pattern(4 * 100 + 2);
  {
    WaveBufferSet buffers(1, 0);
    WaveOutDevice device;
    ASSERT_EQ(device.Open(PcmFormat{1, 2, 22050, 16}, 4), DeviceResult::kDeviceOk);
    buffers.Fill(0, bytes);
    ASSERT_EQ(device.PrepareBuffer(&buffers[0]), DeviceResult::kDeviceOk);
    ASSERT_EQ(device.Write(&buffers[0]), DeviceResult::kDeviceOk);
    buffers.WaitAllDone(device);
  }
  EXPECT_EQ(card.Played(), std::vector<uint8_t>(bytes.begin(), bytes.end() - 2));
}

}  // namespace
}  // namespace plimo
