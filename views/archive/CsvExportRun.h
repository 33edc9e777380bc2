#pragma once
// A CSV export with the program's progress dialog: the dialog appears when the
// export takes more than a moment, and "Abbrechen" stops it without leaving
// half files. What went wrong reaches the exception display.
#include <QString>
#include <functional>

#include "archive/CsvExport.h"

class QWidget;

using CsvExportJob = std::function<Archive::CsvExportResult(const Archive::CsvProgress&)>;

// Asks the user whether the CSV files of an export that are in the folder
// already may be replaced; true when there are none or the user said yes.
bool MayReplaceCsvFiles(QWidget* owner, const QString& folder);

// Runs the job under the dialog, then tells the user where the files went
// (or that the export was cancelled). Throws what the job throws.
Archive::CsvExportResult RunCsvExport(QWidget* owner, const QString& folder, const CsvExportJob& job);
