#include "views/archive/TForm14.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTextCharFormat>
#include <system_error>

#include "archive/RangeExport.h"
#include "views/Bind.h"
#include "views/FilePaths.h"
#include "views/TFileDialog.h"
#include "views/archive/ArchiveCharts.h"
#include "views/archive/CsvExportRun.h"
#include "views/history/DailyChart.h"
#include "views/history/MonthlyChart.h"
#include "views/history/YearlyChart.h"

TForm14* Form14 = nullptr;

using Archive::DayNumber;

namespace {

constexpr int ClientWidth = 1088;
constexpr int ClientHeight = 456;
constexpr int MonthArrowRoom = 14;  // pixels kept for the month menu's arrow
// QDate counts Julian days; the archive counts days from 1970-01-01.
constexpr qint64 JulianDayOf1970 = 2440588;

QDate DateOfDay(DayNumber day) { return QDate::fromJulianDay(JulianDayOf1970 + day); }
DayNumber DayOfDate(const QDate& date) { return static_cast<DayNumber>(date.toJulianDay() - JulianDayOf1970); }

}  // namespace

TForm14::TForm14(QWidget* owner)
    : TForm(owner, ClientWidth, ClientHeight, FormBorder::Single, QStringLiteral("Archiv")) {
  CreateCalendar();
  CreatePages();
  CreateExport();
  ShowArchive({}, style_);
}

TForm14::~TForm14() {
  if (Form14 == this) Form14 = nullptr;
}

void TForm14::CreateCalendar() {
  MonthCalendar1 = new QCalendarWidget(this);
  MonthCalendar1->setGeometry(8, 8, 264, 200);
  MonthCalendar1->setLocale(QLocale(QLocale::German, QLocale::Germany));
  MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
  MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  MonthCalendar1->setGridVisible(true);
  // Room after the month's name for the arrow of its menu, which the styles
  // draw in the button's corner, over the end of "Dezember".
  MonthCalendar1->setStyleSheet(
      QStringLiteral("QToolButton#qt_calendar_monthbutton { padding-right: %1px; }").arg(MonthArrowRoom));
  // The view's own keys move by a week or stop at a grey day: the window's take their place.
  MonthCalendar1->installEventFilter(this);
  if (auto* view = MonthCalendar1->findChild<QTableView*>()) view->installEventFilter(this);
  Bind(MonthCalendar1, &QCalendarWidget::selectionChanged, this, [this] { MonthCalendar1Click(); });
  Bind(MonthCalendar1, &QCalendarWidget::currentPageChanged, this,
       [this] { MonthCalendar1GetMonthInfo(MonthCalendar1->yearShown(), MonthCalendar1->monthShown()); });
  Label1 = new QLabel(this);
  Label1->setGeometry(8, 214, 264, 72);
  Label1->setWordWrap(true);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void TForm14::CreatePages() {
  PageControl1 = new QTabWidget(this);
  PageControl1->setGeometry(280, 8, 800, 440);
  const struct {
    TImage** image;
    int width, height;
    const char* caption;
  } pages[] = {
      {&Image1, 785, 401, "Tagesdaten"}, {&Image2, 753, 321, "Monatsdaten"}, {&Image3, 777, 369, "Jahresdaten"}};
  for (const auto& page : pages) {
    auto* sheet = new QWidget(PageControl1);
    *page.image = new TImage(sheet, 0, 0, page.width, page.height);
    PageControl1->addTab(sheet, QString::fromUtf8(page.caption));
  }
  Bind(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });
}

void TForm14::CreateExport() {
  GroupBox1 = new QGroupBox(QStringLiteral("CSV-Export"), this);
  GroupBox1->setGeometry(8, 292, 264, 156);
  const struct {
    QDateEdit** picker;
    const char* caption;
    int top;
  } pickers[] = {{&DateTimePicker1, "Von", 28}, {&DateTimePicker2, "Bis", 62}};
  for (const auto& p : pickers) {
    auto* label = new QLabel(QString::fromUtf8(p.caption), GroupBox1);
    label->setGeometry(12, p.top + 4, 40, 20);
    *p.picker = new QDateEdit(GroupBox1);
    (*p.picker)->setGeometry(56, p.top, 120, 26);
    (*p.picker)->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    (*p.picker)->setCalendarPopup(true);
  }
  Button1 = new QPushButton(QStringLiteral("Exportieren (CSV)…"), GroupBox1);
  Button1->setGeometry(12, 104, 240, 30);
  Bind(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

// --- the archive ----------------------------------------------------------------------

void TForm14::ShowArchive(const std::filesystem::path& file, Archive::CsvStyle style) {
  style_ = style;
  archive_.reset();
  days_ = ArchivedDays();
  day_ = 0;
  MonthCalendar1->setEnabled(false);
  GroupBox1->setEnabled(false);
  std::error_code error;
  if (file.empty() || !std::filesystem::exists(file, error)) {
    Label1->setText(file.empty() ? QStringLiteral("Kein Archiv vorhanden.")
                                 : QStringLiteral("Noch kein Archiv:\n") + WrapAtSeparators(PathText(file)));
    return;
  }
  Label1->setText(QStringLiteral("Archiv nicht zu öffnen:\n") + WrapAtSeparators(PathText(file)));
  Archive::ArchiveOptions options;
  options.ReadOnly = true;
  archive_ = std::make_unique<Archive::PlantArchive>(file, options);
  info_ = archive_->Info();
  const auto span = archive_->DaySpan();
  if (span) days_ = ArchivedDays(archive_->DaysWithSamples(span->first, span->second));
  const bool any = !days_.Empty();
  Label1->setText(QStringLiteral("Anlage %1\n%2%3")
                      .arg(QString::fromStdString(info_.PlantId), WrapAtSeparators(PathText(file)),
                           any ? QString() : QStringLiteral("\nDas Archiv hält noch keinen Tag.")));
  if (any) ShowDays(*span);
}

// The calendar spans the days with quarter hours, the last chosen; the
// export's range every archived day: before 6:00 today has a yield and the
// meters' values but no quarter hour yet, and the meters' days are only ever
// the days polled.
void TForm14::ShowDays(const std::pair<DayNumber, DayNumber>& span) {
  MonthCalendar1->setEnabled(true);
  GroupBox1->setEnabled(true);
  for (QDateEdit* picker : {DateTimePicker1, DateTimePicker2})
    picker->setDateRange(DateOfDay(span.first), DateOfDay(span.second));
  DateTimePicker1->setDate(DateOfDay(span.first));
  DateTimePicker2->setDate(DateOfDay(span.second));
  settingCalendar_ = true;
  MonthCalendar1->setDateRange(DateOfDay(days_.First()), DateOfDay(days_.Last()));
  settingCalendar_ = false;
  SelectDay(days_.Last());
  MonthCalendar1GetMonthInfo(MonthCalendar1->yearShown(), MonthCalendar1->monthShown());
}

bool TForm14::SelectDay(DayNumber day) {
  if (!days_.Contains(day)) return false;
  day_ = day;
  ShowDayInCalendar(day);
  DrawDay(day);
  return true;
}

void TForm14::ShowDayInCalendar(DayNumber day) {
  settingCalendar_ = true;
  MonthCalendar1->setSelectedDate(DateOfDay(day));  // a new month's page marks its days
  settingCalendar_ = false;
}

// Reads the day's three charts and draws the one shown; the others are drawn
// when their page is chosen.
void TForm14::DrawDay(DayNumber day) {
  charts_ = ReadArchiveCharts(*archive_, info_, day);
  DrawPage(PageControl1->currentIndex());
}

void TForm14::DrawPage(int page) {
  if (page == 0) DrawDailyChart(*this, *Image1, charts_.Daily);
  if (page == 1) DrawMonthlyChart(*this, *Image2, charts_.Monthly);
  if (page == 2) DrawYearlyChart(*this, *Image3, charts_.Yearly);
}

void TForm14::PageControl1Change() {
  if (archive_ != nullptr && days_.Contains(day_)) DrawPage(PageControl1->currentIndex());
}

// --- the calendar and the keys ----------------------------------------------------------

// A day the archive does not hold is refused: the selection goes back.
void TForm14::MonthCalendar1Click() {
  if (settingCalendar_ || days_.Empty()) return;
  if (!SelectDay(DayOfDate(MonthCalendar1->selectedDate()))) ShowDayInCalendar(day_);
}

// The days of the shown page (six weeks around the month) black where the
// archive holds them, grey where it does not.
void TForm14::MonthCalendar1GetMonthInfo(int year, int month) {
  MonthCalendar1->setDateTextFormat(QDate(), QTextCharFormat());
  QTextCharFormat missing;
  missing.setForeground(Qt::gray);
  QTextCharFormat held;
  held.setForeground(Qt::black);
  held.setFontWeight(QFont::Bold);
  const QDate first(year, month, 1);
  for (QDate date = first.addDays(-7); date < first.addDays(45); date = date.addDays(1))
    MonthCalendar1->setDateTextFormat(date, days_.Contains(DayOfDate(date)) ? held : missing);
}

void TForm14::MoveDays(int direction) {
  if (!days_.Empty()) SelectDay(days_.Toward(day_, day_ + direction));
}

void TForm14::MoveMonths(int direction) {
  if (!days_.Empty()) SelectDay(days_.Toward(day_, Archive::AddMonths(day_, direction)));
}

bool TForm14::MoveKey(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Up: MoveDays(-1); return true;
    case Qt::Key_Right:
    case Qt::Key_Down: MoveDays(1); return true;
    case Qt::Key_PageUp: MoveMonths(-1); return true;
    case Qt::Key_PageDown: MoveMonths(1); return true;
    default: return false;
  }
}

bool TForm14::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return TForm::eventFilter(watched, event);
  bool used = false;
  Guarded([&] { used = MoveKey(static_cast<QKeyEvent*>(event)->key()); });
  return used || TForm::eventFilter(watched, event);
}

void TForm14::keyPressEvent(QKeyEvent* event) {
  bool used = false;
  Guarded([&] { used = MoveKey(event->key()); });
  if (!used) TForm::keyPressEvent(event);
}

// --- the export -----------------------------------------------------------------------

Archive::CsvExportResult TForm14::ExportRange(const QString& folder) {
  if (archive_ == nullptr) throw Exception("Es ist kein Archiv geöffnet.");
  const Archive::DayRange range = Archive::ParseDayRange(DateTimePicker1->date().toString(Qt::ISODate).toStdString(),
                                                         DateTimePicker2->date().toString(Qt::ISODate).toStdString());
  const std::filesystem::path file = archive_->File(), target = PathFromText(folder);
  return RunCsvExport(this, folder, [&](const Archive::CsvProgress& progress) {
    return Archive::ExportArchiveRange(file, range, target, style_, progress);
  });
}

void TForm14::Button1Click() {
  if (FolderDialog1 == nullptr)
    FolderDialog1 = new TFileDialog(this, QFileDialog::AcceptOpen, TFileDialog::Chooses::Folder);
  const QString folder = FolderDialog1->Choose();
  if (!folder.isEmpty() && MayReplaceCsvFiles(this, folder)) ExportRange(folder);
}
