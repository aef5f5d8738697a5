#include "ui/windows/DeviceLists.h"

#include <QComboBox>

#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"
#include "ui/windows/WindowTexts.h"

namespace plimo {

namespace t = tmpl::settings;

namespace {

constexpr int kListPixelSize = 11;  // px, as the rate list's

QComboBox* MakeList(QWidget* window, const tmpl::Control& control, const MessagePair& toolTip) {
  auto* list = new QComboBox(window);
  list->setObjectName(QString::number(control.id));
  list->setFont(skin::SkinFont(kListPixelSize));
  list->setGeometry(control.Rect());
  list->setToolTip(LocalText(toolTip));
  // Long descriptions are cut in the closed list, never the window.
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  list->setMinimumContentsLength(1);
  list->addItem(LocalText(kTextSystemDefault), QString());
  return list;
}

}  // namespace

DeviceLists::DeviceLists(VoiceParameters& record, QWidget* window)
    : record(record),
      microphones(MakeList(window, t::kMicrophoneDevice, texts::kMicrophoneDevice)),
      speakers(MakeList(window, t::kSpeakerDevice, texts::kSpeakerDevice)) {}

void DeviceLists::SetDevices(const std::vector<SoundDevice>& devices) {
  Fill(microphones, devices, false, &record.inputDevice);
  Fill(speakers, devices, true, &record.outputDevice);
}

void DeviceLists::Fill(QComboBox* list, const std::vector<SoundDevice>& devices, bool output,
                       std::string* chosen) {
  list->clear();
  list->addItem(LocalText(kTextSystemDefault), QString());
  bool listed = chosen->empty();
  for (const SoundDevice& device : devices) {
    if (device.output != output) continue;
    list->addItem(QString::fromStdString(device.description.empty() ? device.name : device.description),
                  QString::fromStdString(device.pcm));
    list->setItemData(list->count() - 1, QString::fromStdString(device.name), Qt::ToolTipRole);
    listed = listed || device.pcm == *chosen;
  }
  if (!listed) chosen->clear();
  Select(list, *chosen);
}

void DeviceLists::ShowChosen() {
  Select(microphones, record.inputDevice);
  Select(speakers, record.outputDevice);
}

void DeviceLists::Take(QComboBox* list, int row) {
  const std::string pcm = list->itemData(row).toString().toStdString();
  (list == microphones ? record.inputDevice : record.outputDevice) = pcm;
}

void DeviceLists::Select(QComboBox* list, const std::string& pcm) {
  const int row = list->findData(QString::fromStdString(pcm));
  list->setCurrentIndex(row < 0 ? 0 : row);
}

}  // namespace plimo
