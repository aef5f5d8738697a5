#pragma once

#include <cstdint>

namespace plimo {

// What a live run knows of its own microphone-to-speaker delay: the
// engine's algorithmic delay plus what the devices hold (captured and not
// yet read, written and not yet heard, as the sound system reports them).
// Milliseconds, averaged over the writes to the speaker since the last
// report, except the counts.
struct LiveDelay {
  double engineMs = 0.0;    // taken by the engine and not yet handed to the speaker
  double captureMs = 0.0;   // recorded and not yet taken by the run
  double playbackMs = 0.0;  // handed to the speaker and not yet heard
  double totalMs = 0.0;     // the sum: what a listener hears as delay
  int64_t underruns = 0;    // times the speaker ran dry since the start
  int64_t shedMs = 0;       // backlog dropped to keep the delay down
};

}  // namespace plimo
