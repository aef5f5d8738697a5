#pragma once

#include <QString>
#include <QStringList>

#include "ui/controls/FileChooser.h"

namespace plimo::test {

// Answers the file and folder pickers in place of the user: each request
// takes the next answer of its queue, and an empty answer (or none left)
// is a cancel. Notes what each request asked for.
class ScriptedChooser : public FileChooser {
 public:
  bool ChooseFileToOpen(QWidget*, const QString& filter, QString* path) override {
    openFilters.append(filter);
    return Answer(openAnswers, path);
  }
  bool ChooseFileToSave(QWidget*, const QString& filter, const QString& defaultSuffix,
                        const QString& initialName, QString* path) override {
    saveFilters.append(filter);
    saveSuffixes.append(defaultSuffix);
    saveInitialNames.append(initialName);
    return Answer(saveAnswers, path);
  }
  bool ChooseFolder(QWidget*, const QString& title, const QString& start, QString* path) override {
    folderTitles.append(title);
    folderStarts.append(start);
    return Answer(folderAnswers, path);
  }

  QStringList openAnswers;
  QStringList saveAnswers;
  QStringList folderAnswers;

  QStringList openFilters;
  QStringList saveFilters;
  QStringList saveSuffixes;
  QStringList saveInitialNames;
  QStringList folderTitles;
  QStringList folderStarts;

 private:
  static bool Answer(QStringList& answers, QString* path) {
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    if (answer.isEmpty()) return false;
    *path = answer;
    return true;
  }
};

}  // namespace plimo::test
