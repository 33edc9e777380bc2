#pragma once
// The program's archive: each completed data exchange written into the
// plant's archive (a stop and the catching up each reported once through the
// exception display, the exchanges kept in memory meanwhile, polling going
// on), the store's data taken over on the user's word, and the archive the
// archive view shows.
#include <cstddef>
#include <filesystem>
#include <string>

#include "archive/ArchiveWriter.h"
#include "archive/StoreTakeover.h"
#include "shell/ProgramOptions.h"

class PlantArchiving {
public:
  explicit PlantArchiving(const ProgramOptions& options);

  // The session's completed exchange. Not written when a plant file was
  // opened since the last exchange: the store may then hold the file's
  // blocks beside the controller's, and the controller sends its data again
  // with the next exchange.
  void ExchangeCompleted();
  // A plant file was read into the store: bytes of it (a whole file has PlantFileSize).
  void PlantFileOpened(const std::filesystem::path& file, size_t bytes);

  // "Ins Archiv übernehmen": the store's data into its own plant's archive,
  // apart from the live archiving. Only a whole plant file is taken: a short
  // one leaves the previous plant's data in the rest of the store. A file
  // whose controller has no identification goes, unless the user named the
  // plant (--plant) or the archive (--archive), into an archive of its own,
  // named after the file, so that no two such plants share one. The archive
  // of the plant being polled (the plant of the last exchange) is never
  // claimed by another plant's file, even while it is empty. Throws with
  // the message to show.
  Archive::TakeoverResult TakeOverStore() const;

  // The archive to show: the file chosen on the command line, else the
  // archive of the store's plant (or of the plant's name) where it exists,
  // else the newest in the default folder; empty when there is none. Throws
  // EArchiveError when there is no default folder.
  std::filesystem::path ViewedArchive() const;

  const ProgramOptions& Options() const { return options_; }
  const Archive::ArchiveWriter& Writer() const { return writer_; }

private:
  std::string TakeoverPlantName() const;

  ProgramOptions options_;
  Archive::ArchiveWriter writer_;
  bool fileOpened_ = false;
  std::filesystem::path openedFile_;  // the plant file in the store, empty after an exchange
  size_t openedBytes_ = 0;
};
