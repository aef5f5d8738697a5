#pragma once

#include "messages/MessagePair.h"

// The tool tips of the three windows, in both languages.
namespace plimo::texts {

// Main window. The window surface's own tip is the same in both languages.
inline constexpr const char* kMainSurface = "Corvane Varnel 3.0";
inline constexpr MessagePair kRecord{"Save", "Kaydet"};
inline constexpr MessagePair kPlayRecording{"Play recording", "Kaydı çal"};
inline constexpr MessagePair kStart{"Start voice modification", "Ses değiştirmeye başla"};
inline constexpr MessagePair kPlayOutput{"Play toutput file", "Çıktı ses dosyasını çal"};
inline constexpr MessagePair kStop{"Stop", "Durdur"};
inline constexpr MessagePair kVolume{"Volume settings", "Ses yüksekliği ayarları"};
inline constexpr MessagePair kHelp{"Help", "Yardım"};
inline constexpr MessagePair kSettings{"Voice modification settings", "Ses değiştirme ayarları"};
inline constexpr MessagePair kExit{"Exit program", "Programdan çık"};
inline constexpr MessagePair kMinimise{"Minimize", "Küçült"};
inline constexpr MessagePair kBrowseOutput{"Browse output file", "Çıktı ses dosyasını bul"};
inline constexpr MessagePair kBrowseFolder{"Browse working folder", "Çalışma klasörünü bul"};
inline constexpr MessagePair kBrowseInput{"Browse wav file to be modified",
                                          "Değiştirilecek ses dosyasını bul"};
inline constexpr MessagePair kTargetVoice{"Target voice", "Hedef ses"};
inline constexpr MessagePair kMan{"Man", "Erkek"};
inline constexpr MessagePair kChild{"Child", "Çocuk"};
inline constexpr MessagePair kWoman{"Woman", "Kadın"};
inline constexpr MessagePair kFileMode{"Modify pre-recorded wav file", "Ses dosyasını değiştir"};
inline constexpr MessagePair kRealTime{"Real-time voice modification", "Sesimi konuşurken değiştir"};
inline constexpr MessagePair kWorkingFolder{"Working folder name", "Çalışma klasörü adı"};
inline constexpr MessagePair kProgress{"Progress", "İlerleme"};
inline constexpr MessagePair kMessage{"Message", "Mesaj"};
inline constexpr MessagePair kInputFile{"Name of wav file to be modified",
                                        "Değiştirilecek ses dosyasının adı"};
inline constexpr MessagePair kOutputFile{"Output file name", "Çıktı ses dosyasının adı"};

// Settings window.
inline constexpr MessagePair kSettingsSurface{"Settings", "Ayarlar"};
inline constexpr MessagePair kPitch{"Pitch", "Ses tonu"};
inline constexpr MessagePair kDuration{"Duration modification", "Süre değişimi"};
inline constexpr MessagePair kVocalTract{"Vocal tract length", "Gırtlak uzunluğu"};
inline constexpr MessagePair kRobotGender{"Robot voice gender", "Robot sesi cinsiyeti"};
inline constexpr MessagePair kReverbLevel{"Reverb level", "Yankı seviyesi"};
inline constexpr MessagePair kWhisperLevel{"Whisper level", "Fısıltı seviyesi"};
inline constexpr MessagePair kChorusLevel{"Chorus level", "Koro seviyesi"};
inline constexpr MessagePair kExpansion{"Expansion threshold", "Genişletme eşiği"};
inline constexpr MessagePair kCompression{"Compression threshold", "Sıkıştırma eşiği"};
inline constexpr MessagePair kLimiting{"Limiting threshold", "Sınırlama eşiği"};
inline constexpr MessagePair kGating{"Gating threshold", "Engelleme eşiği"};
inline constexpr MessagePair kDurationDisplay{"Duration modification factor", "Süre değişim seviyesi"};
inline constexpr MessagePair kVocalTractDisplay{"Vocal tract length", "Gırtlak uzunluğu değeri"};
inline constexpr MessagePair kRobotGenderDisplay{"Robot voice gender", "Robot sesi cinsiyeti"};
inline constexpr MessagePair kAddRobot{"Add/Cancel robot voice", "Robot sesi ekle/iptal"};
inline constexpr MessagePair kAddReverb{"Add/Cancel reverb", "Yankı ekle/iptal"};
inline constexpr MessagePair kAddWhisper{"Add/Cancel whisper", "Fısıltı ekle/iptal"};
inline constexpr MessagePair kAddChorus{"Add/Cancel chorus", "Koro ekle/iptal"};
inline constexpr MessagePair kAddExpander{"Add/Cancel expander", "Genişletme ekle/iptal"};
inline constexpr MessagePair kAddCompressor{"Add/Cancel compressor", "Sıkıştırma ekle/iptal"};
inline constexpr MessagePair kAddLimiter{"Add/Cancel limiter", "Sınırlama ekle/iptal"};
inline constexpr MessagePair kAddGater{"Add/Cancel gater", "Engelleme ekle/iptal"};
inline constexpr MessagePair kSamplingRate{"Sampling rate (Hz)", "Örnekleme sıklığı (Hz)"};
inline constexpr MessagePair kMicrophoneDevice{"The microphone recordings and real-time runs hear",
                                               "Kayıtların ve gerçek zamanlı çalışmanın duyduğu mikrofon"};
inline constexpr MessagePair kSpeakerDevice{"The speaker playback and real-time runs play to",
                                            "Çalmanın ve gerçek zamanlı çalışmanın çaldığı hoparlör"};
inline constexpr MessagePair kStandardDelay{"Real-time with a safe cushion against dropouts",
                                            "Gerçek zamanlı, kesintilere karşı güvenli tampon"};
inline constexpr MessagePair kLowDelay{"Real-time at conversation speed (duration 1.00)",
                                       "Gerçek zamanlı, konuşma hızında (süre 1.00)"};
inline constexpr MessagePair kLoadSettings{"Load settings file", "Ayar dosyası yükle"};
inline constexpr MessagePair kSaveSettings{"Save settings file", "Ayarları dosyaya kaydet"};
inline constexpr MessagePair kRevert{"Revert to default settings", "İlk ayarları yükle"};
inline constexpr MessagePair kCloseSettings{"Close settings dialog", "Ayarlar penceresini kapat"};
// The band sliders' tips are the same in both languages.
inline constexpr const char* kBandTips[] = {"0.1 KHz", "0.2 KHz", "0.3 KHz", "0.6 KHz",  "1.0 KHz",
                                            "3.0 KHz", "5.0 KHz", "8.0 KHz", "12.0 KHz", "17.0 KHz"};

// Volume window.
inline constexpr MessagePair kVolumeSurface{"Volume Settings", "Ses Seviyesi Ayarları"};
inline constexpr MessagePair kSpeakerGain{"Speaker gain", "Ses seviyesi"};
inline constexpr MessagePair kMicrophoneGain{"Microphone recording gain", "Mikrofon kayıt seviyesi"};
inline constexpr MessagePair kCloseVolume{"Close volume setting dialog",
                                          "Ses seviyesi ayarları penceresini kapat"};

}  // namespace plimo::texts
