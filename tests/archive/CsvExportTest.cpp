// The CSV export: what is written reads back as the same numbers in both
// styles; the German style opens in a German spreadsheet program; a cancelled
// export leaves nothing behind.
#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>

#include "ArchiveTestSupport.h"
#include "archive/CsvExport.h"
#include "archive/PlantArchive.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

using Rows = std::vector<std::vector<std::string>>;

const std::string Bom = "\xEF\xBB\xBF";

std::string FileText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The lines of a file split at the separator, the header line first.
Rows ReadCsv(const fs::path& file, CsvStyle style) {
  std::string text = FileText(file);
  if (style == CsvStyle::German && text.rfind(Bom, 0) == 0) text.erase(0, Bom.size());
  Rows rows;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    rows.emplace_back();
    const std::string line = text.substr(start, end - start);
    for (size_t a = 0, b;; a = b + 1) {
      b = line.find(style == CsvStyle::German ? ';' : ',', a);
      rows.back().push_back(line.substr(a, b - a));
      if (b == std::string::npos) break;
    }
  }
  return rows;
}

// "12,345" or "12.345" kWh back to Wh.
int64_t Wh(const std::string& kwh) {
  if (kwh.size() < 5 || (kwh[kwh.size() - 4] != ',' && kwh[kwh.size() - 4] != '.')) return -1;
  return std::stoll(kwh.substr(0, kwh.size() - 4)) * 1000 + std::stoll(kwh.substr(kwh.size() - 3));
}

class CsvExportTest : public ::testing::TestWithParam<CsvStyle> {
protected:
  static void SetUpTestSuite() {
    archiveFolder = new TempFolder;
    ArchiveRun run(FastPlant({2024, 2, 27, 20, 0, 0}, 360));
    PlantArchive archive(*archiveFolder / "a.sqlite");
    for (const auto& r : run.ExchangesUntil({2024, 3, 2, 12, 0, 0})) archive.Write(r);
  }
  static void TearDownTestSuite() { delete archiveFolder; }
  static PlantHistory History(DayNumber from, DayNumber to) {
    return PlantArchive(*archiveFolder / "a.sqlite").History(from, to);
  }

  static TempFolder* archiveFolder;
  TempFolder out;
};
TempFolder* CsvExportTest::archiveFolder = nullptr;

DayNumber Date(int y, int m, int d) { return *DayNumberOf(y, m, d); }

TEST_P(CsvExportTest, ReadsBackAsTheSameNumbers) {
  const CsvStyle style = GetParam();
  const PlantHistory h = History(Date(2024, 2, 28), Date(2024, 3, 1));
  ASSERT_EQ(h.Curves.size(), 3u);
  const CsvExportResult result = ExportCsv(h, out.Path(), style);
  EXPECT_FALSE(result.Cancelled);
  EXPECT_EQ(result.Files.size(), 6u);

  const Rows quarters = ReadCsv(out / "Viertelstunden.csv", style);
  ASSERT_EQ(quarters.size(), 1 + 3 * 56u);
  for (size_t r = 1; r < quarters.size(); ++r) {
    const DayCurve& curve = h.Curves[(r - 1) / 56];
    const QuarterSample& s = curve.Samples[(r - 1) % 56];
    ASSERT_EQ(quarters[r], (std::vector<std::string>{IsoDate(curve.Day), quarters[r][1], std::to_string(s.PowerW),
                                                     std::to_string(s.IrradianceWm2), "1"}));
  }
  EXPECT_EQ(quarters[1][1], "06:00");
  EXPECT_EQ(quarters[56][1], "19:45");

  const Rows days = ReadCsv(out / "Tage.csv", style);
  ASSERT_EQ(days.size(), 1 + h.Days.size());
  for (size_t i = 0; i < h.Days.size(); ++i) {
    EXPECT_EQ(days[i + 1][0], IsoDate(h.Days[i].Day));
    EXPECT_EQ(Wh(days[i + 1][1]), h.Days[i].EnergyWh) << days[i + 1][1];
  }
  const Rows months = ReadCsv(out / "Monate.csv", style);
  ASSERT_EQ(months.size(), 1 + h.Months.size());
  EXPECT_EQ(months[1][0], "2024-01");
  for (size_t i = 0; i < h.Months.size(); ++i) EXPECT_EQ(Wh(months[i + 1][1]), h.Months[i].EnergyWh);
  const Rows years = ReadCsv(out / "Jahre.csv", style);
  ASSERT_EQ(years.size(), 2u);
  EXPECT_EQ(years[1], (std::vector<std::string>{"2024", years[1][1], "0"}));
  EXPECT_EQ(Wh(years[1][1]), YearsOf(h.Months).at(0).EnergyWh);

  const Rows meterDays = ReadCsv(out / "Zaehler-Tage.csv", style);
  ASSERT_EQ(meterDays.size(), 1 + h.MeterDays.size() / 3);
  EXPECT_EQ(meterDays[0], (std::vector<std::string>{"Datum", "Z1 [kWh]", "Z2 [kWh]", "Z3 [kWh]", "abgeschlossen"}));
  for (const MeterDay& m : h.MeterDays) {
    const auto row =
        std::find_if(meterDays.begin(), meterDays.end(), [&](const auto& r) { return r[0] == IsoDate(m.Day); });
    ASSERT_NE(row, meterDays.end());
    EXPECT_EQ(Wh((*row)[m.Meter]), m.EnergyWh);
  }
  const Rows meterYears = ReadCsv(out / "Zaehler-Jahre.csv", style);
  ASSERT_EQ(meterYears.size(), 2u);
  for (const MeterYear& m : h.MeterYears) EXPECT_EQ(Wh(meterYears[1][m.Meter]), m.EnergyWh);
}

TEST_P(CsvExportTest, StyleOfSeparatorsDecimalsAndByteOrderMark) {
  const bool german = GetParam() == CsvStyle::German;
  ExportCsv(History(Date(2024, 2, 29), Date(2024, 2, 29)), out.Path(), GetParam());
  const std::string days = FileText(out / "Tage.csv");
  EXPECT_EQ(days.rfind(Bom, 0) == 0, german);
  const std::string header = german ? "Datum;Ertrag [kWh];abgeschlossen\r\n" : "Datum,Ertrag [kWh],abgeschlossen\r\n";
  EXPECT_EQ(days.substr(german ? 3 : 0, header.size()), header);
  const std::regex line(german ? "2024-02-29;[0-9]+,[0-9]{3};1\r\n$" : "2024-02-29,[0-9]+\\.[0-9]{3},1\r\n$");
  EXPECT_TRUE(std::regex_search(days, line)) << days;
  EXPECT_NE(FileText(out / "Viertelstunden.csv").find("Globalstrahlung [W/m\xC2\xB2]"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Styles, CsvExportTest, ::testing::Values(CsvStyle::German, CsvStyle::Plain),
                         [](const auto& info) { return info.param == CsvStyle::German ? "German" : "Plain"; });

TEST(CsvExportCancelTest, ProgressCountsEveryRowAndCancellingLeavesNoFile) {
  TempFolder out;
  PlantHistory h;
  for (int d = 0; d < 40; ++d) h.Curves.push_back({Date(2024, 1, 1) + d, true, std::vector<QuarterSample>(56)});
  std::ofstream(out / "Tage.csv") << "older export";
  std::vector<std::pair<int64_t, int64_t>> calls;
  const CsvExportResult result = ExportCsv(h, out.Path(), CsvStyle::German, [&](int64_t done, int64_t total) {
    calls.emplace_back(done, total);
    return calls.size() < 3;
  });
  EXPECT_TRUE(result.Cancelled);
  EXPECT_TRUE(result.Files.empty());
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].first, 1500);
  EXPECT_EQ(calls[2].second, 40 * 56);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(out.Path())) left.push_back(entry.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"Tage.csv"});
  EXPECT_EQ(FileText(out / "Tage.csv"), "older export");

  calls.clear();
  EXPECT_EQ(ExportCsv(h, out.Path(), CsvStyle::Plain,
                      [&](int64_t d, int64_t t) {
                        calls.emplace_back(d, t);
                        return true;
                      })
                .Files.size(),
            6u);
  EXPECT_EQ(calls.back(), std::make_pair(int64_t{40 * 56}, int64_t{40 * 56}));
}

// The second file cannot be put in place (a folder has its name): the first,
// older or not there before, is as it was, and no temporary file is left.
TEST(CsvExportCancelTest, AFileThatCannotBePutInPlaceLeavesEveryOlderFileAsItWas) {
  TempFolder out;
  PlantHistory h;
  h.Curves.push_back({Date(2024, 1, 1), true, std::vector<QuarterSample>(56)});
  fs::create_directories(out / "Tage.csv" / "inside");
  for (const bool older : {true, false}) {
    if (older) std::ofstream(out / "Viertelstunden.csv") << "older export";
    try {
      ExportCsv(h, out.Path(), CsvStyle::German);
      ADD_FAILURE() << "no error";
    } catch (const EArchiveError& e) {
      EXPECT_NE(std::string(e.what()).find((out / "Tage.csv").string()), std::string::npos) << e.what();
    }
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(out.Path())) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected =
        older ? std::vector<std::string>{"Tage.csv", "Viertelstunden.csv"} : std::vector<std::string>{"Tage.csv"};
    EXPECT_EQ(left, expected);
    if (older) {
      EXPECT_EQ(FileText(out / "Viertelstunden.csv"), "older export");
    }
    EXPECT_TRUE(fs::is_directory(out / "Tage.csv" / "inside"));
    fs::remove(out / "Viertelstunden.csv");
  }
}

// Every file replaced by a complete export; the older ones set aside are gone.
TEST(CsvExportCancelTest, AnExportReplacesEveryOlderFileAndLeavesNothingElse) {
  TempFolder out;
  PlantHistory h;
  h.Curves.push_back({Date(2024, 1, 1), true, std::vector<QuarterSample>(56)});
  std::ofstream(out / "Viertelstunden.csv") << "older export";
  std::ofstream(out / "Jahre.csv") << "older export";
  EXPECT_EQ(ExportCsv(h, out.Path(), CsvStyle::Plain).Files.size(), 6u);
  EXPECT_EQ(std::distance(fs::directory_iterator(out.Path()), fs::directory_iterator()), 6);
  EXPECT_NE(FileText(out / "Viertelstunden.csv"), "older export");
  EXPECT_NE(FileText(out / "Jahre.csv"), "older export");
}

TEST(CsvExportCancelTest, AnOutputFolderThatIsAFileIsReportedWithItsPath) {
  TempFolder out;
  std::ofstream(out / "plain-file") << "x";
  try {
    ExportCsv({}, out / "plain-file", CsvStyle::German);
    FAIL() << "no error";
  } catch (const EArchiveError& e) {
    EXPECT_NE(std::string(e.what()).find((out / "plain-file").string()), std::string::npos) << e.what();
  }
}

}  // namespace
