#include "archive/CsvTables.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace Archive {

namespace {

const std::string CompleteHeader = "abgeschlossen";
const std::string EnergyHeader = "Ertrag [kWh]";

std::string Flag(bool complete) { return complete ? "1" : "0"; }

std::string MonthText(int year, int month) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d", year, month);
  return text;
}

// The start of a quarter hour of the day, "HH:MM".
std::string QuarterText(int quarter) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", quarter / 4, quarter % 4 * 15);
  return text;
}

CsvTable QuarterHours(const PlantHistory& h) {
  auto rows = std::make_shared<std::vector<std::pair<size_t, size_t>>>();  // (curve, sample) of each row
  for (size_t c = 0; c < h.Curves.size(); ++c)
    for (size_t s = 0; s < h.Curves[c].Samples.size(); ++s) rows->emplace_back(c, s);
  return {"Viertelstunden.csv",
          {"Datum", "Uhrzeit", "Leistung [W]", "Globalstrahlung [W/m²]", CompleteHeader},
          rows->size(),
          [&h, rows](size_t row) -> std::vector<std::string> {
            const auto [c, s] = (*rows)[row];
            const DayCurve& curve = h.Curves[c];
            return {IsoDate(curve.Day), QuarterText(FirstSampleQuarter + static_cast<int>(s)),
                    std::to_string(curve.Samples[s].PowerW), std::to_string(curve.Samples[s].IrradianceWm2),
                    Flag(curve.Complete)};
          }};
}

CsvTable Days(const PlantHistory& h, CsvStyle style) {
  return {"Tage.csv",
          {"Datum", EnergyHeader, CompleteHeader},
          h.Days.size(),
          [&h, style](size_t row) -> std::vector<std::string> {
            const DayYield& d = h.Days[row];
            return {IsoDate(d.Day), KwhText(d.EnergyWh, style), Flag(d.Complete)};
          }};
}

CsvTable Months(const PlantHistory& h, CsvStyle style) {
  return {"Monate.csv",
          {"Monat", EnergyHeader, CompleteHeader},
          h.Months.size(),
          [&h, style](size_t row) -> std::vector<std::string> {
            const MonthYield& m = h.Months[row];
            return {MonthText(m.Year, m.Month), KwhText(m.EnergyWh, style), Flag(m.Complete)};
          }};
}

CsvTable Years(const PlantHistory& h, CsvStyle style) {
  auto years = std::make_shared<std::vector<YearYield>>(YearsOf(h.Months));
  return {"Jahre.csv",
          {"Jahr", EnergyHeader, CompleteHeader},
          years->size(),
          [years, style](size_t row) -> std::vector<std::string> {
            const YearYield& y = (*years)[row];
            return {std::to_string(y.Year), KwhText(y.EnergyWh, style), Flag(y.Complete)};
          }};
}

// One row per day or year with a column per meter ("Z1 [kWh]" ..), as the
// daily values page lists the meters; a meter without a value stays empty.
template <class Entry>
CsvTable MeterTable(std::string fileName, std::string keyHeader, const std::vector<Entry>& entries,
                    int (*keyOf)(const Entry&), std::string (*keyText)(int), CsvStyle style) {
  auto groups = std::make_shared<std::vector<std::pair<size_t, size_t>>>();  // [begin, end) of each key
  int meters = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i == 0 || keyOf(entries[i]) != keyOf(entries[i - 1])) groups->emplace_back(i, i);
    groups->back().second = i + 1;
    meters = std::max(meters, entries[i].Meter);
  }
  std::vector<std::string> header{std::move(keyHeader)};
  for (int k = 1; k <= meters; ++k) header.push_back("Z" + std::to_string(k) + " [kWh]");
  header.push_back(CompleteHeader);
  return {std::move(fileName), std::move(header), groups->size(),
          [&entries, groups, meters, keyOf, keyText, style](size_t row) {
            const auto [begin, end] = (*groups)[row];
            std::vector<std::string> fields(meters + 2);
            fields[0] = keyText(keyOf(entries[begin]));
            bool complete = true;
            for (size_t i = begin; i < end; ++i) {
              if (entries[i].Meter >= 1) fields[entries[i].Meter] = KwhText(entries[i].EnergyWh, style);
              complete = complete && entries[i].Complete;
            }
            fields.back() = Flag(complete);
            return fields;
          }};
}

int DayKey(const MeterDay& m) { return m.Day; }
int YearKey(const MeterYear& m) { return m.Year; }
std::string DayText(int day) { return IsoDate(day); }
std::string YearText(int year) { return std::to_string(year); }

}  // namespace

std::vector<CsvTable> CsvTablesOf(const PlantHistory& history, CsvStyle style) {
  std::vector<CsvTable> tables;
  tables.push_back(QuarterHours(history));
  tables.push_back(Days(history, style));
  tables.push_back(Months(history, style));
  tables.push_back(Years(history, style));
  tables.push_back(MeterTable<MeterDay>("Zaehler-Tage.csv", "Datum", history.MeterDays, DayKey, DayText, style));
  tables.push_back(MeterTable<MeterYear>("Zaehler-Jahre.csv", "Jahr", history.MeterYears, YearKey, YearText, style));
  return tables;
}

}  // namespace Archive
