#include "params/ParameterFile.h"

#include "params/VoiceParameters.h"
#include "messages/MessageSink.h"
#include "messages/MessageTable.h"

namespace plimo {

int ReadParameterStream(std::FILE* stream, VoiceParameters& record, MessageSink& messages) {
  // A valid file is exactly this long; anything after it is ignored, so a
  // huge file costs no more than a valid one.
  uint8_t bytes[kParameterFileBytes];
  const size_t size = std::fread(bytes, 1, sizeof bytes, stream);
  if (std::ferror(stream)) {
    messages.ShowMessage(kMessageCannotFindSettingsFile, kMessageTypeOk);
    return kParameterFileCannotRead;
  }
  StoredParameters stored;
  const int status = DecodeParameterFile(bytes, size, &stored);
  if (status != kParameterFileOk) {
    messages.ShowMessage(kMessageInvalidSettingsFile, kMessageTypeOk);
    return status;
  }
  ApplyStoredParameters(stored, record);
  return kParameterFileOk;
}

int ReadParameterFile(const std::string& path, VoiceParameters& record, MessageSink& messages) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) {
    messages.ShowMessage(kMessageCannotFindSettingsFile, kMessageTypeOk);
    return kParameterFileCannotOpen;
  }
  const int status = ReadParameterStream(stream, record, messages);
  std::fclose(stream);
  if (status == kParameterFileOk) record.settingsFileName = path;
  return status;
}

int WriteParameterFile(const VoiceParameters& record, MessageSink& messages) {
  if (record.settingsFileName.empty()) return kParameterFileNotWritten;
  std::FILE* stream = std::fopen(record.settingsFileName.c_str(), "wb");
  if (stream == nullptr) {
    messages.ShowMessage(kMessageCannotCreateSettingsFile, kMessageTypeOk);
    return kParameterFileCannotCreate;
  }
  const auto bytes = EncodeParameterFile(StoredParametersOf(record));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  // The data reaches the disk only at close; a full disk shows up there.
  const bool closed = std::fclose(stream) == 0;
  if (!written || !closed) {
    messages.ShowMessage(kMessageCannotCreateSettingsFile, kMessageTypeOk);
    return kParameterFileWriteFailed;
  }
  return kParameterFileOk;
}

}  // namespace plimo
