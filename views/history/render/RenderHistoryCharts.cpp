// Draws the four history charts from a plant data store and writes them as
// PNG files, with the time each drawing took. Not a test: a way to look at the
// charts (and to make screenshots) without a controller.
//
//   render-history-charts <output folder> [sim [YYYY-MM-DD HH:MM [seed]] | demo | empty]
//
// sim (the default): the blocks the controller simulator reports at that
// moment (2 July 2024, 14:52 unless given); demo: a hand-made plant; empty:
// the store as at program start, before any data has arrived.
// The background pictures are read from the folder the program lies in.
#include <QApplication>
#include <QDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "link/PlantStore.h"
#include "views/history/ChartForms.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"
#include "views/history/YieldChart.h"
#include "views/history/render/DemoChartData.h"
#include "views/history/render/SimChartData.h"

namespace {

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Runs a drawing several times and prints the mean wall time, the slowest one
// and the mean processor time (which a busy machine does not inflate).
void Time(const char* name, const std::function<void()>& draw) {
  constexpr int Runs = 50;
  double total = 0, slowest = 0;
  const double cpuStart = ThreadCpuMs();
  for (int i = 0; i < Runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    draw();
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    total += took.count();
    if (took.count() > slowest) slowest = took.count();
  }
  const double cpu = (ThreadCpuMs() - cpuStart) / Runs;
  std::printf("%-18s mean %6.2f ms, slowest %6.2f ms, processor %6.2f ms (%d runs)\n", name, total / Runs, slowest,
              cpu, Runs);
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
  const std::string mode = argc >= 3 ? argv[2] : "sim";
  int year = 2024, month = 7, day = 2, hour = 14, minute = 52;
  unsigned seed = 1;
  const bool timeGiven = argc >= 5 && std::sscanf(argv[3], "%d-%d-%d", &year, &month, &day) == 3 &&
                         std::sscanf(argv[4], "%d:%d", &hour, &minute) == 2;
  if (argc == 6) seed = static_cast<unsigned>(std::strtoul(argv[5], nullptr, 10));
  const bool usage = argc < 2 || (mode != "sim" && mode != "demo" && mode != "empty") ||
                     (mode != "sim" && argc > 3) || argc == 4 || (argc >= 5 && !timeGiven) || argc > 6;
  if (usage) {
    std::fprintf(stderr, "usage: render-history-charts <output folder> [sim [YYYY-MM-DD HH:MM [seed]] | demo | empty]\n");
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
  if (mode == "sim")
    FillFromSimulator(year, month, day, hour, minute, seed);
  else if (mode == "demo")
    FillDemoChartData();
  else
    ClearPlantStore();

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
