#include "cli/ParameterText.h"

#include <charconv>
#include <cmath>

namespace plimo::cli {

std::string FloatText(float value) {
  if (!std::isfinite(value)) return "null";
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

int LastMessage::ShowMessage(const MessagePair& message, int) {
  english = message.english;
  return kMessageAnswerOk;
}

}  // namespace plimo::cli
