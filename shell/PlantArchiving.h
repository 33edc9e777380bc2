#pragma once
// The program's archive: each completed data exchange written into the
// plant's archive (a stop and the catching up each reported once through the
// exception display, the exchanges kept in memory meanwhile, polling going
// on), the store's data taken over on the user's word, and the archive the
// archive view shows.
#include <filesystem>

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
  void PlantFileOpened() { fileOpened_ = true; }

  // "Ins Archiv übernehmen": the store's data into its own plant's archive,
  // apart from the live archiving. Throws with the message to show.
  Archive::TakeoverResult TakeOverStore() const;

  // The archive to show: the file chosen on the command line, else the
  // archive of the store's plant (or of the plant's name) where it exists,
  // else the newest in the default folder; empty when there is none. Throws
  // ArchiveError when there is no default folder.
  std::filesystem::path ViewedArchive() const;

  const ProgramOptions& Options() const { return options_; }
  const Archive::ArchiveWriter& Writer() const { return writer_; }

private:
  ProgramOptions options_;
  Archive::ArchiveWriter writer_;
  bool fileOpened_ = false;
};
