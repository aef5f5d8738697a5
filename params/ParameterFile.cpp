#include "params/ParameterFile.h"

#include "messages/MessageSink.h"
#include "messages/MessageTable.h"
#include "params/VoiceParameters.h"

namespace plimo {

ParameterFileStatus ReadParameterStream(std::FILE* stream, VoiceParameters& record, MessageSink& messages) {
  // A valid file is exactly this long; anything after it is ignored, so a
  // huge file costs no more than a valid one.
  uint8_t bytes[kParameterFileBytes];
  const size_t size = std::fread(bytes, 1, sizeof bytes, stream);
  if (std::ferror(stream)) {
    messages.ShowMessage(kMessageCannotFindSettingsFile, kMessageTypeOk);
    return ParameterFileStatus::kParameterFileCannotRead;
  }
  StoredParameters stored;
  const ParameterFileStatus status = DecodeParameterFile(bytes, size, &stored);
  if (status != ParameterFileStatus::kParameterFileOk) {
    messages.ShowMessage(kMessageInvalidSettingsFile, kMessageTypeOk);
    return status;
  }
  ApplyStoredParameters(stored, record);
  return ParameterFileStatus::kParameterFileOk;
}

ParameterFileStatus ReadParameterFile(const std::string& path, VoiceParameters& record,
                                      MessageSink& messages) {
  std::FILE* stream = std::fopen(path.c_str(), "rb");
  if (stream == nullptr) {
    messages.ShowMessage(kMessageCannotFindSettingsFile, kMessageTypeOk);
    return ParameterFileStatus::kParameterFileCannotOpen;
  }
  const ParameterFileStatus status = ReadParameterStream(stream, record, messages);
  std::fclose(stream);
  if (status == ParameterFileStatus::kParameterFileOk) record.settingsFileName = path;
  return status;
}

ParameterFileStatus WriteParameterFile(const VoiceParameters& record, MessageSink& messages) {
  if (record.settingsFileName.empty()) return ParameterFileStatus::kParameterFileNotWritten;
  std::FILE* stream = std::fopen(record.settingsFileName.c_str(), "wb");
  if (stream == nullptr) {
    messages.ShowMessage(kMessageCannotCreateSettingsFile, kMessageTypeOk);
    return ParameterFileStatus::kParameterFileCannotCreate;
  }
  const auto bytes = EncodeParameterFile(StoredParametersOf(record));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
  // The data reaches the disk only at close; a full disk shows up there.
  const bool closed = std::fclose(stream) == 0;
  if (!written || !closed) {
    messages.ShowMessage(kMessageCannotCreateSettingsFile, kMessageTypeOk);
    return ParameterFileStatus::kParameterFileWriteFailed;
  }
  return ParameterFileStatus::kParameterFileOk;
}

}  // namespace plimo
