#include "cli/TemporaryOutputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace plimo::cli {

namespace {

// A new file's permissions before the umask, as any program creates files.
constexpr mode_t kNewFileMode = 0666;
// The output's own name is cut to this in the temporary's, which must stay
// within the 255 bytes a file name may have.
constexpr size_t kMaxNameInTemporary = 200;  // bytes
constexpr const char* kTemporarySuffix = ".plimo-XXXXXX";

}  // namespace

TemporaryOutputs::TemporaryOutputs() {
  const mode_t mask = umask(0);
  umask(mask);
  fileMode = kNewFileMode & ~mask;
}

std::string TemporaryOutputs::Create(const std::string& output) {
  const std::filesystem::path path(output);
  const std::string name = path.filename().string().substr(0, kMaxNameInTemporary);
  // The output's extension stays last: it picks the kind of sound file.
  const std::string extension = path.extension().string().substr(0, kMaxNameInTemporary);
  std::string pattern = (path.parent_path() / ("." + name + kTemporarySuffix + extension)).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  const int fd = mkostemps(buffer.data(), static_cast<int>(extension.size()), O_CLOEXEC);
  if (fd < 0) return std::string();
  const std::string temporary(buffer.data());
  // mkostemp keeps the file to its owner; the output is any other file.
  const bool ready = fchmod(fd, fileMode) == 0;
  const int error = errno;
  close(fd);
  if (!ready) {
    unlink(temporary.c_str());
    errno = error;
    return std::string();
  }
  const std::lock_guard<std::mutex> lock(mutex);
  pending.insert(temporary);
  return temporary;
}

bool TemporaryOutputs::Commit(const std::string& temporary, const std::string& output) {
  if (std::rename(temporary.c_str(), output.c_str()) == 0) {
    const std::lock_guard<std::mutex> lock(mutex);
    pending.erase(temporary);
    return true;
  }
  const int error = errno;
  Discard(temporary);
  errno = error;
  return false;
}

void TemporaryOutputs::Discard(const std::string& temporary) {
  unlink(temporary.c_str());
  const std::lock_guard<std::mutex> lock(mutex);
  pending.erase(temporary);
}

void TemporaryOutputs::DiscardAll() {
  const std::lock_guard<std::mutex> lock(mutex);
  for (const std::string& temporary : pending) unlink(temporary.c_str());
  pending.clear();
}

}  // namespace plimo::cli
