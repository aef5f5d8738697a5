#pragma once

#include <QString>

#include "messages/Language.h"

namespace plimo::test {

// The text a window of this test program must show: the program is built
// with one language flag, and the window tests run in both.
inline QString InLanguage(const char* english, const char* turkish) {
  return QString::fromUtf8(IsTurkish(LanguageFlag()) ? turkish : english);
}

inline bool BuiltTurkish() { return IsTurkish(LanguageFlag()); }

}  // namespace plimo::test
