#pragma once
// Writes the plant's history as CSV files into a folder, one file per kind of
// data (see CsvTables.h). All files are written under temporary names and
// put in place only when every one is complete, all of them or none: a
// cancelled or failed export leaves no file behind, and older files of the
// same names stay as they were.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "archive/CsvFormat.h"
#include "archive/PlantHistory.h"

namespace Archive {

// Told how many rows of all files are written so far and how many there are in
// all, every few hundred rows and at the end; returns false to cancel.
using CsvProgress = std::function<bool(int64_t done, int64_t total)>;

struct CsvExportResult {
  bool Cancelled = false;
  std::vector<std::filesystem::path> Files;  // the files put in place
};

// The files of an export that are in the folder already (anything of the
// same name, a link included): what an export into it would replace.
std::vector<std::filesystem::path> ExistingCsvFiles(const std::filesystem::path& folder);

// Makes the folder if it is missing. Throws EArchiveError (with the file's path)
// when a file cannot be written.
CsvExportResult ExportCsv(const PlantHistory& history, const std::filesystem::path& folder, CsvStyle style,
                          const CsvProgress& progress = {});

}  // namespace Archive
