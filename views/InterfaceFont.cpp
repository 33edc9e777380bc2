#include "views/InterfaceFont.h"

QString FontFamily(const QString& asked) {
#ifdef _WIN32
  if (asked == QStringLiteral("MS Sans Serif")) return QStringLiteral("Microsoft Sans Serif");
#endif
  return asked;
}
