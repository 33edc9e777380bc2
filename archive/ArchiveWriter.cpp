#include "archive/ArchiveWriter.h"

#include <exception>
#include <utility>

#include "archive/ArchiveLocation.h"
#include "archive/StoreRecord.h"

namespace Archive {

ArchiveWriter::ArchiveWriter(std::filesystem::path file, Report report, std::filesystem::path folder,
                             ArchiveOptions options)
    : file_(std::move(file)), folder_(std::move(folder)), report_(std::move(report)), options_(options) {}

ArchiveWriter::~ArchiveWriter() = default;

std::filesystem::path ArchiveWriter::File() const { return archive_ ? archive_->File() : std::filesystem::path(); }

bool ArchiveWriter::Record(const ExchangeRecord& record) {
  if (!on_) return false;
  try {
    OpenFor(record.PlantId);
    archive_->Write(record, RecordSource::Controller);
    return true;
  } catch (const std::exception& error) {
    TurnOff(error.what());
    return false;
  }
}

bool ArchiveWriter::RecordStore(const std::string& plantName) {
  if (!on_) return false;
  const std::optional<ExchangeRecord> record = RecordFromStore(plantName);
  if (!record) {
    ReportClockOnce(StoreClockProblem());
    return false;
  }
  clockReported_ = false;
  return Record(*record);
}

// Keeps the open archive while it is the plant's; another plant (a second
// controller on the line) gets its own file unless the user named one.
void ArchiveWriter::OpenFor(const std::string& plantId) {
  const std::filesystem::path wanted = ArchiveFileOf(file_, folder_, plantId);
  if (archive_ && archive_->File() == wanted) return;
  archive_.reset();
  archive_ = std::make_unique<PlantArchive>(wanted, options_);
}

// A broken clock comes with every exchange until it is set: one line for all of them.
void ArchiveWriter::ReportClockOnce(const std::string& problem) {
  if (problem.empty() || clockReported_) return;
  clockReported_ = true;
  if (report_) report_(problem + "; diese Daten werden nicht archiviert, bis die Uhr ein mögliches Datum nennt.");
}

void ArchiveWriter::TurnOff(const std::string& message) {
  on_ = false;
  archive_.reset();
  if (report_) report_(message + ". Die Archivierung ist bis zum nächsten Start ausgeschaltet.");
}

}  // namespace Archive
