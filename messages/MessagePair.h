#pragma once

#include <cstdint>

#include "messages/Language.h"

namespace plimo {

// Every user-visible text exists in English and Turkish. Both are UTF-8;
// the English ones are plain ASCII.
struct MessagePair {
  const char* english;
  const char* turkish;
};

inline const char* ChooseText(const MessagePair& pair, int32_t language) {
  return IsTurkish(language) ? pair.turkish : pair.english;
}

// The member of the pair for the language the program was built with.
inline const char* ChooseText(const MessagePair& pair) { return ChooseText(pair, LanguageFlag()); }

}  // namespace plimo
