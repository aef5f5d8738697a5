#pragma once

#include <QString>

class QWidget;

namespace plimo {

// The file and folder pickers the windows open. The program uses the
// toolkit's dialogs (QtFileChooser); tests answer in their place.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // An existing file; false when the user cancelled. filter is in the
  // toolkit's form, "Wav Files (*.wav);;All Files (*)".
  virtual bool ChooseFileToOpen(QWidget* owner, const QString& filter, QString* path) = 0;
  // A file to write, starting from initialName; a name typed without an
  // extension gets defaultSuffix, and an existing file is only chosen after
  // the user agreed to replace it.
  virtual bool ChooseFileToSave(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                const QString& initialName, QString* path) = 0;
  // A folder of the file system, starting at startFolder when it is set.
  virtual bool ChooseFolder(QWidget* owner, const QString& title, const QString& startFolder,
                            QString* path) = 0;
};

// Filters of the file dialogs, the same in both languages.
inline constexpr const char* kSoundFilter =
    "Sound Files (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff *.rf64);;Wav Files (*.wav);;All Files (*)";
inline constexpr const char* kParameterFileFilter = "Prm Files (*.prm);;All Files (*)";

}  // namespace plimo
