#include "views/live/DayBalanceList.h"

#include <QString>
#include <QTextCursor>

#include "protocol/Cp1252.h"
#include "store/PlantStore.h"
#include "views/live/BalanceCalendar.h"
#include "views/live/TForm9.h"

namespace {

// Day n's value in kWh: the stored day value, or today's running total.
float DayValue(int n, int today, int todayYield) {
  if (n == today) return static_cast<float>(todayYield * 0.01);
  return static_cast<float>(DayRun(n - 1) * 0.1);
}

// "dd/mm = v" with two-digit day and month.
std::string DayLine(int d, int m, float v) {
  return FormatText("%s%d/%s%d = %3.1f", d < 10 ? "0" : "", d, m < 10 ? "0" : "", m, v);
}

}  // namespace

std::vector<std::string> DayBalanceLines() {
  const int today = BalanceToday();
  if (today == 0) return {"Datum unbekannt"};
  const int todayYield = ComputeTodayYield();
  std::vector<std::string> lines;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= BalanceMonthDays(m); ++d) {
      const int n = MonthStartDay[m] + d;
      if (n > today) return lines;
      lines.push_back(DayLine(d, m, DayValue(n, today, todayYield)));
    }
  }
  return lines;
}

void FillDayBalanceList() {
  QString text;
  for (const std::string& line : DayBalanceLines()) {
    if (!text.isEmpty()) text += QLatin1Char('\n');
    text += QString::fromStdString(Utf8FromCp1252(line));
  }
  // As lines are added the list follows them, so it opens on today's line.
  Form9->Memo1->setPlainText(text);
  Form9->Memo1->moveCursor(QTextCursor::End);
  Form9->Memo1->ensureCursorVisible();
}
