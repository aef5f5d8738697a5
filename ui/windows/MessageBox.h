#pragma once

#include <QString>

#include "messages/MessageSink.h"
#include "ui/controls/SkinnedDialog.h"

class QLabel;
class QTimer;

namespace plimo {

class BitmapButton;

// The message type that asks for OK and Cancel as well as type 1.
inline constexpr int kMessageTypeOkCancelAlso = 33;
inline constexpr int kSelfClosingDelayMs = 10000;

// The skinned box one message is shown in: the text, OK, and Cancel for
// the types that ask for it. A press anywhere on it moves it. Unlike the
// tool windows it answers the keyboard: Enter presses the button that has
// the focus (OK at first), Escape cancels.
class MessageDialog : public SkinnedDialog {
 public:
  MessageDialog(const QString& text, int type, QWidget* owner);

  static bool HasCancel(int type) { return type == kMessageTypeOkCancel || type == kMessageTypeOkCancelAlso; }

  // Escape and every close of the window end here: Cancel's answer, or
  // OK's where OK is the only answer the box offers.
  void reject() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool offersCancel;
  BitmapButton* okButton;
  BitmapButton* cancelButton;
  QLabel* textLabel;
  QTimer* selfClose = nullptr;
};

// The application's message box. Shows each message modally over its
// owner, in the language the program was built with, and answers
// kMessageAnswerOk when the user pressed OK or a self-closing box closed
// itself, kMessageAnswerNotOk otherwise.
class myMessageBox : public MessageSink {
 public:
  explicit myMessageBox(QWidget* owner = nullptr) : owner(owner) {}

  void SetOwner(QWidget* newOwner) { owner = newOwner; }

  // Types: 0 OK; 1 and 33 OK and Cancel; 2 OK, closing itself after ten
  // seconds as if OK had been pressed; any other OK.
  int Show(const QString& text, int type);
  int ShowMessage(const MessagePair& message, int type) override;

 private:
  QWidget* owner;
};

}  // namespace plimo
