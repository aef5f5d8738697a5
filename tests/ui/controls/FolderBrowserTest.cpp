#include <gtest/gtest.h>

#include "ui/controls/FolderBrowser.h"
#include "ui/support/ScriptedChooser.h"

namespace plimo {
namespace {

TEST(FolderBrowser, StartsWhereTheLastPickEndedWithoutTrailingSeparator) {
  test::ScriptedChooser chooser;
  chooser.folderAnswers = {QStringLiteral("/home/user/voices/"), QString(), QStringLiteral("/")};
  FolderBrowser browser(chooser);

  ASSERT_TRUE(browser.Browse(nullptr));
  EXPECT_EQ(browser.SelectedPath(), "/home/user/voices/");
  EXPECT_EQ(chooser.folderStarts[0], "");
  EXPECT_EQ(chooser.folderTitles[0], "Browse for path");

  EXPECT_FALSE(browser.Browse(nullptr));
  EXPECT_EQ(chooser.folderStarts[1], "/home/user/voices");
  EXPECT_EQ(browser.SelectedPath(), "/home/user/voices/");

  ASSERT_TRUE(browser.Browse(nullptr));
  EXPECT_EQ(browser.SelectedPath(), "/");
  EXPECT_FALSE(browser.Browse(nullptr));
  EXPECT_EQ(chooser.folderStarts[3], "/");
}

}  // namespace
}  // namespace plimo
