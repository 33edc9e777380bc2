#include "ArchiveViewTiming.h"

#include <QDir>
#include <QTabWidget>
#include <chrono>
#include <random>

#include "archive/PlantArchive.h"
#include "views/archive/TForm14.h"

namespace {

std::vector<Archive::DayNumber> DaysOf(const std::filesystem::path& file) {
  Archive::PlantArchive archive(file);
  const auto span = archive.DaySpan();
  return span ? archive.DaysWithSamples(span->first, span->second) : std::vector<Archive::DayNumber>();
}

}  // namespace

ArchiveViewTimes TimeArchiveView(const std::filesystem::path& archive, int days) {
  const std::vector<Archive::DayNumber> shown = DaysOf(archive);
  ArchiveViewTimes times;
  if (shown.size() < 3) return times;
  // The charts read their pictures from the working folder, as in the program.
  const QString before = QDir::currentPath();
  QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR));
  TForm14 view(nullptr);
  view.show();
  view.ShowArchive(archive, Archive::CsvStyle::German);
  const auto timed = [&view](std::vector<double>& ms, const auto& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    view.repaint();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  };
  std::mt19937 random(2);
  std::uniform_int_distribution<size_t> pick(0, shown.size() - 1);
  for (int i = 0; i < days; ++i) {
    view.PageControl1->setCurrentIndex(0);
    timed(times.DayMs, [&] { view.SelectDay(shown[pick(random)]); });
    timed(times.PageMs, [&] { view.PageControl1->setCurrentIndex(1 + i % 2); });
  }
  QDir::setCurrent(before);
  return times;
}
