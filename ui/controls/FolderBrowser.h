#pragma once

#include <QString>

class QWidget;

namespace plimo {

class FileChooser;

// Picks a folder, starting where the last pick ended.
class FolderBrowser {
 public:
  explicit FolderBrowser(FileChooser& chooser) : chooser(chooser) {}

  // Shows the picker titled "Browse for path". True when a folder was
  // chosen, which SelectedPath then holds; a cancel keeps the old one.
  bool Browse(QWidget* owner);

  const QString& SelectedPath() const { return selectedPath; }

 private:
  FileChooser& chooser;
  QString selectedPath;
  QString startPath;
};

}  // namespace plimo
