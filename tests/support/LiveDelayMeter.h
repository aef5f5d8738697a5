#pragma once

// The microphone-to-speaker delay of a live run on the test sound server,
// measured end to end at 1 ms resolution and better.
//
// Two recorders started one after the other begin at moments tens of
// milliseconds apart, and nothing tells by how much, so the feed and the
// program's output are recorded as the two channels of ONE stream: a
// stereo null sink "liveprobe" carries two mono remap sinks,
// "liveprobe_mic" on its left channel and "liveprobe_speaker" on its right.
// The program under test hears liveprobe_mic's monitor (PULSE_SOURCE) and
// plays into liveprobe_speaker (PULSE_SINK). A remap sink keeps no buffer
// of its own: its samples are rendered into the master, and posted to its
// own monitor, in the same pass of the master's thread, so a sample is
// "heard" by the program at the moment it lands in the left channel, and
// the program's output is "played" at the moment it lands in the right
// one. The lag between a click on the left and its copy on the right is
// therefore the delay the listener meets, with no offset of the harness's
// in it, and no pass-through run needs subtracting.
//
// Checked against the server's own pass-through: a module-loopback from
// liveprobe_mic.monitor to liveprobe_speaker with latency_msec=60 (which
// the server holds to its target from its own timing) measured 60.00 ms
// on every click of a 6 s train; the harness's error is below 0.1 ms, far
// inside the 1 ms the tests need.
//
// The feed is a train of short clicks, one every kClickPeriodMs, longer
// than any delay a live run may have, so each click's copy is the one
// found within a period after it.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "support/SoundServer.h"

namespace plimo::test {

class LiveDelayMeter {
 public:
  static constexpr int kRate = 48000;  // the probe's own rate: the recording is not resampled
  static constexpr int kClickPeriodMs = 500;
  // Half a millisecond: within what a 8000 Hz run carries, and short
  // enough that its copy is found to the sample.
  static constexpr int kClickSamples = kRate / 2000;
  static constexpr double kClickPeak = 20000.0;
  // A null sink without a client of low latency renders blocks of up to
  // two seconds; the first block after one comes must end before the
  // probe keeps to its clients' timing.
  static constexpr int kSettleMs = 2500;

  struct HeardClick {
    double atMs;     // when the microphone heard it, from the recording's start
    double delayMs;  // until the speaker played it
  };

  struct Recording {
    std::vector<int16_t> heard;   // by the program's microphone
    std::vector<int16_t> played;  // by its speaker, on the same timeline
  };

  // The test program's meter on the shared server, set up on first use.
  static LiveDelayMeter& Get() {
    static LiveDelayMeter meter(SoundServer::Get());
    return meter;
  }

  // Loads the probe's sinks into the server, or leaves Ready() false.
  explicit LiveDelayMeter(const SoundServer& server) : server(server) {
    if (!server.Running()) return;
    const std::vector<std::vector<std::string>> modules{
        {"module-null-sink", "sink_name=liveprobe", "channels=2", "channel_map=front-left,front-right",
         "rate=" + std::to_string(kRate)},
        {"module-remap-sink", "sink_name=liveprobe_mic", "master=liveprobe", "channels=1",
         "master_channel_map=front-left", "channel_map=mono", "remix=no"},
        {"module-remap-sink", "sink_name=liveprobe_speaker", "master=liveprobe", "channels=1",
         "master_channel_map=front-right", "channel_map=mono", "remix=no"}};
    for (const std::vector<std::string>& module : modules) {
      std::vector<std::string> arguments{"load-module"};
      arguments.insert(arguments.end(), module.begin(), module.end());
      const std::string index = server.Pactl(arguments);
      if (index.empty()) return;
      loaded.push_back(index.substr(0, index.find('\n')));
    }
    keepAlive = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"parecord", "-d", "liveprobe.monitor", "--raw", "--latency-msec=10",
                                 "/dev/null"},
        server.Environment());
    std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
    ready = keepAlive->Started();
  }
  ~LiveDelayMeter() {
    keepAlive.reset();
    for (auto index = loaded.rbegin(); index != loaded.rend(); ++index) {
      server.Pactl({"unload-module", *index});
    }
  }
  LiveDelayMeter(const LiveDelayMeter&) = delete;
  LiveDelayMeter& operator=(const LiveDelayMeter&) = delete;

  bool Ready() const { return ready; }

  // The environment that makes a program use the server with the probe as
  // its microphone and speaker.
  Variables ProgramEnvironment() const {
    Variables variables = server.Environment();
    variables.emplace_back("PULSE_SOURCE", "liveprobe_mic.monitor");
    variables.emplace_back("PULSE_SINK", "liveprobe_speaker");
    return variables;
  }

  // Records both channels until the returned program is stopped.
  std::unique_ptr<BackgroundProgram> Record(const std::string& name) const {
    return std::make_unique<BackgroundProgram>(
        std::vector<std::string>{"parecord", "-d", "liveprobe.monitor", "--raw", "--format=s16le",
                                 "--channels=2", "--rate=" + std::to_string(kRate), "--latency-msec=10",
                                 server.Folder() + "/" + name + ".raw"},
        server.Environment());
  }

  // Plays a click train of the given length into the microphone and
  // returns at once.
  std::unique_ptr<BackgroundProgram> FeedClicks(int seconds, const std::string& name) const {
    std::vector<int16_t> clicks(static_cast<size_t>(seconds) * kRate, 0);
    const size_t period = kRate / 1000 * kClickPeriodMs;
    for (size_t at = 0; at + kClickSamples <= clicks.size(); at += period) {
      for (int i = 0; i < kClickSamples; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (i + 1) / (kClickSamples + 1));
        clicks[at + static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(kClickPeak * hann));
      }
    }
    return server.PlayInto("liveprobe_mic", clicks, kRate, name + "-feed");
  }

  // The microphone hears nothing while suspended, as a device that stalls.
  bool SuspendMicrophone(bool suspend) const {
    return RunProgram({"pactl", "suspend-sink", "liveprobe_mic", suspend ? "1" : "0"}, "",
                      server.Environment()) == 0;
  }

  Recording Recorded(const std::string& name) const {
    const std::vector<int16_t> both = server.Recorded(name);
    Recording recording;
    for (size_t i = 0; i + 1 < both.size(); i += 2) {
      recording.heard.push_back(both[i]);
      recording.played.push_back(both[i + 1]);
    }
    return recording;
  }

  // Every click of a recording that came out of the speaker, in order.
  std::vector<HeardClick> Clicks(const std::string& name) const {
    const auto [heard, played] = Recorded(name);
    const size_t n = heard.size();
    const size_t period = kRate / 1000 * kClickPeriodMs;
    const size_t margin = kClickSamples;
    std::vector<HeardClick> clicks;
    for (size_t at = margin; at + margin < n; ++at) {
      if (heard[at] < kClickPeak / 2) continue;
      const size_t from = at - margin;
      const size_t length = 3 * margin;
      double bestSum = 0.0;
      size_t bestLag = 0;
      for (size_t lag = 0; lag < period && from + lag + length <= n; ++lag) {
        double sum = 0.0;
        for (size_t i = 0; i < length; ++i) sum += double(heard[from + i]) * played[from + lag + i];
        if (sum > bestSum) {
          bestSum = sum;
          bestLag = lag;
        }
      }
      double energy = 0.0;
      for (size_t i = 0; i < length; ++i) energy += double(heard[from + i]) * heard[from + i];
      // A copy at a quarter of the click's strength or more; the program's
      // output before it runs, or a click it dropped, is no copy.
      if (bestSum > energy / 4) clicks.push_back({1000.0 * at / kRate, 1000.0 * bestLag / kRate});
      at += period / 2;
    }
    return clicks;
  }

 private:
  const SoundServer& server;
  std::vector<std::string> loaded;
  std::unique_ptr<BackgroundProgram> keepAlive;
  bool ready = false;
};

// The median delay of the clicks heard from fromMs on (and before toMs),
// the lower of the middle two for an even count; -1 when there is none.
inline double MedianDelayMs(const std::vector<LiveDelayMeter::HeardClick>& clicks, double fromMs,
                            double toMs = 1e300) {
  std::vector<double> delays;
  for (const LiveDelayMeter::HeardClick& click : clicks) {
    if (click.atMs >= fromMs && click.atMs < toMs) delays.push_back(click.delayMs);
  }
  if (delays.empty()) return -1.0;
  const size_t middle = (delays.size() - 1) / 2;
  std::nth_element(delays.begin(), delays.begin() + static_cast<std::ptrdiff_t>(middle), delays.end());
  return delays[middle];
}

}  // namespace plimo::test
