#pragma once

#include <cstdint>
#include <string>

namespace plimo::cli {

// Strict number parsing for option values: the whole text must be a number.
bool ParseInt64(const char* text, int64_t* value);
bool ParseDouble(const char* text, double* value);

// True when argument is "--help" or "-h".
bool IsHelp(const char* argument);

}  // namespace plimo::cli
