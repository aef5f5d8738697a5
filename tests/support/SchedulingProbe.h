#pragma once

// Whether the machine gave its threads the processor when they asked for
// it while a real-time test ran. A machine with more runnable work than
// cores cannot keep time for anybody, the test's own players and
// recorders included, so what a test measures of real time says nothing
// then; what it checks of the sound's content still holds.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace plimo::test {

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
  // No thread waited longer than a real-time test can bridge.
  bool KeptTime() const { return WorstLatenessMs() < kTolerableLatenessMs; }

 private:
  static constexpr int kTickMs = 2;
  // A 20 ms block late and more: the engine's own blocks are 20 ms.
  static constexpr double kTolerableLatenessMs = 20.0;

  void Run() {
    using Clock = std::chrono::steady_clock;
    while (running.load()) {
      const Clock::time_point due = Clock::now() + std::chrono::milliseconds(kTickMs);
      std::this_thread::sleep_until(due);
      const long late = static_cast<long>(
          std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - due).count());
      worstMicroseconds.store(std::max(worstMicroseconds.load(), late));
    }
  }

  std::atomic<bool> running{true};
  std::atomic<long> worstMicroseconds{0};
  std::thread thread;
};

}  // namespace plimo::test
