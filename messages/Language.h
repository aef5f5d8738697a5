#pragma once

#include <cstdint>

namespace plimo {

// Values of the process-wide language flag. Any value other than Turkish
// means English.
inline constexpr int32_t kLanguageTurkish = 1;
inline constexpr int32_t kLanguageEnglish = 2;

// The language flag this program was built with (CMake option
// PLIMO_LANGUAGE). Nothing changes it while the program runs.
int32_t LanguageFlag();

inline bool IsTurkish(int32_t language) { return language == kLanguageTurkish; }

}  // namespace plimo
