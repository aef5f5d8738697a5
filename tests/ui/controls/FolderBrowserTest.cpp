#include <gtest/gtest.h>

#include <QStringList>

#include "ui/controls/FileChooser.h"
#include "ui/controls/FolderBrowser.h"

namespace plimo {
namespace {

// Answers the folder picker with a queue of answers; an empty answer is a
// cancel. Notes where each pick started and its title.
struct ScriptedChooser : FileChooser {
  bool ChooseFileToOpen(QWidget*, const QString&, QString*) override { return false; }
  bool ChooseFileToSave(QWidget*, const QString&, const QString&, const QString&, QString*) override {
    return false;
  }
  bool ChooseFolder(QWidget*, const QString& title, const QString& start, QString* path) override {
    titles.append(title);
    starts.append(start);
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    if (answer.isEmpty()) return false;
    *path = answer;
    return true;
  }
  QStringList answers;
  QStringList titles;
  QStringList starts;
};

TEST(FolderBrowser, StartsWhereTheLastPickEndedWithoutTrailingSeparator) {
  ScriptedChooser chooser;
  chooser.answers = {QStringLiteral("/home/user/voices/"), QString(), QStringLiteral("/")};
  FolderBrowser browser(chooser);

  ASSERT_TRUE(browser.Browse(nullptr));
  EXPECT_EQ(browser.SelectedPath(), "/home/user/voices/");
  EXPECT_EQ(chooser.starts[0], "");
  EXPECT_EQ(chooser.titles[0], "Browse for path");

  EXPECT_FALSE(browser.Browse(nullptr));
  EXPECT_EQ(chooser.starts[1], "/home/user/voices");
  EXPECT_EQ(browser.SelectedPath(), "/home/user/voices/");

  ASSERT_TRUE(browser.Browse(nullptr));
  EXPECT_EQ(browser.SelectedPath(), "/");
  EXPECT_FALSE(browser.Browse(nullptr));
  EXPECT_EQ(chooser.starts[3], "/");
}

}  // namespace
}  // namespace plimo
