// A process that may not raise its own threads gets real-time scheduling
// from the desktop's real-time service: here a stand-in on a private bus.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/RealTimeScheduling.h"

namespace plimo {
namespace {

constexpr int kServiceMaxPriority = 5;
constexpr long kServiceCpuLimitUs = 200000;

// A child process whose first line of output is read; killed at the end.
class Child {
 public:
  explicit Child(const std::vector<std::string>& command) {
    int out[2];
    if (pipe(out) != 0) return;
    pid = fork();
    if (pid == 0) {
      dup2(out[1], STDOUT_FILENO);
      // The bus complains of limits it may not raise here; nothing to see.
      const int quiet = open("/dev/null", O_WRONLY);
      if (quiet >= 0) dup2(quiet, STDERR_FILENO);
      close(out[0]);
      close(out[1]);
      std::vector<char*> argv;
      for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(out[1]);
    output = fdopen(out[0], "r");
  }
  ~Child() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
    if (output != nullptr) std::fclose(output);
  }
  std::string FirstLine() {
    char line[512] = {};
    if (output == nullptr || std::fgets(line, sizeof line, output) == nullptr) return "";
    std::string text(line);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

 private:
  pid_t pid = -1;
  std::FILE* output = nullptr;
};

// Takes CAP_SYS_NICE from the calling thread, so that, with no
// RLIMIT_RTPRIO, it may not raise itself.
bool DropNiceCapability() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  data[CAP_SYS_NICE / 32].effective &= ~(1U << (CAP_SYS_NICE % 32));
  return syscall(SYS_capset, &header, data) == 0;
}

TEST(RealTimeService, AThreadThatMayNotRaiseItselfIsRaisedByTheServiceWithinItsLimits) {
  if (geteuid() != 0) GTEST_SKIP() << "the stand-in service needs root to change another thread's scheduling";
  rlimit rtprio{};
  ASSERT_EQ(getrlimit(RLIMIT_RTPRIO, &rtprio), 0);
  if (rtprio.rlim_cur != 0) GTEST_SKIP() << "RLIMIT_RTPRIO lets every thread raise itself";
  Child bus({"/usr/bin/dbus-daemon", "--session", "--nofork", "--print-address=1"});
  const std::string address = bus.FirstLine();
  ASSERT_FALSE(address.empty()) << "no private bus";
  Child service({PLIMO_SOURCE_DIR "/tests/support/fake-realtime-service", address,
                 std::to_string(kServiceMaxPriority), std::to_string(kServiceCpuLimitUs)});
  ASSERT_EQ(service.FirstLine(), "ready");
  setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);

  bool dropped = false;
  bool granted = false;
  int policy = -1;
  sched_param param{};
  int policyAfter = -1;
  std::thread worker([&] {
    dropped = DropNiceCapability();
    {
      const RealTimeScope scope(kDeviceThreadPriority);
      granted = scope.Granted();
      // Asked of the kernel: the thread library remembers what it last
      // set or read itself.
      policy = sched_getscheduler(0);
      sched_getparam(0, &param);
    }
    policyAfter = sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
  });
  worker.join();
  ASSERT_TRUE(dropped);
  EXPECT_TRUE(granted);
  EXPECT_EQ(policy & ~SCHED_RESET_ON_FORK, SCHED_FIFO);
  // Asked for more than the service allows: its maximum.
  EXPECT_EQ(param.sched_priority, kServiceMaxPriority);
  EXPECT_EQ(policyAfter, SCHED_OTHER);
  rlimit cpu{};
  ASSERT_EQ(getrlimit(RLIMIT_RTTIME, &cpu), 0);
  EXPECT_EQ(cpu.rlim_cur, static_cast<rlim_t>(kServiceCpuLimitUs));
}

}  // namespace
}  // namespace plimo
