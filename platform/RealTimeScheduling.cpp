#include "platform/RealTimeScheduling.h"

#include <dirent.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/RealTimeService.h"

namespace plimo {

namespace {
// The highest SCHED_FIFO priority the process may take: RLIMIT_RTPRIO, or
// any for a process that may raise its own limits.
int AllowedPriority() {
  rlimit limit{};
  if (getrlimit(RLIMIT_RTPRIO, &limit) != 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return sched_get_priority_max(SCHED_FIFO);
  return static_cast<int>(std::min<rlim_t>(limit.rlim_cur, static_cast<rlim_t>(sched_get_priority_max(SCHED_FIFO))));
}
}  // namespace

int RaiseThreadsNamed(const char* threadName, int priority) {
  if (priority < 1) return 0;
  int allowed = AllowedPriority();
  if (allowed < 1) allowed = priority;
  const sched_param wanted{std::min(priority, allowed)};
  DIR* tasks = opendir("/proc/self/task");
  if (tasks == nullptr) return 0;
  int raised = 0;
  while (const dirent* entry = readdir(tasks)) {
    char* end = nullptr;
    const long tid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0') continue;
    const std::string commPath = std::string("/proc/self/task/") + entry->d_name + "/comm";
    std::FILE* comm = std::fopen(commPath.c_str(), "r");
    if (comm == nullptr) continue;
    char name[32] = {};
    const bool read = std::fgets(name, sizeof name, comm) != nullptr;
    std::fclose(comm);
    if (!read) continue;
    name[std::strcspn(name, "\n")] = '\0';
    const pid_t task = static_cast<pid_t>(tid);
    if (std::strcmp(name, threadName) != 0 || sched_getscheduler(task) != SCHED_OTHER) continue;
    if (sched_setscheduler(task, SCHED_FIFO, &wanted) == 0 || AskRealTimeService(task, priority)) ++raised;
  }
  closedir(tasks);
  return raised;
}

RealTimeScope::RealTimeScope(int priority) {
  if (priority < 1) return;
  if (pthread_getschedparam(pthread_self(), &oldPolicy, &oldParam) != 0) return;
  int allowed = AllowedPriority();
  // Without a limit that allows it only a privileged process may.
  if (allowed < 1) allowed = priority;
  const sched_param wanted{std::min(priority, allowed)};
  granted = pthread_setschedparam(pthread_self(), SCHED_FIFO, &wanted) == 0 || AskRealTimeService(gettid(), priority);
}

RealTimeScope::~RealTimeScope() {
  if (!granted || pthread_setschedparam(pthread_self(), oldPolicy, &oldParam) == 0) return;
  // A thread the real-time service raised carries its reset-on-fork mark,
  // which only a privileged thread may clear.
  sched_setscheduler(0, oldPolicy | SCHED_RESET_ON_FORK, &oldParam);
}

}  // namespace plimo
