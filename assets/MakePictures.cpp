// Writes the background pictures into the folder given as the only argument.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "Pictures.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-pictures <output folder>\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const struct {
    const char* name;
    QImage (*make)();
  } pictures[] = {
      {"b1.bmp", MakeDailyChartBackground},  {"b2.bmp", MakeMonthlyChartBackground},
      {"b3.bmp", MakeYearlyChartBackground}, {"b4.bmp", MakeYearBalanceBackground},
      {"b5.bmp", MakeYieldChartBackground},  {"b6.bmp", MakeDailyValuesBackground},
      {"splash.bmp", MakeSplashPicture},
  };
  for (const auto& p : pictures) {
    const QString path = out.filePath(QString::fromLatin1(p.name));
    if (!p.make().save(path, "BMP")) {
      std::fprintf(stderr, "make-pictures: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
