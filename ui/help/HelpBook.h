#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QTextBrowser;
class QWidget;

namespace plimo {

// The program's help book: HTML pages opened in a help window of the
// program. The book is looked for once, on the first request; a book that
// is not found then is not looked for again, and every later request
// fails at once. The window, once made, is shown again on each request.
class HelpBook {
 public:
  // The page every request opens.
  static constexpr const char* kIndexPage = "index.html";

  // Looks in each folder in order for the index page.
  explicit HelpBook(QStringList folders) : folders(std::move(folders)) {}

  // The folders beside the program where the build and the installation
  // put the book.
  static QStringList FoldersBesideProgram();

  // Shows the book's index in its window, owned by owner; the window, or
  // nullptr when there is no book.
  QWidget* Open(QWidget* owner);

 private:
  enum class Search { kNotYet, kFound, kFailed };

  QStringList folders;
  Search search = Search::kNotYet;
  QString indexPath;
  QPointer<QWidget> window;
  QTextBrowser* browser = nullptr;
};

}  // namespace plimo
