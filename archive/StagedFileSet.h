#pragma once
// Puts several finished staged files in place together or not at all: each
// older file of a target's name is first moved aside beside it, and when any
// step fails, every step done is undone in reverse, so that the older files
// are back under their names and no new or temporary file is left.
#include <filesystem>
#include <memory>
#include <vector>

#include "archive/StagedFile.h"

namespace Archive {

// The targets now in place. Throws EArchiveError when a file could not be put
// in place (after undoing what was done; its text names an older file that
// could not be put back, and where it lies).
std::vector<std::filesystem::path> PutAllInPlace(const std::vector<std::unique_ptr<StagedFile>>& files);

}  // namespace Archive
