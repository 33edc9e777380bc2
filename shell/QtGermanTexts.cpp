#include "shell/QtGermanTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

QStringList QtTranslationFolders() {
  return {QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
          QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

bool LoadQtGermanTexts(const QStringList& folders) {
  static QTranslator* translator = nullptr;
  if (translator != nullptr) return true;
  auto* loaded = new QTranslator(QCoreApplication::instance());
  for (const QString& folder : folders) {
    if (loaded->load(QStringLiteral("qtbase_de"), folder)) {
      QCoreApplication::installTranslator(loaded);
      translator = loaded;
      return true;
    }
  }
  delete loaded;
  return false;
}
