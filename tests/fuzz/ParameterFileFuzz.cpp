// Any bytes read as a parameter file: a refused file changes nothing in
// the record and says so once; an accepted one is taken exactly, so writing
// the record again gives back the file's bytes.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "messages/MessageSink.h"
#include "messages/MessageTable.h"
#include "params/ParameterFile.h"
#include "params/VoiceParameters.h"

namespace {

using plimo::MessagePair;
using plimo::VoiceParameters;

void Check(bool ok) {
  if (!ok) std::abort();
}

class CountingSink : public plimo::MessageSink {
 public:
  int ShowMessage(const MessagePair& message, int) override {
    last = &message;
    ++count;
    return plimo::kMessageAnswerOk;
  }
  const MessagePair* last = nullptr;
  int count = 0;
};

// Everything a read could touch, as bytes: the stored fields in file
// layout, the band count and the settings file name.
std::vector<uint8_t> Snapshot(const VoiceParameters& record) {
  const auto stored = plimo::EncodeParameterFile(plimo::StoredParametersOf(record));
  std::vector<uint8_t> bytes(stored.begin(), stored.end());
  bytes.push_back(static_cast<uint8_t>(record.equaliser.BandCount()));
  bytes.insert(bytes.end(), record.settingsFileName.begin(), record.settingsFileName.end());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VoiceParameters record;
  record.settingsFileName = "before.prm";
  record.pitchFactor = 2.5f;
  record.equaliser.SetGain(9, -7.0f);
  const std::vector<uint8_t> before = Snapshot(record);

  plimo::StoredParameters decoded{};
  const plimo::ParameterFileStatus decodeStatus = plimo::DecodeParameterFile(data, size, &decoded);
  if (size == 0) {  // fmemopen refuses an empty buffer
    Check(decodeStatus == plimo::ParameterFileStatus::kParameterFileTooShort);
    return 0;
  }

  std::vector<uint8_t> bytes(data, data + size);
  std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
  Check(stream != nullptr);
  CountingSink messages;
  const plimo::ParameterFileStatus status = plimo::ReadParameterStream(stream, record, messages);
  std::fclose(stream);
  // The reader stops after the ten bands a valid file holds, so for a
  // refused file its reason may differ from the whole buffer's.
  Check((status == plimo::ParameterFileStatus::kParameterFileOk) ==
        (decodeStatus == plimo::ParameterFileStatus::kParameterFileOk));

  if (status != plimo::ParameterFileStatus::kParameterFileOk) {
    Check(static_cast<int>(status) < 0);
    Check(Snapshot(record) == before);
    Check(messages.count == 1 && messages.last == &plimo::kMessageInvalidSettingsFile);
    return 0;
  }
  Check(messages.count == 0);
  Check(size >= plimo::kParameterFileBytes);
  const auto again = plimo::EncodeParameterFile(plimo::StoredParametersOf(record));
  Check(std::memcmp(again.data(), data, again.size()) == 0);
  Check(record.settingsFileName == "before.prm");  // the stream reader names no file
  return 0;
}
