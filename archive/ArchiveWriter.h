#pragma once
// Archives each completed exchange for the program and the bridge while the
// archive is healthy. The first failure (a locked, read-only, full, damaged or
// foreign file) is reported once, with the file's path, and archiving stays
// off until the next start; the caller goes on polling either way.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "archive/ExchangeRecord.h"
#include "archive/PlantArchive.h"

namespace Archive {

class ArchiveWriter {
public:
  using Report = std::function<void(const std::string& message)>;

  // file: the archive to write every plant's exchanges to; empty: each plant's
  // own file in folder (DefaultArchiveFolder() when folder is empty too).
  ArchiveWriter(std::filesystem::path file, Report report, std::filesystem::path folder = {},
                ArchiveOptions options = {});
  ~ArchiveWriter();

  // Writes the record while archiving is on; false when it was not written.
  bool Record(const ExchangeRecord& record);
  // Writes the exchange the plant data store holds now (RecordFromStore), the
  // one place where the program and the bridge archive an exchange; false when
  // it was not written, or the store's data cannot be dated (a clock that
  // names an impossible date is reported once, until it names a possible one).
  bool RecordStore(const std::string& plantName);
  bool On() const { return on_; }
  // The file written last, empty before the first record.
  std::filesystem::path File() const;

private:
  void OpenFor(const std::string& plantId);
  void ReportClockOnce(const std::string& problem);
  void TurnOff(const std::string& message);

  std::filesystem::path file_;
  std::filesystem::path folder_;
  Report report_;
  ArchiveOptions options_;
  std::unique_ptr<PlantArchive> archive_;
  bool on_ = true;
  bool clockReported_ = false;
};

}  // namespace Archive
