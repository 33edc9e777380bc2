#pragma once
// How the CSV files are written. German (the default): semicolons, decimal
// comma, UTF-8 with byte order mark, so that a German spreadsheet program
// opens the file correctly by double-click. Plain, for scripts: commas,
// decimal point, no byte order mark. Both: ISO dates, a header row with
// units, CR LF line ends.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace Archive {

enum class CsvStyle { German, Plain };

// The style an option names ("plain" or "german", as in --csv=plain); false for any other name.
bool ParseCsvStyle(const std::string& name, CsvStyle& style);

// Energy in Wh as kWh with three decimals, exact ("12,345" or "12.345").
std::string KwhText(int64_t wh, CsvStyle style);

// Writes the byte order mark where the style has one.
void WriteCsvStart(std::ostream& out, CsvStyle style);
// Writes one line; fields holding the separator, a quote or a line end are quoted.
void WriteCsvLine(std::ostream& out, const std::vector<std::string>& fields, CsvStyle style);

}  // namespace Archive
