#include "views/archive/CsvExportRun.h"

#include <QDir>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStringList>

#include "archive/ArchiveError.h"
#include "archive/RangeExport.h"
#include "views/FilePaths.h"
#include "views/InformationBox.h"

namespace {

constexpr int Steps = 1000;
constexpr int ShowAfterMs = 400;

bool ShowProgress(QProgressDialog& dialog, int64_t done, int64_t total) {
  dialog.setLabelText(QStringLiteral("CSV-Export: ") + QString::fromStdString(Archive::ProgressText(done, total)));
  // A window-modal dialog keeps the program's events running in setValue.
  dialog.setValue(total > 0 ? static_cast<int>(done * Steps / total) : Steps);
  return !dialog.wasCanceled();
}

}  // namespace

bool MayReplaceCsvFiles(QWidget* owner, const QString& folder) {
  QStringList names;
  for (const auto& file : Archive::ExistingCsvFiles(PathFromText(folder)))
    names << QString::fromStdString(Archive::Utf8Path(file.filename()));
  if (names.isEmpty()) return true;
  const QString text = QStringLiteral("Im Ordner %1 gibt es schon %2.\nSollen diese Dateien ersetzt werden?")
                           .arg(QDir::toNativeSeparators(folder), names.join(QStringLiteral(", ")));
  return QMessageBox::question(owner, QStringLiteral("Exportieren (CSV)"), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

Archive::CsvExportResult RunCsvExport(QWidget* owner, const QString& folder, const CsvExportJob& job) {
  QProgressDialog dialog(QStringLiteral("CSV-Export"), QStringLiteral("Abbrechen"), 0, Steps, owner);
  dialog.setWindowTitle(QStringLiteral("Exportieren (CSV)"));
  dialog.setWindowModality(Qt::WindowModal);
  dialog.setMinimumDuration(ShowAfterMs);
  dialog.setAutoClose(false);
  dialog.setAutoReset(false);
  const Archive::CsvExportResult result =
      job([&dialog](int64_t done, int64_t total) { return ShowProgress(dialog, done, total); });
  dialog.close();
  ShowInformation(owner,
                  QString::fromStdString(Archive::OutcomeText(result, QDir::toNativeSeparators(folder).toStdString())));
  return result;
}
