#pragma once

#include "messages/MessagePair.h"

namespace plimo {

// Message box types: which buttons the box offers.
inline constexpr int kMessageTypeOk = 0;           // OK only; every table message
inline constexpr int kMessageTypeOkCancel = 1;     // OK and Cancel (33 as well)
inline constexpr int kMessageTypeSelfClosing = 2;  // OK only, closes itself

// Answers of ShowMessage.
inline constexpr int kMessageAnswerOk = 1;
inline constexpr int kMessageAnswerNotOk = 2;

// Where failures the user must know about are shown: the application's
// message box in the windowed program, stderr in plimo-cli. The sink picks
// the text of the pair by the language flag.
class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows the message modally; kMessageAnswerOk when the user confirmed
  // (or the box closed itself), kMessageAnswerNotOk otherwise.
  virtual int ShowMessage(const MessagePair& message, int type) = 0;
};

}  // namespace plimo
