#pragma once

#include <functional>

namespace plimo {

// Turns SIGINT, SIGTERM and SIGHUP into a call of end on the Qt thread, so
// that the program ends as when its window is closed: operations stopped,
// files completed, the virtual microphone removed. Once per process, after
// the application object exists.
void EndOnSignals(std::function<void()> end);

}  // namespace plimo
