// Draws the seven views from a plant data store, writes each as a PNG file and
// prints how long each drawing takes. A way to look at the views (and to make
// screenshots) without a controller, and the draw-time benchmark.
//
//   render-views <output folder> [sim [YYYY-MM-DD HH:MM [seed]] | demo | empty]
//                [--meters N] [--runs N]
//
// sim (the default): the blocks the controller simulator reports at that
// moment (2 July 2024, 14:52, seed 1 unless given); demo: a hand-made plant
// with a few implausible day values; empty: the store as at program start.
// --meters: the plant's meters (default 12; sim 1..48, demo 0..48).
// --runs: timed drawings per view after a first one (default 200).
// The background pictures are read from the folder the tool lies in.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "store/PlantStore.h"
#include "tools/render/DemoPlant.h"
#include "tools/render/DrawTiming.h"
#include "tools/render/SimPlant.h"
#include "tools/render/ViewWindows.h"

namespace {

constexpr const char* Usage =
    "usage: render-views <output folder> [sim [YYYY-MM-DD HH:MM [seed]] | demo | empty] [--meters N] [--runs N]\n";

struct Arguments {
  std::string OutputFolder;
  std::string Source = "sim";
  SimPlantMoment Moment;
  int Runs = 200;
};

std::optional<int> Number(const std::string& text, int low, int high) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) return std::nullopt;
  return static_cast<int>(value);
}

// Takes the options out and checks the positional arguments; nullopt on a mistake.
std::optional<Arguments> Parse(int argc, char** argv) {
  Arguments a;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--meters" || arg == "--runs") {
      const std::optional<int> n =
          i + 1 < argc ? Number(argv[++i], arg == "--runs" ? 1 : 0, arg == "--runs" ? 100000 : 48) : std::nullopt;
      if (!n) return std::nullopt;
      (arg == "--runs" ? a.Runs : a.Moment.Meters) = *n;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || positional.size() == 3 || positional.size() > 5) return std::nullopt;
  a.OutputFolder = positional[0];
  if (positional.size() >= 2) a.Source = positional[1];
  if (a.Source != "sim" && a.Source != "demo" && a.Source != "empty") return std::nullopt;
  if (positional.size() >= 4) {
    SimPlantMoment& m = a.Moment;
    if (a.Source != "sim" || std::sscanf(positional[2].c_str(), "%d-%d-%d", &m.Year, &m.Month, &m.Day) != 3 ||
        std::sscanf(positional[3].c_str(), "%d:%d", &m.Hour, &m.Minute) != 2)
      return std::nullopt;
  }
  if (positional.size() == 5) {
    const std::optional<int> seed = Number(positional[4], 0, 1 << 30);
    if (!seed) return std::nullopt;
    a.Moment.Seed = static_cast<unsigned>(*seed);
  }
  return a;
}

void FillStore(const Arguments& a) {
  if (a.Source == "sim") FillFromSimulator(a.Moment);
  else if (a.Source == "demo") FillDemoPlant(a.Moment.Meters);
  else ClearPlantStore();
}

void PrintSource(const Arguments& a) {
  const SimPlantMoment& m = a.Moment;
  if (a.Source == "sim")
    std::printf("Plant: the simulator's at %04d-%02d-%02d %02d:%02d, seed %u, %d meters\n", m.Year, m.Month, m.Day,
                m.Hour, m.Minute, m.Seed, m.Meters);
  else if (a.Source == "demo") std::printf("Plant: the demo plant, %d meters\n", m.Meters);
  else std::printf("Plant: the empty store of the program's start\n");
}

void PrintHeader(int runs) {
  std::printf(
      "Draw times in ms over %d drawings per view after a first one; each drawing is the draw routine\n"
      "(picture reload included) and the repaint of its window. Routine: the routine alone.\n"
      "Processor: mean processor time of a drawing. Reload: the picture reload alone (median).\n",
      runs);
  std::printf("%-19s %7s %7s %7s %7s %7s %9s %8s %8s %7s  %s\n", "routine", "first", "mean", "median", "p99", "slowest",
              "processor", "rout.med", "rout.p99", "reload", "view");
}

void PrintTimes(const View& view, const DrawTimes& t) {
  char reload[16] = "-";
  if (t.Reload.Count > 0) std::snprintf(reload, sizeof reload, "%.2f", t.Reload.Median);
  std::printf("%-19s %7.2f %7.2f %7.2f %7.2f %7.2f %9.2f %8.2f %8.2f %7s  %s\n", view.Routine, t.FirstMs, t.Total.Mean,
              t.Total.Median, t.Total.P99, t.Total.Slowest, t.ProcessorMs, t.Routine.Median, t.Routine.P99, reload,
              view.Caption);
}

bool Save(const View& view, const QDir& out) {
  const QString path = out.absoluteFilePath(QString::fromLatin1(view.PngName));
  if (view.Window->grab().save(path, "PNG")) return true;
  std::fprintf(stderr, "render-views: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::optional<Arguments> arguments = Parse(argc, argv);
  if (!arguments) {
    std::fprintf(stderr, "%s", Usage);
    return 2;
  }
  const QDir out(QDir::current().absoluteFilePath(QString::fromLocal8Bit(arguments->OutputFolder.c_str())));
  if (!QDir().mkpath(out.path())) {
    std::fprintf(stderr, "render-views: cannot create %s\n", arguments->OutputFolder.c_str());
    return 1;
  }
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  ViewWindows windows;
  FillStore(*arguments);
  PrintSource(*arguments);
  PrintHeader(arguments->Runs);
  bool saved = true;
  for (const View& view : windows.Views()) {
    try {
      PrintTimes(view, TimeView(view, arguments->Runs));
    } catch (const std::exception& e) {
      std::fprintf(stderr, "render-views: %s: %s\n", view.Routine, e.what());
      return 1;
    }
    saved = Save(view, out) && saved;
  }
  if (saved) std::printf("Pictures written to %s\n", qPrintable(out.path()));
  return saved ? 0 : 1;
}
