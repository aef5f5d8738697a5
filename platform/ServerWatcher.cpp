#include "platform/ServerWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/ServerClient.h"
#include "platform/VirtualMicrophone.h"

namespace plimo {

namespace {

// Where the watcher keeps the pipe's reading end, past the standard three.
constexpr int kPipeDescriptor = 3;
// A connection to a server that came back after this process died may
// take a moment longer than a request.
constexpr std::chrono::milliseconds kWatcherConnectLimit{3000};

[[noreturn]] void Watch(int readEnd, const std::string& owner) {
  setsid();
  const int none = open("/dev/null", O_RDWR);
  if (none >= 0) {
    for (int standard = 0; standard <= STDERR_FILENO; ++standard) dup2(none, standard);
  }
  // Nothing of the program's stays open here: a descriptor kept would keep
  // a pipe or socket of someone else's from closing.
  dup2(readEnd, kPipeDescriptor);
  close_range(kPipeDescriptor + 1, ~0U, 0);
  char byte = 0;
  for (;;) {
    const ssize_t got = read(kPipeDescriptor, &byte, 1);
    if (got == 0 || (got < 0 && errno != EINTR)) break;
  }
  ServerClient client;
  if (client.Connect("Plimo watcher", kWatcherConnectLimit) == ServerResult::kServerOk) {
    static_cast<void>(SweepOwnedModules(client, owner));
  }
  _exit(0);
}

}  // namespace

bool StartServerWatcher() {
  const std::string owner = OwnerTag(getpid());
  int ends[2] = {-1, -1};
  if (owner.empty() || pipe2(ends, O_CLOEXEC) != 0) return false;
  const pid_t watcher = fork();
  if (watcher == 0) {
    close(ends[1]);
    Watch(ends[0], owner);
  }
  close(ends[0]);
  if (watcher < 0) {
    close(ends[1]);
    return false;
  }
  // The writing end stays open, unused, until this process ends; then the
  // watcher's read returns.
  return true;
}

}  // namespace plimo
