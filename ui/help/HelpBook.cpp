#include "ui/help/HelpBook.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace plimo {

namespace {
constexpr int kWindowWidth = 640;   // px
constexpr int kWindowHeight = 560;  // px
}  // namespace

QStringList HelpBook::FoldersBesideProgram() {
  const QString program = QCoreApplication::applicationDirPath();
  return {program + QStringLiteral("/help"), program + QStringLiteral("/../share/plimo/help")};
}

QWidget* HelpBook::Open(QWidget* owner) {
  if (search == Search::kNotYet) {
    search = Search::kFailed;
    for (const QString& folder : folders) {
      const QFileInfo index(folder + QLatin1Char('/') + QLatin1String(kIndexPage));
      if (index.isFile() && index.isReadable()) {
        indexPath = index.canonicalFilePath();
        search = Search::kFound;
        break;
      }
    }
  }
  if (search == Search::kFailed) return nullptr;

  if (window == nullptr) {
    window = new QWidget(owner, Qt::Window);
    window->setObjectName(QStringLiteral("help"));
    window->resize(kWindowWidth, kWindowHeight);
    browser = new QTextBrowser(window);
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    QObject::connect(browser, &QTextBrowser::sourceChanged, window,
                     [this] { window->setWindowTitle(browser->documentTitle()); });
  }
  browser->setSource(QUrl::fromLocalFile(indexPath));
  window->setWindowTitle(browser->documentTitle());
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace plimo
