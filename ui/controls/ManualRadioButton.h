#pragma once

#include <QRadioButton>

namespace plimo {

// A radio button that a click does not check: its window decides, in its
// click handler, which button of the group is checked, so a click the
// window ignores leaves the buttons as they were.
class ManualRadioButton : public QRadioButton {
 public:
  ManualRadioButton(int controlId, QWidget* parent) : QRadioButton(parent) {
    setObjectName(QString::number(controlId));
    setAutoExclusive(false);
  }

 protected:
  void nextCheckState() override {}
};

}  // namespace plimo
