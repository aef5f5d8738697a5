#include "ui/windows/FileNames.h"

namespace plimo {

namespace {
const QLatin1Char kSeparator('/');
const QLatin1String kWavExtension(".wav");

qsizetype LastSeparator(const QString& path) {
  return qMax(path.lastIndexOf(kSeparator), path.lastIndexOf(QLatin1Char('\\')));
}
}  // namespace

QString TimeStampedName(const QDateTime& when) {
  return when.toString(QStringLiteral("yyyyMMddHHmmss"));
}

bool HasWavExtension(const QString& name) {
  return name.trimmed().endsWith(kWavExtension, Qt::CaseInsensitive);
}

QString WithWavExtension(const QString& name) {
  return HasWavExtension(name) ? name : name + kWavExtension;
}

QString WithTrailingSeparator(const QString& folder) {
  return folder.endsWith(kSeparator) ? folder : folder + kSeparator;
}

QString FolderOf(const QString& path) { return path.left(LastSeparator(path) + 1); }

QString FileNameOf(const QString& path) { return path.mid(LastSeparator(path) + 1); }

}  // namespace plimo
