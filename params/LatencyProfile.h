#pragma once

#include <cstdint>

namespace plimo {

// How a live run buffers between the microphone and the speaker.
//   kStandard: the speaker collects 250 ms before it starts and queues up
//     to 300 ms, as the program has always done; the safest on a busy
//     machine.
//   kLow: output leaves as soon as no later frame can change it, the
//     devices run on periods of a few milliseconds, the speaker keeps a
//     small cushion paced by the microphone, and any backlog is shed, so
//     the voice comes back at conversation speed. A duration other than 1
//     cannot run this way (input and output would drift apart); it runs
//     at 1.
enum class LatencyProfile : int32_t {
  kStandard = 0,
  kLow = 1,
};

}  // namespace plimo
