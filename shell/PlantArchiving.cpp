#include "shell/PlantArchiving.h"

#include <system_error>

#include "archive/ArchiveLocation.h"
#include "archive/StoreRecord.h"
#include "base/Exception.h"

PlantArchiving::PlantArchiving(const ProgramOptions& options)
    : options_(options),
      writer_(options.ArchiveFile, [](const std::string& message) { HandleApplicationException(Exception(message)); }) {}

void PlantArchiving::ExchangeCompleted() {
  if (fileOpened_) {
    fileOpened_ = false;
    return;
  }
  writer_.RecordStore(options_.PlantName);
}

Archive::TakeoverResult PlantArchiving::TakeOverStore() const {
  return Archive::TakeStoreIntoArchive(options_.ArchiveFile, {}, options_.PlantName);
}

std::filesystem::path PlantArchiving::ViewedArchive() const {
  if (!options_.ArchiveFile.empty()) return options_.ArchiveFile;
  const std::filesystem::path folder = Archive::DefaultArchiveFolder();
  const std::string identity = Archive::ControllerIdentity();
  const std::filesystem::path own = Archive::ArchiveFileFor(folder, identity.empty() ? options_.PlantName : identity);
  std::error_code error;
  if (std::filesystem::exists(own, error)) return own;
  return Archive::NewestArchiveIn(folder);
}
