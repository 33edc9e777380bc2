// An archive file someone crafted (or a broken disk changed): rows with
// values no controller can give are refused with a message when read, so
// that neither the export nor the archive view allocates without bound or
// overflows a sum.
#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"
#include "archive/RangeExport.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

class CraftedArchiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    ExchangeRecord r;
    r.PlantId = "471108";
    r.Clock = {2024, 5, 10, 12, 0};
    r.Today = *DayNumberOf(2024, 5, 10);
    r.History.Curves = {{r.Today, false, std::vector<QuarterSample>(10, {900, 90})}};
    r.History.Days = {{r.Today, false, 3000}};
    r.History.Months = {{2024, 4, true, 600000}, {2024, 5, false, 70000}};
    r.History.MeterDays = {{r.Today, 1, false, 1500}};
    r.History.MeterYears = {{2024, 1, false, 90000}};
    PlantArchive(file).Write(r);
  }
  // The message reading the history (as the view does) and exporting it give.
  std::pair<std::string, std::string> Messages() {
    const auto message = [](const auto& action) {
      try {
        action();
      } catch (const EArchiveError& e) {
        return std::string(e.what());
      }
      return std::string("(read)");
    };
    return {message([&] { PlantArchive(file).History(*DayNumberOf(2024, 1, 1), *DayNumberOf(2024, 12, 31)); }),
            message([&] {
              ExportArchiveRange(file, ParseDayRange("2024-01-01", "2024-12-31"), folder / "out", CsvStyle::Plain);
            })};
  }
  void ExpectRefused(const std::string& change, const std::string& why) {
    fs::remove_all(folder / "out");
    Query(file, change);
    const auto [view, exported] = Messages();
    EXPECT_NE(view.find(why), std::string::npos) << change << ": " << view;
    EXPECT_NE(view.find("Archiv beschädigt"), std::string::npos) << view;
    EXPECT_EQ(exported, view);
    EXPECT_FALSE(fs::exists(folder / "out" / "Tage.csv"));
    Query(file, "DELETE FROM " + change.substr(12, change.find('(') - 12));
  }
  TempFolder folder;
  fs::path file = folder / "a.sqlite";
};

TEST_F(CraftedArchiveTest, MetersOutsideOneToFortyEightAreRefused) {
  EXPECT_EQ(Messages().first, "(read)");
  ExpectRefused("INSERT INTO meter_days(day, meter, energy_wh, complete) VALUES('2024-05-09', 3000000, 1, 1)",
                "3000000 liegt außerhalb von 1..48");
  ExpectRefused("INSERT INTO meter_years(year, meter, energy_wh, complete) VALUES(2024, 0, 1, 0)",
                "0 liegt außerhalb von 1..48");
}

TEST_F(CraftedArchiveTest, ValuesOutsideTheirWordsAreRefusedSoNoSumOverflows) {
  ExpectRefused(
      "INSERT INTO months(year, month, energy_wh, complete) VALUES(2024, 1, 9223372036854775807, 1),"
      " (2024, 2, 9223372036854775807, 1)",
      "9223372036854775807 liegt außerhalb");
  ExpectRefused("INSERT INTO months(year, month, energy_wh, complete) VALUES(2024, 13, 1, 1)", "13 liegt außerhalb");
  ExpectRefused("INSERT INTO day_yields(day, energy_wh, complete) VALUES('2024-05-08', -5, 1)", "-5 liegt außerhalb");
  ExpectRefused("INSERT INTO day_yields(day, energy_wh, complete) VALUES('2024-05-0x', 5, 1)", "ist kein Datum");
  ExpectRefused(
      "INSERT INTO samples(day, quarter, power_w, irradiance_wm2, complete) VALUES('2024-05-08', 500, 1, 1, 1)",
      "500 liegt außerhalb von 24..79");
  ExpectRefused(
      "INSERT INTO samples(day, quarter, power_w, irradiance_wm2, complete)"
      " VALUES('2024-05-08', 30, 2147483648, 1, 1)",
      "2147483648 liegt außerhalb");
  ExpectRefused("INSERT INTO meter_years(year, meter, energy_wh, complete) VALUES(2024, 2, 5, 2)",
                "2 liegt außerhalb von 0..1");
}

// Another tool's text, binary data or fractions would read as 0 (or be cut to an integer).
TEST_F(CraftedArchiveTest, ValuesThatAreNoIntegersAreRefusedNotReadAsZero) {
  ExpectRefused("INSERT INTO day_yields(day, energy_wh, complete) VALUES('2024-05-08', 'viel', 1)",
                "in der Spalte energy_wh steht keine ganze Zahl, sondern Text");
  ExpectRefused(
      "INSERT INTO samples(day, quarter, power_w, irradiance_wm2, complete)"
      " VALUES('2024-05-08', 30, X'0102', 1, 1)",
      "in der Spalte power_w steht keine ganze Zahl, sondern Binärdaten");
  ExpectRefused("INSERT INTO months(year, month, energy_wh, complete) VALUES(2024, 3, 1500.5, 1)",
                "in der Spalte energy_wh steht keine ganze Zahl, sondern Kommazahl");
  ExpectRefused("INSERT INTO meter_days(day, meter, energy_wh, complete) VALUES('2024-05-08', 2, 7, 'ja')",
                "in der Spalte complete steht keine ganze Zahl, sondern Text");
  ExpectRefused("INSERT INTO meter_years(year, meter, energy_wh, complete) VALUES(2024, 2, '7 kWh', 1)",
                "in der Spalte energy_wh steht keine ganze Zahl, sondern Text");
}

TEST_F(CraftedArchiveTest, APlantSizeThatIsNoWordIsNotKnown) {
  Query(file, "INSERT OR REPLACE INTO plant(key, value) VALUES('plant_size', '99999999999999999999')");
  EXPECT_EQ(PlantArchive(file).Info().PlantSize, 0);
  Query(file, "INSERT OR REPLACE INTO plant(key, value) VALUES('plant_size', '150')");
  EXPECT_EQ(PlantArchive(file).Info().PlantSize, 150);
}

}  // namespace
