#include "ops/FileNames.h"

#include <strings.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "engine/SoundBoard.h"

namespace plimo {

namespace {

constexpr char kSeparator = '/';
constexpr const char* kWavExtension = ".wav";
constexpr size_t kWavExtensionLength = 4;  // characters
// Fourteen digits and the terminating zero, for any four-digit year.
constexpr size_t kTimeStampBuffer = 15;

// The white space a typed name may carry around it.
constexpr const char* kSpaces = " \t\n\v\f\r";

bool IsBlank(const std::string& name) { return name.find_first_not_of(kSpaces) == std::string::npos; }

// Spaces after the extension do not hide it.
bool HasWavExtension(const std::string& name) {
  const size_t end = name.find_last_not_of(kSpaces) + 1;  // 0 when blank
  return end >= kWavExtensionLength &&
         strncasecmp(name.c_str() + end - kWavExtensionLength, kWavExtension, kWavExtensionLength) == 0;
}

std::string WithWavExtension(const std::string& name) {
  return HasWavExtension(name) ? name : name + kWavExtension;
}

size_t AfterLastSeparator(const std::string& path) {
  const size_t last = path.find_last_of("/\\");
  return last == std::string::npos ? 0 : last + 1;
}

}  // namespace

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string TimeStampedName(const std::tm& localTime) {
  char digits[kTimeStampBuffer];
  if (std::strftime(digits, sizeof digits, "%Y%m%d%H%M%S", &localTime) == 0) return "";
  return digits;
}

std::string RecordingFileName(const std::string& typed, const std::tm& now) {
  return WithWavExtension(typed.empty() ? TimeStampedName(now) : typed);
}

std::string FindInputFile(const std::string& folder, const std::string& typed) {
  const std::string asWav = WithWavExtension(typed);
  for (const std::string& candidate : {asWav, typed}) {
    if (!IsBlank(candidate) && IsReadableFile(folder + candidate)) return candidate;
  }
  return "";
}

std::string OutputFileName(const std::string& typed, bool realTime, const std::tm& now) {
  if (typed.empty()) return realTime ? std::string(kSoundBoardName) : WithWavExtension(TimeStampedName(now));
  return WithWavExtension(typed);
}

bool WouldOverwriteInput(const std::string& inputFileName, const std::string& outputFileName) {
  return outputFileName == inputFileName && inputFileName != kSoundBoardName;
}

bool IsReadableFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && access(path.c_str(), R_OK) == 0;
}

std::string WithTrailingSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == kSeparator ? folder : folder + kSeparator;
}

std::string FolderOf(const std::string& path) { return path.substr(0, AfterLastSeparator(path)); }

std::string FileNameOf(const std::string& path) { return path.substr(AfterLastSeparator(path)); }

}  // namespace plimo
