#include <QDir>
#include <QTemporaryDir>

#include "tests/views/live/LiveTestSupport.h"
#include "views/live/BalanceSlots.h"

namespace {

class YearBalanceTest : public LiveViewTest {
protected:
  std::vector<const DrawLogEntry*> Rectangles(TColor color) {
    std::vector<const DrawLogEntry*> found;
    for (const DrawLogEntry& e : Log4())
      if (e.op == DrawLogEntry::Rectangle && e.color == color) found.push_back(&e);
    return found;
  }
  std::vector<std::string> ScaleLabels() {
    std::vector<std::string> labels;
    for (int y : {309, 244, 179, 115, 49}) labels.push_back(TextAt(Log4(), 10, y));
    return labels;
  }
  static void SetDay(int n, uint16_t tenthsKWh) { SetDayRun(n - 1, tenthsKWh); }
  static void SetPlantSize(uint16_t tenthsKWp) {
    Block3[38] = tenthsKWp;
    RecomputeScales();
  }
};

TEST_F(YearBalanceTest, ScaleLabelsAreRightAlignedToFourCells) {
  DrawYearBalance();  // the scale's start value 10
  EXPECT_EQ(ScaleLabels(), (std::vector<std::string>{"   0", "   2", "   4", "   6", "  10"}));
  form4.Image1->GetCanvas().ClearLog();
  SetPlantSize(100);  // 10 kWp: 120 kWh
  DrawYearBalance();
  EXPECT_EQ(ScaleLabels(), (std::vector<std::string>{"   0", "  30", "  60", "  90", " 120"}));
  form4.Image1->GetCanvas().ClearLog();
  SetPlantSize(4950);  // 495 kWp: 4000 kWh
  DrawYearBalance();
  EXPECT_EQ(ScaleLabels(), (std::vector<std::string>{"   0", "1000", "2000", "3000", "4000"}));
  const DrawLogEntry* zero = FindText(Log4(), "   0");
  ASSERT_NE(zero, nullptr);
  EXPECT_EQ(zero->fontName, "Arial");
  EXPECT_EQ(zero->fontHeight, 16);
  EXPECT_TRUE(zero->transparent);
}

TEST_F(YearBalanceTest, TodayMarkerOnTheDayOfTheYear) {
  const struct {
    uint16_t day, month;
    int x;  // 0: no marker
  } cases[] = {
      {1, 1, 52},
      {31, 12, 782},
      {29, 2, 170},
      {1, 3, 172},
      // Day 0 or a day past the month's end still counts from the month's start.
      {0, 6, 354},
      {30, 2, 172},
      {32, 1, 114},
      {0, 2, 112},
      // A date that is no day of the year has no marker.
      {1, 0, 0},
      {1, 13, 0},
      {0, 1, 0},
      {32, 12, 0},
      {65535, 6, 0},
      {65535, 65535, 0},
  };
  SetPlantSize(100);
  SetDay(100, 50);
  SetDay(101, 50);  // a bar whose pen must not depend on the marker
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.day << "." << c.month << ".");
    form4.Image1->GetCanvas().ClearLog();
    Block2[13] = c.day;
    Block2[14] = c.month;
    DrawYearBalance();
    const auto bars = Rectangles(Colors::DesktopBackground);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0]->width, 2);
    const auto markers = Rectangles(Colors::Red);
    if (c.x == 0) {
      EXPECT_TRUE(markers.empty());
      continue;
    }
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0]->x, c.x);
    EXPECT_EQ(markers[0]->y, 316);
    EXPECT_EQ(markers[0]->x2, c.x + 2);
    EXPECT_EQ(markers[0]->y2, 58);
    EXPECT_EQ(markers[0]->width, 2);
  }
}

TEST_F(YearBalanceTest, SpikeFilterReplacesEachWindowsFirstLargestValue) {
  BalanceSlotTable table{};
  table[5] = 40;                                   // window 0: its only value
  table[31] = 10, table[32] = 20, table[33] = 30;  // window 1: rising
  table[61] = 50, table[62] = 50;                  // window 2: the first of two equal maxima
  table[95] = 80, table[100] = 60;                 // window 3: the largest comes first
  table[359] = 99;                                 // window 11 ends at 359
  table[365] = 10, table[366] = 30;                // window 12 holds 360 .. 366
  BalanceSlotTable expected = table;
  expected[5] = 0;
  expected[33] = 20;
  expected[61] = 0;
  expected[95] = 0;
  expected[359] = 0;
  expected[366] = 10;
  FilterSpikes(table);
  EXPECT_EQ(table, expected);

  BalanceSlotTable zeros{};
  FilterSpikes(zeros);
  EXPECT_EQ(zeros, BalanceSlotTable{});
}

TEST_F(YearBalanceTest, DayValuesAreCappedAtSevenKWhPerKWp) {
  SetPlantSize(10);  // 1 kWp: cap 70, scale 40 kWh
  for (int n = 1; n <= 366; ++n) SetDay(n, 0);
  SetDay(40, 500);
  SetDay(41, 65535);
  SetDay(42, 69);
  const BalanceSlotTable table = FillBalanceSlots();
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[40], 70);
  EXPECT_EQ(table[41], 70);
  EXPECT_EQ(table[42], 69);

  // Day 40 is its window's first largest value and is filtered out; day 41
  // keeps the cap: 70 * 26 / 40 = 45 pixels.
  DrawYearBalance();
  const auto bars = Rectangles(Colors::DesktopBackground);
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0]->x, 2 * 41 + 50);
  EXPECT_EQ(bars[0]->y, 316);
  EXPECT_EQ(bars[0]->x2, 2 * 41 + 52);
  EXPECT_EQ(bars[0]->y2, 316 - 45);
  EXPECT_EQ(bars[1]->x, 2 * 42 + 50);
  EXPECT_EQ(bars[1]->y2, 316 - 69 * 26 / 40);
}

TEST_F(YearBalanceTest, BarsForEveryNonZeroDayIncluding29February) {
  SetPlantSize(100);  // scale 120 kWh
  // Equal values: each window loses its first slot, except the window that
  // starts with 29 February (day 60), whose smaller value passes on to day 61.
  for (int n = 1; n <= 366; ++n) SetDay(n, 300);
  SetDay(60, 240);
  SetDay(200, 0);
  DrawYearBalance();
  const auto bars = Rectangles(Colors::DesktopBackground);
  ASSERT_EQ(bars.size(), 366u - 12u - 1u);
  int tops[367] = {};
  for (const DrawLogEntry* bar : bars) {
    ASSERT_EQ((bar->x - 50) % 2, 0);
    tops[(bar->x - 50) / 2] = bar->y2;
  }
  EXPECT_EQ(tops[1], 0);  // filtered out
  EXPECT_EQ(tops[2], 316 - 300 * 26 / 120);
  EXPECT_EQ(tops[60], 316 - 240 * 26 / 120);
  EXPECT_EQ(tops[61], 316 - 240 * 26 / 120);
  EXPECT_EQ(tops[200], 0);  // no yield, no bar
  EXPECT_EQ(tops[366], 316 - 300 * 26 / 120);
  // The bars land on the picture in the desktop colour.
  EXPECT_EQ(form4.Image1->Picture().pixel(2 * 60 + 51, 300), ArgbFromColor(Colors::DesktopBackground));
}

TEST_F(YearBalanceTest, BarsStayInsideTheChartWhenTheScaleIsNotDerivedYet) {
  Block3[38] = 100;  // cap 700 against the start scale of 10 kWh
  SetDay(1, 700);
  SetDay(2, 700);
  DrawYearBalance();
  const auto bars = Rectangles(Colors::DesktopBackground);
  ASSERT_EQ(bars.size(), 1u);
  EXPECT_EQ(bars[0]->y2, 316 - 260);
}

TEST_F(YearBalanceTest, TitlesMonthNamesAndClock) {
  Block2[13] = 24, Block2[14] = 12, Block2[15] = 115, Block2[16] = 18, Block2[17] = 5;
  DrawYearBalance();
  const DrawLogEntry* title = FindText(Log4(), "Jahresenergiebilanz");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->x, 290);
  EXPECT_EQ(title->y, 12);
  EXPECT_TRUE(title->bold);
  EXPECT_EQ(title->fontHeight, 24);
  EXPECT_EQ(TextAt(Log4(), 5, 25), "[kWh]");
  EXPECT_EQ(TextAt(Log4(), 188, 320), "M\xE4r");
  EXPECT_EQ(TextAt(Log4(), 733, 320), "Dez");
  const DrawLogEntry* time = FindText(Log4(), "18:05");
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->x, 8);
  EXPECT_EQ(time->y, 370);
  EXPECT_EQ(time->fontHeight, 14);
  EXPECT_FALSE(time->bold);
  EXPECT_EQ(TextAt(Log4(), 50, 370), "24/12/15");
  EXPECT_TRUE(form4.isVisible());
}

TEST_F(YearBalanceTest, MissingPictureRaisesAndDrawsNothing) {
  QTemporaryDir empty;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(empty.path());
  EXPECT_THROW(DrawYearBalance(), EPictureError);
  QDir::setCurrent(previous);
  EXPECT_TRUE(Log4().empty());
}

}  // namespace
