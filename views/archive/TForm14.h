#pragma once
// The archive view "Archiv": a calendar of the archived days and, for the day
// chosen in it, the daily chart's three days ending on that day, the months of
// its year and the years up to it, drawn from the plant's archive by the same
// routines as the live charts; and a CSV export of any range of days.
#include <filesystem>
#include <memory>
#include <utility>

#include "archive/CsvExport.h"
#include "archive/PlantArchive.h"
#include "views/Form.h"
#include "views/Picture.h"
#include "views/archive/ArchiveCharts.h"
#include "views/archive/ArchivedDays.h"

class QCalendarWidget;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class TFileDialog;

class TForm14 : public TForm {
public:
  explicit TForm14(QWidget* owner);
  ~TForm14() override;

  QCalendarWidget* MonthCalendar1;       // archived days black, the others grey and refused
  QLabel* Label1;                        // the plant and its archive file
  QTabWidget* PageControl1;              // "Tagesdaten", "Monatsdaten", "Jahresdaten": each drawn when shown
  TImage* Image1;                        // the daily chart over "b1.bmp"
  TImage* Image2;                        // the monthly chart over "b2.bmp"
  TImage* Image3;                        // the yearly chart over "b3.bmp"
  QGroupBox* GroupBox1;                  // "CSV-Export"
  QDateEdit* DateTimePicker1;            // the export's first day ("Von")
  QDateEdit* DateTimePicker2;            // its last day ("Bis")
  QPushButton* Button1;                  // "Exportieren (CSV)…"
  TFileDialog* FolderDialog1 = nullptr;  // made on first use

  // Opens the archive and chooses its last day; an empty path or a file not
  // yet there shows that there is none. Throws EArchiveError for a file that
  // is no usable archive.
  void ShowArchive(const std::filesystem::path& file, Archive::CsvStyle style);
  bool HasArchive() const { return archive_ != nullptr; }
  // Chooses an archived day and draws it; false, and nothing changes, for a
  // day the archive does not hold.
  bool SelectDay(Archive::DayNumber day);
  Archive::DayNumber SelectedDay() const { return day_; }
  bool IsArchived(Archive::DayNumber day) const { return days_.Contains(day); }
  // The keys: arrows a day back or on, Page Up and Page Down a month, each to
  // the nearest archived day in that direction.
  void MoveDays(int direction);
  void MoveMonths(int direction);
  // Exports the days from DateTimePicker1 to DateTimePicker2 into the folder.
  Archive::CsvExportResult ExportRange(const QString& folder);

  // Handlers.
  void MonthCalendar1Click();
  void MonthCalendar1GetMonthInfo(int year, int month);
  void PageControl1Change();
  void Button1Click();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void CreateCalendar();
  void CreatePages();
  void CreateExport();
  void ShowDays(const std::pair<Archive::DayNumber, Archive::DayNumber>& span);
  bool MoveKey(int key);
  void ShowDayInCalendar(Archive::DayNumber day);
  void DrawDay(Archive::DayNumber day);
  void DrawPage(int page);

  std::unique_ptr<Archive::PlantArchive> archive_;
  Archive::ArchiveInfo info_;
  ArchivedDays days_;
  Archive::DayNumber day_ = 0;
  ArchiveCharts charts_;  // the chosen day's charts
  Archive::CsvStyle style_ = Archive::CsvStyle::German;
  bool settingCalendar_ = false;  // the calendar's selection is being set from here
};

// The program-wide window, created once by the program entry.
extern TForm14* Form14;
