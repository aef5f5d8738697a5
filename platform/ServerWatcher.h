#pragma once

namespace plimo {

// Starts a small process that tidies up after this one, however it ends
// (SIGKILL and crashes included): it holds the reading end of a pipe whose
// only writer is this process, and when the pipe closes it unloads from
// the sound server every module that carries this process's owner tag.
// It is a copy made by fork without exec, so call it before any thread
// starts. It leaves the terminal's session, so Ctrl-C does not reach it.
// false when it could not be started.
[[nodiscard]] bool StartServerWatcher();

}  // namespace plimo
