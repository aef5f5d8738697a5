#pragma once

#include <string>
#include <string_view>

namespace plimo::cli {

// A JSON string literal for text, quotes included.
std::string JsonString(std::string_view text);

// A JSON number for a finite double (shortest form that reads back exactly);
// non-finite values become null, which JSON has no number for.
std::string JsonNumber(double value);

}  // namespace plimo::cli
