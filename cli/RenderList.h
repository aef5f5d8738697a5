#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/RenderOptions.h"

namespace plimo::cli {

// One input of plimo-cli render and the file its result goes to.
struct RenderItem {
  std::string input;   // as given, or kStandardStream
  std::string output;  // as given or made from --out-dir, or kStandardStream
};

// Whether the input belongs to share index of count: by a hash of its file
// name that is the same on every machine and in every run, so that count
// runs which list the same files in any order render each exactly once.
bool InShard(const std::string& input, int64_t index, int64_t count);

// The inputs on the command line and in the --files-from list, each with
// its output, reduced to this run's share. Returns -1 to go on, or the exit
// status to end with after one line on stderr: 1 when the list cannot be
// read, 2 when two inputs would write the same output.
int BuildRenderList(const RenderOptions& options, std::vector<RenderItem>* items);

}  // namespace plimo::cli
