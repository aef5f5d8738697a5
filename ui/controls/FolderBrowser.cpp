#include "ui/controls/FolderBrowser.h"

#include "ui/controls/FileChooser.h"

namespace plimo {

namespace {
constexpr const char* kBrowseTitle = "Browse for path";  // both languages
}  // namespace

bool FolderBrowser::Browse(QWidget* owner) {
  if (!selectedPath.isEmpty()) startPath = selectedPath;
  // Trailing spaces and one trailing separator go, but the root stays.
  while (startPath.endsWith(QLatin1Char(' '))) startPath.chop(1);
  if (startPath.size() > 1 &&
      (startPath.endsWith(QLatin1Char('/')) || startPath.endsWith(QLatin1Char('\\')))) {
    startPath.chop(1);
  }
  QString chosen;
  if (!chooser.ChooseFolder(owner, QString::fromLatin1(kBrowseTitle), startPath, &chosen)) return false;
  selectedPath = chosen;
  return true;
}

}  // namespace plimo
