// The archive's figures, each beside its goal: the time to archive one
// exchange (commit included) into an archive that already holds years, the
// archive's size per plant-year with 48 meters, the time to read back what
// the archive view needs for a day from a 10-year archive, and the archive
// view's draw time for a day (reading its charts, drawing the page shown).
//
// The plant is the simulator's, 48 meters, polled by the program's own link
// in-process: first years at 2880 times the controller's speed (an exchange
// about every 45 controller hours, so that the rings show every day), then an
// hour at the real pace (an exchange a minute).
//
//   archive_bench [years]     (default 10)
//
// Exits 0 when every goal is met, 4 when one is missed, 1 on a failure.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "ArchiveTestSupport.h"
#include "ArchiveViewTiming.h"
#include "archive/PlantArchive.h"
#include "tools/render/TimeSummary.h"

namespace {

using namespace ArchiveTest;
using Archive::PlantArchive;

constexpr double WriteGoalMs = 20;
constexpr double SizeGoalMb = 5;
constexpr double ReadGoalMs = 20;
constexpr double ViewGoalMs = 20;
constexpr int CommissioningYear = 2014;

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

Sim::SimConfig Plant(const Sim::CivilTime& start, double speed) {
  Sim::SimConfig config = FastPlant(start, speed, 48);
  config.Plant.PlantSize = 2000;
  config.Plant.Commissioning = std::make_pair(CommissioningYear, 4);
  return config;
}

// Writes one record and returns the time it took.
double TimedWrite(PlantArchive& archive, const Archive::ExchangeRecord& record) {
  const auto start = std::chrono::steady_clock::now();
  archive.Write(record);
  return MsSince(start);
}

void PrintWrites(const char* what, const std::vector<double>& ms) {
  const TimeSummary s = Summarize(ms);
  std::printf("%-44s %5d exchanges: median %6.2f ms, p99 %6.2f ms, slowest %6.2f ms   goal p99 <= %.0f ms: %s\n", what,
              s.Count, s.Median, s.P99, s.Slowest, WriteGoalMs, Verdict(s.P99 <= WriteGoalMs));
}

// The years of history, an archive file closed (its log folded in) at each year's end.
struct History {
  std::vector<double> WriteMs;
  std::vector<double> SizeMb;  // file size after each year
  bool Ok = true;
};

History BuildYears(const fs::path& file, int years) {
  History h;
  ArchiveRun run(Plant({CommissioningYear, 4, 1, 8, 0, 0}, 2880));
  auto archive = std::make_unique<PlantArchive>(file);
  for (int year = 1; year <= years; ++year) {
    const std::string end = Archive::ClockText({CommissioningYear + year, 4, 1, 0, 0});
    for (;;) {
      const auto record = run.NextExchange();
      if (!record) return h.Ok = false, h;
      h.WriteMs.push_back(TimedWrite(*archive, *record));
      if (Archive::ClockText(record->Clock) >= end) break;
    }
    archive.reset();
    h.SizeMb.push_back(static_cast<double>(fs::file_size(file)) / 1e6);
    archive = std::make_unique<PlantArchive>(file);
  }
  return h;
}

// An hour of exchanges a minute apart at the end of the history.
std::vector<double> WriteAnHour(const fs::path& file, int years) {
  ArchiveRun run(Plant({CommissioningYear + years, 4, 2, 11, 0, 0}, 1));
  PlantArchive archive(file);
  std::vector<double> ms;
  for (int i = 0; i < 60; ++i)
    if (const auto record = run.NextExchange()) ms.push_back(TimedWrite(archive, *record));
  return ms;
}

// What the archive view reads for a day: the month's days for its calendar,
// the three days of the daily chart, the year's months and all years.
std::vector<double> ReadDays(const fs::path& file, int years) {
  PlantArchive archive(file);
  const auto span = archive.DaySpan();
  if (!span) return {};
  const std::vector<Archive::DayNumber> shown = archive.DaysWithSamples(span->first, span->second);
  if (shown.size() < 3) return {};
  std::mt19937 random(1);
  std::uniform_int_distribution<size_t> pick(2, shown.size() - 1);
  std::vector<double> ms;
  for (int i = 0; i < 300; ++i) {
    const Archive::DayNumber day = shown[pick(random)];
    const Archive::CivilDate d = Archive::DateOf(day);
    const auto start = std::chrono::steady_clock::now();
    const auto days = archive.DaysWithSamples(*Archive::DayNumberOf(d.Year, d.Month, 1), day + 31);
    const auto curves = archive.Curves(day - 2, day);
    const auto months = archive.Months(d.Year, d.Year);
    const auto allYears = archive.Years();
    ms.push_back(MsSince(start));
    if (curves.size() != 3 || days.empty() || months.empty() || allYears.size() < static_cast<size_t>(years)) return {};
  }
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // the archive view is drawn without a display
  QApplication app(argc, argv);
  const int years = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  TempFolder folder;
  const fs::path file = folder / "Anlage.sqlite";

  std::printf("plant: 48 meters, 200 kWp, commissioned %d-04; %d years of history from the simulator\n",
              CommissioningYear, years);
  const auto start = std::chrono::steady_clock::now();
  const History history = BuildYears(file, years);
  if (!history.Ok) return std::puts("an exchange did not complete"), 1;
  std::printf("(%zu exchanges simulated and archived in %.1f s)\n\n", history.WriteMs.size(), MsSince(start) / 1000);

  PrintWrites("archive an exchange, each a new day or two", history.WriteMs);
  const std::vector<double> hour = WriteAnHour(file, years);
  PrintWrites("archive an exchange, a minute after the last", hour);
  const double perYear = history.SizeMb.back() / years;
  std::printf(
      "archive size: first year %.2f MB, after %d years %.2f MB, %.2f MB per plant-year   "
      "goal <= %.0f MB per plant-year: %s\n",
      history.SizeMb.front(), years, history.SizeMb.back(), perYear, SizeGoalMb, Verdict(perYear <= SizeGoalMb));

  const auto openStart = std::chrono::steady_clock::now();
  { PlantArchive archive(file); }
  std::printf("open the %d-year archive (integrity quick check included): %.1f ms\n", years, MsSince(openStart));
  const TimeSummary read = Summarize(ReadDays(file, years));
  if (read.Count == 0) return std::puts("the archive view's data could not be read back"), 1;
  std::printf(
      "read a day for the archive view (its month's days, 3 days of quarter hours, the year's months, all years), "
      "%d days: median %.2f ms, p99 %.2f ms, slowest %.2f ms   goal p99 <= %.0f ms: %s\n",
      read.Count, read.Median, read.P99, read.Slowest, ReadGoalMs, Verdict(read.P99 <= ReadGoalMs));

  const ArchiveViewTimes viewTimes = TimeArchiveView(file, 300);
  const TimeSummary view = Summarize(viewTimes.DayMs), page = Summarize(viewTimes.PageMs);
  if (view.Count == 0) return std::puts("the archive view could not draw the archive"), 1;
  std::printf(
      "archive view: choose a day of the %d-year archive, read its charts and draw the daily chart (picture "
      "reloaded, window repainted), %d days: median %.2f ms, p99 %.2f ms, slowest %.2f ms   "
      "goal p99 <= %.0f ms: %s\n",
      years, view.Count, view.Median, view.P99, view.Slowest, ViewGoalMs, Verdict(view.P99 <= ViewGoalMs));
  std::printf(
      "archive view: then show its monthly or yearly page, %d pages: median %.2f ms, p99 %.2f ms, "
      "slowest %.2f ms   goal p99 <= %.0f ms: %s\n",
      page.Count, page.Median, page.P99, page.Slowest, ViewGoalMs, Verdict(page.P99 <= ViewGoalMs));

  const bool met = Summarize(history.WriteMs).P99 <= WriteGoalMs && Summarize(hour).P99 <= WriteGoalMs &&
                   perYear <= SizeGoalMb && read.P99 <= ReadGoalMs && view.P99 <= ViewGoalMs && page.P99 <= ViewGoalMs;
  return met ? 0 : 4;
}
