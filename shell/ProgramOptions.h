#pragma once
// What the program's command line chose beyond the answers it gives at once:
// where the plant's history is archived, the plant's name where the controller
// gives no identification, the style of the CSV export, and the frame trace.
#include <filesystem>
#include <string>

#include "archive/CsvFormat.h"

// The plant's name while neither the controller nor the user gives one.
constexpr const char* DefaultPlantName = "ohne-Kennung";

struct ProgramOptions {
  // --archive FILE: every exchange goes to this file; empty: one file per plant
  // in the default folder ($XDG_DATA_HOME/PCZentrixNet).
  std::filesystem::path ArchiveFile;
  std::string PlantName = DefaultPlantName;                // --plant NAME
  Archive::CsvStyle CsvStyle = Archive::CsvStyle::German;  // --csv=plain
  std::filesystem::path TraceFile;  // --trace FILE: the link's frames and state changes; empty: none
};
