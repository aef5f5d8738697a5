#pragma once

#include <string>

namespace plimo {

// open(2) of name with flags (O_CREAT creates with mode 0666 before the
// umask), close-on-exec, never waiting for a peer: a FIFO without a reader
// or writer would otherwise hang the caller in open(). The descriptor is
// blocking again when returned; -1 on failure.
[[nodiscard]] int OpenWithoutBlocking(const std::string& name, int flags);

}  // namespace plimo
