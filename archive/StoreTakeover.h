#pragma once
// "Ins Archiv übernehmen": the data of the plant data store (a plant file the
// user opened) written into the archive of the file's own plant, apart from
// the live archiving, so that a refusal leaves that running.
#include <cstdint>
#include <filesystem>
#include <string>

namespace Archive {

struct TakeoverResult {
  std::filesystem::path File;  // the archive written to
  int64_t RowsChanged = 0;     // 0 when the archive held all of it already
};

// The archive is chosenFile, else the plant's own file in folder (see
// ArchiveFileOf). livePlant: the plant being polled ("" for none), whose
// archive no other plant's data may claim, even while it is still empty.
// Throws Exception when the store's data cannot be dated or the archive
// belongs to another plant, the live one included (nothing is written then),
// and EArchiveError when the archive cannot be written.
TakeoverResult TakeStoreIntoArchive(const std::filesystem::path& chosenFile, const std::filesystem::path& folder,
                                    const std::string& plantName, const std::string& livePlant = {});

}  // namespace Archive
