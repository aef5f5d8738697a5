#include "ui/windows/SettingsWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>

#include "params/ParameterFile.h"
#include "params/SamplingRates.h"
#include "params/SliderRanges.h"
#include "params/VoiceParameters.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/FileChooser.h"
#include "ui/controls/ManualRadioButton.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"
#include "ui/windows/DeviceLists.h"
#include "ui/windows/SettingsHost.h"
#include "ui/windows/WindowTexts.h"

namespace plimo {

namespace {

namespace t = tmpl::settings;

struct SliderRow {
  const tmpl::Control* control;
  int minPos;
  int maxPos;
  int keyStep;
  SliderRange values;
  bool centred;
  float centre;
  const tmpl::Control* display;  // nullptr: no display
  const char* format;
  MessagePair toolTip;
  float (*parameter)(const VoiceParameters&);
};

constexpr float kUnity = 1.0f;  // the pitch and duration sliders' middle

const SliderRow kSliderRows[] = {
    {&t::kPitch, 60, 3000, 5, kPitchRange, true, kUnity, &t::kPitchDisplay, "%1.2f", texts::kPitch,
     [](const VoiceParameters& r) { return static_cast<float>(r.pitchFactor); }},
    {&t::kDuration, 30, 3000, 5, kDurationRange, true, kUnity, &t::kDurationDisplay, "%1.2f",
     texts::kDuration, [](const VoiceParameters& r) { return static_cast<float>(r.durationFactor); }},
    {&t::kVocalTract, 30, 3000, 5, kVocalTractRange, false, 0.0f, &t::kVocalTractDisplay, "%1.2f",
     texts::kVocalTract, [](const VoiceParameters& r) { return static_cast<float>(r.vocalTractFactor); }},
    {&t::kRobotPitch, 80, 3000, 5, kRobotPitchRange, false, 0.0f, &t::kRobotPitchDisplay, "%3.0f Hz.",
     texts::kRobotGender, [](const VoiceParameters& r) { return static_cast<float>(r.robotPitchHz); }},
    {&t::kReverbLevel, 0, 100, 1, kReverbLevelRange, false, 0.0f, nullptr, nullptr, texts::kReverbLevel,
     [](const VoiceParameters& r) { return static_cast<float>(r.reverbLevel); }},
    {&t::kWhisperLevel, 0, 50, 1, kWhisperLevelRange, false, 0.0f, nullptr, nullptr, texts::kWhisperLevel,
     [](const VoiceParameters& r) { return static_cast<float>(r.whisperLevel); }},
    {&t::kChorusLevel, 0, 50, 1, kChorusLevelRange, false, 0.0f, nullptr, nullptr, texts::kChorusLevel,
     [](const VoiceParameters& r) { return static_cast<float>(r.chorusLevel); }},
    {&t::kExpansion, 0, 100, 1, kThresholdRange, false, 0.0f, nullptr, nullptr, texts::kExpansion,
     [](const VoiceParameters& r) { return static_cast<float>(r.expansionThreshold); }},
    {&t::kCompression, 0, 100, 1, kThresholdRange, false, 0.0f, nullptr, nullptr, texts::kCompression,
     [](const VoiceParameters& r) { return static_cast<float>(r.compressionThreshold); }},
    {&t::kLimiting, 0, 100, 1, kThresholdRange, false, 0.0f, nullptr, nullptr, texts::kLimiting,
     [](const VoiceParameters& r) { return static_cast<float>(r.limitingThreshold); }},
    {&t::kGating, 0, 100, 1, kThresholdRange, false, 0.0f, nullptr, nullptr, texts::kGating,
     [](const VoiceParameters& r) { return static_cast<float>(r.gatingThreshold); }},
};

// The equaliser bands: -20 .. +20 dB over positions -200 .. 200.
constexpr int kBandMinPos = -200;
constexpr int kBandMaxPos = 200;
constexpr int kBandKeyStep = 5;

struct SwitchRow {
  const tmpl::Control* box;
  int slider;
  const tmpl::Control* display;  // shown and hidden with the slider
  MessagePair toolTip;
  int32_t (*parameter)(const VoiceParameters&);
};

const SwitchRow kSwitchRows[] = {
    {&t::kRobotBox, kRobotPitchSlider, &t::kRobotPitchDisplay, texts::kAddRobot,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.robotVoiceOn); }},
    {&t::kReverbBox, kReverbLevelSlider, nullptr, texts::kAddReverb,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.reverbOn); }},
    {&t::kWhisperBox, kWhisperLevelSlider, nullptr, texts::kAddWhisper,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.whisperOn); }},
    {&t::kChorusBox, kChorusLevelSlider, nullptr, texts::kAddChorus,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.chorusOn); }},
    {&t::kCompressorBox, kCompressionSlider, nullptr, texts::kAddCompressor,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.compressorOn); }},
    {&t::kExpanderBox, kExpansionSlider, nullptr, texts::kAddExpander,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.expanderOn); }},
    {&t::kLimiterBox, kLimitingSlider, nullptr, texts::kAddLimiter,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.limiterOn); }},
    {&t::kGaterBox, kGatingSlider, nullptr, texts::kAddGater,
     [](const VoiceParameters& r) { return static_cast<int32_t>(r.gaterOn); }},
};

// At set-up the handlers run with whisper before reverb.
constexpr int kSetUpSwitchOrder[] = {0, 2, 1, 3, 4, 5, 6, 7};

struct DisplayRow {
  const tmpl::Control* control;
  const MessagePair* toolTip;  // nullptr: none
};

const DisplayRow kDisplayRows[] = {{&t::kPitchDisplay, nullptr},
                                   {&t::kDurationDisplay, &texts::kDurationDisplay},
                                   {&t::kVocalTractDisplay, &texts::kVocalTractDisplay},
                                   {&t::kRobotPitchDisplay, &texts::kRobotGenderDisplay}};

// Hit zones around the sliders for a press on the bare surface, in px.
constexpr QMargins kUpperSliderZone{50, 20, 5, 20};  // left, up, right, down
constexpr QMargins kBandSliderZone{0, 20, 0, 40};
constexpr int kCheckBoxZone = 40;  // px to the right: the painted label
constexpr int kDelayZone = 100;    // px to the right of a delay choice: its label

constexpr int kDisplayPixelSize = 9;  // px
constexpr int kListPixelSize = 11;    // px

constexpr skin::ButtonBitmaps kLoadLook{skin::kBitmapLoad, skin::kBitmapLoadPressed, skin::kBitmapLoad,
                                        skin::kBitmapLoadDisabled};
constexpr skin::ButtonBitmaps kSaveLook{skin::kBitmapSave, skin::kBitmapSavePressed, skin::kBitmapSave,
                                        skin::kBitmapSaveDisabled};
constexpr skin::ButtonBitmaps kRevertLook{skin::kBitmapRevert, skin::kBitmapRevertPressed,
                                          skin::kBitmapRevert, skin::kBitmapRevertDisabled};
constexpr skin::ButtonBitmaps kCloseLook{skin::kBitmapClose, skin::kBitmapClosePressed, skin::kBitmapClose,
                                         skin::kBitmapCloseDisabled};
constexpr skin::ButtonBitmaps kCloseBoxLook{
    skin::kBitmapSettingsCloseBox, skin::kBitmapSettingsCloseBoxPressed, skin::kBitmapSettingsCloseBox,
    skin::kBitmapSettingsCloseBoxDisabled};

// The control's window rectangle in screen coordinates, widened by zone;
// its far edges count as inside.
QRect ScreenZone(const QWidget& control, const QMargins& zone) {
  const QPoint origin = control.mapToGlobal(QPoint(0, 0));
  return QRect(origin - QPoint(zone.left(), zone.top()),
               origin + QPoint(control.width() + zone.right(), control.height() + zone.bottom()));
}

}  // namespace

SettingsWindow::SettingsWindow(VoiceParameters& record, SettingsHost& host, MessageSink& messages,
                               FileChooser& chooser, QWidget* owner)
    : SkinnedDialog(skin::kBitmapSettingsBackground, skin::kToolFace, owner, Qt::Tool),
      record(record),
      host(host),
      messages(messages),
      chooser(chooser) {
  setObjectName(QStringLiteral("settings"));
  ApplyFrame();
  BuildControls();
  Refresh();
  setToolTip(LocalText(texts::kSettingsSurface));
  for (int index : kSetUpSwitchOrder) RunSwitchHandler(switches[index]);
}

void SettingsWindow::BuildControls() {
  for (const SliderRow& row : kSliderRows) {
    auto* slider = new ValueSlider(row.control->id, this);
    slider->move(row.control->Rect().topLeft());
    slider->setToolTip(LocalText(row.toolTip));
    slider->SetListener(this);
    sliders.insert(row.control->id, slider);
  }
  for (int band = 0; band < t::kBandCount; ++band) {
    auto* slider = new ValueSlider(t::kBands[band].id, this);
    slider->move(t::kBands[band].Rect().topLeft());
    slider->setToolTip(QString::fromLatin1(texts::kBandTips[band]));
    slider->SetListener(this);
    sliders.insert(t::kBands[band].id, slider);
  }
  QFont displayFont = skin::SkinFont(kDisplayPixelSize);
  displayFont.setFamilies({QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
  for (const DisplayRow& row : kDisplayRows) {
    auto* display = new QLabel(this);
    display->setObjectName(QString::number(row.control->id));
    display->setGeometry(row.control->Rect());
    display->setAlignment(Qt::AlignCenter);
    display->setFont(displayFont);
    display->setAutoFillBackground(true);
    if (row.toolTip != nullptr) display->setToolTip(LocalText(*row.toolTip));
  }
  for (const SwitchRow& row : kSwitchRows) {
    auto* box = new QCheckBox(this);
    box->setObjectName(QString::number(row.box->id));
    box->move(row.box->Rect().topLeft());
    box->resize(box->sizeHint().expandedTo(row.box->Rect().size()));
    box->setToolTip(LocalText(row.toolTip));
    QLabel* display = row.display == nullptr ? nullptr : findChild<QLabel*>(QString::number(row.display->id));
    switches.append({box, sliders.value(row.slider), display});
    const Switch effect = switches.back();
    connect(box, &QCheckBox::clicked, this, [this, effect] { RunSwitchHandler(effect); });
  }

  samplingRates = new QComboBox(this);
  samplingRates->setObjectName(QString::number(t::kSamplingRate.id));
  const QRect list = t::kSamplingRate.Rect();
  samplingRates->setFont(skin::SkinFont(kListPixelSize));
  samplingRates->setGeometry(QRect(list.topLeft(), QSize(list.width(), samplingRates->sizeHint().height())));
  samplingRates->setToolTip(LocalText(texts::kSamplingRate));
  connect(samplingRates, &QComboBox::activated, this, [this] { ChooseSamplingRate(); });

  devices = std::make_unique<DeviceLists>(record, this);
  for (QComboBox* list : {devices->Microphones(), devices->Speakers()}) {
    connect(list, &QComboBox::activated, this, [this, list](int row) { ChooseDevice(list, row); });
  }

  const auto delayChoice = [this](const tmpl::Control& control, const MessagePair& toolTip,
                                  LatencyProfile profile) {
    auto* made = new ManualRadioButton(control.id, this);
    made->move(control.Rect().topLeft());
    made->resize(made->sizeHint().expandedTo(control.Rect().size()));
    made->setToolTip(LocalText(toolTip));
    connect(made, &QAbstractButton::clicked, this, [this, profile] { ChooseLatencyProfile(profile); });
    return made;
  };
  standardDelay = delayChoice(t::kStandardDelay, texts::kStandardDelay, LatencyProfile::kStandard);
  lowDelay = delayChoice(t::kLowDelay, texts::kLowDelay, LatencyProfile::kLow);

  const auto button = [this](const tmpl::Control& control, const skin::ButtonBitmaps& look,
                             const MessagePair& toolTip, void (SettingsWindow::*command)()) {
    auto* made = new BitmapButton(control.id, this);
    made->LoadBitmaps(look);
    made->move(control.Rect().topLeft());
    made->SizeToContent();
    made->setToolTip(LocalText(toolTip));
    connect(made, &QAbstractButton::clicked, this, command);
  };
  button(t::kLoad, kLoadLook, texts::kLoadSettings, &SettingsWindow::LoadParameterFile);
  button(t::kSave, kSaveLook, texts::kSaveSettings, &SettingsWindow::SaveParameterFile);
  button(t::kRevert, kRevertLook, texts::kRevert, &SettingsWindow::RevertToDefaults);
  button(t::kClose, kCloseLook, texts::kCloseSettings, &SettingsWindow::CloseWindow);
  button(t::kCloseBox, kCloseBoxLook, texts::kCloseSettings, &SettingsWindow::CloseWindow);
}

void SettingsWindow::CopyControlsToParameters(int controlId) {
  record.CopyControlsToParameters(controlId, *this);
}

void SettingsWindow::Refresh() {
  host.RefreshWorkingFolder();
  samplingRates->clear();
  for (int32_t rate : kSamplingRates) samplingRates->addItem(QString::number(rate));
  FillControls();
  SetBandSliders();
  RunSwitchHandler(switches.front());
}

void SettingsWindow::RefreshFromParameters() {
  FillControls();
  SetBandSliders();
}

void SettingsWindow::FillControls() {
  for (const SliderRow& row : kSliderRows) {
    QLabel* display = row.display == nullptr ? nullptr : findChild<QLabel*>(QString::number(row.display->id));
    sliders.value(row.control->id)
        ->SetUp({row.minPos, row.maxPos, row.keyStep, row.values.lowest, row.values.highest,
                 row.parameter(record), row.centred, row.centre, display, row.format, QString(),
                 skin::kBitmapSettingsThumb, skin::kBitmapSettingsChannelAbove,
                 skin::kBitmapSettingsChannelBelow});
  }
  for (const tmpl::Control& band : t::kBands) {
    sliders.value(band.id)->SetUp({kBandMinPos, kBandMaxPos, kBandKeyStep, kBandGainRange.lowest,
                                   kBandGainRange.highest, 0.0f, false, 0.0f, nullptr, nullptr, QString(),
                                   skin::kBitmapSettingsThumb, skin::kBitmapSettingsChannelAbove,
                                   skin::kBitmapSettingsChannelBelow});
  }
  SelectRecordRate();
  ShowLatencyProfile();
  for (int i = 0; i < switches.size(); ++i) {
    switches[i].box->setChecked(kSwitchRows[i].parameter(record) != 0);
    RunSwitchHandler(switches[i]);
  }
  host.ApplyModeEnabling();
}

void SettingsWindow::SetBandSliders() {
  for (int band = 0; band < t::kBandCount; ++band) {
    sliders.value(t::kBands[band].id)->SetValue(record.equaliser.Gain(band));
  }
}

void SettingsWindow::SelectRecordRate() {
  const QString rate = QString::number(static_cast<int32_t>(record.samplingRate));
  for (int i = 0; i < samplingRates->count(); ++i) {
    if (samplingRates->itemText(i).startsWith(rate)) {
      samplingRates->setCurrentIndex(i);
      return;
    }
  }
}

void SettingsWindow::RunSwitchHandler(const Switch& effect) {
  CopyControlsToParameters(effect.box->objectName().toInt());
  const bool on = effect.box->isChecked();
  effect.slider->setVisible(on);
  if (effect.display != nullptr) effect.display->setVisible(on);
  FocusSlider(on ? effect.slider : nullptr);
}

void SettingsWindow::FocusSlider(ValueSlider* slider) {
  if (slider != nullptr) {
    slider->setFocus();
  } else if (qobject_cast<QSlider*>(focusWidget()) != nullptr) {
    setFocus();
  }
}

void SettingsWindow::ChooseSamplingRate() {
  // The engine sizes its buffers for the rate when a run starts: while one
  // runs the list keeps showing the rate in use.
  if (host.IsOperationRunning()) {
    SelectRecordRate();
    return;
  }
  CopyControlsToParameters(kSamplingRateList);
}

void SettingsWindow::ShowLatencyProfile() {
  const bool low = record.latencyProfile == LatencyProfile::kLow;
  standardDelay->setChecked(!low);
  lowDelay->setChecked(low);
}

void SettingsWindow::ChooseLatencyProfile(LatencyProfile profile) {
  // A live run sets its devices and buffers up for the profile when it
  // starts: while one runs the choice stays on the profile in use, as the
  // rate list does.
  if (!host.IsOperationRunning()) record.latencyProfile = profile;
  ShowLatencyProfile();
}

void SettingsWindow::SetSoundDevices(const std::vector<SoundDevice>& listed) {
  const std::string input = record.inputDevice;
  const std::string output = record.outputDevice;
  devices->SetDevices(listed);
  if (record.inputDevice != input || record.outputDevice != output) host.DevicesChosen();
}

void SettingsWindow::ChooseDevice(QComboBox* list, int row) {
  if (host.IsOperationRunning()) {
    devices->ShowChosen();
    return;
  }
  devices->Take(list, row);
  host.DevicesChosen();
}

bool SettingsWindow::ClaimSurfacePress(const QPoint& global) {
  for (ManualRadioButton* choice : {standardDelay, lowDelay}) {
    if (ScreenZone(*choice, QMargins(0, 0, kDelayZone, 0)).contains(global)) {
      choice->click();
      return true;
    }
  }
  for (const Switch& effect : switches) {
    if (ScreenZone(*effect.box, QMargins(0, 0, kCheckBoxZone, 0)).contains(global)) {
      effect.box->toggle();
      RunSwitchHandler(effect);
      return true;
    }
  }
  QList<ValueSlider*> candidates;
  for (int id : {kDurationSlider, kVocalTractSlider, kPitchSlider}) {
    if (ScreenZone(*sliders.value(id), kUpperSliderZone).contains(global))
      candidates.append(sliders.value(id));
  }
  for (const tmpl::Control& band : t::kBands) {
    if (ScreenZone(*sliders.value(band.id), kBandSliderZone).contains(global)) {
      candidates.append(sliders.value(band.id));
    }
  }
  for (const Switch& effect : switches) {
    if (effect.box->isChecked() && ScreenZone(*effect.slider, kUpperSliderZone).contains(global)) {
      candidates.append(effect.slider);
    }
  }
  if (!candidates.isEmpty()) {
    FocusSlider(candidates.front());
    return true;
  }
  FocusSlider(nullptr);
  return false;
}

float SettingsWindow::SliderValue(int sliderId) const {
  const ValueSlider* slider = sliders.value(sliderId);
  return slider == nullptr ? 0.0f : slider->Value();
}

bool SettingsWindow::IsChecked(int checkBoxId) const {
  for (const Switch& effect : switches) {
    if (effect.box->objectName().toInt() == checkBoxId) return effect.box->isChecked();
  }
  return false;
}

std::string SettingsWindow::SelectedSamplingRateText() const {
  return samplingRates->currentText().toStdString();
}

bool SettingsWindow::IsOperationRunning() const { return host.IsOperationRunning(); }

void SettingsWindow::RevertToDefaults() {
  record.ResetToDefaults();
  FillControls();
  SetBandSliders();
  host.ChoosePreset(record.presetIndex);
}

void SettingsWindow::LoadParameterFile() {
  QString path;
  if (!chooser.ChooseFileToOpen(this, QString::fromLatin1(kParameterFileFilter), &path)) return;
  // A file that cannot be read has been reported and has changed nothing.
  static_cast<void>(ReadParameterFile(QFile::encodeName(path).toStdString(), record, messages));
  Refresh();
}

void SettingsWindow::SaveParameterFile() {
  CopyControlsToParameters(kAllSettingsControls);
  QString path;
  if (!chooser.ChooseFileToSave(this, QString::fromLatin1(kParameterFileFilter), QStringLiteral("prm"),
                                QFile::decodeName(QByteArray::fromStdString(record.settingsFileName)),
                                &path)) {
    return;
  }
  record.settingsFileName = QFile::encodeName(path).toStdString();
  // A failed write has been reported; the record keeps its settings.
  static_cast<void>(WriteParameterFile(record, messages));
}

void SettingsWindow::CloseWindow() {
  CopyControlsToParameters(kAllSettingsControls);
  hide();
}

}  // namespace plimo
