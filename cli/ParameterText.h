#pragma once

#include <string>

#include "messages/MessageSink.h"

namespace plimo::cli {

// A setting as text and as a JSON number: the shortest decimal that reads
// back as the same float ("0.85", not "0.8500000238418579"); "null" when
// not finite, which a valid record never is.
std::string FloatText(float value);

// Keeps the last message a reader or writer showed, for the command to
// print in English on stderr together with its reason.
class LastMessage : public MessageSink {
 public:
  int ShowMessage(const MessagePair& message, int type) override;

  const char* english = nullptr;
};

}  // namespace plimo::cli
