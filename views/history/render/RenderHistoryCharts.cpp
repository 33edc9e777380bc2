// Draws the four history charts from a plant data store and writes them as
// PNG files, with the time each drawing took. Not a test: a way to look at the
// charts (and to make screenshots) without a controller.
//
//   render-history-charts <output folder> [empty]
//
// Without "empty" the store holds a demonstration plant; with it the store is
// as at program start, before any data has arrived.
// The background pictures are read from the folder the program lies in.
#include <QApplication>
#include <QDir>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "link/PlantStore.h"
#include "views/history/ChartForms.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"
#include "views/history/YieldChart.h"
#include "views/history/render/DemoChartData.h"

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
  std::printf("%-18s mean %6.2f ms, slowest %6.2f ms (%d runs)\n", name, total / Runs, slowest, Runs);
}

bool Save(const QImage& image, const QDir& out, const char* name) {
  const QString path = out.absoluteFilePath(QString::fromLatin1(name));
  if (image.save(path, "PNG")) {
    std::printf("wrote %s\n", qPrintable(path));
    return true;
  }
  std::fprintf(stderr, "render-history-charts: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bool empty = argc == 3 && std::string(argv[2]) == "empty";
  if (argc != 2 && !empty) {
    std::fprintf(stderr, "usage: render-history-charts <output folder> [empty]\n");
    return 2;
  }
  const QDir out(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "render-history-charts: cannot create %s\n", argv[1]);
    return 1;
  }
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  TForm1 form1(nullptr);
  TForm12 form12(nullptr);
  TForm3 form3(nullptr);
  TForm5 form5(nullptr);
  Form1 = &form1;
  Form12 = &form12;
  Form3 = &form3;
  Form5 = &form5;
  if (empty)
    ClearPlantStore();
  else
    FillDemoChartData();

  try {
    Time("DrawDailyChart", DrawDailyChart);
    Time("DrawMonthlyChart", DrawMonthlyChart);
    Time("DrawYearlyChart", DrawYearlyChart);
    Time("DrawYieldChart", DrawYieldChart);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "render-history-charts: %s\n", e.what());
    return 1;
  }
  const bool ok = Save(form1.grab().toImage(), out, "daily-chart.png") &&
                  Save(form12.grab().toImage(), out, "monthly-chart.png") &&
                  Save(form3.grab().toImage(), out, "yearly-chart.png") &&
                  Save(form5.grab().toImage(), out, "yield-chart.png");
  return ok ? 0 : 1;
}
