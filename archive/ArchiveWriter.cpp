#include "archive/ArchiveWriter.h"

#include <exception>
#include <utility>

#include "archive/ArchiveLocation.h"
#include "archive/StoreRecord.h"
#include "base/ExchangePhases.h"

namespace Archive {

ArchiveWriter::ArchiveWriter(std::filesystem::path file, Report report, std::filesystem::path folder,
                             ArchiveOptions options, int retryBusyTimeoutMs)
    : file_(std::move(file)),
      folder_(std::move(folder)),
      report_(std::move(report)),
      options_(options),
      retryBusyTimeoutMs_(retryBusyTimeoutMs) {}

ArchiveWriter::~ArchiveWriter() = default;

std::filesystem::path ArchiveWriter::File() const { return written_; }

bool ArchiveWriter::Record(const ExchangeRecord& record) {
  if (!IsPossibleClock(record.Clock)) {
    ReportClockOnce("die Uhr der Steuerung nennt kein mögliches Datum (" + ClockText(record.Clock) + ")");
    return false;
  }
  lastPlant_ = record.PlantId;
  Keep(record);
  return WritePending();
}

bool ArchiveWriter::RecordStore(const std::string& plantName) {
  const PhaseScope phase(ExchangePhase::Archive);
  const std::optional<ExchangeRecord> record = RecordFromStore(plantName);
  if (!record) {
    ReportClockOnce(StoreClockProblem());
    return false;
  }
  clockReported_ = false;
  return Record(*record);
}

std::string ArchiveWriter::BehindText() const {
  if (pending_.empty()) return {};
  return "Archiv hängt nach: " + std::to_string(pending_.size()) +
         (pending_.size() == 1 ? " Datenaustausch wartet" : " Datenaustausche warten") + " im Speicher";
}

// A later view of the same plant's day replaces the kept one; the oldest goes
// when the queue is full.
void ArchiveWriter::Keep(const ExchangeRecord& record) {
  if (!pending_.empty() && pending_.back().PlantId == record.PlantId && pending_.back().Today == record.Today) {
    pending_.back() = record;
    return;
  }
  pending_.push_back(record);
  if (pending_.size() > MaxPendingExchanges) {
    pending_.pop_front();
    ++dropped_;
  }
}

// Writes the kept exchanges oldest first; false at the first that fails.
bool ArchiveWriter::WritePending() {
  while (!pending_.empty()) {
    try {
      OpenFor(pending_.front().PlantId);
      archive_->Write(pending_.front(), RecordSource::Controller);
      written_ = archive_->File();
    } catch (const std::exception& error) {
      Stopped(error.what());
      return false;
    }
    pending_.pop_front();
  }
  if (stopped_) CaughtUp();
  return true;
}

// Keeps the open archive while it is the plant's; another plant (a second
// controller on the line) gets its own file unless the user named one. After
// a failure the archive is opened again, waiting longer for a lock.
void ArchiveWriter::OpenFor(const std::string& plantId) {
  const std::filesystem::path wanted = ArchiveFileOf(file_, folder_, plantId);
  if (archive_ && archive_->File() == wanted) {
    if (!archive_->FileReplaced()) return;
    ReportReplaced();
  }
  archive_.reset();
  ArchiveOptions options = options_;
  if (stopped_) options.BusyTimeoutMs = retryBusyTimeoutMs_;
  archive_ = std::make_unique<PlantArchive>(wanted, options);
}

void ArchiveWriter::ReportReplaced() {
  if (report_)
    report_("Archiv \"" + Utf8Path(archive_->File()) +
            "\" wurde gelöscht oder durch eine andere Datei ersetzt, während es offen war; es wird neu geöffnet "
            "(neu angelegt, wo es fehlt) und weiter geschrieben.");
}

// A broken clock comes with every exchange until it is set: one line for all of them.
void ArchiveWriter::ReportClockOnce(const std::string& problem) {
  if (problem.empty() || clockReported_) return;
  clockReported_ = true;
  if (report_) report_(problem + "; diese Daten werden nicht archiviert, bis die Uhr ein mögliches Datum nennt.");
}

// The connection is given up, so that the next attempt finds a file that was
// replaced or freed; one report for the whole stop.
void ArchiveWriter::Stopped(const std::string& message) {
  archive_.reset();
  if (stopped_) return;
  stopped_ = true;
  if (report_)
    report_(message + ". Die Archivierung hält an: die Datenaustausche bleiben im Speicher (die von bis zu " +
            std::to_string(MaxPendingExchanges) +
            " Tagen der Steuerung) und werden bei jedem weiteren Austausch nachgetragen, sobald das Archiv wieder "
            "geschrieben werden kann.");
}

// The connection opened for the retry waits longer than it should from now on.
void ArchiveWriter::CaughtUp() {
  stopped_ = false;
  archive_.reset();
  std::string message =
      "Archiv \"" + Utf8Path(written_) + "\" wird wieder geschrieben; die zurückgehaltenen Daten sind nachgetragen";
  if (dropped_ > 0)
    message += " (die " + std::to_string(dropped_) + " ältesten zurückgehaltenen Datenaustausche gingen verloren)";
  dropped_ = 0;
  if (report_) report_(message + ".");
}

}  // namespace Archive
