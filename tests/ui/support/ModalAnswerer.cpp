#include "ui/support/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>

#include "ui/support/Screenshots.h"

namespace plimo::test {

namespace {
constexpr int kPollMs = 5;
}  // namespace

ModalAnswerer::ModalAnswerer(const QString& buttonName) : buttonName(buttonName) {
  QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
  timer.start(kPollMs);
}

void ModalAnswerer::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr || modal == answered || !modal->isVisible()) return;
  auto* button = modal->findChild<QAbstractButton*>(buttonName);
  if (button == nullptr || !button->isVisible()) return;
  answered = modal;
  auto* text = modal->findChild<QLabel*>(QStringLiteral("67001"));
  texts.append(text != nullptr ? text->text() : QString());
  if (inspect) inspect(*modal);
  if (!screenshotName.isEmpty()) {
    SaveScreenshot(*modal, screenshotName);
    screenshotName.clear();
  }
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace plimo::test
