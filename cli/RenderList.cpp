#include "cli/RenderList.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "cli/Commands.h"

namespace plimo::cli {

namespace {

// 64-bit FNV-1a: fixed by its definition, unlike std::hash.
constexpr uint64_t kFnvOffsetBasis = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

std::string FileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Appends the list's paths, one a line; blank lines are left out, and a
// carriage return before the line end (a list written on Windows) too. A
// list names files only: a line "-" is the file of that name. Read with
// stdio: the C++ streams would cost every run of the program about a
// millisecond of set-up.
bool ReadList(std::FILE* list, std::vector<std::string>* paths) {
  std::string line;
  for (int c = std::getc(list);; c = std::getc(list)) {
    if (c != EOF && c != '\n') {
      line.push_back(static_cast<char>(c));
      continue;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == kStandardStream) line = std::string("./") + kStandardStream;
    if (!line.empty()) paths->push_back(line);
    line.clear();
    if (c == EOF) break;
  }
  return std::ferror(list) == 0;
}

}  // namespace

bool InShard(const std::string& input, int64_t index, int64_t count) {
  uint64_t hash = kFnvOffsetBasis;
  for (const char c : FileName(input)) {
    hash = (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
  }
  return static_cast<int64_t>(hash % static_cast<uint64_t>(count)) == index;
}

int BuildRenderList(const RenderOptions& options, std::vector<RenderItem>* items) {
  std::vector<std::string> inputs = options.inputs;
  if (!options.filesFrom.empty()) {
    bool read = false;
    if (options.filesFrom == kStandardStream) {
      read = ReadList(stdin, &inputs);
    } else if (std::FILE* list = std::fopen(options.filesFrom.c_str(), "rb")) {
      read = ReadList(list, &inputs);
      const int error = errno;  // for the message, past the close
      std::fclose(list);
      errno = error;
    }
    if (!read) {
      std::fprintf(stderr, "plimo-cli render: %s: the list of inputs cannot be read (%s)\n",
                   options.filesFrom.c_str(), std::strerror(errno));
      return kExitFailure;
    }
  }

  // Every share checks the whole list, so that all of them refuse it alike.
  std::set<std::string> taken;
  for (const std::string& input : inputs) {
    RenderItem item{input, options.output};
    if (!options.outDir.empty()) {
      const std::string name = FileName(input);
      if (!taken.insert(name).second) {
        std::fprintf(
            stderr,
            "plimo-cli render: two inputs are named %s; their outputs would overwrite each other in %s\n",
            name.c_str(), options.outDir.c_str());
        return kExitUsage;
      }
      item.output = (std::filesystem::path(options.outDir) / name).string();
    }
    if (InShard(input, options.shardIndex, options.shardCount)) items->push_back(item);
  }
  return -1;
}

}  // namespace plimo::cli
