#include "ui/app/SignalEnd.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace plimo {

namespace {

// The handler may only write; the Qt thread reads the other end.
int signalPipe[2] = {-1, -1};

void Written(int) {
  const char byte = 1;
  static_cast<void>(write(signalPipe[1], &byte, 1));
}

}  // namespace

void EndOnSignals(std::function<void()> end) {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [end = std::move(end)] {
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    end();
  });
  struct sigaction action = {};
  action.sa_handler = &Written;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace plimo
