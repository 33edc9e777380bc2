#include "views/FilePaths.h"

#include <QDir>
#include <QFile>

std::filesystem::path PathFromText(const QString& text) {
#ifdef _WIN32
  return std::filesystem::path(text.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QString WrapAtSeparators(const QString& shownPath) {
  QString wrappable;
  for (const QChar c : shownPath) {
    wrappable += c;
    if (c == QLatin1Char('\\') || c == QLatin1Char('/')) wrappable += QChar(0x200B);  // zero-width space
  }
  return wrappable;
}

QString PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return QDir::toNativeSeparators(
      QString::fromUtf8(reinterpret_cast<const char*>(text.data()), static_cast<qsizetype>(text.size())));
}
