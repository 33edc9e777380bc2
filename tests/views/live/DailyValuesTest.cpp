#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>

#include "protocol/Cp1252.h"
#include "tests/views/live/LiveTestSupport.h"

namespace {

class DailyValuesTest : public LiveViewTest {
protected:
  static bool IsMeterLabel(const std::string& t) {
    return t.size() >= 3 && t.front() == 'Z' && t.back() == ':' &&
           std::all_of(t.begin() + 1, t.end() - 1, [](unsigned char ch) { return std::isdigit(ch); });
  }
  // The meter labels "Zk:" in drawing order.
  std::vector<const DrawLogEntry*> MeterLabels() {
    std::vector<const DrawLogEntry*> labels;
    for (const DrawLogEntry& e : Log6())
      if (e.op == DrawLogEntry::TextOut && IsMeterLabel(e.text)) labels.push_back(&e);
    return labels;
  }
  static void SetMeterToday(int k, uint16_t v) {
    if (k <= 27) Block14[40 + k] = v;
    else if (k <= 40) Block14[59 + k] = v;
    else Block19[k - 41] = v;
  }
  static void SetPlantSize(uint16_t tenthsKWp) {
    Block3[38] = tenthsKWp;
    RecomputeScales();
  }
  std::string PlantCheckText() { return TextAt(Log6(), 98, 488); }
};

TEST_F(DailyValuesTest, MeterRowsFollowTheMeterCount) {
  struct Case {
    int meters, shown, lastX, lastY;
  } cases[] = {
      {0, 1, 42, 245},                         // meter 1 is always shown
      {1, 1, 42, 245},     {25, 25, 42, 405},  // nine rows, 20 pixels apart
      {26, 26, 274, 357},                      // from 26 meters on the rows are 14 pixels apart
      {48, 48, 515, 455},                      // sixteen rows
      {300, 48, 515, 455},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meters);
    form6.Image1->GetCanvas().ClearLog();
    Block3[37] = c.meters;
    DrawDailyValues();
    const auto labels = MeterLabels();
    ASSERT_EQ(static_cast<int>(labels.size()), c.shown);
    for (int k = 1; k <= c.shown; ++k) EXPECT_EQ(labels[k - 1]->text, "Z" + std::to_string(k) + ":");
    EXPECT_EQ(labels.back()->x, c.lastX);
    EXPECT_EQ(labels.back()->y, c.lastY);
    EXPECT_EQ(labels.back()->fontName, "Courier New");
    EXPECT_EQ(labels.back()->fontHeight, 14);
  }
}

TEST_F(DailyValuesTest, MeterLineShowsPowerTodayAndThe32BitYearlyYield) {
  Block3[37] = 48;
  Block19[37 - 29] = 123;            // meter 37: 12.3 kW
  SetMeterToday(37, 4567);           // 45.67 kWh
  SetMonthRun(260 + 2 * 37, 1);      // high word
  SetMonthRun(261 + 2 * 37, 34464);  // low word: 100000 hundredths of kWh
  Block14[4 + 2] = 5;                // meter 2: 0.5 kW, nothing else
  DrawDailyValues();
  // Meter 37: row 12, column 0; meter 2: row 0, column 1.
  EXPECT_EQ(TextAt(Log6(), 42, 245 + 12 * 14), "Z37:");
  EXPECT_EQ(TextAt(Log6(), 70, 245 + 12 * 14), "12.3 kW/45.7 kWh/1000 kWh");
  EXPECT_EQ(TextAt(Log6(), 302, 245), "0.5 kW/0.0 kWh/  0 kWh");
}

TEST_F(DailyValuesTest, ModuleTemperatureTexts) {
  const struct {
    uint16_t word;
    const char* text;
  } cases[] = {{19,
                "- 1 \xB0"
                "C"},
               {1,
                "- 19 \xB0"
                "C"},
               {20,
                "+ 0 \xB0"
                "C"},
               {67,
                "+ 47 \xB0"
                "C"},
               {120,
                "---\xB0"
                "C"},
               {0,
                "---\xB0"
                "C"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    form6.Image1->GetCanvas().ClearLog();
    Block14[85] = c.word;
    DrawDailyValues();
    EXPECT_EQ(TextAt(Log6(), 588, 181), c.text);
  }
}

TEST_F(DailyValuesTest, IrradiationTexts) {
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 360, 173), "--- kWh/m2");
  EXPECT_EQ(TextAt(Log6(), 360, 190), "--- kWh/m2");
  form6.Image1->GetCanvas().ClearLog();
  Block14[81] = 1234;
  Block3[45] = 612;
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 360, 173), "1.2 kWh/m2");
  EXPECT_EQ(TextAt(Log6(), 360, 190), "612 kWh/m2");
}

TEST_F(DailyValuesTest, MonthYearAndTotalAroundTheYearBoundary) {
  for (int k = 1; k <= 13; ++k) SetMonthRun(k, static_cast<uint16_t>(100 * k));  // 100 .. 1300 kWh
  SetMeterToday(1, 2599);                                                        // 25.99 kWh: 25 whole kWh count
  SetMeterToday(41, 1);
  Block2[24] = 12;  // December of the first year row
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 127, 89), "26.0 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 140), "1226 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 157), "7826 kWh");  // months 1..12
  EXPECT_EQ(TextAt(Log6(), 127, 174), "7826 kWh");

  form6.Image1->GetCanvas().ClearLog();
  Block2[24] = 13;  // January of the next row: the year starts again
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 127, 140), "1326 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 157), "1326 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 174), "9126 kWh");  // months 1..13
}

TEST_F(DailyValuesTest, MonthCounterOutsideTheMonthSlots) {
  for (int k = 0; k < MonthRunLength; ++k) SetMonthRun(k, 500);
  SetMeterToday(1, 1000);  // 10 kWh today
  Block3[13] = 50;
  SetMonthRun(0, 700);
  // No counter yet: the month reads MonthRun[0] (Block15[0]); the year and
  // the total are today's yield alone.
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 127, 140), "710 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 157), "10 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 174), "10 kWh");
  EXPECT_EQ(TextAt(Log6(), 358, 89), "5 EUR");
  // Beyond the month slots the months are unknown, not the meters' yearly words.
  for (uint16_t counter : {uint16_t{262}, uint16_t{400}, uint16_t{65535}}) {
    SCOPED_TRACE(counter);
    form6.Image1->GetCanvas().ClearLog();
    Block2[24] = counter;
    DrawDailyValues();
    EXPECT_EQ(TextAt(Log6(), 127, 140), "--- kWh");
    EXPECT_EQ(TextAt(Log6(), 127, 157), "--- kWh");
    EXPECT_EQ(TextAt(Log6(), 127, 174), "--- kWh");
    EXPECT_EQ(TextAt(Log6(), 358, 72), "--- EUR");
    EXPECT_EQ(TextAt(Log6(), 358, 89), "--- EUR");
    EXPECT_EQ(TextAt(Log6(), 581, 72), "--- Tonnen");
    EXPECT_EQ(TextAt(Log6(), 127, 89), "10.0 kWh");  // today's figures stay
    EXPECT_EQ(TextAt(Log6(), 358, 55), "  5 EUR");
  }
  // The last month slot is still a month.
  form6.Image1->GetCanvas().ClearLog();
  Block2[24] = 261;
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 127, 140), "510 kWh");
}

TEST_F(DailyValuesTest, RevenueAndEnvironmentFromTheLifetimeYield) {
  SetMonthRun(1, 53434);
  Block2[24] = 1;
  Block3[13] = 46;
  SetMeterToday(3, 5000);  // 50 kWh today, added to the month
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 358, 55), " 23 EUR");    // 50 kWh at 46 cents
  EXPECT_EQ(TextAt(Log6(), 358, 72), "24602 EUR");  // 53484 kWh
  EXPECT_EQ(TextAt(Log6(), 358, 89), "24602 EUR");
  EXPECT_EQ(TextAt(Log6(), 581, 72), "37.4 Tonnen");
  EXPECT_EQ(TextAt(Log6(), 579, 89), " 5008 l");
  EXPECT_EQ(TextAt(Log6(), 599, 106), " 4667 m3");
}

TEST_F(DailyValuesTest, RevenueOfAHugeYieldAndTariffDoesNotWrapAround) {
  for (int k = 1; k <= LastMonthSlot; ++k) SetMonthRun(k, 65535);
  Block2[24] = LastMonthSlot;
  Block3[13] = 65535;
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 358, 72), "386535260 EUR");  // 9 months of the last row
  EXPECT_EQ(TextAt(Log6(), 358, 89), "11209522547 EUR");
}

TEST_F(DailyValuesTest, PlantCheckLine) {
  const std::string running = Cp1252FromUtf8("Anlage läuft!");
  const std::string deviation5 =
      Cp1252FromUtf8("Abweichung Z1/Z5 evt.durch witterungsbedingte Einflüsse(trübe Tage,Schnee,Teilverschattung)");
  SetPlantSize(10);  // 1 kWp: PowerScale 100
  Block3[37] = 8;
  const struct {
    uint16_t meter;
    uint16_t today;  // 0.01 kWh
    bool deviation;
  } cases[] = {
      {0, 5000, false},                       // no deviating meter
      {5, 5000, true},       {5, 11, false},  // exactly 0.11 kWh per kWp is not enough
      {5, 12, true},         {8, 12, true},   // the last meter of the plant
      {9, 5000, false},                       // a meter the plant does not have
      {0xFFFF, 5000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "meter " << c.meter << ", today " << c.today);
    form6.Image1->GetCanvas().ClearLog();
    Block14[75] = c.meter;
    SetMeterToday(1, c.today);
    DrawDailyValues();
    EXPECT_EQ(TextAt(Log6(), 42, 488), "Hinweis:");
    const std::string text = PlantCheckText();
    if (!c.deviation) EXPECT_EQ(text, running);
    else if (c.meter == 5) EXPECT_EQ(text, deviation5);
    else EXPECT_EQ(text.rfind("Abweichung Z1/Z8 ", 0), 0u) << text;
  }
}

TEST_F(DailyValuesTest, EmptyStoreShowsZerosAndTheClock) {
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 150, 55), "0.0 kW");
  EXPECT_EQ(TextAt(Log6(), 127, 106), "  0 kWh");
  EXPECT_EQ(TextAt(Log6(), 152, 123), "  0 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 191), "0.0 kWh/kWp");
  EXPECT_EQ(TextAt(Log6(), 561, 55), "seit: 00/2000");
  EXPECT_EQ(TextAt(Log6(), 8, 4), "00:00");
  EXPECT_EQ(TextAt(Log6(), 50, 4), "00/00/0");
  EXPECT_EQ(MeterLabels().size(), 1u);
  EXPECT_TRUE(form6.isVisible());
}

TEST_F(DailyValuesTest, FiguresFromTheStoreAtTheirPlaces) {
  Block2[12] = 78;
  Block3[1] = 447;  // 44.7 kWh, rounded to whole kWh
  Block3[2] = 4;
  Block14[5] = 30;  // meters 1 and 36 together: 4.1 kW
  Block14[40] = 11;
  SetPlantSize(98);
  SetMeterToday(48, 2870);
  Block3[35] = 3;
  Block3[36] = 9;
  Block2[13] = 5, Block2[14] = 3, Block2[15] = 107, Block2[16] = 7, Block2[17] = 45;
  DrawDailyValues();
  EXPECT_EQ(TextAt(Log6(), 150, 55), "4.1 kW");
  EXPECT_EQ(TextAt(Log6(), 150, 72), "7.8 kW");
  EXPECT_EQ(TextAt(Log6(), 127, 89), "28.7 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 106), " 45 kWh");
  EXPECT_EQ(TextAt(Log6(), 152, 123), "  0 kWh");
  EXPECT_EQ(TextAt(Log6(), 127, 191), "2.9 kWh/kWp");
  EXPECT_EQ(TextAt(Log6(), 561, 55), "seit: 03/2009");
  EXPECT_EQ(TextAt(Log6(), 8, 4), "07:45");
  EXPECT_EQ(TextAt(Log6(), 50, 4), "05/03/07");
  const DrawLogEntry* heading = FindText(Log6(), Cp1252FromUtf8("persönlicher Umweltbeitrag"));
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->x, 515);
  EXPECT_EQ(heading->fontName, "Arial");
  EXPECT_EQ(heading->fontHeight, 22);
  EXPECT_TRUE(heading->transparent);
}

TEST_F(DailyValuesTest, BoxesAreDrawnOnThePicture) {
  DrawDailyValues();
  EXPECT_EQ(CountOps(Log6(), DrawLogEntry::MoveTo), 5);
  EXPECT_EQ(CountOps(Log6(), DrawLogEntry::LineTo), 20);
  Canvas& c = form6.Image1->GetCanvas();
  for (auto [x, y] : {std::pair{40, 55}, {249, 55}, {250, 209}, {41, 210}, {523, 171}, {733, 130}})
    EXPECT_EQ(c.Pixel(x, y), Colors::Black) << x << "," << y;
  EXPECT_NE(c.Pixel(20, 150), Colors::Black);  // the picture, outside every box
  EXPECT_EQ(form6.Image1->Picture().size(), QSize(785, 505));
}

TEST_F(DailyValuesTest, MissingPictureRaisesAndDrawsNothing) {
  DrawDailyValues();
  const QImage before = form6.Image1->Picture();
  form6.Image1->GetCanvas().ClearLog();
  QTemporaryDir empty;
  const QString previous = QDir::currentPath();
  QDir::setCurrent(empty.path());
  EXPECT_THROW(DrawDailyValues(), EPictureError);
  QDir::setCurrent(previous);
  EXPECT_TRUE(Log6().empty());
  EXPECT_EQ(form6.Image1->Picture(), before);
}

}  // namespace
