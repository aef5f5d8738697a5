#include "ui/windows/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <cmath>
#include <functional>
#include <initializer_list>

#include "audio/SoundFile.h"
#include "audio/VolumeControl.h"
#include "engine/SoundBoard.h"
#include "messages/MessageTable.h"
#include "ops/FileNames.h"
#include "params/SamplingRates.h"
#include "params/VoiceParameters.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/FileChooser.h"
#include "ui/controls/LevelMeter.h"
#include "ui/controls/ManualRadioButton.h"
#include "ui/help/HelpBook.h"
#include "ui/skin/BitmapIds.h"
#include "ui/skin/Skin.h"
#include "ui/skin/SkinColours.h"
#include "ui/skin/SkinLabels.h"
#include "ui/skin/SkinText.h"
#include "ui/skin/Templates.h"
#include "ui/windows/AboutBox.h"
#include "ui/windows/OperationsPort.h"
#include "ui/windows/SettingsWindow.h"
#include "ui/windows/VolumeWindow.h"
#include "ui/windows/WindowTexts.h"

namespace plimo {

namespace {

namespace t = tmpl::main_window;
using skin::ButtonBitmaps;

constexpr ButtonBitmaps kRecordLook{skin::kBitmapRecord, skin::kBitmapRecordPressed, skin::kBitmapRecord,
                                    skin::kBitmapRecordDisabled};
constexpr ButtonBitmaps kStopLook{skin::kBitmapStop, skin::kBitmapStopPressed, skin::kBitmapStop,
                                  skin::kBitmapStopDisabled};
constexpr ButtonBitmaps kPlayRecordingLook{skin::kBitmapPlayRecording, skin::kBitmapPlayRecordingPressed,
                                           skin::kBitmapPlayRecording, skin::kBitmapPlayRecordingDisabled};
constexpr ButtonBitmaps kStartLook{skin::kBitmapStart, skin::kBitmapStartPressed, skin::kBitmapStart,
                                   skin::kBitmapStartDisabled};
constexpr ButtonBitmaps kPlayOutputLook{skin::kBitmapPlayOutput, skin::kBitmapPlayOutputPressed,
                                        skin::kBitmapPlayOutput, skin::kBitmapPlayOutputDisabled};
constexpr ButtonBitmaps kVolumeLook{skin::kBitmapVolume, skin::kBitmapVolumePressed, skin::kBitmapVolume,
                                    skin::kBitmapVolumeDisabled};
constexpr ButtonBitmaps kHelpLook{skin::kBitmapHelp, skin::kBitmapHelpPressed, skin::kBitmapHelp,
                                  skin::kBitmapHelpDisabled};
constexpr ButtonBitmaps kSettingsLook{skin::kBitmapSettings, skin::kBitmapSettingsPressed,
                                      skin::kBitmapSettings, skin::kBitmapSettingsDisabled};
constexpr ButtonBitmaps kExitLook{skin::kBitmapClose, skin::kBitmapClosePressed, skin::kBitmapClose,
                                  skin::kBitmapCloseDisabled};
constexpr ButtonBitmaps kCloseBoxLook{skin::kBitmapMainCloseBox, skin::kBitmapMainCloseBoxPressed,
                                      skin::kBitmapMainCloseBox, skin::kBitmapMainCloseBoxDisabled};
constexpr ButtonBitmaps kMinimiseLook{skin::kBitmapMinimise, skin::kBitmapMinimisePressed,
                                      skin::kBitmapMinimise, skin::kBitmapMinimiseDisabled};
constexpr ButtonBitmaps kBrowseLook{skin::kBitmapBrowse, skin::kBitmapBrowsePressed, skin::kBitmapBrowse,
                                    skin::kBitmapBrowseDisabled};

constexpr int kProgressRange = 100;     // percent
constexpr qreal kModeLabelShare = 0.4;  // of the width: a mode label's click zone
constexpr qreal kKindLabelShare = 0.2;  // of the width: a speaker label's click zone
constexpr int kFieldPixelSize = 11;     // px
constexpr int kLevelMeterZone = 25;     // segments in each of green, yellow and red

using Widgets = std::initializer_list<QWidget*>;

// The control's window rectangle in screen coordinates widened to the
// right; its far edges count as inside.
QRect ScreenZoneRightOf(const QWidget& control, int widening) {
  const QPoint origin = control.mapToGlobal(QPoint(0, 0));
  return QRect(origin, origin + QPoint(control.width() + widening, control.height()));
}

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString FromLocalPath(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

}  // namespace

MainWindow::MainWindow(VoiceParameters& record, OperationsPort& operations, VolumeControl* speaker,
                       VolumeControl* microphone, FileChooser& chooser, HelpBook& help)
    : SkinnedDialog(skin::kBitmapMainBackground, skin::kMainFace, nullptr, Qt::Window),
      record(record),
      operations(operations),
      chooser(chooser),
      help(help),
      folderBrowser(chooser),
      messages(this),
      speakerGain(speaker),
      microphoneGain(microphone) {
  setObjectName(QStringLiteral("main"));
  BuildControls();
  settings = new SettingsWindow(record, *this, messages, chooser, this);
  settings->hide();
  volume = new VolumeWindow(speaker, microphone, messages, this);
  volume->hide();
  SetUp();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  const auto button = [this](const tmpl::Control& control, const ButtonBitmaps& look,
                             std::function<void()> command) {
    auto* made = new BitmapButton(control.id, this);
    made->LoadBitmaps(look);
    made->move(control.Rect().topLeft());
    made->SizeToContent();
    connect(made, &QAbstractButton::clicked, this, std::move(command));
    return made;
  };
  recordButton = button(t::kRecord, kRecordLook, [this] { Record(); });
  playRecordingButton = button(t::kPlayRecording, kPlayRecordingLook, [this] { PlayInput(); });
  startButton = button(t::kStart, kStartLook, [this] { StartModification(); });
  playOutputButton = button(t::kPlayOutput, kPlayOutputLook, [this] { PlayOutput(); });
  stopButton = button(t::kStop, kStopLook, [this] { ResetAfterStop(); });
  volumeButton = button(t::kVolume, kVolumeLook, [this] { volume->show(); });
  helpButton = button(t::kHelp, kHelpLook, [this] { ShowHelp(); });
  settingsButton = button(t::kSettings, kSettingsLook, [this] { settings->show(); });
  exitButton = button(t::kExit, kExitLook, [this] { Exit(); });
  closeBox = button(t::kCloseBox, kCloseBoxLook, [this] { Exit(); });
  minimiseButton = button(t::kMinimise, kMinimiseLook, [this] { showMinimized(); });
  browseOutputButton = button(t::kBrowseOutput, kBrowseLook, [this] { BrowseOutputFile(); });
  browseFolderButton = button(t::kBrowseFolder, kBrowseLook, [this] { BrowseWorkingFolder(); });
  browseInputButton = button(t::kBrowseInput, kBrowseLook, [this] { BrowseInputFile(); });

  meter = new LevelMeter(t::kLevelMeter.id, this);
  meter->setGeometry(t::kLevelMeter.Rect());

  const QFont fieldFont = skin::SkinFont(kFieldPixelSize);
  presetList = new QComboBox(this);
  presetList->setObjectName(QString::number(t::kPresetList.id));
  presetList->setFont(fieldFont);
  presetList->setMaxVisibleItems(kPresetCount);
  const QRect list = t::kPresetList.Rect();
  presetList->setGeometry(QRect(list.topLeft(), QSize(list.width(), presetList->sizeHint().height())));
  connect(presetList, &QComboBox::activated, this, [this] { ChoosePresetFromList(); });

  const auto radio = [this](const tmpl::Control& control) {
    auto* made = new ManualRadioButton(control.id, this);
    made->move(control.Rect().topLeft());
    made->resize(made->sizeHint().expandedTo(control.Rect().size()));
    return made;
  };
  manButton = radio(t::kMan);
  childButton = radio(t::kChild);
  womanButton = radio(t::kWoman);
  fileModeButton = radio(t::kFileMode);
  realTimeButton = radio(t::kRealTime);
  for (ManualRadioButton* kind : {manButton, childButton, womanButton}) {
    connect(kind, &QAbstractButton::clicked, this, [this, kind] { ChooseSpeakerKind(kind); });
  }
  connect(fileModeButton, &QAbstractButton::clicked, this, [this] { SwitchMode(false); });
  connect(realTimeButton, &QAbstractButton::clicked, this, [this] { SwitchMode(true); });

  const auto box = [this](const tmpl::Control& control) {
    auto* made = new QCheckBox(this);
    made->setObjectName(QString::number(control.id));
    made->move(control.Rect().topLeft());
    made->resize(made->sizeHint().expandedTo(control.Rect().size()));
    return made;
  };
  sendToMicrophoneBox = box(t::kSendToMicrophone);
  hearMyselfBox = box(t::kHearMyself);
  sendToMicrophoneBox->setChecked(record.sendToMicrophone != 0);
  hearMyselfBox->setChecked(record.hearMyself != 0);
  // Until the program has made it, there is no microphone to send to.
  sendToMicrophoneBox->setEnabled(false);
  connect(sendToMicrophoneBox, &QAbstractButton::clicked, this,
          [this](bool on) { ChooseSendToMicrophone(on); });
  connect(hearMyselfBox, &QAbstractButton::clicked, this, [this](bool on) { ChooseHearMyself(on); });

  const auto edit = [this, &fieldFont](const tmpl::Control& control) {
    auto* made = new QLineEdit(this);
    made->setObjectName(QString::number(control.id));
    made->setGeometry(control.Rect());
    made->setFont(fieldFont);
    return made;
  };
  folderEdit = edit(t::kWorkingFolder);
  inputEdit = edit(t::kInputFile);
  outputEdit = edit(t::kOutputFile);

  progressBar = new QProgressBar(this);
  progressBar->setObjectName(QString::number(t::kProgressBar.id));
  progressBar->setGeometry(t::kProgressBar.Rect());
  progressBar->setTextVisible(false);
  progressBar->hide();
  progressMessage = new QLabel(this);
  progressMessage->setObjectName(QString::number(t::kProgressMessage.id));
  progressMessage->setGeometry(t::kProgressMessage.Rect());
  progressMessage->setFont(fieldFont);
  progressMessage->setAutoFillBackground(true);
  progressMessage->hide();
}

void MainWindow::SetUp() {
  BuildMenu();
  setWindowIcon(skin::ApplicationIcon());
  stopButton->Collapse();
  playRecordingPlace = playRecordingButton->geometry();
  playOutputPlace = playOutputButton->geometry();
  startPlace = startButton->geometry();
  progressBar->setRange(0, kProgressRange);
  progressBar->setValue(0);
  progressMessage->clear();

  presetList->clear();
  for (int32_t index = 0; index < kPresetCount; ++index) presetList->addItem(LocalText(*PresetName(index)));
  presetList->setCurrentIndex(record.presetIndex);
  ChoosePresetFromList();
  RefreshWorkingFolder();
  SwitchMode(true);
  womanButton->setChecked(record.speakerKind == kSpeakerWoman);
  childButton->setChecked(record.speakerKind == kSpeakerChild);
  manButton->setChecked(record.speakerKind != kSpeakerWoman && record.speakerKind != kSpeakerChild);

  meter->SetUp(kLevelMeterZone, kLevelMeterZone, kLevelMeterZone);
  meter->hide();
  SetToolTips();
  setWindowTitle(QString::fromLatin1(skin::kWindowTitle));
  ApplyFrame();
  settings->show();
  Dock();
}

void MainWindow::SetToolTips() {
  setToolTip(QString::fromLatin1(texts::kMainSurface));
  const std::pair<QWidget*, MessagePair> tips[] = {{recordButton, texts::kRecord},
                                                   {playRecordingButton, texts::kPlayRecording},
                                                   {startButton, texts::kStart},
                                                   {playOutputButton, texts::kPlayOutput},
                                                   {stopButton, texts::kStop},
                                                   {volumeButton, texts::kVolume},
                                                   {helpButton, texts::kHelp},
                                                   {settingsButton, texts::kSettings},
                                                   {exitButton, texts::kExit},
                                                   {closeBox, texts::kExit},
                                                   {minimiseButton, texts::kMinimise},
                                                   {browseOutputButton, texts::kBrowseOutput},
                                                   {browseFolderButton, texts::kBrowseFolder},
                                                   {browseInputButton, texts::kBrowseInput},
                                                   {presetList, texts::kTargetVoice},
                                                   {manButton, texts::kMan},
                                                   {childButton, texts::kChild},
                                                   {womanButton, texts::kWoman},
                                                   {fileModeButton, texts::kFileMode},
                                                   {realTimeButton, texts::kRealTime},
                                                   {sendToMicrophoneBox, kTextSendToMicrophone},
                                                   {hearMyselfBox, kTextHearMyself},
                                                   {folderEdit, texts::kWorkingFolder},
                                                   {progressBar, texts::kProgress},
                                                   {progressMessage, texts::kMessage},
                                                   {inputEdit, texts::kInputFile},
                                                   {outputEdit, texts::kOutputFile}};
  for (const auto& [control, tip] : tips) control->setToolTip(LocalText(tip));
}

void MainWindow::BuildMenu() {
  // The window has no caption, so its menu opens on a right click or
  // Alt+Space on the surface. The item texts are English in both languages.
  menu = new QMenu(this);
  menu->addAction(QStringLiteral("&About Plimo..."), this, [this] { RunMenuCommand(kAboutCommand); });
  menu->addSeparator();
  menu->addAction(QStringLiteral("Maximize"), this, [this] { RunMenuCommand(kRestoreCommand); });
  menu->addAction(QStringLiteral("Close"), this, [this] { RunMenuCommand(kCloseCommand); });
}

void MainWindow::RunMenuCommand(int command) {
  switch (command) {
    case kAboutCommand: {
      AboutBox about(this);
      about.exec();
      break;
    }
    case kRestoreCommand: showNormal(); break;
    case kCloseCommand: Exit(); break;
    default: break;
  }
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) { menu->popup(event->globalPos()); }

void MainWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::AltModifier) {
    menu->popup(mapToGlobal(QPoint(0, 0)));
    return;
  }
  SkinnedDialog::keyPressEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  SkinnedDialog::moveEvent(event);
  Dock();
}

void MainWindow::Dock() {
  const QRect frame = frameGeometry();
  if (volume != nullptr) volume->move(frame.left() - volume->frameGeometry().width(), frame.top());
  if (settings != nullptr) settings->move(frame.left() + frame.width(), frame.top());
}

bool MainWindow::ClaimSurfacePress(const QPoint& global) {
  const int modeZone = static_cast<int>(kModeLabelShare * width());
  const int kindZone = static_cast<int>(kKindLabelShare * width());
  if (ScreenZoneRightOf(*realTimeButton, modeZone).contains(global)) {
    SwitchMode(true);
    return true;
  }
  if (ScreenZoneRightOf(*fileModeButton, modeZone).contains(global)) {
    SwitchMode(false);
    return true;
  }
  for (ManualRadioButton* kind : {womanButton, manButton, childButton}) {
    if (ScreenZoneRightOf(*kind, kindZone).contains(global)) {
      ChooseSpeakerKind(kind);
      return true;
    }
  }
  // The boxes' painted labels act as the boxes do.
  for (QCheckBox* output : {sendToMicrophoneBox, hearMyselfBox}) {
    if (output->isEnabled() && ScreenZoneRightOf(*output, modeZone).contains(global)) {
      output->click();
      return true;
    }
  }
  return false;
}

void MainWindow::SetVirtualMicrophoneAvailable(bool available) {
  sendToMicrophoneBox->setEnabled(available);
  if (!available && sendToMicrophoneBox->isChecked()) {
    sendToMicrophoneBox->setChecked(false);
    ChooseSendToMicrophone(false);
  }
}

void MainWindow::SetSoundDevices(const std::vector<SoundDevice>& devices) { settings->SetSoundDevices(devices); }

void MainWindow::SoundServerGone() {
  messages.ShowMessage(kMessageSoundServerGone, kMessageTypeSelfClosing);
}

void MainWindow::DevicesChosen() {
  if (speakerGain != nullptr) speakerGain->Follow(record.outputDevice);
  if (microphoneGain != nullptr) microphoneGain->Follow(record.inputDevice);
  volume->Refresh();
}

void MainWindow::ChooseSendToMicrophone(bool on) {
  record.sendToMicrophone = on ? 1 : 0;
  hearMyselfBox->setChecked(!on);
  record.hearMyself = on ? 0 : 1;
}

void MainWindow::ChooseHearMyself(bool on) { record.hearMyself = on ? 1 : 0; }

void MainWindow::reject() {
  operations.StopAllOperations();
  SkinnedDialog::reject();
}

bool MainWindow::IsOperationRunning() const { return operations.IsBusy(); }

bool MainWindow::IsWomanSelected() const { return womanButton->isChecked(); }
bool MainWindow::IsChildSelected() const { return childButton->isChecked(); }

void MainWindow::SwitchMode(bool realTime) {
  if (operations.IsBusy()) return;
  record.realTimeMode = realTime ? 1 : 0;
  realTimeButton->setChecked(realTime);
  fileModeButton->setChecked(!realTime);
  EnableForMode();
}

void MainWindow::ApplyModeEnabling() {
  // The run mode is this window's choice: the defaults or a loaded file do
  // not switch it behind the checked radio button.
  record.realTimeMode = realTimeButton->isChecked() ? 1 : 0;
  // A running operation has set Record and the play buttons for itself;
  // the settings window's refills leave them so until it ends.
  if (operations.IsBusy()) return;
  EnableForMode();
}

void MainWindow::EnableForMode() { EnableFileControls(record.realTimeMode == 0); }

void MainWindow::EnableFileControls(bool enabled) {
  for (QWidget* control : Widgets{recordButton, inputEdit, browseInputButton, outputEdit, browseOutputButton,
                                  playRecordingButton, playOutputButton}) {
    control->setEnabled(enabled);
  }
}

void MainWindow::ChooseSpeakerKind(ManualRadioButton* button) {
  if (button->isChecked()) return;
  for (ManualRadioButton* kind : {womanButton, manButton, childButton}) kind->setChecked(kind == button);
  ApplyChosenPreset();
}

void MainWindow::ChoosePreset(int presetIndex) {
  presetList->setCurrentIndex(presetIndex);
  ChoosePresetFromList();
}

void MainWindow::ChoosePresetFromList() {
  record.presetIndex = presetList->currentIndex();
  if (meter->isVisible()) meter->repaint();
  ApplyChosenPreset();
  if (meter->isVisible()) meter->repaint();
}

void MainWindow::ApplyChosenPreset() {
  // A list with nothing chosen leaves the record as it was, and the
  // controls are copied back all the same.
  static_cast<void>(ApplyPreset(record, record.presetIndex, *this, settings));
  settings->CopyControlsToParameters(kAllSettingsControls);
}

void MainWindow::RefreshWorkingFolder() {
  if (operations.IsBusy()) return;
  const QString typed = folderEdit->text();
  QString folder = QDir::currentPath();
  if (!typed.isEmpty() && QFileInfo(typed).isDir()) {
    // A relative folder is taken from where the program stands now: once
    // it is entered, the same text would name a folder inside itself.
    folder = QDir(typed).absolutePath();
    QDir::setCurrent(folder);
  }
  record.workingFolder = WithTrailingSeparator(LocalPath(folder));
  folderEdit->setText(FromLocalPath(record.workingFolder));
}

int MainWindow::ValidateForModification() {
  RefreshWorkingFolder();
  const bool realTime = realTimeButton->isChecked();
  record.realTimeMode = realTime ? 1 : 0;
  record.meterDisplay = realTime ? 1 : 0;
  if (realTime) {
    record.inputFileName = kSoundBoardName;
  } else {
    record.workingFolder = WithTrailingSeparator(record.workingFolder);
    const std::string typed = LocalPath(inputEdit->text());
    const std::string found = FindInputFile(record.workingFolder, typed);
    if (found.empty()) {
      messages.ShowMessage(kMessageNoInputFile, kMessageTypeOk);
      return -1;
    }
    if (found != typed) inputEdit->setText(FromLocalPath(found));
    record.inputFileName = found;
  }

  const std::string typedOutput = LocalPath(outputEdit->text());
  record.outputFileName = OutputFileName(typedOutput, realTime, LocalTimeNow());
  // The speaker a real-time run falls back on is no name for the field.
  const bool toSpeaker = realTime && typedOutput.empty();
  if (!toSpeaker && record.outputFileName != typedOutput) {
    outputEdit->setText(FromLocalPath(record.outputFileName));
  }
  record.speakerKind = SelectedSpeakerKind(*this);

  if (WouldOverwriteInput(record.inputFileName, record.outputFileName)) {
    messages.ShowMessage(kMessageSameInputOutput, kMessageTypeOk);
    return -3;
  }
  return 2;
}

void MainWindow::Record() {
  if (operations.IsPlaying() || operations.IsModifying()) return;
  // The Stop look means a recording was started: a click ends it, also when
  // the recording could not open its devices and has already ended.
  if (operations.IsRecording() || recordingLook) {
    recordingLook = false;
    recordButton->LoadBitmaps(kRecordLook);
    ResetAfterStop();
    return;
  }
  RefreshWorkingFolder();
  for (QWidget* waiting : Widgets{playRecordingButton, startButton, playOutputButton, closeBox}) {
    waiting->setEnabled(false);
  }
  record.inputFileName = RecordingFileName(LocalPath(inputEdit->text()), LocalTimeNow());
  inputEdit->setText(FromLocalPath(record.inputFileName));
  recordingLook = true;
  recordButton->LoadBitmaps(kStopLook);
  operations.StartRecording(record.workingFolder + record.inputFileName, record.samplingRate);
}

void MainWindow::PlayInput() {
  if (operations.IsBusy()) return;
  RefreshWorkingFolder();
  record.inputFileName = LocalPath(inputEdit->text());
  const std::string path = record.workingFolder + record.inputFileName;
  if (!IsReadableFile(path)) return;
  operations.StartPlay(kOperationPlayInput, path);
}

void MainWindow::PlayOutput() {
  if (operations.IsBusy()) return;
  RefreshWorkingFolder();
  record.outputFileName = LocalPath(outputEdit->text());
  const std::string path = record.workingFolder + record.outputFileName;
  if (!IsReadableFile(path)) return;
  operations.StartPlay(kOperationPlayOutput, path);
}

void MainWindow::StartModification() {
  if (operations.IsBusy()) return;
  operations.PrepareModification();
  if (ValidateForModification() == 2) operations.StartModification();
}

BitmapButton* MainWindow::ButtonOf(int operation) const {
  switch (operation) {
    case kOperationPlayInput: return playRecordingButton;
    case kOperationPlayOutput: return playOutputButton;
    default: return startButton;
  }
}

void MainWindow::ResetAfterStop() {
  EnableForMode();
  for (QWidget* control : Widgets{startButton, settingsButton, exitButton, closeBox}) {
    control->setEnabled(true);
  }
  stopButton->Collapse();
  const int operation = operations.ActiveOperation();
  const QRect place = operation == kOperationPlayInput    ? playRecordingPlace
                      : operation == kOperationPlayOutput ? playOutputPlace
                                                          : startPlace;
  ButtonOf(operation)->setGeometry(place);
  meter->hide();
  operations.StopAllOperations();
}

void MainWindow::Exit() {
  ResetAfterStop();
  close();
}

void MainWindow::ShowHelp() {
  if (help.Open(this) == nullptr) messages.ShowMessage(kMessageCannotFindHelpFile, kMessageTypeOk);
}

void MainWindow::BrowseInputFile() {
  if (operations.IsBusy()) return;
  browsing = true;
  QString path;
  const bool chosen = chooser.ChooseFileToOpen(this, QString::fromUtf8(kSoundFilter), &path);
  browsing = false;
  if (!chosen) return;
  const std::string chosenPath = LocalPath(path);
  record.workingFolder = WithTrailingSeparator(FolderOf(chosenPath));
  record.inputFileName = FileNameOf(chosenPath);
  folderEdit->setText(FromLocalPath(record.workingFolder));
  inputEdit->setText(FromLocalPath(record.inputFileName));
  const std::unique_ptr<SoundFile> file = SoundFile::OpenForReading(chosenPath);
  // Only a rate the program runs at: the settings window's list shows it,
  // and every later copy of the controls keeps it.
  if (file->Status() == SoundFileStatus::kSoundFileReading && IsSupportedSamplingRate(file->SampleRate())) {
    record.samplingRate = static_cast<int32_t>(file->SampleRate());
    settings->ShowSamplingRate();
  }
}

void MainWindow::BrowseOutputFile() {
  if (operations.IsBusy() || browsing) return;
  browsing = true;
  QString path;
  // A new name may be typed: the output need not exist yet. A name typed
  // without an extension gets the input's, so the output keeps its type.
  QString suffix = QFileInfo(FromLocalPath(record.inputFileName)).suffix();
  if (suffix.isEmpty()) suffix = QStringLiteral("wav");
  const bool chosen = chooser.ChooseFileToSave(this, QString::fromUtf8(kSoundFilter), suffix,
                                               outputEdit->text(), &path);
  browsing = false;
  if (!chosen) return;
  const std::string chosenPath = LocalPath(path);
  record.workingFolder = FolderOf(chosenPath);
  record.outputFileName = FileNameOf(chosenPath);
  folderEdit->setText(FromLocalPath(record.workingFolder));
  outputEdit->setText(FromLocalPath(record.outputFileName));
}

void MainWindow::BrowseWorkingFolder() {
  if (operations.IsBusy()) return;
  browsing = true;
  const bool chosen = folderBrowser.Browse(this);
  browsing = false;
  if (!chosen || folderBrowser.SelectedPath().isEmpty()) return;
  record.workingFolder = WithTrailingSeparator(LocalPath(folderBrowser.SelectedPath()));
  folderEdit->setText(FromLocalPath(record.workingFolder));
}

void MainWindow::OperationStarted(int32_t operation, OperationReports reports) {
  // Record arranged the buttons for a recording when it was clicked.
  if (operation == kOperationModification) {
    ArrangeForModification();
  } else if (operation != kOperationRecording) {
    ArrangeForPlay(operation);
  }
  meter->setVisible(reports.level);
  progressBar->setVisible(reports.progress);
  progressMessage->setVisible(reports.progress);
}

void MainWindow::OperationEnded(int32_t operation) {
  if (operation == kOperationRecording) {
    meter->hide();
  } else {
    RestoreAfterOperation();
  }
}

void MainWindow::SetMeterLevel(int level) { meter->SetLevel(level); }

void MainWindow::ArrangeForPlay(int operation) {
  BitmapButton* played = ButtonOf(operation);
  BitmapButton* other = operation == kOperationPlayInput ? playOutputButton : playRecordingButton;
  stopButton->setGeometry(operation == kOperationPlayInput ? playRecordingPlace : playOutputPlace);
  played->Collapse();
  other->setEnabled(false);
  for (QWidget* waiting : Widgets{recordButton, startButton, realTimeButton, fileModeButton}) {
    waiting->setEnabled(false);
  }
}

void MainWindow::ArrangeForModification() {
  stopButton->setGeometry(startPlace);
  startButton->Collapse();
  for (QWidget* waiting :
       Widgets{playRecordingButton, playOutputButton, recordButton, realTimeButton, fileModeButton}) {
    waiting->setEnabled(false);
  }
}

void MainWindow::ShowProgress(double fraction, const QString& text) {
  progressBar->setValue(static_cast<int>(fraction * kProgressRange));
  progressMessage->setText(text);
}

void MainWindow::ShowDelay(double milliseconds) {
  progressMessage->setText(LocalText(kTextDelay) + QString::number(std::lround(milliseconds)) +
                           QStringLiteral(" ms"));
  progressMessage->show();
}

void MainWindow::RestoreAfterOperation() {
  meter->hide();
  EnableForMode();
  for (QWidget* control : Widgets{realTimeButton, fileModeButton, startButton, settingsButton, exitButton}) {
    control->setEnabled(true);
  }
  stopButton->Collapse();
  playRecordingButton->setGeometry(playRecordingPlace);
  playOutputButton->setGeometry(playOutputPlace);
  startButton->setGeometry(startPlace);
  progressBar->hide();
  progressMessage->hide();
}

}  // namespace plimo
