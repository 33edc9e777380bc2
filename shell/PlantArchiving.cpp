#include "shell/PlantArchiving.h"

#include <system_error>

#include "archive/ArchiveLocation.h"
#include "archive/StoreRecord.h"
#include "base/Exception.h"
#include "store/PlantFile.h"

PlantArchiving::PlantArchiving(const ProgramOptions& options)
    : options_(options),
      writer_(options.ArchiveFile, [](const std::string& message) { HandleApplicationException(Exception(message)); }) {
}

void PlantArchiving::ExchangeCompleted() {
  if (fileOpened_) {
    fileOpened_ = false;
    return;
  }
  openedFile_.clear();
  writer_.RecordStore(options_.PlantName);
}

void PlantArchiving::PlantFileOpened(const std::filesystem::path& file, size_t bytes) {
  fileOpened_ = true;
  openedFile_ = file;
  openedBytes_ = bytes;
}

Archive::TakeoverResult PlantArchiving::TakeOverStore() const {
  if (!openedFile_.empty() && openedBytes_ != PlantFileSize)
    throw Exception("Die Anlagendatei \"" + Archive::Utf8Path(openedFile_) + "\" ist unvollständig (" +
                    std::to_string(openedBytes_) + " von " + std::to_string(PlantFileSize) +
                    " Bytes): der Rest der Anlagendaten stammt nicht aus ihr. Nur eine ganze Anlagendatei wird "
                    "ins Archiv übernommen.");
  return Archive::TakeStoreIntoArchive(options_.ArchiveFile, {}, TakeoverPlantName(), writer_.LastPlant());
}

// The plant's name where the store holds no identification: the user's, else the file's own.
std::string PlantArchiving::TakeoverPlantName() const {
  const bool named = options_.PlantName != DefaultPlantName || !options_.ArchiveFile.empty();
  if (named || openedFile_.empty()) return options_.PlantName;
  return "Datei-" + Archive::Utf8Path(openedFile_.stem());
}

std::filesystem::path PlantArchiving::ViewedArchive() const {
  if (!options_.ArchiveFile.empty()) return options_.ArchiveFile;
  const std::filesystem::path folder = Archive::DefaultArchiveFolder();
  const std::string identity = Archive::ControllerIdentity();
  const std::filesystem::path own = Archive::ArchiveFileFor(folder, identity.empty() ? TakeoverPlantName() : identity);
  std::error_code error;
  if (std::filesystem::exists(own, error)) return own;
  return Archive::NewestArchiveIn(folder);
}
