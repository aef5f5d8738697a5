#include "audio/OpenWithoutBlocking.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plimo {

namespace {
// A new file's permissions before the umask, as any program creates files.
constexpr mode_t kNewFileMode = 0666;
}  // namespace

int OpenWithoutBlocking(const std::string& name, int flags) {
  const int fd = open(name.c_str(), flags | O_CLOEXEC | O_NONBLOCK, kNewFileMode);
  if (fd < 0) return -1;
  if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace plimo
