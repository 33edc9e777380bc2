#pragma once
// Where a plant's archive lies unless the user chooses a file: one file per
// plant in $XDG_DATA_HOME/PCZentrixNet/ (default ~/.local/share/PCZentrixNet/),
// on Windows in the local application data folder.
#include <filesystem>
#include <string>

namespace Archive {

// The folder of the archives. Throws EArchiveError when the environment names none.
std::filesystem::path DefaultArchiveFolder();
// The file of a plant in a folder: "Anlage-<plant>.sqlite", where every
// character outside A-Z, a-z, 0-9, '-' and '_' is written as %XX, so that two
// plants never share a file.
std::filesystem::path ArchiveFileFor(const std::filesystem::path& folder, const std::string& plantId);
// The archive a plant's data goes to: the file the user chose, else the
// plant's own file in folder (DefaultArchiveFolder() when folder is empty).
std::filesystem::path ArchiveFileOf(const std::filesystem::path& chosenFile, const std::filesystem::path& folder,
                                    const std::string& plantId);
// The archive in the folder that was written last (its write-ahead log
// counts), or nothing when the folder holds none.
std::filesystem::path NewestArchiveIn(const std::filesystem::path& folder);

}  // namespace Archive
