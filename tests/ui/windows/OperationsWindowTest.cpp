// The main window driving the real operations on sound devices that tests
// can run anywhere: a file-backed card (exact bytes, no timing) and a
// private PulseAudio server (real time).

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>
#include <cmath>

#include "audio/SoundFile.h"
#include "params/VoiceParameters.h"
#include "support/SoundEnvironment.h"
#include "support/SoundServer.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"
#include "ui/controls/BitmapButton.h"
#include "ui/controls/LevelMeter.h"
#include "ui/help/HelpBook.h"
#include "ui/skin/BitmapIds.h"
#include "ui/support/ModalAnswerer.h"
#include "ui/support/Screenshots.h"
#include "ui/support/ScriptedChooser.h"
#include "ui/support/WindowFakes.h"
#include "ui/windows/MainWindow.h"
#include "ui/windows/OperationsBridge.h"
#include "ui/windows/SettingsWindow.h"

namespace plimo {
namespace {

constexpr int kRecordId = 1019;
constexpr int kPlayRecordingId = 1017;
constexpr int kStartId = 1020;
constexpr int kPlayOutputId = 1030;
constexpr int kStopId = 1018;
constexpr int kWaitMs = 20000;
constexpr int kRate = 16000;  // Hz

// Every geometry and visibility a widget takes, in order.
class History : public QObject {
 public:
  explicit History(QWidget* watched) : watched(watched) { watched->installEventFilter(this); }
  QList<QRect> places;
  QList<bool> shown;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        if (places.isEmpty() || places.last() != watched->geometry()) places.append(watched->geometry());
        break;
      case QEvent::Show: shown.append(true); break;
      case QEvent::Hide: shown.append(false); break;
      default: break;
    }
    return false;
  }

 private:
  QWidget* watched;
};

// A voiced test signal: a 140 Hz pulse train through a soft resonance.
std::vector<int16_t> Voice(double seconds) {
  const int count = static_cast<int>(seconds * kRate);
  std::vector<int16_t> samples(static_cast<size_t>(count));
  double state = 0.0;
  for (int i = 0; i < count; ++i) {
    const double pulse = (i % (kRate / 140)) == 0 ? 12000.0 : 0.0;
    state = 0.9 * state + pulse;
    samples[static_cast<size_t>(i)] = static_cast<int16_t>(std::lround(state * std::sin(i * 0.3) * 0.5));
  }
  return samples;
}

class OperationsWindowTest : public ::testing::Test {
 protected:
  void Open() {
    window = std::make_unique<MainWindow>(record, bridge, &speaker, &microphone, chooser, help);
    bridge.Attach(window.get());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    Edit(1031)->setText(QString::fromStdString(folder.Root()));
    QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier,
                      Button(1057)->geometry().topRight() + QPoint(12, 6));  // file mode
    ASSERT_EQ(record.realTimeMode, 0);
  }
  void TearDown() override {
    bridge.StopAllOperations();
    bridge.Running().WaitForWorkers();
    // The window made the working folder current; it goes with the test.
    QDir::setCurrent(startFolder);
  }

  QWidget* Button(int id) { return window->findChild<QWidget*>(QString::number(id)); }
  BitmapButton* Bitmap(int id) { return window->findChild<BitmapButton*>(QString::number(id)); }
  QLineEdit* Edit(int id) { return window->findChild<QLineEdit*>(QString::number(id)); }
  void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton); }
  // Lets the workers end and their queued changes reach the window.
  void Settle() {
    bridge.Running().WaitForWorkers();
    QCoreApplication::processEvents();
  }
  bool Idle() {
    return !bridge.IsBusy() && Button(kStopId)->geometry() == QRect(0, 0, 0, 0) &&
           !window->Meter().isVisible();
  }
  void ExpectEverythingBack() {
    for (int id : {kRecordId, kPlayRecordingId, kStartId, kPlayOutputId, 1043, 1057, 1044, 1039}) {
      EXPECT_TRUE(Button(id)->isEnabled()) << id;
    }
    EXPECT_EQ(Button(kPlayRecordingId)->geometry(), playRecordingPlace);
    EXPECT_EQ(Button(kPlayOutputId)->geometry(), playOutputPlace);
    EXPECT_EQ(Button(kStartId)->geometry(), startPlace);
    EXPECT_EQ(Button(kStopId)->geometry(), QRect(0, 0, 0, 0));
  }

  const QString startFolder = QDir::currentPath();
  test::TempDir folder;
  VoiceParameters record;
  OperationsBridge bridge{record};
  test::FakeGain speaker{0, 100, 50};
  test::FakeGain microphone{0, 100, 50};
  test::ScriptedChooser chooser;
  HelpBook help{{QStringLiteral(PLIMO_HELP_SOURCE_DIR)}};
  std::unique_ptr<MainWindow> window;
  QRect playRecordingPlace;
  QRect playOutputPlace;
  QRect startPlace;

  void RememberPlaces() {
    playRecordingPlace = Button(kPlayRecordingId)->geometry();
    playOutputPlace = Button(kPlayOutputId)->geometry();
    startPlace = Button(kStartId)->geometry();
  }
};

TEST_F(OperationsWindowTest, PlayingTheRecordingPutsStopInItsPlaceAndBackAndPlaysEveryByte) {
  const std::vector<int16_t> voice = Voice(0.5);
  test::FileSoundCard card(std::vector<uint8_t>(64000, 0));
  Open();
  RememberPlaces();
  folder.Write("take.wav", test::MakeWav(test::kWavPcm, 1, kRate, 16, voice));
  Edit(1000)->setText(QStringLiteral("take.wav"));
  History stop(Button(kStopId));
  History meter(&window->Meter());
  Click(kPlayRecordingId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stop.places.size() >= 2 && Idle(); }, kWaitMs));
  EXPECT_EQ(stop.places.first(), playRecordingPlace);
  EXPECT_EQ(stop.places.last(), QRect(0, 0, 0, 0));
  EXPECT_EQ(meter.shown, (QList<bool>{true, false}));
  ExpectEverythingBack();
  const std::vector<uint8_t> played = card.Played();
  ASSERT_GE(played.size(), voice.size() * 2);
  EXPECT_EQ(test::ReadLittle16(played, 2000), static_cast<uint16_t>(voice[1000]));
}

TEST_F(OperationsWindowTest, AFileModificationShowsItsProgressAndWritesTheOutput) {
  Open();
  RememberPlaces();
  folder.Write("talk.wav", test::MakeWav(test::kWavPcm, 2, kRate, 16, [] {
                 std::vector<int16_t> stereo;
                 for (int16_t s : Voice(1.0)) stereo.insert(stereo.end(), {s, s});
                 return stereo;
               }()));
  Edit(1000)->setText(QStringLiteral("talk.wav"));
  Edit(1001)->setText(QStringLiteral("talk-woman"));
  History stop(Button(kStopId));
  History progress(window->findChild<QProgressBar*>(QStringLiteral("1028")));
  Click(kStartId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stop.places.size() >= 2 && Idle(); }, kWaitMs));
  EXPECT_EQ(stop.places.first(), startPlace);
  EXPECT_EQ(progress.shown.first(), true);
  EXPECT_EQ(progress.shown.last(), false);
  ExpectEverythingBack();
  EXPECT_EQ(Edit(1001)->text(), "talk-woman.wav");
  const std::unique_ptr<SoundFile> output = SoundFile::OpenForReading(folder.Path("talk-woman.wav"));
  ASSERT_EQ(output->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(output->Channels(), 2);
  EXPECT_EQ(output->SampleRate(), static_cast<uint32_t>(kRate));
  EXPECT_GT(output->FrameCount(), kRate / 2);
}

// The meter and the progress as the workers report them.
TEST_F(OperationsWindowTest, TheMeterShowsHowLoudANegativeSampleIsAndNothingBeforeTheFirstBlock) {
  Open();
  bridge.OperationStarted(kOperationRecording, OperationReports{.level = true});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Meter().isVisible(); }, kWaitMs));
  EXPECT_EQ(window->Meter().Level(), LevelMeter::kNoLevel);
  bridge.SetLevel(-0.5);  // a block beginning at -16350
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Meter().Level() != LevelMeter::kNoLevel; }, kWaitMs));
  EXPECT_EQ(window->Meter().Level(), 37);
  bridge.OperationEnded(kOperationRecording, OperationResult::kDone);
}

TEST_F(OperationsWindowTest, ALiveRunShowsItsDelayFromTheFirstReportUntilItEnds) {
  Open();
  auto* text = window->findChild<QLabel*>(QStringLiteral("1029"));
  bridge.OperationStarted(kOperationModification, OperationReports{.level = true, .delay = true});
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Meter().isVisible(); }, kWaitMs));
  EXPECT_FALSE(text->isVisible());
  bridge.SetDelay(LiveDelay{.engineMs = 40.0, .captureMs = 3.2, .playbackMs = 5.1, .totalMs = 48.3});
  ASSERT_TRUE(QTest::qWaitFor([&] { return text->isVisible(); }, kWaitMs));
  EXPECT_EQ(text->text(), "Delay: 48 ms");
  test::SaveScreenshot(*window, QStringLiteral("main-window-live"));
  bridge.SetDelay(LiveDelay{.engineMs = 40.0, .captureMs = 3.0, .playbackMs = 9.0, .totalMs = 52.0});
  ASSERT_TRUE(QTest::qWaitFor([&] { return text->text() == "Delay: 52 ms"; }, kWaitMs));
  bridge.OperationEnded(kOperationModification, OperationResult::kDone);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text->isVisible(); }, kWaitMs));
}

TEST_F(OperationsWindowTest, EachFileRunStartsItsProgressFromNothing) {
  Open();
  auto* bar = window->findChild<QProgressBar*>(QStringLiteral("1028"));
  auto* text = window->findChild<QLabel*>(QStringLiteral("1029"));
  const OperationReports fileRun{.progress = true};
  bridge.OperationStarted(kOperationModification, fileRun);
  bridge.SetProgress(0.8, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() == 80; }, kWaitMs));
  bridge.OperationEnded(kOperationModification, OperationResult::kDone);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bar->isVisible(); }, kWaitMs));
  bridge.OperationStarted(kOperationModification, fileRun);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, kWaitMs));
  EXPECT_EQ(bar->value(), 0);
  EXPECT_TRUE(text->text().endsWith(QStringLiteral(" 0.0"))) << text->text().toStdString();
  bridge.OperationEnded(kOperationModification, OperationResult::kDone);
}

class ServerWindowTest : public OperationsWindowTest {
 protected:
  void SetUp() override {
    if (!test::SoundServer::Get().Running()) GTEST_SKIP() << test::SoundServer::Get().Failure();
    server = std::make_unique<test::UsingSoundServer>();
  }
  void TearDown() override {
    OperationsWindowTest::TearDown();
    window.reset();
    server.reset();
  }
  std::unique_ptr<test::UsingSoundServer> server;
};

TEST_F(ServerWindowTest, RecordingShowsTheMeterAndASecondClickLeavesACompleteFile) {
  Open();
  RememberPlaces();
  Edit(1000)->setText(QStringLiteral("speech"));
  Click(kRecordId);
  EXPECT_EQ(Bitmap(kRecordId)->ShownBitmap(), skin::kBitmapStop);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Meter().isVisible(); }, kWaitMs));
  QTest::qWait(300);
  test::SaveScreenshot(*window, QStringLiteral("main-window-recording"));
  Click(kRecordId);
  Settle();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, kWaitMs));
  EXPECT_NE(Bitmap(kRecordId)->ShownBitmap(), skin::kBitmapStop);
  ExpectEverythingBack();
  EXPECT_EQ(Edit(1000)->text(), "speech.wav");
  const std::unique_ptr<SoundFile> recorded = SoundFile::OpenForReading(folder.Path("speech.wav"));
  ASSERT_EQ(recorded->Status(), SoundFileStatus::kSoundFileReading);
  EXPECT_EQ(recorded->Channels(), 1);
  EXPECT_EQ(recorded->SampleRate(), static_cast<uint32_t>(record.samplingRate));
  EXPECT_EQ(recorded->ByteCount(), 44u + 2u * static_cast<uint64_t>(recorded->FrameCount()));
  EXPECT_GT(recorded->FrameCount(), 0);
}

TEST_F(ServerWindowTest, StopEndsAPlaybackAndPutsEveryButtonBack) {
  Open();
  RememberPlaces();
  folder.Write("long.wav", test::MakeWav(test::kWavPcm, 1, kRate, 16, Voice(8.0)));
  Edit(1001)->setText(QStringLiteral("long.wav"));
  Click(kPlayOutputId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Button(kStopId)->geometry() == playOutputPlace; }, kWaitMs));
  EXPECT_EQ(Button(kPlayOutputId)->geometry(), QRect(0, 0, 0, 0));
  EXPECT_FALSE(Button(kPlayRecordingId)->isEnabled());
  EXPECT_FALSE(Button(kRecordId)->isEnabled());
  Click(kStopId);
  EXPECT_FALSE(bridge.IsPlaying());
  // The playback's own worker puts the mode buttons back when it ends.
  Settle();
  EXPECT_TRUE(Idle());
  ExpectEverythingBack();
}

TEST_F(ServerWindowTest, ARealTimeRunShowsTheMeterUntilStopped) {
  Open();
  RememberPlaces();
  QTest::mouseClick(window.get(), Qt::LeftButton, Qt::NoModifier,
                    Button(1043)->geometry().topRight() + QPoint(12, 6));  // real time
  test::ModalAnswerer answerer;
  Click(kStartId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->Meter().isVisible(); }, kWaitMs));
  EXPECT_EQ(Button(kStopId)->geometry(), startPlace);
  EXPECT_FALSE(Button(1043)->isEnabled());
  // The run keeps its sampling rate: the list refuses another.
  auto* rates = window->Settings().findChild<QComboBox*>(QStringLiteral("1036"));
  rates->setFocus();
  QTest::keyClick(rates, Qt::Key_Down);
  EXPECT_EQ(record.samplingRate, 16000);
  EXPECT_EQ(rates->currentText(), "16000");
  QTest::qWait(300);
  Click(kStopId);
  ASSERT_TRUE(QTest::qWaitFor([&] { return Idle(); }, kWaitMs));
  EXPECT_TRUE(answerer.Texts().isEmpty());
  EXPECT_TRUE(Button(kStartId)->isEnabled());
  EXPECT_FALSE(Button(kRecordId)->isEnabled());  // real time: no file controls
  EXPECT_EQ(Button(kStartId)->geometry(), startPlace);
}

}  // namespace
}  // namespace plimo
