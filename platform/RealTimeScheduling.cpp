#include "platform/RealTimeScheduling.h"

#include <sys/resource.h>

#include <algorithm>

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

RealTimeScope::RealTimeScope(int priority) {
  if (priority < 1) return;
  if (pthread_getschedparam(pthread_self(), &oldPolicy, &oldParam) != 0) return;
  int allowed = AllowedPriority();
  // Without a limit that allows it only a privileged process may.
  if (allowed < 1) allowed = priority;
  const sched_param wanted{std::min(priority, allowed)};
  granted = pthread_setschedparam(pthread_self(), SCHED_FIFO, &wanted) == 0;
}

RealTimeScope::~RealTimeScope() {
  if (granted) pthread_setschedparam(pthread_self(), oldPolicy, &oldParam);
}

}  // namespace plimo
