#pragma once
// The plant data file (.sol): the block tables as they lie in memory, in three
// pieces, 3220 bytes, words little-endian, no header:
//   0     1620  Block3 .. Block10 and 20 reserved bytes
//   1620   600  Block2, Block14, Block19
//   2220  1000  Block15 .. Block18 and 200 reserved bytes
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/Exception.h"

constexpr size_t PlantFileSize = 3220;

// A plant file that cannot be written or read.
class EPlantFileError : public Exception {
public:
  using Exception::Exception;
};

// The file's bytes for the store as it is now.
std::vector<uint8_t> PlantFileBytes();
// Takes the bytes of a file into the store: as many as there are, in file
// order; the rest of the tables keeps its content. Returns the bytes taken.
size_t LoadPlantFileBytes(const std::vector<uint8_t>& bytes);

// Writes the store to a file. The bytes go to a new temporary file beside the
// target, which then replaces the target in one step, so a failed save never
// destroys the previous file; an existing file keeps its permissions, a link
// stays a link; on failure nothing of the temporary file is left. Standard
// library only, with the path as the system names it (wide on Windows, so any
// character of a folder or file name survives). Raises EPlantFileError with
// the reason on failure; its text is UTF-8.
void SavePlantFile(const std::filesystem::path& path);
// Reads a file into the store and recomputes the scales; returns the bytes
// taken (PlantFileSize for a whole file). Raises EPlantFileError when the file
// cannot be opened or read, or is not a regular file (a folder, a pipe, a device).
size_t OpenPlantFile(const std::filesystem::path& path);
