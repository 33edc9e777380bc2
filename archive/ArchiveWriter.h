#pragma once
// Archives each completed exchange for the program and the bridge. When the
// archive cannot be written (a lock held by a backup, a full disk, a
// read-only, damaged or foreign file), the exchanges not yet written are kept
// in memory, a bounded queue, and written at the next exchange that finds the
// archive writable again; the stop is reported once, with the file's path, and
// so is the catching up. An archive deleted or replaced while open (a log
// rotation, a restore) is noticed before the next write, reported once, and
// opened again: a new archive where it was deleted, a foreign file refused.
// The caller goes on polling either way.
#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "archive/ExchangeRecord.h"
#include "archive/PlantArchive.h"

namespace Archive {

// The exchanges kept while the archive cannot be written: one per plant and
// controller day (a later view of a day holds all an earlier one did), so
// that the newest exchange and the ring days of the days before it are kept
// while the archive is behind for this many days; beyond, the oldest goes.
constexpr size_t MaxPendingExchanges = 96;
// How long a retry waits for another program's lock to end.
constexpr int RetryBusyTimeoutMs = 5000;

class ArchiveWriter {
public:
  using Report = std::function<void(const std::string& message)>;

  // file: the archive to write every plant's exchanges to; empty: each plant's
  // own file in folder (DefaultArchiveFolder() when folder is empty too).
  // options.BusyTimeoutMs is the first attempt's wait; each retry waits retryBusyTimeoutMs.
  ArchiveWriter(std::filesystem::path file, Report report, std::filesystem::path folder = {},
                ArchiveOptions options = {}, int retryBusyTimeoutMs = RetryBusyTimeoutMs);
  ~ArchiveWriter();

  // Writes the record, after every one kept before it; false when the archive
  // cannot be written now (the record is kept then) or its date is impossible.
  bool Record(const ExchangeRecord& record);
  // Writes the exchange the plant data store holds now (RecordFromStore), the
  // one place where the program and the bridge archive an exchange; false when
  // it was not written, or the store's data cannot be dated (a clock that
  // names an impossible date is reported once, until it names a possible one).
  bool RecordStore(const std::string& plantName);
  // Whether every exchange is written: false while the archive is behind.
  bool On() const { return pending_.empty(); }
  // How many exchanges wait in memory.
  size_t Pending() const { return pending_.size(); }
  // What the status line says while the archive is behind; "" while it is not.
  std::string BehindText() const;
  // The file written last, empty before the first record.
  std::filesystem::path File() const;
  // The plant of the last record given (written or kept), "" before the first.
  const std::string& LastPlant() const { return lastPlant_; }

private:
  void Keep(const ExchangeRecord& record);
  bool WritePending();
  void OpenFor(const std::string& plantId);
  void ReportReplaced();
  void ReportClockOnce(const std::string& problem);
  void Stopped(const std::string& message);
  void CaughtUp();

  std::filesystem::path file_;
  std::filesystem::path folder_;
  Report report_;
  ArchiveOptions options_;
  int retryBusyTimeoutMs_;
  std::unique_ptr<PlantArchive> archive_;
  std::filesystem::path written_;
  std::deque<ExchangeRecord> pending_;
  bool stopped_ = false;
  size_t dropped_ = 0;
  bool clockReported_ = false;
  std::string lastPlant_;
};

}  // namespace Archive
