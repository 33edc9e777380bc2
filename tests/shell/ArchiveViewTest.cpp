// The archive view: a past day drawn from the archive as the daily chart drew
// it from the store on that day, the months and years as the bar charts draw
// them; only archived days can be chosen, by click or key; an export of any
// range of days; and the program's archive options on the command line.
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTextCharFormat>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <iterator>

#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"
#include "shell/CommandLine.h"
#include "store/PlantStore.h"
#include "views/InformationBox.h"
#include "views/archive/CsvExportRun.h"
#include "views/archive/TForm14.h"
#include "views/history/ChartForms.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"

namespace {

namespace fs = std::filesystem;
using Archive::DayNumber;
using Log = std::vector<DrawLogEntry>;

DayNumber Date(int y, int m, int d) { return *Archive::DayNumberOf(y, m, d); }

bool SameEntry(const DrawLogEntry& a, const DrawLogEntry& b) {
  return a.op == b.op && a.x == b.x && a.y == b.y && a.x2 == b.x2 && a.y2 == b.y2 && a.color == b.color &&
         a.width == b.width && a.border == b.border && a.text == b.text && a.fontName == b.fontName &&
         a.fontHeight == b.fontHeight && a.bold == b.bold && a.transparent == b.transparent;
}

// The index of the first entry where the logs differ, or -1.
long FirstDifference(const Log& a, const Log& b) {
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
    if (!SameEntry(a[i], b[i])) return static_cast<long>(i);
  return a.size() == b.size() ? -1 : static_cast<long>(std::min(a.size(), b.size()));
}

std::string Describe(const Log& log, long i) {
  if (i < 0 || i >= static_cast<long>(log.size())) return "(none)";
  const DrawLogEntry& e = log[i];
  return "op " + std::to_string(e.op) + " at " + std::to_string(e.x) + "," + std::to_string(e.y) + " \"" + e.text +
         "\"";
}

#define EXPECT_SAME_LOG(a, b)                                                                  \
  do {                                                                                         \
    const long difference = FirstDifference(a, b);                                             \
    EXPECT_EQ(difference, -1) << Describe(a, difference) << " vs " << Describe(b, difference); \
  } while (0)

// The text drawn last at (x, y), or "".
std::string TextAt(const Log& log, int x, int y) {
  for (auto e = log.rbegin(); e != log.rend(); ++e)
    if (e->op == DrawLogEntry::TextOut && e->x == x && e->y == y) return e->text;
  return "";
}

// The store's daily chart as the archive view draws the same days: the last
// day's two curves start on the zero line, not 19 pixels above it.
Log StartingOnTheZeroLine(Log log) {
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].op != DrawLogEntry::MoveTo || log[i].x != 521 || log[i].y != 281) continue;
    log[i].y = 300;
    if (i + 1 < log.size() && log[i + 1].op == DrawLogEntry::LineTo) log[i + 1].y2 = 300;  // drawn from there
  }
  return log;
}

class ArchiveViewTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { QDir::setCurrent(QStringLiteral(PCZN_PICTURE_DIR)); }
  void SetUp() override {
    ClearPlantStore();
    Form1 = &form1, Form12 = &form12, Form3 = &form3;
    for (TImage* image : {form1.Image1, form12.Image1, form3.Image1, view.Image1, view.Image2, view.Image3})
      image->GetCanvas().EnableLog(true);
  }
  void TearDown() override { Form1 = nullptr, Form12 = nullptr, Form3 = nullptr; }

  static Log Drawn(TImage* image, void (*draw)()) {
    image->GetCanvas().ClearLog();
    draw();
    return image->GetCanvas().Log();
  }
  Log ViewLog(TImage* image) const { return image->GetCanvas().Log(); }

  // An archive whose days with quarter hours are the given ones, each written
  // as the last exchange of its day (the power of sample i is 100 W × (i + day % 7)).
  void WriteDays(const std::vector<DayNumber>& days) {
    Archive::PlantArchive archive(file);
    for (DayNumber day : days) {
      const Archive::CivilDate d = Archive::DateOf(day);
      Archive::ExchangeRecord record;
      record.PlantId = "471108";
      record.Clock = {d.Year, d.Month, d.Day, 21, 0};
      record.Today = day;
      record.PlantSize = 100;
      Archive::DayCurve curve{day, false, {}};
      for (int i = 0; i < Archive::SamplesPerDay; ++i) curve.Samples.push_back({100 * (i + day % 7), 10 * i});
      record.History.Curves.push_back(curve);
      archive.Write(record);
    }
  }

  ArchiveTest::TempFolder folder;
  fs::path file = folder / "Anlage.sqlite";
  TForm1 form1{nullptr};
  TForm12 form12{nullptr};
  TForm3 form3{nullptr};
  TForm14 view{nullptr};
};

// The simulator's plant, polled by the link in-process across a month end
// into a leap day's March: the day drawn from the store on 1 March after
// 20:00 is what the archive view draws for 1 March two days later, and the
// last day's three charts are what the store's charts draw at the end.
TEST_F(ArchiveViewTest, APastDayIsDrawnAsTheDailyChartDrewItFromTheStore) {
  ArchiveTest::ArchiveRun run(ArchiveTest::FastPlant({2024, 2, 27, 12, 0, 0}, 120));
  Log firstOfMarch;
  std::string firstOfMarchTime;
  {
    Archive::PlantArchive archive(file);
    for (int guard = 0; guard < 200; ++guard) {
      const auto record = run.NextExchange();
      ASSERT_TRUE(record) << "an exchange did not complete";
      archive.Write(*record);
      if (firstOfMarch.empty() && record->Today == Date(2024, 3, 1) && record->Clock.Hour >= 20) {
        firstOfMarch = Drawn(form1.Image1, DrawDailyChart);
        firstOfMarchTime = FormatTime();
      }
      if (record->Today == Date(2024, 3, 3) && record->Clock.Hour >= 12) break;
    }
  }
  ASSERT_FALSE(firstOfMarch.empty()) << "no exchange between 20:00 and midnight on 1 March";
  const Log daily = Drawn(form1.Image1, DrawDailyChart);
  const Log monthly = Drawn(form12.Image1, DrawMonthlyChart);
  const Log yearly = Drawn(form3.Image1, DrawYearlyChart);

  view.ShowArchive(file, Archive::CsvStyle::German);
  ASSERT_EQ(view.SelectedDay(), Date(2024, 3, 3));
  EXPECT_SAME_LOG(ViewLog(view.Image1), StartingOnTheZeroLine(daily));
  EXPECT_TRUE(ViewLog(view.Image2).empty()) << "a page is drawn when it is shown";
  view.PageControl1->setCurrentIndex(1);
  EXPECT_SAME_LOG(ViewLog(view.Image2), monthly);
  view.PageControl1->setCurrentIndex(2);
  EXPECT_SAME_LOG(ViewLog(view.Image3), yearly);
  view.PageControl1->setCurrentIndex(0);

  view.Image1->GetCanvas().ClearLog();
  ASSERT_TRUE(view.SelectDay(Date(2024, 3, 1)));
  Log past = ViewLog(view.Image1);
  EXPECT_EQ(TextAt(past, 368, 328), " 29.2.2024");
  // The store's clock under the chart was the moment of that exchange; the
  // archive's day is complete and reaches 20:00.
  EXPECT_EQ(TextAt(past, 8, 375), "20:00");
  for (DrawLogEntry& e : past)
    if (e.op == DrawLogEntry::TextOut && e.x == 8 && e.y == 375) e.text = firstOfMarchTime;
  EXPECT_SAME_LOG(past, StartingOnTheZeroLine(firstOfMarch));
}

// A day whose first quarter hours had no power and no light: its curves in
// the archive view start at 0 at 6:00, as its CSV rows say, with no rise to
// 19 pixels above the zero line (which read as some 3000 W on a large plant).
TEST_F(ArchiveViewTest, AnArchivedDayStartsWhereItsFirstQuarterHourIs) {
  {
    Archive::PlantArchive archive(file);
    Archive::ExchangeRecord record;
    record.Clock = {2024, 6, 21, 21, 0};
    record.Today = Date(2024, 6, 21);
    record.PlantSize = 400;
    Archive::DayCurve curve{record.Today, false, {}};
    for (int i = 0; i < Archive::SamplesPerDay; ++i) curve.Samples.push_back({i < 4 ? 0 : 20000, i < 4 ? 0 : 500});
    record.History.Curves.push_back(curve);
    archive.Write(record);
  }
  view.ShowArchive(file, Archive::CsvStyle::German);
  const Log log = ViewLog(view.Image1);
  int lastPanelCurves = 0;
  for (size_t i = 0; i + 1 < log.size(); ++i) {
    if (log[i].op != DrawLogEntry::MoveTo || log[i].x != 521) continue;
    ++lastPanelCurves;
    EXPECT_EQ(log[i].y, 300) << "a curve starts off the zero line";
    ASSERT_EQ(log[i + 1].op, DrawLogEntry::LineTo);
    EXPECT_EQ(log[i + 1].y, 300) << "the quarter hour from 6:00 is drawn above 0";
  }
  EXPECT_EQ(lastPanelCurves, 2) << "the irradiance and the power curve";
}

TEST_F(ArchiveViewTest, OnlyArchivedDaysCanBeChosen) {
  WriteDays({Date(2024, 1, 30), Date(2024, 1, 31), Date(2024, 2, 2), Date(2024, 3, 5)});
  view.ShowArchive(file, Archive::CsvStyle::German);
  QCalendarWidget& calendar = *view.MonthCalendar1;
  EXPECT_EQ(view.SelectedDay(), Date(2024, 3, 5));
  EXPECT_EQ(calendar.minimumDate(), QDate(2024, 1, 30));
  EXPECT_EQ(calendar.maximumDate(), QDate(2024, 3, 5));

  calendar.setSelectedDate(QDate(2024, 2, 2));  // as a click does
  EXPECT_EQ(view.SelectedDay(), Date(2024, 2, 2));
  EXPECT_EQ(TextAt(ViewLog(view.Image1), 600, 328), " 2.2.2024");
  EXPECT_EQ(calendar.dateTextFormat(QDate(2024, 2, 1)).foreground().color(), QColor(Qt::gray));
  EXPECT_EQ(calendar.dateTextFormat(QDate(2024, 1, 31)).foreground().color(), QColor(Qt::black));

  view.Image1->GetCanvas().ClearLog();
  calendar.setSelectedDate(QDate(2024, 2, 1));  // a grey day is refused
  EXPECT_EQ(view.SelectedDay(), Date(2024, 2, 2));
  EXPECT_EQ(calendar.selectedDate(), QDate(2024, 2, 2));
  EXPECT_TRUE(ViewLog(view.Image1).empty()) << "nothing is drawn for a refused day";
  EXPECT_FALSE(view.SelectDay(Date(2024, 2, 1)));
}

// The buttons of the calendar's heading stay apart for every month's name
// (under Windows' style the name is also checked against its menu's arrow).
TEST_F(ArchiveViewTest, TheCalendarsHeadingFitsEveryMonth) {
  WriteDays({Date(2024, 1, 1), Date(2024, 12, 31)});
  view.ShowArchive(file, Archive::CsvStyle::German);
  view.show();
  QCalendarWidget& calendar = *view.MonthCalendar1;
  const auto button = [&](const char* name) { return calendar.findChild<QToolButton*>(QString::fromLatin1(name)); };
  QToolButton* month = button("qt_calendar_monthbutton");
  ASSERT_NE(month, nullptr);
  for (int m = 1; m <= 12; ++m) {
    calendar.setCurrentPage(2024, m);
    QApplication::processEvents();
    SCOPED_TRACE(month->text().toStdString());
    EXPECT_LT(button("qt_calendar_prevmonth")->geometry().right(), month->geometry().left());
    EXPECT_LT(month->geometry().right(), button("qt_calendar_yearbutton")->geometry().left());
    EXPECT_LT(button("qt_calendar_yearbutton")->geometry().right(), button("qt_calendar_nextmonth")->geometry().left());
  }
}

TEST_F(ArchiveViewTest, KeysMoveToTheNearestArchivedDay) {
  WriteDays(
      {Date(2024, 1, 30), Date(2024, 1, 31), Date(2024, 2, 2), Date(2024, 2, 6), Date(2024, 2, 9), Date(2024, 3, 5)});
  view.ShowArchive(file, Archive::CsvStyle::German);
  QWidget* calendarView = view.MonthCalendar1->findChild<QTableView*>();
  ASSERT_NE(calendarView, nullptr);
  // The calendar has the keyboard, as after a click into it: its own keys would move by a week.
  view.activateWindow();
  calendarView->setFocus();
  QApplication::processEvents();
  const auto press = [&](QWidget* target, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return Archive::IsoDate(view.SelectedDay());
  };
  ASSERT_TRUE(view.SelectDay(Date(2024, 1, 31)));
  EXPECT_EQ(press(calendarView, Qt::Key_Right), "2024-02-02") << "1 February is not archived";
  EXPECT_EQ(press(calendarView, Qt::Key_Down), "2024-02-06") << "a day on, not a week";
  EXPECT_EQ(press(calendarView, Qt::Key_Right), "2024-02-09");
  EXPECT_EQ(press(calendarView, Qt::Key_Right), "2024-03-05");
  EXPECT_EQ(press(calendarView, Qt::Key_Right), "2024-03-05") << "the last day";
  EXPECT_EQ(press(&view, Qt::Key_PageUp), "2024-02-06") << "nearest to 5 February";
  EXPECT_EQ(press(&view, Qt::Key_PageUp), "2024-01-30") << "nearest to 6 January";
  EXPECT_EQ(press(calendarView, Qt::Key_Left), "2024-01-30") << "the first day";
  EXPECT_EQ(press(calendarView, Qt::Key_PageDown), "2024-03-05") << "nearest to 29 February";
  EXPECT_EQ(press(calendarView, Qt::Key_Up), "2024-02-09") << "a day back, not a week";
  EXPECT_EQ(view.MonthCalendar1->selectedDate(), QDate(2024, 2, 9));
  EXPECT_EQ(TextAt(ViewLog(view.Image1), 600, 328), " 9.2.2024");
}

TEST_F(ArchiveViewTest, AnArchiveNotYetWrittenOrDamaged) {
  WriteDays({Date(2024, 1, 30)});
  view.ShowArchive(file, Archive::CsvStyle::German);
  ASSERT_TRUE(view.HasArchive());
  view.ShowArchive(folder / "none.sqlite", Archive::CsvStyle::German);  // before the first exchange
  EXPECT_FALSE(view.HasArchive());
  EXPECT_FALSE(view.MonthCalendar1->isEnabled());
  EXPECT_TRUE(view.Label1->text().startsWith(QStringLiteral("Noch kein Archiv"))) << view.Label1->text().toStdString();
  EXPECT_FALSE(fs::exists(folder / "none.sqlite")) << "looking makes no file";

  std::ofstream(folder / "damaged.sqlite") << std::string(4096, 'x');
  EXPECT_THROW(view.ShowArchive(folder / "damaged.sqlite", Archive::CsvStyle::German), Archive::EArchiveError);
  EXPECT_FALSE(view.HasArchive());
  EXPECT_FALSE(view.GroupBox1->isEnabled());
  EXPECT_TRUE(view.Label1->text().startsWith(QStringLiteral("Archiv nicht zu öffnen")));
}

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Before 6:00 today has a yield and the meters' values but no quarter hour
// yet, and the controller tells a meter's day only while it runs: the export
// reaches today, and the meters' days are in it (the file held a header only).
TEST_F(ArchiveViewTest, AnExportBeforeSixReachesTodayAndItsMeters) {
  {
    Archive::PlantArchive archive(file);
    Archive::ExchangeRecord record;
    record.Clock = {2024, 6, 21, 5, 30};
    record.Today = Date(2024, 6, 21);
    Archive::DayCurve yesterday{Date(2024, 6, 20), true, {}};
    for (int i = 0; i < Archive::SamplesPerDay; ++i) yesterday.Samples.push_back({1000, 100});
    record.History.Curves.push_back(yesterday);
    record.History.Days = {{Date(2024, 6, 20), true, 14000}, {record.Today, false, 0}};
    record.History.MeterDays = {{record.Today, 1, false, 120}, {record.Today, 2, false, 30}};
    archive.Write(record);
  }
  view.ShowArchive(file, Archive::CsvStyle::Plain);
  EXPECT_EQ(view.SelectedDay(), Date(2024, 6, 20)) << "the calendar's last day with quarter hours";
  EXPECT_EQ(view.DateTimePicker2->date(), QDate(2024, 6, 21));
  const fs::path out = folder / "export";
  ASSERT_FALSE(view.ExportRange(QString::fromStdString(out.string())).Cancelled);
  const auto meters = Lines(out / "Zaehler-Tage.csv");
  ASSERT_EQ(meters.size(), 2u);
  EXPECT_EQ(meters[1], "2024-06-21,0.120,0.030,0\r");
  EXPECT_EQ(Lines(out / "Tage.csv").back().substr(0, 10), "2024-06-21");
}

TEST_F(ArchiveViewTest, AnExportWritesTheChosenRange) {
  WriteDays({Date(2024, 1, 30), Date(2024, 1, 31), Date(2024, 2, 2), Date(2024, 3, 5)});
  view.ShowArchive(file, Archive::CsvStyle::Plain);
  EXPECT_EQ(view.DateTimePicker1->date(), QDate(2024, 1, 30));
  EXPECT_EQ(view.DateTimePicker2->date(), QDate(2024, 3, 5));
  view.DateTimePicker1->setDate(QDate(2024, 1, 31));
  view.DateTimePicker2->setDate(QDate(2024, 2, 2));
  const fs::path out = folder / "export";
  const auto result = view.ExportRange(QString::fromStdString(out.string()));
  EXPECT_FALSE(result.Cancelled);
  EXPECT_EQ(result.Files.size(), 6u);
  const auto quarters = Lines(out / "Viertelstunden.csv");
  ASSERT_EQ(quarters.size(), 1 + 2 * 56u) << "31 January and 2 February";
  EXPECT_EQ(quarters[1], "2024-01-31,06:00,600,0,1\r");
  EXPECT_EQ(quarters[112], "2024-02-02,19:45,5600,550,1\r");
  for (const auto& entry : fs::directory_iterator(out))
    EXPECT_EQ(entry.path().extension(), ".csv") << "no temporary file is left: " << entry.path();
  EXPECT_TRUE(LastInformation().contains(QStringLiteral("6 CSV-Dateien"))) << LastInformation().toStdString();

  view.DateTimePicker1->setDate(QDate(2024, 2, 3));
  EXPECT_THROW(view.ExportRange(QString::fromStdString((folder / "reversed").string())), Exception);
  EXPECT_FALSE(fs::exists(folder / "reversed"));
}

// A long export shows its progress, and "Abbrechen" in the dialog stops it.
TEST(CsvExportRunTest, TheProgressDialogCancels) {
  QTimer::singleShot(1000, [] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dialog = qobject_cast<QProgressDialog*>(w); dialog != nullptr && dialog->isVisible()) dialog->cancel();
  });
  int steps = 0;
  const Archive::CsvExportResult result =
      RunCsvExport(nullptr, QStringLiteral("/tmp/x"), [&](const Archive::CsvProgress& progress) {
        for (; steps < 1000; ++steps) {
          QThread::msleep(10);
          if (!progress(steps, 1000)) return Archive::CsvExportResult{true, {}};
        }
        return Archive::CsvExportResult{};
      });
  EXPECT_TRUE(result.Cancelled);
  EXPECT_LT(steps, 1000);
  EXPECT_TRUE(LastInformation().contains(QStringLiteral("abgebrochen"))) << LastInformation().toStdString();
}

// Answers the next question box with the button, as soon as it is shown.
void AnswerNextQuestion(QMessageBox::StandardButton answer, QString& asked) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, answer, &asked] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible() && box->button(answer)) {
        asked = box->text();
        box->button(answer)->click();
        poll->deleteLater();
        return;
      }
  });
  poll->start(50);
}

// CSV files already in the chosen folder are replaced only on the user's word.
TEST(CsvExportRunTest, ExistingFilesAreReplacedOnlyAfterAsking) {
  ArchiveTest::TempFolder folder;
  const QString path = QString::fromStdString(folder.Path().string());
  EXPECT_TRUE(MayReplaceCsvFiles(nullptr, path)) << "nothing to replace, nothing to ask";
  std::ofstream(folder / "Tage.csv") << "mine";
  QString asked;
  AnswerNextQuestion(QMessageBox::No, asked);
  EXPECT_FALSE(MayReplaceCsvFiles(nullptr, path));
  EXPECT_TRUE(asked.contains(QStringLiteral("Tage.csv"))) << asked.toStdString();
  asked.clear();
  AnswerNextQuestion(QMessageBox::Yes, asked);
  EXPECT_TRUE(MayReplaceCsvFiles(nullptr, path));
  EXPECT_FALSE(asked.isEmpty());
}

TEST(ProgramOptionsTest, TheCommandLineChoosesArchivePlantAndCsvStyle) {
  const auto parse = [](std::vector<std::string> args, ProgramOptions& options) {
    args.insert(args.begin(), "PCZentrixNet");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return AnswerCommandLine(static_cast<int>(argv.size()), argv.data(), options);
  };
  ProgramOptions options;
  EXPECT_EQ(parse({"-platform", "offscreen"}, options), std::nullopt);
  EXPECT_TRUE(options.ArchiveFile.empty());
  EXPECT_EQ(options.PlantName, "ohne-Kennung");
  EXPECT_EQ(options.CsvStyle, Archive::CsvStyle::German);

  EXPECT_EQ(parse({"--archive", "/srv/a.sqlite", "--plant=Dach Süd", "--csv=plain"}, options), std::nullopt);
  EXPECT_EQ(options.ArchiveFile, fs::path("/srv/a.sqlite"));
  EXPECT_EQ(options.PlantName, "Dach Süd");
  EXPECT_EQ(options.CsvStyle, Archive::CsvStyle::Plain);
  EXPECT_EQ(parse({"--archive=rel.sqlite"}, options), std::nullopt);
  EXPECT_EQ(options.ArchiveFile, fs::current_path() / "rel.sqlite");

  EXPECT_EQ(parse({"--archive"}, options), 2);
  EXPECT_EQ(parse({"--plant="}, options), 2);
  EXPECT_EQ(parse({"--csv=excel"}, options), 2);

  // The frame trace: off unless named; a relative file is taken from the start folder.
  EXPECT_TRUE(options.TraceFile.empty());
  EXPECT_EQ(parse({"--trace", "frames.trace"}, options), std::nullopt);
  EXPECT_EQ(options.TraceFile, fs::current_path() / "frames.trace");
  EXPECT_EQ(parse({"--trace"}, options), 2);
  EXPECT_EQ(parse({"--trace="}, options), 2);
}

}  // namespace
