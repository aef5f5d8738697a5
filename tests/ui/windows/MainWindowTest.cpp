#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include "params/VoiceParameters.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/LevelMeter.h"
#include "ui/controls/ValueSlider.h"
#include "ui/help/HelpBook.h"
#include "ui/skin/BitmapIds.h"
#include "ui/support/Language.h"
#include "ui/support/ModalAnswerer.h"
#include "ui/support/Screenshots.h"
#include "ui/support/ScriptedChooser.h"
#include "ui/support/WindowFakes.h"
#include "ui/windows/MainWindow.h"
#include "ui/windows/SettingsWindow.h"
#include "ui/windows/VolumeWindow.h"

namespace plimo {
namespace {

constexpr int kRecordId = 1019;
constexpr int kPlayRecordingId = 1017;
constexpr int kStartId = 1020;
constexpr int kPlayOutputId = 1030;
constexpr int kStopId = 1018;
constexpr int kExitId = 1039;
constexpr int kCloseBoxId = 1076;
constexpr int kBrowseInputId = 1007;
constexpr int kBrowseFolderId = 1032;
constexpr int kBrowseOutputId = 1035;
constexpr int kPresetListId = 1079;
constexpr int kManId = 1047;
constexpr int kChildId = 1048;
constexpr int kWomanId = 1046;
constexpr int kFileModeId = 1057;
constexpr int kRealTimeId = 1043;
constexpr int kFolderId = 1031;
constexpr int kInputId = 1000;
constexpr int kOutputId = 1001;
constexpr int kSendToMicrophoneId = 1100;
constexpr int kHearMyselfId = 1101;

std::vector<uint8_t> ShortWav(uint32_t rate) {
  return test::MakeWav(test::kWavPcm, 1, rate, 16, std::vector<int16_t>(800, 100));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.move(300, 200);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  template <typename T>
  T* Child(int id) {
    return window.findChild<T*>(QString::number(id));
  }
  BitmapButton* Button(int id) { return Child<BitmapButton>(id); }
  QRadioButton* Radio(int id) { return Child<QRadioButton>(id); }
  QLineEdit* Edit(int id) { return Child<QLineEdit>(id); }
  void Click(int id) { QTest::mouseClick(Child<QWidget>(id), Qt::LeftButton); }
  // A press on the main window's surface at x pixels right of a control's
  // right edge.
  void ClickRightOf(int id, int x) {
    const QRect box = Child<QWidget>(id)->geometry();
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box.left() + box.width() + x, box.center().y()));
  }
  void UseFolder(const std::string& folder) { Edit(kFolderId)->setText(QString::fromStdString(folder)); }
  void FileMode() { ClickRightOf(kFileModeId, 10); }

  test::TempDir folder;
  VoiceParameters record;
  test::FakeOperations operations;
  test::FakeGain speaker{0, 65536, 32768};
  test::FakeGain microphone{0, 100, 40};
  test::ScriptedChooser chooser;
  HelpBook help{{QStringLiteral(PLIMO_HELP_SOURCE_DIR)}};
  MainWindow window{record, operations, &speaker, &microphone, chooser, help};
};

TEST_F(MainWindowTest, StartsInRealTimeWithWomanOneForAManAndTheSettingsDockedRight) {
  test::SaveScreenshot(window, QStringLiteral("main-window"));
  EXPECT_EQ(window.size(), QSize(337, 413));
  EXPECT_EQ(window.windowTitle(), "Varnel 3.0");
  EXPECT_TRUE(Radio(kRealTimeId)->isChecked());
  EXPECT_FALSE(Radio(kFileModeId)->isChecked());
  for (int id : {kRecordId, kPlayRecordingId, kPlayOutputId, kBrowseInputId, kBrowseOutputId}) {
    EXPECT_FALSE(Child<QWidget>(id)->isEnabled()) << id;
  }
  EXPECT_FALSE(Edit(kInputId)->isEnabled());
  EXPECT_TRUE(Button(kStartId)->isEnabled());
  EXPECT_EQ(Child<QComboBox>(kPresetListId)->currentText(), test::InLanguage("Woman 1", "Kadın 1"));
  EXPECT_TRUE(Radio(kManId)->isChecked());
  EXPECT_FALSE(Radio(kWomanId)->isChecked());
  EXPECT_FLOAT_EQ(record.pitchFactor, 1.8f);
  EXPECT_NEAR(record.vocalTractFactor, 1.2f, 1e-3);
  EXPECT_EQ(record.samplingRate, 16000);
  EXPECT_EQ(Button(kStopId)->geometry(), QRect(0, 0, 0, 0));
  EXPECT_FALSE(window.Meter().isVisible());
  EXPECT_FALSE(Child<QProgressBar>(1028)->isVisible());
  EXPECT_FALSE(Child<QLabel>(1029)->isVisible());

  SettingsWindow& settings = window.Settings();
  EXPECT_TRUE(settings.isVisible());
  EXPECT_EQ(settings.pos(), window.pos() + QPoint(window.width(), 0));
  EXPECT_EQ(settings.findChild<QLabel*>(QStringLiteral("1021"))->text(), "1.80");
  VolumeWindow& volume = window.Volume();
  EXPECT_FALSE(volume.isVisible());
  EXPECT_EQ(volume.pos(), window.pos() - QPoint(volume.width(), 0));
}

TEST_F(MainWindowTest, EveryWindowOfTheProgramForTheScreenshots) {
  Click(1033);
  EXPECT_TRUE(window.Volume().isVisible());
  test::SaveScreenshot(window.Volume(), QStringLiteral("volume-window"));
  test::SaveScreenshot(window.Settings(), QStringLiteral("settings-window-docked"));
  QPixmap all(window.Volume().width() + window.width() + window.Settings().width(),
              window.Settings().height());
  all.fill(Qt::white);
  {
    QPainter painter(&all);
    painter.drawPixmap(0, 0, window.Volume().grab());
    painter.drawPixmap(window.Volume().width(), 0, window.grab());
    painter.drawPixmap(window.Volume().width() + window.width(), 0, window.Settings().grab());
  }
  QLabel sheet;
  sheet.setPixmap(all);
  sheet.resize(all.size());
  test::SaveScreenshot(sheet, QStringLiteral("all-windows"));
}

TEST_F(MainWindowTest, ToolTipsAndPresetNamesAreInTheBuiltLanguage) {
  EXPECT_EQ(window.toolTip(), "Corvane Varnel 3.0");
  EXPECT_EQ(Button(kRecordId)->toolTip(), test::InLanguage("Save", "Kaydet"));
  EXPECT_EQ(Button(kPlayOutputId)->toolTip(),
            test::InLanguage("Play toutput file", "Çıktı ses dosyasını çal"));
  EXPECT_EQ(Radio(kRealTimeId)->toolTip(),
            test::InLanguage("Real-time voice modification", "Sesimi konuşurken değiştir"));
  EXPECT_EQ(Child<QWidget>(1077)->toolTip(), test::InLanguage("Minimize", "Küçült"));
  EXPECT_EQ(Edit(kFolderId)->toolTip(), test::InLanguage("Working folder name", "Çalışma klasörü adı"));
  QComboBox* presets = Child<QComboBox>(kPresetListId);
  ASSERT_EQ(presets->count(), 25);
  EXPECT_EQ(presets->itemText(0), test::InLanguage("Man 1", "Erkek 1"));
  EXPECT_EQ(presets->itemText(11), test::InLanguage("Child 4", "Çocuk 4"));
  EXPECT_EQ(presets->itemText(19), "Robot 8");
  EXPECT_EQ(presets->itemText(23), test::InLanguage("Donald Duck 4", "Vakvak 4"));
  EXPECT_EQ(presets->itemText(24), "Normal");
  EXPECT_EQ(window.Volume().toolTip(), test::InLanguage("Volume Settings", "Ses Seviyesi Ayarları"));
}

TEST_F(MainWindowTest, SpeakerKindAndPresetReachTheSlidersAndTheRecord) {
  Click(kChildId);
  EXPECT_TRUE(Radio(kChildId)->isChecked());
  EXPECT_FALSE(Radio(kManId)->isChecked());
  EXPECT_EQ(record.speakerKind, 3);
  EXPECT_NEAR(record.pitchFactor, 0.7f, 1e-3);  // "Woman 1" for a child
  QComboBox* presets = Child<QComboBox>(kPresetListId);
  presets->setFocus();
  QTest::keyClick(presets, Qt::Key_Home);  // "Man 1"
  EXPECT_EQ(record.presetIndex, 0);
  // A child asking for "Man 1" gets 0.5, which the pitch slider holds at 0.6.
  EXPECT_FLOAT_EQ(record.pitchFactor, 0.6f);
  EXPECT_NEAR(record.vocalTractFactor, 0.5f, 1e-3);
  ValueSlider* pitch = window.Settings().findChild<ValueSlider*>(QStringLiteral("1002"));
  EXPECT_EQ(pitch->value(), 3000);
  EXPECT_EQ(window.Settings().findChild<QLabel*>(QStringLiteral("1021"))->text(), "0.60");

  // Clicking the checked kind again changes nothing and applies nothing.
  record.pitchFactor = 2.5f;
  Click(kChildId);
  EXPECT_TRUE(Radio(kChildId)->isChecked());
  EXPECT_FLOAT_EQ(record.pitchFactor, 2.5f);
}

TEST_F(MainWindowTest, RobotPresetSwitchesTheRobotAndItsReverbAndCompressorOn) {
  QComboBox* presets = Child<QComboBox>(kPresetListId);
  presets->setCurrentIndex(17);
  presets->setFocus();
  QTest::keyClick(presets, Qt::Key_Down);  // "Robot 7"
  EXPECT_EQ(record.robotVoiceOn, 1);
  EXPECT_EQ(record.reverbOn, 1);
  EXPECT_EQ(record.compressorOn, 1);
  EXPECT_NEAR(record.robotPitchHz, 190.0f, 0.1f);
  SettingsWindow& settings = window.Settings();
  EXPECT_TRUE(settings.findChild<QWidget*>(QStringLiteral("1008"))->isVisible());
  EXPECT_TRUE(settings.findChild<QWidget*>(QStringLiteral("1003"))->isVisible());
  EXPECT_EQ(settings.findChild<QLabel*>(QStringLiteral("1026"))->text(), "190 Hz.");
}

TEST_F(MainWindowTest, PaintedLabelsActAsTheirRadioButtonsWithinTheirShareOfTheWidth) {
  const int modeZone = static_cast<int>(0.4 * window.width());
  ClickRightOf(kFileModeId, modeZone - 1);
  EXPECT_TRUE(Radio(kFileModeId)->isChecked());
  EXPECT_EQ(record.realTimeMode, 0);
  EXPECT_TRUE(Button(kRecordId)->isEnabled());
  EXPECT_TRUE(Edit(kOutputId)->isEnabled());
  ClickRightOf(kRealTimeId, 20);
  EXPECT_TRUE(Radio(kRealTimeId)->isChecked());
  EXPECT_EQ(record.realTimeMode, 1);
  EXPECT_FALSE(Button(kRecordId)->isEnabled());

  const int kindZone = static_cast<int>(0.2 * window.width());
  ClickRightOf(kWomanId, kindZone);
  EXPECT_TRUE(Radio(kWomanId)->isChecked());
  EXPECT_EQ(record.speakerKind, 2);
  EXPECT_NEAR(record.pitchFactor, 0.85f, 1e-3);  // "Woman 1" for a woman
}

TEST_F(MainWindowTest, SendingToTheMicrophoneSilencesTheSpeakerUntilTheUserHearsHimself) {
  QCheckBox* send = Child<QCheckBox>(kSendToMicrophoneId);
  QCheckBox* hear = Child<QCheckBox>(kHearMyselfId);
  // Nothing to send to before the microphone exists.
  EXPECT_FALSE(send->isEnabled());
  EXPECT_TRUE(hear->isChecked());
  window.SetVirtualMicrophoneAvailable(true);
  ClickRightOf(kSendToMicrophoneId, 20);  // its painted label
  EXPECT_TRUE(send->isChecked());
  EXPECT_FALSE(hear->isChecked());
  EXPECT_EQ(record.sendToMicrophone, 1);
  EXPECT_EQ(record.hearMyself, 0);
  Click(kHearMyselfId);
  EXPECT_EQ(record.hearMyself, 1);
  // A microphone that goes takes the sending with it; the speaker plays.
  window.SetVirtualMicrophoneAvailable(false);
  EXPECT_FALSE(send->isChecked());
  EXPECT_EQ(record.sendToMicrophone, 0);
  EXPECT_EQ(record.hearMyself, 1);
}

TEST_F(MainWindowTest, BothToolWindowsFollowTheMainWindow) {
  window.move(window.pos() + QPoint(40, 25));
  EXPECT_EQ(window.Settings().pos(), window.pos() + QPoint(window.width(), 0));
  EXPECT_EQ(window.Volume().pos(), window.pos() - QPoint(window.Volume().width(), 0));

  // Dragged by a bare part of its surface.
  const QPoint start = window.pos();
  const QPoint grip(300, 390);
  QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, grip);
  QTest::mouseMove(&window, grip + QPoint(-60, 35));
  QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, grip + QPoint(-60, 35));
  EXPECT_EQ(window.pos(), start + QPoint(-60, 35));
  EXPECT_EQ(window.Settings().pos(), window.pos() + QPoint(window.width(), 0));
  EXPECT_EQ(window.Volume().pos(), window.pos() - QPoint(window.Volume().width(), 0));
}

TEST_F(MainWindowTest, FileModeRefusesAMissingInputAndAnOutputThatWouldOverwriteIt) {
  UseFolder(folder.Root());
  FileMode();
  test::ModalAnswerer answerer;
  answerer.ScreenshotNextAs(QStringLiteral("message-no-input-file"));
  Click(kStartId);
  ASSERT_EQ(answerer.Texts().size(), 1);
  EXPECT_EQ(answerer.Texts()[0], test::InLanguage("Please select or record\n input wav file!",
                                                  "Lütfen girdi wav dosyasını seçin\n ya da kaydedin!"));
  EXPECT_EQ(operations.modifications, 0);
  EXPECT_TRUE(Radio(kFileModeId)->isChecked());

  folder.Write("talk.wav", ShortWav(16000));
  Edit(kInputId)->setText(QStringLiteral("talk"));
  Edit(kOutputId)->setText(QStringLiteral("talk"));
  Click(kStartId);
  ASSERT_EQ(answerer.Texts().size(), 2);
  EXPECT_EQ(answerer.Texts()[1], test::InLanguage("Input and output file names should not be identical!",
                                                  "Girdi ve çıktı dosya adları aynı olamaz!"));
  EXPECT_EQ(Edit(kInputId)->text(), "talk.wav");
  EXPECT_EQ(Edit(kOutputId)->text(), "talk.wav");
  EXPECT_EQ(operations.modifications, 0);

  Edit(kOutputId)->setText(QStringLiteral("disguised"));
  Click(kStartId);
  EXPECT_EQ(answerer.Texts().size(), 2);
  EXPECT_EQ(operations.modifications, 1);
  EXPECT_EQ(operations.active, kOperationModification);
  EXPECT_EQ(Edit(kOutputId)->text(), "disguised.wav");
  EXPECT_EQ(record.inputFileName, "talk.wav");
  EXPECT_EQ(record.outputFileName, "disguised.wav");
  EXPECT_EQ(record.workingFolder, folder.Root() + "/");
  EXPECT_EQ(record.realTimeMode, 0);
  EXPECT_EQ(record.meterDisplay, 0);
}

TEST_F(MainWindowTest, AnInputWithoutExtensionIsTakenAsItIsWhenOnlyThatExists) {
  UseFolder(folder.Root());
  FileMode();
  folder.Write("take1", ShortWav(16000));
  Edit(kInputId)->setText(QStringLiteral("take1"));
  Click(kStartId);
  EXPECT_EQ(operations.modifications, 1);
  EXPECT_EQ(record.inputFileName, "take1");
  // The empty output became a time-stamped name.
  EXPECT_TRUE(
      QRegularExpression(QStringLiteral("^\\d{14}\\.wav$")).match(Edit(kOutputId)->text()).hasMatch());
}

TEST_F(MainWindowTest, RealTimeWithAnEmptyOutputRunsFromMicrophoneToSpeaker) {
  test::ModalAnswerer answerer;
  Click(kStartId);
  EXPECT_EQ(answerer.Texts().size(), 0);
  EXPECT_EQ(operations.modifications, 1);
  EXPECT_EQ(record.inputFileName, "sb");
  EXPECT_EQ(record.outputFileName, "sb");
  EXPECT_EQ(record.realTimeMode, 1);
  EXPECT_EQ(record.meterDisplay, 1);
  EXPECT_EQ(Edit(kOutputId)->text(), "");
}

TEST_F(MainWindowTest, RecordingWithAnEmptyInputNamesTheFileByTheTime) {
  UseFolder(folder.Root());
  FileMode();
  record.samplingRate = 22050;
  Click(kRecordId);
  const QString name = Edit(kInputId)->text();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^20\\d{12}\\.wav$")).match(name).hasMatch())
      << name.toStdString();
  ASSERT_EQ(operations.recordings.size(), 1u);
  EXPECT_EQ(operations.recordings[0], folder.Root() + "/" + name.toStdString());
  EXPECT_EQ(operations.recordingRate, 22050);
  EXPECT_EQ(Button(kRecordId)->ShownBitmap(), skin::kBitmapStop);
  for (int id : {kPlayRecordingId, kStartId, kPlayOutputId, kCloseBoxId}) {
    EXPECT_FALSE(Button(id)->isEnabled()) << id;
  }
  // A second click stops it and puts everything back.
  Click(kRecordId);
  EXPECT_EQ(operations.stops, 1);
  EXPECT_FALSE(operations.recording);
  EXPECT_NE(Button(kRecordId)->ShownBitmap(), skin::kBitmapStop);
  for (int id : {kPlayRecordingId, kStartId, kPlayOutputId, kCloseBoxId}) {
    EXPECT_TRUE(Button(id)->isEnabled()) << id;
  }
}

TEST_F(MainWindowTest, PlayButtonsStartOnlyForFilesThatExist) {
  UseFolder(folder.Root());
  FileMode();
  Edit(kInputId)->setText(QStringLiteral("absent.wav"));
  Click(kPlayRecordingId);
  EXPECT_TRUE(operations.plays.empty());
  folder.Write("here.wav", ShortWav(8000));
  Edit(kInputId)->setText(QStringLiteral("here.wav"));
  Click(kPlayRecordingId);
  Edit(kOutputId)->setText(QStringLiteral("here.wav"));
  Click(kPlayOutputId);
  ASSERT_EQ(operations.plays.size(), 2u);
  EXPECT_EQ(operations.plays[0], folder.Path("here.wav"));
  EXPECT_EQ(operations.active, kOperationPlayOutput);
}

TEST_F(MainWindowTest, PlaybackAndModificationMoveStopIntoPlaceAndEverythingComesBack) {
  FileMode();
  const QRect playPlace = Button(kPlayRecordingId)->geometry();
  const QRect startPlace = Button(kStartId)->geometry();
  window.OperationStarted(kOperationPlayInput, OperationReports{.level = true});
  window.SetMeterLevel(LevelMeter::kNoLevel);
  EXPECT_EQ(Button(kStopId)->geometry(), playPlace);
  EXPECT_EQ(Button(kPlayRecordingId)->geometry(), QRect(0, 0, 0, 0));
  for (int id : {kPlayOutputId, kRecordId, kStartId, kRealTimeId, kFileModeId}) {
    EXPECT_FALSE(Child<QWidget>(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(window.Meter().isVisible());
  test::SaveScreenshot(window, QStringLiteral("main-window-playing"));
  window.OperationEnded(kOperationPlayInput);
  EXPECT_EQ(Button(kPlayRecordingId)->geometry(), playPlace);
  EXPECT_EQ(Button(kStopId)->geometry(), QRect(0, 0, 0, 0));
  EXPECT_FALSE(window.Meter().isVisible());
  for (int id : {kPlayOutputId, kRecordId, kStartId, kRealTimeId, kFileModeId}) {
    EXPECT_TRUE(Child<QWidget>(id)->isEnabled()) << id;
  }

  window.OperationStarted(kOperationModification, OperationReports{.progress = true});
  window.ShowProgress(0.425, QStringLiteral("Process: % 42.5"));
  EXPECT_EQ(Button(kStopId)->geometry(), startPlace);
  EXPECT_EQ(Button(kStartId)->geometry(), QRect(0, 0, 0, 0));
  EXPECT_TRUE(Child<QProgressBar>(1028)->isVisible());
  EXPECT_EQ(Child<QProgressBar>(1028)->value(), 42);
  EXPECT_EQ(Child<QLabel>(1029)->text(), "Process: % 42.5");
  test::SaveScreenshot(window, QStringLiteral("main-window-modifying"));
  // The Stop button puts the modification's button back and stops it.
  operations.active = kOperationModification;
  Click(kStopId);
  EXPECT_EQ(operations.stops, 1);
  EXPECT_EQ(Button(kStartId)->geometry(), startPlace);
  EXPECT_EQ(Button(kStopId)->geometry(), QRect(0, 0, 0, 0));
}

TEST_F(MainWindowTest, SettingsChangesDuringARunLeaveTheButtonsAsTheRunSetThem) {
  FileMode();
  operations.modifying = true;
  window.OperationStarted(kOperationModification, OperationReports{});
  QComboBox* presets = Child<QComboBox>(kPresetListId);
  presets->setFocus();
  QTest::keyClick(presets, Qt::Key_Down);
  QTest::mouseClick(window.Settings().findChild<QWidget*>(QStringLiteral("1041")), Qt::LeftButton);  // Revert
  for (int id : {kRecordId, kPlayRecordingId, kPlayOutputId}) {
    EXPECT_FALSE(Button(id)->isEnabled()) << id;
  }
  // The defaults did not switch the window out of file mode.
  operations.modifying = false;
  window.OperationEnded(kOperationModification);
  for (int id : {kRecordId, kPlayRecordingId, kPlayOutputId}) {
    EXPECT_TRUE(Button(id)->isEnabled()) << id;
  }
  EXPECT_EQ(record.realTimeMode, 0);
}

TEST_F(MainWindowTest, ARelativeFolderIsTakenFromTheCurrentFolderOnlyOnce) {
  const QString startFolder = QDir::currentPath();
  QDir(QString::fromStdString(folder.Root())).mkdir(QStringLiteral("takes"));
  folder.Write("takes/talk.wav", ShortWav(16000));
  QDir::setCurrent(QString::fromStdString(folder.Root()));
  const QString takes = QDir::currentPath() + QStringLiteral("/takes/");
  FileMode();
  Edit(kFolderId)->clear();
  QTest::keyClicks(Edit(kFolderId), QStringLiteral("takes"));
  Edit(kInputId)->setText(QStringLiteral("talk.wav"));
  test::ModalAnswerer answerer;
  Click(kStartId);
  Click(kStartId);  // the folder entered by the first start is still the same
  EXPECT_TRUE(answerer.Texts().isEmpty());
  EXPECT_EQ(operations.modifications, 2);
  EXPECT_EQ(Edit(kFolderId)->text(), takes);
  EXPECT_EQ(record.workingFolder, takes.toStdString());
  QDir::setCurrent(startFolder);
}

TEST_F(MainWindowTest, BrowsingForTheInputTakesItsFolderNameAndRate) {
  const std::string wav = folder.Write("speech.wav", ShortWav(44100));
  chooser.openAnswers = {QString::fromStdString(wav)};
  FileMode();
  Click(kBrowseInputId);
  EXPECT_EQ(chooser.openFilters.last(), QString::fromUtf8(kSoundFilter));
  EXPECT_EQ(Edit(kFolderId)->text().toStdString(), folder.Root() + "/");
  EXPECT_EQ(Edit(kInputId)->text(), "speech.wav");
  EXPECT_EQ(record.samplingRate, 44100);
  EXPECT_EQ(window.Settings().findChild<QComboBox*>(QStringLiteral("1036"))->currentText(), "44100");
  // Closing the settings window copies the list back: the rate stays.
  window.Settings().CopyControlsToParameters(kAllSettingsControls);
  EXPECT_EQ(record.samplingRate, 44100);
}

TEST_F(MainWindowTest, CancellingTheFolderBrowserLeavesTheFolder) {
  UseFolder(folder.Root());
  chooser.folderAnswers = {QString(), QString::fromStdString(folder.Root())};
  Click(kBrowseFolderId);
  EXPECT_EQ(Edit(kFolderId)->text().toStdString(), folder.Root());
  EXPECT_EQ(chooser.folderTitles.last(), "Browse for path");
  Click(kBrowseFolderId);
  EXPECT_EQ(Edit(kFolderId)->text().toStdString(), folder.Root() + "/");
  EXPECT_EQ(record.workingFolder, folder.Root() + "/");
}

TEST_F(MainWindowTest, BrowsingForTheOutputTakesItsFolderAndName) {
  FileMode();
  chooser.saveAnswers = {QString::fromStdString(folder.Path("new.wav"))};
  Click(kBrowseOutputId);
  EXPECT_EQ(Edit(kOutputId)->text(), "new.wav");
  EXPECT_EQ(Edit(kFolderId)->text().toStdString(), folder.Root() + "/");
}

TEST_F(MainWindowTest, ModeBrowseRecordPlayAndStartWaitWhileAnOperationRuns) {
  FileMode();
  operations.modifying = true;
  Click(kRealTimeId);
  EXPECT_TRUE(Radio(kFileModeId)->isChecked());
  EXPECT_FALSE(Radio(kRealTimeId)->isChecked());
  EXPECT_EQ(record.realTimeMode, 0);
  chooser.openAnswers = {QString::fromStdString(folder.Path("x.wav"))};
  Click(kBrowseInputId);
  Click(kPlayRecordingId);
  Click(kStartId);
  Click(kRecordId);
  EXPECT_TRUE(chooser.openFilters.isEmpty());
  EXPECT_TRUE(operations.plays.empty());
  EXPECT_TRUE(operations.recordings.empty());
  EXPECT_EQ(operations.modifications, 0);
}

TEST_F(MainWindowTest, HelpOpensTheBook) {
  Click(1034);
  QWidget* book = window.findChild<QWidget*>(QStringLiteral("help"));
  ASSERT_NE(book, nullptr);
  EXPECT_TRUE(book->isVisible());
}

TEST_F(MainWindowTest, TheAboutBoxNamesTheProgramInTheBuiltLanguage) {
  test::ModalAnswerer answerer;
  QString title;
  QString text;
  answerer.InspectWith([&](QWidget& about) {
    title = about.windowTitle();
    text = about.findChild<QLabel*>(QStringLiteral("1030"))->text();
  });
  answerer.ScreenshotNextAs(QStringLiteral("about-box"));
  QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, QPoint(300, 390),
                                window.mapToGlobal(QPoint(300, 390)));
  QApplication::sendEvent(&window, &menuRequest);
  QMenu* menu = window.findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_EQ(menu->actions()[0]->text(), "&About Plimo...");
  EXPECT_EQ(menu->actions()[2]->text(), "Maximize");
  EXPECT_EQ(menu->actions()[3]->text(), "Close");
  menu->actions()[0]->trigger();
  EXPECT_EQ(title, "Varnel 1.0");
  EXPECT_EQ(text, test::InLanguage("Varnel Voice Disguise", "Varnel Ses Değiştirme"));
}

TEST_F(MainWindowTest, ExitStopsEverythingAndClosesTheWindow) {
  Click(kExitId);
  EXPECT_FALSE(window.isVisible());
  EXPECT_GE(operations.stops, 1);
  EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST(MainWindowHelp, AMissingBookIsReportedOnEachPress) {
  VoiceParameters record;
  test::FakeOperations operations;
  test::FakeGain speaker{0, 10, 5};
  test::FakeGain microphone{0, 10, 5};
  test::ScriptedChooser chooser;
  HelpBook help{{QStringLiteral("/nonexistent")}};
  MainWindow window(record, operations, &speaker, &microphone, chooser, help);
  window.show();
  test::ModalAnswerer answerer;
  QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("1034")), Qt::LeftButton);
  QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("1034")), Qt::LeftButton);
  ASSERT_EQ(answerer.Texts().size(), 2);
  EXPECT_EQ(answerer.Texts()[0],
            test::InLanguage("Cannot find help file Varnel.chm!", "Yardım dosyası Varnel.chm bulunamıyor!"));
}

}  // namespace
}  // namespace plimo
