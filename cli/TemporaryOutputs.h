#pragma once

#include <sys/types.h>

#include <mutex>
#include <set>
#include <string>

namespace plimo::cli {

// Outputs under construction. Each is written to a hidden temporary file
// beside its final name (the same folder, so the same file system) and
// renamed to that name once complete, so that an output that fails, or a
// batch that is stopped or killed, never leaves a partial file under a
// final name. Any thread may call every operation.
class TemporaryOutputs {
 public:
  // Reads the umask, which only a process with one thread can do safely.
  TemporaryOutputs();
  virtual ~TemporaryOutputs() = default;

  TemporaryOutputs(const TemporaryOutputs&) = delete;
  TemporaryOutputs& operator=(const TemporaryOutputs&) = delete;

  // Creates an empty temporary file for output, with the permissions a new
  // file gets, and returns its name; empty, with errno set, when it cannot
  // be created.
  std::string Create(const std::string& output);

  // Renames temporary to output. false, with errno set and the temporary
  // removed, when that fails.
  bool Commit(const std::string& temporary, const std::string& output);

  // Removes temporary.
  void Discard(const std::string& temporary);

  // Removes every temporary not yet committed or discarded: for a stop that
  // a job does not answer in time.
  void DiscardAll();

 private:
  std::mutex mutex;
  std::set<std::string> pending;
  mode_t fileMode;
};

}  // namespace plimo::cli
