#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "support/TempFiles.h"
#include "support/WavBytes.h"

namespace plimo::test {

// Each test gets its own folder; files are opened from disk as a user's
// would be.
class WavFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(dir.Root().empty()) << "no temporary folder"; }

  std::unique_ptr<SoundFile> OpenBytes(const std::vector<uint8_t>& bytes) {
    return SoundFile::OpenForReading(dir.Write("input.wav", bytes));
  }

  // Every sample of the file, read in blocks of the given size.
  static std::vector<int16_t> ReadAll(SoundFile& file, int block) {
    std::vector<int16_t> all;
    std::vector<int16_t> buffer(static_cast<size_t>(block));
    for (;;) {
      const int got = file.Read(buffer.data(), block);
      if (got <= 0) break;
      all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    return all;
  }

  TempDir dir;
};

}  // namespace plimo::test
