#pragma once

#include <QDialog>

namespace plimo {

// The About box of the main window's menu: the icon, the program's
// picture and its name in the built language.
class AboutBox : public QDialog {
 public:
  explicit AboutBox(QWidget* owner);
};

}  // namespace plimo
