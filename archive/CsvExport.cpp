#include "archive/CsvExport.h"

#include <memory>
#include <system_error>

#include "archive/ArchiveError.h"
#include "archive/CsvTables.h"
#include "archive/StagedFile.h"
#include "archive/StagedFileSet.h"

namespace Archive {

namespace {

constexpr size_t RowsBetweenReports = 500;

class ProgressCount {
public:
  ProgressCount(const CsvProgress& progress, int64_t total) : progress_(progress), total_(total) {}
  // Counts a row; false when the user cancelled.
  bool Row() {
    ++done_;
    return done_ % RowsBetweenReports != 0 || Report();
  }
  bool Report() { return !progress_ || progress_(done_, total_); }

private:
  const CsvProgress& progress_;
  int64_t total_;
  int64_t done_ = 0;
};

int64_t TotalRows(const std::vector<CsvTable>& tables) {
  int64_t rows = 0;
  for (const CsvTable& table : tables) rows += static_cast<int64_t>(table.Rows);
  return rows;
}

// False when cancelled.
bool WriteTable(const CsvTable& table, StagedFile& file, CsvStyle style, ProgressCount& count) {
  WriteCsvStart(file.Out(), style);
  WriteCsvLine(file.Out(), table.Header, style);
  for (size_t row = 0; row < table.Rows; ++row) {
    WriteCsvLine(file.Out(), table.Row(row), style);
    if (!count.Row()) return false;
  }
  file.Finish();
  return true;
}

void MakeFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw EArchiveError(folder, "Exportordner nicht anzulegen", error.message());
}

}  // namespace

std::vector<std::filesystem::path> ExistingCsvFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> existing;
  for (const CsvTable& table : CsvTablesOf({}, CsvStyle::Plain)) {
    std::error_code error;
    const std::filesystem::path file = folder / table.FileName;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, error))) existing.push_back(file);
  }
  return existing;
}

CsvExportResult ExportCsv(const PlantHistory& history, const std::filesystem::path& folder, CsvStyle style,
                          const CsvProgress& progress) {
  MakeFolder(folder);
  const std::vector<CsvTable> tables = CsvTablesOf(history, style);
  ProgressCount count(progress, TotalRows(tables));
  std::vector<std::unique_ptr<StagedFile>> files;
  for (const CsvTable& table : tables) {
    files.push_back(std::make_unique<StagedFile>(folder / table.FileName));
    if (!WriteTable(table, *files.back(), style, count)) return {true, {}};
  }
  if (!count.Report()) return {true, {}};
  return {false, PutAllInPlace(files)};
}

}  // namespace Archive
