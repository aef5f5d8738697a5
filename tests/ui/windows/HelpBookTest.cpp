#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>

#include "support/TempFiles.h"
#include "ui/help/HelpBook.h"
#include "ui/support/Screenshots.h"

namespace plimo {
namespace {

const QString kBook = QStringLiteral(PLIMO_HELP_SOURCE_DIR);

QString ReadPage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(file.readAll());
}

TEST(HelpBook, OpensTheIndexInAWindowOfItsOwnAndReusesIt) {
  QWidget owner;
  HelpBook help({QStringLiteral("/nonexistent"), kBook});
  QWidget* window = help.Open(&owner);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  auto* browser = window->findChild<QTextBrowser*>();
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Plimo")));
  EXPECT_FALSE(window->windowTitle().isEmpty());
  test::SaveScreenshot(*window, QStringLiteral("help"));
  window->hide();
  EXPECT_EQ(help.Open(&owner), window);
  EXPECT_TRUE(window->isVisible());
}

TEST(HelpBook, AMissingBookIsLookedForOnceOnly) {
  test::TempDir folder;
  HelpBook help({QString::fromStdString(folder.Root())});
  EXPECT_EQ(help.Open(nullptr), nullptr);
  // The book appearing later changes nothing: the failure is remembered.
  QFile::copy(kBook + QStringLiteral("/index.html"), QString::fromStdString(folder.Path("index.html")));
  EXPECT_EQ(help.Open(nullptr), nullptr);
  HelpBook fresh({QString::fromStdString(folder.Root())});
  QWidget* window = fresh.Open(nullptr);
  EXPECT_NE(window, nullptr);
  delete window;
}

TEST(HelpBook, EveryLinkBetweenThePagesLeadsToAPageOfTheBook) {
  const QStringList pages = QDir(kBook).entryList({QStringLiteral("*.html")}, QDir::Files);
  ASSERT_GE(pages.size(), 8);
  const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)(#[^\"]*)?\""));
  QSet<QString> linkedTo;
  for (const QString& page : pages) {
    const QString html = ReadPage(kBook + QLatin1Char('/') + page);
    ASSERT_FALSE(html.isEmpty()) << page.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<title>"))) << page.toStdString();
    auto matches = link.globalMatch(html);
    while (matches.hasNext()) {
      const QString target = matches.next().captured(1);
      EXPECT_TRUE(QFile::exists(kBook + QLatin1Char('/') + target))
          << page.toStdString() << " -> " << target.toStdString();
      linkedTo.insert(target);
    }
  }
  // Every page can be reached.
  for (const QString& page : pages) {
    if (page != QStringLiteral("index.html")) {
      EXPECT_TRUE(linkedTo.contains(page)) << page.toStdString();
    }
  }
}

}  // namespace
}  // namespace plimo
