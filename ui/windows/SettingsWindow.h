#pragma once

#include <QHash>
#include <memory>
#include <vector>

#include "params/LatencyProfile.h"
#include "params/Presets.h"
#include "params/SettingsControls.h"
#include "platform/SoundDevices.h"
#include "ui/controls/SkinnedDialog.h"
#include "ui/controls/ValueSlider.h"
#include "ui/windows/DeviceLists.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace plimo {

class BitmapButton;
class FileChooser;
class ManualRadioButton;
class MessageSink;
class SettingsHost;
class VoiceParameters;

// The tool window in which the user sets every value of the record that
// has a control. It holds no copy of the values: its controls are filled
// from the record, and copied back into it control by control as they
// change. Closing it only hides it.
class SettingsWindow : public SkinnedDialog,
                       public SettingsControls,
                       public SettingsRefresher,
                       public ValueSliderListener {
 public:
  SettingsWindow(VoiceParameters& record, SettingsHost& host, MessageSink& messages, FileChooser& chooser,
                 QWidget* owner);

  // Copies the control controlId (or every control, for
  // kAllSettingsControls) into the record.
  void CopyControlsToParameters(int controlId);
  // Refills the rate list, every control and the band sliders from the
  // record, after the main window's working folder.
  void Refresh();

  // Selects the record's sampling rate in the rate list, after the rate
  // was set elsewhere.
  void ShowSamplingRate() { SelectRecordRate(); }

  // The devices people can pick, whenever the sound server's change.
  void SetSoundDevices(const std::vector<SoundDevice>& devices);

  // SettingsControls.
  float SliderValue(int sliderId) const override;
  bool IsChecked(int checkBoxId) const override;
  std::string SelectedSamplingRateText() const override;
  bool IsOperationRunning() const override;

  // SettingsRefresher: after a preset, every control and band slider.
  void RefreshFromParameters() override;

  // ValueSliderListener.
  void SliderKeyPressed(int controlId) override { CopyControlsToParameters(controlId); }
  void SliderReleased(int controlId) override { CopyControlsToParameters(controlId); }

 protected:
  bool ClaimSurfacePress(const QPoint& globalPosition) override;
  // A close from the window system is a Close.
  void reject() override { CloseWindow(); }

 private:
  struct Switch {
    QCheckBox* box;
    ValueSlider* slider;
    QLabel* display;  // shown with the slider; only the robot's has one
  };

  void BuildControls();
  void FillControls();
  void SetBandSliders();
  void RunSwitchHandler(const Switch& effect);
  void FocusSlider(ValueSlider* slider);
  void SelectRecordRate();
  void ChooseSamplingRate();
  // The live run's buffering, a session choice of the record's that no
  // file, preset or revert changes.
  void ShowLatencyProfile();
  void ChooseLatencyProfile(LatencyProfile profile);
  // Devices, like the rate, are set up when a run starts: while one runs
  // the lists keep showing the ones in use.
  void ChooseDevice(QComboBox* list, int row);
  void RevertToDefaults();
  void LoadParameterFile();
  void SaveParameterFile();
  void CloseWindow();

  VoiceParameters& record;
  SettingsHost& host;
  MessageSink& messages;
  FileChooser& chooser;
  QHash<int, ValueSlider*> sliders;
  // In the order robot, reverb, whisper, chorus, compressor, expander,
  // limiter, gater.
  QList<Switch> switches;
  QComboBox* samplingRates = nullptr;
  std::unique_ptr<DeviceLists> devices;
  ManualRadioButton* standardDelay = nullptr;
  ManualRadioButton* lowDelay = nullptr;
};

}  // namespace plimo
