#include "shell/CsvExportRun.h"

#include <QProgressDialog>

#include "archive/RangeExport.h"
#include "shell/InformationBox.h"

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
  ShowInformation(owner, QString::fromStdString(Archive::OutcomeText(result, folder.toStdString())));
  return result;
}
