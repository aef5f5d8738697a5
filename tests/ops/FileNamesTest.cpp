#include "ops/FileNames.h"

#include <gtest/gtest.h>

#include "support/TempFiles.h"

namespace plimo {
namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm time{};
  time.tm_year = year - 1900;
  time.tm_mon = month - 1;
  time.tm_mday = day;
  time.tm_hour = hour;
  time.tm_min = minute;
  time.tm_sec = second;
  return time;
}

TEST(FileNames, TimeStampHasFourteenDigitsWithLeadingZeros) {
  EXPECT_EQ(TimeStampedName(LocalTime(2024, 3, 7, 9, 5, 2)), "20240307090502");
  EXPECT_EQ(TimeStampedName(LocalTime(1999, 12, 31, 23, 59, 59)), "19991231235959");
}

TEST(FileNames, WavExtensionIsFoundInAnyCaseAndAddedOnlyWhenMissing) {
  const std::tm now = LocalTime(2024, 3, 7, 9, 5, 2);
  EXPECT_EQ(RecordingFileName("talk.WAV  ", now), "talk.WAV  ");
  EXPECT_EQ(RecordingFileName("talk.Wav", now), "talk.Wav");
  EXPECT_EQ(RecordingFileName("talk.wave", now), "talk.wave.wav");
  EXPECT_EQ(OutputFileName("talk", true, now), "talk.wav");
}

TEST(FileNames, NothingTypedNamesTheFileByTheTimeOrInRealTimeTheSpeaker) {
  const std::tm now = LocalTime(2024, 3, 7, 9, 5, 2);
  EXPECT_EQ(RecordingFileName("", now), "20240307090502.wav");
  EXPECT_EQ(OutputFileName("", false, now), "20240307090502.wav");
  EXPECT_EQ(OutputFileName("", true, now), "sb");
}

TEST(FileNames, TheInputIsTheWavFileBeforeTheNameAsTyped) {
  test::TempDir folder;
  const std::string root = folder.Root() + "/";
  folder.Write("talk.wav", {1});
  folder.Write("talk", {1});
  folder.Write("take", {1});
  EXPECT_EQ(FindInputFile(root, "talk"), "talk.wav");
  EXPECT_EQ(FindInputFile(root, "take"), "take");
  EXPECT_EQ(FindInputFile(root, "absent"), "");
}

TEST(FileNames, PathsSplitAtTheLastSeparator) {
  EXPECT_EQ(FolderOf("/home/a/b.wav"), "/home/a/");
  EXPECT_EQ(FileNameOf("/home/a/b.wav"), "b.wav");
  EXPECT_EQ(FolderOf("b.wav"), "");
  EXPECT_EQ(WithTrailingSeparator("/home/a"), "/home/a/");
  EXPECT_EQ(WithTrailingSeparator("/home/a/"), "/home/a/");
}

}  // namespace
}  // namespace plimo
