#include "shell/FilePaths.h"

#include <QDir>
#include <QFile>

std::filesystem::path PathFromText(const QString& text) {
#ifdef _WIN32
  return std::filesystem::path(text.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(text).toStdString());
#endif
}

QString PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return QDir::toNativeSeparators(QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                                                    static_cast<qsizetype>(text.size())));
}
