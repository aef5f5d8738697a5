#pragma once

#include <QString>

class QWidget;

namespace plimo::test {

// Saves what the widget shows as screenshots/<language>/<name>.png under
// the build folder, for a reviewer to look at. Returns the path, or an
// empty string when it could not be written.
QString SaveScreenshot(QWidget& widget, const QString& name);

}  // namespace plimo::test
