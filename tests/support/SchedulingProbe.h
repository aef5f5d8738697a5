#pragma once

// Whether the machine gave its threads the processor when they asked for
// it while a real-time test ran, and how loaded it was. A machine with far
// more runnable work than cores cannot keep time for anybody, the test's
// own players and recorders included, so what a test measures of real
// time says nothing then; what it checks of the sound's content still
// holds.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace plimo::test {

// Under a sanitizer the program runs several times slower than real time,
// so a live run's delay and continuity say nothing; what it does is still
// checked.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kRealTimeBuild = false;
#else
inline constexpr bool kRealTimeBuild = true;
#endif

class SchedulingProbe {
 public:
  // A probe thread sleeps kTickMs at a time and notes how late it wakes.
  SchedulingProbe() : thread([this] { Run(); }) {}
  ~SchedulingProbe() {
    running.store(false);
    thread.join();
  }
  SchedulingProbe(const SchedulingProbe&) = delete;
  SchedulingProbe& operator=(const SchedulingProbe&) = delete;

  // The longest a woken thread waited for the processor so far.
  double WorstLatenessMs() const { return worstMicroseconds.load() / 1000.0; }
  // How many threads of the whole machine wanted a processor, on average.
  double AverageRunnable() const {
    const long n = samples.load();
    return n > 0 ? static_cast<double>(runnableSum.load()) / static_cast<double>(n) : 0.0;
  }
  // No thread of this process waited longer than a real-time test can
  // bridge, and the machine as a whole was not loaded far past its cores
  // (the program under test runs in a process of its own).
  bool KeptTime() const {
    const double cores = std::max(1u, std::thread::hardware_concurrency());
    return WorstLatenessMs() < kTolerableLatenessMs && AverageRunnable() <= kLoadPerCore * cores;
  }

 private:
  static constexpr int kTickMs = 2;
  // A 20 ms block late and more: the engine's own blocks are 20 ms.
  static constexpr double kTolerableLatenessMs = 20.0;
  static constexpr double kLoadPerCore = 2.0;

  // The running count of /proc/loadavg ("running/total"), the probe
  // itself included; 0 when it cannot be read.
  static long RunnableNow() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen, tasks;
    file >> one >> five >> fifteen >> tasks;
    const size_t slash = tasks.find('/');
    return slash == std::string::npos ? 0 : std::stol(tasks.substr(0, slash)) - 1;
  }

  void Run() {
    using Clock = std::chrono::steady_clock;
    while (running.load()) {
      const Clock::time_point due = Clock::now() + std::chrono::milliseconds(kTickMs);
      std::this_thread::sleep_until(due);
      const long late = static_cast<long>(
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - due).count());
      worstMicroseconds.store(std::max(worstMicroseconds.load(), late));
      runnableSum.fetch_add(RunnableNow());
      samples.fetch_add(1);
    }
  }

  std::atomic<bool> running{true};
  std::atomic<long> worstMicroseconds{0};
  std::atomic<long> runnableSum{0};
  std::atomic<long> samples{0};
  std::thread thread;
};

}  // namespace plimo::test
