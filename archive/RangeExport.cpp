#include "archive/RangeExport.h"

#include <cstdio>

#include "archive/PlantArchive.h"
#include "base/Exception.h"

namespace Archive {

namespace {

DayNumber ParseDay(const std::string& text, const char* which) {
  const std::optional<DayNumber> day = ParseIsoDate(text);
  if (!day) throw Exception(std::string(which) + " \"" + text + "\" ist kein Datum der Form JJJJ-MM-TT");
  return *day;
}

}  // namespace

DayRange ParseDayRange(const std::string& from, const std::string& to) {
  const DayRange range{ParseDay(from, "Der Anfang"), ParseDay(to, "Das Ende")};
  if (range.From > range.To) throw Exception("Der Anfang " + from + " liegt nach dem Ende " + to);
  return range;
}

CsvExportResult ExportArchiveRange(const std::filesystem::path& archive, const DayRange& range,
                                   const std::filesystem::path& folder, CsvStyle style, const CsvProgress& progress) {
  ArchiveOptions options;
  options.ReadOnly = true;
  const PlantHistory history = PlantArchive(archive, options).History(range.From, range.To);
  return ExportCsv(history, folder, style, progress);
}

std::string ProgressText(int64_t done, int64_t total) {
  const long long percent = total > 0 ? done * 100 / total : 100;
  char text[96];
  std::snprintf(text, sizeof text, "%lld von %lld Zeilen (%lld %%)", static_cast<long long>(done),
                static_cast<long long>(total), percent);
  return text;
}

std::string OutcomeText(const CsvExportResult& result, const std::string& folder) {
  if (result.Cancelled) return "Der CSV-Export wurde abgebrochen; es wurde keine Datei geschrieben.";
  return std::to_string(result.Files.size()) + " CSV-Dateien geschrieben nach " + folder;
}

}  // namespace Archive
