#include "messages/Language.h"

#ifndef PLIMO_LANGUAGE
#error "PLIMO_LANGUAGE must be defined by the build (1 Turkish, 2 English)"
#endif

namespace plimo {

namespace {
// One constant for the whole process so every window and message agrees.
constexpr int32_t kBuiltLanguage = PLIMO_LANGUAGE;
}  // namespace

int32_t LanguageFlag() { return kBuiltLanguage; }

}  // namespace plimo
