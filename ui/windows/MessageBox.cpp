#include "ui/windows/MessageBox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include "ui/controls/BitmapButton.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"

namespace plimo {

namespace t = tmpl::message;

namespace {

constexpr skin::ButtonBitmaps kOkLook{skin::kBitmapMessageOk, skin::kBitmapMessageOkPressed,
                                      skin::kBitmapMessageOk, skin::kBitmapMessageOkDisabled};
constexpr skin::ButtonBitmaps kCancelLook{skin::kBitmapMessageCancel, skin::kBitmapMessageCancelPressed,
                                          skin::kBitmapMessageCancel, skin::kBitmapMessageCancelDisabled};
constexpr int kTextPixelSize = 12;  // px

BitmapButton* MakeButton(const tmpl::Control& control, const skin::ButtonBitmaps& look, QWidget* parent) {
  auto* button = new BitmapButton(control.id, parent);
  button->LoadBitmaps(look);
  button->move(control.Rect().topLeft());
  button->SizeToContent();
  return button;
}

}  // namespace

MessageDialog::MessageDialog(const QString& text, int type, QWidget* owner)
    : SkinnedDialog(skin::kBitmapMessageBackground, skin::kMainFace, owner, Qt::Dialog),
      offersCancel(HasCancel(type)),
      okButton(MakeButton(t::kOk, kOkLook, this)),
      cancelButton(MakeButton(t::kCancel, kCancelLook, this)),
      textLabel(new QLabel(text, this)) {
  setWindowTitle(QStringLiteral("Varnel 3.0"));
  ApplyFrame();
  if (type == kMessageTypeSelfClosing) {
    selfClose = new QTimer(this);
    selfClose->setSingleShot(true);
    selfClose->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire half a second early
    connect(selfClose, &QTimer::timeout, this, &QDialog::accept);
    selfClose->start(kSelfClosingDelayMs);
  }
  if (!offersCancel) {
    // One button, in the middle of the two buttons' places.
    cancelButton->setEnabled(false);
    cancelButton->hide();
    const QRect ok = okButton->geometry();
    const QRect cancel = cancelButton->geometry();
    okButton->setGeometry(QRect(QPoint((ok.left() + cancel.left()) / 2, ok.top()),
                                QPoint((ok.right() + cancel.right()) / 2, ok.bottom())));
  }
  textLabel->setObjectName(QString::number(t::kText.id));
  textLabel->setGeometry(t::kText.Rect());
  textLabel->setWordWrap(true);
  textLabel->setAlignment(Qt::AlignCenter);
  textLabel->setFont(skin::SkinFont(kTextPixelSize));
  textLabel->setAutoFillBackground(true);
  connect(okButton, &QAbstractButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QAbstractButton::clicked, this, &QDialog::reject);
  okButton->setFocus();
}

void MessageDialog::reject() {
  if (offersCancel) {
    SkinnedDialog::reject();
  } else {
    accept();
  }
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: (cancelButton->hasFocus() ? cancelButton : okButton)->click(); return;
    case Qt::Key_Escape: reject(); return;
    default: SkinnedDialog::keyPressEvent(event);
  }
}

int myMessageBox::Show(const QString& text, int type) {
  MessageDialog dialog(text, type, owner);
  return dialog.exec() == QDialog::Accepted ? kMessageAnswerOk : kMessageAnswerNotOk;
}

int myMessageBox::ShowMessage(const MessagePair& message, int type) { return Show(LocalText(message), type); }

}  // namespace plimo
