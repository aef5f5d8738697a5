#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QWheelEvent>

#include "params/SettingsControls.h"
#include "params/VoiceParameters.h"
#include "support/TempFiles.h"
#include "ui/controls/ValueSlider.h"
#include "ui/support/Language.h"
#include "ui/support/ModalAnswerer.h"
#include "ui/support/Screenshots.h"
#include "ui/support/ScriptedChooser.h"
#include "ui/windows/MessageBox.h"
#include "ui/windows/SettingsHost.h"
#include "ui/windows/SettingsWindow.h"

namespace plimo {
namespace {

// The main window's side, as the settings window sees it.
struct FakeHost : SettingsHost {
  void RefreshWorkingFolder() override { ++folderRefreshes; }
  void ApplyModeEnabling() override { ++modeEnablings; }
  void ChoosePreset(int presetIndex) override { chosenPresets.append(presetIndex); }
  void DevicesChosen() override { ++deviceChoices; }
  bool IsOperationRunning() const override { return running; }
  int folderRefreshes = 0;
  int deviceChoices = 0;
  int modeEnablings = 0;
  QList<int> chosenPresets;
  bool running = false;
};

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.move(400, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  template <typename T>
  T* Child(int id) {
    return window.findChild<T*>(QString::number(id));
  }
  ValueSlider* Slider(int id) { return Child<ValueSlider>(id); }
  QCheckBox* Box(int id) { return Child<QCheckBox>(id); }
  QString Display(int id) { return Child<QLabel>(id)->text(); }
  void Click(int id) { QTest::mouseClick(Child<QWidget>(id), Qt::LeftButton); }
  // A press on the window's surface, x pixels right of a control's right
  // edge, at its vertical middle.
  void ClickRightOf(QWidget* control, int x) {
    const QRect box = control->geometry();
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(box.left() + box.width() + x, box.center().y()));
  }
  void Wheel(QWidget* target, int delta) {
    const QPoint centre = target->rect().center();
    QWheelEvent event(centre, target->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
  }

  VoiceParameters record;
  FakeHost host;
  myMessageBox messages;
  test::ScriptedChooser chooser;
  SettingsWindow window{record, host, messages, chooser, nullptr};
};

TEST_F(SettingsWindowTest, OpensWithTheRecordsValuesAndOnlyTheUpperAndBandSlidersShown) {
  test::SaveScreenshot(window, QStringLiteral("settings-window"));
  EXPECT_EQ(window.size(), QSize(303, 609));
  EXPECT_EQ(Display(kPitchSlider + 19), "1.00");  // 1021
  EXPECT_EQ(Display(1023), "1.00");
  EXPECT_EQ(Display(1024), "1.00");
  EXPECT_EQ(Display(1026), "100 Hz.");
  EXPECT_EQ(Slider(kPitchSlider)->value(), 1530);
  EXPECT_EQ(Slider(kDurationSlider)->value(), 1515);
  for (int id : {kPitchSlider, kDurationSlider, kVocalTractSlider}) {
    EXPECT_TRUE(Slider(id)->isVisible()) << id;
  }
  for (int id : kBandSliders) EXPECT_TRUE(Slider(id)->isVisible()) << id;
  for (int id : {kRobotPitchSlider, kReverbLevelSlider, kWhisperLevelSlider, kChorusLevelSlider,
                 kCompressionSlider, kExpansionSlider, kLimitingSlider, kGatingSlider}) {
    EXPECT_FALSE(Slider(id)->isVisible()) << id;
  }
  EXPECT_FALSE(Child<QLabel>(1026)->isVisible());
  EXPECT_EQ(Child<QComboBox>(kSamplingRateList)->currentText(), "16000");
  EXPECT_EQ(Child<QComboBox>(kSamplingRateList)->count(), 7);
  EXPECT_GE(host.folderRefreshes, 1);
  EXPECT_GE(host.modeEnablings, 1);
}

TEST_F(SettingsWindowTest, ToolTipsAreInTheBuiltLanguage) {
  EXPECT_EQ(window.toolTip(), test::InLanguage("Settings", "Ayarlar"));
  EXPECT_EQ(Slider(kPitchSlider)->toolTip(), test::InLanguage("Pitch", "Ses tonu"));
  EXPECT_EQ(Slider(kVocalTractSlider)->toolTip(), test::InLanguage("Vocal tract length", "Gırtlak uzunluğu"));
  EXPECT_EQ(Child<QLabel>(1024)->toolTip(),
            test::InLanguage("Vocal tract length", "Gırtlak uzunluğu değeri"));
  EXPECT_EQ(Child<QLabel>(1021)->toolTip(), "");
  EXPECT_EQ(Box(kGaterCheckBox)->toolTip(), test::InLanguage("Add/Cancel gater", "Engelleme ekle/iptal"));
  EXPECT_EQ(Child<QComboBox>(kSamplingRateList)->toolTip(),
            test::InLanguage("Sampling rate (Hz)", "Örnekleme sıklığı (Hz)"));
  EXPECT_EQ(Child<QWidget>(1041)->toolTip(),
            test::InLanguage("Revert to default settings", "İlk ayarları yükle"));
  // Band tips are the same in both languages.
  EXPECT_EQ(Slider(1060)->toolTip(), "17.0 KHz");
}

TEST_F(SettingsWindowTest, PresetValuesComeBackAsTheSlidersReadThem) {
  record.pitchFactor = 0.5f;  // below the slider's 0.6, as Child with "Man 1"
  record.vocalTractFactor = 0.5f;
  record.robotPitchHz = 300.0f;
  window.RefreshFromParameters();
  window.CopyControlsToParameters(kAllSettingsControls);
  EXPECT_FLOAT_EQ(record.pitchFactor, 0.6f);
  EXPECT_EQ(Display(1021), "0.60");
  EXPECT_NEAR(record.vocalTractFactor, 0.5f, 0.001f);
  EXPECT_FLOAT_EQ(record.robotPitchHz, 300.0f);
  EXPECT_EQ(Slider(kRobotPitchSlider)->value(), 80);
}

TEST_F(SettingsWindowTest, UpperHalfOfPitchSpansOneToThreeAndLowerHalfDownToPointSix) {
  ValueSlider* pitch = Slider(kPitchSlider);
  pitch->setFocus();
  pitch->setValue(1530 - 735);
  QTest::keyClick(pitch, Qt::Key_Down);  // 5 positions lower
  EXPECT_EQ(pitch->value(), 800);
  EXPECT_NEAR(record.pitchFactor, 1.0f + 730.0f * 2.0f / 1470.0f, 1e-5);
  EXPECT_EQ(Display(1021), QString::asprintf("%1.2f", 1.0 + 730.0 * 2.0 / 1470.0));
  pitch->setValue(1530 + 730);
  QTest::keyClick(pitch, Qt::Key_Down);
  EXPECT_NEAR(record.pitchFactor, 0.6f + (3000.0f - 2265.0f) * 0.4f / 1470.0f, 1e-5);  // 0.8
}

TEST_F(SettingsWindowTest, WheelMovesTheSliderButNotTheRecordUntilAKeyOrClose) {
  ValueSlider* duration = Slider(kDurationSlider);
  Wheel(duration, 3 * 120);
  EXPECT_EQ(duration->value(), 1500);
  EXPECT_EQ(Display(1023), QString::asprintf("%1.2f", static_cast<double>(duration->Value())));
  EXPECT_FLOAT_EQ(record.durationFactor, 1.0f);
  QTest::mouseClick(Child<QWidget>(1075), Qt::LeftButton);  // Close
  EXPECT_FALSE(window.isVisible());
  EXPECT_FLOAT_EQ(record.durationFactor, duration->Value());
  EXPECT_GT(record.durationFactor, 1.0f);
}

TEST_F(SettingsWindowTest, DraggingASliderWritesTheRecordWhenReleased) {
  ValueSlider* vocal = Slider(kVocalTractSlider);
  const QPoint thumb = vocal->ThumbRect().center();
  QTest::mousePress(vocal, Qt::LeftButton, Qt::NoModifier, thumb);
  QTest::mouseMove(vocal, QPoint(thumb.x(), vocal->height() - 1));
  EXPECT_FLOAT_EQ(record.vocalTractFactor, 1.0f);
  QTest::mouseRelease(vocal, Qt::LeftButton, Qt::NoModifier, QPoint(thumb.x(), vocal->height() - 1));
  EXPECT_FLOAT_EQ(record.vocalTractFactor, 0.3f);
  EXPECT_EQ(Display(1024), "0.30");
}

TEST_F(SettingsWindowTest, EffectBoxesShowTheirSlidersAndSetTheSwitch) {
  Click(kChorusCheckBox);
  EXPECT_TRUE(Slider(kChorusLevelSlider)->isVisible());
  EXPECT_TRUE(Slider(kChorusLevelSlider)->hasFocus());
  EXPECT_EQ(record.chorusOn, 1);
  EXPECT_FLOAT_EQ(record.chorusLevel, 0.75f);
  Click(kRobotCheckBox);
  EXPECT_TRUE(Slider(kRobotPitchSlider)->isVisible());
  EXPECT_TRUE(Child<QLabel>(1026)->isVisible());
  EXPECT_EQ(record.robotVoiceOn, 1);
  Click(kChorusCheckBox);
  EXPECT_FALSE(Slider(kChorusLevelSlider)->isVisible());
  EXPECT_EQ(record.chorusOn, 0);
  EXPECT_FLOAT_EQ(record.chorusLevel, 0.75f);  // the level stays for next time
}

TEST_F(SettingsWindowTest, ALevelSliderMovedWhileItsBoxIsClearLeavesTheRecord) {
  record.reverbLevel = 0.5f;
  ValueSlider* reverb = Slider(kReverbLevelSlider);
  reverb->setValue(10);
  window.SliderKeyPressed(kReverbLevelSlider);
  EXPECT_FLOAT_EQ(record.reverbLevel, 0.5f);
  EXPECT_EQ(record.reverbOn, 0);
}

TEST_F(SettingsWindowTest, ThePaintedLabelWithinFortyPixelsTogglesItsEffect) {
  QCheckBox* reverb = Box(kReverbCheckBox);
  ClickRightOf(reverb, 30);
  EXPECT_TRUE(reverb->isChecked());
  EXPECT_TRUE(Slider(kReverbLevelSlider)->isVisible());
  EXPECT_TRUE(Slider(kReverbLevelSlider)->hasFocus());
  EXPECT_EQ(record.reverbOn, 1);
  ClickRightOf(reverb, 40);
  EXPECT_FALSE(reverb->isChecked());
  EXPECT_FALSE(Slider(kReverbLevelSlider)->isVisible());
  EXPECT_EQ(record.reverbOn, 0);
  // Beyond 40 pixels the press drags the window instead.
  ClickRightOf(reverb, 43);
  EXPECT_FALSE(reverb->isChecked());
}

TEST_F(SettingsWindowTest, PressesNearSlidersFocusOnlyVisibleOnes) {
  ValueSlider* pitch = Slider(kPitchSlider);
  const QRect pitchBox = pitch->geometry();
  QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, pitchBox.topLeft() + QPoint(-40, -15));
  EXPECT_TRUE(pitch->hasFocus());
  // The hidden gating slider: a press beside it focuses nothing.
  const QRect gating = Slider(kGatingSlider)->geometry();
  QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, gating.center() + QPoint(-20, 0));
  EXPECT_FALSE(Slider(kGatingSlider)->hasFocus());
  EXPECT_FALSE(pitch->hasFocus());
  // A band slider is reached from 40 pixels below it.
  ValueSlider* band = Slider(1055);
  QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier,
                    QPoint(band->geometry().center().x(), band->geometry().bottom() + 35));
  EXPECT_TRUE(band->hasFocus());
  QTest::keyClick(band, Qt::Key_PageUp);
  EXPECT_FLOAT_EQ(record.equaliser.Gain(5), 5.0f);
}

TEST_F(SettingsWindowTest, SamplingRateChangesOnlyWhileNothingRuns) {
  QComboBox* rates = Child<QComboBox>(kSamplingRateList);
  rates->setFocus();
  QTest::keyClick(rates, Qt::Key_Down);  // 16000 -> 11025
  EXPECT_EQ(record.samplingRate, 11025);
  host.running = true;
  QTest::keyClick(rates, Qt::Key_Up);
  EXPECT_EQ(record.samplingRate, 11025);
  EXPECT_EQ(rates->currentText(), "11025");
  host.running = false;
  QTest::keyClick(rates, Qt::Key_Up);
  EXPECT_EQ(record.samplingRate, 16000);
}

// The device lists: picked by key, kept across a new list while the device
// is there, back on the default when it goes, and held while a run goes.
TEST_F(SettingsWindowTest, ADeviceChoiceFollowsTheListsAndWaitsWhileAnOperationRuns) {
  const std::vector<SoundDevice> devices{
      {"card_mic", "Built-in Microphone", "pulse:DEVICE=card_mic", false},
      {"headset_mic", "Headset Microphone", "pulse:DEVICE=headset_mic", false},
      {"card_out", "Built-in Speakers", "pulse:DEVICE=card_out", true}};
  window.SetSoundDevices(devices);
  QComboBox* microphones = Child<QComboBox>(1102);
  QComboBox* speakers = Child<QComboBox>(1103);
  ASSERT_EQ(microphones->count(), 3);
  ASSERT_EQ(speakers->count(), 2);
  EXPECT_EQ(microphones->itemText(0), test::InLanguage("System default", "Sistem varsayılanı"));
  EXPECT_EQ(speakers->itemText(1), "Built-in Speakers");

  microphones->setFocus();
  QTest::keyClick(microphones, Qt::Key_Down);
  QTest::keyClick(microphones, Qt::Key_Down);
  EXPECT_EQ(record.inputDevice, "pulse:DEVICE=headset_mic");
  EXPECT_EQ(host.deviceChoices, 2);
  host.running = true;
  QTest::keyClick(microphones, Qt::Key_Up);
  EXPECT_EQ(record.inputDevice, "pulse:DEVICE=headset_mic");
  EXPECT_EQ(microphones->currentText(), "Headset Microphone");
  host.running = false;

  // Another device came: the choice stays, and nothing needs following.
  std::vector<SoundDevice> more = devices;
  more.push_back({"usb_mic", "USB Microphone", "pulse:DEVICE=usb_mic", false});
  window.SetSoundDevices(more);
  EXPECT_EQ(microphones->currentText(), "Headset Microphone");
  EXPECT_EQ(host.deviceChoices, 2);
  // The headset was pulled out.
  window.SetSoundDevices({devices[0], devices[2]});
  EXPECT_EQ(record.inputDevice, "");
  EXPECT_EQ(microphones->currentIndex(), 0);
  EXPECT_EQ(host.deviceChoices, 3);
}

TEST_F(SettingsWindowTest, TheDelayChoiceOutlivesRevertAndPresetsAndWaitsWhileAnOperationRuns) {
  auto* standard = Child<QRadioButton>(1068);
  auto* low = Child<QRadioButton>(1069);
  EXPECT_TRUE(standard->isChecked());
  EXPECT_EQ(low->toolTip(), test::InLanguage("Real-time at conversation speed (duration 1.00)",
                                             "Gerçek zamanlı, konuşma hızında (süre 1.00)"));
  Click(1069);
  EXPECT_EQ(record.latencyProfile, LatencyProfile::kLow);
  EXPECT_TRUE(low->isChecked());
  EXPECT_FALSE(standard->isChecked());
  Click(1041);
  window.RefreshFromParameters();  // as after a preset
  EXPECT_EQ(record.latencyProfile, LatencyProfile::kLow);
  EXPECT_TRUE(low->isChecked());
  host.running = true;
  ClickRightOf(standard, 60);  // on its painted label
  EXPECT_EQ(record.latencyProfile, LatencyProfile::kLow);
  EXPECT_TRUE(low->isChecked());
  EXPECT_FALSE(standard->isChecked());
  host.running = false;
  ClickRightOf(standard, 60);
  EXPECT_EQ(record.latencyProfile, LatencyProfile::kStandard);
  EXPECT_TRUE(standard->isChecked());
  EXPECT_FALSE(low->isChecked());
}

TEST_F(SettingsWindowTest, SaveThenLoadRestoresTheFileAndKeepsTheDynamics) {
  test::TempDir folder;
  const QString path = QString::fromStdString(folder.Path("voice.prm"));
  Click(kReverbCheckBox);
  Slider(kPitchSlider)->SetValue(2.0f);
  chooser.saveAnswers = {path};
  Click(1049);
  ASSERT_EQ(chooser.saveSuffixes.size(), 1);
  EXPECT_EQ(chooser.saveSuffixes[0], "prm");
  EXPECT_EQ(chooser.saveFilters[0], "Prm Files (*.prm);;All Files (*)");
  EXPECT_EQ(record.settingsFileName, path.toStdString());
  const std::vector<uint8_t> bytes = test::ReadBytes(path.toStdString());
  ASSERT_EQ(bytes.size(), 160u);
  EXPECT_EQ(bytes[0], 0x80);
  EXPECT_EQ(bytes[1], 0x3E);

  // Change what the file holds and what it does not, then load it back.
  Click(kReverbCheckBox);
  Slider(kPitchSlider)->SetValue(0.8f);
  window.CopyControlsToParameters(kAllSettingsControls);
  Click(kLimiterCheckBox);
  chooser.openAnswers = {path};
  Click(1048);
  EXPECT_NEAR(record.pitchFactor, 2.0f, 1e-6);
  EXPECT_EQ(record.reverbOn, 1);
  EXPECT_EQ(record.limiterOn, 1);
  EXPECT_TRUE(Box(kReverbCheckBox)->isChecked());
  EXPECT_TRUE(Box(kLimiterCheckBox)->isChecked());
  EXPECT_EQ(Display(1021), "2.00");
  // Asking again starts from the file's name; a cancel changes nothing.
  chooser.saveAnswers = {QString()};
  Click(1049);
  EXPECT_EQ(chooser.saveInitialNames.last(), path);
  EXPECT_EQ(record.settingsFileName, path.toStdString());
}

TEST_F(SettingsWindowTest, AMissingOrInvalidFileIsReportedAndChangesNothing) {
  test::TempDir folder;
  const std::string bad = folder.Write("bad.prm", std::vector<uint8_t>(40, 0xFF));
  record.pitchFactor = 1.8f;
  window.RefreshFromParameters();
  test::ModalAnswerer answerer;
  chooser.openAnswers = {QString::fromStdString(folder.Path("missing.prm")), QString::fromStdString(bad)};
  Click(1048);
  Click(1048);
  ASSERT_EQ(answerer.Texts().size(), 2);
  EXPECT_EQ(answerer.Texts()[0], test::InLanguage("Cannot find settings file!", "Ayar dosyası bulunamıyor!"));
  EXPECT_EQ(answerer.Texts()[1], test::InLanguage("Invalid settings file!", "Geçersiz ayar dosyası!"));
  EXPECT_FLOAT_EQ(record.pitchFactor, 1.8f);
  EXPECT_EQ(Display(1021), "1.80");
}

TEST_F(SettingsWindowTest, AnUnwritableFileIsReported) {
  test::ModalAnswerer answerer;
  chooser.saveAnswers = {QStringLiteral("/nonexistent-folder/voice.prm")};
  Click(1049);
  ASSERT_EQ(answerer.Texts().size(), 1);
  EXPECT_EQ(answerer.Texts()[0],
            test::InLanguage("Cannot create settings file!", "Ayar dosyası oluşturulamıyor!"));
}

TEST_F(SettingsWindowTest, RevertRestoresTheDefaultsAndChoosesTheDefaultPreset) {
  Click(kWhisperCheckBox);
  Slider(1050)->SetValue(12.0f);
  window.CopyControlsToParameters(kAllSettingsControls);
  record.samplingRate = 8000;
  record.presetIndex = 20;
  window.RefreshFromParameters();
  Click(1041);
  EXPECT_EQ(record.whisperOn, 0);
  EXPECT_FALSE(Slider(kWhisperLevelSlider)->isVisible());
  EXPECT_FLOAT_EQ(record.equaliser.Gain(0), 0.0f);
  EXPECT_EQ(Slider(1050)->value(), 0);
  EXPECT_EQ(record.samplingRate, 16000);
  EXPECT_EQ(Child<QComboBox>(kSamplingRateList)->currentText(), "16000");
  EXPECT_EQ(host.chosenPresets, QList<int>{4});
}

TEST_F(SettingsWindowTest, TheCloseBoxHidesIt) {
  Click(1076);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace plimo
