#include "params/SamplingRates.h"

#include <charconv>

namespace plimo {

bool IsSupportedSamplingRate(int64_t rateHz) {
  for (int32_t rate : kSamplingRates) {
    if (rate == rateHz) return true;
  }
  return false;
}

int32_t ParseSamplingRateText(std::string_view text) {
  int64_t rate = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, rate);
  if (error != std::errc() || stop != end || !IsSupportedSamplingRate(rate)) return -1;
  return static_cast<int32_t>(rate);
}

}  // namespace plimo
