#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

namespace plimo::test {

// Answers every modal window that opens while it lives, as a user would:
// notes its message text (the static text named "67001") and clicks the
// button named by the answer ("1" OK, "2" Cancel). A window test thereby
// runs code that shows a message box without blocking.
class ModalAnswerer {
 public:
  explicit ModalAnswerer(const QString& buttonName = QStringLiteral("1"));

  const QStringList& Texts() const { return texts; }
  // Screenshot name for the next box it answers; empty takes none.
  void ScreenshotNextAs(const QString& name) { screenshotName = name; }
  // Looks at each modal window before answering it.
  void InspectWith(std::function<void(QWidget&)> newInspect) { inspect = std::move(newInspect); }
  // How many modal windows it has answered.
  int Answered() const { return static_cast<int>(texts.size()); }

 private:
  void Poll();

  QString buttonName;
  QStringList texts;
  QString screenshotName;
  std::function<void(QWidget&)> inspect;
  QPointer<QWidget> answered;
  QTimer timer;
};

}  // namespace plimo::test
