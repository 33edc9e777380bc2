#pragma once
// An export of any range of days from a plant's archive, as the archive view
// and the bridge's --export-csv FROM TO OUTDIR run it: the range parsed from
// its two dates, the days read back and written as CSV files, the progress
// told to the caller's callback (which can cancel).
#include <cstdint>
#include <filesystem>
#include <string>

#include "archive/CalendarDay.h"
#include "archive/CsvExport.h"

namespace Archive {

struct DayRange {
  DayNumber From = 0;
  DayNumber To = 0;  // inclusive
};

// FROM and TO as "YYYY-MM-DD", FROM not after TO. Throws Exception with a
// German message that names the text at fault.
DayRange ParseDayRange(const std::string& from, const std::string& to);

// Writes the days of the range (with the months, years and meter years of the
// calendar years they touch) from the archive file, which must exist, into
// the folder. Throws EArchiveError; a cancelled export leaves no file behind.
CsvExportResult ExportArchiveRange(const std::filesystem::path& archive, const DayRange& range,
                                   const std::filesystem::path& folder, CsvStyle style,
                                   const CsvProgress& progress = {});

// The progress as one line of text: "1500 von 6000 Zeilen (25 %)".
std::string ProgressText(int64_t done, int64_t total);
// What an export did, as the program and the bridge tell it: the files written
// and where, or that it was cancelled without leaving a file.
std::string OutcomeText(const CsvExportResult& result, const std::string& folder);

}  // namespace Archive
