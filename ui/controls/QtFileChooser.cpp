#include "ui/controls/QtFileChooser.h"

#include <QFileDialog>

namespace plimo {

namespace {

bool RunDialog(QFileDialog& dialog, QString* path) {
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  *path = chosen.first();
  return true;
}

}  // namespace

bool QtFileChooser::ChooseFileToOpen(QWidget* owner, const QString& filter, QString* path) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(filter);
  return RunDialog(dialog, path);
}

bool QtFileChooser::ChooseFileToSave(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                                     const QString& initialName, QString* path) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(defaultSuffix);
  if (!initialName.isEmpty()) dialog.selectFile(initialName);
  return RunDialog(dialog, path);
}

bool QtFileChooser::ChooseFolder(QWidget* owner, const QString& title, const QString& startFolder,
                                 QString* path) {
  QFileDialog dialog(owner, title);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  if (!startFolder.isEmpty()) dialog.setDirectory(startFolder);
  return RunDialog(dialog, path);
}

}  // namespace plimo
