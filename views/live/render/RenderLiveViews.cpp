// Draws the three live views from a plant data store and writes them as PNG
// files, with the time each drawing took. Not a test: a way to look at the
// views (and to make screenshots) without a controller.
//
//   render-live-views <output folder> [meters] [--demo]
//
// The store is filled from the controller simulator's plant, or with --demo
// from a hand-made plant with a few implausible day values. The background
// pictures are read from the folder the program lies in.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "views/live/DailyValues.h"
#include "views/live/DayBalanceList.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"
#include "views/live/YearBalance.h"
#include "views/live/render/DemoPlantData.h"
#include "views/live/render/SimPlantData.h"

namespace {

// Runs a drawing several times and prints the mean and the slowest time.
void Time(const char* name, const std::function<void()>& draw) {
  constexpr int Runs = 50;
  double total = 0, slowest = 0;
  for (int i = 0; i < Runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    total += took.count();
    if (took.count() > slowest) slowest = took.count();
  }
  std::printf("%-20s mean %6.2f ms, slowest %6.2f ms (%d runs)\n", name, total / Runs, slowest, Runs);
}

bool Save(const QImage& image, const QDir& out, const char* name) {
  const QString path = out.absoluteFilePath(QString::fromLatin1(name));
  if (image.save(path, "PNG")) {
    std::printf("wrote %s\n", qPrintable(path));
    return true;
  }
  std::fprintf(stderr, "render-live-views: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bool demo = argc >= 3 && std::strcmp(argv[argc - 1], "--demo") == 0;
  if (demo) --argc;
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: render-live-views <output folder> [meters] [--demo]\n");
    return 2;
  }
  const QDir out(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "render-live-views: cannot create %s\n", argv[1]);
    return 1;
  }
  const int meters = argc == 3 ? std::atoi(argv[2]) : 12;
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  TForm6 form6(nullptr);
  TForm4 form4(nullptr);
  TForm9 form9(nullptr);
  Form6 = &form6;
  Form4 = &form4;
  Form9 = &form9;
  if (demo)
    FillDemoPlantData(meters);
  else
    FillPlantDataFromSimulator(meters);

  try {
    // The picture reload alone, part of each drawing.
    Time("load b6.bmp", [&] { form6.Image1->LoadFromFile("b6.bmp"); });
    Time("load b4.bmp", [&] { form4.Image1->LoadFromFile("b4.bmp"); });
    Time("DrawDailyValues", DrawDailyValues);
    Time("DrawYearBalance", DrawYearBalance);
    Time("FillDayBalanceList", FillDayBalanceList);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "render-live-views: %s\n", e.what());
    return 1;
  }
  form9.show();
  const bool ok = Save(form6.Image1->Picture(), out, "daily-values.png") &&
                  Save(form4.Image1->Picture(), out, "year-balance.png") &&
                  Save(form9.grab().toImage(), out, "day-balance-list.png");
  return ok ? 0 : 1;
}
