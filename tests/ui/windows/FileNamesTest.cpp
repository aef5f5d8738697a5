#include <gtest/gtest.h>

#include "ui/windows/FileNames.h"

namespace plimo {
namespace {

TEST(FileNames, TimeStampHasFourteenDigitsWithLeadingZeros) {
  EXPECT_EQ(TimeStampedName(QDateTime(QDate(2024, 3, 7), QTime(9, 5, 2))), "20240307090502");
  EXPECT_EQ(TimeStampedName(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))), "19991231235959");
}

TEST(FileNames, WavExtensionIsFoundInAnyCaseAndAddedOnlyWhenMissing) {
  EXPECT_TRUE(HasWavExtension(QStringLiteral("talk.WAV  ")));
  EXPECT_FALSE(HasWavExtension(QStringLiteral("talk.wave")));
  EXPECT_EQ(WithWavExtension(QStringLiteral("talk")), "talk.wav");
  EXPECT_EQ(WithWavExtension(QStringLiteral("talk.Wav")), "talk.Wav");
}

TEST(FileNames, PathsSplitAtTheLastSeparator) {
  EXPECT_EQ(FolderOf(QStringLiteral("/home/a/b.wav")), "/home/a/");
  EXPECT_EQ(FileNameOf(QStringLiteral("/home/a/b.wav")), "b.wav");
  EXPECT_EQ(FolderOf(QStringLiteral("b.wav")), "");
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/home/a")), "/home/a/");
  EXPECT_EQ(WithTrailingSeparator(QStringLiteral("/home/a/")), "/home/a/");
}

}  // namespace
}  // namespace plimo
