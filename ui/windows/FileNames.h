#pragma once

#include <QDateTime>
#include <QString>

namespace plimo {

// The name that stands for the sound card wherever a file name is expected.
inline constexpr const char* kSoundCardName = "sb";

// The local date and time as 14 digits, year month day hour minute second,
// each after the year two digits wide: 20240307090502.
QString TimeStampedName(const QDateTime& when);

// True when the name, spaces trimmed, ends in ".wav" in any case.
bool HasWavExtension(const QString& name);
// The name with ".wav" appended unless it has it.
QString WithWavExtension(const QString& name);

// A folder ending in exactly one separator.
QString WithTrailingSeparator(const QString& folder);

// The chosen path split at its last separator: the folder keeps the
// separator, the name is what follows it.
QString FolderOf(const QString& path);
QString FileNameOf(const QString& path);

}  // namespace plimo
