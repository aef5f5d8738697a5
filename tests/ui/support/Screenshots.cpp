#include "ui/support/Screenshots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

#include "messages/Language.h"

namespace plimo::test {

QString SaveScreenshot(QWidget& widget, const QString& name) {
  const QString folder = QStringLiteral(PLIMO_SCREENSHOT_DIR "/") +
                         (IsTurkish(LanguageFlag()) ? QStringLiteral("tr") : QStringLiteral("en"));
  if (!QDir().mkpath(folder)) return QString();
  const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
  return widget.grab().save(path) ? path : QString();
}

}  // namespace plimo::test
