#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include "tests/views/live/LiveTestSupport.h"

namespace {

class DayBalanceListTest : public LiveViewTest {
protected:
  static void SetToday(uint16_t day, uint16_t month) {
    Block2[13] = day;
    Block2[14] = month;
  }
  QStringList MemoLines() { return form9.Memo1->toPlainText().split(QLatin1Char('\n')); }
};

TEST_F(DayBalanceListTest, OneLinePerDayFromFirstJanuaryToToday) {
  for (int n = 1; n <= 366; ++n) SetDayRun(n - 1, static_cast<uint16_t>(n));
  Block14[41] = 4000;  // meter 1: 40.00 kWh today
  Block19[7] = 567;    // meter 48: 5.67 kWh today

  SetToday(1, 1);
  FillDayBalanceList();
  EXPECT_EQ(MemoLines(), QStringList{"01/01 = 45.7"});

  SetToday(1, 3);
  FillDayBalanceList();
  QStringList lines = MemoLines();
  ASSERT_EQ(lines.size(), 61);
  EXPECT_EQ(lines[0], "01/01 = 0.1");
  EXPECT_EQ(lines[58], "28/02 = 5.9");
  EXPECT_EQ(lines[59], "29/02 = 6.0");  // every year has day 60
  EXPECT_EQ(lines[60], "01/03 = 45.7");

  SetToday(31, 12);
  FillDayBalanceList();
  lines = MemoLines();
  ASSERT_EQ(lines.size(), 366);
  EXPECT_EQ(lines[364], "30/12 = 36.5");
  EXPECT_EQ(lines[365], "31/12 = 45.7");
}

TEST_F(DayBalanceListTest, ValuesAndTwoDigitDayAndMonth) {
  SetDayRun(4, 123);          // 5 January
  SetDayRun(14, 0);           // 15 January: no data
  SetDayRun(305 + 4, 65535);  // 5 November
  SetDayRun(305 + 14, 7);     // 15 November
  SetToday(16, 11);
  const std::vector<std::string> lines = DayBalanceLines();
  ASSERT_EQ(lines.size(), 305u + 16u);
  EXPECT_EQ(lines[4], "05/01 = 12.3");
  EXPECT_EQ(lines[14], "15/01 = 0.0");
  EXPECT_EQ(lines[305 + 4], "05/11 = 6553.5");
  EXPECT_EQ(lines[305 + 14], "15/11 = 0.7");
  // Today's line shows the meters' total, not today's stored slot.
  SetDayRun(305 + 15, 999);
  EXPECT_EQ(DayBalanceLines().back(), "16/11 = 0.0");
}

// The caption and the list take "MS Sans Serif" as every other text of that
// family does, at their character heights.
TEST_F(DayBalanceListTest, CaptionAndListUseTheProgramsSansSerif) {
  const QString sans = QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family();
  for (const auto& [widget, cell] : {std::pair<const QWidget*, int>{form9.Label1, 20}, {form9.Memo1, 17}}) {
    SCOPED_TRACE(cell);
    EXPECT_EQ(QFontInfo(widget->font()).family(), sans);
    const QFontMetrics metrics(widget->font());
    EXPECT_LE(metrics.ascent() + metrics.descent(), cell);
    EXPECT_GE(metrics.ascent() + metrics.descent(), cell - 3);
  }
}

TEST_F(DayBalanceListTest, OpeningTwiceGivesTheSameList) {
  SetToday(10, 2);
  SetDayRun(0, 55);
  FillDayBalanceList();
  const QString first = form9.Memo1->toPlainText();
  FillDayBalanceList();
  EXPECT_EQ(form9.Memo1->toPlainText(), first);
  EXPECT_EQ(form9.Memo1->document()->blockCount(), 41);
  EXPECT_TRUE(form9.Memo1->textCursor().atEnd());  // the list opens on today's line
}

// Day 0 or a day past the month's end counts from the month's start, as long
// as that is a day of the year.
TEST_F(DayBalanceListTest, DayOutsideItsMonthCountsFromTheMonthsStart) {
  Block14[41] = 250;  // 2.50 kWh today
  SetDayRun(29, 17);  // 30 January
  SetToday(0, 2);     // day 31, 31 January
  FillDayBalanceList();
  QStringList lines = MemoLines();
  ASSERT_EQ(lines.size(), 31);
  EXPECT_EQ(lines[29], "30/01 = 1.7");
  EXPECT_EQ(lines.back(), "31/01 = 2.5");

  SetToday(31, 4);  // day 122, 1 May
  FillDayBalanceList();
  lines = MemoLines();
  ASSERT_EQ(lines.size(), 122);
  EXPECT_EQ(lines.back(), "01/05 = 2.5");
}

TEST_F(DayBalanceListTest, DateThatIsNoDayOfTheYearIsSaidSo) {
  for (auto [day, month] : {std::pair<uint16_t, uint16_t>{1, 0}, {1, 13}, {0, 1}, {32, 12}, {65535, 65535}}) {
    SCOPED_TRACE(testing::Message() << day << "." << month << ".");
    SetToday(day, month);
    FillDayBalanceList();
    EXPECT_EQ(MemoLines(), QStringList{"Datum unbekannt"});
  }
}

}  // namespace
