#include "HistoryTestSupport.h"
#include "protocol/Cp1252.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"
#include "views/history/YieldChart.h"

namespace {

// The bar value texts of a log, left to right: the blue texts below the bars.
std::vector<DrawLogEntry> BarValues(const std::vector<DrawLogEntry>& log, int y) {
  std::vector<DrawLogEntry> values;
  for (const DrawLogEntry& e : Texts(log))
    if (e.y == y && e.color == Colors::Blue) values.push_back(e);
  return values;
}

// The top of the bar whose outline starts at (left, baseline).
int BarTop(const std::vector<DrawLogEntry>& log, int left, int baseline) {
  const auto outlines = BarOutlines(log, left, baseline);
  EXPECT_FALSE(outlines.empty()) << "no bar at " << left;
  return outlines.empty() ? -1 : outlines.back().points[1].y();
}

class MonthlyChartTest : public ChartTest {
protected:
  const std::vector<DrawLogEntry>& Draw() {
    form12.Image1->GetCanvas().ClearLog();
    DrawMonthlyChart();
    return form12.Image1->GetCanvas().Log();
  }
};

TEST_F(MonthlyChartTest, BarsShowTheCurrentYearWithTodayInItsMonth) {
  SetPlantSize(100);  // MonthChartMax 2000
  for (int k = 25; k <= 60; ++k) SetMonthRun(k, static_cast<uint16_t>(10 * k));
  SetMonthRun(37, 1000);
  Block2[24] = 41;
  Block2[14] = 5;
  SetTodayYield(1234);
  const auto& log = Draw();
  const auto values = BarValues(log, 274);
  ASSERT_EQ(values.size(), 12u);
  for (int m = 0; m < 12; ++m) {
    const int expected = (m == 0 ? 1000 : 10 * (37 + m)) + (m == 4 ? 12 : 0);
    EXPECT_EQ(values[m].text, "   " + std::to_string(expected)) << m;
    EXPECT_EQ(values[m].x, 97 + 50 * m);
  }
  EXPECT_EQ(BarTop(log, 107, 251), 163);  // 1000 kWh: 88 pixels
  EXPECT_EQ(form12.Image1->GetCanvas().Pixel(115, 200), Colors::Blue);
}

TEST_F(MonthlyChartTest, RowFollowsTheCounterAndStaysInTheMonthSlots) {
  for (int k = 1; k <= 299; ++k) SetMonthRun(k, static_cast<uint16_t>(k));
  for (int counter : {0, 262, 300}) {  // none counted, and counters beyond the month slots
    Block2[24] = static_cast<uint16_t>(counter);
    const auto values = BarValues(Draw(), 274);
    ASSERT_EQ(values.size(), 12u);
    EXPECT_EQ(values[0].text, "   1") << counter;
    EXPECT_EQ(values[11].text, "   12") << counter;
  }
  Block2[24] = 36;
  EXPECT_EQ(BarValues(Draw(), 274)[0].text, "   25");
}

TEST_F(MonthlyChartTest, ScaleLabelsAndCaptions) {
  SetPlantSize(100);
  Block2[15] = 124;
  const auto& log = Draw();
  const std::pair<int, const char*> labels[] = {
      {243, "   0"}, {227, " 200"}, {173, " 800"}, {156, "1000"}, {68, "2000"}};
  for (auto [y, text] : labels) EXPECT_EQ(TextAt(log, 37, y)->text, text);
  EXPECT_EQ(TextAt(log, 370, 285)->text, "2024");
  EXPECT_EQ(TextAt(log, 205, 258)->text, Cp1252FromUtf8("Mär"));
  EXPECT_TRUE(TextAt(log, 28, 40)->bold);
}

class YearlyChartTest : public ChartTest {
protected:
  const std::vector<DrawLogEntry>& Draw() {
    form3.Image1->GetCanvas().ClearLog();
    DrawYearlyChart();
    return form3.Image1->GetCanvas().Log();
  }
  void SetUp() override {
    ChartTest::SetUp();
    for (int k = 25; k <= 261; ++k) SetMonthRun(k, static_cast<uint16_t>(k));
    SetTodayYield(1234);
  }
  static int Sum(int first, int last) { return (first + last) * (last - first + 1) / 2; }
  std::vector<std::string> Values() {
    std::vector<std::string> texts;
    for (const DrawLogEntry& e : BarValues(Draw(), 302)) texts.push_back(e.text);
    return texts;
  }
  static std::string Value(int v) { return "   " + std::to_string(v); }
};

TEST_F(YearlyChartTest, CompleteYearsThenTheCurrentYear) {
  Block2[24] = 41;
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(Sum(25, 36)), Value(Sum(37, 41) + 12)}));
  Block2[24] = 60;
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(Sum(25, 36)), Value(Sum(37, 48)), Value(Sum(49, 60) + 12)}));
  Block2[24] = 61;
  const auto values = Values();
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[3], Value(61 + 12));
  const auto& log = form3.Image1->GetCanvas().Log();
  for (int j = 0; j < 4; ++j) EXPECT_EQ(BarOutlines(log, 123 + 52 * j, 279).size(), 2u) << j;
  EXPECT_EQ(BarValues(log, 302)[2].x, 113 + 104);
}

TEST_F(YearlyChartTest, FirstPlantYearIsOneCurrentYearBar) {
  Block2[24] = 30;
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(Sum(25, 30) + 12)}));
  Block2[24] = 36;
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(Sum(25, 36) + 12)}));
  Block2[24] = 0;  // nothing counted yet: today's energy only
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(12)}));
  Block2[24] = 400;  // beyond the month slots: taken as nothing counted
  EXPECT_EQ(Values(), (std::vector<std::string>{Value(12)}));
}

TEST_F(YearlyChartTest, ManyYearsRunOffThePictureWithoutHarm) {
  Block2[24] = 261;
  const auto values = Values();
  ASSERT_EQ(values.size(), 20u);
  EXPECT_EQ(values[19], Value(Sum(253, 261) + 12));
  EXPECT_EQ(BarOutlines(form3.Image1->GetCanvas().Log(), 123 + 52 * 19, 279).size(), 2u);
}

TEST_F(YearlyChartTest, ScaleAndYearCaptions) {
  SetPlantSize(100);  // YearChartMax 12000
  Block3[36] = 7;
  RecomputeScales();  // FirstYear 2007
  for (int k = 25; k <= 36; ++k) SetMonthRun(k, 500);
  Block2[24] = 37;
  SetTodayYield(0);
  const auto& log = Draw();
  EXPECT_EQ(TextAt(log, 45, 271)->text, "   0");
  EXPECT_EQ(TextAt(log, 45, 254)->text, "1200");
  EXPECT_EQ(TextAt(log, 45, 91)->text, "12000");
  EXPECT_EQ(BarTop(log, 123, 279), 279 - 92);  // 6000 kWh
  EXPECT_EQ(TextAt(log, 113, 290)->text, "   2007");
  EXPECT_EQ(TextAt(log, 173, 290)->text, "2008");
  EXPECT_EQ(TextAt(log, 641, 290)->text, "2017");
  EXPECT_EQ(TextAt(log, 300, 18)->text, "Jahresdaten");
  EXPECT_TRUE(TextAt(log, 38, 65)->bold);
  EXPECT_EQ(TextAt(log, 8, 330)->fontHeight, 14);
}

class YieldChartTest : public ChartTest {
protected:
  const std::vector<DrawLogEntry>& Draw() {
    form5.Image1->GetCanvas().ClearLog();
    DrawYieldChart();
    return form5.Image1->GetCanvas().Log();
  }
  void SetUp() override {
    ChartTest::SetUp();
    Block2[24] = 37;  // row 3: MonthRun[37..48]
  }
};

TEST_F(YieldChartTest, MonthBarsInKwhPerKwp) {
  SetPlantSize(100);  // PowerScale 1000
  SetMonthRun(37, 1200);
  SetMonthRun(38, 50);
  SetMonthRun(39, 300);
  Block2[14] = 3;
  SetTodayYield(2550);
  const auto& log = Draw();
  EXPECT_EQ(TextAt(log, 94, 305)->text, "   120");
  EXPECT_EQ(BarTop(log, 104, 282), 127);
  EXPECT_EQ(TextAt(log, 133, 305), nullptr);  // 5.0: neither bar nor value
  EXPECT_TRUE(BarOutlines(log, 143, 282).empty());
  EXPECT_EQ(TextAt(log, 172, 305)->text, "   32");
  EXPECT_EQ(TextAt(log, 172, 305)->color, Colors::Blue);
  EXPECT_EQ(form5.Image1->GetCanvas().Pixel(110, 200), Colors::Blue);
}

TEST_F(YieldChartTest, YearBarSumsTheMonths) {
  SetPlantSize(100);
  for (int m = 0; m < 11; ++m) SetMonthRun(37 + m, 800);
  SetMonthRun(48, 707);  // 11 x 80.0 + 70.7 = 950.7
  const auto& log = Draw();
  EXPECT_EQ(TextAt(log, 694, 301)->text, "   950");
  EXPECT_EQ(BarTop(log, 704, 282), 282 - 169);
}

TEST_F(YieldChartTest, StartScaleAndMonthsOutsideTheYear) {
  SetMonthRun(37, 3);  // PowerScale 2.0 before the first data cycle: fifty-fold
  Block2[14] = 13;
  SetTodayYield(9900);
  const auto& log = Draw();
  EXPECT_EQ(TextAt(log, 94, 305)->text, "   150");
  EXPECT_EQ(TextAt(log, 694, 301)->text, "   150");  // today's energy went nowhere
  for (int m = 1; m < 12; ++m) EXPECT_EQ(TextAt(log, 94 + 39 * m, 305), nullptr) << m;
}

TEST_F(YieldChartTest, ScalesAndCaptions) {
  Block2[15] = 124;
  const auto& log = Draw();
  const std::pair<int, const char*> month[] = {
      {276, "   0"}, {256, "  15"}, {217, "  45"}, {138, " 105"}, {59, " 165"}};
  for (auto [y, text] : month) EXPECT_EQ(TextAt(log, 34, y)->text, text);
  const std::pair<int, const char*> year[] = {{275, "   0"}, {257, " 100"}, {114, " 900"}, {96, "1000"}, {59, "1200"}};
  for (auto [y, text] : year) EXPECT_EQ(TextAt(log, 645, y)->text, text);
  EXPECT_EQ(TextAt(log, 315, 345)->text, "2024");
  EXPECT_FALSE(TextAt(log, 315, 345)->bold);
  EXPECT_TRUE(TextAt(log, 630, 35)->bold);
}

}  // namespace
