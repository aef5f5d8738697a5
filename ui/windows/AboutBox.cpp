#include "ui/windows/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "messages/MessageTable.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/Skin.h"
#include "ui/skin/SkinText.h"

namespace plimo {

namespace {
constexpr int kAboutTextId = 1030;
constexpr int kTextPixelSize = 13;  // px
}  // namespace

AboutBox::AboutBox(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QStringLiteral("Varnel 1.0"));
  setWindowIcon(skin::ApplicationIcon());

  auto* icon = new QLabel(this);
  icon->setPixmap(skin::Bitmap(skin::kBitmapIcon, devicePixelRatioF()));
  auto* picture = new QLabel(this);
  picture->setPixmap(skin::Bitmap(skin::kBitmapAbout, devicePixelRatioF()));
  auto* text = new QLabel(LocalText(kTextAbout), this);
  text->setObjectName(QString::number(kAboutTextId));
  text->setFont(skin::SkinFont(kTextPixelSize, true));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("1"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(picture);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(text, 0, Qt::AlignHCenter);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace plimo
