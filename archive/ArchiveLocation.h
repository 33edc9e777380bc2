#pragma once
// Where a plant's archive lies unless the user chooses a file: one file per
// plant in $XDG_DATA_HOME/PCZentrixNet/ (default ~/.local/share/PCZentrixNet/),
// on Windows in the local application data folder.
#include <filesystem>
#include <string>

namespace Archive {

// The folder of the archives. Throws ArchiveError when the environment names none.
std::filesystem::path DefaultArchiveFolder();
// The file of a plant in a folder: "Anlage-<plant>.sqlite", where every
// character outside A-Z, a-z, 0-9, '-' and '_' is written as %XX, so that two
// plants never share a file.
std::filesystem::path ArchiveFileFor(const std::filesystem::path& folder, const std::string& plantId);

}  // namespace Archive
