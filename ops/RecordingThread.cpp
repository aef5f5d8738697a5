#include "ops/Operations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "messages/MessageSink.h"
#include "messages/MessageTable.h"

namespace plimo {

namespace {
// Recording moves the microphone to the file 64 samples at a time.
constexpr int kRecordBlock = 64;
constexpr int16_t kRecordBits = 16;
constexpr int16_t kRecordChannels = 1;
// A new file's permissions before the umask, as any program creates files.
constexpr mode_t kNewFileMode = 0666;
// The read, write and execute bits of owner, group and others.
constexpr mode_t kPermissionBits = 0777;
// A clash means a name left over by an earlier process of the same id; so
// many in a row mean the folder is not usable.
constexpr int kTemporaryNameTries = 100;

std::atomic<unsigned> temporaryNamesUsed{0};

// Through a link, the file it points to: writing into the name would have
// reached that file, and the link stays a link.
std::string FileBehind(const std::string& name) {
  std::error_code error;
  if (!std::filesystem::is_symlink(name, error)) return name;
  const std::filesystem::path real = std::filesystem::canonical(name, error);
  return error ? name : real.string();
}

// Creates a hidden file of its own beside target, with target's permissions
// when it exists, for a recording that takes target's name only once it has
// sound. Its name, or "" when the folder cannot take one or target is not a
// file this program may write over.
std::string CreateTemporaryBeside(const std::string& target) {
  const std::filesystem::path name(target);
  if (name.filename().empty()) return "";
  struct stat existing {};
  const bool replacing = stat(target.c_str(), &existing) == 0;
  if (replacing && (!S_ISREG(existing.st_mode) || access(target.c_str(), W_OK) != 0)) return "";
  // Appended piece by piece: GCC 12 sees a false overlap in "." + name at -O3.
  std::string hidden = ".";
  hidden += name.filename().string();
  hidden += '.';
  hidden += std::to_string(getpid());
  hidden += '-';
  const std::string stem = (name.parent_path() / hidden).string();
  for (int tries = 0; tries < kTemporaryNameTries; ++tries) {
    const std::string candidate = stem + std::to_string(temporaryNamesUsed.fetch_add(1)) + ".part";
    const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return "";
    }
    const bool permitted = !replacing || fchmod(fd, existing.st_mode & kPermissionBits) == 0;
    close(fd);
    if (permitted) return candidate;
    unlink(candidate.c_str());
    return "";
  }
  return "";
}
}  // namespace

void Operations::RecordingThread() {
  controls.OperationStarted(kOperationRecording, OperationReports{.level = true});
  const MessagePair* failure = RecordToFile(recordFilePath, recordSamplingRate, recordSampleLimit);
  controls.OperationEnded(kOperationRecording, ResultOf(failure));
  flags.isRecording.store(false);
  if (failure != nullptr) messages.ShowMessage(*failure, kMessageTypeOk);
}

const MessagePair* Operations::RecordToFile(const std::string& path, int32_t rate, int64_t sampleLimit) {
  // Nothing on disk changes unless the recording really starts: the
  // microphone opens first, and the samples go to a file of their own that
  // takes the name once the first of them are in it.
  input.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  if (input.OpenDevice(kCaptureTotalMs, kCaptureBufferMs) != SoundResult::kSoundOk) {
    return &kMessageCannotOpenMicrophone;
  }
  const std::string target = FileBehind(path);
  const std::string temporary = CreateTemporaryBeside(target);
  output.SetFormat(rate, kRecordBits, kRecordChannels, kWaveFormatPcm);
  if (temporary.empty() || output.OpenFile(temporary) != SoundResult::kSoundOk) {
    if (!temporary.empty()) unlink(temporary.c_str());
    // The recording has failed already; the microphone is only let go.
    static_cast<void>(input.Close());
    return &kMessageCannotCreateRecording;
  }
  std::vector<int16_t> block(kRecordBlock, 0);
  // Only what the microphone delivered reaches the file: a read cut short
  // by the stop writes nothing, and a microphone or disk that fails part
  // way ends the recording with the user told.
  const MessagePair* failure = nullptr;
  int64_t written = 0;
  bool named = false;
  while (flags.isRecording.load()) {
    int count = kRecordBlock;
    if (sampleLimit > 0) count = static_cast<int>(std::min<int64_t>(count, sampleLimit - written));
    if (input.Read(block.data(), count) != SoundResult::kSoundOk) {
      // A stop stands until the microphone is opened again; only a read
      // that failed without one is the microphone's fault.
      if (!input.StopRequested()) failure = &kMessageCannotOpenMicrophone;
      break;
    }
    if (output.Write(block.data(), count) != SoundResult::kSoundOk) {
      failure = &kMessageCannotWriteOutputFile;
      break;
    }
    // The open file goes on under its new name.
    if (!named && std::rename(temporary.c_str(), target.c_str()) != 0) {
      failure = &kMessageCannotCreateRecording;
      break;
    }
    named = true;
    written += count;
    controls.SetLevel(block[0] * kLevelPerSample);
    if (sampleLimit > 0 && written >= sampleLimit) break;
  }
  // The header is written again with the final sizes.
  const bool flushed = output.Flush() == SoundResult::kSoundDone;
  const bool fileComplete = output.Close() == SoundResult::kSoundDone && flushed;
  // Every sample the file holds has been read; the microphone is let go
  // whether or not its close works.
  static_cast<void>(input.Close());
  // A file that never took the name held nothing the user asked to keep.
  if (!named) unlink(temporary.c_str());
  if (failure == nullptr && named && !fileComplete) failure = &kMessageCannotWriteOutputFile;
  return failure;
}

}  // namespace plimo
