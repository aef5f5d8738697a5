#pragma once

#include <sys/types.h>

namespace plimo {

// How long a question to the real-time service may take before the
// thread carries on without an answer.
inline constexpr int kRealTimeServiceLimitMs = 250;

// The desktop's real-time service on the system bus, for a process that
// may not raise its own threads (no CAP_SYS_NICE, RLIMIT_RTPRIO 0): asks
// it to put the process's thread on SCHED_FIFO at priority, lowered to
// the service's maximum. The service insists on a CPU time limit for
// real-time threads, so the process's RLIMIT_RTTIME is lowered to the
// service's first. Each call to the bus waits at most
// kRealTimeServiceLimitMs. False when there is no bus, no service, or a
// refusal; a process that found no service does not ask again.
bool AskRealTimeService(pid_t thread, int priority);

}  // namespace plimo
