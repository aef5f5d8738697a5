#pragma once

#include <string>
#include <vector>

#include "messages/MessageSink.h"

namespace plimo::test {

// Keeps every message shown, in order, and answers OK.
class RecordingMessageSink : public MessageSink {
 public:
  struct Shown {
    std::string english;
    std::string turkish;
    int type;
  };

  int ShowMessage(const MessagePair& message, int type) override {
    shown.push_back({message.english, message.turkish, type});
    return kMessageAnswerOk;
  }

  std::vector<Shown> shown;
};

}  // namespace plimo::test
