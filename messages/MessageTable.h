#pragma once

#include "messages/MessagePair.h"

namespace plimo {

// Every message box of the program, named by the condition it reports.

// File mode: the input file cannot be opened when a modification starts.
inline constexpr MessagePair kMessageNoInputFile{"Please select or record\n input wav file!",
                                                 "Lütfen girdi wav dosyasını seçin\n ya da kaydedin!"};

// File mode: the output name equals the input name.
inline constexpr MessagePair kMessageSameInputOutput{"Input and output file names should not be identical!",
                                                     "Girdi ve çıktı dosya adları aynı olamaz!"};

// The speaker gain control is missing.
inline constexpr MessagePair kMessageNoSoundCard{"Cannot initialize sound card!", "Ses kartına erişilemedi!"};

// The microphone recording gain control is missing.
inline constexpr MessagePair kMessageNoMicrophone{"Cannot initialize microphone!", "Mikrofon bulunamadı!"};

// A recording's wav file cannot be created.
inline constexpr MessagePair kMessageCannotCreateRecording{"Cannot create recording file!",
                                                           "Kayıt dosyası oluşturulamıyor!"};

// The microphone cannot be opened for a recording or a real-time run.
inline constexpr MessagePair kMessageCannotOpenMicrophone{"Cannot open microphone!", "Mikrofon açılamıyor!"};

// The speaker cannot be opened for a real-time run.
inline constexpr MessagePair kMessageCannotOpenSpeaker{"Cannot open speaker!", "Hoparlör açılamıyor!"};

// The microphone or the speaker failed, or stopped answering, while a
// real-time run or a playback was using it.
inline constexpr MessagePair kMessageSoundDeviceFailed{"Sound device failed!", "Ses aygıtı çalışmıyor!"};

// The virtual microphone cannot be made: no sound server runs, or it
// refused the modules.
inline constexpr MessagePair kMessageCannotCreateVirtualMicrophone{
    "Cannot create Plimo Microphone: no sound server!", "Plimo Mikrofonu oluşturulamıyor: ses sunucusu yok!"};

// A live run cannot play into the virtual microphone.
inline constexpr MessagePair kMessageCannotOpenVirtualMicrophone{"Cannot send to Plimo Microphone!",
                                                                 "Plimo Mikrofonu'na gönderilemiyor!"};

// The sound server ended or restarted while the program ran: a run using
// it ends, and its devices and the virtual microphone come back with it.
inline constexpr MessagePair kMessageSoundServerGone{
    "The sound server has stopped. Its devices and Plimo Microphone return when it is back.",
    "Ses sunucusu durdu. Aygıtları ve Plimo Mikrofonu, sunucu geri geldiğinde döner."};

// A device chosen by name is not among the devices.
inline constexpr MessagePair kMessageNoSuchDevice{"No such sound device!", "Böyle bir ses aygıtı yok!"};

// A live run starts in the low-delay profile with a duration other than 1:
// it runs at 1, since its output cannot fall behind or run ahead of the
// microphone.
inline constexpr MessagePair kMessageLowDelayDuration{"Low delay runs at the original duration (1.00).",
                                                      "Düşük gecikme özgün süreyle (1.00) çalışır."};

// A parameter file to be read does not exist or cannot be opened.
inline constexpr MessagePair kMessageCannotFindSettingsFile{"Cannot find settings file!",
                                                            "Ayar dosyası bulunamıyor!"};

// A parameter file to be written cannot be created or written.
inline constexpr MessagePair kMessageCannotCreateSettingsFile{"Cannot create settings file!",
                                                              "Ayar dosyası oluşturulamıyor!"};

// A parameter file exists but its contents are not a valid settings file
// (too short, wrong band count, values no setting can take).
inline constexpr MessagePair kMessageInvalidSettingsFile{"Invalid settings file!", "Geçersiz ayar dosyası!"};

// The output wav file of a file-mode modification cannot be created, or a
// write to it fails part way.
inline constexpr MessagePair kMessageCannotWriteOutputFile{"Cannot write output file!",
                                                           "Çıktı dosyası yazılamıyor!"};

// File mode: the input file opened but cannot be modified: the engine does
// not run at its sampling rate, or reading it fails part way.
inline constexpr MessagePair kMessageCannotProcessInputFile{"Cannot process input file!",
                                                            "Girdi dosyası işlenemiyor!"};

// The help file cannot be opened.
inline constexpr MessagePair kMessageCannotFindHelpFile{"Cannot find help file Varnel.chm!",
                                                        "Yardım dosyası Varnel.chm bulunamıyor!"};

// Progress of a file-mode modification; the percentage follows, formatted
// with "%3.1f".
inline constexpr MessagePair kTextProgress{"Process: % ", "İşlem: % "};

// A live run's delay from the microphone to the speaker; whole
// milliseconds and " ms" follow.
inline constexpr MessagePair kTextDelay{"Delay: ", "Gecikme: "};

// The microphone through which the voice reaches call programs, and the
// sink behind it, as the sound server lists them.
inline constexpr MessagePair kTextVirtualMicrophone{"Plimo Microphone", "Plimo Mikrofonu"};
inline constexpr MessagePair kTextVoiceSink{"Plimo voice (internal)", "Plimo sesi (dahili)"};

// The main window's switches for a live run's output.
inline constexpr MessagePair kTextSendToMicrophone{"Send to Plimo Microphone", "Plimo Mikrofonu'na gönder"};
inline constexpr MessagePair kTextHearMyself{"Hear myself", "Kendimi duy"};

// The first entry of every device list: whatever the system picks.
inline constexpr MessagePair kTextSystemDefault{"System default", "Sistem varsayılanı"};

// The About box.
inline constexpr MessagePair kTextAbout{"Varnel Voice Disguise", "Varnel Ses Değiştirme"};

}  // namespace plimo
