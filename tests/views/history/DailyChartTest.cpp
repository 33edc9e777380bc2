#include "HistoryTestSupport.h"
#include "views/history/DailyChart.h"

namespace {

const std::vector<QPoint> CurveStarts = {{60, 300}, {289, 300}, {521, 281}};

void SetPower(int j, int value) { SetGroupBWord(62 + j, static_cast<uint16_t>(value)); }
void SetIrradiance(int j, int value) { SetGroupBWord(230 + j, static_cast<uint16_t>(value)); }
void SetClock(int hour, int minute) {
  Block2[16] = static_cast<uint16_t>(hour), Block2[17] = static_cast<uint16_t>(minute);
}

class DailyChartTest : public ChartTest {
protected:
  const std::vector<DrawLogEntry>& Draw() {
    form1.Image1->GetCanvas().ClearLog();
    DrawDailyChart();
    return form1.Image1->GetCanvas().Log();
  }
  // The irradiance pass draws the first three curves, the power pass the next three.
  std::vector<Polyline> Curves(bool power) {
    auto lines = PolylinesFrom(Draw(), CurveStarts);
    EXPECT_EQ(lines.size(), 6u);
    lines.erase(power ? lines.begin() : lines.begin() + 3, power ? lines.begin() + 3 : lines.end());
    return lines;
  }
};

TEST_F(DailyChartTest, SamplesSpreadOverEachPanelFromSixToEight) {
  SetClock(20, 0);
  const auto curves = Curves(false);
  ASSERT_EQ(curves[0].points.size(), 56u);
  const int firstX[] = {60, 63, 67, 70, 74};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(curves[0].points[i].x(), firstX[i]);
  EXPECT_EQ(curves[0].points[55].x(), 259);  // on the 20:00 grid line
  EXPECT_EQ(curves[1].points[55].x(), 488);
  EXPECT_EQ(curves[2].points[55].x(), 720);
  EXPECT_EQ(curves[2].colors[0], Colors::Red);
  EXPECT_EQ(Curves(true)[2].colors[0], Colors::Blue);
}

TEST_F(DailyChartTest, EachPanelShowsItsDaysSlot) {
  // Slot r holds irradiance 120 (r + 1) everywhere; today's slot is Block3[24].
  SetClock(20, 0);
  for (int j = 0; j < 168; ++j) SetIrradiance(j, 120 * (j / 56 + 1));
  const int expectedSlots[3][3] = {{1, 2, 0}, {2, 0, 1}, {0, 1, 2}};  // day before, yesterday, today
  for (int s = 0; s < 3; ++s) {
    Block3[24] = static_cast<uint16_t>(s);
    const auto curves = Curves(false);
    for (int p = 0; p < 3; ++p) {
      const int h = 120 * (expectedSlots[s][p] + 1) * 252 / 1200;
      EXPECT_EQ(curves[p].points[10].y(), 300 - h) << "today slot " << s << ", panel " << p;
    }
  }
  // A slot number the rings do not have is reset to 0 in the store and drawn as 0.
  Block3[24] = 5;
  const auto curves = Curves(false);
  EXPECT_EQ(Block3[24], 0);
  EXPECT_EQ(curves[2].points[10].y(), 300 - 25);
  EXPECT_EQ(curves[0].points[10].y(), 300 - 50);
}

TEST_F(DailyChartTest, TodayDrawsEveryQuarterHourThatHasBegun) {
  const struct {
    int hour, minute;
    size_t samples;
  } cases[] = {{0, 0, 0},   {6, 0, 0},    {6, 1, 1},   {6, 15, 1},  {6, 16, 2},
               {13, 7, 29}, {19, 59, 56}, {20, 0, 56}, {23, 59, 56}};
  for (const auto& c : cases) {
    SetClock(c.hour, c.minute);
    for (bool power : {false, true}) {
      const auto today = Curves(power)[2];
      EXPECT_EQ(today.start, QPoint(521, 281));
      EXPECT_EQ(today.points.size(), c.samples) << c.hour << ":" << c.minute;
    }
  }
}

TEST_F(DailyChartTest, HeightsFollowTheScales) {
  SetClock(20, 0);
  SetPlantSize(100);  // DayChartMax 12000
  SetIrradiance(0, 1200);
  SetIrradiance(1, 600);
  SetPower(0, 60);   // 6000 W
  SetPower(1, 200);  // above the scale: drawn above the top, not clamped
  EXPECT_EQ(Curves(false)[2].points[0].y(), 48);
  EXPECT_EQ(Curves(false)[2].points[1].y(), 174);
  EXPECT_EQ(Curves(true)[2].points[0].y(), 174);
  EXPECT_EQ(Curves(true)[2].points[1].y(), 300 - 420);
  // The picture shows the curve where the log says.
  EXPECT_EQ(form1.Image1->GetCanvas().Pixel(521, 200), Colors::Blue);
}

TEST_F(DailyChartTest, GapRuleBridgesSingleDropouts) {
  SetClock(20, 0);
  SetPlantSize(100);  // threshold 6 (600 W)
  // Today is slot 0 (right panel); samples 10..12, 20..22, .. of PowerRing.
  const int power[][3] = {{10, 0, 10}, {10, 0, 0}, {7, 0, 6}};
  for (int c = 0; c < 3; ++c)
    for (int k = 0; k < 3; ++k) SetPower(10 * (c + 1) + k, power[c][k]);
  const int irradiance[][3] = {{150, 0, 90}, {150, 0, 101}};
  for (int c = 0; c < 2; ++c)
    for (int k = 0; k < 3; ++k) SetIrradiance(40 + 5 * c + k, irradiance[c][k]);
  const auto powerToday = Curves(true)[2].points;
  EXPECT_EQ(powerToday[11].y(), 300 - 21);  // bridged at 10
  EXPECT_EQ(powerToday[21].y(), 300);
  EXPECT_EQ(powerToday[22].y(), 300);
  EXPECT_EQ(powerToday[31].y(), 300);  // 6 is not above the threshold
  const auto irradianceToday = Curves(false)[2].points;
  EXPECT_EQ(irradianceToday[41].y(), 300);
  EXPECT_EQ(irradianceToday[46].y(), 300 - 31);  // bridged at 150
}

TEST_F(DailyChartTest, GapRuleReadsNeighboursAcrossTheRingEnds) {
  SetClock(20, 0);
  SetPlantSize(100);
  Block3[61] = 50;  // the word before PowerRing[0]
  SetPower(1, 50);
  SetPower(166, 50);      // slot 2, yesterday's last sample
  SetIrradiance(0, 700);  // the word after PowerRing[167]
  const auto power = Curves(true);
  EXPECT_EQ(power[2].points[0].y(), 300 - 105);  // PowerRing[0] bridged at Block3[61]
  EXPECT_EQ(power[1].points[55].y(), 300 - 105);
  // With scale 120 the threshold is 0: any zero between two live samples is bridged.
  SetPlantSize(0);
  SetPower(20, 1);
  SetPower(22, 1);
  EXPECT_EQ(Curves(true)[2].points[21].y(), 300 - 210);
}

TEST_F(DailyChartTest, ValueAxesLabelsAndGrid) {
  SetPlantSize(100);
  const auto& log = Draw();
  const std::pair<int, const char*> power[] = {{0, "     0"}, {1, "  1000"}, {11, " 11000"}, {12, " 12000"}};
  for (auto [k, text] : power) EXPECT_EQ(TextAt(log, 10, 292 - 21 * k)->text, text);
  EXPECT_EQ(TextAt(log, 10, 292)->color, Colors::Blue);
  EXPECT_EQ(TextAt(log, 728, 292 - 21 * 7)->text, "700");
  EXPECT_EQ(TextAt(log, 728, 292 - 21 * 7)->color, Colors::Red);
  // Grid lines from 56 to 723, k = 0..12: black at zero and full scale, gray between.
  std::vector<DrawLogEntry> grid;
  for (const DrawLogEntry& e : log)
    if (e.op == DrawLogEntry::LineTo && e.x2 == 56 && e.x == 723 && e.y == e.y2) grid.push_back(e);
  ASSERT_EQ(grid.size(), 13u);
  for (int k = 0; k <= 12; ++k) {
    EXPECT_EQ(grid[k].y, 300 - 21 * k);
    EXPECT_EQ(grid[k].color, k == 0 || k == 12 ? Colors::Black : Colors::Gray) << k;
  }

  SetPlantSize(0);  // DayChartMax 120
  EXPECT_EQ(TextAt(Draw(), 10, 292 - 21)->text, "   10");
  EXPECT_EQ(TextAt(Draw(), 10, 292 - 21 * 12)->text, "   120");
}

TEST_F(DailyChartTest, TimeAxisHoursAndPanelEdges) {
  const auto& log = Draw();
  EXPECT_EQ(TextAt(log, 52, 304)->text, "6");
  EXPECT_EQ(TextAt(log, 719, 304)->text, "20");
  // Vertical lines, panel by panel: each day's 6:00 line and the right edge are black,
  // the 6:00 lines of yesterday and today two pixels wide.
  std::vector<DrawLogEntry> lines;
  for (const DrawLogEntry& e : log)
    if (e.op == DrawLogEntry::LineTo && e.y2 == 48 && e.y == 300) lines.push_back(e);
  ASSERT_EQ(lines.size(), 24u);
  for (int i = 0; i < 24; ++i) {
    const bool black = i % 8 == 0 || i == 23;
    EXPECT_EQ(lines[i].color, black ? Colors::Black : Colors::Gray) << i;
    EXPECT_EQ(lines[i].width, i == 8 || i == 16 ? 2 : 1) << i;
  }
}

struct DateCase {
  int d, m, year;
  const char *today, *yesterday, *dayBefore;
};

void PrintTo(const DateCase& c, std::ostream* os) { *os << c.d << "." << c.m << "." << c.year; }

class DayDatesTest : public DailyChartTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(DayDatesTest, CaptionsCrossMonthAndYearEnds) {
  const DateCase& c = GetParam();
  Block2[13] = static_cast<uint16_t>(c.d), Block2[14] = static_cast<uint16_t>(c.m);
  Block2[15] = static_cast<uint16_t>(c.year - 1900);
  std::vector<DrawLogEntry> dates;
  for (const DrawLogEntry& e : Texts(Draw()))
    if (e.y == 328) dates.push_back(e);
  const size_t expected = c.yesterday == nullptr ? 1 : 3;
  ASSERT_EQ(dates.size(), expected);
  EXPECT_EQ(dates[0].x, 600);
  EXPECT_EQ(dates[0].text, c.today);
  if (expected == 1) return;
  EXPECT_EQ(dates[1].x, 368);
  EXPECT_EQ(dates[1].text, c.yesterday);
  EXPECT_EQ(dates[2].x, 137);
  EXPECT_EQ(dates[2].text, c.dayBefore);
  EXPECT_EQ(dates[2].fontHeight, 14);
  EXPECT_EQ(dates[2].color, Colors::Black);
}

INSTANTIATE_TEST_SUITE_P(Dates, DayDatesTest,
                         ::testing::Values(DateCase{1, 3, 2008, " 1.3.2008", " 29.2.2008", " 28.2.2008"},
                                           DateCase{1, 3, 2009, " 1.3.2009", " 28.2.2009", " 27.2.2009"},
                                           DateCase{1, 1, 2009, " 1.1.2009", " 31.12.2008", " 30.12.2008"},
                                           DateCase{2, 1, 2009, " 2.1.2009", " 1.1.2009", " 31.12.2008"},
                                           DateCase{2, 5, 2009, " 2.5.2009", " 1.5.2009", " 30.4.2009"},
                                           DateCase{15, 6, 2009, " 15.6.2009", " 14.6.2009", " 13.6.2009"},
                                           DateCase{1, 8, 2009, " 1.8.2009", " 31.7.2009", " 30.7.2009"},
                                           // Leap years after 2016 and the century rule.
                                           DateCase{1, 3, 2024, " 1.3.2024", " 29.2.2024", " 28.2.2024"},
                                           DateCase{2, 3, 2000, " 2.3.2000", " 1.3.2000", " 29.2.2000"},
                                           DateCase{1, 3, 2100, " 1.3.2100", " 28.2.2100", " 27.2.2100"},
                                           DateCase{0, 7, 2009, " 0.7.2009", nullptr, nullptr}));

}  // namespace
