#pragma once

#include <QRect>
#include <QString>
#include <vector>

#include "ops/OperationControls.h"
#include "params/Presets.h"
#include "platform/SoundDevices.h"
#include "ui/controls/FolderBrowser.h"
#include "ui/controls/SkinnedDialog.h"
#include "ui/windows/MessageBox.h"
#include "ui/windows/SettingsHost.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;

namespace plimo {

class BitmapButton;
class FileChooser;
class HelpBook;
class LevelMeter;
class ManualRadioButton;
class OperationsPort;
class SettingsWindow;
class VoiceParameters;
class VolumeControl;
class VolumeWindow;

// Commands of the main window's menu.
inline constexpr int kAboutCommand = 16;
inline constexpr int kRestoreCommand = 1093;  // "Maximize": back from minimised
inline constexpr int kCloseCommand = 1094;

// The program's main window: the run mode, the working folder and the
// file names, the speaker's own voice and the target voice, and the
// buttons that start and stop the operations. It owns the settings window,
// docked at its right edge, and the volume window, docked at its left.
class MainWindow : public SkinnedDialog, public SettingsHost, public SpeakerKindButtons {
 public:
  // speaker and microphone may be null, or have no usable control: the
  // volume window then says so once, while this window is set up.
  MainWindow(VoiceParameters& record, OperationsPort& operations, VolumeControl* speaker,
             VolumeControl* microphone, FileChooser& chooser, HelpBook& help);
  ~MainWindow() override;

  SettingsWindow& Settings() { return *settings; }
  VolumeWindow& Volume() { return *volume; }
  LevelMeter& Meter() { return *meter; }
  myMessageBox& Messages() { return messages; }

  // Checks the fields before a modification starts and fills the record's
  // names and mode from them: 2 to go on, -1 when the input file cannot be
  // opened, -3 when the output would overwrite the input. Tells the user
  // why it refuses.
  int ValidateForModification();

  // SettingsHost.
  void RefreshWorkingFolder() override;
  void ApplyModeEnabling() override;
  void ChoosePreset(int presetIndex) override;
  void DevicesChosen() override;
  bool IsOperationRunning() const override;

  // SpeakerKindButtons.
  bool IsWomanSelected() const override;
  bool IsChildSelected() const override;

  // What the operations report; user-interface thread only. A start
  // arranges the buttons for its operation (Stop takes the place of the
  // button that started a playback or modification, the buttons that would
  // disturb it wait) and shows the meter and the progress it reports. An
  // end hides them and puts every button back; after a recording only the
  // meter goes, and Record keeps its Stop look until it is clicked.
  void OperationStarted(int32_t operation, OperationReports reports);
  void OperationEnded(int32_t operation);
  // The level and the progress a running operation reports, shown at the
  // pace of the screen.
  void SetMeterLevel(int level);
  void ShowProgress(double fraction, const QString& text);
  // A live run's delay from the microphone to the speaker, in the place of
  // a file run's progress text, until the run ends.
  void ShowDelay(double milliseconds);

  // Whether the virtual microphone exists: "Send to Plimo Microphone" can
  // be ticked only then, and is cleared when it goes.
  void SetVirtualMicrophoneAvailable(bool available);
  // The devices people can pick, at start and whenever they change.
  void SetSoundDevices(const std::vector<SoundDevice>& devices);
  // The sound server ended or restarted: the user is told once.
  void SoundServerGone();

 protected:
  bool ClaimSurfacePress(const QPoint& globalPosition) override;
  void moveEvent(QMoveEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  // Every way of closing ends here: stop all operations, then close.
  void reject() override;

 private:
  void BuildControls();
  void SetUp();
  void SetToolTips();
  void BuildMenu();
  void RunMenuCommand(int command);
  void Dock();

  void SwitchMode(bool realTime);
  // The live run's outputs. Ticking the microphone turns "hear myself" off
  // (a caller would hear an echo), clearing it turns it back on; either
  // box can then be set by hand. The next live run takes them.
  void ChooseSendToMicrophone(bool on);
  void ChooseHearMyself(bool on);
  void ChooseSpeakerKind(ManualRadioButton* button);
  void ChoosePresetFromList();
  void ApplyChosenPreset();
  void ResetAfterStop();
  void Exit();
  void ShowHelp();

  void Record();
  void PlayInput();
  void PlayOutput();
  void StartModification();
  void BrowseInputFile();
  void BrowseOutputFile();
  void BrowseWorkingFolder();
  // Record, the play buttons and the file fields for the record's mode.
  void EnableForMode();
  void EnableFileControls(bool enabled);
  BitmapButton* ButtonOf(int operation) const;
  // Stop takes the place of the button of the playback (kOperationPlayInput
  // or kOperationPlayOutput) or of Start; the other buttons wait.
  void ArrangeForPlay(int operation);
  void ArrangeForModification();
  void RestoreAfterOperation();

  VoiceParameters& record;
  OperationsPort& operations;
  FileChooser& chooser;
  HelpBook& help;
  FolderBrowser folderBrowser;
  myMessageBox messages;
  bool browsing = false;
  bool recordingLook = false;  // the Record button shows Stop

  BitmapButton* recordButton = nullptr;
  BitmapButton* playRecordingButton = nullptr;
  BitmapButton* startButton = nullptr;
  BitmapButton* playOutputButton = nullptr;
  BitmapButton* stopButton = nullptr;
  BitmapButton* volumeButton = nullptr;
  BitmapButton* helpButton = nullptr;
  BitmapButton* settingsButton = nullptr;
  BitmapButton* exitButton = nullptr;
  BitmapButton* closeBox = nullptr;
  BitmapButton* minimiseButton = nullptr;
  BitmapButton* browseOutputButton = nullptr;
  BitmapButton* browseFolderButton = nullptr;
  BitmapButton* browseInputButton = nullptr;
  LevelMeter* meter = nullptr;
  QComboBox* presetList = nullptr;
  ManualRadioButton* manButton = nullptr;
  ManualRadioButton* childButton = nullptr;
  ManualRadioButton* womanButton = nullptr;
  ManualRadioButton* fileModeButton = nullptr;
  ManualRadioButton* realTimeButton = nullptr;
  QCheckBox* sendToMicrophoneBox = nullptr;
  QCheckBox* hearMyselfBox = nullptr;
  QLineEdit* folderEdit = nullptr;
  QProgressBar* progressBar = nullptr;
  QLabel* progressMessage = nullptr;
  QLineEdit* inputEdit = nullptr;
  QLineEdit* outputEdit = nullptr;
  QMenu* menu = nullptr;

  // Where Play recording, Play output and Start sit; Stop borrows them.
  QRect playRecordingPlace;
  QRect playOutputPlace;
  QRect startPlace;

  SettingsWindow* settings = nullptr;
  VolumeWindow* volume = nullptr;
  // The gains the volume window shows, following the chosen devices.
  VolumeControl* speakerGain = nullptr;
  VolumeControl* microphoneGain = nullptr;
};

}  // namespace plimo
