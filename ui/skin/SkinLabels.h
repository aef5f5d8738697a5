#pragma once

#include "messages/MessagePair.h"

namespace plimo::skin {

// Texts painted into the bitmaps: the labels of radio buttons, check boxes
// and edit fields, the window headings and the wide buttons' captions.

inline constexpr const char* kWindowTitle = "Varnel 3.0";  // both languages

// Main window.
inline constexpr MessagePair kLabelRealTime{"Real-time", "Gerçek zamanlı"};
inline constexpr MessagePair kLabelFileMode{"Modify wav file", "Ses dosyasını değiştir"};
inline constexpr MessagePair kLabelYourVoice{"Your own voice", "Kendi sesiniz"};
inline constexpr MessagePair kLabelWoman{"Woman", "Kadın"};
inline constexpr MessagePair kLabelMan{"Man", "Erkek"};
inline constexpr MessagePair kLabelChild{"Child", "Çocuk"};
inline constexpr MessagePair kLabelTargetVoice{"Target voice", "Hedef ses"};
inline constexpr MessagePair kLabelWorkingFolder{"Folder", "Klasör"};
inline constexpr MessagePair kLabelInputFile{"Input file", "Girdi dosyası"};
inline constexpr MessagePair kLabelOutputFile{"Output file", "Çıktı dosyası"};

// Settings window.
inline constexpr MessagePair kLabelSettings{"Settings", "Ayarlar"};
inline constexpr MessagePair kLabelPitch{"Pitch", "Ses tonu"};
inline constexpr MessagePair kLabelDuration{"Duration", "Süre"};
inline constexpr MessagePair kLabelVocalTract{"Vocal tract", "Gırtlak"};
inline constexpr MessagePair kLabelRobot{"Robot", "Robot"};
inline constexpr MessagePair kLabelEffects{"Effects", "Efektler"};
inline constexpr MessagePair kLabelReverb{"Reverb", "Yankı"};
inline constexpr MessagePair kLabelWhisper{"Whisper", "Fısıltı"};
inline constexpr MessagePair kLabelChorus{"Chorus", "Koro"};
inline constexpr MessagePair kLabelExpander{"Expander", "Genişletme"};
inline constexpr MessagePair kLabelCompressor{"Compressor", "Sıkıştırma"};
inline constexpr MessagePair kLabelLimiter{"Limiter", "Sınırlama"};
inline constexpr MessagePair kLabelGater{"Gater", "Engelleme"};
inline constexpr MessagePair kLabelSamplingRate{"Rate (Hz)", "Örnekleme (Hz)"};
inline constexpr MessagePair kLabelEqualiser{"Equaliser (kHz)", "Ekolayzer (kHz)"};
inline constexpr MessagePair kLabelDevices{"Sound devices", "Ses aygıtları"};
inline constexpr MessagePair kLabelMicrophoneDevice{"Microphone", "Mikrofon"};
inline constexpr MessagePair kLabelSpeakerDevice{"Speaker", "Hoparlör"};
inline constexpr MessagePair kLabelLiveDelay{"Real-time", "Gerçek zamanlı"};
inline constexpr MessagePair kLabelStandardDelay{"Standard delay", "Standart gecikme"};
inline constexpr MessagePair kLabelLowDelay{"Low delay", "Düşük gecikme"};

// Volume window.
inline constexpr MessagePair kLabelVolume{"Volume", "Ses seviyesi"};
inline constexpr MessagePair kLabelSpeaker{"Speaker", "Hoparlör"};
inline constexpr MessagePair kLabelMicrophone{"Mic", "Mikrofon"};

// Captions of the wide buttons.
inline constexpr MessagePair kCaptionSettings{"Settings", "Ayarlar"};
inline constexpr MessagePair kCaptionClose{"Close", "Kapat"};
inline constexpr MessagePair kCaptionRevert{"Default", "Varsayılan"};
inline constexpr MessagePair kCaptionOk{"OK", "Tamam"};
inline constexpr MessagePair kCaptionCancel{"Cancel", "İptal"};

}  // namespace plimo::skin
