#pragma once

#include "ui/controls/FileChooser.h"

namespace plimo {

// The pickers as the toolkit's own modal file dialogs.
class QtFileChooser : public FileChooser {
 public:
  bool ChooseFileToOpen(QWidget* owner, const QString& filter, QString* path) override;
  bool ChooseFileToSave(QWidget* owner, const QString& filter, const QString& defaultSuffix,
                        const QString& initialName, QString* path) override;
  bool ChooseFolder(QWidget* owner, const QString& title, const QString& startFolder, QString* path) override;
};

}  // namespace plimo
