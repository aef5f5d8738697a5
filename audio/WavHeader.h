#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/PcmFormat.h"

namespace plimo {

// The header every wav file this program writes starts with: RIFF, a
// 16-byte format chunk and the data chunk's header, with the two sizes at
// fixed places so they can be filled in once the data is written.
inline constexpr size_t kWavHeaderBytes = 44;
inline constexpr int64_t kWavRiffSizePosition = 4;
inline constexpr int64_t kWavDataSizePosition = 40;
// Both sizes of a header written to a pipe: the largest a header can hold,
// as streaming writers do, since the real sizes are not known in time.
inline constexpr uint32_t kWavStreamSize = UINT32_MAX;

// The header for format with the sizes as given; the block align and byte
// rate follow from the format.
void EncodeWavHeader(const PcmFormat& format, uint32_t riffSize, uint32_t dataSize,
                     uint8_t (&header)[kWavHeaderBytes]);

}  // namespace plimo
