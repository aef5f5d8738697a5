#pragma once

#include <cstdint>

namespace plimo {

// ITU-T G.711 µ-law, the 8-bit companded format some wav files carry.
class MuLawCodec {
 public:
  // The 16-bit linear sample a µ-law byte stands for (-32124 .. 32124).
  static int16_t Decode(uint8_t code);
};

}  // namespace plimo
