#pragma once

#include <cstdint>
#include <string_view>

namespace plimo {

// The rates the program runs at, in the order of the settings window's
// sampling-rate list; Hz.
inline constexpr int32_t kSamplingRates[] = {48000, 44100, 32000, 22050, 16000, 11025, 8000};

bool IsSupportedSamplingRate(int64_t rateHz);

// The rate a list entry's text names, or -1 when the text is not exactly
// the decimal form of one of the supported rates (no entry selected, for
// instance).
[[nodiscard]] int32_t ParseSamplingRateText(std::string_view text);

}  // namespace plimo
